#include "platform/settings_file.h"

#include "platform/settings_file_io.h"
#include "platform/text_encoding.h"
#include "platform/trace.h"

#include <wx/log.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <optional>
#include <string_view>

namespace quillet::platform {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    }
    return true;
}

// One line of the file as offsets into its text.  The break ("\n" or
// "\r\n") is not part of the content, so that lines of both kinds read alike.
struct Line {
    std::size_t begin = 0;
    std::size_t end = 0;   // end of the content
    std::size_t next = 0;  // start of the following line
    bool hasBreak = false;
};

// Where the first line starts.  A file saved by an editor that marks UTF-8
// with a byte-order mark must still have its first section found.
std::size_t FirstLineStart(const std::string& text) {
    return text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
}

// The line starting at pos (< text.size()).  Lines are walked one at a time
// rather than collected: a file of millions of empty lines must cost no
// more than its own bytes.
Line LineAt(const std::string& text, std::size_t pos) {
    const std::size_t nl = text.find('\n', pos);
    Line line;
    line.begin = pos;
    line.hasBreak = nl != std::string::npos;
    line.end = line.hasBreak ? nl : text.size();
    line.next = line.hasBreak ? nl + 1 : text.size();
    if (line.end > pos && text[line.end - 1] == '\r') --line.end;
    return line;
}

enum class LineKind { Other, Section, Key };

struct ParsedLine {
    LineKind kind = LineKind::Other;
    std::string_view name;
    std::size_t valueBegin = 0;  // offset in the file of the first byte after "="
};

ParsedLine Parse(const std::string& text, const Line& line) {
    ParsedLine parsed;
    const std::string_view content(text.data() + line.begin, line.end - line.begin);
    const std::string_view t = Trim(content);
    if (t.empty() || t.front() == ';') return parsed;
    if (t.front() == '[') {
        const std::size_t close = t.find(']');
        parsed.kind = LineKind::Section;
        parsed.name = Trim(t.substr(1, close == std::string_view::npos ? std::string_view::npos
                                                                       : close - 1));
        return parsed;
    }
    const std::size_t eq = content.find('=');
    if (eq == std::string_view::npos) return parsed;
    parsed.kind = LineKind::Key;
    parsed.name = Trim(content.substr(0, eq));
    parsed.valueBegin = line.begin + eq + 1;
    return parsed;
}

// Where a section and key stand.  Only the first section of a name counts,
// and within it the first key of a name, so that reading and writing agree
// on which line is meant.
struct Location {
    bool hasSection = false;
    bool hasKey = false;
    bool hasLastKey = false;
    Line section;
    Line key;
    Line lastKey;  // the last key line of the section, where a new key goes
    std::size_t valueBegin = 0;
};

Location Find(const std::string& text, std::string_view section, std::string_view key) {
    Location loc;
    bool inSection = false;
    for (std::size_t pos = FirstLineStart(text); pos < text.size();) {
        const Line line = LineAt(text, pos);
        pos = line.next;
        const ParsedLine p = Parse(text, line);
        if (p.kind == LineKind::Section) {
            // Nothing after the first section of the name can matter.
            if (loc.hasSection) break;
            inSection = SameName(p.name, section);
            if (inSection) loc.hasSection = true, loc.section = line;
        } else if (p.kind == LineKind::Key && inSection) {
            loc.hasLastKey = true, loc.lastKey = line;
            if (!loc.hasKey && SameName(p.name, key)) {
                loc.hasKey = true, loc.key = line;
                loc.valueBegin = p.valueBegin;
            }
        }
    }
    return loc;
}

std::string_view Unquote(std::string_view v) {
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"') return v.substr(1, v.size() - 2);
    return v;
}

// A value that reading would change (blanks at either end trimmed, a pair
// of enclosing quotes removed) is stored inside quotes, which reading then
// takes off again.
bool NeedsQuotes(std::string_view v) {
    if (v.empty()) return false;
    return IsBlank(v.front()) || IsBlank(v.back()) ||
           (v.size() >= 2 && v.front() == '"' && v.back() == '"');
}

