#include "app/fonts.h"

#include "platform/style.h"

namespace quillet {

// The layout was drawn for Arial and Courier New, so labels and fields keep
// the widths the layout expects in those faces or faces of their metrics.
// Where they are missing, the family still picks a sans-serif and a
// fixed-pitch face.
Fonts MakeFonts(int scaleBase) {
    const platform::FontFaces faces = platform::LayoutFontFaces();
    const char* const kSansFace = faces.sans;
    const char* const kMonoFace = faces.mono;
    const wxFont sans(scaleBase / 100, wxFONTFAMILY_SWISS, wxFONTSTYLE_NORMAL,
                      wxFONTWEIGHT_NORMAL, false, kSansFace);
    return {sans, sans,
            wxFont(scaleBase / 80, wxFONTFAMILY_SWISS, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_BOLD,
                   false, kSansFace),
            wxFont(scaleBase / 80, wxFONTFAMILY_MODERN, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL,
                   false, kMonoFace)};
}

}  // namespace quillet
