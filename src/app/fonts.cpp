#include "app/fonts.h"

#include "platform/style.h"

namespace quillet {

// The layout was drawn for Arial and Courier New, so labels and fields keep
// the widths the layout expects in those faces or faces of their metrics.
// Where they are missing, the family still picks a sans-serif and a
// fixed-pitch face.
Fonts MakeFonts(int scaleBase) {
    const platform::FontFaces faces = platform::LayoutFontFaces();
    const auto font = [](int points, wxFontFamily family, wxFontWeight weight, const char* face) {
        return wxFont(points, family, wxFONTSTYLE_NORMAL, weight, false, face);
    };
    const wxFont sans = font(scaleBase / 100, wxFONTFAMILY_SWISS, wxFONTWEIGHT_NORMAL, faces.sans);
    return {sans, sans, font(scaleBase / 80, wxFONTFAMILY_SWISS, wxFONTWEIGHT_BOLD, faces.sans),
            font(scaleBase / 80, wxFONTFAMILY_MODERN, wxFONTWEIGHT_NORMAL, faces.mono)};
}

}  // namespace quillet
