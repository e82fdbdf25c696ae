// Arbitrary settings files, names and values: reading must not crash, and a
// write must either be refused with the file untouched or read back as the
// value written, with every other line of the file byte for byte as it was.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/settings_file.h"
#include "platform/text_encoding.h"

namespace {

using quillet::platform::DecodeText;
using quillet::platform::ReadSettingInt;
using quillet::platform::ReadSettingString;
using quillet::platform::WriteSettingString;

std::string dir, path;

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "settings file: %s\n", what);
    std::abort();
}

void Put(const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out.flush()) Fail("cannot write the test file");
}

std::string Bytes() {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

bool Has(const std::string& s, const char* bytes, std::size_t n) {
    return s.find_first_of(std::string(bytes, n)) != std::string::npos;
}

bool Blank(char c) { return c == ' ' || c == '\t'; }

// The names and values a line of the file can hold so that they read back.
bool StorableName(const std::string& name, char forbidden) {
    return !name.empty() && !Blank(name.front()) && !Blank(name.back()) &&
           !Has(name, "\r\n\0", 3) && name.find(forbidden) == std::string::npos;
}
bool Storable(const std::string& section, const std::string& key, const std::string& value) {
    return StorableName(section, ']') && StorableName(key, '=') && key.front() != ';' &&
           key.front() != '[' && !Has(value, "\r\n\0", 3);
}

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// Lines with their line feeds.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t nl = text.find('\n', pos);
        nl = nl == std::string::npos ? text.size() : nl + 1;
        lines.push_back(text.substr(pos, nl - pos));
        pos = nl;
    }
    return lines;
}

// Between before and after exactly one line was replaced, or one or two
// were inserted.
bool OneChange(const std::string& before, const std::string& after) {
    const std::vector<std::string> a = Lines(before), b = Lines(after);
    std::size_t head = 0, tail = 0;
    while (head < a.size() && head < b.size() && a[head] == b[head]) ++head;
    while (tail < a.size() - head && tail < b.size() - head &&
           a[a.size() - 1 - tail] == b[b.size() - 1 - tail]) {
        ++tail;
    }
    const std::size_t removed = a.size() - head - tail, added = b.size() - head - tail;
    return (removed == 1 && added == 1) || (removed == 0 && added <= 2);
}

// As OneChange, where a last line without a line feed may have gained one
// (the file's kind of line ending) because a line went in after it.
void CheckOneChange(const std::string& before, const std::string& after) {
    if (OneChange(before, after)) return;
    const std::size_t nl = before.find('\n');
    const char* eol = nl != std::string::npos && nl > 0 && before[nl - 1] == '\r' ? "\r\n" : "\n";
    // A last line that ends in a carriage return only needs the line feed.
    if (!before.empty() && before.back() == '\r') eol = "\n";
    if (before.empty() || before.back() == '\n' || !OneChange(before + eol, after))
        Fail("lines other than the value's changed");
}

std::string Name(FuzzedDataProvider& in, const char* const* usual, std::size_t count) {
    if (in.ConsumeBool()) return in.ConsumeRandomLengthString(24);
    return usual[in.ConsumeIntegralInRange<std::size_t>(0, count - 1)];
}

const char* const kSections[] = {"Setup", "setup", "S", "SearchExpr", "[x", "a b", "\xc3\xa9"};
const char* const kKeys[] = {"HamDir", "WaitForSys", "0", "k", "K", "x[", "a b"};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Files in memory: every write syncs, which a disk makes slow.
    std::string base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
    dir = base + "/quillet-settings-fuzz-" + std::to_string(::getpid());
    std::filesystem::create_directories(dir);
    path = dir + "/quillet.ini";
    std::atexit([] { std::filesystem::remove_all(dir); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string section = Name(in, kSections, std::size(kSections));
    const std::string key = Name(in, kKeys, std::size(kKeys));
    const std::string other = Name(in, kSections, std::size(kSections));
    const std::string otherKey = Name(in, kKeys, std::size(kKeys));
    const std::string value = in.ConsumeRandomLengthString(64);
    const std::string before = in.ConsumeRemainingBytesAsString();
    Put(before);

    const std::string def = "\x01<none>";
    ReadSettingInt(path, section, key, 7);
    const std::string otherBefore = ReadSettingString(path, other, otherKey, def);

    const bool wrote = WriteSettingString(path, section, key, value);
    const std::string after = Bytes();
    if (wrote != Storable(section, key, value)) Fail(wrote ? "stored what cannot be" : "refused a write");
    if (!wrote) {
        if (after != before) Fail("a refused write changed the file");
        return 0;
    }
    if (ReadSettingString(path, section, key, def) != DecodeText(value)) Fail("value did not read back");
    if (!(SameName(other, section) && SameName(otherKey, key)) &&
        ReadSettingString(path, other, otherKey, def) != otherBefore) {
        Fail("another value changed");
    }
    CheckOneChange(before, after);
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        if (entry.path() != path) Fail("a temporary file was left");
    return 0;
}
