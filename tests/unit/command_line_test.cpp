#include "exec/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quillet {
namespace {

PlatformParams Shape(const char* interpreter, const char* switchText, char separator, const char* dir) {
    PlatformParams p;
    p.interpreter = interpreter, p.switchText = switchText, p.separator = separator, p.programDir = dir;
    return p;
}

const PlatformParams kPosix = Shape("/bin/sh", " -c ", '/', "/srv/ham");

// Every field filled, so that a command taking the wrong one shows.
FormValues Filled(const std::string& verb, const FormValues& changes = {}) {
    FormValues v = {{"command", verb},        {"argument", "arg"},      {"msgId", "<1@x>"},
                    {"sourceGroup", "alt.test"}, {"targetFile", "out.txt"}, {"scoreView", "de.*"},
                    {"scoreTest", "<2@y>"},   {"fileNames", "a.msg b.msg"}, {"groupName", "de.test"},
                    {"searchExpr", "S"},      {"groupExpr", "G"},       {"number", ""}};
    for (const auto& [name, value] : changes) v[name] = value;
    return v;
}

std::string Refusal(const Composition& c) { return c.ok || !c.line.empty() ? "<composed>" : c.refusal; }

TEST(ComposeCommandLine, EveryCommandWithItsPiecesInOrder) {
    const struct { const char* verb; FormValues changes; const char* pieces; const char* focus; } cases[] = {
        {"", {}, "", ""},
        {"info", {}, "info ", ""},
        {"groups", {}, "groups \"arg\"", ""},
        {"groups", {{"argument", ""}}, "groups ", ""},
        {"locate", {{"argument", ""}}, "locate \"\"", ""},
        {"delete", {{"msgId", "\">evil"}}, "delete \"\">evil\"", "msgId"},
        {"type", {}, "type arg", ""},
        {"type", {{"number", "25"}}, "type -25 arg", ""},
        {"export", {}, "export alt.test > out.txt", "sourceGroup"},
        {"help", {}, "help arg", ""},
        {"scoreview", {}, "scoreview de.*", "scoreView"},
        {"scoretest", {}, "scoretest \"<2@y>\"", "scoreTest"},
        {"import", {}, "import a.msg b.msg", ""},
        {"import", {{"-go", "1"}, {"-ih", "1"}, {"-na", "1"}, {"-t", "1"}, {"-x", "1"}},
         "import -go\"de.test\" -ih -na -t -x a.msg b.msg", ""},
        {"import", {{"-go", "1"}, {"-t", "1"}, {"groupName", ""}}, "import -go\"\" -t a.msg b.msg", ""},
        {"grep", {{"searchExpr", "a\"b>c"}, {"groupExpr", "x\" >y"}}, "grep \"a\"b>c\" \"x\" >y\"",
         "searchExpr"},
        {"grep", {{"-i", "1"}, {"-c", "1"}, {"-h", "1"}, {"-l", "1"}, {"-n", "1"}, {"-va", "1"}, {"-ve", "1"}},
         "grep -i -c -h -l -n -va -ve \"S\" \"G\"", "searchExpr"},
        {"grep", {{"-i", ""}, {"-c", ""}, {"groupExpr", ""}}, "grep \"S\" \"\"", "searchExpr"},
    };
    for (const auto& c : cases) {
        const Composition composed = ComposeCommandLine(Filled(c.verb, c.changes), kPosix);
        EXPECT_TRUE(composed.ok) << c.pieces;
        EXPECT_EQ(composed.line, std::string("/bin/sh -c /srv/ham/ham.exe>ham.txt ") + c.pieces);
        EXPECT_EQ("/bin/sh -c " + composed.argument, composed.line);  // what the interpreter runs
        EXPECT_EQ(composed.focus, c.focus) << c.pieces;
    }
}

// A program directory with a blank is quoted, run directly or by Wine.
TEST(ComposeCommandLine, PlatformShapes) {
    const FormValues info = {{"command", "info"}};
    PlatformParams direct;
    direct.interpreter = "", direct.programDir = "/srv/my ham";
    Composition c = ComposeCommandLine(info, direct);
    EXPECT_EQ(c.line, "\"/srv/my ham/ham.exe\">ham.txt info ");
    EXPECT_EQ(c.argument, c.line);
    PlatformParams wine = Shape("C:\\windows\\system32\\cmd.exe", " /c ", '\\', "Z:\\srv\\my ham");
    wine.way = platform::LaunchWay::Wine;
    c = ComposeCommandLine(info, wine);
    EXPECT_EQ(c.line, "C:\\windows\\system32\\cmd.exe /c \"Z:\\srv\\my ham\\ham.exe\">ham.txt info ");
}

TEST(ComposeCommandLine, Refusals) {
    PlatformParams none = kPosix;
    none.interpreter.reset();
    EXPECT_EQ(Refusal(ComposeCommandLine(Filled("info"), none)),
              "Environment variable COMSPEC isn't set\n"
              "Define COMSPC in <AUTOEXEC.BAT> or elsewhere,\n"
              "reboot your machine and try again.");
    const Composition c = ComposeCommandLine(Filled("grep", {{"searchExpr", ""}}), kPosix);
    EXPECT_EQ(Refusal(c), "Empty searchpattern\nExecution cancelled");
    EXPECT_EQ(c.focus, "");
    EXPECT_TRUE(ComposeCommandLine(Filled("grep", {{"searchExpr", " "}}), kPosix).ok);

    // A line break in any field would end the line there; in a batch file
    // so would Ctrl-Z and NUL.
    for (const std::string& text : std::vector<std::string>{"a\nb", "a\r", "a\x1a" "b", {"a\0b", 3}})
        for (const char* field : {"searchExpr", "groupExpr"})
            EXPECT_EQ(Refusal(ComposeCommandLine(Filled("grep", {{field, text}}), kPosix)),
                      "A field holds a line break: a command line is one line.\nExecution cancelled");
    PlatformParams noWine = kPosix;
    noWine.unavailable = "needs Wine", noWine.unavailableStatus = "Wine not found: install wine";
    EXPECT_EQ(Refusal(ComposeCommandLine(Filled("grep"), noWine)), "needs Wine");
}

}  // namespace
}  // namespace quillet
