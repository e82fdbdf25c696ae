#include <wx/dcclient.h>
#include <wx/menu.h>

#include "form/scale.h"
#include "platform/environment.h"
#include "gui_support.h"

namespace quillet {
namespace {

using quillet::testing::PumpEvents;
using quillet::testing::PumpUntil;

int ScaleBase() { return ScaleBaseForScreenWidth(platform::ScreenWidth()); }

class MainWindow : public testing::WindowTest {
protected:
    void SetUp() override { Open(); }
    // Client size after a resize has gone through the windowing system.
    void ResizeClient(int width, int height) {
        frame->SetClientSize(width, height);
        PumpUntil([&] { return frame->GetClientSize() == wxSize(width, height); });
        PumpEvents(100);
    }
    void ExpectGeometry(int base, int offset, int width, int formHeight, int paneHeight) {
        ASSERT_EQ(ScaleBase(), base) << "run on a " << base << "-pixel screen";
        EXPECT_EQ(frame->GetPosition(), wxPoint(offset, offset));
        EXPECT_EQ(form->GetRect(), wxRect(0, 0, width, formHeight));
        EXPECT_EQ(pane->GetRect(), wxRect(0, formHeight, width, paneHeight));
        EXPECT_EQ(frame->GetClientSize(), wxSize(width, formHeight + paneHeight));
    }
};

// The exit item reads as on Windows, not as GTK's stock "Quit".
TEST_F(MainWindow, StartsWithTitleExitItemAndGreeting) {
    EXPECT_EQ(frame->GetTitle(), "Quillet     V. 0.9.10 ");
    EXPECT_EQ(frame->GetMenuBar()->FindItem(kMenuExit)->GetItemLabel(), "E&xit");
    EXPECT_EQ(pane->GetValue(), "\nQuillet    V. 0.9.10 starting.");
}

TEST_F(MainWindow, GeometryAtBase1024) { ExpectGeometry(1024, 39, 392, 120, 339); }

TEST_F(MainWindow, LayoutFollowsTheWindowAndStopsAtTheStatusBar) {
    ResizeClient(500, 600);
    const int formHeight = Scaled(94, ScaleBase());
    EXPECT_EQ(form->GetRect(), wxRect(0, 0, 500, formHeight));
    EXPECT_EQ(pane->GetRect(), wxRect(0, formHeight, 500, 600 - formHeight));
    // The pane ends where the status bar begins, on the first resize as on
    // every later one.
    EXPECT_LE(pane->ClientToScreen(wxPoint(0, pane->GetSize().y)).y,
              frame->GetStatusBar()->GetScreenPosition().y);
    ResizeClient(300, 400);
    EXPECT_EQ(pane->GetRect(), wxRect(0, formHeight, 300, 400 - formHeight));
    // A client area lower than the form leaves the pane no height, never less.
    frame->LayOut(300, formHeight / 2);
    EXPECT_EQ(pane->GetSize().y, 0);
}

// After a command switch the form settles: no more fitting, no drawing,
// however long it sits there.
TEST_F(MainWindow, AnIdleFormDoesNothing) {
    long paints = 0;
    form->Bind(wxEVT_PAINT, [&](wxPaintEvent& event) { ++paints, event.Skip(); });
    testing::Click(form->CommandButton(CmdImport));
    PumpEvents(600);
    const long fits = form->FitCount(), paintsBefore = paints;
    EXPECT_GE(fits, 2);
    PumpEvents(1000);
    EXPECT_EQ(form->FitCount(), fits);
    // A blinking caret draws twice a second or so; a loop would draw without end.
    EXPECT_LE(paints - paintsBefore, 3);
}

// Every status text, at its longest, reads whole in its field: the status
// bar draws its text with a small margin on either side.
void ExpectStatusTextsFit(MainFrame* frame) {
    const char* texts[] = {
        "9999999 line(s), 999999999 char(s)", "L = 9999999, C = 999999999",
        "Waiting since 99999 sec's",          "For complete output see ham.txt",
        "Esc cancels the run",                "Exit status 255",
        "Cancelled: output may be incomplete", "The tool could not be started",
        "Command line too long",              "Wine not found: install wine",
        "Paste cut: the field is full",
    };
    wxStatusBar* bar = frame->GetStatusBar();
    wxClientDC dc(bar);
    dc.SetFont(bar->GetFont());
    for (int field = 0; field < 2; ++field) {
        wxRect rect;
        ASSERT_TRUE(bar->GetFieldRect(field, rect));
        const int room = rect.width - 8;
        for (const char* text : texts)
            EXPECT_LE(dc.GetTextExtent(text).x, room) << "field " << field << ": " << text;
    }
}

TEST_F(MainWindow, StatusTextsReadWhole) { ExpectStatusTextsFit(frame); }

class MainWindowAt1280 : public MainWindow {};

TEST_F(MainWindowAt1280, GeometryAtBase1280) { ExpectGeometry(1280, 49, 614, 150, 424); }
TEST_F(MainWindowAt1280, StatusTextsReadWhole) { ExpectStatusTextsFit(frame); }

}  // namespace
}  // namespace quillet
