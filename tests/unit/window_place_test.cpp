#include "app/window_place.h"

#include <gtest/gtest.h>

namespace quillet {

TEST(WindowPlace, ThePaneGivesWayThenThePlaceAndTheFormStaysWhole) {
    const ScreenBox screen{0, 0, 1024, 768}, window{39, 39, 400, 525};
    const struct {
        const char* what;
        ScreenBox area, wanted;
        int pane;
        WindowPlace expected;
    } cases[] = {
        {"fits", screen, window, 339, {39, 39, 339}},
        {"1920x1080 at 200%, a taskbar", {0, 0, 1920, 1040}, {78, 78, 800, 1066}, 678, {78, 78, 574}},
        {"the pane at its least", {0, 0, 1024, 300}, window, 339, {39, 38, 76}},
        {"lower than the least", {0, 0, 1024, 200}, window, 339, {39, 0, 76}},
        {"a pane below its least", {0, 0, 1024, 500}, window, 50, {39, 0, 50}},
        {"above and left of the area", {1024, 32, 800, 568}, {1000, 10, 400, 525}, 339, {1024, 32, 339}},
        {"too wide", {0, 0, 380, 768}, window, 339, {0, 39, 339}},
    };
    for (const auto& c : cases) {
        const WindowPlace place = PlaceInWorkArea(c.area, c.wanted, c.pane, 76);
        EXPECT_EQ(place.x, c.expected.x) << c.what;
        EXPECT_EQ(place.y, c.expected.y) << c.what;
        EXPECT_EQ(place.paneHeight, c.expected.paneHeight) << c.what;
    }
}

}  // namespace quillet
