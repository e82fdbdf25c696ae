#include <fstream>

#include "gui_support.h"
#include "platform/text_control.h"

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

// What a slice of a run appends is drawn once, at the slice's end, and the
// view then shows the last line.
TEST_F(OutputPaneTest, ABatchOfAppendsIsDrawnAtItsEnd) {
    long paints = 0;
    pane->Bind(wxEVT_PAINT, [&](wxPaintEvent& event) { ++paints, event.Skip(); });
    std::ostream& out = pane->OpenStream();
    PumpEvents(200);
    const long before = paints;
    pane->BeginAppend(false);
    for (int i = 0; i < 300; ++i) out << "line " << i << '\n';
    out.flush();
    const long during = paints - before;
    pane->EndAppend();
    pane->CloseStream();
    PumpEvents(300);
    EXPECT_EQ(platform::VisibleLines(*pane).bottom, pane->GetNumberOfLines() - 1);
#ifdef __WXMSW__  // GTK draws its text view without paint events
    EXPECT_EQ(during, 0);
    EXPECT_GT(paints - before, 0);
#else
    (void)during;
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
