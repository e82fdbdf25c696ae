#include "pane/find_in_text.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <cstring>

namespace quillet {

namespace {

constexpr std::size_t kMarkSpan = 64 * 1024;
// Starts probed at once, a byte each in a few words; and how far ahead of
// them the text is asked into the cache (the processor alone may not keep up).
constexpr std::size_t kWord = sizeof(std::uint64_t), kBlock = 8 * kWord, kAhead = 1024;
constexpr std::uint64_t kOnes = ~std::uint64_t{0} / 0xFF, kLow7 = kOnes * 0x7F, kHigh = kOnes * 0x80;

bool Continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }
bool TwoByteLead(char c) { return (static_cast<unsigned char>(c) & 0xE0) == 0xC0; }

std::size_t EdgeAtOrAfter(std::string_view text, std::size_t at) {
    while (at < text.size() && Continuation(text[at])) ++at;
    return at;
}

// Places of the character that starts at i under the rich edit control's
// rule: a line feed after a carriage return is part of the same line end,
// and a character beyond the basic plane takes two UTF-16 units.
long Utf16Places(std::string_view text, std::size_t i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0xF0) return 2;
    return c == '\n' && i > 0 && text[i - 1] == '\r' ? 0 : 1;
}

// Lower case for the letters whose two cases take two bytes each in UTF-8,
// so that folding keeps every byte where it was.
unsigned FoldTwoByte(unsigned cp) {
    if ((cp >= 0xC0 && cp <= 0xDE && cp != 0xD7) || (cp >= 0x391 && cp <= 0x3AB && cp != 0x3A2) ||
        (cp >= 0x410 && cp <= 0x42F))
        return cp + 0x20;
    if ((cp >= 0x100 && cp <= 0x137 && cp != 0x130) || (cp >= 0x14A && cp <= 0x177)) return cp | 1;
    if ((cp >= 0x139 && cp <= 0x148) || (cp >= 0x179 && cp <= 0x17E)) return cp % 2 ? cp + 1 : cp;
    if (cp >= 0x400 && cp <= 0x40F) return cp + 0x50;
    if (cp >= 0x388 && cp <= 0x38A) return cp + 0x25;
    if (cp == 0x38E || cp == 0x38F) return cp + 0x3F;
    switch (cp) {
    case 0x178: return 0xFF;
    case 0x386: return 0x3AC;
    case 0x38C: return 0x3CC;
    case 0x3C2: return 0x3C3;  // final sigma
    default: return cp;
    }
}

unsigned FoldTwoByte(char lead, char next) {
    return FoldTwoByte(((static_cast<unsigned char>(lead) & 0x1Fu) << 6) | (static_cast<unsigned char>(next) & 0x3Fu));
}

// The byte at i of the text folded, which only its neighbours bear on: every
// byte stays where it was.
char FoldedAt(std::string_view in, std::size_t i) {
    const char c = in[i];
    if (c >= 'A' && c <= 'Z') return static_cast<char>(c + 32);
    if (TwoByteLead(c) && i + 1 < in.size() && Continuation(in[i + 1]))
        return static_cast<char>(0xC0 | (FoldTwoByte(c, in[i + 1]) >> 6));
    if (Continuation(c) && i > 0 && TwoByteLead(in[i - 1]))
        return static_cast<char>(0x80 | (FoldTwoByte(in[i - 1], c) & 0x3F));
    return c;
}

// For each byte, the bytes that fold to it in some text.
const std::array<std::bitset<256>, 256>& FoldedFrom() {
    static const auto from = [] {
        std::array<std::bitset<256>, 256> of;
        for (unsigned c = 0; c < 256; ++c) of[c >= 'A' && c <= 'Z' ? c + 32 : c].set(c);
        for (unsigned cp = 0; cp < 0x800; ++cp) {
            const unsigned folded = FoldTwoByte(cp);
            of[0xC0 | (folded >> 6)].set(0xC0 | (cp >> 6));
            of[0x80 | (folded & 0x3F)].set(0x80 | (cp & 0x3F));
        }
        return of;
    }();
    return from;
}