bool HasLineBreakOrNul(std::string_view s) {
    return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

// Names the file could not hold so that they read back as the same name.
bool UsableName(std::string_view name, std::string_view forbidden) {
    return !name.empty() && Trim(name).size() == name.size() && !HasLineBreakOrNul(name) &&
           name.find_first_of(forbidden) == std::string_view::npos;
}

// A write that does not happen leaves the old file and tells nobody but the
// trace; callers commonly have no one to tell.
bool NotWritten(const std::string& path, const char* why, const char* detail = "") {
    wxLogTrace(kTraceSettings, "%s not written: %s%s", path.c_str(), why, detail);
    return false;
}

bool NotWritten(const std::string& path, const std::string& why) {
    return NotWritten(path, why.c_str());
}

std::optional<std::string> ReadValue(const std::string& path, const std::string& section,
                                     const std::string& key) {
    std::string text;
    if (settings_io::ReadWholeFile(path, text) != settings_io::ReadResult::Ok) return std::nullopt;
    const Location loc = Find(text, section, key);
    if (!loc.hasKey) return std::nullopt;
    const std::string_view raw(text.data() + loc.valueBegin, loc.key.end - loc.valueBegin);
    return DecodeText(std::string(Unquote(Trim(raw))));
}

// The text of the file with the value set: the one line that holds it is
// rewritten, or one line (or a section and one line) is inserted; every
// other byte stays.
std::string WithValue(const std::string& text, const std::string& section,
                      const std::string& key, const std::string& value) {
    const std::size_t firstBreak = text.find('\n');
    const char* eol = firstBreak != std::string::npos && firstBreak > 0 && text[firstBreak - 1] == '\r'
                          ? "\r\n"
                          : "\n";
    const std::string stored = NeedsQuotes(value) ? '"' + value + '"' : value;
    const Location loc = Find(text, section, key);

    if (loc.hasKey) {
        // Keep the key's spelling and the blanks around "=" as the user wrote them.
        std::size_t keep = loc.valueBegin;
        while (keep < loc.key.end && IsBlank(text[keep])) ++keep;
        return text.substr(0, keep) + stored + text.substr(loc.key.end);
    }

    const std::string newLine = key + "=" + stored + eol;
    // A last line without a line feed gets one before anything goes after
    // it.  If it ends in a carriage return, that return already counts as
    // the line's end and only the line feed goes in: a second one would
    // become part of the line's value.
    const auto breakAfter = [&text, eol](std::size_t end) -> std::string {
        return end > 0 && text[end - 1] == '\r' ? "\n" : eol;
    };
    if (loc.hasSection) {
        const Line& after = loc.hasLastKey ? loc.lastKey : loc.section;
        return text.substr(0, after.next) + (after.hasBreak ? "" : breakAfter(after.next)) +
               newLine + text.substr(after.next);
    }

    std::string out = text;
    if (!out.empty() && out.back() != '\n') out += breakAfter(out.size());
    out += "[" + section + "]" + eol + newLine;
    return out;
}

}  // namespace

std::string ReadSettingString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& def) {
    std::optional<std::string> value = ReadValue(path, section, key);
    return value ? std::move(*value) : def;
}

long ReadSettingInt(const std::string& path, const std::string& section,
                    const std::string& key, long def) {
    const std::optional<std::string> value = ReadValue(path, section, key);
    if (!value) return def;
    std::size_t i = 0;
    const std::string& v = *value;
    while (i < v.size() && IsBlank(v[i])) ++i;
    const bool negative = i < v.size() && v[i] == '-';
    if (i < v.size() && (v[i] == '-' || v[i] == '+')) ++i;
    long result = 0;
    for (; i < v.size() && v[i] >= '0' && v[i] <= '9'; ++i) {
        const int d = v[i] - '0';
        // Too many digits saturate instead of wrapping round to some other
        // number of seconds.
        if (!negative) {
            result = result > (LONG_MAX - d) / 10 ? LONG_MAX : result * 10 + d;
        } else {
            result = result < (LONG_MIN + d) / 10 ? LONG_MIN : result * 10 - d;
        }
    }
    return result;
}

bool WriteSettingString(const std::string& path, const std::string& section,
                        const std::string& key, const std::string& value) {
    // A line break would end the line early and the rest would turn into a
    // line of its own; refusing keeps the file as it was.
    if (HasLineBreakOrNul(value)) return NotWritten(path, "the value holds a line break or NUL");
    if (!UsableName(section, "]") || !UsableName(key, "=") || key.front() == ';' ||
        key.front() == '[') {
        const std::string names = "[" + section + "] " + key;
        return NotWritten(path, "a name the file cannot hold: ", names.c_str());
    }
    const settings_io::Target target = settings_io::OpenTarget(path);
    if (!target.failure.empty()) return NotWritten(target.path, target.failure);
    const std::string updated = WithValue(target.text, section, key, value);
    if (target.read == settings_io::ReadResult::Ok && updated == target.text) return true;
    const std::string failure = settings_io::Replace(target, updated);
    return failure.empty() || NotWritten(target.path, failure);
}

namespace settings_io {

std::string Replace(const Target& target, const std::string& content) {
    std::size_t given = 0;
    return Replace(target, [&](char* buffer, std::size_t size) {
        const std::size_t n = std::min(size, content.size() - given);
        std::memcpy(buffer, content.data() + given, n);
        given += n;
        return static_cast<long>(n);
    });
}

}  // namespace settings_io
}  // namespace quillet::platform
