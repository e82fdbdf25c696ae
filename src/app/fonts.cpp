#include "app/fonts.h"

namespace quillet {

// The layout was drawn for Arial and Courier New; the Liberation faces have
// the same metrics, so labels and fields keep the widths the layout expects.
// Where they are missing, the family still picks a sans-serif and a
// fixed-pitch face.
static const char kSansFace[] = "Liberation Sans";
static const char kMonoFace[] = "Liberation Mono";

Fonts MakeFonts(int scaleBase) {
    const wxFont sans(scaleBase / 100, wxFONTFAMILY_SWISS, wxFONTSTYLE_NORMAL,
                      wxFONTWEIGHT_NORMAL, false, kSansFace);
    return {sans, sans,
            wxFont(scaleBase / 80, wxFONTFAMILY_SWISS, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_BOLD,
                   false, kSansFace),
            wxFont(scaleBase / 80, wxFONTFAMILY_MODERN, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL,
                   false, kMonoFace)};
}

}  // namespace quillet
