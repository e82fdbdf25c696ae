#pragma once
#include <wx/frame.h>

namespace quillet {

// Menu ids of the two menus.
enum MenuId { kMenuExit = 1, kMenuAbout = 10, kMenuHistory = 11 };

// The one top-level window: command form above, output pane below, a
// two-field status bar and the menus.
class MainFrame : public wxFrame {
public:
    MainFrame(wxWindow* parent, const wxString& title, int x, int y, int width, int height);
    ~MainFrame() override;

    // Builds the first menu (exit) and the help menu (About, History).
    void BuildMenus();

    void OnMenuCommand(wxCommandEvent& event);
    void OnSize(wxSizeEvent& event);
    void OnClose(wxCloseEvent& event);

    // Lays out the form and the pane for a client area of the given size.
    void LayOut(int clientWidth, int clientHeight);
};

// The pane's height under a form of formHeight in a client area of
// clientHeight (the status bar not part of it): never negative.
constexpr int PaneHeightFor(int clientHeight, int formHeight) {
    return clientHeight > formHeight ? clientHeight - formHeight : 0;
}

// The texts of the two boxes of the help menu.
extern const char kAboutText[];
extern const char kHistoryText[];

}  // namespace quillet
