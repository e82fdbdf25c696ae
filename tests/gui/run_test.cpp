// Do It against the real window, with a stand-in tool that records the
// argument list it was given and writes scripted output.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <optional>
#include <vector>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <wx/filefn.h>
#include <wx/menu.h>
#include <wx/radiobut.h>
#include <wx/timer.h>
#include <wx/utils.h>

#include "gui_support.h"
#include "../peak_memory.h"
#include "platform/settings_file.h"
#include "pane/find_bar.h"
#include "platform/text_control.h"

namespace quillet {
namespace {

using quillet::testing::kStandinDir;
using quillet::testing::PumpUntil;
using quillet::testing::ReadFile;

// The processes other than this one that work in dir.
std::string WorkingIn(const std::string& dir) {
    return testing::ProcessesWhere([&dir](const std::filesystem::path& proc) {
        std::error_code error;
        return std::filesystem::read_symlink(proc / "cwd", error) == dir;
    });
}

using quillet::test_memory::PeakKiB;

class DoIt : public testing::WindowTest {
protected:
    void SetUp() override { Open(); }
    // The line begins with the tool itself, or with the COMSPEC given.
    static std::string Echo(const std::string& interpreter = "") {
        return (interpreter.empty() ? "" : interpreter + " -c ") + kStandinDir + "/ham.exe>ham.txt ";
    }
    // The line the view draws at the pane's bottom, and the pane's last line.
    long BottomLine() const { return platform::VisibleLines(*pane).bottom; }
    long LastLine() const { return pane->GetNumberOfLines() - 1; }
    // Once the view has laid the text out (a million lines take it
    // seconds), it stays where it has come to.
    bool ViewSettlesAtTheEnd() {
        return PumpUntil([this] { return BottomLine() == LastLine(); }, 30000) &&
               (quillet::testing::PumpEvents(200), BottomLine() == LastLine());
    }
};

std::string Lines(int from, int to) {
    std::string text;
    for (int i = from; i <= to; ++i) {
        char line[64];
        std::snprintf(line, sizeof line, "line %06d: scripted output of the stand-in tool\n", i);
        text += line;
    }
    return text;
}

// One whole run a row: the line echoed (none: a refusal, written instead;
// empty: the pane need only hold the text), the text after it, the two
// status fields, and the arguments the tool got.
TEST_F(DoIt, RunsShowTheToolsOutputAndCountsOrSayWhyNot) {
    const std::string shownStart(LineCopier::kLongestShownLine, 'x'), info = Echo() + "info ";
    const struct Case {
        const char* what;
        int command;
        std::function<void()> prepare;
        const char* mode;
        std::optional<std::string> line;
        std::string pane;
        const char* status0;
        const char* status1;
        const char* args = nullptr;  // the tool's arguments, one a line; null: not checked
        RunEnd end = RunEnd::Copied;
        long peakMiB = 0;  // the most memory the run may add; 0: not checked
    } cases[] = {
        {"grep with its options", CmdGrep, [this] {
             Field(Arg::SearchExprField)->ChangeValue("From:.*\"x\" > y");
             Field(Arg::GroupExprField)->ChangeValue("de.test");
             static_cast<wxCheckBox*>(form->ArgControl(Arg::IgnoreCaseBox))->SetValue(true);
             static_cast<wxRadioButton*>(form->ArgControl(Arg::GrepOptVa))->SetValue(true);
         }, "lines:12", Echo() + "grep -i -va \"From:.*\"x\" > y\" \"de.test\"", Lines(1, 12) + "\n",
         "12 line(s), 588 char(s)", "",
         // One argument a line: the quotes were the interpreter's to take.
         "grep\n-i\n-va\nFrom:.*x > y\nde.test\n----\n"},
        {"100 lines", CmdInfo, nullptr, "lines:100", "", Lines(99, 100) + "\n", "100 line(s), 4900 char(s)", ""},
        {"a million lines", CmdInfo, nullptr, "lines:1000000", "", Lines(999999, 1000000) + "\n",
         "1000000 line(s), 49000001 char(s)", ""},
        {"empty", CmdInfo, nullptr, "empty", info, "\n", "0 line(s), 0 char(s)", "", "info\n----\n"},
        // Shown cut, counted whole, and never held whole in memory.
        {"a 100 MB line", CmdInfo, nullptr, "hugeline:100000000", info,
         shownStart + "\xe2\x80\xa6 [line cut, 100000000 char(s) in all]\n",
         "1 line(s), 100000000 char(s)", "For complete output see ham.txt", nullptr, RunEnd::Copied, 64},
        // Anything but a regular file is no output to copy.
        {"a directory", CmdInfo, nullptr, "dir", info, "Coudn't open \"ham.txt\n", "", "", nullptr,
         RunEnd::NotOpened},
        {"error output and exit status", CmdInfo, nullptr, "stderr-fail", info,
         "\n\n[error output]\nham: scripted failure\n", "0 line(s), 0 char(s)", "Exit status 3"},
        {"a stale ham.txt", CmdHelp, [this] {
             std::ofstream(dir + "/ham.txt", std::ios::app) << "stale line\n";
             Field(Arg::ArgumentField)->ChangeValue("grep");
         }, "lines:2", Echo() + "help grep", Lines(1, 2) + "\n", "2 line(s), 98 char(s)", "", "help\ngrep\n----\n"},
        {"an empty pattern", CmdGrep, [this] { Field(Arg::SearchExprField)->ChangeValue(""); },
         "lines:1", std::nullopt, "Empty searchpattern\nExecution cancelled", "", "", "", RunEnd::Refused},
        // Past what the system takes in one argument (a field holds
        // 65,535), which the line is when an interpreter runs it.
        {"a line too long", CmdGrep, [this] {
             setenv("COMSPEC", "/bin/sh", 1);
             Field(Arg::SearchExprField)->ChangeValue(std::string(65535, 'a'));
             Field(Arg::GroupExprField)->ChangeValue(std::string(65535, 'a'));
         }, "lines:1", "", "\n\nThe command line is too long for this system.\n", "", "Command line too long",
         "", RunEnd::NotOpened},
        {"a missing interpreter", CmdHelp, [] { setenv("COMSPEC", "/nonexistent/interpreter", 1); },
         "lines:1", Echo("/nonexistent/interpreter") + "help grep", "Coudn't open \"ham.txt\n", "",
         "The tool could not be started", "", RunEnd::NotOpened},
        // "<" is the interpreter's: standard input from the file, and
        // nothing runs when it is missing.
        {"input from a file", CmdHelp, [this] {
             std::ofstream(dir + "/in.txt") << "from in.txt\n";
             Field(Arg::ArgumentField)->ChangeValue("<in.txt x^>y");
         }, "stdin", Echo() + "help <in.txt x^>y", "from in.txt\n\n", "1 line(s), 11 char(s)", "",
         "help\nx>y\n----\n"},
        {"a missing input file", CmdHelp, [this] { Field(Arg::ArgumentField)->ChangeValue("< nofile"); },
         "stdin", Echo() + "help < nofile", "\n\n[error output]\nThe system cannot find the file specified.\n",
         "0 line(s), 0 char(s)", "Exit status 1", ""},
        // A missing tool: the interpreter's complaint instead of a silent 0 lines.
        {"a missing tool", CmdInfo, [this] { Open("[Setup]\nHamDir=" + dir + "/nowhere\n"); },
         "lines:1", "", "nowhere/ham.exe", "0 line(s), 0 char(s)", "Exit status 127"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        unsetenv("COMSPEC");
        if (c.prepare) c.prepare();
        Select(c.command);
        frame->SetStatus(0, "old");
        frame->SetStatus(1, "old");
        const long before = PeakKiB(true);
        PressDoIt(c.mode, 120000);  // a million lines take a while under a sanitizer
        if (c.peakMiB) {
            EXPECT_LT(PeakKiB(false) - before, c.peakMiB * 1024);
        }
        const std::string text = PaneText();
        if (!c.line) {
            EXPECT_EQ(text, c.pane);
        } else if (c.line->empty()) {
            EXPECT_NE(text.find(c.pane), std::string::npos) << text;
        } else {
            EXPECT_EQ(text, *c.line + "\n\n" + c.pane);
        }
        EXPECT_EQ(Status(0), c.status0);
        EXPECT_EQ(Status(1), c.status1);
        if (c.args) {
            EXPECT_EQ(wxFileExists(argLog) ? ReadFile(argLog) : "", c.args);
        }
        EXPECT_EQ(LastEnd(), c.end);
        EXPECT_TRUE(form->IsEnabled());
        // Hands off, what is drawn at the pane's bottom is the end of the output.
        if (c.end == RunEnd::Copied) {
            EXPECT_TRUE(ViewSettlesAtTheEnd()) << "bottom line " << BottomLine() << " of " << LastLine();
        }
        if (c.command == CmdGrep && c.end == RunEnd::Copied) {
            EXPECT_TRUE(PumpUntil([this] { return wxWindow::FindFocus() == Field(Arg::SearchExprField); }));
        }
    }
}

TEST_F(DoIt, APaneThatTakesNoMorePointsToTheFile) {
    pane->SetTextLimit(2000);
    Select(CmdInfo);
    // The pointer to the file outweighs an exit status the run would show.
    setenv("QUILLET_STANDIN_EXIT", "3", 1);
    PressDoIt("lines:100");
    unsetenv("QUILLET_STANDIN_EXIT");
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
    ASSERT_TRUE(PumpUntil([this] { return !frame->RunActive(); }, 10000));
    EXPECT_EQ(statuses, (std::vector<wxString>{"", "Waiting since 1 sec's", "Waiting since 2 sec's"}));
    EXPECT_EQ(Status(0), "3 line(s), 33 char(s)");

    for (const char* mode : {"pieces", "slow:2", "lines:100"}) {
        pane->SetTextLimit(std::string(mode) == "lines:100" ? 2000 : 1 << 20);
        std::string shown[2];
        wxString counts[2], note[2];
        for (int live = 0; live < 2; ++live) {
            frame->SetLiveOutput(live == 1);
            StartDoIt(mode);
            // Without live output nothing but the echo shows while the tool runs.
            if (live == 0 && std::string(mode) == "slow:2") {
                ASSERT_TRUE(PumpUntil([this] { return Status(0) == "Waiting since 1 sec's"; }, 5000));
                EXPECT_EQ(PaneText().find("slow line"), std::string::npos);
            }
            ASSERT_TRUE(PumpUntil([this] { return !frame->RunActive(); }, 20000));
            shown[live] = PaneText(), counts[live] = Status(0), note[live] = Status(1);
        }
        EXPECT_EQ(shown[1], shown[0]) << mode;
        EXPECT_EQ(counts[1], counts[0]) << mode;
        EXPECT_EQ(note[1], note[0]) << mode;
    }
}

// However slowly the pane takes the output in (Wine's control takes some
// 35 ms over 64 KB), the window answers between any two pieces of it: the
// time the pane takes counts in the slice.
TEST_F(DoIt, TheWindowAnswersBetweenThePiecesOfASlowCopy) {
    Select(CmdInfo);
    long turns = 0;
    std::vector<long> turnsAtPiece;
    wxTimer ticker;
    ticker.Bind(wxEVT_TIMER, [&](wxTimerEvent&) { ++turns; });
    ticker.Start(5);
    pane->SetTextChangedHandler([&] { turnsAtPiece.push_back(turns), wxMilliSleep(50); });
    PressDoIt("lines:5000");
    pane->SetTextChangedHandler({});
    ASSERT_EQ(Status(0), "5000 line(s), 245000 char(s)");
    ASSERT_GE(turnsAtPiece.size(), 8u);
    // The pane is emptied and takes the echo before the output's pieces;
    // the run's last words may share a turn with the last piece.
    for (std::size_t i = 3; i + 1 < turnsAtPiece.size(); ++i)
        EXPECT_GT(turnsAtPiece[i], turnsAtPiece[i - 1]) << "piece " << i << " of " << turnsAtPiece.size();
}

// A user who scrolled away during the run keeps their place; back at the
// end, the view follows it again.
TEST_F(DoIt, TheViewStaysWhereTheUserScrolledDuringTheRun) {
    Select(CmdInfo);
    for (bool scrollAway : {true, false}) {
        StartDoIt("halves:100");
        ASSERT_TRUE(PumpUntil([this] { return PaneText().find("line 000100") != std::string::npos; }, 5000));
        ASSERT_TRUE(quillet::testing::FocusAndWait(pane));
        wxUIActionSimulator().Char(scrollAway ? WXK_HOME : WXK_END, wxMOD_CONTROL);
        ASSERT_TRUE(PumpUntil([this] { return !frame->RunActive(); }, 10000));
        EXPECT_TRUE(scrollAway ? (quillet::testing::PumpEvents(500), platform::VisibleLines(*pane).top == 0)
                               : ViewSettlesAtTheEnd()) << scrollAway;
    }
}

TEST_F(DoIt, EscapeEndsAToolThatNeverEnds) {
    Select(CmdInfo);
    StartDoIt("forever");
    ASSERT_TRUE(PumpUntil([this] { return Status(0) == "Waiting since 1 sec's"; }, 5000));
    EXPECT_EQ(Status(1), "Esc cancels the run");
    PressEscape();
    EXPECT_EQ(Status(1), "Cancelled: output may be incomplete");
    EXPECT_NE(PaneText().find("tick\n"), std::string::npos);
    // Nothing the run started is left running in its directory.
    EXPECT_EQ(WorkingIn(dir), "");
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
             pane->ProcessWindowEvent(drop);
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
    ASSERT_TRUE(PumpUntil([this] { return !frame; }));
    EXPECT_TRUE(PumpUntil([this] { return WorkingIn(dir).empty(); }, 2000)) << WorkingIn(dir);
    EXPECT_EQ(platform::ReadSettingString(dir + "/quillet.ini", "SearchExpr", "0", ""), "kept");
}

// The find bar while the tool writes: the matches of the lines still to
// come count in, and Escape in the bar closes it and leaves the run alone.
TEST_F(DoIt, FindCountsInWhileTheOutputGrows) {
    Select(CmdInfo);
    StartDoIt("halves:2000");
    ASSERT_TRUE(PumpUntil([this] { return PaneText().find("line 002000") != std::string::npos; }, 5000));
    frame->OpenFindBar();
    FindBar* bar = frame->Finder();
    bar->Field()->SetValue("STAND-IN tool");
    // The caret follows the output's end: the first match is found round the end.
    EXPECT_TRUE(PumpUntil([bar] { return bar->Result() == "1 of 2000, wrapped"; })) << bar->Result();
    EXPECT_EQ(pane->GetStringSelection(), "stand-in tool");
    ASSERT_TRUE(quillet::testing::FocusAndWait(bar->Field()));
    wxUIActionSimulator().Char(WXK_ESCAPE);
    EXPECT_TRUE(PumpUntil([bar] { return !bar->IsShown(); }));
    EXPECT_TRUE(frame->RunActive());
    frame->OpenFindBar();
    ASSERT_TRUE(PumpUntil([this] { return !frame->RunActive(); }, 10000));
    EXPECT_TRUE(PumpUntil([bar] { return bar->Result().StartsWith("1 of 4000"); })) << bar->Result();
    EXPECT_EQ(LastEnd(), RunEnd::Copied);
}

// Save gives ham.txt whole, also past what the pane holds, and a dropped
// file's bytes as they are; there is nothing to save before a run and
// during one.  A folder the user may not write to refuses the save (tried
// as an ordinary user, since root may write anywhere) and keeps the old file.
TEST_F(DoIt, SaveOutputGivesTheWholeFileOrKeepsTheOldOne) {
    auto saveEnabled = [this] { return frame->GetMenuBar()->IsEnabled(kMenuSaveOutput); };
    EXPECT_FALSE(saveEnabled());
    pane->SetTextLimit(2000);
    Select(CmdInfo);
    StartDoIt("slow:1");
    EXPECT_FALSE(saveEnabled());
    EXPECT_NE(frame->SaveOutputAs(dir + "/saved.txt"), "");
    ASSERT_TRUE(PumpUntil([this] { return !frame->RunActive(); }, 10000));
    PressDoIt("lines:1000");
    EXPECT_TRUE(saveEnabled());
    EXPECT_EQ(Status(1), "For complete output see ham.txt");
    EXPECT_EQ(frame->SaveOutputAs(dir + "/saved.txt"), "");
    EXPECT_EQ(ReadFile(dir + "/saved.txt").size(), 50000u);
    EXPECT_EQ(ReadFile(dir + "/saved.txt"), ReadFile(dir + "/ham.txt"));

    const std::string dropped = std::string("caf\xe9\r\nnul \0 end", 15);
    std::ofstream(dir + "/dropped.txt", std::ios::binary) << dropped;
    ASSERT_TRUE(pane->LoadTextFile(dir + "/dropped.txt"));
    EXPECT_EQ(frame->SaveOutputAs(dir + "/saved.txt"), "");
    EXPECT_EQ(ReadFile(dir + "/saved.txt"), dropped);

    const std::string folder = dir + "/read-only";
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    std::ofstream(folder + "/saved.txt") << "old";
    ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(1);
        const std::string why = frame->SaveOutputAs(folder + "/saved.txt");
        ::_exit(::write(out[1], why.data(), why.size()) == static_cast<ssize_t>(why.size()) ? 0 : 1);
    }
    ::close(out[1]);
    char said[1024] = {};
    const ssize_t got = ::read(out[0], said, sizeof said - 1);
    ::close(out[0]);
    int status = -1;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(status, 0);
    EXPECT_GT(got, 0);
    EXPECT_NE(std::string(said).find(folder), std::string::npos) << said;
    EXPECT_EQ(ReadFile(folder + "/saved.txt"), "old");
    ::chmod(folder.c_str(), 0755);
}

}  // namespace
}  // namespace quillet
