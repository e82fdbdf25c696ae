// The console tool's output as arbitrary bytes, through the line copier and
// the pane stream: fed in pieces cut anywhere it must give what it gives in
// one piece, the counts must agree with a count made here, and the pane must
// get the decoded lines.  (The decoder itself is held to its own reading in
// text_encoding_test.cpp.)
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

using namespace quillet;
using platform::DecodeText;

void Check(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "output: %s\n", what);
    std::abort();
}

bool operator==(const CopyResult& a, const CopyResult& b) {
    return a.lines == b.lines && a.chars == b.chars && a.cutLines == b.cutLines && a.paneFailed == b.paneFailed;
}

struct Shown {
    std::string text;
    CopyResult result;
};

// The file through a LineCopier into a pane stream that takes at most room
// bytes, in pieces whose sizes come from seed (0: one piece), lines longer
// than longest cut.
Shown Show(const std::string& file, std::size_t room, std::size_t buffer, std::uint32_t seed,
           std::size_t longest) {
    Shown shown;
    PaneStreamBuf buf([&](const std::string& utf8) { shown.text += utf8; },
                      [&] { return room > shown.text.size() ? room - shown.text.size() : 0; }, buffer);
    std::ostream pane(&buf);
    LineCopier copier(pane, longest);
    std::minstd_rand cut(seed);
    for (std::size_t at = 0, piece; at < file.size(); at += piece) {
        piece = seed == 0 ? file.size() : std::min<std::size_t>(file.size() - at, 1 + cut() % 13);
        Check(copier.Feed(file.data() + at, piece) == !copier.Result().paneFailed, "Feed's answer");
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
    const std::size_t longest = in.ConsumeIntegralInRange<std::size_t>(0, 300);
    const std::string file = in.ConsumeRemainingBytesAsString();

    // What the pane must show, counted here line by line: a CR before an LF
    // goes, any other CR shows as U+240D, and the empty read after a final LF
    // (or of an empty file) shows as one more, uncounted, row.  A line
    // longer than longest shows its start, backed off to where a UTF-8
    // character starts, and a mark.
    CopyResult want;
    std::string pane;
    for (std::size_t start = 0, nl = 0; nl != std::string::npos; start = nl + 1) {
        nl = file.find('\n', start);
        std::string line = file.substr(start, nl == std::string::npos ? nl : nl - start);
        if (nl != std::string::npos && !line.empty() && line.back() == '\r') line.pop_back();
        if (nl != std::string::npos || !line.empty()) ++want.lines, want.chars += static_cast<long>(line.size());
        const bool cutShort = line.size() > longest;
        std::size_t shown = std::min(line.size(), longest);
        while (cutShort && shown > 0 && longest - shown < 3 && (line[shown] & 0xC0) == 0x80) --shown;
        for (char c : line.substr(0, shown)) pane += c == '\r' ? std::string("\xe2\x90\x8d") : std::string(1, c);
        if (cutShort) pane += "\xe2\x80\xa6 [line cut, " + std::to_string(line.size()) + " char(s) in all]";
        want.cutLines += cutShort;
        pane += '\n';
    }

    // The copy alone, into a pane that takes everything.
    std::ostringstream whole;
    LineCopier alone(whole, longest);
    alone.Feed(file.data(), file.size());
    Check(alone.Finish() == want, "counts differ from an independent count");
    Check(whole.str() == pane, "pane text differs from the file's lines");

    const std::string decoded = DecodeText(pane);

    // Through the pane stream, whole and in pieces, with room for all.
    const Shown all = Show(file, SIZE_MAX, buffer, 0, longest),
               allCut = Show(file, SIZE_MAX, buffer, seed, longest);
    Check(all.text == decoded && all.result == want, "pane stream changed the copy");
    Check(allCut.text == all.text && allCut.result == all.result, "pieces differ from the whole");

    // A pane with limited room: pieces change nothing, the lines counted
    // are shown whole, and nothing is lost without a failure.
    const Shown part = Show(file, room, buffer, 0, longest),
               partCut = Show(file, room, buffer, seed, longest);
    Check(partCut.text == part.text && partCut.result == part.result, "pieces differ from the whole in a full pane");
    Check(part.result.paneFailed || (part.result == want && part.text == decoded), "lost text without a failure");
    Check(part.result.lines <= want.lines, "counted a line the pane refused");
    std::size_t end = 0;
    for (long i = 0; i < part.result.lines; ++i) end = pane.find('\n', end) + 1;
    Check(part.text.rfind(DecodeText(pane.substr(0, end)), 0) == 0, "counted lines are not shown whole");
    return 0;
}
