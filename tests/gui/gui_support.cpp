#include "gui_support.h"

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include <wx/checkbox.h>
#include <wx/evtloop.h>

#include "app/fonts.h"
#include "app/main_app.h"
#include "app/main_frame.h"
#include "app/program.h"
#include "app/scale.h"
#include "platform/environment.h"

namespace quillet::testing {

void PumpEvents(int ms) {
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    do {
        wxYield();
        wxEventLoopBase* loop = wxEventLoopBase::GetActive();
        while (loop && loop->Pending()) loop->Dispatch();
        wxTheApp->ProcessIdle();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    } while (std::chrono::steady_clock::now() < until);
}

bool FocusAndWait(wxWindow* win) {
    wxWindow* top = wxGetTopLevelParent(win);
    if (top) {
        top->Raise();
        top->SetFocus();
    }
    win->SetFocus();
    return PumpUntil([win] { return wxWindow::FindFocus() == win; }, 3000);
}


void Click(wxWindow* control) {
    wxEventType type = wxEVT_BUTTON;
    if (auto* box = dynamic_cast<wxCheckBox*>(control)) {
        box->SetValue(!box->GetValue());
        type = wxEVT_CHECKBOX;
    }
    wxCommandEvent click(type, control->GetId());
    click.SetEventObject(control);
    if (type == wxEVT_CHECKBOX) click.SetInt(static_cast<wxCheckBox*>(control)->GetValue());
    control->ProcessWindowEvent(click);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

ProgramWindow::ProgramWindow(const std::string& settingsPath) {
    Program& p = TheProgram();
    p.scaleBase = ScaleBaseForScreenWidth(platform::ScreenWidth());
    MakeFonts(p.scaleBase);
    p.settingsPath = settingsPath;
    frame = BuildMainWindow();
    p.initialized = true;
    form = p.commandForm;
    pane = p.outputPane;
    PumpUntil([this] { return frame->IsShownOnScreen(); });
    PumpEvents(150);
}

ProgramWindow::~ProgramWindow() {
    Program& p = TheProgram();
    if (p.mainFrame) p.mainFrame->Destroy();
    PumpEvents(50);
    p = Program();
}

}  // namespace quillet::testing
