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

TEST_F(OutputPaneTest, LoadedFileReplacesTheTextThroughTheSameDecoding) {
    const std::string path = dir + "/pane-drop.txt";
    std::ofstream(path, std::ios::binary) << "dropped \x80 text\r\nsecond\n";
    pane->WriteGreeting(" V ");
    ASSERT_TRUE(pane->LoadTextFile(path));
    // The rich edit control keeps a line end as one character and hands it
    // back as "\n"; what it shows is the same two lines.
    const bool lineEndIsOne = platform::PlacesCounted() == platform::PlaceCount::Utf16LineEndsOne;
    EXPECT_EQ(pane->GetValue(),
              wxString::FromUTF8(lineEndIsOne ? "dropped \xe2\x82\xac text\nsecond\n"
                                              : "dropped \xe2\x82\xac text\r\nsecond\n"));
    EXPECT_FALSE(pane->LoadTextFile(path + ".missing"));
    // Nor does a line end split between two pieces of text become two.
    platform::ClearText(*pane);
    for (const std::string piece : {"split\r", "\nend\r", "\n"}) platform::AppendUtf8(*pane, piece.data(), piece.size());
    EXPECT_EQ(pane->GetValue(), lineEndIsOne ? "split\nend\n" : "split\r\nend\r\n");
}

}  // namespace
}  // namespace quillet
