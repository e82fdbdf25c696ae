#include <fstream>

#include "gui_support.h"
#include "pane/find_bar.h"
#include "platform/text_control.h"

namespace quillet {
namespace {

using quillet::testing::PumpEvents;
using quillet::testing::PumpUntil;

class FindTest : public testing::WindowTest {
protected:
    void SetUp() override { Open(); }

    // A key as a user presses it.
    void Press(int key, int modifiers = wxMOD_NONE) {
        wxUIActionSimulator().Char(key, modifiers);
        PumpEvents(150);
    }
    void Type(const char* text) {
        wxUIActionSimulator().Text(text);
        PumpEvents(150);
    }
    FindBar* bar() const { return frame->Finder(); }
    // What the pane has selected, and whether its line is drawn.
    wxString Selected() const { return pane->GetStringSelection(); }
    bool SelectionInView() const {
        long from = 0, to = 0, column = 0, line = 0;
        pane->GetSelection(&from, &to);
        pane->PositionToXY(from, &column, &line);
        const platform::LinesInView shown = platform::VisibleLines(*pane);
        return shown.top <= line && line <= shown.bottom;
    }
};

// A dropped file with line ends of both kinds and characters of one, two
// and four bytes before its matches (the two controls count them
// differently), the matches far down, out of view until found.
TEST_F(FindTest, KeysFindInThePaneAndEscapeClosesTheBar) {
    std::string file = "\xc3\x84\xf0\x9f\x98\x80 start\r\n";
    for (int i = 0; i < 3000; ++i) file += "filler line\n";
    file += "\xc3\xa4 Find Me\r\nfind me \xf0\x9f\x98\x80 FIND ME\nthe end\n";
    std::ofstream(dir + "/dropped.txt", std::ios::binary) << file;
    ASSERT_TRUE(pane->LoadTextFile(dir + "/dropped.txt"));
    ASSERT_TRUE(testing::FocusAndWait(pane));
    EXPECT_FALSE(bar()->IsShown());

    Press('f', wxMOD_CONTROL);
    ASSERT_TRUE(PumpUntil([this] { return bar()->IsShown(); }));
    EXPECT_EQ(wxWindow::FindFocus(), bar()->Field());
    // Between the pane and the status bar, the pane giving up the room.
    EXPECT_EQ(bar()->GetPosition().y, pane->GetRect().GetBottom() + 1);
    EXPECT_EQ(bar()->GetRect().GetBottom() + 1, frame->GetClientSize().y);

    Type("find me");
    EXPECT_EQ(Selected(), "Find Me");
    EXPECT_TRUE(PumpUntil([this] { return bar()->Result() == "1 of 3"; })) << bar()->Result();
    EXPECT_TRUE(PumpUntil([this] { return SelectionInView(); }));
    Press(WXK_RETURN);
    EXPECT_EQ(Selected(), "find me");
    EXPECT_EQ(bar()->Result(), "2 of 3");
    Press(WXK_F3);
    EXPECT_EQ(Selected(), "FIND ME");
    Press(WXK_F3);
    EXPECT_EQ(Selected(), "Find Me");
    EXPECT_EQ(bar()->Result(), "1 of 3, wrapped");
    Press(WXK_F3, wxMOD_SHIFT);
    EXPECT_EQ(Selected(), "FIND ME");
    EXPECT_EQ(bar()->Result(), "3 of 3, wrapped");
    Press(WXK_RETURN, wxMOD_SHIFT);
    EXPECT_EQ(Selected(), "find me");

    Type("!");
    EXPECT_EQ(bar()->Result(), "Not found");
    EXPECT_TRUE(bar()->NotFound());
    EXPECT_NE(bar()->Field()->GetBackgroundColour(), pane->GetBackgroundColour());

    // The bar goes, the pane takes its room and the focus back; the run's
    // Escape is not touched (nothing runs, nothing happens to the window).
    Press(WXK_ESCAPE);
    EXPECT_FALSE(bar()->IsShown());
    EXPECT_EQ(wxWindow::FindFocus(), pane);
    EXPECT_EQ(pane->GetRect().GetBottom() + 1, frame->GetClientSize().y);
    EXPECT_TRUE(frame->IsShown());
    EXPECT_TRUE(frame->CanSaveOutput());
}

}  // namespace
}  // namespace quillet
