#include "exec/command_line.h"

#include <gtest/gtest.h>

namespace quillet {
namespace {

PlatformParams Shape(const char* interpreter, const char* switchText, char separator, const char* dir) {
    PlatformParams p;
    p.interpreter = interpreter, p.switchText = switchText, p.separator = separator, p.programDir = dir;
    return p;
}

const PlatformParams kPosix = Shape("/bin/sh", " -c ", '/', "/srv/ham");

std::string Refusal(const Composition& c) { return c.ok || !c.line.empty() ? "<composed>" : c.refusal; }

TEST(ComposeCommandLine, EveryCommandWithItsPiecesInOrder) {
    using F = FocusTarget;
    using V = FormValues;
    const struct { int command; void (*change)(V&); const char* pieces; F focus; } cases[] = {
        {CmdNone, nullptr, "", F::Unchanged},
        {CmdInfo, nullptr, "info ", F::Unchanged},
        {CmdGroups, nullptr, "groups \"arg\"", F::Unchanged},
        {CmdGroups, [](V& v) { v.argument.clear(); }, "groups ", F::Unchanged},
        {CmdGroups, [](V& v) { v.argument = "  "; }, "groups \"  \"", F::Unchanged},
        {CmdLocate, nullptr, "locate \"arg\"", F::Unchanged},
        {CmdLocate, [](V& v) { v.argument.clear(); }, "locate \"\"", F::Unchanged},
        {CmdDelete, [](V& v) { v.msgId = "\">evil"; }, "delete \"\">evil\"", F::MsgId},
        {CmdType, nullptr, "type arg", F::Unchanged},
        {CmdType, [](V& v) { v.number = "25"; }, "type -25 arg", F::Unchanged},
        {CmdExport, nullptr, "export alt.test > out.txt", F::SourceGroup},
        {CmdExport, [](V& v) { v.sourceGroup = v.targetFile = ""; }, "export  > ", F::SourceGroup},
        {CmdHelp, nullptr, "help arg", F::Unchanged},
        {CmdScoreview, nullptr, "scoreview de.*", F::ScoreView},
        {CmdScoretest, nullptr, "scoretest \"<2@y>\"", F::ScoreTest},
        {CmdImport, nullptr, "import a.msg b.msg", F::Unchanged},
        {CmdImport, [](V& v) { v.go = v.ih = v.na = v.t = v.x = true; },
         "import -go\"de.test\" -ih -na -t -x a.msg b.msg", F::Unchanged},
        {CmdImport, [](V& v) { v.go = v.t = true, v.groupName.clear(); }, "import -go\"\" -t a.msg b.msg",
         F::Unchanged},
        {CmdGrep, [](V& v) { v.searchExpr = "a\"b>c", v.groupExpr = "x\" >y"; },
         "grep \"a\"b>c\" \"x\" >y\"", F::SearchExpr},
        {CmdGrep, [](V& v) { v.ignoreCase = v.optC = true; }, "grep -i -c \"S\" \"G\"", F::SearchExpr},
        {CmdGrep, [](V& v) { v.optH = true; }, "grep -h \"S\" \"G\"", F::SearchExpr},
        {CmdGrep, [](V& v) { v.optL = true; }, "grep -l \"S\" \"G\"", F::SearchExpr},
        {CmdGrep, [](V& v) { v.optN = true; }, "grep -n \"S\" \"G\"", F::SearchExpr},
        {CmdGrep, [](V& v) { v.optVa = true; }, "grep -va \"S\" \"G\"", F::SearchExpr},
        {CmdGrep, [](V& v) { v.ignoreCase = v.optVe = true, v.groupExpr.clear(); }, "grep -i -ve \"S\" \"\"",
         F::SearchExpr},
    };
    for (const auto& c : cases) {
        V v;
        v.command = c.command;
        v.argument = "arg", v.msgId = "<1@x>", v.sourceGroup = "alt.test", v.targetFile = "out.txt";
        v.scoreView = "de.*", v.scoreTest = "<2@y>", v.fileNames = "a.msg b.msg", v.groupName = "de.test";
        v.searchExpr = "S", v.groupExpr = "G";
        if (c.change) c.change(v);
        const Composition composed = ComposeCommandLine(v, kPosix);
        EXPECT_TRUE(composed.ok) << c.pieces;
        EXPECT_EQ(composed.line, std::string("/bin/sh -c /srv/ham/ham.exe>ham.txt ") + c.pieces);
        EXPECT_EQ(composed.focus, c.focus) << c.pieces;
    }
}

TEST(ComposeCommandLine, WindowsExampleReadsExactly) {
    FormValues v;
    v.command = CmdGrep, v.ignoreCase = true, v.searchExpr = "From:.*Ivo Marrek", v.groupExpr = "de.*";
    const Composition c = ComposeCommandLine(v, Shape("C:\\COMMAND.COM", " /c ", '\\', "C:\\SERVER"));
    const std::string argument = "C:\\SERVER\\ham.exe>ham.txt grep -i \"From:.*Ivo Marrek\" \"de.*\"";
    ASSERT_TRUE(c.ok);
    EXPECT_EQ(c.interpreter, "C:\\COMMAND.COM");
    EXPECT_EQ(c.argument, argument);
    EXPECT_EQ(c.line, "C:\\COMMAND.COM /c " + argument);
}

TEST(ComposeCommandLine, OtherPlatformShapes) {
    FormValues v;
    v.command = CmdInfo;
    PlatformParams direct;
    direct.interpreter = "", direct.programDir = "/srv/my ham";
    Composition c = ComposeCommandLine(v, direct);
    EXPECT_EQ(c.line, "\"/srv/my ham/ham.exe\">ham.txt info ");
    EXPECT_EQ(c.argument, c.line);
    PlatformParams wine = Shape("C:\\windows\\system32\\cmd.exe", " /c ", '\\', "Z:\\srv\\my ham");
    wine.way = platform::LaunchWay::Wine;
    c = ComposeCommandLine(v, wine);
    EXPECT_EQ(c.line, "C:\\windows\\system32\\cmd.exe /c \"Z:\\srv\\my ham\\ham.exe\">ham.txt info ");
}

TEST(ComposeCommandLine, Refusals) {
    PlatformParams none = kPosix;
    none.interpreter.reset();
    FormValues v;
    v.searchExpr = "S";
    for (v.command = CmdInfo; v.command <= CmdScoretest; ++v.command)
        EXPECT_EQ(Refusal(ComposeCommandLine(v, none)), "Environment variable COMSPEC isn't set\n"
                                                        "Define COMSPC in <AUTOEXEC.BAT> or elsewhere,\n"
                                                        "reboot your machine and try again.");
    v.command = CmdGrep, v.ignoreCase = true, v.searchExpr.clear(), v.groupExpr = "G";
    const Composition c = ComposeCommandLine(v, kPosix);
    EXPECT_EQ(Refusal(c), "Empty searchpattern\nExecution cancelled");
    EXPECT_EQ(c.focus, FocusTarget::Unchanged);
    v.searchExpr = " ";
    EXPECT_TRUE(ComposeCommandLine(v, kPosix).ok);

    // A line break in any field would end the line there.
    for (const char* text : {"a\nb", "a\r", "\n"}) {
        for (std::string* field : {&v.searchExpr, &v.groupExpr}) {
            const std::string kept = *field;
            *field = text;
            EXPECT_EQ(Refusal(ComposeCommandLine(v, kPosix)),
                      "A field holds a line break: a command line is one line.\nExecution cancelled");
            *field = kept;
        }
    }
    PlatformParams noWine = kPosix;
    noWine.unavailable = "needs Wine", noWine.unavailableStatus = "Wine not found: install wine";
    EXPECT_EQ(Refusal(ComposeCommandLine(v, noWine)), "needs Wine");
}

}  // namespace
}  // namespace quillet
