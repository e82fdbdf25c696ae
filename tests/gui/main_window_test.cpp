#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include <gtest/gtest.h>
#include <wx/menu.h>
#include <wx/statusbr.h>

#include "app/main_frame.h"
#include "app/output_pane.h"
#include "app/program.h"
#include "form/command_form.h"
#include "gui_support.h"

namespace quillet {
namespace {

using quillet::testing::PumpEvents;
using quillet::testing::PumpUntil;
using quillet::testing::ReadFile;

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        settingsPath = ::testing::TempDir() + "/main-window-" +
                       ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".ini";
        std::remove(settingsPath.c_str());
        window = std::make_unique<testing::ProgramWindow>(settingsPath);
        frame = window->frame;
    }
    void TearDown() override { window.reset(); }
    // Client size after a resize has gone through the windowing system.
    void ResizeClient(int width, int height) {
        frame->SetClientSize(width, height);
        PumpUntil([&] { return frame->GetClientSize() == wxSize(width, height); });
        PumpEvents(100);
    }
    std::unique_ptr<testing::ProgramWindow> window;
    MainFrame* frame = nullptr;
    std::string settingsPath;
};

TEST_F(MainWindow, StartsWithTitleMenusEmptyStatusAndGreeting) {
    EXPECT_EQ(frame->GetTitle(), "Quillet     V. 0.9.10 ");
    EXPECT_EQ(frame->GetName(), "frame");
    wxMenuBar* bar = frame->GetMenuBar();
    ASSERT_EQ(bar->GetMenuCount(), 2u);
    EXPECT_EQ(bar->GetMenuLabel(0), "&File");
    EXPECT_EQ(bar->GetMenuLabel(1), "&Help");
    EXPECT_EQ(bar->GetMenu(0)->GetMenuItemCount(), 1u);
    EXPECT_EQ(bar->FindItem(kMenuExit)->GetItemLabel(), "E&xit");
    EXPECT_EQ(bar->FindItem(kMenuAbout)->GetItemLabel(), "&About");
    EXPECT_EQ(bar->FindItem(kMenuHistory)->GetItemLabel(), "&History");
    EXPECT_EQ(frame->GetStatusBar()->GetFieldsCount(), 2);
    EXPECT_TRUE(frame->GetIcon().IsOk());
    EXPECT_EQ(TheProgram().outputPane->GetValue(), "\nQuillet    V. 0.9.10 starting.");
}

TEST_F(MainWindow, GeometryAtBase1024) {
    ASSERT_EQ(TheProgram().scaleBase, 1024) << "run on a 1024-pixel screen";
    EXPECT_EQ(frame->GetPosition(), wxPoint(39, 39));
    EXPECT_EQ(TheProgram().commandForm->GetRect(), wxRect(0, 0, 392, 120));
    EXPECT_EQ(TheProgram().outputPane->GetRect(), wxRect(0, 120, 392, 339));
    EXPECT_EQ(frame->GetClientSize(), wxSize(392, 459));
}

TEST_F(MainWindow, LayoutFollowsTheWindowAndStopsAtTheStatusBar) {
    ResizeClient(500, 600);
    const int formHeight = Px(94);
    EXPECT_EQ(TheProgram().commandForm->GetRect(), wxRect(0, 0, 500, formHeight));
    EXPECT_EQ(TheProgram().outputPane->GetRect(), wxRect(0, formHeight, 500, 600 - formHeight));
    // The pane ends where the status bar begins, on the first resize as on
    // every later one.
    wxStatusBar* bar = frame->GetStatusBar();
    wxPoint paneBottom = TheProgram().outputPane->ClientToScreen(
        wxPoint(0, TheProgram().outputPane->GetSize().y));
    EXPECT_LE(paneBottom.y, bar->GetScreenPosition().y);
    ResizeClient(300, 400);
    EXPECT_EQ(TheProgram().outputPane->GetRect(), wxRect(0, formHeight, 300, 400 - formHeight));
    // A client area lower than the form leaves the pane no height, never less.
    frame->LayOut(300, formHeight / 2);
    EXPECT_EQ(TheProgram().outputPane->GetSize().y, 0);
}

TEST_F(MainWindow, CloseBoxSavesTheThreeFieldsInOrder) {
    {
        std::ofstream f(settingsPath);
        f << "; mine\n[Setup]\nHamDir=/srv/ham\n";
    }
    CommandForm* form = TheProgram().commandForm;
    form->searchExprField->ChangeValue("abc");
    form->groupExprField->ChangeValue("");
    form->scoreViewField->ChangeValue(wxString::FromUTF8("gr\xc3\xbcn"));
    frame->Close();
    PumpEvents(50);
    EXPECT_EQ(ReadFile(settingsPath),
              "; mine\n[Setup]\nHamDir=/srv/ham\n[SearchExpr]\n0=abc\n[GroupExpr]\n0=\n"
              "[ScoreView]\n0=gr\xc3\xbcn\n");
}

// The same window on a wider screen scales every place and size.
class MainWindowAt1280 : public MainWindow {};

TEST_F(MainWindowAt1280, GeometryAtBase1280) {
    ASSERT_EQ(TheProgram().scaleBase, 1280) << "run on a 1280-pixel screen";
    EXPECT_EQ(frame->GetPosition(), wxPoint(49, 49));
    EXPECT_EQ(TheProgram().commandForm->GetRect(), wxRect(0, 0, 614, 150));
    EXPECT_EQ(TheProgram().outputPane->GetRect(), wxRect(0, 150, 614, 424));
    EXPECT_EQ(frame->GetClientSize(), wxSize(614, 574));
}

}  // namespace
}  // namespace quillet
