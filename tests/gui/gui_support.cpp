#include "gui_support.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/evtloop.h>
#include <wx/utils.h>
#include <wx/statusbr.h>

#include "app/main_app.h"
#include "app/main_frame.h"
#include "form/command_form.h"
#include "pane/output_pane.h"

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

WorkDir::WorkDir() {
    // A fresh directory of this process's own: a name taken by another run
    // is skipped, never shared.
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (unsigned n = 0;; ++n) {
        const std::filesystem::path candidate =
            base / ("quillet-test-" + std::to_string(wxGetProcessId()) + "-" + std::to_string(n));
        if (std::filesystem::create_directory(candidate)) {
            path = candidate.string();
            break;
        }
        if (n == 1000) throw std::runtime_error("no temporary directory");
    }
    std::filesystem::current_path(path);
}

WorkDir::~WorkDir() {
    std::filesystem::current_path(before);
    std::filesystem::remove_all(path);
}

ProgramWindow::ProgramWindow(const std::string& dir, const std::string& settings) {
    std::ofstream(dir + "/quillet.ini", std::ios::binary) << settings;
    frame = StartUp(dir);
    if (frame == nullptr) throw std::runtime_error("start-up refused " + dir + "/quillet.ini");
    form = frame->Form();
    pane = frame->Pane();
    PumpUntil([this] { return frame->IsShownOnScreen(); });
    PumpEvents(150);
}

ProgramWindow::~ProgramWindow() {
    if (frame) frame->Destroy();
    PumpEvents(50);
}

wxTextCtrl* ProgramWindow::Field(Arg role) const { return form->Field(role); }

void WindowTest::Open(const std::string& settings) {
    wxSetEnv("QUILLET_STANDIN_LOG", argLog);
    wxUnsetEnv("COMSPEC");
    window.reset();
    window = std::make_unique<ProgramWindow>(dir, settings);
    form = window->form;
    frame = window->frame;
}

void WindowTest::TearDown() {
    window.reset();
    wxUnsetEnv("QUILLET_STANDIN_MODE");
    work.reset();
}

void WindowTest::Select(int command) { Click(form->CommandButton(command)); }

void WindowTest::StartDoIt(const char* mode) {
    std::remove(argLog.c_str());
    wxSetEnv("QUILLET_STANDIN_MODE", mode);
    Click(form->DoItButton());
}

void WindowTest::PressDoIt(const char* mode, int ms) {
    StartDoIt(mode);
    ASSERT_TRUE(PumpUntil([this] { return !frame->RunActive(); }, ms));
}

RunEnd WindowTest::LastEnd() const { return frame->Run() ? frame->Run()->End() : RunEnd::Running; }

wxString WindowTest::Status(int field) const { return frame->GetStatusBar()->GetStatusText(field); }

std::string WindowTest::PaneText() const { return window->pane->GetValue().utf8_string(); }

}  // namespace quillet::testing
