#pragma once
// A second reading of the numeric kinds, written from the rules rather than
// from the checks: one regular expression per text form, limits compared as
// decimal strings, and the real value read by std::from_chars.  The unit
// tests and the fuzz target hold the checks against it.
#include <charconv>
// GCC 12 with the sanitizers sees uninitialised members inside libstdc++'s
// regex automaton that are not there.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <regex>
#pragma GCC diagnostic pop
#else
#include <regex>
#endif
#include <string>
#include <string_view>

namespace quillet::oracle {

inline const std::wregex& UnsignedForm() {
    static const std::wregex re(L" *\\+?([0-9]*)");
    return re;
}
inline const std::wregex& SignedForm() {
    static const std::wregex re(L" *([+-]?)([0-9]*)");
    return re;
}
// Mantissa: a sign and a point in either order before the first digit, or
// digits with at most one point; the exponent part is checked for a mantissa
// digit separately.
inline const std::wregex& RealForm() {
    static const std::wregex re(
        L" *([+-]?[0-9]*(?:\\.[0-9]*)?|\\.[+-][0-9]*)([eE][+-]?[0-9]*)?");
    return re;
}

// Compares two digit strings without leading zeros as numbers.
inline int CompareDecimal(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
}

inline std::wstring StripZeros(const std::wstring& digits) {
    size_t first = digits.find_first_not_of(L'0');
    return first == std::wstring::npos ? std::wstring() : digits.substr(first);
}

// maxPositive and maxNegative are the magnitudes the kind admits.
inline bool IntegerAccepted(std::wstring_view text, bool signedForm, const wchar_t* maxPositive,
                            const wchar_t* maxNegative) {
    std::wstring s(text);
    std::wsmatch m;
    if (signedForm) {
        if (!std::regex_match(s, m, SignedForm())) return false;
        std::wstring magnitude = StripZeros(m[2].str());
        bool negative = m[1].str() == L"-";
        return CompareDecimal(magnitude, negative ? maxNegative : maxPositive) <= 0;
    }
    if (!std::regex_match(s, m, UnsignedForm())) return false;
    return CompareDecimal(StripZeros(m[1].str()), maxPositive) <= 0;
}

inline bool RealFormAccepted(const std::wstring& s) {
    std::wsmatch m;
    if (!std::regex_match(s, m, RealForm())) return false;
    if (m[2].matched && m[1].str().find_first_of(L"0123456789") == std::wstring::npos)
        return false;
    return true;
}

// Whether a text of the real form denotes a value below zero.  Values so
// small that they round to zero are -0, which is not below zero.
inline bool RealBelowZero(const std::wstring& s) {
    std::string narrow;
    for (wchar_t c : s)
        if (c != L' ') narrow.push_back(static_cast<char>(c));
    if (narrow.empty() || narrow[0] != '-') return false;
    double value = 0;
    auto result = std::from_chars(narrow.data(), narrow.data() + narrow.size(), value);
    if (result.ec == std::errc()) return value < 0;
    if (result.ec != std::errc::result_out_of_range) return false;  // no digits: 0
    // Out of range: below zero if too large (-inf), zero if too small.  The
    // decimal exponent of the first non-zero digit tells which.
    long long exponent = 0;
    size_t e = narrow.find_first_of("eE");
    if (e != std::string::npos) {
        size_t i = e + 1;
        bool negative = i < narrow.size() && narrow[i] == '-';
        if (i < narrow.size() && (narrow[i] == '-' || narrow[i] == '+')) ++i;
        for (; i < narrow.size() && exponent < 1000000; ++i) exponent = exponent * 10 + (narrow[i] - '0');
        if (negative) exponent = -exponent;
    }
    std::string mantissa = narrow.substr(1, e == std::string::npos ? std::string::npos : e - 1);
    size_t point = mantissa.find('.');
    std::string whole = mantissa.substr(0, point);
    std::string fraction = point == std::string::npos ? "" : mantissa.substr(point + 1);
    size_t wholeStart = whole.find_first_not_of('0');
    long long lead = wholeStart != std::string::npos
                         ? static_cast<long long>(whole.size() - wholeStart)
                         : -static_cast<long long>(fraction.find_first_not_of('0'));
    return exponent + lead > 0;
}

// Whether the field ends up holding text (after the comma conversion, which
// turns every comma into a point).
inline bool Accepted(int kind, std::wstring_view text) {
    switch (kind) {
    case 0: return IntegerAccepted(text, false, L"256", L"");
    case 1: return IntegerAccepted(text, true, L"32767", L"32768");
    case 2: return IntegerAccepted(text, false, L"65535", L"");
    case 3: return IntegerAccepted(text, true, L"2147483647", L"2147483648");
    case 4: return IntegerAccepted(text, false, L"4294967295", L"");
    case 5:
    case 6: {
        std::wstring s(text);
        for (wchar_t& c : s)
            if (c == L',') c = L'.';
        return RealFormAccepted(s) && (kind == 5 || !RealBelowZero(s));
    }
    default: return true;
    }
}

}  // namespace quillet::oracle
