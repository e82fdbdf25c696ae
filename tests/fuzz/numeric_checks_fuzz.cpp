// Feeds arbitrary texts to the numeric checks: they must not crash, and they
// must agree with the independent reading in numeric_oracle.h.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fields/numeric_checks.h"
#include "numeric_oracle.h"

namespace {

void Disagree(int kind, const std::wstring& text, const char* what) {
    std::fprintf(stderr, "disagreement (%s) for kind %d on:", what, kind);
    for (wchar_t c : text) std::fprintf(stderr, " %04x", static_cast<unsigned>(c));
    std::fprintf(stderr, "\n");
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The regular expressions of the oracle recurse per character.
    if (size > 512) return 0;
    std::wstring text;
    for (size_t i = 0; i < size; ++i) {
        // Bytes above 127 stand for characters beyond ASCII; 0xff maps far
        // beyond Latin-1 so that wide values are tried too.
        text.push_back(data[i] == 0xff ? L'\u0663' : static_cast<wchar_t>(data[i]));
    }
    for (int kind = -1; kind <= 7; ++kind) {
        using quillet::TextVerdict;
        TextVerdict verdict = quillet::CheckText(kind, text);
        bool kept = verdict == TextVerdict::Accept;
        if (verdict == TextVerdict::ConvertComma) {
            if (text.find(L',') == std::wstring::npos) Disagree(kind, text, "convert without comma");
            TextVerdict again = quillet::CheckText(kind, quillet::ConvertCommas(text));
            if (again == TextVerdict::ConvertComma) Disagree(kind, text, "converts twice");
            kept = again == TextVerdict::Accept;
        }
        if (kept != quillet::oracle::Accepted(kind, text)) Disagree(kind, text, "verdict");
        const long n = static_cast<long>(text.size());
        for (long p : {0L, n / 2, n, n + 3}) {
            long caret = quillet::CaretAfterSet(p, n, text);
            if (caret < 0 || caret > n) Disagree(kind, text, "caret");
        }
    }
    return 0;
}
