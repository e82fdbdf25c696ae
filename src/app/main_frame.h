#pragma once
#include <wx/frame.h>

namespace quillet {

// The one top-level window: command form above, output pane below, a
// two-field status bar and the menus.
class MainFrame : public wxFrame {
public:
    MainFrame(wxWindow* parent, const wxString& title, int x, int y, int width, int height);
};

}  // namespace quillet
