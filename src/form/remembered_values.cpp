#include "form/remembered_values.h"

#include "platform/settings_file.h"

namespace quillet {

std::string CutToCharacters(const std::string& utf8, std::size_t maxChars) {
    std::size_t chars = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        // Continuation bytes (10xxxxxx) belong to the character before them.
        if ((static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80) continue;
        if (chars == maxChars) return utf8.substr(0, i);
        ++chars;
    }
    return utf8;
}

std::string ReadRememberedValue(const std::string& settingsPath, const char* section,
                                const char* fallback) {
    std::string value = CutToCharacters(
        platform::ReadSettingString(settingsPath, section, kRememberedKey, ""),
        kRememberedMaxChars);
    return value.empty() ? std::string(fallback) : value;
}

bool WriteRememberedValue(const std::string& settingsPath, const char* section,
                          const std::string& value) {
    return platform::WriteSettingString(settingsPath, section, kRememberedKey, value);
}

}  // namespace quillet
