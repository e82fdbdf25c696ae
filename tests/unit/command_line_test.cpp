#include "exec/command_line.h"

#include <gtest/gtest.h>

namespace quillet {
namespace {

PlatformParams Posix() {
    PlatformParams p;
    p.interpreter = "/bin/sh";
    p.switchText = " -c ";
    p.hamDir = "/srv/ham";
    return p;
}

TEST(ComposeCommandLine, EveryCommandWithItsPiecesInOrder) {
    using F = FocusTarget;
    struct Case {
        int command;
        void (*change)(FormValues&);
        const char* pieces;
        FocusTarget focus;
    };
    const Case cases[] = {
        {CmdInfo, nullptr, "info ", F::Unchanged},
        {CmdGroups, nullptr, "groups \"arg\"", F::Unchanged},
        {CmdGroups, [](FormValues& v) { v.argument.clear(); }, "groups ", F::Unchanged},
        {CmdGroups, [](FormValues& v) { v.argument = "  "; }, "groups \"  \"", F::Unchanged},
        {CmdLocate, nullptr, "locate \"arg\"", F::Unchanged},
        {CmdLocate, [](FormValues& v) { v.argument.clear(); }, "locate \"\"", F::Unchanged},
        {CmdDelete, nullptr, "delete \"<1@x>\"", F::MsgId},
        {CmdDelete, [](FormValues& v) { v.msgId = "\">evil"; }, "delete \"\">evil\"", F::MsgId},
        {CmdType, nullptr, "type arg", F::Unchanged},
        {CmdType, [](FormValues& v) { v.number = "25"; }, "type -25 arg", F::Unchanged},
        {CmdExport, nullptr, "export alt.test > out.txt", F::SourceGroup},
        {CmdExport, [](FormValues& v) { v.sourceGroup = v.targetFile = ""; }, "export  > ",
         F::SourceGroup},
        {CmdHelp, nullptr, "help arg", F::Unchanged},
        {CmdScoreview, nullptr, "scoreview de.*", F::ScoreView},
        {CmdScoretest, nullptr, "scoretest \"<2@y>\"", F::ScoreTest},
        {CmdImport, nullptr, "import a.msg b.msg", F::Unchanged},
        {CmdImport, [](FormValues& v) { v.go = v.ih = v.na = v.t = v.x = true; },
         "import -go\"de.test\" -ih -na -t -x a.msg b.msg", F::Unchanged},
        {CmdImport, [](FormValues& v) { v.go = v.t = true; v.groupName.clear(); },
         "import -go\"\" -t a.msg b.msg", F::Unchanged},
        {CmdGrep, nullptr, "grep \"S\" \"G\"", F::SearchExpr},
        {CmdGrep, [](FormValues& v) { v.searchExpr = "a\"b>c"; v.groupExpr = "x\" >y"; },
         "grep \"a\"b>c\" \"x\" >y\"", F::SearchExpr},
        {CmdGrep, [](FormValues& v) { v.ignoreCase = v.optC = true; }, "grep -i -c \"S\" \"G\"",
         F::SearchExpr},
        {CmdGrep, [](FormValues& v) { v.optH = true; }, "grep -h \"S\" \"G\"", F::SearchExpr},
        {CmdGrep, [](FormValues& v) { v.optL = true; }, "grep -l \"S\" \"G\"", F::SearchExpr},
        {CmdGrep, [](FormValues& v) { v.optN = true; }, "grep -n \"S\" \"G\"", F::SearchExpr},
        {CmdGrep, [](FormValues& v) { v.optVa = true; }, "grep -va \"S\" \"G\"", F::SearchExpr},
        {CmdGrep, [](FormValues& v) { v.ignoreCase = v.optVe = true; v.groupExpr.clear(); },
         "grep -i -ve \"S\" \"\"", F::SearchExpr},
    };
    for (const Case& c : cases) {
        FormValues v;
        v.command = c.command;
        v.argument = "arg";
        v.msgId = "<1@x>";
        v.sourceGroup = "alt.test";
        v.targetFile = "out.txt";
        v.scoreView = "de.*";
        v.scoreTest = "<2@y>";
        v.fileNames = "a.msg b.msg";
        v.groupName = "de.test";
        v.searchExpr = "S";
        v.groupExpr = "G";
        if (c.change) c.change(v);
        Composition composed = ComposeCommandLine(v, Posix());
        EXPECT_TRUE(composed.ok) << c.pieces;
        EXPECT_EQ(composed.line, std::string("/bin/sh -c /srv/ham/ham.exe>ham.txt ") + c.pieces);
        EXPECT_EQ(composed.focus, c.focus) << c.pieces;
    }
}

TEST(ComposeCommandLine, WindowsExampleReadsExactly) {
    PlatformParams p{"C:\\COMMAND.COM", " /c ", '\\', "C:\\SERVER"};
    FormValues v;
    v.command = CmdGrep;
    v.ignoreCase = true;
    v.searchExpr = "From:.*Ivo Marrek";
    v.groupExpr = "de.*";
    Composition c = ComposeCommandLine(v, p);
    ASSERT_TRUE(c.ok);
    EXPECT_EQ(c.interpreter, "C:\\COMMAND.COM");
    EXPECT_EQ(c.argument, "C:\\SERVER\\ham.exe>ham.txt grep -i \"From:.*Ivo Marrek\" \"de.*\"");
    EXPECT_EQ(c.line, "C:\\COMMAND.COM /c C:\\SERVER\\ham.exe>ham.txt "
                      "grep -i \"From:.*Ivo Marrek\" \"de.*\"");
}

TEST(ComposeCommandLine, Refusals) {
    PlatformParams none = Posix();
    none.interpreter.reset();
    FormValues v;
    v.searchExpr = "S";
    for (v.command = CmdInfo; v.command <= CmdScoretest; ++v.command) {
        Composition c = ComposeCommandLine(v, none);
        EXPECT_FALSE(c.ok);
        EXPECT_TRUE(c.line.empty());
        EXPECT_EQ(c.refusal, "Environment variable COMSPEC isn't set\n"
                             "Define COMSPC in <AUTOEXEC.BAT> or elsewhere,\n"
                             "reboot your machine and try again.");
    }
    v.command = CmdGrep;
    v.ignoreCase = true;
    v.searchExpr.clear();
    v.groupExpr = "G";
    Composition c = ComposeCommandLine(v, Posix());
    EXPECT_FALSE(c.ok);
    EXPECT_TRUE(c.line.empty());
    EXPECT_EQ(c.refusal, "Empty searchpattern\nExecution cancelled");
    EXPECT_EQ(c.focus, FocusTarget::Unchanged);
    v.searchExpr = " ";
    EXPECT_TRUE(ComposeCommandLine(v, Posix()).ok);
}

}  // namespace
}  // namespace quillet
