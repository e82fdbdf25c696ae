#pragma once
// What start-up reads from the settings file once; handed to whoever needs
// it from then on.
#include <optional>
#include <string>

namespace quillet {

struct Setup {
    std::string dir;            // the working directory at start-up
    std::string settingsPath;   // dir + "/quillet.ini"
    std::string hamDir;         // directory of hamster.exe and ham.exe
    std::string wine;           // the Wine the user named; empty: the one on PATH
    int waitForSys = 1;         // seconds to sleep after starting the tool; never 0
};

// Where the settings file of a working directory is.
inline std::string SettingsPathIn(const std::string& dir) { return dir + "/quillet.ini"; }

// The setup the settings file in dir gives; none when it names no HamDir.
std::optional<Setup> ReadSetup(const std::string& dir);

// The start-up error's text, with the settings path in both places.
std::string StartupErrorText(const std::string& settingsPath);

// The seconds to sleep after starting the tool, from the stored value:
// missing (given as 0), not a number, zero or negative all mean 1.
inline int WaitForSysFromSetting(long stored) {
    if (stored <= 0) return 1;
    return stored > 86400 ? 86400 : static_cast<int>(stored);
}

}  // namespace quillet
