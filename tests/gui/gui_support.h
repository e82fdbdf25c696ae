#pragma once
// Helpers shared by the GUI tests: a real wx application under Xvfb.
#include <filesystem>
#include <functional>
#include <string>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>
#include <wx/weakref.h>

#include "app/main_frame.h"
#include "exec/run_job.h"
#include "form/command_form.h"
#include "pane/output_pane.h"

namespace quillet::testing {

// The stand-in tool and server of the end-to-end tests.
inline const std::string kStandinDir = QUILLET_SOURCE_DIR "/tests/e2e/standin";

// Lets the event loop run for about ms milliseconds, so that the windowing
// system delivers what a test did (typed keys, clicks, size changes).
void PumpEvents(int ms = 100);

// Pumps until pred() holds or ms have passed; returns pred().
template <class Pred>
bool PumpUntil(Pred pred, int ms = 3000) {
    for (int waited = 0; waited < ms; waited += 20) {
        if (pred()) return true;
        PumpEvents(20);
    }
    return pred();
}

// Raises win's top-level window, gives win the focus and waits until the
// focus has arrived (simulated keys go to the focused window).
bool FocusAndWait(wxWindow* win);

// Fails for each shown control of the form that another overlaps, that
// leaves the form, or that is narrower or lower than its text as drawn;
// layout names the layout in the messages.
void ExpectNothingOverlapsOrIsClipped(const CommandForm& form, const std::string& layout);

// Presses a button through its own event, as a click sends it.
void Click(wxWindow* button);

// Puts text on the clipboard and presses Ctrl+V, as a user pastes.
void PasteWithKeys(const wxString& text);

std::string ReadFile(const std::string& path);

// The state lines of the processes other than this one that match, one a
// line; empty when there are none.
std::string ProcessesWhere(const std::function<bool(const std::filesystem::path& proc)>& match);

// The main window as the program's start-up builds it, in a fresh directory
// under /tmp that the test works in; runs and all: the fixture of the tests
// that press Do It.
class WindowTest : public ::testing::Test {
protected:
    WindowTest();
    ~WindowTest() override;
    // settings: the quillet.ini to start from; default, HamDir is the stand-in.
    void Open(const std::string& settings = "[Setup]\nHamDir=" + kStandinDir + "\n");
    void TearDown() override;
    void Select(int command);
    wxTextCtrl* Field(Arg role) const { return form->Field(role); }
    // Starts a run with the stand-in in mode and returns at once.
    void StartDoIt(const char* mode = "lines:1");
    // A whole run, to its end.
    void PressDoIt(const char* mode = "lines:1", int ms = 20000);
    // Escape in the pane, as a user cancels a run, and the run's end.
    void PressEscape();
    RunEnd LastEnd() const;
    wxString Status(int field) const;
    std::string PaneText() const;

    const std::filesystem::path before = std::filesystem::current_path();
    std::string dir;
    std::string argLog;
    wxWeakRef<MainFrame> frame;
    CommandForm* form = nullptr;
    OutputPane* pane = nullptr;
};

}  // namespace quillet::testing
