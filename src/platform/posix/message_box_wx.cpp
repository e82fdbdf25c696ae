#include "platform/message_box.h"

#include <cstdio>
#include <wx/app.h>
#include <wx/msgdlg.h>

namespace quillet::platform {

void ShowMessageBox(const std::string& text, const std::string& caption) {
    if (wxTheApp == nullptr || !wxTheApp->IsGUI()) {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
        return;
    }
    // No owner window: the box stands on its own, as at start-up no window
    // exists yet.
    wxMessageDialog box(nullptr, wxString::FromUTF8(text), wxString::FromUTF8(caption),
                        wxOK | wxCENTRE);
    box.ShowModal();
}

}  // namespace quillet::platform
