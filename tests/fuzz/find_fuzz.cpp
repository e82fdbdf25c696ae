// The finder against the plainest search there is: the text and the needle
// folded token by token, then std::string's find.  Both are drawn from
// letters whose two cases differ in their lead byte (Σ σ ς, Р р, Ÿ ÿ, Ŀ ŀ)
// as well as ASCII, so the finder's byte probes meet every kind of start.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "pane/find_in_text.h"

namespace {

struct Token {
    const char* text;
    const char* folded;
};
const Token kTokens[] = {{"a", "a"},   {"A", "a"},   {"b", "b"},   {"B", "b"},   {"ä", "ä"},  {"Ä", "ä"},
                         {"σ", "σ"}, {"Σ", "σ"}, {"ς", "σ"}, {"р", "р"}, {"Р", "р"}, {"ÿ", "ÿ"},
                         {"Ÿ", "ÿ"}, {"ŀ", "ŀ"}, {"Ŀ", "ŀ"}, {" ", " "},   {"\n", "\n"}, {"€", "€"}};
constexpr std::size_t kCount = sizeof kTokens / sizeof kTokens[0];

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const bool matchCase = data[0] & 1;
    const std::size_t needleTokens = 1 + (data[0] >> 1) % 4;
    if (size < 1 + needleTokens) return 0;
    std::string needle, foldedNeedle, text, foldedText;
    std::vector<std::size_t> edges;
    for (std::size_t i = 1; i < size; ++i) {
        const Token& t = kTokens[data[i] % kCount];
        const bool inNeedle = i <= needleTokens;
        (inNeedle ? needle : text) += t.text;
        (inNeedle ? foldedNeedle : foldedText) += matchCase ? t.text : t.folded;
        if (!inNeedle) edges.push_back(text.size());
    }
    const quillet::TextFinder finder(needle, matchCase);
    const std::size_t from = edges.empty() ? 0 : edges[(data[0] >> 3) % edges.size()];

    const std::size_t first = foldedText.find(foldedNeedle), later = foldedText.find(foldedNeedle, from);
    const std::size_t last = foldedText.rfind(foldedNeedle);
    if (finder.Forward(text, 0) != first || finder.Forward(text, from) != later) std::abort();
    if (finder.Backward(text, text.size()) != last) std::abort();
    long expected = 0, counted = 0;
    for (std::size_t at = first; at != std::string::npos; at = foldedText.find(foldedNeedle, at + foldedNeedle.size()))
        ++expected;
    finder.CountIn(text, 0, text.size(), counted);
    if (counted != expected) std::abort();
    return 0;
}
