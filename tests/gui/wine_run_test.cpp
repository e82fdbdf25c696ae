// Do It against the real window with Windows stand-ins run under Wine: the
// command line the Windows tool receives must be the one Windows would give
// it.  The stand-ins and the private Wine prefix come from the test build.
#include <cstdlib>

#include "gui_support.h"
#include "platform/windows_line.h"

namespace quillet {
namespace {

namespace fs = std::filesystem;
using quillet::testing::PumpUntil;
using quillet::testing::ReadFile;

// The processes that run this build's Windows stand-in tool (under Wine, by
// its Windows name), with their state; other builds may run theirs meanwhile.
std::string StandInToolProcesses(const std::string& program) {
    return testing::ProcessesWhere([&program](const fs::path& proc) {
        return ReadFile(proc / "cmdline").find(program.substr(3, program.size() - 4)) != std::string::npos;
    });
}

// The batch files of this build's runs still on disk.  (TMPDIR stays as it
// is: Wine keeps its server's socket there, and another one would start
// another server.)
std::string BatchFiles(const std::string& program) {
    std::string names;
    const char* tmp = std::getenv("TMPDIR");
    for (const auto& entry : fs::directory_iterator(tmp && *tmp ? tmp : "/tmp"))
        if (entry.path().filename().string().rfind("quillet-", 0) == 0 &&
            ReadFile(entry.path() / "run.bat").find(program) != std::string::npos)
            names += entry.path().string() + " ";
    return names;
}

class DoItUnderWine : public testing::WindowTest {
protected:
    void SetUp() override {
        const char* standins = std::getenv("QUILLET_WIN_STANDIN");
        ASSERT_NE(standins, nullptr) << "run through ctest, which builds the stand-ins";
        hamDir = standins;
        Open("[Setup]\nHamDir=" + hamDir + "\n");
        stale = BatchFiles(Program());
    }
    // HamDir as Windows names it, with the program, quoted for its blank.
    std::string Program() const { return '"' + WindowsName(hamDir + "/ham.exe") + '"'; }
    static std::string WindowsName(std::string path) {
        for (char& c : path)
            if (c == '/') c = '\\';
        return "Z:" + path;
    }
    // The Help argument that makes the batch line "@" + the line exactly
    // as long as the interpreter runs whole.
    std::string LongestHelpArgument() const {
        return std::string(platform::kInterpreterLineLimit - 1 - (Program() + ">ham.txt help ").size() - 1, 'x');
    }
    std::string hamDir;
    std::string stale;  // batch files an earlier test run left, not this one's
};

TEST_F(DoItUnderWine, TheToolGetsTheLineAsWindowsWouldGiveIt) {
    const char* output = "Gr\xc3\xbc\xc3\x9f" "e aus M\xc3\xbcnchen\n\xc3\x84rger \xc3\xbc" "ber \xc3\x96l\n";
    const std::string longest = LongestHelpArgument();
    const struct {
        int command;
        std::function<void(CommandForm&)> fill;
        std::string tail;      // after ">ham.txt " in the line
        std::string received;  // what the tool's command line holds after its name
        std::string argv;      // its arguments, one a line
    } cases[] = {
        {CmdScoreview, nullptr, "scoreview de\\.alt\\.admin", "scoreview de\\.alt\\.admin",
         "scoreview\nde\\.alt\\.admin\n"},
        {CmdDelete, [](CommandForm& f) { f.Field(Arg::MsgIdField)->ChangeValue("<abc$1def`id`$HOME@example.com>"); },
         "delete \"<abc$1def`id`$HOME@example.com>\"", "delete \"<abc$1def`id`$HOME@example.com>\"",
         "delete\n<abc$1def`id`$HOME@example.com>\n"},
        {CmdGrep,
         [](CommandForm& f) {
             f.Field(Arg::SearchExprField)->ChangeValue(wxString::FromUTF8("Gr\xc3\xbc\xc3\x9f" "e 100% \\\"x\\\" c:\\d\\"));
             f.Field(Arg::GroupExprField)->ChangeValue("de.*");
         },
         "grep \"Gr\xc3\xbc\xc3\x9f" "e 100% \\\"x\\\" c:\\d\\\" \"de.*\"",
         "grep \"Gr\xfc\xdf" "e 100% \\\"x\\\" c:\\d\\\" \"de.*\"",
         "grep\nGr\xfc\xdf" "e 100% \"x\" c:\\d\" de.*\n"},
        {CmdImport,
         [](CommandForm& f) {
             static_cast<wxCheckBox*>(f.ArgControl(Arg::GoBox))->SetValue(true);
             f.Field(Arg::GroupNameField)->ChangeValue("de.test");
             f.Field(Arg::FileNamesField)->ChangeValue("a.msg \"b c.msg\"");
         },
         "import -go\"de.test\" a.msg \"b c.msg\"", "import -go\"de.test\" a.msg \"b c.msg\"",
         "import\n-gode.test\na.msg\nb c.msg\n"},
        // The longest line the interpreter runs whole reaches the tool whole.
        {CmdHelp, [&longest](CommandForm& f) { f.Field(Arg::ArgumentField)->ChangeValue(longest); },
         "help " + longest, "help " + longest, "help\n" + longest + "\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tail);
        form->SelectCommand(c.command);
        if (c.fill) c.fill(*form);
        PressDoIt("", 30000);
        const std::string line = "C:\\windows\\system32\\cmd.exe /c " + Program() + ">ham.txt " + c.tail;
        EXPECT_EQ(ReadFile(dir + "/args.log"), Program() + " " + c.received + "\n" + c.argv + "----\n");
        EXPECT_EQ(PaneText(), line + "\n\n" + output + "\n");
        EXPECT_EQ(Status(0), "2 line(s), 30 char(s)");
        EXPECT_EQ(Status(1), "");
        EXPECT_EQ(BatchFiles(Program()), stale) << "the batch file is removed after the run";
    }

    // Export's ">" is the interpreter's: the tool's output goes to the file.
    form->SelectCommand(CmdExport);
    Field(Arg::SourceGroupField)->ChangeValue("de.test");
    Field(Arg::TargetFileField)->ChangeValue("out.txt");
    PressDoIt("", 30000);
    EXPECT_EQ(ReadFile(dir + "/args.log"), Program() + " export de.test \nexport\nde.test\n----\n");
    EXPECT_EQ(ReadFile(dir + "/ham.txt"), "");
    EXPECT_EQ(ReadFile(dir + "/out.txt").size(), 34u);  // CR LF line ends
    EXPECT_EQ(Status(0), "0 line(s), 0 char(s)");
}

// A longer line the interpreter would cut and run its rest as commands:
// one character more, the same through the variables that carry text
// outside ASCII, and a field whose tail would be a command of its own.
TEST_F(DoItUnderWine, ALineTheInterpreterWouldCutIsNeverRun) {
    std::string accents;
    for (int i = 0; i < 8200; ++i) accents += "\xc3\xa9";
    const std::string injected = WindowsName(dir + "/injected.txt");
    for (const std::string& argument : {LongestHelpArgument() + "x", accents,
                                        '"' + std::string(8151, 'x') + "echo PWNED>" + injected}) {
        form->SelectCommand(CmdHelp);
        Field(Arg::ArgumentField)->ChangeValue(wxString::FromUTF8(argument));
        PressDoIt("", 30000);
        EXPECT_EQ(PaneText(), "C:\\windows\\system32\\cmd.exe /c " + Program() + ">ham.txt help " + argument +
                                  "\n\nThe command line is too long for this system.\n");
        EXPECT_EQ(Status(1), "Command line too long");
        EXPECT_EQ(LastEnd(), RunEnd::NotOpened);
        EXPECT_FALSE(fs::exists(dir + "/args.log")) << "the tool ran";
        EXPECT_FALSE(fs::exists(dir + "/injected.txt")) << "the field's tail ran";
        EXPECT_EQ(BatchFiles(Program()), stale);
    }
}

TEST_F(DoItUnderWine, EscapeLeavesNoProcessOfTheTool) {
    form->SelectCommand(CmdInfo);
    StartDoIt("forever");
    ASSERT_TRUE(PumpUntil([this] { return PaneText().find("tick") != std::string::npos; }, 20000));
    ASSERT_NE(StandInToolProcesses(Program()), "");
    PressEscape();
    EXPECT_NE(PaneText().find("M\xc3\xbcnchen"), std::string::npos) << PaneText();
    EXPECT_TRUE(PumpUntil([this] { return StandInToolProcesses(Program()).empty(); }, 1000))
        << StandInToolProcesses(Program());
    EXPECT_EQ(BatchFiles(Program()), stale);
}

TEST_F(DoItUnderWine, AMissingWineIsNamedNotRun) {
    Open("[Setup]\nHamDir=" + hamDir + "\nWine=/nonexistent/wine\n");
    form->SelectCommand(CmdInfo);
    PressDoIt("", 30000);
    EXPECT_EQ(LastEnd(), RunEnd::Refused);
    EXPECT_EQ(PaneText().rfind("ham.exe in " + hamDir + " is a Windows program and needs Wine", 0), 0u);
    EXPECT_EQ(Status(1), "Wine not found: install wine");
}

}  // namespace
}  // namespace quillet
