#include "platform/output_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillet::platform {

OutputFile::~OutputFile() { Close(); }

bool OutputFile::Open(const std::string& path) {
    Close();
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return false;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int error = S_ISREG(st.st_mode) ? errno : EINVAL;
        close(fd);
        errno = error;
        return false;
    }
    fd_ = fd;
    return true;
}

long OutputFile::Read(char* buffer, std::size_t size) {
    if (fd_ < 0) return -1;
    ssize_t got;
    do {
        got = read(fd_, buffer, size);
    } while (got < 0 && errno == EINTR);
    return static_cast<long>(got);
}

bool OutputFile::StillAt(const std::string& path) const {
    struct stat named, opened;
    return fd_ >= 0 && stat(path.c_str(), &named) == 0 && fstat(fd_, &opened) == 0 &&
           named.st_dev == opened.st_dev && named.st_ino == opened.st_ino;
}

long long OutputFile::Unread() const {
    struct stat st;
    if (fd_ < 0 || fstat(fd_, &st) != 0) return 0;
    const off_t at = lseek(fd_, 0, SEEK_CUR);
    return at < 0 || st.st_size < at ? 0 : static_cast<long long>(st.st_size - at);
}

FileStamp OutputFile::Stamp() const {
    FileStamp stamp;
    struct stat st;
    if (fd_ < 0 || fstat(fd_, &st) != 0) return stamp;
    stamp.device = st.st_dev;
    stamp.file = st.st_ino;
    stamp.size = st.st_size;
    stamp.written = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return stamp;
}

void OutputFile::Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
}

}  // namespace quillet::platform
