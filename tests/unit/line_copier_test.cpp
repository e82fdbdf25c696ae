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
        return text.push_back(traits_type::to_char_type(ch)), ch;
    }
    int sync() override { return flushes.push_back(text.size()), 0; }
};

std::string Counts(const CopyResult& r) {
    return std::to_string(r.lines) + " lines " + std::to_string(r.chars) + " chars" + (r.paneFailed ? " failed" : "");
}

// The file copied in one piece.
std::string Copy(const std::string& file, Pane& pane) {
    std::istringstream in(file, std::ios::binary);
    std::ostream out(&pane);
    return Counts(CopyLines(in, out));
}

// Whole, and in pieces cut anywhere as a run sees the file while the tool
// writes it (a half line or a CR without its LF at the end of a piece).
TEST(LineCopier, CountsAndShowsEveryLineWholeOrInPieces) {
    const std::string longLine(100000, 'x'), nul("be\0fore", 7);
    const struct { std::string file, counts, shown; } cases[] = {
        // A final line feed, or an empty file, shows as an empty line.
        {"one\ntwo\nthree\n", "3 lines 11 chars", "one\ntwo\nthree\n\n"},
        {"", "0 lines 0 chars", "\n"},
        {"one\ntwo", "2 lines 6 chars", "one\ntwo\n"},
        // Only CR LF loses its CR; a lone CR keeps its place, shown as U+240D.
        {"a\r\nb\rc\r\n\r\nend\r", "4 lines 8 chars", "a\nb\xe2\x90\x8d" "c\n\nend\xe2\x90\x8d\n"},
        {longLine + "\n" + nul + "\nafter\n", "3 lines 100012 chars", longLine + "\n" + nul + "\nafter\n\n"},
    };
    std::mt19937 random(7);
    for (const auto& c : cases) {
        Pane whole;
        EXPECT_EQ(Copy(c.file, whole), c.counts);
        EXPECT_EQ(whole.text, c.shown);
        for (int round = 0; round < 20; ++round) {
            Pane pane;
            std::ostream out(&pane);
            LineCopier copier(out);
            for (std::size_t at = 0, piece; at < c.file.size(); at += piece) {
                piece = std::min<std::size_t>(c.file.size() - at, 1 + random() % 9);
                copier.Feed(c.file.data() + at, piece);
                ASSERT_TRUE(pane.text.empty() || pane.text.back() == '\n') << "only whole lines reach the pane";
            }
            EXPECT_EQ(Counts(copier.Finish()), c.counts);
            EXPECT_EQ(pane.text, c.shown);
        }
    }
}

TEST(LineCopier, FlushesAfterThe1st11th21stWriteAndStopsAtTheFirstRefusedLine) {
    std::string file;
    for (int i = 0; i < 30; ++i) file += "ab\n";  // 3 characters a line
    Pane pane, small, edge;
    Copy(file, pane);  // the empty line for the final line feed is the 31st write
    EXPECT_EQ(pane.flushes, (std::vector<std::size_t>{3, 33, 63, 91}));
    small.limit = 10, edge.limit = 4;
    EXPECT_EQ(Copy("abc\ndef\nghi\njkl\n", small), "2 lines 6 chars failed");
    EXPECT_EQ(small.text, "abc\ndef\ngh");
    EXPECT_EQ(Copy("abc\n", edge), "1 lines 3 chars failed");  // only the final empty line is refused
}

}  // namespace
}  // namespace quillet
