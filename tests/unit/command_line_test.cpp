#include "exec/command_line.h"

#include <gtest/gtest.h>

namespace quillet {
namespace {

PlatformParams Posix() {
    PlatformParams p;
    p.interpreter = "/bin/sh";
    p.switchText = " -c ";
    p.separator = '/';
    p.hamDir = "/srv/ham";
    return p;
}

const std::string kHead = "/srv/ham/ham.exe>ham.txt ";

// The part of the argument that belongs to the command itself.
std::string Pieces(const FormValues& v) {
    Composition c = ComposeCommandLine(v, Posix());
    EXPECT_TRUE(c.ok) << c.refusal;
    EXPECT_EQ(c.argument.compare(0, kHead.size(), kHead), 0) << c.argument;
    return c.argument.substr(kHead.size());
}

FormValues For(int command) {
    FormValues v;
    v.command = command;
    return v;
}

TEST(ComposeCommandLine, LineIsInterpreterSwitchAndArgument) {
    FormValues v = For(CmdInfo);
    Composition c = ComposeCommandLine(v, Posix());
    ASSERT_TRUE(c.ok);
    EXPECT_EQ(c.interpreter, "/bin/sh");
    EXPECT_EQ(c.argument, kHead + "info ");
    EXPECT_EQ(c.line, "/bin/sh -c " + kHead + "info ");
    EXPECT_TRUE(c.refusal.empty());
}

TEST(ComposeCommandLine, WindowsExampleReadsExactly) {
    PlatformParams p;
    p.interpreter = "C:\\COMMAND.COM";
    p.switchText = " /c ";
    p.separator = '\\';
    p.hamDir = "C:\\SERVER";
    FormValues v = For(CmdGrep);
    v.ignoreCase = true;
    v.searchExpr = "From:.*Ivo Marrek";
    v.groupExpr = "de.*";
    Composition c = ComposeCommandLine(v, p);
    ASSERT_TRUE(c.ok);
    EXPECT_EQ(c.line, "C:\\COMMAND.COM /c C:\\SERVER\\ham.exe>ham.txt "
                      "grep -i \"From:.*Ivo Marrek\" \"de.*\"");
    EXPECT_EQ(c.argument, "C:\\SERVER\\ham.exe>ham.txt grep -i \"From:.*Ivo Marrek\" \"de.*\"");
}

TEST(ComposeCommandLine, SimpleCommandsAndTheirFocus) {
    struct Case {
        int command;
        std::string expected;
        FocusTarget focus;
    };
    FormValues base;
    base.argument = "arg";
    base.msgId = "<1@x>";
    base.sourceGroup = "alt.test";
    base.targetFile = "out.txt";
    base.scoreView = "de.*";
    base.scoreTest = "<2@y>";
    const Case cases[] = {
        {CmdInfo, "info ", FocusTarget::Unchanged},
        {CmdGroups, "groups \"arg\"", FocusTarget::Unchanged},
        {CmdLocate, "locate \"arg\"", FocusTarget::Unchanged},
        {CmdDelete, "delete \"<1@x>\"", FocusTarget::MsgId},
        {CmdType, "type arg", FocusTarget::Unchanged},
        {CmdExport, "export alt.test > out.txt", FocusTarget::SourceGroup},
        {CmdHelp, "help arg", FocusTarget::Unchanged},
        {CmdScoreview, "scoreview de.*", FocusTarget::ScoreView},
        {CmdScoretest, "scoretest \"<2@y>\"", FocusTarget::ScoreTest},
    };
    for (const Case& c : cases) {
        FormValues v = base;
        v.command = c.command;
        EXPECT_EQ(Pieces(v), c.expected) << c.command;
        EXPECT_EQ(ComposeCommandLine(v, Posix()).focus, c.focus) << c.command;
    }
}

TEST(ComposeCommandLine, EmptyFieldsLeaveTheirFixedPieces) {
    EXPECT_EQ(Pieces(For(CmdGroups)), "groups ");
    EXPECT_EQ(Pieces(For(CmdLocate)), "locate \"\"");
    EXPECT_EQ(Pieces(For(CmdDelete)), "delete \"\"");
    EXPECT_EQ(Pieces(For(CmdExport)), "export  > ");
    EXPECT_EQ(Pieces(For(CmdHelp)), "help ");
    EXPECT_EQ(Pieces(For(CmdScoretest)), "scoretest \"\"");
    FormValues blanks = For(CmdGroups);
    blanks.argument = "  ";  // blanks are not empty
    EXPECT_EQ(Pieces(blanks), "groups \"  \"");
}

TEST(ComposeCommandLine, TypeWithAndWithoutNumber) {
    FormValues v = For(CmdType);
    v.argument = "de.test";
    EXPECT_EQ(Pieces(v), "type de.test");
    v.number = "25";
    EXPECT_EQ(Pieces(v), "type -25 de.test");
    v.argument.clear();
    EXPECT_EQ(Pieces(v), "type -25 ");
}

TEST(ComposeCommandLine, ImportOptionsInFixedOrder) {
    FormValues v = For(CmdImport);
    v.fileNames = "a.msg b.msg";
    EXPECT_EQ(Pieces(v), "import a.msg b.msg");
    v.go = v.ih = v.na = v.t = v.x = true;
    v.groupName = "de.test";
    EXPECT_EQ(Pieces(v), "import -go\"de.test\" -ih -na -t -x a.msg b.msg");
    v.groupName.clear();
    EXPECT_EQ(Pieces(v), "import -go\"\" -ih -na -t -x a.msg b.msg");
    v.go = v.na = v.x = false;
    EXPECT_EQ(Pieces(v), "import -ih -t a.msg b.msg");
}

TEST(ComposeCommandLine, GrepOptionsEachRadioButton) {
    FormValues v = For(CmdGrep);
    v.searchExpr = "S";
    v.groupExpr = "G";
    EXPECT_EQ(Pieces(v), "grep \"S\" \"G\"");
    bool FormValues::*radios[] = {&FormValues::optC, &FormValues::optH, &FormValues::optL,
                                  &FormValues::optN, &FormValues::optVa, &FormValues::optVe};
    const char* names[] = {"-c", "-h", "-l", "-n", "-va", "-ve"};
    for (int i = 0; i < 6; ++i) {
        FormValues r = v;
        r.ignoreCase = true;
        r.*radios[i] = true;
        EXPECT_EQ(Pieces(r), std::string("grep -i ") + names[i] + " \"S\" \"G\"");
        EXPECT_EQ(ComposeCommandLine(r, Posix()).focus, FocusTarget::SearchExpr);
    }
    v.groupExpr.clear();
    EXPECT_EQ(Pieces(v), "grep \"S\" \"\"");
}

TEST(ComposeCommandLine, QuotesAndRedirectionsPassAsTyped) {
    FormValues v = For(CmdGrep);
    v.searchExpr = "a\"b>c";
    v.groupExpr = "x\" >y";
    EXPECT_EQ(Pieces(v), "grep \"a\"b>c\" \"x\" >y\"");
    FormValues d = For(CmdDelete);
    d.msgId = "\">evil";
    EXPECT_EQ(Pieces(d), "delete \"\">evil\"");
}

TEST(ComposeCommandLine, LongValuesAreNotCut) {
    FormValues v = For(CmdHelp);
    v.argument.assign(100000, 'x');
    PlatformParams p = Posix();
    p.hamDir.assign(40000, 'd');
    Composition c = ComposeCommandLine(v, p);
    ASSERT_TRUE(c.ok);
    EXPECT_EQ(c.line.size(), 7 + 4 + 40000 + 1 + 16 + 5 + 100000);
}

TEST(ComposeCommandLine, Refusals) {
    PlatformParams none = Posix();
    none.interpreter.reset();
    for (int command = CmdInfo; command <= CmdScoretest; ++command) {
        FormValues v = For(command);
        v.searchExpr = "S";
        Composition c = ComposeCommandLine(v, none);
        EXPECT_FALSE(c.ok);
        EXPECT_TRUE(c.line.empty());
        EXPECT_EQ(c.focus, FocusTarget::Unchanged);
        EXPECT_EQ(c.refusal,
                  "Environment variable COMSPEC isn't set\n"
                  "Define COMSPC in <AUTOEXEC.BAT> or elsewhere,\n"
                  "reboot your machine and try again.");
    }

    FormValues grep = For(CmdGrep);
    grep.ignoreCase = true;
    grep.groupExpr = "G";
    Composition c = ComposeCommandLine(grep, Posix());
    EXPECT_FALSE(c.ok);
    EXPECT_TRUE(c.line.empty());
    EXPECT_EQ(c.refusal, "Empty searchpattern\nExecution cancelled");
    EXPECT_EQ(c.focus, FocusTarget::Unchanged);
    grep.searchExpr = " ";
    EXPECT_TRUE(ComposeCommandLine(grep, Posix()).ok);
}

}  // namespace
}  // namespace quillet
