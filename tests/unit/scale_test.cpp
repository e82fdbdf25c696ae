#include "form/scale.h"

#include <gtest/gtest.h>

namespace quillet {

TEST(Scale, NarrowScreensUseTheBase1024) {
    const int cases[][2] = {{800, 1024}, {1023, 1024}, {1024, 1024}, {1025, 1025}};
    for (const auto& c : cases) EXPECT_EQ(ScaleBaseForScreenWidth(c[0]), c[1]) << c[0];
}

TEST(Scale, DesignUnitsTruncateAfterMultiplying) {
    const int cases[][3] = {{31, 1024, 39}, {240, 1024, 307}, {265, 1024, 339},
                            {31, 1280, 49}, {240, 1280, 384}, {1, 1599, 1}};
    for (const auto& c : cases) EXPECT_EQ(Scaled(c[0], c[1]), c[2]) << c[0] << "@" << c[1];
}

}  // namespace quillet
