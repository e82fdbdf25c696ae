#pragma once
// Helpers shared by the GUI tests: a real wx application under Xvfb.
#include <wx/app.h>
#include <wx/window.h>

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

}  // namespace quillet::testing
