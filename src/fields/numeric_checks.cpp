#include "fields/numeric_checks.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "platform/number_text.h"

namespace quillet {

namespace {

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

bool IsIntegerForm(std::wstring_view text, bool minusAllowed) {
    bool signOrDigitRead = false;
    for (wchar_t c : text) {
        if (IsDigit(c)) {
            signOrDigitRead = true;
        } else if (c == L' ' || c == L'+' || (c == L'-' && minusAllowed)) {
            if (signOrDigitRead) return false;
            if (c != L' ') signOrDigitRead = true;
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

bool IsUnsignedIntegerForm(std::wstring_view text) { return IsIntegerForm(text, false); }

bool IsSignedIntegerForm(std::wstring_view text) { return IsIntegerForm(text, true); }

RealForm CheckRealForm(std::wstring_view text) {
    bool mantissaDigit = false, mantissaSign = false, point = false;
    bool exponentMark = false, exponentSign = false, exponentDigit = false;
    for (wchar_t c : text) {
        if (c == L' ') {
            if (mantissaDigit || mantissaSign || point || exponentMark) return RealForm::Fails;
        } else if (c == L'+' || c == L'-') {
            bool& sign = exponentMark ? exponentSign : mantissaSign;
            bool digit = exponentMark ? exponentDigit : mantissaDigit;
            if (digit || sign) return RealForm::Fails;
            sign = true;
        } else if (c == L'.' || c == L',') {
            if (point || exponentMark) return RealForm::Fails;
            // The rest is read in the converted text, by the check that the
            // conversion sets off.
            if (c == L',') return RealForm::CommaMet;
            point = true;
        } else if (IsDigit(c)) {
            (exponentMark ? exponentDigit : mantissaDigit) = true;
        } else if (c == L'e' || c == L'E') {
            if (!mantissaDigit || exponentMark) return RealForm::Fails;
            exponentMark = true;
        } else {
            return RealForm::Fails;
        }
    }
    return RealForm::Passes;
}

bool IntegerValueWithin(std::wstring_view text, long long low, long long high) {
    size_t i = 0;
    while (i < text.size() && text[i] == L' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
    while (i < text.size() && text[i] == L'0') ++i;
    // Past leading zeros, more than 18 digits exceed every limit of ours, and
    // 18 digits still fit into a long long without overflow.
    std::uint64_t magnitude = 0;
    int digits = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        if (++digits > 18) return false;
        magnitude = magnitude * 10 + static_cast<std::uint64_t>(text[i] - L'0');
    }
    long long value = static_cast<long long>(magnitude);
    if (negative) value = -value;
    return value >= low && value <= high;
}

double RealValue(std::wstring_view text) {
    // Only the leading part that fits a number matters to strtod, and every
    // character of such a part is ASCII; stop at the first that is not.
    std::string narrow;
    narrow.reserve(text.size());
    for (wchar_t c : text) {
        if (c <= 0 || c > 127) break;
        narrow.push_back(static_cast<char>(c));
    }
    // The field's texts are always in the C form, whatever the locale.
    return platform::ReadCDouble(narrow);
}

TextVerdict CheckText(int kind, std::wstring_view text) {
    auto verdict = [](bool ok) { return ok ? TextVerdict::Accept : TextVerdict::Refuse; };
    switch (kind) {
    case KindUnsigned256:
        return verdict(IsUnsignedIntegerForm(text) && IntegerValueWithin(text, 0, 256));
    case KindShort:
        return verdict(IsSignedIntegerForm(text) && IntegerValueWithin(text, -32768, 32767));
    case KindUnsignedShort:
        return verdict(IsUnsignedIntegerForm(text) && IntegerValueWithin(text, 0, 65535));
    case KindLong:
        return verdict(IsSignedIntegerForm(text) &&
                       IntegerValueWithin(text, -2147483648LL, 2147483647LL));
    case KindUnsignedLong:
        return verdict(IsUnsignedIntegerForm(text) && IntegerValueWithin(text, 0, 4294967295LL));
    case KindReal:
    case KindNonNegativeReal:
        switch (CheckRealForm(text)) {
        case RealForm::Fails: return TextVerdict::Refuse;
        case RealForm::CommaMet: return TextVerdict::ConvertComma;
        case RealForm::Passes: break;
        }
        // -0 and values that underflow to -0 count as 0.
        return verdict(kind == KindReal || !(RealValue(text) < 0));
    default:
        return TextVerdict::Accept;
    }
}

std::wstring ConvertCommas(std::wstring_view text) {
    std::wstring converted(text);
    std::replace(converted.begin(), converted.end(), L',', L'.');
    return converted;
}

long CaretAfterSet(long p, long n, std::wstring_view newText) {
    const long length = static_cast<long>(newText.size());
    bool behindPoint = p > 0 && p - 1 < length && newText[p - 1] == L'.';
    if (!behindPoint && (p > 1 || p < n)) p = std::max(p - 1, 0L);
    // A restore after a paste can leave p beyond the shorter restored text.
    return std::min(p, length);
}

}  // namespace quillet
