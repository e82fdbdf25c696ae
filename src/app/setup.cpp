#include "app/setup.h"

#include "platform/settings_file.h"

namespace quillet {

std::optional<Setup> ReadSetup(const std::string& dir) {
    Setup setup;
    setup.dir = dir;
    setup.settingsPath = SettingsPathIn(dir);
    setup.hamDir = platform::ReadSettingString(setup.settingsPath, "Setup", "HamDir", "");
    if (setup.hamDir.empty()) return std::nullopt;
    setup.waitForSys = WaitForSysFromSetting(
        platform::ReadSettingInt(setup.settingsPath, "Setup", "WaitForSys", 0));
    setup.wine = platform::ReadSettingString(setup.settingsPath, "Setup", "Wine", "");
    return setup;
}

std::string StartupErrorText(const std::string& settingsPath) {
    return "File " + settingsPath + " \nor section [SETUP] entry \"HamDir=...\" not found.\n\n"
           "Please edit the file " + settingsPath;
}

}  // namespace quillet
