// Arbitrary settings files, names and values: reading must not crash, and a
// write must either be refused with the file untouched or read back as the
// value written, with every other line of the file byte for byte as it was.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

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

using namespace quillet::platform;

std::string dir, path;

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "settings file: %s\n", what);
    std::abort();
}

// The names and values a line of the file can hold so that they read back.
bool StorableName(const std::string& name, char forbidden) {
    return !name.empty() && name.find_first_of(std::string("\r\n\0", 3) + forbidden) == std::string::npos &&
           name.front() != ' ' && name.front() != '\t' && name.back() != ' ' && name.back() != '\t';
}

bool SameName(std::string a, std::string b) {
    for (std::string* s : {&a, &b})
        for (char& c : *s) c = c >= 'A' && c <= 'Z' ? char(c + 32) : c;
    return a == b;
}

// Between before and after exactly one line was replaced, or one or two
// were inserted.
bool OneChange(const std::string& before, const std::string& after) {
    auto lines = [](const std::string& text) {
        std::vector<std::string> lines;
        for (std::size_t pos = 0, nl; pos < text.size(); pos = nl) {
            nl = std::min(text.find('\n', pos), text.size() - 1) + 1;
            lines.push_back(text.substr(pos, nl - pos));
        }
        return lines;
    };
    const std::vector<std::string> a = lines(before), b = lines(after);
    std::size_t head = 0, tail = 0;
    while (head < a.size() && head < b.size() && a[head] == b[head]) ++head;
    while (tail < a.size() - head && tail < b.size() - head && a[a.size() - 1 - tail] == b[b.size() - 1 - tail])
        ++tail;
    const std::size_t removed = a.size() - head - tail, added = b.size() - head - tail;
    return (removed == 1 && added == 1) || (removed == 0 && added <= 2);
}

std::string Name(FuzzedDataProvider& in, bool section) {
    static const char* const usual[2][7] = {{"HamDir", "WaitForSys", "0", "k", "K", "x[", "a b"},
                                            {"Setup", "setup", "S", "SearchExpr", "[x", "a b", "\xc3\xa9"}};
    return in.ConsumeBool() ? in.ConsumeRandomLengthString(24) : usual[section][in.ConsumeIntegralInRange(0, 6)];
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Files in memory: every write syncs, which a disk makes slow.
    dir = (std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp") + std::string("/quillet-settings-fuzz-") +
          std::to_string(::getpid());
    std::filesystem::create_directories(dir);
    path = dir + "/quillet.ini";
    std::atexit([] { std::filesystem::remove_all(dir); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string section = Name(in, true), key = Name(in, false), other = Name(in, true),
                      otherKey = Name(in, false), value = in.ConsumeRandomLengthString(64),
                      before = in.ConsumeRemainingBytesAsString();
    if (!(std::ofstream(path, std::ios::binary | std::ios::trunc) << before).flush()) Fail("cannot write the test file");

    const std::string def = "\x01<none>";
    ReadSettingInt(path, section, key, 7);
    const std::string otherBefore = ReadSettingString(path, other, otherKey, def);
    const bool wrote = WriteSettingString(path, section, key, value);
    std::ifstream file(path, std::ios::binary);
    const std::string after{std::istreambuf_iterator<char>(file), {}};
    const bool storable = StorableName(section, ']') && StorableName(key, '=') && key.front() != ';' &&
                          key.front() != '[' && value.find_first_of(std::string("\r\n\0", 3)) == std::string::npos;
    if (wrote != storable) Fail(wrote ? "stored what cannot be" : "refused a write");
    if (!wrote && after != before) Fail("a refused write changed the file");
    if (!wrote) return 0;
    if (ReadSettingString(path, section, key, def) != DecodeText(value)) Fail("value did not read back");
    if (!(SameName(other, section) && SameName(otherKey, key)) && ReadSettingString(path, other, otherKey, def) != otherBefore)
        Fail("another value changed");
    // A last line without a line feed may have gained one (the file's kind of
    // line ending, or only the LF after a CR) because a line went in after it.
    const std::size_t nl = before.find('\n');
    const bool crlf = nl != std::string::npos && nl > 0 && before[nl - 1] == '\r';
    const std::string eol = !before.empty() && before.back() == '\r' ? "\n" : crlf ? "\r\n" : "\n";
    if (!OneChange(before, after) && (before.empty() || before.back() == '\n' || !OneChange(before + eol, after)))
        Fail("lines other than the value's changed");
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        if (entry.path() != path) Fail("a temporary file was left");
    return 0;
}
