#include "platform/style.h"

#include <windows.h>

namespace quillet::platform {

// The native controls are as compact as the form's fixed places were drawn
// for: the layout was made for them.  Nothing to change.
void InstallCompactControls() {}

FontFaces LayoutFontFaces() { return {"Arial", "Courier New"}; }

}  // namespace quillet::platform
