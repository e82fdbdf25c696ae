#pragma once
// The checks behind ValidatedText, kept free of any window so that they can be
// tested and fuzzed on their own.  Texts are wide strings because that is what
// wxString holds on this platform; caret positions count these characters.
#include <string>
#include <string_view>

namespace quillet {

enum NumericKind {
    KindUnsigned256 = 0,
    KindShort,
    KindUnsignedShort,
    KindLong,
    KindUnsignedLong,
    KindReal,
    KindNonNegativeReal
};

// What a field must do with a text it has just been given.
enum class TextVerdict {
    Accept,
    Refuse,
    // A real-number text met an allowed comma before anything wrong: the
    // caller puts ConvertCommas(text) into the field, and that text is
    // judged in its own turn.
    ConvertComma
};

// Form checks.  Each reads left to right and stops at the first character
// that is not allowed there.
bool IsUnsignedIntegerForm(std::wstring_view text);
bool IsSignedIntegerForm(std::wstring_view text);

enum class RealForm { Fails, Passes, CommaMet };
RealForm CheckRealForm(std::wstring_view text);

// Whether the number an integer-form text denotes lies in [low, high].
// Any number of digits is compared exactly; no digits stand for 0.
bool IntegerValueWithin(std::wstring_view text, long long low, long long high);

// The value of a real-form text as the C library reads it in the "C" locale,
// whatever the process locale is; a text without digits gives 0.
double RealValue(std::wstring_view text);

// The whole check of one kind.  A kind outside 0 to 6 accepts every text.
TextVerdict CheckText(int kind, std::wstring_view text);

std::wstring ConvertCommas(std::wstring_view text);

// Where the caret goes when newText replaces a text of length n while the
// caret stood at p: back one place, to where a refused character was typed,
// unless it stands behind a point of the new text or the old text was a
// single character (or none) with the caret at its end.  The result never
// lies beyond the end of newText.
long CaretAfterSet(long p, long n, std::wstring_view newText);

}  // namespace quillet
