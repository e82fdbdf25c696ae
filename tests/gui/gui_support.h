#pragma once
// Helpers shared by the GUI tests: a real wx application under Xvfb.
#include <string>

#include <wx/app.h>
#include <wx/window.h>

namespace quillet {
class MainFrame;
class CommandForm;
class OutputPane;
}  // namespace quillet

namespace quillet::testing {

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

// The main window as start-up builds it, at the scale base of the screen the
// test runs on; gone again, with the program-wide values, at the end.
struct ProgramWindow {
    explicit ProgramWindow(const std::string& settingsPath = "/nonexistent/quillet.ini");
    ~ProgramWindow();
    ProgramWindow(const ProgramWindow&) = delete;
    ProgramWindow& operator=(const ProgramWindow&) = delete;
    MainFrame* frame = nullptr;
    CommandForm* form = nullptr;
    OutputPane* pane = nullptr;
};

}  // namespace quillet::testing
