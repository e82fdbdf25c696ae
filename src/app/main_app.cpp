#include "app/main_app.h"

#include "app/app_icons.h"
#include "app/fonts.h"
#include "app/main_frame.h"
#include "app/output_pane.h"
#include "app/program.h"
#include "app/scale.h"
#include "app/version.h"
#include "form/command_form.h"
#include "platform/environment.h"
#include "platform/message_box.h"
#include "platform/launch.h"
#include "platform/settings_file.h"
#include "platform/style.h"

namespace quillet {

namespace {
bool startupFailed = false;
}

std::string StartupErrorText(const std::string& settingsPath) {
    return "File " + settingsPath + " \nor section [SETUP] entry \"HamDir=...\" not found.\n\n"
           "Please edit the file " + settingsPath;
}

bool MainApp::StartupFailed() { return startupFailed; }

MainFrame* BuildMainWindow() {
    Program& p = TheProgram();
    const int base = p.scaleBase;
    platform::InstallCompactControls();
    const int width = Scaled(Scaled(240, base), base);
    auto* frame = new MainFrame(nullptr, kProductName, Px(31), Px(31),
                                width, Scaled(Scaled(280, base), base));
    p.mainFrame = frame;
    frame->SetTitle(wxString(kProductName) + kVersionText);
    frame->SetIcons(AppIcons());
    frame->MakeStatusBar();
    frame->BuildMenus();

    p.commandForm = new CommandForm(frame, -1, -1, width, Px(94), wxBORDER_SIMPLE, "panel");
    p.commandForm->Move(0, 0);
    p.commandForm->SetDoItHandler([frame] { frame->OnDoIt(); });
    auto* pane = new OutputPane(frame, 0, Px(94), width, Px(265));
    p.outputPane = pane;
    frame->Attach(p.commandForm, pane);
    pane->SetFont(*p.paneFont);
    pane->WriteGreeting();

    // The fit: exactly room for the form and the pane; the status bar and
    // the menu bar come in addition.
    frame->SetClientSize(width, Px(94) + Px(265));
    frame->Move(Px(31), Px(31));
    frame->Show(true);
    wxTheApp->SetTopWindow(frame);
    return frame;
}

bool MainApp::OnInit() {
    Program& p = TheProgram();
    p.scaleBase = ScaleBaseForScreenWidth(platform::ScreenWidth());
    MakeFonts(p.scaleBase);

    p.startupDir = platform::CurrentDirectory();
    p.settingsPath = p.startupDir + "/quillet.ini";
    p.hamDir = platform::ReadSettingString(p.settingsPath, "Setup", "HamDir", "");
    if (p.hamDir.empty()) {
        platform::ShowMessageBox(StartupErrorText(p.settingsPath), "Error");
        startupFailed = true;
        return false;
    }
    p.waitForSys = WaitForSysFromSetting(
        platform::ReadSettingInt(p.settingsPath, "Setup", "WaitForSys", 0));

    p.wine = platform::ReadSettingString(p.settingsPath, "Setup", "Wine", "");
    platform::StartServer(p.hamDir, p.wine);
    platform::EndCommandsWhenProgramEnds();

    BuildMainWindow();
    p.initialized = true;
    return true;
}

}  // namespace quillet
