#include "app/main_frame.h"

#include <cstdio>
#include <memory>

#include <wx/app.h>
#include <wx/display.h>
#include <wx/filedlg.h>
#include <wx/menu.h>
#include <wx/statusbr.h>
#include <wx/stockitem.h>

#include "platform/program_icons.h"
#include "app/version.h"
#include "app/window_place.h"
#include "form/command_form.h"
#include "form/compact_style.h"
#include "form/scale.h"
#include "pane/find_bar.h"
#include "pane/output_pane.h"
#include "platform/launch.h"
#include "platform/message_box.h"

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

const char kTextCutNotice[] = "Paste cut: the field is full";

namespace {
// How long the notice of a cut paste stays.
constexpr int kTextCutNoticeMillis = 8000;

// The window's width, which also stays the width of the form and the pane.
int FirstWidth(int scaleBase) { return Scaled(Scaled(240, scaleBase), scaleBase); }

// The least height the pane keeps on a low display: three lines or so.
constexpr int kLeastPaneHeight = 60;
}  // namespace

MainFrame::MainFrame(const Setup& setup, int scaleBase)
    : wxFrame(nullptr, wxID_ANY, kProductName,
              FromDIP(wxPoint(Scaled(31, scaleBase), Scaled(31, scaleBase)), nullptr),
              // The window's first size counts the scale in twice; the fit
              // below sets what shows.
              FromDIP(wxSize(FirstWidth(scaleBase), Scaled(Scaled(280, scaleBase), scaleBase)),
                      nullptr),
              wxDEFAULT_FRAME_STYLE, "frame"),
      setup_(setup),
      scaleBase_(scaleBase),
      dpi_(FromDIP(96)),
      fonts_(MakeFonts(scaleBase)),
      textCutTimer_(this) {
    Bind(wxEVT_MENU, &MainFrame::OnMenuCommand, this);
    Bind(wxEVT_SIZE, &MainFrame::OnSize, this);
    Bind(wxEVT_CLOSE_WINDOW, &MainFrame::OnClose, this);
    Bind(wxEVT_CHAR_HOOK, &MainFrame::OnCharHook, this);
    // On a display of another scale the form and the pane are laid out at
    // that scale once the window has the size the system proposes for it.
    Bind(wxEVT_DPI_CHANGED, [this](wxDPIChangedEvent& event) {
        dpi_ = event.ScaleY(dpi_);
        event.Skip();
    });

    const int width = AtDpi(FirstWidth(scaleBase), dpi_);
    SetTitle(wxString(kProductName) + kVersionText);
    SetIcons(platform::ProgramIcons());
    MakeStatusBar();
    BuildMenus();

    form_ = new CommandForm(this, {scaleBase, fonts_.formLabel, fonts_.formButton, fonts_.heading},
                            setup_.settingsPath, width, Px(94));
    form_->SetDoItHandler([this] { OnDoIt(); });
    form_->SetCommandSelectedHandler([this] {
        SetStatusText(wxEmptyString, 0);
        SetStatusText(wxEmptyString, 1);
    });
    form_->SetTextCutHandler([this] { SayTextCut(); });
    Bind(wxEVT_TIMER, [this](wxTimerEvent& event) {
        if (&event.GetTimer() != &textCutTimer_) return event.Skip();
        if (GetStatusBar()->GetStatusText(1) == kTextCutNotice) SetStatusText(wxEmptyString, 1);
    });
    pane_ = new OutputPane(this, 0, Px(94), width, Px(265));
    pane_->SetFont(fonts_.pane);
    wxFont barFont = fonts_.formLabel;
    barFont.SetFractionalPointSize(FormTextPointSize(scaleBase));
    findBar_ = new FindBar(this, *pane_, barFont);
    findBar_->Hide();
    findBar_->SetCloseHandler([this] { CloseFindBar(); });
    pane_->SetTextChangedHandler([this] { findBar_->TextChanged(); });
    pane_->SetFileShownHandler([this](const OutputSource& source) {
        saveSource_ = source;
        UpdateSaveItem();
    });
    pane_->WriteGreeting(kVersionText);

    // The fit: exactly room for the form and the pane; the status bar and
    // the menu bar come in addition.
    SetClientSize(width, Px(94) + Px(265));
    KeepInWorkArea();
    laidOut_ = true;
}

