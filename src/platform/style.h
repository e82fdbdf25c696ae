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

// The layout's font sizes are points at 96 dots per inch, in a layout made
// in pixels of the screen; where display scaling makes a point larger, the
// sizes are multiplied by this (96 over the screen's dots per inch), so
// that text and places grow together instead of the text twice.
double FontPointScale();

}  // namespace quillet::platform
