#include "form/scale.h"

#include <gtest/gtest.h>

namespace quillet {

TEST(Scale, NarrowScreensUseTheBase1024) {
    const int cases[][2] = {{800, 1024}, {1023, 1024}, {1024, 1024}, {1025, 1025}};
    for (const auto& c : cases) EXPECT_EQ(ScaleBaseForScreenWidth(c[0]), c[1]) << c[0];
}

}  // namespace quillet
