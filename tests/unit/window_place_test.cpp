#include "app/window_place.h"

#include <gtest/gtest.h>

namespace quillet {

TEST(WindowPlace, ThePaneGivesWayThenThePlaceAndTheFormStaysWhole) {
    const struct {
        const char* what;
        ScreenBox area, wanted;
        int pane, least;
        WindowPlace expected;
    } cases[] = {
        {"fits: as it is", {0, 0, 1024, 768}, {39, 39, 400, 525}, 339, 76, {39, 39, 339}},
        {"1920x1080 at 200%, a taskbar: the pane gives up the overflow", {0, 0, 1920, 1040},
         {78, 78, 800, 1066}, 678, 154, {78, 78, 574}},
        {"the pane at its least, the window moves up the rest", {0, 0, 1024, 300},
         {39, 39, 400, 525}, 339, 76, {39, 38, 76}},
        {"lower than even that: at the area's top, the bottom below it", {0, 0, 1024, 200},
         {39, 39, 400, 525}, 339, 76, {39, 0, 76}},
        {"a pane already below its least keeps what it has", {0, 0, 1024, 500},
         {39, 39, 400, 525}, 50, 76, {39, 0, 50}},
        {"above and left of a second display's area: into it", {1024, 32, 800, 568},
         {1000, 10, 400, 525}, 339, 76, {1024, 32, 339}},
        {"too wide: left, no further than the area's edge", {0, 0, 380, 768},
         {39, 39, 400, 525}, 339, 76, {0, 39, 339}},
    };
    for (const auto& c : cases) {
        const WindowPlace place = PlaceInWorkArea(c.area, c.wanted, c.pane, c.least);
        EXPECT_EQ(place.x, c.expected.x) << c.what;
        EXPECT_EQ(place.y, c.expected.y) << c.what;
        EXPECT_EQ(place.paneHeight, c.expected.paneHeight) << c.what;
    }
}

}  // namespace quillet
