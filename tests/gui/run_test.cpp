// Do It against the real window, with a stand-in tool that records the
// argument list it was given and writes scripted output.
#include "exec/run.h"

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
#include <wx/timer.h>
#include <wx/uiaction.h>

#include "app/main_frame.h"
#include "app/output_pane.h"
#include "app/program.h"
#include "form/command_form.h"
#include "gui_support.h"

namespace quillet {
namespace {

using quillet::testing::ReadFile;

const std::string kStandinDir = QUILLET_SOURCE_DIR "/tests/e2e/standin";

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

// Calls tick every few milliseconds while a run blocks in Do It; the run
// keeps the event loop turning, so timers fire.
struct Ticker : wxTimer {
    explicit Ticker(std::function<void()> f) : tick(std::move(f)) {}
    void Notify() override { tick(); }
    std::function<void()> tick;
};

class DoIt : public ::testing::Test {
protected:
    void SetUp() override {
        char dirTemplate[] = "/tmp/quillet-run-XXXXXX";
        ASSERT_NE(mkdtemp(dirTemplate), nullptr);
        dir = dirTemplate;
        argLog = dir + "/args.log";
        std::filesystem::current_path(dir);
        setenv("QUILLET_STANDIN_LOG", argLog.c_str(), 1);
        unsetenv("COMSPEC");
        window = std::make_unique<testing::ProgramWindow>(dir + "/quillet.ini");
        TheProgram().hamDir = kStandinDir;
        form = window->form;
    }
    void TearDown() override {
        window.reset();
        unsetenv("QUILLET_STANDIN_MODE");
        std::filesystem::current_path(oldDir);
        std::filesystem::remove_all(dir);
    }
    void Select(int command) { testing::Click(form->commandButtons[command]); }
    void PressDoIt(const char* mode) {
        setenv("QUILLET_STANDIN_MODE", mode, 1);
        testing::Click(form->doItButton);
    }
    wxString Status(int field) { return window->frame->GetStatusBar()->GetStatusText(field); }
    std::string PaneText() { return window->pane->GetValue().utf8_string(); }
    // The line begins with the tool itself, or with the COMSPEC given.
    static std::string Echo(const std::string& interpreter = "") {
        return (interpreter.empty() ? "" : interpreter + " -c ") + kStandinDir + "/ham.exe>ham.txt ";
    }

    const std::filesystem::path oldDir = std::filesystem::current_path();
    std::string dir, argLog;
    std::unique_ptr<testing::ProgramWindow> window;
    CommandForm* form = nullptr;
};

TEST_F(DoIt, GrepRunsTheToolAndCopiesItsLinesWithCounts) {
    form->searchExprField->ChangeValue("From:.*\"x\" > y");
    form->groupExprField->ChangeValue("de.test");
    form->ignoreCaseBox->SetValue(true);
    form->grepOptVa->SetValue(true);
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
    EXPECT_EQ(wxWindow::FindFocus(), form->searchExprField);
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
    form->searchExprField->ChangeValue("");
    SetStatus(0, "old");
    PressDoIt("lines:1");
    EXPECT_EQ(PaneText(), "Empty searchpattern\nExecution cancelled");
    EXPECT_EQ(Status(0), "");
    EXPECT_FALSE(wxFileExists(argLog));
    EXPECT_FALSE(wxFileExists(dir + "/ham.txt"));
    EXPECT_EQ(LastRunEnd(), RunEnd::Refused);
}

TEST_F(DoIt, AnInterpreterThatCannotStartEndsInCoudntOpen) {
    setenv("COMSPEC", "/nonexistent/interpreter", 1);
    Select(CmdInfo);
    PressDoIt("lines:1");
    EXPECT_EQ(PaneText(), Echo("/nonexistent/interpreter") + "info \n\nCoudn't open \"ham.txt\n");
    EXPECT_EQ(LastRunEnd(), RunEnd::NotOpened);
    EXPECT_NE(Status(1), "");
}

TEST_F(DoIt, ErrorOutputAndExitStatusAreShownNotLost) {
    Select(CmdInfo);
    PressDoIt("stderr-fail");
    EXPECT_EQ(PaneText(), Echo() + "info \n\n\n\n[error output]\nham: scripted failure\n");
    EXPECT_EQ(Status(1), "Command ended with exit status 3");
    // A missing tool: the interpreter's complaint instead of a silent 0 lines.
    TheProgram().hamDir = dir + "/nowhere";
    PressDoIt("lines:1");
    EXPECT_EQ(Status(0), "0 line(s), 0 char(s)");
    EXPECT_EQ(Status(1), "Command ended with exit status 127");
    EXPECT_NE(PaneText().find("nowhere/ham.exe"), std::string::npos) << PaneText();
}

TEST_F(DoIt, TwoRunsInARowStartAfresh) {
    Select(CmdInfo);
    PressDoIt("lines:30");
    EXPECT_EQ(Status(0), "30 line(s), 1470 char(s)");
    std::ofstream(dir + "/ham.txt", std::ios::app) << "stale line\n";
    Select(CmdHelp);
    form->argumentField->ChangeValue("grep");
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
    const std::string text = PaneText();
    const long shown = static_cast<long>(std::count(text.begin(), text.end(), '\n')) - 2;
    EXPECT_EQ(Status(0), wxString::Format("%ld line(s), %ld char(s)", shown, shown * 49));
    EXPECT_LE(text.size(), 2000u);
    EXPECT_EQ(ReadFile(dir + "/ham.txt").size(), 5000u);
}

TEST_F(DoIt, SlowToolShowsTheWaitingTextCountingUp) {
    std::vector<wxString> statuses;
    bool shot = false;
    Ticker ticker([&] {
        wxString now = Status(0);
        if (statuses.empty() || statuses.back() != now) statuses.push_back(now);
        if (!shot && now == "Waiting since 2 sec's")  // what the user sees meanwhile
            shot = std::system("import -window root /tmp/quillet-waiting.png") == 0;
    });
    ticker.Start(50);
    Select(CmdInfo);
    PressDoIt("slow:4");
    ticker.Stop();
    statuses.resize(3);
    EXPECT_EQ(statuses,
              (std::vector<wxString>{"", "Waiting since 1 sec's", "Waiting since 2 sec's"}));
    EXPECT_EQ(Status(0), "4 line(s), 44 char(s)");
}

TEST_F(DoIt, EscapeEndsAToolThatNeverEnds) {
    ASSERT_TRUE(quillet::testing::FocusAndWait(form->doItButton));
    bool pressed = false;
    Ticker ticker([&] {
        if (!pressed && Status(0) == "Waiting since 1 sec's") {
            pressed = true;
            wxUIActionSimulator().Char(WXK_ESCAPE);
        }
    });
    ticker.Start(50);
    Select(CmdInfo);
    const auto start = wxGetLocalTimeMillis();
    PressDoIt("forever");
    ticker.Stop();
    EXPECT_TRUE(pressed);
    EXPECT_LT(wxGetLocalTimeMillis() - start, 4000) << "the run ended soon after Escape";
    EXPECT_EQ(LastRunEnd(), RunEnd::Cancelled);
    EXPECT_EQ(Status(1), "Cancelled: the output may be incomplete");
    EXPECT_NE(PaneText().find("tick\n"), std::string::npos);
    // Nothing the run started is left running in its directory.
    EXPECT_FALSE(AnyProcessWorksIn(dir));
    // The window works again: a button press selects a command.
    Select(CmdHelp);
    EXPECT_EQ(TheProgram().currentCommand, CmdHelp);
}

}  // namespace
}  // namespace quillet
