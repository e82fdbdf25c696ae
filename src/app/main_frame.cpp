#include "app/main_frame.h"

#include <cstdio>
#include <memory>
#include <utility>

#include <wx/app.h>
#include <wx/log.h>
#include <wx/menu.h>
#include <wx/statusbr.h>
#include <wx/stockitem.h>
#include <wx/textctrl.h>

#include "app/output_pane.h"
#include "app/program.h"
#include "form/command_form.h"
#include "form/compact_style.h"
#include "form/remembered_values.h"
#include "platform/message_box.h"
#include "platform/process.h"
#include "platform/settings_file.h"
#include "platform/trace.h"

namespace quillet {

const char kAboutText[] =
    "Quillet    V. 0.9.10\n"
    "A front end for the console tool of the news server.\n"
    "Written by the Quillet developers.\n"
    "Thanks to everyone who tried the early releases\n"
    "and told us what broke.\n"
    "Free software, offered as it is, without warranty.";

const char kHistoryText[] =
    "0.9.10 jun.20.2000, new public release\n  see changes.txt and readme.txt for news.\n\n"
    "0.9.09 jun.17.2000, debug version\ndownto\n0.9.03 jun.04.2000, debug version\n"
    "  searching for NT-Bugs\n0.9.02 jun.01.2000\n0.9.01 may.31.2000 first public release\n"
    "  known bugs:\n  - console-app sometimes crashes\n"
    "    (Doesn't affect nor quillet nor Win)\n"
    "  - huge output from ham isn't displayed by quillet (4k?)";

MainFrame::MainFrame(wxWindow* parent, const wxString& title, int x, int y, int width, int height)
    : wxFrame(parent, wxID_ANY, title, wxPoint(x, y), wxSize(width, height),
              wxDEFAULT_FRAME_STYLE, "frame") {
    Bind(wxEVT_MENU, &MainFrame::OnMenuCommand, this);
    Bind(wxEVT_SIZE, &MainFrame::OnSize, this);
    Bind(wxEVT_CLOSE_WINDOW, &MainFrame::OnClose, this);
    Bind(wxEVT_CHAR_HOOK, &MainFrame::OnCharHook, this);
}

MainFrame::~MainFrame() {
    // A command still running ends with the window; the pane it writes to
    // is still there while the run lets go of it.
    run_.reset();
    // The form and the pane go with the window; nothing may reach them after.
    Program& p = TheProgram();
    if (p.mainFrame == this) {
        p.mainFrame = nullptr;
        p.commandForm = nullptr;
        p.outputPane = nullptr;
    }
}

void MainFrame::Attach(CommandForm* form, OutputPane* pane) {
    form_ = form;
    pane_ = pane;
}

void MainFrame::MakeStatusBar() {
    // No size grip: GTK 3 windows are resized at their border, and the grip
    // would take the room of the end of a status text.
    wxStatusBar* bar = CreateStatusBar(2, wxSTB_DEFAULT_STYLE & ~wxSTB_SIZEGRIP);
    const Program& p = TheProgram();
    if (p.formLabelFont) {
        wxFont font = *p.formLabelFont;
        font.SetFractionalPointSize(FormTextPointSize(p.scaleBase));
        bar->SetFont(font);
    }
}

void MainFrame::SetStatus(int field, const std::string& text) {
    SetStatusText(wxString::FromUTF8(text), field);
}

void MainFrame::OnDoIt() {
    // One run at a time, whatever asked for this one: a click, a Return, a
    // call queued before the form was disabled.
    if (RunActive() || form_ == nullptr || pane_ == nullptr) return;
    run_.reset();  // ends a command that outlived its run
    const Program& p = TheProgram();
    RunSettings settings;
    settings.waitForSys = p.waitForSys;
    settings.liveOutput = liveOutput_;
    const PlatformParams platform = platform::CurrentToolLaunch(p.hamDir, p.wine);

    wxWindow* focused = FindFocus();
    run_ = std::make_unique<RunJob>(*pane_, *this, settings, [this] { OnRunEnded(); });
    const FocusTarget focus = run_->Start(form_->Values(), platform);
    if (!run_->Active()) {
        form_->Focus(focus);
        return;
    }
    // The form rests while the tool runs; the pane keeps the focus, so that
    // it scrolls and copies, and Escape is heard.
    focusAfterRun_ = focus;
    focusBeforeRun_ = focused && form_->IsDescendant(focused) ? focused : nullptr;
    form_->Disable();
    pane_->SetFocus();
}

void MainFrame::OnRunEnded() {
    form_->Enable();
    if (focusAfterRun_ != FocusTarget::Unchanged)
        form_->Focus(focusAfterRun_);
    else if (focusBeforeRun_)
        focusBeforeRun_->SetFocus();
}

void MainFrame::OnCharHook(wxKeyEvent& event) {
    if (event.GetKeyCode() == WXK_ESCAPE && RunActive()) {
        run_->Cancel();
        return;
    }
    event.Skip();
}

void MainFrame::BuildMenus() {
    auto* fileMenu = new wxMenu;
    // The toolkit's exit label is "&Quit" on GTK; users of this program know
    // the item as "E&xit", the label the toolkit gives it on Windows.
    fileMenu->Append(kMenuExit, "E&xit");
    auto* helpMenu = new wxMenu;
    helpMenu->Append(kMenuAbout, "&About");
    helpMenu->Append(kMenuHistory, "&History");
    auto* bar = new wxMenuBar;
    bar->Append(fileMenu, wxGetStockLabel(wxID_FILE));
    bar->Append(helpMenu, "&Help");
    SetMenuBar(bar);
}

void MainFrame::OnMenuCommand(wxCommandEvent& event) {
    switch (event.GetId()) {
    case kMenuExit:
        // Leaves at once: the remembered fields are saved only by the close box.
        Destroy();
        break;
    case kMenuAbout:
        platform::ShowMessageBox(kAboutText, "ABOUT");
        break;
    case kMenuHistory: {
        const std::size_t size = 12000;
        std::unique_ptr<char[]> buffer(new char[size]);
        std::snprintf(buffer.get(), size, "%s", kHistoryText);
        platform::ShowMessageBox(buffer.get(), "HISTORY");
        break;
    }
    default:
        event.Skip();
    }
}

void MainFrame::LayOut(int clientWidth, int clientHeight) {
    int formHeight = Px(94);
    if (form_) form_->SetSize(-1, -1, clientWidth, formHeight);
    // The client area ends at the status bar's upper edge, so the pane never
    // covers the counts of a run.
    if (pane_) pane_->SetSize(-1, -1, clientWidth, PaneHeightFor(clientHeight, formHeight));
}

void MainFrame::OnSize(wxSizeEvent& event) {
    event.Skip();
    // Size events that start-up itself causes leave the children where
    // start-up put them.
    if (!TheProgram().initialized) return;
    int width = 0, height = 0;
    GetClientSize(&width, &height);
    LayOut(width, height);
}

void MainFrame::OnClose(wxCloseEvent& event) {
    // Closing during a run is a cancel first; the window then closes as usual.
    if (RunActive()) run_->Cancel();
    const Program& p = TheProgram();
    if (form_) {
        // Written as they stand, empty texts included; a file that cannot be
        // written loses them silently and the window closes all the same.
        const std::pair<const char*, wxTextCtrl*> remembered[] = {
            {kSearchExprSection, form_->searchExprField},
            {kGroupExprSection, form_->groupExprField},
            {kScoreViewSection, form_->scoreViewField},
        };
        for (const auto& [section, field] : remembered) {
            if (!platform::WriteSettingString(p.settingsPath, section, kRememberedKey,
                                              field->GetValue().utf8_string()))
                wxLogTrace(platform::kTraceSettings, "[%s] not remembered", section);
        }
    }
    (void)event;
    Destroy();
}

}  // namespace quillet
