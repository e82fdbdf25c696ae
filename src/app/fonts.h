#pragma once
#include <wx/font.h>

namespace quillet {

// The four fonts of the program at a scale base, held by whoever draws with
// them.
struct Fonts {
    wxFont formLabel;
    wxFont formButton;
    wxFont heading;
    wxFont pane;
};

Fonts MakeFonts(int scaleBase);

}  // namespace quillet
