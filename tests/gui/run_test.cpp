// Do It against the real window, with a stand-in tool that records the
// argument list it was given and writes scripted output.
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/filefn.h>
#include <wx/radiobut.h>
#include <wx/statusbr.h>
#include <wx/uiaction.h>

#include "app/main_frame.h"
#include "pane/output_pane.h"
#include "form/command_form.h"
#include "gui_support.h"
#include "platform/settings_file.h"

namespace quillet {
namespace {

using quillet::testing::kStandinDir;
using quillet::testing::PumpUntil;
using quillet::testing::ReadFile;

// Whether a process other than this one has dir as its working directory.
bool AnyProcessWorksIn(const std::string& dir) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename();
        if (std::isdigit(static_cast<unsigned char>(name[0])) && name != std::to_string(getpid()) &&
            std::filesystem::read_symlink(entry.path() / "cwd", error) == dir)
            return true;
    }
    return false;
}

class DoIt : public testing::WindowTest {
protected:
    void SetUp() override { Open(); }
    // The line begins with the tool itself, or with the COMSPEC given.
    static std::string Echo(const std::string& interpreter = "") {
        return (interpreter.empty() ? "" : interpreter + " -c ") + kStandinDir + "/ham.exe>ham.txt ";
    }
    void SetStatus(int field, const char* text) { frame->SetStatus(field, text); }
};

TEST_F(DoIt, GrepRunsTheToolAndCopiesItsLinesWithCounts) {
    Field(Arg::SearchExprField)->ChangeValue("From:.*\"x\" > y");
    Field(Arg::GroupExprField)->ChangeValue("de.test");
    static_cast<wxCheckBox*>(form->ArgControl(Arg::IgnoreCaseBox))->SetValue(true);
    static_cast<wxRadioButton*>(form->ArgControl(Arg::GrepOptVa))->SetValue(true);
    SetStatus(0, "old");
    SetStatus(1, "old");
    PressDoIt("lines:12");
    std::string expected = Echo() + "grep -i -va \"From:.*\"x\" > y\" \"de.test\"\n\n";
    for (int i = 1; i <= 12; ++i) {
        char line[64];
        std::snprintf(line, sizeof line, "line %06d: scripted output of the stand-in tool\n", i);
        expected += line;
    }
    expected += "\n";
    EXPECT_EQ(PaneText(), expected);
    EXPECT_EQ(Status(0), "12 line(s), 588 char(s)");
    EXPECT_EQ(Status(1), "");
    // One argument a line: the quotes were the interpreter's to take.
    EXPECT_EQ(ReadFile(argLog), "grep\n-i\n-va\nFrom:.*x > y\nde.test\n----\n");
    EXPECT_TRUE(form->IsEnabled());
    EXPECT_TRUE(PumpUntil([this] { return wxWindow::FindFocus() == Field(Arg::SearchExprField); }));
}

TEST_F(DoIt, OutputShapesAreShownWholeAndCounted) {
    const std::string longLine(100000, 'x');
    const struct {
        const char* mode;
        std::string body;
        const char* status;
    } cases[] = {
        {"empty", "\n", "0 line(s), 0 char(s)"},
        {"crlf", "first\nsecond\nthird\n\n", "3 line(s), 16 char(s)"},
        {"nofinallf", "first\nsecond\nlast\n", "3 line(s), 15 char(s)"},
        {"longline", longLine + "\nafter 1\nafter 2\n\n", "3 line(s), 100014 char(s)"},
        {"cp1252", "caf\xc3\xa9 costs 3 \xe2\x82\xac, \xe2\x80\x9cquoted\xe2\x80\x9d\n\n",
         "1 line(s), 24 char(s)"},
        {"nul", "before\xe2\x90\x80" "after\n\n", "1 line(s), 12 char(s)"},
        {"lonecr", "before\xe2\x90\x8d" "after\n\n", "1 line(s), 12 char(s)"},
        // Anything but a regular file is no output to copy.
        {"dir", "Coudn't open \"ham.txt\n", ""},
    };
    Select(CmdInfo);
    for (const auto& c : cases) {
        PressDoIt(c.mode);
        EXPECT_EQ(PaneText(), Echo() + "info \n\n" + c.body) << c.mode;
        EXPECT_EQ(Status(0), c.status) << c.mode;
        EXPECT_EQ(Status(1), "") << c.mode;
    }
}

TEST_F(DoIt, RefusalsWriteTheirMessageAndRunNothing) {
    Field(Arg::SearchExprField)->ChangeValue("");
    SetStatus(0, "old");
    PressDoIt("lines:1");
    EXPECT_EQ(PaneText(), "Empty searchpattern\nExecution cancelled");
    EXPECT_EQ(Status(0), "");
    EXPECT_FALSE(wxFileExists(argLog));
    EXPECT_FALSE(wxFileExists(dir + "/ham.txt"));
    EXPECT_EQ(LastEnd(), RunEnd::Refused);
    EXPECT_TRUE(form->IsEnabled());
}

