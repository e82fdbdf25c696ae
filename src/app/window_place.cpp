#include "app/window_place.h"

#include <algorithm>

namespace quillet {

WindowPlace PlaceInWorkArea(const ScreenBox& area, const ScreenBox& wanted, int paneHeight,
                            int minPaneHeight) {
    WindowPlace place{std::max(wanted.x, area.x), std::max(wanted.y, area.y), paneHeight};
    int overflow = place.y + wanted.height - (area.y + area.height);
    if (overflow > 0) {
        const int cut = std::min(overflow, std::max(0, paneHeight - minPaneHeight));
        place.paneHeight -= cut;
        overflow -= cut;
    }
    if (overflow > 0) place.y = std::max(area.y, place.y - overflow);
    const int overhang = place.x + wanted.width - (area.x + area.width);
    if (overhang > 0) place.x = std::max(area.x, place.x - overhang);
    return place;
}

}  // namespace quillet
