#include "pane/output_pane.h"

#include <fstream>

#include <gtest/gtest.h>
#include <wx/uiaction.h>

#include "gui_support.h"

namespace quillet {
namespace {

using quillet::testing::PumpEvents;

class OutputPaneTest : public testing::WindowTest {
protected:
    void SetUp() override {
        Open();
        pane = window->pane;
    }
    OutputPane* pane = nullptr;
};

TEST_F(OutputPaneTest, TypedCharactersChangeNothingWhileArrowsMoveTheCaret) {
    pane->WriteGreeting(" V ");
    const wxString before = pane->GetValue();
    ASSERT_TRUE(quillet::testing::FocusAndWait(pane));
    pane->SetInsertionPoint(3);
    wxUIActionSimulator sim;
    sim.Text("abc 12");
    for (int key : {WXK_BACK, WXK_DELETE, WXK_RETURN}) sim.Char(key);
    PumpEvents(300);
    EXPECT_EQ(pane->GetValue(), before);
    sim.Char(WXK_RIGHT);
    sim.Char(WXK_RIGHT);
    PumpEvents(300);
    EXPECT_EQ(pane->GetInsertionPoint(), 5);
}

TEST_F(OutputPaneTest, LoadedFileReplacesTheTextThroughTheSameDecoding) {
    const std::string path = ::testing::TempDir() + "/pane-drop.txt";
    std::ofstream(path, std::ios::binary) << "dropped \x80 text\r\nsecond\n";
    pane->WriteGreeting(" V ");
    ASSERT_TRUE(pane->LoadTextFile(path));
    EXPECT_EQ(pane->GetValue(), wxString::FromUTF8("dropped \xe2\x82\xac text\r\nsecond\n"));
    EXPECT_FALSE(pane->LoadTextFile(path + ".missing"));
}

}  // namespace
}  // namespace quillet
