#include "exec/line_copier.h"

#include <gtest/gtest.h>

#include <random>
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

std::string Counts(const CopyResult& r) {
    return std::to_string(r.lines) + " lines " + std::to_string(r.chars) + " chars" +
           (r.paneFailed ? " failed" : "");
}

// The file copied in one piece.
std::string Copy(const std::string& file, Pane& pane) {
    std::istringstream in(file, std::ios::binary);
    std::ostream out(&pane);
    return Counts(CopyLines(in, out));
}

const std::string kLongLine(100000, 'x');
const struct { std::string file, counts, shown; } kCases[] = {
    // A final line feed shows as an empty line.
    {"one\ntwo\nthree\n", "3 lines 11 chars", "one\ntwo\nthree\n\n"},
    {"", "0 lines 0 chars", "\n"},
    {"\n\n", "2 lines 0 chars", "\n\n\n"},
    {"one\ntwo", "2 lines 6 chars", "one\ntwo\n"},
    // Only CR LF loses its CR; a lone CR keeps its place, shown as U+240D.
    {"a\r\nb\rc\r\n\r\nend\r", "4 lines 8 chars", "a\nb\xe2\x90\x8d" "c\n\nend\xe2\x90\x8d\n"},
    {kLongLine + "\n" + std::string("be\0fore", 7) + "\nafter\n", "3 lines 100012 chars",
     kLongLine + "\n" + std::string("be\0fore", 7) + "\nafter\n\n"},
};

TEST(LineCopier, CountsAndShowsEveryLine) {
    for (const auto& c : kCases) {
        Pane pane;
        EXPECT_EQ(Copy(c.file, pane), c.counts);
        EXPECT_EQ(pane.text, c.shown);
    }
}

// What a run sees while the tool writes: the file in pieces cut anywhere,
// a half line or a CR without its LF at the end of a piece among them.
TEST(LineCopier, PiecesCutAnywhereGiveTheWholeCopy) {
    std::mt19937 random(7);
    for (const auto& c : kCases) {
        for (int round = 0; round < 20; ++round) {
            Pane pane;
            std::ostream out(&pane);
            LineCopier copier(out);
            std::size_t at = 0;
            while (at < c.file.size()) {
                const std::size_t piece =
                    std::min<std::size_t>(c.file.size() - at, 1 + random() % 9);
                copier.Feed(c.file.data() + at, piece);
                at += piece;
                // Only whole lines ever reach the pane.
                EXPECT_TRUE(pane.text.empty() || pane.text.back() == '\n');
            }
            EXPECT_EQ(Counts(copier.Finish()), c.counts);
            EXPECT_EQ(pane.text, c.shown);
        }
    }
}

TEST(LineCopier, FlushesAfterThe1st11th21stWrite) {
    std::string file;
    for (int i = 0; i < 25; ++i) file += "ab\n";  // 3 characters a line
    Pane pane25, pane30;
    Copy(file, pane25);
    EXPECT_EQ(pane25.flushes, (std::vector<std::size_t>{3, 33, 63}));
    Copy(file + "ab\nab\nab\nab\nab\n", pane30);  // the empty line for the final line feed is the 31st write
    EXPECT_EQ(pane30.flushes, (std::vector<std::size_t>{3, 33, 63, 91}));
}

TEST(LineCopier, StopsAtTheFirstLineThePaneRefuses) {
    Pane small, edge;
    small.limit = 10, edge.limit = 4;
    EXPECT_EQ(Copy("abc\ndef\nghi\njkl\n", small), "2 lines 6 chars failed");
    EXPECT_EQ(small.text, "abc\ndef\ngh");
    EXPECT_EQ(Copy("abc\n", edge), "1 lines 3 chars failed");  // only the final empty line is refused
}

}  // namespace
}  // namespace quillet