// How rarely a byte turns up in output, roughly: a blank most often, then
// digits, letters as often as in English, other bytes less.
int Rarity(unsigned char c) {
    static constexpr std::string_view kLetters = "etaoinshrdlcumwfgypbvkjxqz";
    if (c == ' ') return 0;
    if (c >= '0' && c <= '9') return 5;
    if (c >= 'a' && c <= 'z') return 1 + static_cast<int>(kLetters.find(static_cast<char>(c)));
    return c < 0x80 ? 20 : 30;
}

void Prefetch(const char* at) {
#if defined(__GNUC__)
    __builtin_prefetch(at);
#else
    (void)at;
#endif
}

// The top bit of the byte of a word that lies i bytes from its start.
const std::array<std::uint64_t, kWord> kTopBitOf = [] {
    std::array<std::uint64_t, kWord> bits{};
    for (std::size_t i = 0; i < kWord; ++i) {
        unsigned char bytes[kWord] = {};
        bytes[i] = 0x80;
        std::memcpy(&bits[i], bytes, kWord);
    }
    return bits;
}();

}  // namespace

// ---------------------------------------------------------------------------

void SearchableText::Append(std::string_view utf8) {
    text_.append(utf8);
    while (text_.size() - marks_.back().byte >= kMarkSpan) {
        Mark mark = marks_.back();
        const std::size_t to = EdgeAtOrAfter(text_, mark.byte + kMarkSpan);
        for (std::size_t i = mark.byte; i < to; ++i) {
            if (Continuation(text_[i])) continue;
            ++mark.characters;
            mark.utf16 += Utf16Places(text_, i);
        }
        mark.byte = to;
        marks_.push_back(mark);
    }
}

void SearchableText::Clear() {
    text_.clear();
    text_.shrink_to_fit();
    marks_.assign(1, Mark{0, 0, 0});
    ++generation_;
}

const SearchableText::Mark& SearchableText::MarkBefore(std::size_t byte) const {
    const auto after = std::upper_bound(marks_.begin(), marks_.end(), byte,
                                        [](std::size_t b, const Mark& m) { return b < m.byte; });
    return *(after - 1);
}

long SearchableText::PlaceOf(std::size_t byte, platform::PlaceCount rule) const {
    byte = std::min(byte, text_.size());
    const Mark& mark = MarkBefore(byte);
    long characters = mark.characters, utf16 = mark.utf16;
    for (std::size_t i = mark.byte; i < byte; ++i) {
        if (Continuation(text_[i])) continue;
        ++characters;
        utf16 += Utf16Places(text_, i);
    }
    return rule == platform::PlaceCount::Characters ? characters : utf16;
}

std::size_t SearchableText::ByteOf(long place, platform::PlaceCount rule) const {
    const bool characters = rule == platform::PlaceCount::Characters;
    const auto after = std::upper_bound(marks_.begin(), marks_.end(), place, [characters](long p, const Mark& m) {
        return p < (characters ? m.characters : m.utf16);
    });
    const Mark& mark = *(after == marks_.begin() ? after : after - 1);
    long at = characters ? mark.characters : mark.utf16;
    std::size_t i = mark.byte;
    while (i < text_.size()) {
        const long places = characters ? 1 : Utf16Places(text_, i);
        if (places > 0 && at + places > place) break;
        at += places;
        i = EdgeAtOrAfter(text_, i + 1);
    }
    return i;
}

// ---------------------------------------------------------------------------

