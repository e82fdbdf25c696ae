#include "app/scale.h"

#include <gtest/gtest.h>

namespace quillet {

TEST(Scale, ScreenWidthsBelow1024UseTheBase1024) {
    EXPECT_EQ(ScaleBaseForScreenWidth(800), 1024);
    EXPECT_EQ(ScaleBaseForScreenWidth(1023), 1024);
    EXPECT_EQ(ScaleBaseForScreenWidth(1024), 1024);
    EXPECT_EQ(ScaleBaseForScreenWidth(1025), 1025);
}

TEST(Scale, DesignUnitsTruncateAfterMultiplying) {
    // Worked values of the main window at 1024 and 1280.
    EXPECT_EQ(Scaled(31, 1024), 39);
    EXPECT_EQ(Scaled(Scaled(240, 1024), 1024), 392);
    EXPECT_EQ(Scaled(94, 1024), 120);
    EXPECT_EQ(Scaled(265, 1024), 339);
    EXPECT_EQ(Scaled(31, 1280), 49);
    EXPECT_EQ(Scaled(Scaled(240, 1280), 1280), 614);
    EXPECT_EQ(Scaled(94, 1280), 150);
    EXPECT_EQ(Scaled(265, 1280), 424);
    // The written-out divisions give the same value for every base.
    for (int base = 1024; base <= 4096; ++base) {
        ASSERT_EQ(Scaled(4, base), base / 200) << base;
        ASSERT_EQ(Scaled(16, base), base / 50) << base;
        ASSERT_EQ(Scaled(25, base), base / 32) << base;
        ASSERT_EQ(Scaled(40, base), base / 20) << base;
        ASSERT_EQ(Scaled(2, base), base / 400) << base;
        ASSERT_EQ(Scaled(1, base), base / 800) << base;
    }
}

}  // namespace quillet
