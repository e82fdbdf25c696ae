#include "app/setup.h"
#include "platform/settings_file.h"

#include <gtest/gtest.h>

#include <climits>
#include <utility>

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

// The samples that the packages ship (Debian's, Windows') read as their
// comments say, with the remembered fields left to the program.
TEST(Startup, ShippedSamplesReadAsDocumented) {
    const std::pair<std::string, std::string> samples[] = {{"/data", "/srv/hamster"},
                                                           {"/data/windows", "C:\\Hamster"}};
    for (const auto& [dir, hamDir] : samples) {
        const auto setup = ReadSetup(QUILLET_SOURCE_DIR + dir);
        ASSERT_TRUE(setup) << dir;
        EXPECT_EQ(setup->hamDir, hamDir);
        EXPECT_EQ(setup->waitForSys, 1);
        EXPECT_EQ(setup->wine, "");
        EXPECT_EQ(platform::ReadSettingString(setup->settingsPath, "SearchExpr", "0", "none"), "none");
    }
}

}  // namespace quillet
