#pragma once
// The file primitives under the settings file's text rules: reading the
// file whole and replacing it atomically.  One implementation per platform;
// the text rules themselves (settings_file.cpp) are the same everywhere.
#include <cstddef>
#include <functional>
#include <string>

namespace quillet::platform::settings_io {

enum class ReadResult { Ok, Missing, Failed };

// Reads path whole.  Only a regular file is a settings file: anything else
// (a FIFO, a device, a directory) fails without being opened for real.
ReadResult ReadWholeFile(const std::string& path, std::string& text);

// The file a save replaces, as found before the save.
struct Target {
    std::string path;  // the file itself: where the platform has links, followed
    ReadResult read = ReadResult::Missing;
    std::string text;  // its bytes when read is Ok
    // Why it must not be replaced (unreadable: its other lines would be
    // lost; read-only); empty when it may.
    std::string failure;
    // The old file's owner and mode, kept by the replacement where the
    // platform has them.
    long long owner = -1, group = -1;
    unsigned mode = 0;
};
// readText false: the file is looked at but not read (a save that
// replaces it whole needs none of its lines).
Target OpenTarget(const std::string& path, bool readText = true);

// Writes content to a new file beside target.path and puts it in its place
// in one step, so that the path names at every moment either the old file
// or the new one.  Gives "" or why the file was not replaced.
std::string Replace(const Target& target, const std::string& content);

// The same with the content drawn piece by piece: source fills up to size
// bytes and gives how many, 0 at the end, -1 when the content cannot be had
// (the target then stays as it was, and the answer is "read failed").
using ContentSource = std::function<long(char* buffer, std::size_t size)>;
std::string Replace(const Target& target, const ContentSource& source);

}  // namespace quillet::platform::settings_io
