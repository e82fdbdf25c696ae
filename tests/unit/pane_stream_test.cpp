#include "app/pane_stream.h"

#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace quillet {
namespace {

// A pane stand-in: what was handed over, piece by piece, and a text limit.
struct FakePane {
    std::vector<std::string> pieces;
    std::size_t limit = 1 << 20;
    std::string Text() const {
        std::string all;
        for (const auto& p : pieces) all += p;
        return all;
    }
    std::size_t Size() const { return Text().size(); }
    PaneStreamBuf MakeBuf(std::size_t bufferSize = 64) {
        return PaneStreamBuf([this](const std::string& s) { pieces.push_back(s); },
                             [this] { return limit > Size() ? limit - Size() : std::size_t{0}; },
                             bufferSize);
    }
};

TEST(PaneStream, TextShowsOnlyAtFlushAndInOnePiece) {
    FakePane pane;
    PaneStreamBuf buf = pane.MakeBuf(1024);
    std::ostream out(&buf);
    out << "command line" << "\n\n";
    out << "first\n";
    EXPECT_TRUE(pane.pieces.empty());
    out.flush();
    ASSERT_EQ(pane.pieces.size(), 1u);
    EXPECT_EQ(pane.pieces[0], "command line\n\nfirst\n");
    out << "second\n";
    out.flush();
    EXPECT_EQ(pane.Text(), "command line\n\nfirst\nsecond\n");
}

TEST(PaneStream, FullBufferAndLongWritesLoseNothing) {
    FakePane pane;
    PaneStreamBuf buf = pane.MakeBuf(16);
    std::ostream out(&buf);
    std::string expected;
    for (int i = 0; i < 50; ++i) {
        std::string line = "line " + std::to_string(i) + std::string(i % 7, 'x');
        out << line << "\n";
        expected += line + "\n";
    }
    std::string longLine(100000, 'L');
    out << longLine << "\n";
    out.put('!');
    expected += longLine + "\n!";
    buf.Close();
    EXPECT_TRUE(out.good());
    EXPECT_EQ(pane.Text(), expected);
}

TEST(PaneStream, DecodesWindows1252AndKeepsUtf8SplitAcrossFlushes) {
    FakePane pane;
    PaneStreamBuf buf = pane.MakeBuf(8);
    std::ostream out(&buf);
    out << "M\xfcller \x80";  // Windows-1252: ü and the euro sign
    out.flush();
    const std::string euroUtf8 = "\xe2\x82\xac";
    out << euroUtf8.substr(0, 1);
    out.flush();  // the sequence is incomplete here and must wait
    out << euroUtf8.substr(1) << "\n";
    buf.Close();
    EXPECT_EQ(pane.Text(), "M\xc3\xbcller \xe2\x82\xac\xe2\x82\xac\n");
}

TEST(PaneStream, WriteBeyondTheLimitFailsWholeAndKeepsEarlierText) {
    FakePane pane;
    pane.limit = 20;
    PaneStreamBuf buf = pane.MakeBuf(8);
    std::ostream out(&buf);
    out << "0123456789" << "\n";  // 11 bytes
    EXPECT_TRUE(out.good());
    out << "0123456789";  // would make 21
    EXPECT_TRUE(out.bad());
    buf.Close();
    EXPECT_EQ(pane.Text(), "0123456789\n");
}

TEST(PaneStream, RoomIsAskedAfreshSoAClearedPaneTakesTextAgain) {
    FakePane pane;
    pane.limit = 10;
    PaneStreamBuf buf = pane.MakeBuf(4);
    std::ostream out(&buf);
    out << "abcdefgh";
    out.flush();
    out << "ijk";
    EXPECT_TRUE(out.bad());
    pane.pieces.clear();  // the pane was cleared
    out.clear();
    out << "ijk";
    EXPECT_TRUE(out.good());
    buf.Close();
    EXPECT_EQ(pane.Text(), "ijk");
}

}  // namespace
}  // namespace quillet
