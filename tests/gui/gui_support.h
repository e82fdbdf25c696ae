#pragma once
// Helpers shared by the GUI tests: a real wx application under Xvfb.
#include <filesystem>
#include <memory>
#include <string>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/weakref.h>
#include <wx/window.h>

#include "exec/run_job.h"

class wxTextCtrl;

namespace quillet {
class MainFrame;
class CommandForm;
class OutputPane;
enum class Arg : int;
}  // namespace quillet

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

// Presses a button (or ticks a box) through the control's own event, as a
// click sends it.
void Click(wxWindow* control);

std::string ReadFile(const std::string& path);

// A fresh directory under /tmp, gone with the object; the test works in it.
struct WorkDir {
    WorkDir();
    ~WorkDir();
    std::string path;
    const std::filesystem::path before = std::filesystem::current_path();
};

// The main window as the program's start-up builds it from dir/quillet.ini,
// written first from settings; gone again at the end.
struct ProgramWindow {
    explicit ProgramWindow(const std::string& dir,
                           const std::string& settings = "[Setup]\nHamDir=" + kStandinDir + "\n");
    ~ProgramWindow();
    ProgramWindow(const ProgramWindow&) = delete;
    ProgramWindow& operator=(const ProgramWindow&) = delete;
    wxTextCtrl* Field(Arg role) const;
    wxWeakRef<MainFrame> frame;
    CommandForm* form = nullptr;
    OutputPane* pane = nullptr;
};

// A main window in a work directory of its own, runs and all: the fixture of
// the tests that press Do It.
class WindowTest : public ::testing::Test {
protected:
    // settings: the quillet.ini to start from; default, HamDir is the stand-in.
    void Open(const std::string& settings = "[Setup]\nHamDir=" + kStandinDir + "\n");
    void TearDown() override;
    void Select(int command);
    wxTextCtrl* Field(Arg role) const { return window->Field(role); }
    // Starts a run with the stand-in in mode and returns at once.
    void StartDoIt(const char* mode = "lines:1");
    // A whole run, to its end.
    void PressDoIt(const char* mode = "lines:1", int ms = 20000);
    RunEnd LastEnd() const;
    wxString Status(int field) const;
    std::string PaneText() const;

    std::unique_ptr<WorkDir> work = std::make_unique<WorkDir>();
    const std::string dir = work->path;
    const std::string argLog = dir + "/args.log";
    std::unique_ptr<ProgramWindow> window;
    CommandForm* form = nullptr;
    MainFrame* frame = nullptr;
};

}  // namespace quillet::testing
