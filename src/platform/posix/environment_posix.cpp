#include "platform/environment.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>
#include <vector>

#include <wx/settings.h>

namespace quillet::platform {

std::vector<std::string> CommandArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0), argv + argc);
}

std::string CurrentDirectory() {
    std::vector<char> buffer(256);
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) return std::string();
        buffer.resize(buffer.size() * 2);
    }
    return std::string(buffer.data());
}

std::string ChangeDirectory(const std::string& dir) {
    if (chdir(dir.c_str()) == 0) return std::string();
    return std::strerror(errno);
}

int ScreenWidth() { return wxSystemSettings::GetMetric(wxSYS_SCREEN_X); }

}  // namespace quillet::platform
