#include "platform/settings_file_io.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/windows/wide_text.h"

namespace quillet::platform::settings_io {

namespace {

std::string Failed(const char* step, DWORD error) { return std::string(step) + ": " + SystemErrorText(error); }

bool Missing(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

ReadResult ReadRegularFile(const std::string& path, std::string& text, DWORD& error, bool readText = true) {
    const HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = GetLastError();
        return Missing(error) ? ReadResult::Missing : ReadResult::Failed;
    }
    // A directory does not open this way; a device, a pipe or a console
    // does, and is not a settings file.
    ReadResult result = ReadResult::Ok;
    LARGE_INTEGER size;
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileSizeEx(file, &size)) {
        error = ERROR_INVALID_FUNCTION;
        result = ReadResult::Failed;
    } else if (readText) {
        text.resize(static_cast<std::size_t>(size.QuadPart) + 1);
        std::size_t used = 0;
        for (;;) {
            if (used == text.size()) text.resize(text.size() * 2);
            DWORD got = 0;
            const std::size_t room = text.size() - used;
            if (!ReadFile(file, &text[used], room > 0x40000000 ? 0x40000000 : static_cast<DWORD>(room),
                          &got, nullptr)) {
                error = GetLastError();
                result = ReadResult::Failed;
                break;
            }
            if (got == 0) break;
            used += got;
        }
        text.resize(used);
    }
    CloseHandle(file);
    return result;
}

}  // namespace

ReadResult ReadWholeFile(const std::string& path, std::string& text) {
    DWORD error = 0;
    return ReadRegularFile(path, text, error);
}

Target OpenTarget(const std::string& path, bool readText) {
    Target target;
    target.path = path;
    DWORD error = 0;
    target.read = ReadRegularFile(path, target.text, error, readText);
    if (target.read == ReadResult::Failed) {
        // Replacing a file we cannot read would throw away its other lines.
        target.failure = Failed("read", error);
    } else if (target.read == ReadResult::Ok) {
        const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
            target.failure = "the file is read-only";
    }
    return target;
}

std::string Replace(const Target& target, const ContentSource& source) {
    // The copy is made in the file's own directory, so that the move below
    // stays on one volume and is a rename.
    const std::wstring wpath = Wide(target.path);
    const std::size_t slash = wpath.find_last_of(L"\\/");
    const std::wstring dir = slash == std::wstring::npos ? L"." : wpath.substr(0, slash + 1);
    wchar_t temp[MAX_PATH + 1];
    if (!GetTempFileNameW(dir.c_str(), L"qlt", 0, temp)) return Failed("temporary copy", GetLastError());
    const HANDLE file = CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        DeleteFileW(temp);
        return Failed("temporary copy", error);
    }
    const char* failed = nullptr;
    DWORD error = 0;
    std::vector<char> chunk(256 * 1024);
    for (long got; !failed && (got = source(chunk.data(), chunk.size())) != 0;) {
        if (got < 0) {
            failed = "read", error = ERROR_READ_FAULT;
            break;
        }
        for (DWORD done = 0; done < static_cast<DWORD>(got) && !failed;) {
            DWORD wrote = 0;
            if (!WriteFile(file, chunk.data() + done, static_cast<DWORD>(got) - done, &wrote, nullptr))
                failed = "write", error = GetLastError();
            done += wrote;
        }
    }
    if (!failed && !FlushFileBuffers(file)) failed = "flush", error = GetLastError();
    CloseHandle(file);
    // Replaced in one step, and the move itself on the disk before it counts.
    if (!failed && !MoveFileExW(temp, wpath.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        failed = "replace", error = GetLastError();
    if (failed) {
        DeleteFileW(temp);
        return Failed(failed, error);
    }
    return std::string();
}

}  // namespace quillet::platform::settings_io
