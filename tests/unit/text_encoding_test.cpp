#include "platform/text_encoding.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace quillet::platform {
namespace {

// A strict UTF-8 check written from the code-point values rather than from
// lead-byte ranges, so that it does not share the decoder's reasoning.
// Returns the length of the well-formed sequence at s[i], or 0.
std::size_t WellFormedAt(const std::string& s, std::size_t i) {
    const auto b = static_cast<unsigned char>(s[i]);
    std::size_t n;
    char32_t cp;
    if (b < 0x80) return 1;
    if ((b & 0xE0) == 0xC0) { n = 2; cp = b & 0x1F; }
    else if ((b & 0xF0) == 0xE0) { n = 3; cp = b & 0x0F; }
    else if ((b & 0xF8) == 0xF0) { n = 4; cp = b & 0x07; }
    else return 0;
    if (i + n > s.size()) return 0;
    for (std::size_t k = 1; k < n; ++k) {
        const auto c = static_cast<unsigned char>(s[i + k]);
        if ((c & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (c & 0x3F);
    }
    static const char32_t kMin[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMin[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return n;
}

bool IsValidUtf8(const std::string& s) {
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n = WellFormedAt(s, i);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

// What the decoder must produce: well-formed sequences as they are, NUL as
// U+2400, every other byte on its own (a lone byte is decoded one-shot).
std::string Expected(const std::string& in) {
    std::string out;
    for (std::size_t i = 0; i < in.size();) {
        const std::size_t n = WellFormedAt(in, i);
        if (in[i] == '\0') {
            out += "\xE2\x90\x80";
            ++i;
        } else if (n > 0) {
            out.append(in, i, n);
            i += n;
        } else {
            out += DecodeText(std::string(1, in[i]));
            ++i;
        }
    }
    return out;
}

std::string Chunked(const std::string& in, const std::vector<std::size_t>& cuts) {
    TextDecoder decoder;
    std::string out;
    std::size_t from = 0;
    for (std::size_t cut : cuts) {
        decoder.Decode(in.data() + from, cut - from, out);
        from = cut;
    }
    decoder.Decode(in.data() + from, in.size() - from, out);
    decoder.Finish(out);
    return out;
}

// Byte strings rich in the hard cases: valid sequences of every length,
// sequences cut short, overlong and surrogate forms, NUL, plain ASCII runs.
std::string AwkwardBytes(std::mt19937& rng, std::size_t pieces) {
    static const std::string kPieces[] = {
        "a", "plain text ", "\n", "\r\n", std::string("\0", 1),
        "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "\xF4\x8F\xBF\xBF",
        "\xC3", "\xE2\x82", "\xF0\x9F\x98", "\xC0\x80", "\xC1\xBF",
        "\xE0\x80\x80", "\xE0\x9F\xBF", "\xED\xA0\x80", "\xED\x9F\xBF",
        "\xF0\x8F\xBF\xBF", "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xFF",
        "\x80", "\x81\x8D\x8F\x90\x9D", "\xE9t\xE9", "\xBF\xBF",
    };
    std::uniform_int_distribution<std::size_t> pick(0, std::size(kPieces));
    std::uniform_int_distribution<int> anyByte(0, 255);
    std::string s;
    for (std::size_t i = 0; i < pieces; ++i) {
        const std::size_t k = pick(rng);
        if (k == std::size(kPieces)) {
            s.push_back(static_cast<char>(anyByte(rng)));
        } else {
            s += kPieces[k];
        }
    }
    return s;
}

std::string Iconv1252(unsigned char b) {
    iconv_t cd = iconv_open("UTF-8", "WINDOWS-1252");
    if (cd == reinterpret_cast<iconv_t>(-1)) return {};
    char in = static_cast<char>(b);
    char buf[8];
    char* inp = &in;
    char* outp = buf;
    std::size_t inLeft = 1;
    std::size_t outLeft = sizeof buf;
    const std::size_t r = iconv(cd, &inp, &inLeft, &outp, &outLeft);
    iconv_close(cd);
    if (r == static_cast<std::size_t>(-1)) return {};
    return std::string(buf, outp);
}

}  // namespace

TEST(TextDecoder, SingleBytesFollowWindows1252) {
    int checkedAgainstIconv = 0;
    for (int b = 0x80; b <= 0xFF; ++b) {
        const std::string got = DecodeText(std::string(1, static_cast<char>(b)));
        if (b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D) {
            // Undefined in the code page: the C1 control of the same number.
            EXPECT_EQ(got, std::string({static_cast<char>(0xC2), static_cast<char>(b)})) << b;
            continue;
        }
        const std::string want = Iconv1252(static_cast<unsigned char>(b));
        if (want.empty()) continue;
        EXPECT_EQ(got, want) << std::hex << b;
        ++checkedAgainstIconv;
    }
    if (checkedAgainstIconv == 0) GTEST_SKIP() << "no WINDOWS-1252 converter";
}

TEST(TextDecoder, KeepsWellFormedTextAndMarksNul) {
    const std::string good = "ASCII \xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80 \xF4\x8F\xBF\xBF";
    EXPECT_EQ(DecodeText(good), good);
    // A NUL inside an ASCII run long enough for the word-wide fast path.
    std::string in(40, 'x');
    in[21] = '\0';
    EXPECT_EQ(DecodeText(in), std::string(21, 'x') + "\xE2\x90\x80" + std::string(18, 'x'));
    // A surrogate and a sequence cut short by the end of the text.
    EXPECT_EQ(DecodeText("\xED\xA0\x80"), "\xC3\xAD\xC2\xA0\xE2\x82\xAC");
    EXPECT_EQ(DecodeText("ok\xF0\x9F\x98"), "ok\xC3\xB0\xC5\xB8\xCB\x9C");
}

// Every way of cutting a text into two or three chunks decodes like the
// whole, and the whole agrees with an independent reading of the bytes.
TEST(TextDecoder, ChunkBoundariesNeverChangeTheResult) {
    std::mt19937 rng(20240611);
    for (int round = 0; round < 300; ++round) {
        const std::string in = AwkwardBytes(rng, 1 + round % 12);
        const std::string whole = DecodeText(in);
        ASSERT_EQ(whole, Expected(in)) << testing::PrintToString(in);
        ASSERT_TRUE(IsValidUtf8(whole));
        for (std::size_t a = 0; a <= in.size(); ++a) {
            ASSERT_EQ(Chunked(in, {a}), whole) << testing::PrintToString(in) << " cut " << a;
            for (std::size_t b = a; b <= in.size() && b < a + 5; ++b) {
                ASSERT_EQ(Chunked(in, {a, b}), whole)
                    << testing::PrintToString(in) << " cuts " << a << "," << b;
            }
        }
        // Byte by byte, as a pipe might deliver it.
        std::vector<std::size_t> everyByte;
        for (std::size_t i = 1; i < in.size(); ++i) everyByte.push_back(i);
        ASSERT_EQ(Chunked(in, everyByte), whole) << testing::PrintToString(in);
    }
}

// Random bytes in random chunks always come out as valid UTF-8, and never
// lose a byte: every input byte yields at least one output byte.
TEST(TextDecoder, RandomInputAlwaysGivesValidUtf8) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> anyByte(0, 255);
    std::uniform_int_distribution<int> highByte(0x80, 0xFF);
    std::uniform_int_distribution<std::size_t> len(0, 600);
    std::uniform_int_distribution<std::size_t> chunk(1, 9);
    for (int round = 0; round < 2000; ++round) {
        std::string in(len(rng), '\0');
        for (char& c : in) c = static_cast<char>(round % 2 ? anyByte(rng) : highByte(rng));
        TextDecoder decoder;
        std::string out;
        for (std::size_t from = 0; from < in.size();) {
            const std::size_t n = std::min(chunk(rng), in.size() - from);
            decoder.Decode(in.data() + from, n, out);
            from += n;
        }
        decoder.Finish(out);
        ASSERT_TRUE(IsValidUtf8(out)) << testing::PrintToString(in);
        ASSERT_GE(out.size(), in.size());
        ASSERT_EQ(out, DecodeText(in));
    }
}

}  // namespace quillet::platform
