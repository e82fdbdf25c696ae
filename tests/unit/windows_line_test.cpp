#include "platform/windows_line.h"

#include <gtest/gtest.h>

namespace quillet::platform {
namespace {

using Args = std::vector<std::string>;

TEST(ToolLine, SplitsByTheWindowsRulesAndTakesOutTheRedirections) {
    // Each redirection as its way and its file: ">name", ">>name", "<name".
    const struct {
        const char* line;
        Args arguments;
        Args redirections;
    } cases[] = {
        {"/h/ham.exe>ham.txt info ", {"/h/ham.exe", "info"}, {">ham.txt"}},
        {"\"/my dir/ham.exe\">ham.txt grep -i \"From:.*x\" \"de\\.alt\\.admin\"",
         {"/my dir/ham.exe", "grep", "-i", "From:.*x", "de\\.alt\\.admin"}, {">ham.txt"}},
        // Nothing but quotes, backslashes before a quote, "^", ">" and "<" is special.
        {"p $(touch x) `id` * a;b|c&d %PATH% !x! (e)", {"p", "$(touch", "x)", "`id`", "*", "a;b|c&d", "%PATH%", "!x!", "(e)"}, {}},
        {"p a\\\\b \\\"q\\\" \"a\\\\\\\"b\" \"x\\\\\" y", {"p", "a\\\\b", "\"q\"", "a\\\"b", "x\\", "y"}, {}},
        {"p x\"y\"z \"a \"\"b\"\" c\" \"\" \t\"open end", {"p", "xyz", "a \"b\" c", "", "open end"}, {}},
        // ">" outside quotes: the last one wins, every one is made; a quoted
        // name loses its quotes; inside quotes ">" is text.
        {"p>ham.txt export alt.test > out.txt", {"p", "export", "alt.test"}, {">ham.txt", ">out.txt"}},
        {"p>ham.txt g \"a>b\" >>\"my log\"x c", {"p", "g", "a>b", "c"}, {">ham.txt", ">>my logx"}},
        {"p>ham.txt export a >", {"p", "export", "a"}, {">ham.txt", ">"}},
        {"p>a>b c", {"p", "c"}, {">a", ">b"}},
        // "^" outside quotes: the next character as it is, the caret gone;
        // a quote taken so still groups for the program, but opens no
        // quoting for ">"; inside quotes "^" is text.
        {"p a^>b c^^d e^", {"p", "a>b", "c^d", "e"}, {}},
        {"p ^\"x y^\" \"1^2\" >o^ut", {"p", "x y", "1^2"}, {">out"}},
        {"p ^\"a>b", {"p", "a "}, {">b"}},
        // "<" outside quotes: standard input from the next word.
        {"p>ham.txt in < nofile \"a<b\" <\"my in\">o", {"p", "in", "a<b"}, {">ham.txt", "<nofile", "<my in", ">o"}},
    };
    for (const auto& c : cases) {
        const ToolLine parsed = ParseToolLine(c.line);
        EXPECT_EQ(parsed.arguments, c.arguments) << c.line;
        Args redirections;
        for (const Redirection& r : parsed.redirections)
            redirections.push_back((r.input ? "<" : r.append ? ">>" : ">") + r.file);
        EXPECT_EQ(redirections, c.redirections) << c.line;
    }
    EXPECT_EQ(SplitWindowsArguments(" \t "), Args{});
}

// How much the interpreter takes: the line as read, and once its variables
// are put in, in UTF-16 units; a batch line must also leave room for its end.
TEST(InterpreterLine, TakesNoMoreThanTheInterpreterRunsWhole) {
    const std::string limit(kInterpreterLineLimit, 'x'), e = "\xc3\xa9", smile = "\xf0\x9f\x98\x80";
    auto times = [](const std::string& text, std::size_t n) {
        std::string out;
        while (n--) out += text;
        return out;
    };
    const auto cmd = InterpreterInput::CommandLine, batch = InterpreterInput::BatchFile;
    const struct {
        std::string line;
        std::vector<std::string> variables;
        InterpreterInput input;
        bool taken;
    } cases[] = {
        {limit, {}, cmd, true},
        {limit + "x", {}, cmd, false},
        {limit.substr(1), {}, batch, true},
        {limit, {}, batch, false},
        {"@a\x1a" "b", {}, batch, false},
        // A variable's value counts as the interpreter's characters; its
        // name in any case; "%%" is one from a batch file but two on a
        // command line, and a "%" of no variable given stays.
        {"@x %QUILLET_TEXT_1%", {"QUILLET_TEXT_1=" + times(e, 8188)}, batch, true},
        {"@x %quillet_text_1%", {"QUILLET_TEXT_1=" + times(e, 8189)}, batch, false},
        {"@x %V%", {"V=" + times(smile, 4094)}, batch, true},
        {"@x %V%", {"V=" + times(smile, 4095)}, batch, false},
        {times("%%", 2000) + "%V%", {"V=" + limit.substr(3999)}, cmd, false},
        {times("%%", 2000) + "%V%", {"V=" + limit.substr(3999)}, batch, true},
        {"%W%" + limit.substr(3), {"V=" + limit}, cmd, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(InterpreterTakesLine(c.line, c.variables, c.input), c.taken)
            << c.line.size() << " bytes: " << c.line.substr(0, 20);
}

}  // namespace
}  // namespace quillet::platform
