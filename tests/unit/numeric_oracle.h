#pragma once
// A second reading of the numeric kinds, written from the rules rather than
// from the checks: one regular expression per text form, limits compared as
// decimal strings, and the real value read by std::from_chars.  The unit
// tests hold the checks against it.
#include <algorithm>
#include <charconv>
#include <cstdlib>
// GCC 12 with the sanitizers sees uninitialised members inside libstdc++'s
// regex automaton that are not there.
#if !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <regex>
#include <string>
#include <string_view>

#include "fields/numeric_checks.h"

namespace quillet::oracle {

// Whether text is blanks, an optional sign (a minus only when minusMax is
// given) and digits whose number is at most the limit for that sign.
inline bool IntegerAccepted(std::wstring_view text, const wchar_t* plusMax, const wchar_t* minusMax = nullptr) {
    static const std::wregex withMinus(L" *([+-]?)0*([0-9]*)"), plusOnly(L" *(\\+?)0*([0-9]*)");
    const std::wstring s(text);
    std::wsmatch m;
    if (!std::regex_match(s, m, minusMax ? withMinus : plusOnly)) return false;
    const std::wstring max = m[1] == L"-" ? minusMax : plusMax, digits = m[2];
    return digits.size() != max.size() ? digits.size() < max.size() : digits <= max;
}

// Whether a text of the real form denotes a value below zero.  Values so
// small that they round to zero are -0, which is not below zero.
inline bool RealBelowZero(const std::wstring& s) {
    std::string n;  // the text is ASCII: the form admits nothing else
    std::copy_if(s.begin(), s.end(), std::back_inserter(n), [](wchar_t c) { return c != L' '; });
    double value = 0;
    auto result = std::from_chars(n.data(), n.data() + n.size(), value);
    if (result.ec != std::errc::result_out_of_range) return result.ec == std::errc() && value < 0;
    // Out of range: -inf when the first non-zero digit stands at a positive
    // decimal place once the exponent is applied, else -0.
    size_t e = std::min(n.find_first_of("eE"), n.size()), point = std::min(n.find('.'), e);
    const long long cap = 1LL << 40;
    long long exponent = std::clamp(std::strtoll(n.c_str() + std::min(e + 1, n.size()), nullptr, 10), -cap, cap);
    size_t first = n.find_first_not_of("-0.");
    long long lead = first < point ? static_cast<long long>(point - first) : -static_cast<long long>(first - point - 1);
    return n[0] == '-' && exponent + lead > 0;
}

// Whether the field ends up holding text (after the comma conversion, which
// turns every comma into a point).
inline bool Accepted(int kind, std::wstring_view text) {
    static const std::wregex real(L" *([+-]?[0-9]*(?:\\.[0-9]*)?|\\.[+-][0-9]*)([eE][+-]?[0-9]*)?");
    const wchar_t* limits[][2] = {{L"256"}, {L"32767", L"32768"}, {L"65535"}, {L"2147483647", L"2147483648"},
                                  {L"4294967295"}};
    if (kind >= KindUnsigned256 && kind <= KindUnsignedLong)
        return IntegerAccepted(text, limits[kind][0], limits[kind][1]);
    if (kind != KindReal && kind != KindNonNegativeReal) return true;
    std::wstring s(text);
    std::replace(s.begin(), s.end(), L',', L'.');
    std::wsmatch m;
    // An exponent needs a digit in the mantissa.
    if (!std::regex_match(s, m, real) || (m[2].matched && m[1].str().find_first_of(L"0123456789") == std::wstring::npos))
        return false;
    return kind == KindReal || !RealBelowZero(s);
}

// What the checks leave in the field: a comma conversion puts the converted
// text in, which is judged in its own turn and must not convert again.
inline bool FieldKeeps(int kind, std::wstring_view text, bool& convertedTwice) {
    TextVerdict verdict = CheckText(kind, text);
    if (verdict == TextVerdict::ConvertComma) verdict = CheckText(kind, ConvertCommas(text));
    convertedTwice = verdict == TextVerdict::ConvertComma;
    return verdict == TextVerdict::Accept;
}

}  // namespace quillet::oracle
