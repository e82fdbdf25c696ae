#include "platform/settings_file_io.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

namespace quillet::platform::settings_io {
namespace {

// Only a regular file is a settings file.  Opening a FIFO would wait for a
// writer for ever, and a device may act on being opened, so neither is
// opened for real: the path is looked at first, and the open itself does not
// block, in case the path was swapped in between.  On a failure errno tells
// why; EINVAL stands for a file that is not a regular one.
ReadResult ReadRegularFile(const std::string& path, std::string& text, struct stat& st) {
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

bool WriteAll(int fd, const char* data, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Everything source gives, to its end; "read" when source failed.
const char* WriteFrom(int fd, const ContentSource& source) {
    std::vector<char> chunk(256 * 1024);
    for (;;) {
        const long got = source(chunk.data(), chunk.size());
        if (got == 0) return nullptr;
        if (got < 0) {
            errno = EIO;
            return "read";
        }
        if (!WriteAll(fd, chunk.data(), static_cast<std::size_t>(got))) return "write";
    }
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
std::string Failed(const std::string& step, int error) { return step + ": " + std::strerror(error); }

std::string ReplaceFile(const std::string& target, const ContentSource& content, const Target* old) {
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
        if (fd < 0 && errno != EEXIST) return Failed(temp, errno);
    }
    if (fd < 0) return Failed(temp, EEXIST);

    if (old) {
        // Ownership can only be kept by a privileged user; a failure leaves
        // the file ours, which is what a plain save would do as well.
        // Likewise a file system without modes refuses the change; the copy
        // then stays private, which errs on the safe side.
        if (::fchown(fd, static_cast<uid_t>(old->owner), static_cast<gid_t>(old->group)) != 0) {}
        if (::fchmod(fd, old->mode & 07777) != 0) {}
    }
    const char* failed = WriteFrom(fd, content);
    if (!failed && ::fsync(fd) != 0) failed = "fsync";
    int error = errno;
    if (::close(fd) != 0 && !failed) failed = "close", error = errno;
    if (!failed && ::rename(temp.c_str(), target.c_str()) != 0) failed = "rename", error = errno;
    if (failed) {
        ::unlink(temp.c_str());
        return Failed(failed, error);
    }
    // Make the rename itself durable; the new contents are already on disk.
    const int dirFd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return std::string();
}

// Only looks: a regular file is Ok, as ReadRegularFile would find it.
ReadResult StatRegularFile(const std::string& path, struct stat& st) {
    if (::stat(path.c_str(), &st) != 0)
        return errno == ENOENT || errno == ENOTDIR ? ReadResult::Missing : ReadResult::Failed;
    if (S_ISREG(st.st_mode)) return ReadResult::Ok;
    errno = EINVAL;
    return ReadResult::Failed;
}

}  // namespace

ReadResult ReadWholeFile(const std::string& path, std::string& text) {
    struct stat st;
    return ReadRegularFile(path, text, st);
}

Target OpenTarget(const std::string& path, bool readText) {
    Target target;
    target.path = FollowLinks(path);
    if (target.path.empty()) {
        target.path = path;
        target.failure = "its symbolic links cannot be followed";
        return target;
    }
    struct stat st;
    target.read = readText ? ReadRegularFile(target.path, target.text, st) : StatRegularFile(target.path, st);
    if (target.read == ReadResult::Failed) {
        // Replacing a file we cannot read would throw away its other lines.
        target.failure = Failed("read", errno);
    } else if (target.read == ReadResult::Ok) {
        // The rename would go through a write-protected file, and even root
        // should respect a file the user has marked read-only.
        if (::access(target.path.c_str(), W_OK) != 0 || (st.st_mode & 0222) == 0)
            target.failure = "the file is read-only";
        target.owner = st.st_uid;
        target.group = st.st_gid;
        target.mode = st.st_mode;
    }
    return target;
}

std::string Replace(const Target& target, const ContentSource& source) {
    return ReplaceFile(target.path, source, target.read == ReadResult::Ok ? &target : nullptr);
}

}  // namespace quillet::platform::settings_io
