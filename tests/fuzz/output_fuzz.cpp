// The console tool's output as arbitrary bytes, through the line copier and
// the pane stream's decoder: fed in pieces cut anywhere it must give what it
// gives in one piece, the counts must agree with a count made here, and the
// pane must get valid UTF-8 with a row for every line.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>

#include "pane/pane_stream.h"
#include "exec/line_copier.h"
#include "platform/text_encoding.h"

namespace {

using quillet::CopyResult;
using quillet::LineCopier;
using quillet::PaneStreamBuf;
using quillet::platform::DecodeText;
using quillet::platform::TextDecoder;

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "output: %s\n", what);
    std::abort();
}

bool Same(const CopyResult& a, const CopyResult& b) {
    return a.lines == b.lines && a.chars == b.chars && a.paneFailed == b.paneFailed;
}

// What the pane must show, counted here line by line: a CR before an LF goes,
// any other CR shows as U+240D, and the empty read after a final LF (or of
// an empty file) shows as one more, uncounted, row.
struct Expected {
    std::string pane;
    long lines = 0;
    long chars = 0;
};

Expected Expect(const std::string& file) {
    Expected e;
    std::size_t start = 0;
    for (;;) {
        const std::size_t nl = file.find('\n', start);
        std::string line = file.substr(start, nl == std::string::npos ? std::string::npos : nl - start);
        if (nl != std::string::npos && !line.empty() && line.back() == '\r') line.pop_back();
        const bool counted = nl != std::string::npos || !line.empty();
        if (counted) ++e.lines, e.chars += static_cast<long>(line.size());
        for (char c : line) e.pane += c == '\r' ? std::string("\xe2\x90\x8d") : std::string(1, c);
        e.pane += '\n';
        if (nl == std::string::npos) break;
        start = nl + 1;
    }
    return e;
}

// Well-formed UTF-8 without NUL, checked code point by code point.
bool ValidUtf8(const std::string& s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        int n = b < 0x80 ? 0 : b >> 5 == 6 ? 1 : b >> 4 == 14 ? 2 : b >> 3 == 30 ? 3 : -1;
        if (b == 0 || n < 0 || i + n >= s.size()) return false;
        char32_t cp = n == 0 ? b : b & (0x3F >> n);
        for (int k = 1; k <= n; ++k) {
            const auto c = static_cast<unsigned char>(s[i + k]);
            if (c >> 6 != 2) return false;
            cp = cp << 6 | (c & 0x3F);
        }
        static const char32_t least[] = {0, 0x80, 0x800, 0x10000};
        if (cp < least[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += n + 1;
    }
    return true;
}

struct Shown {
    std::string text;
    CopyResult result;
};

// The file through a LineCopier into a pane stream that takes at most room
// bytes, in pieces whose sizes come from seed (0: one piece).
Shown Show(const std::string& file, std::size_t room, std::size_t buffer, std::uint32_t seed) {
    Shown shown;
    PaneStreamBuf buf([&](const std::string& utf8) { shown.text += utf8; },
                      [&] { return room > shown.text.size() ? room - shown.text.size() : 0; }, buffer);
    std::ostream pane(&buf);
    LineCopier copier(pane);
    std::minstd_rand cut(seed);
    for (std::size_t at = 0; at < file.size();) {
        const std::size_t piece = seed == 0 ? file.size() : std::min<std::size_t>(file.size() - at, 1 + cut() % 13);
        const bool took = copier.Feed(file.data() + at, piece);
        if (took != !copier.Result().paneFailed) Fail("Feed's answer");
        at += piece;
    }
    shown.result = copier.Finish();
    buf.Close();
    return shown;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const std::size_t buffer = in.ConsumeIntegralInRange<std::size_t>(1, 64);
    const std::size_t room = in.ConsumeIntegralInRange<std::size_t>(0, 2 * size + 8);
    const std::uint32_t seed = in.ConsumeIntegral<std::uint32_t>() | 1;
    const std::string file = in.ConsumeRemainingBytesAsString();
    const Expected want = Expect(file);

    // The copy alone, into a pane that takes everything.
    std::ostringstream whole;
    std::istringstream source(file, std::ios::binary);
    const CopyResult copied = quillet::CopyLines(source, whole);
    if (copied.lines != want.lines || copied.chars != want.chars || copied.paneFailed)
        Fail("counts differ from an independent count");
    if (whole.str() != want.pane) Fail("pane text differs from the file's lines");

    // The decoder: the same text in any cut, valid UTF-8, rows kept, and
    // UTF-8 that was valid already left alone.
    const std::string decoded = DecodeText(want.pane);
    if (!ValidUtf8(decoded)) Fail("decoded text is not valid UTF-8");
    if (std::count(decoded.begin(), decoded.end(), '\n') != std::count(want.pane.begin(), want.pane.end(), '\n'))
        Fail("decoding changed the rows");
    if (ValidUtf8(file) && DecodeText(file) != file) Fail("valid UTF-8 was changed");
    {
        std::string pieces;
        TextDecoder decoder;
        std::minstd_rand cut(seed);
        for (std::size_t at = 0; at < file.size();) {
            const std::size_t piece = std::min<std::size_t>(file.size() - at, cut() % 7);
            decoder.Decode(file.data() + at, piece, pieces);
            at += piece;
        }
        decoder.Finish(pieces);
        if (pieces != DecodeText(file)) Fail("decoding in pieces differs");
    }

    // Through the pane stream, whole and in pieces, with room for all.
    const Shown all = Show(file, SIZE_MAX, buffer, 0);
    if (all.text != decoded || !Same(all.result, copied)) Fail("pane stream changed the copy");
    const Shown allCut = Show(file, SIZE_MAX, buffer, seed);
    if (allCut.text != all.text || !Same(allCut.result, all.result)) Fail("pieces differ from the whole");

    // A pane with limited room: pieces change nothing, the lines counted
    // are shown whole, and nothing is lost without a failure.
    const Shown part = Show(file, room, buffer, 0);
    const Shown partCut = Show(file, room, buffer, seed);
    if (partCut.text != part.text || !Same(partCut.result, part.result))
        Fail("pieces differ from the whole in a full pane");
    if (!part.result.paneFailed) {
        if (!Same(part.result, copied) || part.text != decoded) Fail("lost text without a failure");
    } else {
        if (part.result.lines > want.lines) Fail("counted a line the pane refused");
        std::size_t end = 0;
        for (long i = 0; i < part.result.lines; ++i) end = want.pane.find('\n', end) + 1;
        if (part.text.rfind(DecodeText(want.pane.substr(0, end)), 0) != 0) Fail("counted lines are not shown whole");
    }
    return 0;
}
