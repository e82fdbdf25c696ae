#include "exec/copy_lines.h"

#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <sstream>
#include <streambuf>
#include <vector>

namespace quillet {
namespace {

// Collects what it is given and remembers how much had arrived at each
// flush; after `limit` characters it refuses, as a full pane does.
class RecordingBuf : public std::streambuf {
public:
    explicit RecordingBuf(std::size_t limit = std::string::npos) : limit_(limit) {}
    std::string text;
    std::vector<std::size_t> syncs;  // text size at each sync()

protected:
    int_type overflow(int_type ch) override {
        if (traits_type::eq_int_type(ch, traits_type::eof()))
            return traits_type::not_eof(ch);
        if (text.size() >= limit_)
            return traits_type::eof();
        text.push_back(traits_type::to_char_type(ch));
        return ch;
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        std::size_t room = limit_ - std::min(limit_, text.size());
        std::size_t take = std::min(room, static_cast<std::size_t>(n));
        text.append(s, take);
        return static_cast<std::streamsize>(take);
    }
    int sync() override {
        syncs.push_back(text.size());
        return 0;
    }

private:
    std::size_t limit_;
};

struct Copied {
    CopyResult result;
    std::string shown;
    std::vector<std::size_t> syncs;
};

Copied Copy(const std::string& file, std::size_t limit = std::string::npos) {
    std::istringstream in(file, std::ios::binary);
    RecordingBuf buf(limit);
    std::ostream pane(&buf);
    Copied run;
    run.result = CopyLines(in, pane);
    run.shown = buf.text;
    run.syncs = buf.syncs;
    return run;
}

TEST(CopyLines, CountsLinesAndCharactersWithTheTrailingEmptyLine) {
    Copied r = Copy("one\ntwo\nthree\n");
    EXPECT_EQ(r.result.lines, 3);
    EXPECT_EQ(r.result.chars, 11);
    EXPECT_FALSE(r.result.paneFailed);
    EXPECT_EQ(r.shown, "one\ntwo\nthree\n\n");

    Copied empty = Copy("");
    EXPECT_EQ(empty.result.lines, 0);
    EXPECT_EQ(empty.result.chars, 0);
    EXPECT_EQ(empty.shown, "\n");

    Copied blanks = Copy("\n\n");
    EXPECT_EQ(blanks.result.lines, 2);
    EXPECT_EQ(blanks.result.chars, 0);
    EXPECT_EQ(blanks.shown, "\n\n\n");
}

TEST(CopyLines, LastLineWithoutLineFeedIsShownAndCounted) {
    Copied r = Copy("one\ntwo");
    EXPECT_EQ(r.result.lines, 2);
    EXPECT_EQ(r.result.chars, 6);
    EXPECT_EQ(r.shown, "one\ntwo\n");
}

TEST(CopyLines, OnlyACarriageReturnBeforeALineFeedIsDropped) {
    Copied r = Copy("a\r\nb\rc\r\n\r\nend\r");
    EXPECT_EQ(r.shown, "a\nb\rc\n\nend\r\n");
    EXPECT_EQ(r.result.lines, 4);
    EXPECT_EQ(r.result.chars, 1 + 3 + 0 + 4);
}

TEST(CopyLines, LongLinesAndNulBytesAreKeptWhole) {
    std::string longLine(100000, 'x');
    std::string nul("be\0fore", 7);
    Copied r = Copy(longLine + "\n" + nul + "\nafter\n");
    EXPECT_EQ(r.result.lines, 3);
    EXPECT_EQ(r.result.chars, 100000 + 7 + 5);
    EXPECT_EQ(r.shown, longLine + "\n" + nul + "\nafter\n\n");
}

TEST(CopyLines, FlushesAfterThe1st11th21stLine) {
    std::string file;
    for (int i = 0; i < 25; ++i)
        file += "ab\n";  // each line shows as 3 characters
    Copied r = Copy(file);
    EXPECT_EQ(r.result.lines, 25);
    // Lines 1, 11 and 21; the 26th write is the trailing empty line, which
    // is not a flush point.  The caller flushes once more at the end.
    EXPECT_EQ(r.syncs, (std::vector<std::size_t>{3, 33, 63}));

    std::string thirty;
    for (int i = 0; i < 30; ++i)
        thirty += "ab\n";
    // The trailing empty line is the 31st write and takes its flush.
    EXPECT_EQ(Copy(thirty).syncs, (std::vector<std::size_t>{3, 33, 63, 91}));
}

TEST(CopyLines, StopsAtTheFirstLineThePaneRefuses) {
    // 4 characters a line; the pane takes 10, so the 3rd line fails.
    Copied r = Copy("abc\ndef\nghi\njkl\n", 10);
    EXPECT_TRUE(r.result.paneFailed);
    EXPECT_EQ(r.result.lines, 2);
    EXPECT_EQ(r.result.chars, 6);
    EXPECT_EQ(r.shown, "abc\ndef\ngh");

    // The trailing empty line can be the one refused: the counts are whole.
    Copied edge = Copy("abc\n", 4);
    EXPECT_TRUE(edge.result.paneFailed);
    EXPECT_EQ(edge.result.lines, 1);
    EXPECT_EQ(edge.result.chars, 3);
}

#if defined(__has_feature)
#  if __has_feature(address_sanitizer)
#    define QUILLET_UNDER_ASAN 1
#  endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#  define QUILLET_UNDER_ASAN 1
#endif

TEST(CopyLines, LargeOutputIsFast) {
    std::string line(74, 'n');
    line += "\r\n";
    std::string file;
    file.reserve(line.size() * 600000);
    for (int i = 0; i < 600000; ++i)
        file += line;
    std::istringstream in(std::move(file), std::ios::binary);
    struct Discard : std::streambuf {
        std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
        int_type overflow(int_type ch) override { return traits_type::not_eof(ch); }
    } discard;
    std::ostream pane(&discard);
    auto start = std::chrono::steady_clock::now();
    CopyResult result = CopyLines(in, pane);
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                  std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(result.lines, 600000);
    EXPECT_EQ(result.chars, 600000L * 74);
    std::cout << "[ info     ] 46 MB copied in " << ms << " ms\n";
#if defined(__OPTIMIZE__) && !defined(QUILLET_UNDER_ASAN)
    // Generous for a shared machine; a reader that goes character by
    // character or allocates per line lands far beyond it.
    EXPECT_LT(ms, 250);
#endif
}

}  // namespace
}  // namespace quillet
