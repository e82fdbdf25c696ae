#include "pane/find_in_text.h"

#include <algorithm>

namespace quillet {

namespace {

constexpr std::size_t kMarkSpan = 64 * 1024;
// What one search folds at a time: small enough to stay in the cache.
constexpr std::size_t kChunk = 256 * 1024;

bool Continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

std::size_t EdgeAtOrAfter(std::string_view text, std::size_t at) {
    while (at < text.size() && Continuation(text[at])) ++at;
    return at;
}

std::size_t EdgeAtOrBefore(std::string_view text, std::size_t at) {
    while (at > 0 && at < text.size() && Continuation(text[at])) --at;
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

void Fold(std::string_view in, std::string& out) {
    out.resize(in.size());
    const std::size_t n = in.size();
    for (std::size_t i = 0; i < n;) {
        const auto c = static_cast<unsigned char>(in[i]);
        if (c < 0x80) {
            out[i++] = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
        } else if ((c & 0xE0) == 0xC0 && i + 1 < n && Continuation(in[i + 1])) {
            const unsigned cp = FoldTwoByte(((c & 0x1Fu) << 6) | (static_cast<unsigned char>(in[i + 1]) & 0x3Fu));
            out[i] = static_cast<char>(0xC0 | (cp >> 6));
            out[i + 1] = static_cast<char>(0x80 | (cp & 0x3F));
            i += 2;
        } else {
            out[i] = in[i];
            ++i;
        }
    }
}

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

TextFinder::TextFinder(std::string_view needle, bool matchCase) : fold_(!matchCase) {
    if (fold_)
        Fold(needle, needle_);
    else
        needle_ = std::string(needle);
}

std::string_view TextFinder::Stretch(std::string_view text, std::size_t lo, std::size_t hi, std::size_t& from) const {
    // Whole characters, from the one at lo to the end of a match starting
    // just before hi.
    from = EdgeAtOrBefore(text, lo);
    const std::size_t to = EdgeAtOrAfter(text, hi - 1 + needle_.size());
    const std::string_view stretch = text.substr(from, to - from);
    if (!fold_) return stretch;
    Fold(stretch, folded_);
    return folded_;
}

std::size_t TextFinder::Within(std::string_view text, std::size_t lo, std::size_t hi, bool last) const {
    const std::size_t n = needle_.size();
    if (n == 0 || text.size() < n) return npos;
    hi = std::min(hi, text.size() - n + 1);
    if (lo >= hi) return npos;
    std::size_t from = 0;
    const std::string_view window = Stretch(text, lo, hi, from);
    const std::size_t found = last ? window.rfind(needle_, hi - 1 - from) : window.find(needle_, lo - from);
    if (found == npos || found + from < lo || found + from >= hi) return npos;
    return found + from;
}

std::size_t TextFinder::Forward(std::string_view text, std::size_t from, std::size_t before) const {
    before = std::min(before, text.size());
    for (std::size_t lo = from; lo < before; lo += kChunk) {
        const std::size_t found = Within(text, lo, std::min(before, lo + kChunk), false);
        if (found != npos) return found;
    }
    return npos;
}

std::size_t TextFinder::Backward(std::string_view text, std::size_t before) const {
    for (std::size_t hi = std::min(before, text.size()); hi > 0;) {
        const std::size_t lo = hi > kChunk ? hi - kChunk : 0;
        const std::size_t found = Within(text, lo, hi, true);
        if (found != npos) return found;
        hi = lo;
    }
    return npos;
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
    std::size_t from = 0;
    const std::string_view window = Stretch(text, lo, hi, from);
    std::size_t next = lo;
    for (std::size_t found; (found = window.find(needle_, next - from)) != npos && found + from < hi;) {
        ++count;
        next = found + from + n;
    }
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
