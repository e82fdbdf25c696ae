#pragma once
#include <memory>
#include <optional>
#include <string>

#include <wx/frame.h>
#include <wx/timer.h>

#include "app/fonts.h"
#include "app/setup.h"
#include "exec/output_save.h"
#include "exec/run_job.h"

namespace quillet {

class CommandForm;
class FindBar;
class OutputPane;

// Menu ids.
enum MenuId {
    kMenuExit = 1,
    kMenuAbout = 10,
    kMenuHistory = 11,
    kMenuSaveOutput = 20,
    kMenuCopy,
    kMenuSelectAll,
    kMenuFind,
    kMenuFindNext,
    kMenuFindPrevious
};

// The one top-level window: command form above, output pane below, a
// two-field status bar and the menus.
class MainFrame : public wxFrame, public StatusSink {
public:
    // The window with its icon, status bar and menus, the command form, the
    // output pane with its greeting, fitted to them at the scale base; not
    // yet shown.
    MainFrame(const Setup& setup, int scaleBase);
    ~MainFrame() override;

    CommandForm* Form() const { return form_; }
    OutputPane* Pane() const { return pane_; }
    FindBar* Finder() const { return findBar_; }

    // The Do It button's handler: starts a run unless one is under way.
    void OnDoIt();
    // The current run or the last one; null before the first.
    const RunJob* Run() const { return run_.get(); }
    bool RunActive() const { return run_ && run_->Active(); }
    // Whether runs show the output while the tool writes it (where the
    // platform can); off, the output is copied once the tool has ended.
    void SetLiveOutput(bool live) { liveOutput_ = live; }

    void SetStatus(int field, const std::string& text) override;

    // The find bar shown with the focus in its field, or hidden with the
    // focus back in the pane.
    void OpenFindBar();
    void CloseFindBar();
    // Whether there is output to save (and no run writing it).
    bool CanSaveOutput() const;
    // Saves the last run's output file, or the file the pane shows, as
    // path; gives "" or what went wrong.
    std::string SaveOutputAs(const std::string& path);

    void OnMenuCommand(wxCommandEvent& event);
    void OnSize(wxSizeEvent& event);
    void OnClose(wxCloseEvent& event);
    void OnCharHook(wxKeyEvent& event);

    // Lays out the form and the pane for a client area of the given size.
    void LayOut(int clientWidth, int clientHeight);

private:
    // The status bar: the form's compact font, so that every text of a run
    // reads whole in its field.
    void MakeStatusBar();
    // Builds the first menu (exit) and the help menu (About, History).
    void BuildMenus();
    void OnRunEnded();
    void OnSaveOutput();
    void UpdateSaveItem();
    // A paste cut at a field's end: said in status field 1 for a while,
    // unless something else takes the field first.
    void SayTextCut();
    // Design units in pixels at the window's scale.
    int Px(int designUnits) const;
    // Gives the pane less height where the window would reach below the
    // work area of its display.
    void KeepInWorkArea();

    const Setup setup_;
    const int scaleBase_;
    // The dots per inch the layout's pixels are drawn at (see CommandForm).
    int dpi_;
    const Fonts fonts_;
    // Size events that start-up itself causes leave the children where
    // start-up put them.
    bool laidOut_ = false;
    CommandForm* form_ = nullptr;
    OutputPane* pane_ = nullptr;
    FindBar* findBar_ = nullptr;
    std::unique_ptr<RunJob> run_;
    // Where the pane's text came from, while it can be saved.
    std::optional<OutputSource> saveSource_;
    std::string focusAfterRun_;
    wxWindow* focusBeforeRun_ = nullptr;
    bool liveOutput_ = platform::kOutputReadableWhileWritten;
    wxTimer textCutTimer_;
};

// Status field 1 after a paste that a field could not hold whole.
extern const char kTextCutNotice[];

// The pane's height under a form of formHeight in a client area of
// clientHeight (the status bar not part of it): never negative.
constexpr int PaneHeightFor(int clientHeight, int formHeight) {
    return clientHeight > formHeight ? clientHeight - formHeight : 0;
}

// The texts of the two boxes of the help menu.
extern const char kAboutText[];
extern const char kHistoryText[];

}  // namespace quillet
