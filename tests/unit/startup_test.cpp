#include "app/setup.h"

#include <gtest/gtest.h>

#include <climits>

namespace quillet {

TEST(Startup, ErrorTextNamesTheSettingsPathTwice) {
    EXPECT_EQ(StartupErrorText("/work/q/quillet.ini"),
              "File /work/q/quillet.ini \nor section [SETUP] entry \"HamDir=...\" not found.\n\n"
              "Please edit the file /work/q/quillet.ini");
}

TEST(Startup, WaitForSysIsNeverBelowOneSecond) {
    EXPECT_EQ(WaitForSysFromSetting(0), 1);   // missing, not a number, or 0
    EXPECT_EQ(WaitForSysFromSetting(-5), 1);  // a negative sleep makes no sense
    EXPECT_EQ(WaitForSysFromSetting(3), 3);
    EXPECT_EQ(WaitForSysFromSetting(LONG_MAX), 86400);
}

}  // namespace quillet
