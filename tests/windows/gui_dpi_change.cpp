// The window moved to a display of twice the scale.  Wine moves no window
// between displays of different scales, and the toolkit passes its
// WM_DPICHANGED on only to a window of the second per-monitor awareness,
// which Wine does not report; so the test does what the toolkit does on
// that message: it updates the windows to the new scale (fonts first, then
// the scale's event to each) and, unless the window took the event, gives
// the window the place the system proposes.  The places must follow the
// fonts.
#include <wx/button.h>

#include "../gui/gui_support.h"

namespace quillet {
namespace {

using testing::PumpEvents;

class DpiChange : public testing::WindowTest {
protected:
    void SetUp() override { Open(); }
};

TEST_F(DpiChange, TheFormAndThePaneFollowTheNewScale) {
    // Every control made and drawn at the first scale.
    for (int i = 0; i < kArgCount; ++i) form->ArgControl(static_cast<Arg>(i));
    PumpEvents(200);
    std::vector<std::pair<wxWindow*, wxRect>> before;
    for (wxWindow* child : form->GetChildren()) before.emplace_back(child, child->GetRect());
    const int formHeight = form->GetSize().y;

    const wxRect outer = frame->GetRect();
    if (!frame->MSWUpdateOnDPIChange(wxSize(96, 96), wxSize(192, 192)))
        frame->SetSize(wxRect(outer.GetPosition(), outer.GetSize() * 2));
    PumpEvents(300);

    for (const auto& [control, rect] : before) {
        // The current command's button is hidden, and placed once shown.
        if (control == form->CommandButton(form->CurrentCommand())) continue;
        const wxString name = control->GetLabel().empty() ? control->GetName() : control->GetLabel();
        EXPECT_EQ(control->GetPosition(), rect.GetPosition() * 2) << name;
        // Fields and Do It keep their given widths, at the new scale.
        if (dynamic_cast<wxTextCtrl*>(control) || control == form->DoItButton()) {
            EXPECT_EQ(control->GetSize().x, rect.width * 2) << name;
        }
    }
    EXPECT_EQ(form->GetSize().y, formHeight * 2);
    EXPECT_EQ(pane->GetPosition().y, formHeight * 2);
    for (int command = 1; command <= kCommandCount; ++command) {
        form->SelectCommand(command);
        PumpEvents(100);
        testing::ExpectNothingOverlapsOrIsClipped(*form, FindLayout(command)->name);
    }
}

}  // namespace
}  // namespace quillet
