#include "platform/output_file.h"

#include <cerrno>
#include <io.h>
#include <fcntl.h>
#include <windows.h>

#include "platform/windows/wide_text.h"

namespace quillet::platform {

namespace {
HANDLE Handle(int fd) { return reinterpret_cast<HANDLE>(_get_osfhandle(fd)); }

bool SameFile(HANDLE a, HANDLE b) {
    BY_HANDLE_FILE_INFORMATION x, y;
    return GetFileInformationByHandle(a, &x) && GetFileInformationByHandle(b, &y) &&
           x.dwVolumeSerialNumber == y.dwVolumeSerialNumber &&
           x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
}

// Sharing read, write and delete: the interpreter that writes the file, and
// the next run that deletes it, are never kept out by our reading.
HANDLE OpenShared(const std::string& path) {
    return CreateFileW(Wide(path).c_str(), GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}
}  // namespace

OutputFile::~OutputFile() { Close(); }

bool OutputFile::Open(const std::string& path) {
    Close();
    const HANDLE file = OpenShared(path);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        errno = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ENOENT : EACCES;
        return false;
    }
    // A directory does not open this way; a device or a pipe does.
    if (GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        errno = EINVAL;
        return false;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(file);
        return false;
    }
    fd_ = fd;
    return true;
}

long OutputFile::Read(char* buffer, std::size_t size) {
    if (fd_ < 0) return -1;
    DWORD got = 0;
    const DWORD want = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
    if (!ReadFile(Handle(fd_), buffer, want, &got, nullptr)) return -1;
    return static_cast<long>(got);
}

bool OutputFile::StillAt(const std::string& path) const {
    if (fd_ < 0) return false;
    const HANDLE named = OpenShared(path);
    if (named == INVALID_HANDLE_VALUE) return false;
    const bool same = SameFile(named, Handle(fd_));
    CloseHandle(named);
    return same;
}

long long OutputFile::Unread() const {
    LARGE_INTEGER size, at, zero;
    zero.QuadPart = 0;
    if (fd_ < 0 || !GetFileSizeEx(Handle(fd_), &size) ||
        !SetFilePointerEx(Handle(fd_), zero, &at, FILE_CURRENT))
        return 0;
    return size.QuadPart < at.QuadPart ? 0 : size.QuadPart - at.QuadPart;
}

FileStamp OutputFile::Stamp() const {
    FileStamp stamp;
    BY_HANDLE_FILE_INFORMATION info;
    if (fd_ < 0 || !GetFileInformationByHandle(Handle(fd_), &info)) return stamp;
    stamp.device = info.dwVolumeSerialNumber;
    stamp.file = (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    stamp.size = (static_cast<long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    stamp.written = (static_cast<long long>(info.ftLastWriteTime.dwHighDateTime) << 32) |
                    info.ftLastWriteTime.dwLowDateTime;
    return stamp;
}

void OutputFile::Close() {
    if (fd_ >= 0) _close(fd_);
    fd_ = -1;
}

}  // namespace quillet::platform