void MainFrame::KeepInWorkArea() {
    const wxPoint wanted(Px(31), Px(31));
    const int display = wxDisplay::GetFromPoint(wanted);
    const wxRect area = wxDisplay(display == wxNOT_FOUND ? 0u : unsigned(display)).GetClientArea();
    // The system may already have cut a window taller than the screen to
    // the screen: what the window wants is the layout's height and the
    // frame's parts around it.
    const int paneHeight = Px(265);
    const int height = GetSize().y - GetClientSize().y + Px(94) + paneHeight;
    const WindowPlace place =
        PlaceInWorkArea({area.x, area.y, area.width, area.height}, {wanted.x, wanted.y, GetSize().x, height},
                        paneHeight, Px(kLeastPaneHeight));
    const int width = GetClientSize().x;
    pane_->SetSize(width, place.paneHeight);
    SetClientSize(width, Px(94) + place.paneHeight);
    Move(place.x, place.y);
}

MainFrame::~MainFrame() {
    // A command still running ends with the window; the pane it writes to
    // is still there while the run lets go of it.
    run_.reset();
}

// Scaled with the display where the system scales it, as the form is.
int MainFrame::Px(int designUnits) const { return AtDpi(Scaled(designUnits, scaleBase_), dpi_); }

void MainFrame::MakeStatusBar() {
    // No size grip: GTK 3 windows are resized at their border, and the grip
    // would take the room of the end of a status text.
    wxStatusBar* bar = CreateStatusBar(2, wxSTB_DEFAULT_STYLE & ~wxSTB_SIZEGRIP);
    wxFont font = fonts_.formLabel;
    font.SetFractionalPointSize(FormTextPointSize(scaleBase_));
    bar->SetFont(font);
}

void MainFrame::SetStatus(int field, const std::string& text) {
    SetStatusText(wxString::FromUTF8(text), field);
}

void MainFrame::SayTextCut() {
    SetStatusText(kTextCutNotice, 1);
    textCutTimer_.StartOnce(kTextCutNoticeMillis);
}

void MainFrame::OnDoIt() {
    // One run at a time, whatever asked for this one: a click, a Return, a
    // call queued before the form was disabled.
    if (RunActive() || form_ == nullptr || pane_ == nullptr) return;
    run_.reset();  // ends a command that outlived its run
    // The pane is cleared and ham.txt deleted: the last output is gone.
    saveSource_.reset();
    RunSettings settings;
    settings.waitForSys = setup_.waitForSys;
    settings.liveOutput = liveOutput_;
    const PlatformParams platform = platform::CurrentToolLaunch(setup_.hamDir, setup_.wine);

    wxWindow* focused = FindFocus();
    run_ = std::make_unique<RunJob>(*pane_, *this, settings, [this] { OnRunEnded(); });
    const std::string focus = run_->Start(form_->Values(), platform);
    UpdateSaveItem();
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
    if (run_->OutputStamp().size >= 0) saveSource_ = OutputSource{run_->OutputPath(), run_->OutputStamp()};
    UpdateSaveItem();
    form_->Enable();
    if (!focusAfterRun_.empty())
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
    fileMenu->Append(kMenuSaveOutput, wxString::FromUTF8("&Save output as\u2026\tCtrl+S"))->Enable(false);
    fileMenu->AppendSeparator();
    // The toolkit's exit label is "&Quit" on GTK; users of this program know
    // the item as "E&xit", the label the toolkit gives it on Windows.
    fileMenu->Append(kMenuExit, "E&xit");
    auto* editMenu = new wxMenu;
    editMenu->Append(kMenuCopy, "&Copy\tCtrl+C");
    editMenu->Append(kMenuSelectAll, "Select &All\tCtrl+A");
    editMenu->AppendSeparator();
    editMenu->Append(kMenuFind, wxString::FromUTF8("&Find\u2026\tCtrl+F"));
    editMenu->Append(kMenuFindNext, "Find &Next\tF3");
    editMenu->Append(kMenuFindPrevious, "Find &Previous\tShift+F3");
    auto* helpMenu = new wxMenu;
    helpMenu->Append(kMenuAbout, "&About");
    helpMenu->Append(kMenuHistory, "&History");
    auto* bar = new wxMenuBar;
    bar->Append(fileMenu, wxGetStockLabel(wxID_FILE));
    bar->Append(editMenu, "&Edit");
    bar->Append(helpMenu, "&Help");
    SetMenuBar(bar);
}

