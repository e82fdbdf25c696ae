#pragma once
// Reading the tool's output file, also while the tool still writes it.
#include <cstddef>
#include <string>

namespace quillet::platform {

// Whether a file can be read while another process writes it (POSIX: yes;
// Windows: not while the writer holds it).  Where it cannot, a run copies
// the output only once the tool has ended.
constexpr bool kOutputReadableWhileWritten = true;

// Which file, how long, and when it was last written: a copy made later is
// of the same contents only if the stamp is still the same.
struct FileStamp {
    unsigned long long device = 0, file = 0;
    long long size = -1, written = 0;
    bool operator==(const FileStamp& o) const {
        return device == o.device && file == o.file && size == o.size && written == o.written;
    }
    bool operator!=(const FileStamp& o) const { return !(*this == o); }
};

class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Opens path for reading if it is a regular file; anything else (a
    // directory, a FIFO, a device) is refused without ever blocking.  On a
    // failure errno tells why; EINVAL stands for a file that is not regular.
    bool Open(const std::string& path);
    bool IsOpen() const { return fd_ >= 0; }
    // Up to size bytes from where the last read ended: 0 at the current end
    // of the file (which may grow later), -1 on an error.
    long Read(char* buffer, std::size_t size);
    // Whether path still names the file that was opened (and not another
    // file, or nothing, put in its place since).
    bool StillAt(const std::string& path) const;
    // Bytes between where reading stands and the current end of the file.
    long long Unread() const;
    // The open file's stamp; size -1 when none is open.
    FileStamp Stamp() const;
    void Close();

private:
    int fd_ = -1;
};

}  // namespace quillet::platform
