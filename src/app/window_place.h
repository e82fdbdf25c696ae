#pragma once
// Where the main window stands on the display, as plain numbers.

namespace quillet {

struct ScreenBox {
    int x, y, width, height;
};

struct WindowPlace {
    int x, y;        // the window's outer top-left corner
    int paneHeight;  // what the output pane keeps of its height
};

// The window as the layout wants it (outer box, with a pane paneHeight
// high) placed within a display's work area: where it fits, as it is.
// Where it is too high, the pane gives up height, down to minPaneHeight, so
// that the form and the status bar stay whole; where that is not enough,
// the window moves up, no higher than the area's top.  Taller still, its
// bottom stays below the area.  A window too wide moves left, no further
// than the area's left edge; one above or left of the area comes into it.
WindowPlace PlaceInWorkArea(const ScreenBox& area, const ScreenBox& wanted, int paneHeight,
                            int minPaneHeight);

}  // namespace quillet
