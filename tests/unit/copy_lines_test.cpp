#include "exec/copy_lines.h"

#include <gtest/gtest.h>

#include <sstream>
#include <streambuf>
#include <vector>

namespace quillet {
namespace {

// Takes text up to a limit and then refuses, as a full pane does; notes the
// size of the text at each flush.
struct Pane : std::streambuf {
    std::size_t limit = std::string::npos;
    std::string text;
    std::vector<std::size_t> flushes;
    int_type overflow(int_type ch) override {
        if (text.size() >= limit) return traits_type::eof();
        text.push_back(traits_type::to_char_type(ch));
        return ch;
    }
    int sync() override { return flushes.push_back(text.size()), 0; }
};

// Lines, characters and whether the pane failed, as one printable string.
std::string Copy(const std::string& file, Pane& pane) {
    std::istringstream in(file, std::ios::binary);
    std::ostream out(&pane);
    const CopyResult r = CopyLines(in, out);
    return std::to_string(r.lines) + " lines " + std::to_string(r.chars) + " chars" +
           (r.paneFailed ? " failed" : "");
}

TEST(CopyLines, CountsAndShowsEveryLine) {
    const std::string longLine(100000, 'x'), nul("be\0fore", 7);
    // A final line feed shows as an empty line.
    const struct { std::string file, counts, shown; } cases[] = {
        {"one\ntwo\nthree\n", "3 lines 11 chars", "one\ntwo\nthree\n\n"},
        {"", "0 lines 0 chars", "\n"},
        {"\n\n", "2 lines 0 chars", "\n\n\n"},
        {"one\ntwo", "2 lines 6 chars", "one\ntwo\n"},
        {"a\r\nb\rc\r\n\r\nend\r", "4 lines 8 chars", "a\nb\rc\n\nend\r\n"},  // only CR LF loses the CR
        {longLine + "\n" + nul + "\nafter\n", "3 lines 100012 chars", longLine + "\n" + nul + "\nafter\n\n"},
    };
    for (const auto& c : cases) {
        Pane pane;
        EXPECT_EQ(Copy(c.file, pane), c.counts);
        EXPECT_EQ(pane.text, c.shown);
    }
}

TEST(CopyLines, FlushesAfterThe1st11th21stWrite) {
    std::string file;
    for (int i = 0; i < 25; ++i) file += "ab\n";  // 3 characters a line
    Pane pane25, pane30;
    Copy(file, pane25);
    EXPECT_EQ(pane25.flushes, (std::vector<std::size_t>{3, 33, 63}));
    Copy(file + "ab\nab\nab\nab\nab\n", pane30);  // the empty line for the final line feed is the 31st write
    EXPECT_EQ(pane30.flushes, (std::vector<std::size_t>{3, 33, 63, 91}));
}

TEST(CopyLines, StopsAtTheFirstLineThePaneRefuses) {
    Pane small, edge;
    small.limit = 10, edge.limit = 4;
    EXPECT_EQ(Copy("abc\ndef\nghi\njkl\n", small), "2 lines 6 chars failed");
    EXPECT_EQ(small.text, "abc\ndef\ngh");
    EXPECT_EQ(Copy("abc\n", edge), "1 lines 3 chars failed");  // only the final empty line is refused
}

}  // namespace
}  // namespace quillet
