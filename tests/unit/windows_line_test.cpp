#include "platform/windows_line.h"

#include <gtest/gtest.h>

namespace quillet::platform {
namespace {

using Args = std::vector<std::string>;

TEST(ToolLine, SplitsByTheWindowsRulesAndTakesOutTheRedirections) {
    const struct {
        const char* line;
        Args arguments;
        std::vector<std::pair<std::string, bool>> outputs;  // file, append
    } cases[] = {
        {"/h/ham.exe>ham.txt info ", {"/h/ham.exe", "info"}, {{"ham.txt", false}}},
        {"\"/my dir/ham.exe\">ham.txt grep -i \"From:.*x\" \"de\\.alt\\.admin\"",
         {"/my dir/ham.exe", "grep", "-i", "From:.*x", "de\\.alt\\.admin"}, {{"ham.txt", false}}},
        // Nothing but quotes and backslashes before a quote is special.
        {"p $(touch x) `id` * a;b|c&d %PATH% ^e", {"p", "$(touch", "x)", "`id`", "*", "a;b|c&d", "%PATH%", "^e"}, {}},
        {"p a\\\\b \\\"q\\\" \"a\\\\\\\"b\" \"x\\\\\" y", {"p", "a\\\\b", "\"q\"", "a\\\"b", "x\\", "y"}, {}},
        {"p x\"y\"z \"a \"\"b\"\" c\" \"\" \t\"open end", {"p", "xyz", "a \"b\" c", "", "open end"}, {}},
        // ">" outside quotes: the last one wins, every one is made; a quoted
        // name loses its quotes; inside quotes ">" is text.
        {"p>ham.txt export alt.test > out.txt", {"p", "export", "alt.test"}, {{"ham.txt", false}, {"out.txt", false}}},
        {"p>ham.txt g \"a>b\" >>\"my log\"x c", {"p", "g", "a>b", "c"}, {{"ham.txt", false}, {"my logx", true}}},
        {"p>ham.txt export a >", {"p", "export", "a"}, {{"ham.txt", false}, {"", false}}},
        {"p>a>b c", {"p", "c"}, {{"a", false}, {"b", false}}},
    };
    for (const auto& c : cases) {
        const ToolLine parsed = ParseToolLine(c.line);
        EXPECT_EQ(parsed.arguments, c.arguments) << c.line;
        std::vector<std::pair<std::string, bool>> outputs;
        for (const auto& o : parsed.outputs) outputs.emplace_back(o.file, o.append);
        EXPECT_EQ(outputs, c.outputs) << c.line;
    }
    EXPECT_EQ(SplitWindowsArguments(" \t "), Args{});
}

}  // namespace
}  // namespace quillet::platform
