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
    explicit Pane(std::size_t max = std::string::npos) : limit(max) {}
    int_type overflow(int_type ch) override {
        if (text.size() >= limit) return traits_type::eof();
        text.push_back(traits_type::to_char_type(ch));
        return ch;
    }
    int sync() override {
        flushes.push_back(text.size());
        return 0;
    }
    std::size_t limit;
    std::string text;
    std::vector<std::size_t> flushes;
};

CopyResult Copy(const std::string& file, Pane& pane) {
    std::istringstream in(file, std::ios::binary);
    std::ostream out(&pane);
    return CopyLines(in, out);
}

TEST(CopyLines, CountsAndShowsEveryLine) {
    const std::string longLine(100000, 'x'), nul("be\0fore", 7);
    struct Case {
        std::string file;
        long lines, chars;
        std::string shown;  // with the empty line shown for a final line feed
    };
    const Case cases[] = {
        {"one\ntwo\nthree\n", 3, 11, "one\ntwo\nthree\n\n"},
        {"", 0, 0, "\n"},
        {"\n\n", 2, 0, "\n\n\n"},
        {"one\ntwo", 2, 6, "one\ntwo\n"},
        {"a\r\nb\rc\r\n\r\nend\r", 4, 8, "a\nb\rc\n\nend\r\n"},  // only CR LF loses the CR
        {longLine + "\n" + nul + "\nafter\n", 3, 100012, longLine + "\n" + nul + "\nafter\n\n"},
    };
    for (const Case& c : cases) {
        Pane pane;
        CopyResult r = Copy(c.file, pane);
        EXPECT_EQ(r.lines, c.lines) << c.shown.substr(0, 20);
        EXPECT_EQ(r.chars, c.chars) << c.shown.substr(0, 20);
        EXPECT_FALSE(r.paneFailed);
        EXPECT_EQ(pane.text, c.shown);
    }
}

TEST(CopyLines, FlushesAfterThe1st11th21stWrite) {
    Pane pane25, pane30;
    std::string file;
    for (int i = 0; i < 25; ++i) file += "ab\n";  // 3 characters a line
    Copy(file, pane25);
    EXPECT_EQ(pane25.flushes, (std::vector<std::size_t>{3, 33, 63}));
    for (int i = 0; i < 5; ++i) file += "ab\n";
    Copy(file, pane30);  // the empty line for the final line feed is the 31st write
    EXPECT_EQ(pane30.flushes, (std::vector<std::size_t>{3, 33, 63, 91}));
}

TEST(CopyLines, StopsAtTheFirstLineThePaneRefuses) {
    Pane small(10), edge(4);
    CopyResult r = Copy("abc\ndef\nghi\njkl\n", small);
    EXPECT_TRUE(r.paneFailed);
    EXPECT_EQ(r.lines, 2);
    EXPECT_EQ(r.chars, 6);
    EXPECT_EQ(small.text, "abc\ndef\ngh");
    r = Copy("abc\n", edge);  // only the empty line for the final line feed is refused
    EXPECT_TRUE(r.paneFailed);
    EXPECT_EQ(r.lines, 1);
    EXPECT_EQ(r.chars, 3);
}

}  // namespace
}  // namespace quillet
