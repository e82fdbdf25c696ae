#include "app/main_app.h"

#include "app/main_frame.h"
#include "app/setup.h"
#include "form/scale.h"
#include "platform/environment.h"
#include "platform/launch.h"
#include "platform/message_box.h"
#include "platform/style.h"

namespace quillet {

namespace {
bool startupFailed = false;
}

bool MainApp::StartupFailed() { return startupFailed; }

MainFrame* StartUp(const std::string& dir) {
    const std::optional<Setup> setup = ReadSetup(dir);
    if (!setup) {
        platform::ShowMessageBox(StartupErrorText(SettingsPathIn(dir)), "Error");
        return nullptr;
    }
    return StartUp(*setup);
}

MainFrame* StartUp(const Setup& setup) {
    platform::InstallCompactControls();
    auto* frame = new MainFrame(setup, ScaleBaseForScreenWidth(platform::ScreenWidth()));
    frame->Show(true);
    wxTheApp->SetTopWindow(frame);
    // The server runs hidden, so nobody sees when it starts; started once
    // the window is up, its two forks and its exec no longer delay the window.
    wxTheApp->CallAfter([hamDir = setup.hamDir, wine = setup.wine] {
        platform::StartServer(hamDir, wine);
    });
    return frame;
}

bool MainApp::OnInit() {
    startupFailed = StartUp(platform::CurrentDirectory()) == nullptr;
    return !startupFailed;
}

}  // namespace quillet
