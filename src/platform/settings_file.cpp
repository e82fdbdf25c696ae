#include "platform/settings_file.h"

#include "platform/text_encoding.h"
#include "platform/trace.h"

#include <wx/log.h>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
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

bool NotWritten(const std::string& path, const char* step, int error) {
    wxLogTrace(kTraceSettings, "%s not written: %s: %s", path.c_str(), step, std::strerror(error));
    return false;
}

enum class ReadResult { Ok, Missing, Failed };

// Only a regular file is a settings file.  Opening a FIFO would wait for a
// writer for ever, and a device may act on being opened, so neither is
// opened for real: the path is looked at first, and the open itself does not
// block, in case the path was swapped in between.  On a failure errno tells
// why; EINVAL stands for a file that is not a regular one.
ReadResult ReadWholeFile(const std::string& path, std::string& text, struct stat& st) {
    if (::stat(path.c_str(), &st) != 0) {
        return errno == ENOENT || errno == ENOTDIR ? ReadResult::Missing : ReadResult::Failed;
    }
    if (!S_ISREG(st.st_mode)) {
        errno = EINVAL;
        return ReadResult::Failed;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        return errno == ENOENT || errno == ENOTDIR ? ReadResult::Missing : ReadResult::Failed;
    }
    ReadResult result = ReadResult::Ok;
    int error = 0;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        error = S_ISREG(st.st_mode) ? errno : EINVAL;
        result = ReadResult::Failed;
    } else {
        // Read straight into one block of the file's size (and a byte more,
        // to see the end without growing); only a file that grows meanwhile
        // costs a larger block.
        std::size_t used = 0;
        text.resize(static_cast<std::size_t>(st.st_size) + 1);
        for (;;) {
            if (used == text.size()) text.resize(text.size() * 2);
            const ssize_t n = ::read(fd, &text[used], text.size() - used);
            if (n > 0) {
                used += static_cast<std::size_t>(n);
            } else if (n == 0) {
                break;
            } else if (errno != EINTR) {
                error = errno;
                result = ReadResult::Failed;
                break;
            }
        }
        text.resize(used);
    }
    ::close(fd);
    if (result == ReadResult::Failed) errno = error;
    return result;
}

std::optional<std::string> ReadValue(const std::string& path, const std::string& section,
                                     const std::string& key) {
    std::string text;
    struct stat st;
    if (ReadWholeFile(path, text, st) != ReadResult::Ok) return std::nullopt;
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

std::string DirPart(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The file a path finally names, so that a settings file kept elsewhere
// behind a link stays there and the link stays a link.  Empty for a loop.
std::string FollowLinks(const std::string& path) {
    std::string p = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return p;
        std::string target(PATH_MAX, '\0');
        const ssize_t n = ::readlink(p.c_str(), target.data(), target.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= target.size()) return {};
        target.resize(static_cast<std::size_t>(n));
        p = target.front() == '/' ? target : DirPart(p) + target;
    }
    return {};
}

bool WriteAll(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// A save that was killed between creating its copy and renaming it leaves
// the copy behind.  The copy's name carries its writer's process id, so once
// that process is gone the copy is nobody's; a live writer's copy, or any
// name not made by us, is left alone.
void RemoveStaleCopies(const std::string& dir, const std::string& namePrefix) {
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!d) return;
    while (const dirent* entry = ::readdir(d)) {
        const std::string_view name(entry->d_name);
        if (name.compare(0, namePrefix.size(), namePrefix) != 0) continue;
        // <pid>-<hex>, nothing more
        const std::string_view rest = name.substr(namePrefix.size());
        const std::size_t dash = rest.find('-');
        if (dash == 0 || dash == std::string_view::npos || dash > 9 || dash + 1 == rest.size()) continue;
        const std::string_view digits = rest.substr(0, dash), hex = rest.substr(dash + 1);
        if (digits.find_first_not_of("0123456789") != std::string_view::npos ||
            hex.find_first_not_of("0123456789abcdef") != std::string_view::npos) {
            continue;
        }
        const long pid = std::strtol(std::string(digits).c_str(), nullptr, 10);
        if (pid <= 0 || pid == ::getpid()) continue;
        if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
        struct stat st;
        if (::fstatat(::dirfd(d), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode)) {
            ::unlinkat(::dirfd(d), entry->d_name, 0);
        }
    }
    ::closedir(d);
}

// Writes content to a new file beside target and renames it over target,
// so that target is at every moment either the old file or the new one.
bool ReplaceFile(const std::string& target, const std::string& content, const struct stat* old) {
    const std::string dir = DirPart(target);
    const std::string namePrefix = "." + target.substr(dir.size()) + ".tmp-";
    const std::string prefix = dir + namePrefix;
    RemoveStaleCopies(dir, namePrefix);
    static unsigned counter = 0;
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        struct timespec now;
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, "%ld-%lx", static_cast<long>(::getpid()),
                      static_cast<unsigned long>(now.tv_nsec) ^ ++counter);
        temp = prefix + suffix;
        // A new file gets the usual mode less the umask; an old file's mode
        // is put on below, and until then nobody else may read the copy.
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, old ? 0600 : 0644);
        if (fd < 0 && errno != EEXIST) return NotWritten(target, temp.c_str(), errno);
    }
    if (fd < 0) return NotWritten(target, temp.c_str(), EEXIST);

    if (old) {
        // Ownership can only be kept by a privileged user; a failure leaves
        // the file ours, which is what a plain save would do as well.
        // Likewise a file system without modes refuses the change; the copy
        // then stays private, which errs on the safe side.
        if (::fchown(fd, old->st_uid, old->st_gid) != 0) {}
        if (::fchmod(fd, old->st_mode & 07777) != 0) {}
    }
    const char* failed = !WriteAll(fd, content) ? "write" : ::fsync(fd) != 0 ? "fsync" : nullptr;
    int error = errno;
    if (::close(fd) != 0 && !failed) failed = "close", error = errno;
    if (!failed && ::rename(temp.c_str(), target.c_str()) != 0) failed = "rename", error = errno;
    if (failed) {
        ::unlink(temp.c_str());
        return NotWritten(target, failed, error);
    }
    // Make the rename itself durable; the new contents are already on disk.
    const int dirFd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
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
    const std::string target = FollowLinks(path);
    if (target.empty()) return NotWritten(path, "its symbolic links cannot be followed");

    std::string text;
    struct stat st;
    switch (ReadWholeFile(target, text, st)) {
    case ReadResult::Failed:
        // Replacing a file we cannot read would throw away its other lines.
        return NotWritten(target, "read", errno);
    case ReadResult::Missing:
        return ReplaceFile(target, WithValue(text, section, key, value), nullptr);
    case ReadResult::Ok:
        break;
    }
    // The rename would go through a write-protected file, and even root
    // should respect a file the user has marked read-only.
    if (::access(target.c_str(), W_OK) != 0 || (st.st_mode & 0222) == 0)
        return NotWritten(target, "the file is read-only");
    const std::string updated = WithValue(text, section, key, value);
    if (updated == text) return true;
    return ReplaceFile(target, updated, &st);
}

}  // namespace quillet::platform
