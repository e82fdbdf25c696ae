#pragma once
// The three form fields that outlive a run: each has a section of its own in
// the settings file, under the key "0".
#include <cstddef>
#include <string>

namespace quillet {

inline constexpr char kRememberedKey[] = "0";
inline constexpr char kSearchExprSection[] = "SearchExpr";
inline constexpr char kGroupExprSection[] = "GroupExpr";
inline constexpr char kScoreViewSection[] = "ScoreView";

inline constexpr char kSearchExprFallback[] = "From:.*Ivo Marrek";
inline constexpr char kGroupExprFallback[] = "de\\.alt\\.admin";
inline constexpr char kScoreViewFallback[] = "de\\.alt\\.admin";

// Values longer than this come back cut, as they always have.
inline constexpr std::size_t kRememberedMaxChars = 259;

// The first maxChars characters of a UTF-8 text; never splits a character.
std::string CutToCharacters(const std::string& utf8, std::size_t maxChars);

// The stored value of section, cut to kRememberedMaxChars characters; the
// fallback when the file, section or key is missing or the value is empty.
std::string ReadRememberedValue(const std::string& settingsPath, const char* section,
                                const char* fallback);

// Stores value for section; false when the file could not be written.
bool WriteRememberedValue(const std::string& settingsPath, const char* section,
                          const std::string& value);

}  // namespace quillet
