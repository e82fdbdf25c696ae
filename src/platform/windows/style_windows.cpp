#include "platform/style.h"

#include <windows.h>

namespace quillet::platform {

// The native controls are as compact as the form's fixed places were drawn
// for: the layout was made for them.  Nothing to change.
void InstallCompactControls() {}

FontFaces LayoutFontFaces() { return {"Arial", "Courier New"}; }

// The program is aware of display scaling, so the screen's width comes in
// real pixels while a point is drawn at the scaled dots per inch.
double FontPointScale() {
    const HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? 96.0 / dpi : 1.0;
}

}  // namespace quillet::platform
