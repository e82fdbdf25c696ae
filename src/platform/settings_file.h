#pragma once
// The settings file: a classic initialisation file of [sections] and
// key=value lines.  Names match without regard to case; a write changes only
// the one line it must and replaces the file atomically.
#include <string>

namespace quillet::platform {

// The value of key in section, as UTF-8 (bytes that are not valid UTF-8 are
// read as Windows-1252), or def when the file, section or key is missing.
// Blanks around the value and one pair of quotes enclosing it are removed.
std::string ReadSettingString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& def);

// The leading decimal integer of the value (an optional sign and digits after
// blanks); def when the key is missing; 0 when the value does not start with
// a number.
long ReadSettingInt(const std::string& path, const std::string& section,
                    const std::string& key, long def);

// Writes value (UTF-8) under section/key, creating file, section or key as
// needed.  Returns false when the file could not be replaced; the old file
// is then left whole.
bool WriteSettingString(const std::string& path, const std::string& section,
                        const std::string& key, const std::string& value);

}  // namespace quillet::platform
