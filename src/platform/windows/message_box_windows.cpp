#include "platform/message_box.h"

#include <cstdio>
#include <windows.h>
#include <wx/app.h>

#include "platform/windows/wide_text.h"

namespace quillet::platform {

void ShowMessageBox(const std::string& text, const std::string& caption) {
    if (wxTheApp == nullptr || !wxTheApp->IsGUI()) {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
        return;
    }
    // No owner window (at start-up none exists yet) and no icon; task modal,
    // so that the program's other windows take no input meanwhile.
    MessageBoxW(nullptr, Wide(text).c_str(), Wide(caption).c_str(), MB_OK | MB_TASKMODAL);
}

}  // namespace quillet::platform
