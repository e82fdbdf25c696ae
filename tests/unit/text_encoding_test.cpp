#include "platform/text_encoding.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>
#include <random>
#include <string>

namespace quillet::platform {
namespace {

// Length of the well-formed UTF-8 sequence at s[i], or 0; worked out from the
// code point rather than lead-byte ranges, so as not to share the decoder's reasoning.
std::size_t WellFormedAt(const std::string& s, std::size_t i) {
    const auto b = static_cast<unsigned char>(s[i]);
    const std::size_t n =
        b < 0x80 ? 1 : b >= 0xF0 && b < 0xF8 ? 4 : b >= 0xE0 && b < 0xF0 ? 3 : b >= 0xC0 && b < 0xE0 ? 2 : 0;
    if (n == 0 || i + n > s.size()) return 0;
    char32_t cp = b & (0x7F >> n);
    for (std::size_t k = 1; k < n; ++k) {
        if ((s[i + k] & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (s[i + k] & 0x3F);
    }
    static const char32_t kMin[5] = {0, 0, 0x80, 0x800, 0x10000};
    return cp < kMin[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF) ? 0 : n;
}

TEST(TextDecoder, NulIsMarkedAndSingleBytesFollowWindows1252) {
    std::string text(40, 'x');  // long enough for the word-wide ASCII path
    text[21] = '\0';
    EXPECT_EQ(DecodeText(text), std::string(21, 'x') + "\xE2\x90\x80" + std::string(18, 'x'));
    iconv_t cd = iconv_open("UTF-8", "WINDOWS-1252");
    for (int b = 0x80; b <= 0xFF; ++b) {
        char in = static_cast<char>(b), buf[8], *inp = &in, *outp = buf;
        std::size_t inLeft = 1, outLeft = sizeof buf;
        // The five bytes the code page leaves undefined become the C1 controls.
        const bool undefined = b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
        if (!undefined && (cd == reinterpret_cast<iconv_t>(-1) ||
                           iconv(cd, &inp, &inLeft, &outp, &outLeft) == size_t(-1)))
            continue;
        EXPECT_EQ(DecodeText({in}), undefined ? "\xC2" + std::string{in} : std::string(buf, outp)) << b;
    }
    if (cd == reinterpret_cast<iconv_t>(-1)) GTEST_SKIP() << "no WINDOWS-1252 converter";
    iconv_close(cd);
}

// Random byte strings rich in whole, cut-short, overlong and surrogate
// sequences: the whole keeps exactly the well-formed sequences and decodes
// every other byte alone, is valid UTF-8, and no chunking changes it.
TEST(TextDecoder, ChunkBoundariesNeverChangeTheResult) {
    const std::string pieces[] = {
        "plain text ", "\r\n", std::string("\0", 1), "\xC3\xA9", "\xE2\x82\xAC",
        "\xF0\x9F\x98\x80", "\xF4\x8F\xBF\xBF", "\xC3", "\xE2\x82", "\xF0\x9F\x98",
        "\xC0\x80", "\xE0\x80\x80", "\xE0\x9F\xBF", "\xED\xA0\x80", "\xED\x9F\xBF",
        "\xF0\x8F\xBF\xBF", "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xFF", "\x81\x90", "\xBF",
    };
    std::mt19937 rng(20240611);
    for (int round = 0; round < 500; ++round) {
        std::string in, expected;
        for (int i = 0; i < 1 + round % 12; ++i) {
            const std::size_t k = rng() % (std::size(pieces) + 1);
            in += k < std::size(pieces) ? pieces[k] : std::string(1, static_cast<char>(rng()));
        }
        for (std::size_t i = 0, n; i < in.size(); i += n) {
            n = std::max<std::size_t>(WellFormedAt(in, i), 1);
            expected += n > 1 ? in.substr(i, n) : DecodeText(in.substr(i, 1));
        }
        const std::string whole = DecodeText(in);
        ASSERT_EQ(whole, expected) << testing::PrintToString(in);
        for (std::size_t i = 0, n; i < whole.size(); i += n) ASSERT_NE(n = WellFormedAt(whole, i), 0u);
        for (std::size_t step = 1; step <= 3; ++step)
            for (std::size_t first = 0; first <= in.size(); ++first) {
                TextDecoder decoder;
                std::string out;
                decoder.Decode(in.data(), first, out);
                for (std::size_t at = first; at < in.size(); at += step)
                    decoder.Decode(in.data() + at, std::min(step, in.size() - at), out);
                decoder.Finish(out);
                ASSERT_EQ(out, whole) << testing::PrintToString(in) << " " << first << "+" << step;
            }
    }
}

}  // namespace
}  // namespace quillet::platform
