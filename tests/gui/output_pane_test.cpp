#include <fstream>

#include "gui_support.h"

namespace quillet {
namespace {

using quillet::testing::PumpEvents;

class OutputPaneTest : public testing::WindowTest {
protected:
    void SetUp() override { Open(); }
};

TEST_F(OutputPaneTest, TypedCharactersChangeNothing) {
    pane->WriteGreeting(" V ");
    const wxString before = pane->GetValue();
    ASSERT_TRUE(quillet::testing::FocusAndWait(pane));
    pane->SetInsertionPoint(3);
    wxUIActionSimulator sim;
    sim.Text("abc 12");
    for (int key : {WXK_BACK, WXK_DELETE, WXK_RETURN}) sim.Char(key);
    quillet::testing::PasteWithKeys("pasted");  // Ctrl passes, for Ctrl+C
    PumpEvents(300);
    EXPECT_EQ(pane->GetValue(), before);
}

// A slice of a run is drawn once, at its end.
TEST_F(OutputPaneTest, ABatchOfAppendsIsDrawnAtItsEnd) {
    PumpEvents(200);
    long paints = 0;
    pane->Bind(wxEVT_PAINT, [&](wxPaintEvent& event) { ++paints, event.Skip(); });
    pane->BeginAppend(false);
    (pane->OpenStream() << "line 1\nline 2\n").flush();
    [[maybe_unused]] const long during = paints;
    pane->EndAppend();
    PumpEvents(300);
#ifdef __WXMSW__  // GTK draws its text view without paint events
    EXPECT_TRUE(during == 0 && paints > 0) << during << " paints during the batch, " << paints << " in all";
#endif
}

TEST_F(OutputPaneTest, LoadedFileReplacesTheTextThroughTheSameDecoding) {
    const std::string path = dir + "/pane-drop.txt";
    std::ofstream(path, std::ios::binary) << "dropped \x80 text\r\nsecond\n";
    pane->WriteGreeting(" V ");
    ASSERT_TRUE(pane->LoadTextFile(path));
    EXPECT_EQ(pane->GetValue(), wxString::FromUTF8("dropped \xe2\x82\xac text\r\nsecond\n"));
    EXPECT_FALSE(pane->LoadTextFile(path + ".missing"));
}

}  // namespace
}  // namespace quillet
