#pragma once
#include <string>

#include <wx/app.h>

namespace quillet {

// The start-up error's text, with the settings path in both places.
std::string StartupErrorText(const std::string& settingsPath);

// The seconds to sleep after starting the tool, from the stored value:
// missing (given as 0), not a number, zero or negative all mean 1.
inline int WaitForSysFromSetting(long stored) {
    if (stored <= 0) return 1;
    return stored > 86400 ? 86400 : static_cast<int>(stored);
}

class MainFrame;

// Start-up's window building, from the program-wide values (scale base,
// fonts, settings path) on: the main window with its icon, status bar and
// menus, the command form, the output pane with its greeting, the fit, and
// the window shown.
MainFrame* BuildMainWindow();

class MainApp : public wxApp {
public:
    bool OnInit() override;
    // Whether start-up refused to go on (no HamDir); the program then ends
    // with exit status 1.
    static bool StartupFailed();
};

}  // namespace quillet
