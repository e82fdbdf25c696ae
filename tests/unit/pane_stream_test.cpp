#include "pane/pane_stream.h"

#include <ostream>
#include <string>

#include <gtest/gtest.h>

namespace quillet {
namespace {

// A pane stand-in: the text handed over, in how many pieces, and a limit.
struct FakePane {
    std::string text;
    int pieces = 0;
    std::size_t limit = 1 << 20;
    PaneStreamBuf MakeBuf(std::size_t bufferSize) {
        return PaneStreamBuf([this](const std::string& s) { text += s, ++pieces; },
                             [this] { return limit > text.size() ? limit - text.size() : 0; }, bufferSize);
    }
};

TEST(PaneStream, HandsOverDecodedTextInOnePieceAtFlush) {
    FakePane pane;
    PaneStreamBuf buf = pane.MakeBuf(1024);
    std::ostream out(&buf);
    out << "M\xfcller \x80" << "\n" << "\xe2";  // Windows-1252, then a split euro sign
    EXPECT_EQ(pane.pieces, 0);
    out.flush();
    EXPECT_EQ(pane.pieces, 1);
    EXPECT_EQ(pane.text, "M\xc3\xbcller \xe2\x82\xac\n");  // the lead byte waits
    out << "\x82\xac" << std::flush;
    EXPECT_EQ(pane.text, "M\xc3\xbcller \xe2\x82\xac\n\xe2\x82\xac");
}

TEST(PaneStream, FullBufferAndLongWritesLoseNothing) {
    FakePane pane;
    PaneStreamBuf buf = pane.MakeBuf(16);
    std::ostream out(&buf);
    std::string expected;
    for (int i = 0; i < 50; ++i) {
        const std::string line = "line " + std::to_string(i) + std::string(i % 7, 'x') + "\n";
        out << line, expected += line;
    }
    for (char c : std::string(40, '.')) out.put(c);
    out << std::string(100000, 'L');
    buf.Close();
    EXPECT_TRUE(out.good());
    EXPECT_EQ(pane.text, expected + std::string(40, '.') + std::string(100000, 'L'));
}

// A write past the room takes what fits, never half a character, and fails;
// the room is asked on every write, so a cleared pane takes text again.
TEST(PaneStream, WriteBeyondTheLimitTakesWhatFitsAndFails) {
    FakePane pane;
    pane.limit = 20;
    PaneStreamBuf buf = pane.MakeBuf(8);
    std::ostream out(&buf);
    out << "0123456789\n" << "01234567\xc3\xa4";  // would make 21; the cut falls inside the umlaut
    EXPECT_TRUE(out.bad());
    buf.pubsync();
    EXPECT_EQ(pane.text, "0123456789\n01234567");
    pane.text.clear(), out.clear();
    out << "0123456789";
    buf.Close();
    EXPECT_TRUE(out.good());
    EXPECT_EQ(pane.text, "0123456789");
}

}  // namespace
}  // namespace quillet
