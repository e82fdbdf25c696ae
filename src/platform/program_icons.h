#pragma once
// The program's icon in every size it comes in, so that the title bar, the
// task switcher and the dock each pick a sharp one.
#include <wx/iconbndl.h>

namespace quillet::platform {

wxIconBundle ProgramIcons();

}  // namespace quillet::platform
