#include "pane/find_in_text.h"

#include <gtest/gtest.h>

#include <random>

namespace quillet {
namespace {

using platform::PlaceCount;
constexpr std::size_t npos = TextFinder::npos;

// Matches from the start to the end, each after the last one's end, by the
// plainest means: what the counter and the finder must agree with.
std::vector<std::size_t> AllMatches(const std::string& text, const std::string& needle) {
    std::vector<std::size_t> found;
    for (std::size_t at = text.find(needle); at != npos; at = text.find(needle, at + needle.size()))
        found.push_back(at);
    return found;
}

long CountAll(const TextFinder& finder, std::string_view text, std::size_t step) {
    MatchCounter counter(finder);
    while (counter.Step(text, step)) {
    }
    return counter.Count();
}

// Case folding keeps every byte in place, so a match is found where the text
// has it, in whatever case, also where the other case has another lead byte
// (Σ σ ς, Р р, Ÿ ÿ); the marks the decoder puts in (␍, ␀) are text like any
// other.  Short texts are searched a byte at a time, padded ones a block.
TEST(FindInText, FindsAndCountsInEitherCase) {
    struct Case {
        const char* text;
        const char* needle;
        bool matchCase;
        std::size_t first;
        long count;
    };
    const Case cases[] = {
        {"Gr\u00fc\u00dfe aus M\u00dcNCHEN und m\u00fcnchen", "m\u00fcnchen", false, 12, 2},
        {"Gr\u00fc\u00dfe aus M\u00dcNCHEN und m\u00fcnchen", "m\u00fcnchen", true, 25, 1},
        {"\u00c4\u00d6\u00dc \u00e4\u00f6\u00fc", "\u00e4\u00f6\u00fc", false, 0, 2},
        {"\u041f\u0420\u0418\u0412\u0415\u0422, \u043f\u0440\u0438\u0432\u0435\u0442", "\u043f\u0440\u0438\u0432\u0435\u0442", false, 0, 2},
        {"\u039f\u0394\u039f\u03a3 \u03bf\u03b4\u03bf\u03c2", "\u03bf\u03b4\u03bf\u03c3", false, 0, 2},
        {"line\u240dwith cr\u2400nul", "\u240dWITH CR\u2400", false, 4, 1},
        {"line\u240dwith cr\u2400nul", "\u240dWITH CR\u2400", true, npos, 0},
        {"smile \U0001F600 Here", "\U0001F600 here", false, 6, 1},
        {"aaaaa", "aa", true, 0, 2},
        {"Stra\u00dfe STRASSE", "strasse", false, 8, 1},
        {"\u03a3\u03c3\u03c2 \u03c3", "\u03c3", false, 0, 4},
        {"\u0420\u0423\u0421\u042c \u0440\u0443\u0441\u044c", "\u0440\u0443\u0441\u044c", false, 0, 2},
        {"\u0178\u013f \u00ff\u0140 \u00ff\u0140", "\u0178\u013f", false, 0, 3},
        {"\u0178\u013f \u00ff\u0140 \u00ff\u0140", "\u0178\u013f", true, 0, 1},
        {"nothing here", "there", false, npos, 0},
        {"short", "longer than the text", false, npos, 0},
    };
    for (const Case& c : cases)
        for (std::size_t pad : {0, 61}) {
            const std::string text = std::string(pad, '-') + c.text + std::string(pad, '-');
            const std::size_t first = c.first == npos ? npos : c.first + pad;
            const TextFinder finder(c.needle, c.matchCase);
            EXPECT_EQ(finder.Forward(text, 0), first) << c.text << " / " << c.needle << " / " << pad;
            EXPECT_EQ(finder.Backward(text, first + 1), first) << c.text << " / " << c.needle << " / " << pad;
            for (std::size_t step : {std::size_t{1}, std::size_t{1000}})
                EXPECT_EQ(CountAll(finder, text, step), c.count) << c.text << " / " << c.needle << " / " << pad;
        }
}

TEST(FindInText, NextAndPreviousWrapAtTheEnds) {
    const std::string text = "one two one two one";
    const TextFinder finder("ONE", false);
    bool wrapped = true;
    EXPECT_EQ(finder.Next(text, 1, wrapped), 8u);
    EXPECT_FALSE(wrapped);
    EXPECT_EQ(finder.Next(text, 17, wrapped), 0u);
    EXPECT_TRUE(wrapped);
    EXPECT_EQ(finder.Previous(text, 8, wrapped), 0u);
    EXPECT_FALSE(wrapped);
    EXPECT_EQ(finder.Previous(text, 0, wrapped), 16u);
    EXPECT_TRUE(wrapped);
    EXPECT_EQ(TextFinder("three", false).Next(text, 5, wrapped), npos);
}

// A long text that grows in pieces of any size, with matches across the
// pieces and across the spans the finder and the counter work in: every
// match is found, counted once, and numbered as the plain search numbers it.
TEST(FindInText, MatchesAcrossAppendsAndSpansCountOnce) {
    std::mt19937 random(7);
    std::string whole;
    while (whole.size() < 1'500'000) whole += random() % 3 ? "From: someone\r\n" : "x\u00e4\u20ac\U0001F600 ";
    const std::vector<std::size_t> expected = AllMatches(whole, "From");
    SearchableText text;
    const TextFinder finder("from", false);
    MatchCounter counter(finder);
    for (std::size_t at = 0; at < whole.size();) {
        const std::size_t piece = std::min<std::size_t>(1 + random() % 70000, whole.size() - at);
        text.Append(std::string_view(whole).substr(at, piece));
        at += piece;
        counter.Step(text.View(), random() % 100000);
    }
    while (counter.Step(text.View(), 50000)) {
    }
    ASSERT_EQ(counter.Count(), static_cast<long>(expected.size()));
    for (std::size_t i = 1; i < expected.size(); i += 997) {
        EXPECT_EQ(counter.CountBefore(text.View(), expected[i]), static_cast<long>(i));
        EXPECT_EQ(finder.Forward(text.View(), expected[i] - 1), expected[i]);
        EXPECT_EQ(finder.Backward(text.View(), expected[i] + 1), expected[i]);
    }
    EXPECT_EQ(finder.Backward(text.View(), npos), expected.back());
}

// GTK counts characters; the rich edit control UTF-16 units, with "\r\n" as
// one place.  Both round-trip through bytes, also far past the index's marks.
TEST(FindInText, PlacesAsEachControlCountsThem) {
    SearchableText text;
    const std::string unit = "\u00e4\r\n\r\n\U0001F600x";  // ä CR LF CR LF 😀 x
    for (int i = 0; i < 20000; ++i) text.Append(unit);
    const std::size_t x = unit.size() - 1;
    EXPECT_EQ(text.PlaceOf(x, PlaceCount::Characters), 6);
    EXPECT_EQ(text.PlaceOf(x, PlaceCount::Utf16LineEndsOne), 5);
    const std::size_t far = unit.size() * 15000 + x;
    EXPECT_EQ(text.PlaceOf(far, PlaceCount::Characters), 15000 * 7 + 6);
    EXPECT_EQ(text.PlaceOf(far, PlaceCount::Utf16LineEndsOne), 15000 * 6 + 5);
    for (PlaceCount rule : {PlaceCount::Characters, PlaceCount::Utf16LineEndsOne})
        for (std::size_t byte : {std::size_t{0}, x, far, far - 4, text.Size()})
            EXPECT_EQ(text.ByteOf(text.PlaceOf(byte, rule), rule), byte) << byte;
    const unsigned long before = text.Generation();
    text.Clear();
    EXPECT_NE(text.Generation(), before);
    EXPECT_EQ(text.ByteOf(3, PlaceCount::Characters), 0u);
}

}  // namespace
}  // namespace quillet