void MainFrame::UpdateSaveItem() { GetMenuBar()->Enable(kMenuSaveOutput, CanSaveOutput()); }

bool MainFrame::CanSaveOutput() const { return saveSource_.has_value() && !RunActive(); }

std::string MainFrame::SaveOutputAs(const std::string& path) {
    if (!CanSaveOutput()) return "There is no output to save.";
    return SaveOutputCopy(*saveSource_, path);
}

void MainFrame::OnSaveOutput() {
    if (!CanSaveOutput()) return;
    wxFileDialog dialog(this, "Save output as", wxGetCwd(), "output.txt",
                        wxString("Text files (*.txt)|*.txt|") + wxALL_FILES, wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    if (dialog.ShowModal() != wxID_OK) return;
    const std::string failure = SaveOutputAs(dialog.GetPath().utf8_string());
    if (!failure.empty()) platform::ShowMessageBox(failure, "Save output");
}

void MainFrame::OpenFindBar() {
    if (!findBar_->IsShown()) {
        findBar_->Show();
        SendSizeEvent();
    }
    findBar_->FocusField();
}

void MainFrame::CloseFindBar() {
    findBar_->Hide();
    SendSizeEvent();
    pane_->SetFocus();
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
    case kMenuSaveOutput:
        OnSaveOutput();
        break;
    case kMenuCopy:
    case kMenuSelectAll: {
        // The accelerators reach the menu before the focused field: the
        // field's own text is meant, and the pane's only when no field has
        // the focus.
        auto* text = dynamic_cast<wxTextCtrl*>(FindFocus());
        if (text == nullptr) text = pane_;
        if (event.GetId() == kMenuCopy)
            text->Copy();
        else
            text->SelectAll();
        break;
    }
    case kMenuFind:
        OpenFindBar();
        break;
    case kMenuFindNext:
    case kMenuFindPrevious:
        if (!findBar_->HasText()) {
            OpenFindBar();
        } else {
            if (!findBar_->IsShown()) OpenFindBar();
            event.GetId() == kMenuFindNext ? findBar_->FindNext() : findBar_->FindPrevious();
        }
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
    const int barHeight = findBar_ && findBar_->IsShown() ? findBar_->GetBestSize().y : 0;
    const int paneHeight = PaneHeightFor(clientHeight - barHeight, formHeight);
    if (pane_) pane_->SetSize(0, formHeight, clientWidth, paneHeight);
    if (barHeight > 0) findBar_->SetSize(0, formHeight + paneHeight, clientWidth, barHeight);
}

void MainFrame::OnSize(wxSizeEvent& event) {
    event.Skip();
    if (!laidOut_) return;
    int width = 0, height = 0;
    GetClientSize(&width, &height);
    LayOut(width, height);
}

void MainFrame::OnClose(wxCloseEvent& event) {
    // Closing during a run is a cancel first; the window then closes as usual.
    if (RunActive()) run_->Cancel();
    // A file that cannot be written loses the fields; the window closes all
    // the same.
    if (form_) form_->SaveRemembered(setup_.settingsPath);
    (void)event;
    Destroy();
}

}  // namespace quillet
