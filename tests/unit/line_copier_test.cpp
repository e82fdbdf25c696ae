#include "exec/line_copier.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <random>
#include <streambuf>
#include <string>

#include "../peak_memory.h"

namespace quillet {
namespace {

// Takes text up to a limit and then refuses, as a full pane does.
struct Pane : std::streambuf {
    std::size_t limit = std::string::npos;
    std::string text;
    int_type overflow(int_type ch) override {
        if (text.size() >= limit) return traits_type::eof();
        return text.push_back(traits_type::to_char_type(ch)), ch;
    }
};

std::string Counts(const CopyResult& r) {
    return std::to_string(r.lines) + " lines " + std::to_string(r.chars) + " chars" +
           (r.cutLines ? " " + std::to_string(r.cutLines) + " cut" : "") + (r.paneFailed ? " failed" : "");
}

// The file copied in one piece.
std::string Copy(const std::string& file, Pane& pane) {
    std::ostream out(&pane);
    LineCopier copier(out);
    copier.Feed(file.data(), file.size());
    return Counts(copier.Finish());
}

std::string CutMark(long chars) { return "\xe2\x80\xa6 [line cut, " + std::to_string(chars) + " char(s) in all]"; }

// Whole, and in pieces cut anywhere as a run sees the file while the tool
// writes it (a half line or a CR without its LF at the end of a piece).
TEST(LineCopier, CountsAndShowsEveryLineWholeOrInPieces) {
    const std::size_t n = LineCopier::kLongestShownLine;
    const std::string longLine(n, 'x'), nul("be\0fore", 7);
    auto counts = [](int lines, std::size_t chars, const char* more = "") {
        return std::to_string(lines) + " lines " + std::to_string(chars) + " chars" + more;
    };
    const struct { std::string file, counts, shown; } cases[] = {
        // A final line feed, or an empty file, shows as an empty line.
        {"one\ntwo\nthree\n", "3 lines 11 chars", "one\ntwo\nthree\n\n"},
        {"", "0 lines 0 chars", "\n"},
        {"one\ntwo", "2 lines 6 chars", "one\ntwo\n"},
        // Only CR LF loses its CR; a lone CR keeps its place, shown as U+240D.
        {"a\r\nb\rc\r\n\r\nend\r", "4 lines 8 chars", "a\nb\xe2\x90\x8d" "c\n\nend\xe2\x90\x8d\n"},
        {longLine + "\r\n" + nul + "\nafter\n", counts(3, n + 12), longLine + "\n" + nul + "\nafter\n\n"},
        // Longer lines show their start, never half a character, and count whole.
        {"ab\n" + longLine + "yz\r\nafter", counts(3, n + 9, " 1 cut"), "ab\n" + longLine + CutMark(n + 2) + "\nafter\n"},
        {longLine.substr(1) + "\xc3\xa9z", counts(1, n + 2, " 1 cut"), longLine.substr(1) + CutMark(n + 2) + "\n"},
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

using quillet::test_memory::PeakKiB;

// However long a line, the copier holds no more of it than it shows.
TEST(LineCopier, AHugeLineCostsNoMoreMemoryThanItsShownStart) {
    const std::string piece(1 << 20, 'x');
    const long pieces = 100;
    Pane pane;
    std::ostream out(&pane);
    LineCopier copier(out);
    const long before = PeakKiB(true);
    for (long i = 0; i < pieces; ++i) copier.Feed(piece.data(), piece.size());
    copier.Feed("\nafter", 6);
    EXPECT_EQ(Counts(copier.Finish()), "2 lines " + std::to_string(pieces * piece.size() + 5) + " chars 1 cut");
    EXPECT_LT(PeakKiB(false) - before, 16 * 1024);
    EXPECT_EQ(pane.text, piece.substr(0, LineCopier::kLongestShownLine) + CutMark(pieces * piece.size()) + "\nafter\n");
}

TEST(LineCopier, StopsAtTheFirstRefusedLine) {
    Pane small, edge;
    small.limit = 10, edge.limit = 4;
    EXPECT_EQ(Copy("abc\ndef\nghi\njkl\n", small), "2 lines 6 chars failed");
    EXPECT_EQ(small.text, "abc\ndef\ngh");
    EXPECT_EQ(Copy("abc\n", edge), "1 lines 3 chars failed");  // only the final empty line is refused
}

}  // namespace
}  // namespace quillet
