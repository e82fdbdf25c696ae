#include "platform/program_icons.h"

#include <windows.h>

namespace quillet::platform {

// Every size of the icon resource "app_icn" in the program file.
wxIconBundle ProgramIcons() { return wxIconBundle(wxS("app_icn"), GetModuleHandleW(nullptr)); }

}  // namespace quillet::platform
