#include "platform/windows_line.h"

namespace quillet::platform {

namespace {

bool Blank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::vector<std::string> SplitWindowsArguments(std::string_view line) {
    std::vector<std::string> arguments;
    std::size_t i = 0;
    const std::size_t n = line.size();
    for (;;) {
        while (i < n && Blank(line[i])) ++i;
        if (i >= n) break;
        std::string argument;
        bool quoted = false;
        while (i < n && (quoted || !Blank(line[i]))) {
            const char c = line[i];
            if (c == '\\') {
                std::size_t slashes = 0;
                while (i < n && line[i] == '\\') ++slashes, ++i;
                if (i < n && line[i] == '"') {
                    argument.append(slashes / 2, '\\');
                    if (slashes % 2 == 1) {
                        argument += '"';
                        ++i;
                    }
                } else {
                    argument.append(slashes, '\\');
                }
            } else if (c == '"') {
                ++i;
                if (quoted && i < n && line[i] == '"') {
                    argument += '"';  // "" inside quotes: a quote, and still quoted
                    ++i;
                } else {
                    quoted = !quoted;
                }
            } else {
                argument += c;
                ++i;
            }
        }
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

ToolLine ParseToolLine(std::string_view line) {
    ToolLine result;
    std::string rest;
    rest.reserve(line.size());
    bool quoted = false;
    std::size_t i = 0;
    const std::size_t n = line.size();
    while (i < n) {
        const char c = line[i];
        if (c == '^' && !quoted) {
            // Also a quote taken so leaves the quoting as it was.
            if (++i < n) rest += line[i++];
            continue;
        }
        if (c == '"') quoted = !quoted;
        if ((c != '>' && c != '<') || quoted) {
            rest += c;
            ++i;
            continue;
        }
        Redirection redirection;
        redirection.input = c == '<';
        ++i;
        if (!redirection.input && i < n && line[i] == '>') redirection.append = true, ++i;
        while (i < n && Blank(line[i])) ++i;
        // The file name runs to the next blank, ">" or "<" outside quotes;
        // its quotes and carets are taken away.
        bool nameQuoted = false;
        for (; i < n && (nameQuoted || (!Blank(line[i]) && line[i] != '>' && line[i] != '<')); ++i) {
            if (line[i] == '"')
                nameQuoted = !nameQuoted;
            else if (line[i] != '^' || nameQuoted)
                redirection.file += line[i];
            else if (i + 1 < n)
                redirection.file += line[++i];
        }
        // What stood on both sides stays apart, as the interpreter keeps it.
        rest += ' ';
        result.redirections.push_back(std::move(redirection));
    }
    result.arguments = SplitWindowsArguments(rest);
    return result;
}

}  // namespace quillet::platform