TEST_F(DoIt, ACommandThatCannotStartSaysWhy) {
    // Past what the system takes in one argument (a field holds 65,535),
    // which the line is when an interpreter runs it.
    setenv("COMSPEC", "/bin/sh", 1);
    Field(Arg::SearchExprField)->ChangeValue(std::string(65535, 'a'));
    Field(Arg::GroupExprField)->ChangeValue(std::string(65535, 'a'));
    PressDoIt("lines:1");
    EXPECT_NE(PaneText().find("\n\nThe command line is too long for this system.\n"), std::string::npos);
    EXPECT_EQ(Status(1), "Command line too long");
    Select(CmdHelp);
    setenv("COMSPEC", "/nonexistent/interpreter", 1);
    PressDoIt("lines:1");
    EXPECT_EQ(PaneText(), Echo("/nonexistent/interpreter") + "help \n\nCoudn't open \"ham.txt\n");
    EXPECT_EQ(LastEnd(), RunEnd::NotOpened);
    EXPECT_EQ(Status(1), "The tool could not be started");
}

TEST_F(DoIt, ErrorOutputAndExitStatusAreShownNotLost) {
    Select(CmdInfo);
    PressDoIt("stderr-fail");
    EXPECT_EQ(PaneText(), Echo() + "info \n\n\n\n[error output]\nham: scripted failure\n");
    EXPECT_EQ(Status(1), "Exit status 3");
    // A missing tool: the interpreter's complaint instead of a silent 0 lines.
    Open("[Setup]\nHamDir=" + dir + "/nowhere\n");
    Select(CmdInfo);
    PressDoIt("lines:1");
    EXPECT_EQ(Status(0), "0 line(s), 0 char(s)");
    EXPECT_EQ(Status(1), "Exit status 127");
    EXPECT_NE(PaneText().find("nowhere/ham.exe"), std::string::npos) << PaneText();
}

TEST_F(DoIt, TwoRunsInARowStartAfresh) {
    Select(CmdInfo);
    PressDoIt("lines:30");
    EXPECT_EQ(Status(0), "30 line(s), 1470 char(s)");
    std::ofstream(dir + "/ham.txt", std::ios::app) << "stale line\n";
    Select(CmdHelp);
    Field(Arg::ArgumentField)->ChangeValue("grep");
    EXPECT_EQ(Status(0), "");
    PressDoIt("lines:2");
    EXPECT_EQ(PaneText().rfind(Echo() + "help grep\n\n", 0), 0u);
    EXPECT_EQ(PaneText().find("stale"), std::string::npos);
    EXPECT_EQ(Status(0), "2 line(s), 98 char(s)");
}

TEST_F(DoIt, APaneThatTakesNoMorePointsToTheFile) {
    window->pane->SetTextLimit(2000);
    Select(CmdInfo);
    PressDoIt("lines:100");
    EXPECT_EQ(Status(1), "For complete output see ham.txt");
    // 49 + 1 bytes a line after the echo: the lines that fitted are counted.
    std::string text = PaneText();
    const long shown = static_cast<long>(std::count(text.begin(), text.end(), '\n')) - 2;
    EXPECT_EQ(Status(0), wxString::Format("%ld line(s), %ld char(s)", shown, shown * 49));
    EXPECT_LE(text.size(), 2000u);
    EXPECT_EQ(ReadFile(dir + "/ham.txt").size(), 5000u);
    // One line longer than the whole pane still shows its start.
    PressDoIt("longline");
    text = PaneText();
    EXPECT_EQ(text, Echo() + "info \n\n" + std::string(2000 - Echo().size() - 7, 'x'));
    EXPECT_EQ(Status(0), "0 line(s), 0 char(s)");
    EXPECT_EQ(Status(1), "For complete output see ham.txt");
}

