// Feeds arbitrary texts to the numeric checks: they must not crash, and they
// must agree with the independent reading in numeric_oracle.h.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "numeric_oracle.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The regular expressions of the oracle recurse per character.
    if (size > 512) return 0;
    // Bytes above 127 stand for characters beyond ASCII; 0xff maps far beyond
    // Latin-1 so that wide values are tried too.
    std::wstring text;
    for (size_t i = 0; i < size; ++i) text.push_back(data[i] == 0xff ? L'\u0663' : static_cast<wchar_t>(data[i]));
    const long n = static_cast<long>(text.size());
    for (int kind = -1; kind <= 7; ++kind) {
        bool twice = false;
        const char* fault = quillet::oracle::FieldKeeps(kind, text, twice) != quillet::oracle::Accepted(kind, text)
                                ? "verdict" : twice ? "converts twice" : nullptr;
        for (long p : {0L, n / 2, n, n + 3})
            if (long caret = quillet::CaretAfterSet(p, n, text); caret < 0 || caret > n) fault = "caret";
        if (!fault) continue;
        std::fprintf(stderr, "disagreement (%s) for kind %d on:", fault, kind);
        for (wchar_t c : text) std::fprintf(stderr, " %04x", static_cast<unsigned>(c));
        std::fprintf(stderr, "\n");
        std::abort();
    }
    return 0;
}
