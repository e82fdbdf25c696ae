#include "app/output_pane.h"

#include <fstream>
#include <ostream>

#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/uiaction.h>

#include "gui_support.h"

namespace quillet {
namespace {

using quillet::testing::FocusAndWait;
using quillet::testing::PumpEvents;

class OutputPaneTest : public ::testing::Test {
protected:
    void SetUp() override {
        frame = new wxFrame(nullptr, wxID_ANY, "pane test", wxPoint(40, 40), wxSize(500, 400));
        pane = new OutputPane(frame, 0, 0, 480, 360);
        frame->Show();
        PumpEvents(150);
    }
    void TearDown() override {
        frame->Destroy();
        PumpEvents(50);
    }
    wxFrame* frame = nullptr;
    OutputPane* pane = nullptr;
};

TEST_F(OutputPaneTest, TypedCharactersChangeNothingWhileArrowsMoveTheCaret) {
    pane->WriteGreeting();
    const wxString before = pane->GetValue();
    ASSERT_TRUE(FocusAndWait(pane));
    pane->SetInsertionPoint(3);
    wxUIActionSimulator sim;
    sim.Text("abc 12");
    sim.Char(WXK_BACK);
    sim.Char(WXK_DELETE);
    sim.Char(WXK_RETURN);
    PumpEvents(300);
    EXPECT_EQ(pane->GetValue(), before);
    sim.Char(WXK_RIGHT);
    sim.Char(WXK_RIGHT);
    PumpEvents(300);
    EXPECT_EQ(pane->GetInsertionPoint(), 5);
}

TEST_F(OutputPaneTest, StreamShowsTextOnFlushDecodedAndStopsAtTheLimit) {
    pane->SetTextLimit(40);
    std::ostream& out = pane->OpenStream();
    pane->Clear();
    out << "echo line\n\n" << "caf\xe9\n";  // Windows-1252 é
    EXPECT_EQ(pane->GetValue(), "");
    out.flush();
    EXPECT_EQ(pane->GetValue(), wxString::FromUTF8("echo line\n\ncaf\xc3\xa9\n"));
    out << std::string(30, 'x');
    EXPECT_TRUE(out.bad());
    pane->CloseStream();
    EXPECT_EQ(pane->GetValue(), wxString::FromUTF8("echo line\n\ncaf\xc3\xa9\n"));
    // A cleared pane takes a full limit again.
    std::ostream& again = pane->OpenStream();
    pane->Clear();
    again << std::string(30, 'y') << std::flush;
    EXPECT_TRUE(again.good());
    pane->CloseStream();
    EXPECT_EQ(pane->GetValue(), wxString(30, 'y'));
}

TEST_F(OutputPaneTest, LoadedFileReplacesTheTextThroughTheSameDecoding) {
    const std::string path = ::testing::TempDir() + "/pane-drop.txt";
    {
        std::ofstream f(path, std::ios::binary);
        f << "dropped \x80 text\r\nsecond\n";
    }
    pane->WriteGreeting();
    ASSERT_TRUE(pane->LoadTextFile(path));
    EXPECT_EQ(pane->GetValue(), wxString::FromUTF8("dropped \xe2\x82\xac text\r\nsecond\n"));
    EXPECT_FALSE(pane->LoadTextFile(path + ".missing"));
}

}  // namespace
}  // namespace quillet
