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

// The C runtime's rules: blanks and tabs end an argument outside quotes; a
// quote opens or closes quoting and is dropped, except that "" inside quotes
// is one literal quote; a run of backslashes before a quote is halved, and an
// odd one leaves that quote literal; other backslashes are plain text.
Args Reading(std::string_view line) {
    Args args;
    std::string arg;
    bool started = false, quoted = false;
    std::size_t slashes = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        started = started || (c != ' ' && c != '\t') || quoted;
        if (c == '\\') {
            ++slashes;
        } else if (c == '"') {
            arg.append(slashes / 2, '\\');
            if (slashes % 2 == 1) arg += '"';
            else if (quoted && i + 1 < line.size() && line[i + 1] == '"') arg += '"', ++i;
            else quoted = !quoted;
            slashes = 0;
        } else {
            arg.append(slashes, '\\'), slashes = 0;
            if (quoted || (c != ' ' && c != '\t')) arg += c;
            else if (started) args.push_back(arg), arg.clear(), started = false;
        }
    }
    if (started) args.push_back(arg.append(slashes, '\\'));
    return args;
}

// One argument as it must be written so that the runtime gives it back: in
// quotes, each quote escaped, and backslashes doubled where a quote follows.
std::string Quoted(const std::string& arg) {
    std::string out = "\"";
    std::size_t slashes = 0;
    for (char c : arg) {
        if (c == '\\') ++slashes;
        else out.append(c == '"' ? 2 * slashes + 1 : slashes, '\\'), out += c, slashes = 0;
    }
    return out.append(2 * slashes, '\\') + '"';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    // The input's bytes, cut at every NUL, as a list of arguments.
    Args wanted(1);
    for (char c : line) c ? void(wanted.back() += c) : void(wanted.emplace_back());
    std::string joined;
    for (const std::string& arg : wanted) joined += (joined.empty() ? "" : " ") + Quoted(arg);
    const char* fault = quillet::platform::SplitWindowsArguments(line) != Reading(line) ? "differs from the rules"
                        : quillet::platform::SplitWindowsArguments(joined) != wanted ? "quoted arguments came back changed"
                                                                                     : nullptr;
    if (fault) {
        std::fprintf(stderr, "windows line: %s on [%.*s]\n", fault, static_cast<int>(size), line.data());
        std::abort();
    }
    return 0;
}