TextFinder::TextFinder(std::string_view needle, bool matchCase) : needle_(needle), fold_(!matchCase) {
    if (fold_)
        for (std::size_t i = 0; i < needle.size(); ++i) needle_[i] = FoldedAt(needle, i);
    // Each byte of the needle gives a probe that lets through every byte a
    // text may have there (every byte that folds to it).  Two are kept, as
    // narrow as may be (one byte, or a letter's two cases), for bytes less
    // common in text, the second for another byte than the first.
    std::vector<std::pair<int, Probe>> probes;
    for (std::size_t at = 0; at < needle_.size(); ++at) {
        unsigned all = 0xFF, any = 0;
        const auto byte = static_cast<unsigned char>(needle_[at]);
        for (unsigned c = 0; c < 256; ++c)
            if (fold_ ? FoldedFrom()[byte][c] : c == byte) all &= c, any |= c;
        const auto loose = static_cast<unsigned char>(all ^ any);
        const int bits = static_cast<int>(std::bitset<8>(loose).count());
        probes.push_back({bits <= 1 ? Rarity(byte) : -bits, {at, loose, static_cast<unsigned char>(any)}});
    }
    std::stable_sort(probes.begin(), probes.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    if (probes.empty()) return;
    probes_[0] = probes.front().second;
    const auto other = std::find_if(probes.begin(), probes.end(),
                                    [this](const auto& p) { return p.second.value != probes_[0].value; });
    probes_[1] = (other != probes.end() ? *other : probes.back()).second;
}

bool TextFinder::MatchAt(std::string_view text, std::size_t at) const {
    if (!fold_) return text.compare(at, needle_.size(), needle_) == 0;
    for (std::size_t i = 0; i < needle_.size(); ++i)
        if (FoldedAt(text, at + i) != needle_[i]) return false;
    return true;
}

template <class Visit>
void TextFinder::Candidates(std::string_view text, std::size_t lo, std::size_t hi, bool last, Visit visit) const {
    const std::size_t n = needle_.size();
    if (n == 0 || text.size() < n) return;
    hi = std::min(hi, text.size() - n + 1);  // a match may run past hi
    if (lo >= hi) return;
    const char* const data = text.data();
    const Probe p0 = probes_[0], p1 = probes_[1];
    const auto each = [&](std::size_t from, std::size_t to) {
        for (std::size_t i = 0; i < to - from; ++i) {
            const std::size_t at = last ? to - 1 - i : from + i;
            if (p0.Passes(data[at + p0.at]) && p1.Passes(data[at + p1.at]) && visit(at)) return true;
        }
        return false;
    };
    // For the kWord starts from at, a byte with its top bit set where the
    // start passes both probes (the byte at a probe or'ed with loose, less
    // value, is zero).
    const std::uint64_t loose0 = p0.loose * kOnes, value0 = p0.value * kOnes;
    const std::uint64_t loose1 = p1.loose * kOnes, value1 = p1.value * kOnes;
    const auto passing = [=](std::size_t at) {
        std::uint64_t word0, word1;
        std::memcpy(&word0, data + at + p0.at, kWord);
        std::memcpy(&word1, data + at + p1.at, kWord);
        const std::uint64_t x0 = (word0 | loose0) ^ value0, x1 = (word1 | loose1) ^ value1;
        return ~(((x0 & kLow7) + kLow7) | x0) & ~(((x1 & kLow7) + kLow7) | x1) & kHigh;
    };
    // Starts whose probes lie wholly in the text go a block at a time, from
    // lo on; the rest one by one.
    const std::size_t reach = std::max(p0.at, p1.at) + kWord;
    const std::size_t probed = text.size() >= reach ? std::clamp(text.size() - reach + 1, lo, hi) : lo;
    const std::size_t blocks = (probed - lo) / kBlock, rest = lo + blocks * kBlock;
    if (last && each(rest, hi)) return;
    for (std::size_t i = 0; i < blocks; ++i) {
        const std::size_t block = lo + (last ? blocks - 1 - i : i) * kBlock;
        const std::size_t ahead = last ? block - kAhead : block + kAhead;  // past the text if it wraps
        if (ahead < text.size()) Prefetch(data + ahead);
        std::uint64_t any = 0;
        for (std::size_t word = 0; word < kBlock; word += kWord) any |= passing(block + word);
        for (std::size_t w = 0; any != 0 && w < kBlock; w += kWord) {
            const std::size_t word = block + (last ? kBlock - kWord - w : w);
            const std::uint64_t passed = passing(word);
            for (std::size_t j = 0; passed != 0 && j < kWord; ++j) {
                const std::size_t at = word + (last ? kWord - 1 - j : j);
                if ((passed & kTopBitOf[at - word]) != 0 && visit(at)) return;
            }
        }
    }
    if (!last) each(rest, hi);
}

std::size_t TextFinder::Within(std::string_view text, std::size_t lo, std::size_t hi, bool last) const {
    std::size_t found = npos;
    Candidates(text, lo, hi, last, [&](std::size_t at) {
        if (!MatchAt(text, at)) return false;
        found = at;
        return true;
    });
    return found;
}

std::size_t TextFinder::Forward(std::string_view text, std::size_t from, std::size_t before) const {
    return Within(text, from, before, false);
}

std::size_t TextFinder::Backward(std::string_view text, std::size_t before) const {
    return Within(text, 0, before, true);
}

std::size_t TextFinder::Next(std::string_view text, std::size_t from, bool& wrapped) const {
    std::size_t found = Forward(text, from);
    wrapped = found == npos && from > 0;
    if (wrapped) found = Forward(text, 0);
    return found;
}

std::size_t TextFinder::Previous(std::string_view text, std::size_t before, bool& wrapped) const {
    std::size_t found = Backward(text, before);
    wrapped = found == npos;
    if (wrapped) found = Backward(text, npos);
    return found;
}

std::size_t TextFinder::CountIn(std::string_view text, std::size_t lo, std::size_t hi, long& count) const {
    const std::size_t n = needle_.size();
    if (n == 0 || text.size() < n) return std::max(lo, hi);
    hi = std::min(hi, text.size() - n + 1);
    if (lo >= hi) return lo;
    std::size_t next = lo;
    Candidates(text, lo, hi, false, [&](std::size_t at) {
        if (at >= next && MatchAt(text, at)) {
            ++count;
            next = at + n;
        }
        return false;
    });
    return std::max(next, hi);
}

// ---------------------------------------------------------------------------

bool MatchCounter::Step(std::string_view text, std::size_t bytes) {
    const std::size_t n = finder_.Length();
    if (n == 0 || text.size() < n) return false;
    const std::size_t limit = text.size() - n + 1;  // a match starting here would not fit
    const std::size_t target = std::min(limit, next_ + bytes);
    while (next_ < target) {
        const std::size_t spanEnd = (next_ / kSpan + 1) * kSpan;
        const std::size_t hi = std::min(target, spanEnd);
        next_ = finder_.CountIn(text, next_, hi, count_);
        if (hi == spanEnd && (marks_.empty() || marks_.back().byte < spanEnd)) marks_.push_back({spanEnd, count_, next_});
    }
    return !Done(text);
}

bool MatchCounter::Done(std::string_view text) const {
    const std::size_t n = finder_.Length();
    return n == 0 || text.size() < n || next_ >= text.size() - n + 1;
}

long MatchCounter::CountBefore(std::string_view text, std::size_t byte) const {
    if (byte > next_ && !Done(text)) return -1;
    const auto after = std::upper_bound(marks_.begin(), marks_.end(), byte,
                                        [](std::size_t b, const Mark& m) { return b < m.byte; });
    long count = 0;
    std::size_t from = 0;
    if (after != marks_.begin()) {
        count = (after - 1)->before;
        from = (after - 1)->next;
    }
    finder_.CountIn(text, from, byte, count);
    return count;
}

}  // namespace quillet
