#pragma once
// The settings file: a classic initialisation file of [sections] and
// key=value lines.  Names match without regard to case (ASCII); lines that
// begin with ";" are comments.  Where a section or a key appears twice, the
// first one counts, for reading and writing alike.  A write changes only the
// one line it must and replaces the file atomically.
#include <string>

namespace quillet::platform {

// The value of key in section, as UTF-8 (bytes that are not valid UTF-8 are
// read as Windows-1252), or def when the file, section or key is missing or
// the file cannot be read.  Anything but a regular file (a FIFO, a device)
// counts as unreadable and is not opened for reading.  Blanks around the value and one pair of quotes
// enclosing it are removed; the value is never cut short.
std::string ReadSettingString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& def);

// The leading decimal integer of the value (an optional sign and digits after
// blanks); def when the key is missing; 0 when the value does not start with
// a number.  Numbers too large for a long give LONG_MAX (LONG_MIN).
long ReadSettingInt(const std::string& path, const std::string& section,
                    const std::string& key, long def);

// Writes value (UTF-8) under section/key, creating file, section or key as
// needed; a value that reading would change is stored inside quotes, so that
// it reads back exactly.  Every other line keeps its bytes, and new lines
// take the file's line ending.  Through a symbolic link the file it points
// to is replaced.  Copies that an earlier save killed midway left beside the
// file are removed once the process that made them is gone.  Returns false, leaving the old file whole, when the file
// could not be replaced (unreadable or not a regular file, read-only,
// directory not writable, disk full) and when the value holds a line break or NUL, or a name could not
// be stored (a "]" in the section, a "=" in the key, blanks at either end).
bool WriteSettingString(const std::string& path, const std::string& section,
                        const std::string& key, const std::string& value);

}  // namespace quillet::platform