// While the tool writes, the pane shows each whole line it has written so
// far; the end result is what a copy after the wait gives.
TEST_F(DoIt, LiveOutputEndsAsACopyAfterTheWait) {
    Select(CmdInfo);
    std::vector<wxString> statuses;
    StartDoIt("slow:3");
    ASSERT_TRUE(PumpUntil([&] {
        if (statuses.empty() || statuses.back() != Status(0)) statuses.push_back(Status(0));
        return Status(0) == "Waiting since 2 sec's";
    }, 5000));
    EXPECT_NE(PaneText().find("slow line 1\n"), std::string::npos);
    EXPECT_FALSE(form->IsEnabled());
    std::system("import -window root /tmp/quillet-live.png");  // what the user sees meanwhile
    ASSERT_TRUE(PumpUntil([this] { return !frame->RunActive(); }, 10000));
    EXPECT_EQ(statuses, (std::vector<wxString>{"", "Waiting since 1 sec's", "Waiting since 2 sec's"}));
    EXPECT_EQ(Status(0), "3 line(s), 33 char(s)");

    for (const char* mode : {"pieces", "slow:2", "lines:100"}) {
        window->pane->SetTextLimit(std::string(mode) == "lines:100" ? 2000 : 1 << 20);
        std::string shown[2];
        wxString counts[2], note[2];
        for (int live = 0; live < 2; ++live) {
            frame->SetLiveOutput(live == 1);
            PressDoIt(mode);
            shown[live] = PaneText(), counts[live] = Status(0), note[live] = Status(1);
        }
        EXPECT_EQ(shown[1], shown[0]) << mode;
        EXPECT_EQ(counts[1], counts[0]) << mode;
        EXPECT_EQ(note[1], note[0]) << mode;
    }
}

TEST_F(DoIt, EscapeEndsAToolThatNeverEnds) {
    Select(CmdInfo);
    StartDoIt("forever");
    ASSERT_TRUE(PumpUntil([this] { return Status(0) == "Waiting since 1 sec's"; }, 5000));
    EXPECT_EQ(Status(1), "Esc cancels the run");
    ASSERT_TRUE(quillet::testing::FocusAndWait(window->pane));
    wxUIActionSimulator().Char(WXK_ESCAPE);
    ASSERT_TRUE(PumpUntil([this] { return !frame->RunActive(); }, 3000));
    EXPECT_EQ(LastEnd(), RunEnd::Cancelled);
    EXPECT_EQ(Status(1), "Cancelled: output may be incomplete");
    EXPECT_NE(PaneText().find("tick\n"), std::string::npos);
    // Nothing the run started is left running in its directory.
    EXPECT_FALSE(AnyProcessWorksIn(dir));
    // The window works again: a button press selects a command.
    Select(CmdHelp);
    EXPECT_EQ(form->CurrentCommand(), CmdHelp);
}

// However a second Do It arrives during a run, there is one run.
TEST_F(DoIt, ASecondDoItDuringARunIsIgnored) {
    const std::string listing = dir + "/dropped.txt";
    std::ofstream(listing) << "dropped text\n";
    const struct {
        const char* origin;
        std::function<void()> second;
    } origins[] = {
        {"Return twice", [] { wxUIActionSimulator().Char(WXK_RETURN); }},
        {"a click", [this] { testing::Click(form->DoItButton()); }},
        {"a queued call", [this] { frame->CallAfter([this] { frame->OnDoIt(); }); }},
        {"a dropped file", [&] {
             // The event owns the array of names.
             wxDropFilesEvent drop(wxEVT_DROP_FILES, 1, new wxString[1]{listing});
             window->pane->ProcessWindowEvent(drop);
         }},
    };
    Select(CmdHelp);
    for (const auto& o : origins) {
        SCOPED_TRACE(o.origin);
        std::remove(argLog.c_str());
        ASSERT_TRUE(quillet::testing::FocusAndWait(Field(Arg::ArgumentField)));
        setenv("QUILLET_STANDIN_MODE", "slow:1", 1);
        wxUIActionSimulator().Char(WXK_RETURN);
        o.second();
        ASSERT_TRUE(PumpUntil([this] { return frame->RunActive(); }));
        o.second();
        ASSERT_TRUE(PumpUntil([this] { return !frame->RunActive(); }, 8000));
        quillet::testing::PumpEvents(300);
        EXPECT_FALSE(frame->RunActive());
        EXPECT_EQ(ReadFile(argLog), "help\n----\n");
        EXPECT_EQ(PaneText(), Echo() + "help \n\nslow line 1\n\n");
        EXPECT_EQ(Status(0), "1 line(s), 11 char(s)");
    }
}

TEST_F(DoIt, ClosingDuringARunEndsTheToolAndSavesTheFields) {
    Field(Arg::SearchExprField)->ChangeValue("kept");
    Select(CmdInfo);
    StartDoIt("forever");
    ASSERT_TRUE(PumpUntil([this] { return Status(0) == "Waiting since 1 sec's"; }, 5000));
    frame->Close();
    ASSERT_TRUE(PumpUntil([this] { return !window->frame; }));
    EXPECT_TRUE(PumpUntil([this] { return !AnyProcessWorksIn(dir); }, 2000));
    EXPECT_EQ(platform::ReadSettingString(dir + "/quillet.ini", "SearchExpr", "0", ""), "kept");
}

}  // namespace
}  // namespace quillet
