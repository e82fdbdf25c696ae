// Arbitrary command lines through the Windows-rules splitter: it must agree
// with a reading written here from the rules alone, and every list of
// arguments, quoted the way a careful Windows program quotes them, must split
// back into itself.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/windows_line.h"

namespace {

using Args = std::vector<std::string>;

[[noreturn]] void Fail(const char* what, std::string_view line) {
    std::fprintf(stderr, "windows line: %s on [%.*s]\n", what, static_cast<int>(line.size()), line.data());
    std::abort();
}

// The C runtime's rules: blanks and tabs end an argument outside quotes; a
// quote opens or closes quoting and is dropped, except that "" inside quotes
// is one literal quote; a run of backslashes before a quote is halved, and an
// odd one leaves that quote literal; other backslashes are plain text.
Args Reading(std::string_view line) {
    Args args;
    std::string arg;
    bool started = false, quoted = false;
    std::size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (c == '\\') {
            std::size_t run = 0;
            while (i + run < line.size() && line[i + run] == '\\') ++run;
            const bool beforeQuote = i + run < line.size() && line[i + run] == '"';
            arg.append(beforeQuote ? run / 2 : run, '\\');
            started = true;
            i += run;
            if (beforeQuote && run % 2 == 1) arg += '"', ++i;
        } else if (c == '"') {
            started = true;
            if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
                arg += '"';
                i += 2;
            } else {
                quoted = !quoted;
                ++i;
            }
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (started) args.push_back(arg);
            arg.clear();
            started = false;
            ++i;
        } else {
            arg += c;
            started = true;
            ++i;
        }
    }
    if (started) args.push_back(arg);
    return args;
}

// One argument as it must be written so that the runtime gives it back:
// in quotes, each quote escaped, and backslashes doubled where a quote
// follows them.
std::string Quoted(const std::string& arg) {
    std::string out = "\"";
    std::size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        out.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(2 * backslashes, '\\');
    return out + '"';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    const Args split = quillet::platform::SplitWindowsArguments(line);
    if (split != Reading(line)) Fail("differs from the rules", line);

    // The input's bytes, cut at every NUL, as a list of arguments.
    Args wanted(1);
    for (char c : line) {
        if (c == '\0')
            wanted.emplace_back();
        else
            wanted.back() += c;
    }
    std::string joined;
    for (const std::string& arg : wanted) joined += (joined.empty() ? "" : " ") + Quoted(arg);
    if (quillet::platform::SplitWindowsArguments(joined) != wanted) Fail("quoted arguments came back changed", joined);
    return 0;
}
