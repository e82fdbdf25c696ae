#pragma once
// The look of the toolkit's own controls across the whole application.

namespace quillet::platform {

// Makes buttons, text fields, check boxes and radio buttons as compact as
// the form's fixed places need: the form was laid out for controls barely
// taller than their text, while the default GTK theme pads them to about 34
// pixels.  Call it once the toolkit is up and before the first window is
// made; later calls do nothing.
void InstallCompactControls();

// The faces the layout was drawn for (Arial, Courier New), or faces with
// their metrics where those are missing.
struct FontFaces {
    const char* sans;
    const char* mono;
};
FontFaces LayoutFontFaces();

}  // namespace quillet::platform
