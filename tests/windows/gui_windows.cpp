// The window tests of what only the Windows build does.
//
// The window moved to a display of twice the scale.  Wine moves no window
// between displays of different scales, and the toolkit heeds WM_DPICHANGED
// only from a window of the second per-monitor awareness, which Wine does
// not report; so the test does what the toolkit does on that message.
#include <wx/button.h>

#include "../gui/gui_support.h"
#include "pane/output_pane.h"
#include "platform/text_control.h"

namespace quillet {
namespace {

using DpiChange = testing::WindowTest;

TEST_F(DpiChange, TheFormAndThePaneFollowTheNewScale) {
    Open();
    for (int i = 0; i < kArgCount; ++i) form->ArgControl(static_cast<Arg>(i));
    testing::PumpEvents(200);
    std::vector<std::pair<wxWindow*, wxRect>> before;
    for (wxWindow* child : form->GetChildren()) before.emplace_back(child, child->GetRect());
    const int formHeight = form->GetSize().y;
    // The fonts and each window's event first; the place the system proposes
    // unless the window took the event.
    if (!frame->MSWUpdateOnDPIChange(wxSize(96, 96), wxSize(192, 192)))
        frame->SetSize(wxRect(frame->GetPosition(), frame->GetSize() * 2));
    testing::PumpEvents(300);

    for (const auto& [control, rect] : before) {
        // The current command's button is hidden, and placed once shown.
        if (control == form->CommandButton(form->CurrentCommand())) continue;
        EXPECT_EQ(control->GetPosition(), rect.GetPosition() * 2) << control->GetLabel();
        if (dynamic_cast<wxTextCtrl*>(control) || control == form->DoItButton()) {
            EXPECT_EQ(control->GetSize().x, rect.width * 2) << control->GetName();
        }
    }
    EXPECT_EQ(form->GetSize().y, formHeight * 2);
    EXPECT_EQ(pane->GetPosition().y, formHeight * 2);
    for (int command = 1; command <= kCommandCount; ++command) {
        form->SelectCommand(command);
        testing::PumpEvents(100);
        testing::ExpectNothingOverlapsOrIsClipped(*form, FindLayout(command)->name);
    }
}

// A slice of a run is drawn once, at its end, with the view at the end
// unless the user scrolled away: Wine's control draws what is in view after
// every insertion and every scroll, some 20 ms each time.  4,000 lines are
// more than the control's 16-bit scroll positions reach.
using PaneBatch = testing::WindowTest;

TEST_F(PaneBatch, ASliceOfAppendsIsDrawnOnceWhereTheViewWas) {
    Open();
    // A line wider than the pane, as the echoed command line often is.
    std::string lines(300, '-');
    for (int i = 0; i < 4000; ++i) lines += "\nline " + std::to_string(i);
    lines += '\n';
    long paints = 0;
    pane->Bind(wxEVT_PAINT, [&](wxPaintEvent& event) { ++paints, event.Skip(); });
    std::ostream& out = pane->OpenStream();
    for (const int batch : {0, 1, 2}) {  // live, bulk, live with the view away
        const bool bulk = batch == 1, away = batch == 2;
        if (away) platform::SelectAndShow(*pane, pane->XYToPosition(0, 6000), pane->XYToPosition(0, 6000));
        testing::PumpEvents(200);
        const long top = platform::VisibleLines(*pane).top;
        paints = 0;
        pane->BeginAppend(bulk);
        (out << lines).flush();
        const long during = paints;
        pane->EndAppend();
        const long onTheSpot = paints - during;
        testing::PumpEvents(300);
        EXPECT_TRUE(during == 0 && onTheSpot == 0 && paints > 0)
            << batch << ": " << during << " paints during the batch, " << onTheSpot << " at its end";
        const platform::LinesInView shown = platform::VisibleLines(*pane);
        if (away) {
            EXPECT_NEAR(shown.top, top, 1);  // Wine's control scrolls by steps of its own font
        } else {
            EXPECT_EQ(shown.bottom, pane->GetNumberOfLines() - 1) << batch;
        }
    }
    pane->CloseStream();
}

}  // namespace
}  // namespace quillet
