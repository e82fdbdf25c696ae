#include "platform/text_encoding.h"

#include <cstdint>
#include <cstring>

namespace quillet::platform {
namespace {

// Code points of the bytes 0x80..0x9F in Windows-1252; the five the code page
// leaves undefined keep their own number.  0xA0..0xFF are Latin-1 already.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// A NUL would end the line early in the text control; the visible symbol
// for it keeps the place.
constexpr char kNulSymbol[] = "\xE2\x90\x80";

void AppendCodePoint(char32_t cp, std::string& out) {
    char buf[3];
    std::size_t n;
    if (cp < 0x80) {
        buf[0] = static_cast<char>(cp);
        n = 1;
    } else if (cp < 0x800) {
        buf[0] = static_cast<char>(0xC0 | (cp >> 6));
        buf[1] = static_cast<char>(0x80 | (cp & 0x3F));
        n = 2;
    } else {
        buf[0] = static_cast<char>(0xE0 | (cp >> 12));
        buf[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        buf[2] = static_cast<char>(0x80 | (cp & 0x3F));
        n = 3;
    }
    out.append(buf, n);
}

// One byte that is not part of a well-formed UTF-8 sequence.
void AppendSingleByte(unsigned char b, std::string& out) {
    if (b == 0) {
        out.append(kNulSymbol, 3);
    } else if (b < 0x80) {
        out.push_back(static_cast<char>(b));
    } else if (b < 0xA0) {
        AppendCodePoint(kCp1252High[b - 0x80], out);
    } else {
        AppendCodePoint(b, out);
    }
}

// Length of the sequence a lead byte opens, or 0 for a byte that opens none
// (continuation bytes, the overlong leads C0/C1, and F5..FF beyond U+10FFFF).
std::size_t SequenceLength(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

// Whether b may stand at position pos (1..3) of a sequence opened by lead.
// The second byte carries the limits that shut out overlong forms (E0, F0),
// surrogates (ED) and code points above U+10FFFF (F4).
bool FitsAt(unsigned char lead, std::size_t pos, unsigned char b) {
    unsigned char lo = 0x80;
    unsigned char hi = 0xBF;
    if (pos == 1) {
        switch (lead) {
        case 0xE0: lo = 0xA0; break;
        case 0xED: hi = 0x9F; break;
        case 0xF0: lo = 0x90; break;
        case 0xF4: hi = 0x8F; break;
        default: break;
        }
    }
    return b >= lo && b <= hi;
}

constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
constexpr std::uint64_t kHighs = 0x8080808080808080ULL;

// True when all eight bytes lie in 0x01..0x7F.  Subtracting one from every
// byte only borrows at a zero byte, which then shows a high bit, as does
// every byte of 0x80 and above.
bool AllPlainAscii(const unsigned char* p) {
    std::uint64_t w;
    std::memcpy(&w, p, sizeof w);
    return (((w - kOnes) | w) & kHighs) == 0;
}

}  // namespace

void TextDecoder::Decode(const char* data, std::size_t size, std::string& out) {
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    const unsigned char* const end = p + size;
    out.reserve(out.size() + size);

    // Complete (or give up on) the sequence the previous chunk ended in.
    while (pendingSize_ > 0 && p < end) {
        const std::size_t need = SequenceLength(pending_[0]);
        if (FitsAt(pending_[0], pendingSize_, *p)) {
            pending_[pendingSize_++] = *p++;
            if (pendingSize_ == need) {
                out.append(reinterpret_cast<const char*>(pending_), need);
                pendingSize_ = 0;
            }
        } else {
            // The bytes after the lead are continuation bytes, which open
            // nothing of their own, so each stands for itself.
            Finish(out);
        }
    }

    while (p < end) {
        const unsigned char* run = p;
        while (end - p >= 8 && AllPlainAscii(p)) p += 8;
        while (p < end && static_cast<unsigned char>(*p - 1) < 0x7F) ++p;
        if (p != run) out.append(reinterpret_cast<const char*>(run), p - run);
        if (p == end) break;

        const unsigned char lead = *p;
        const std::size_t need = SequenceLength(lead);
        if (need == 0) {
            AppendSingleByte(lead, out);
            ++p;
            continue;
        }
        const auto avail = static_cast<std::size_t>(end - p);
        std::size_t have = 1;
        while (have < need && have < avail && FitsAt(lead, have, p[have])) ++have;
        if (have == need) {
            out.append(reinterpret_cast<const char*>(p), need);
            p += need;
        } else if (have == avail) {
            std::memcpy(pending_, p, have);
            pendingSize_ = have;
            p = end;
        } else {
            AppendSingleByte(lead, out);
            ++p;
        }
    }
}

void TextDecoder::Finish(std::string& out) {
    for (std::size_t i = 0; i < pendingSize_; ++i) AppendSingleByte(pending_[i], out);
    pendingSize_ = 0;
}

std::string DecodeText(const std::string& bytes) {
    std::string out;
    TextDecoder decoder;
    decoder.Decode(bytes.data(), bytes.size(), out);
    decoder.Finish(out);
    return out;
}

}  // namespace quillet::platform
