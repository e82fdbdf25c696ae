#pragma once
// Finding text in the pane's text, with no window: the pane keeps a UTF-8
// copy of what it shows, searched here and mapped to the places the text
// control counts.  Everything works on byte offsets into that copy; a match
// always starts and ends on a character's edge.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text_control.h"

namespace quillet {

// The pane's text as it grows, with a sparse index from bytes to places.
class SearchableText {
public:
    void Append(std::string_view utf8);
    void Clear();
    std::string_view View() const { return text_; }
    std::size_t Size() const { return text_.size(); }
    // Changes on every Clear(): what was found in an older text is void.
    unsigned long Generation() const { return generation_; }

    // The place before byte, as rule counts it; byte lies on a character's edge.
    long PlaceOf(std::size_t byte, platform::PlaceCount rule) const;
    // The byte where place lies (past the end: the end).
    std::size_t ByteOf(long place, platform::PlaceCount rule) const;

private:
    struct Mark {
        std::size_t byte;
        long characters, utf16;  // places before byte under either rule
    };
    const Mark& MarkBefore(std::size_t byte) const;

    std::string text_;
    std::vector<Mark> marks_{{0, 0, 0}};
    unsigned long generation_ = 0;
};

// What to look for.  Without match case, letters of the Latin, Greek and
// Cyrillic alphabets match in either case (Ä and ä, Σ and σ).
class TextFinder {
public:
    static constexpr std::size_t npos = std::string_view::npos;

    TextFinder(std::string_view needle, bool matchCase);
    bool Empty() const { return needle_.empty(); }
    std::size_t Length() const { return needle_.size(); }

    // The first match starting in [from, before) (before: npos for no limit).
    std::size_t Forward(std::string_view text, std::size_t from, std::size_t before = npos) const;
    // The last match starting before `before`.
    std::size_t Backward(std::string_view text, std::size_t before) const;

    // Forward from `from`, and once past the end from the start: wrapped
    // tells whether it went round.
    std::size_t Next(std::string_view text, std::size_t from, bool& wrapped) const;
    // Backward before `before`, and once past the start from the end.
    std::size_t Previous(std::string_view text, std::size_t before, bool& wrapped) const;

    // Counts into count the matches starting in [lo, hi), each one after the
    // end of the one before, the first at lo or later; gives where the next
    // match may start.
    std::size_t CountIn(std::string_view text, std::size_t lo, std::size_t hi, long& count) const;

private:
    // A sieve over the starts of matches: the text's byte `at` bytes past a
    // start, or'ed with loose, must give value.  It passes every start where
    // the needle may match and few others, and the text is folded and
    // compared at those only.
    struct Probe {
        std::size_t at = 0;
        unsigned char loose = 0xFF, value = 0xFF;
        bool Passes(char c) const { return (static_cast<unsigned char>(c) | loose) == value; }
    };

    // Calls visit(start) for the starts in [lo, hi) that pass the probes,
    // nearest first, forward or backward, until it returns true.
    template <class Visit>
    void Candidates(std::string_view text, std::size_t lo, std::size_t hi, bool last, Visit visit) const;
    // The match nearest in [lo, hi) of starts, forward or backward.
    std::size_t Within(std::string_view text, std::size_t lo, std::size_t hi, bool last) const;
    bool MatchAt(std::string_view text, std::size_t at) const;

    std::string needle_;  // folded unless matchCase
    bool fold_;
    std::array<Probe, 2> probes_{};
};

// Counts the matches of a finder over a text that may still grow, in slices
// a caller drives from the event loop; and tells, once counted past a match,
// which match that is.  Matches do not overlap: each starts after the last
// one ends.
class MatchCounter {
public:
    explicit MatchCounter(const TextFinder& finder) : finder_(finder) {}

    // Counts on over about `bytes` more of text; true while the text holds
    // more than has been counted.
    bool Step(std::string_view text, std::size_t bytes);
    bool Done(std::string_view text) const;
    long Count() const { return count_; }
    // How many matches start before byte; only once counted past it (-1 before).
    long CountBefore(std::string_view text, std::size_t byte) const;

private:
    struct Mark {
        std::size_t byte;  // a multiple of kSpan
        long before;       // matches starting before byte
        std::size_t next;  // where the next match may start (a match may cross byte)
    };
    static constexpr std::size_t kSpan = 64 * 1024;

    const TextFinder& finder_;
    std::size_t next_ = 0;     // counted up to here; the next match may start here
    long count_ = 0;
    std::vector<Mark> marks_;  // one at each kSpan passed
};

}  // namespace quillet
