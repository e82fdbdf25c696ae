#include "platform/launch.h"

#include <cstdlib>
#include <fstream>
#include <unistd.h>

#include "platform/process.h"
#include "platform/trace.h"

#include <wx/log.h>

namespace quillet::platform {

namespace {

const char kInstallHint[] = "Install Wine (on Debian: apt-get install wine), or name your Wine in "
                            "quillet.ini, section [Setup], as Wine=/path/to/wine.";

// A program named without "/" is looked for on PATH, as a shell would.
std::string FindProgram(const std::string& name, const char* pathEnv) {
    if (name.empty()) return std::string();
    if (name.find('/') != std::string::npos)
        return access(name.c_str(), X_OK) == 0 ? name : std::string();
    const std::string path = pathEnv ? pathEnv : "";
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = path.find(':', start);
        std::string dir = path.substr(start, end == std::string::npos ? end : end - start);
        if (dir.empty()) dir = ".";
        const std::string candidate = dir + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
        if (end == std::string::npos) return std::string();
        start = end + 1;
    }
}

std::string FindWine(const std::string& setting, const char* pathEnv) {
    if (!setting.empty()) return FindProgram(setting, pathEnv);
    std::string wine = FindProgram("wine", pathEnv);
    return wine.empty() ? FindProgram("wine64", pathEnv) : wine;
}

// Wine's debugging chatter would otherwise land in the error output of
// every run; a WINEDEBUG of the user's own is left as it is.
void QuietWine(std::vector<std::string>& variables) {
    if (std::getenv("WINEDEBUG") == nullptr) variables.push_back("WINEDEBUG=-all");
}

}  // namespace

bool IsWindowsExecutable(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    unsigned char header[64];
    if (!in.read(reinterpret_cast<char*>(header), sizeof header) || header[0] != 'M' ||
        header[1] != 'Z')
        return false;
    const unsigned long offset = header[0x3c] | header[0x3d] << 8 | header[0x3e] << 16 |
                                 static_cast<unsigned long>(header[0x3f]) << 24;
    char signature[4];
    return in.seekg(static_cast<std::streamoff>(offset)) &&
           in.read(signature, sizeof signature) &&
           std::string(signature, sizeof signature) == std::string("PE\0\0", 4);
}

std::string WindowsPath(const std::string& path) {
    std::string windows = path.empty() || path[0] != '/' ? path : "Z:" + path;
    for (char& c : windows)
        if (c == '/') c = '\\';
    return windows;
}

std::string QuotedForInterpreter(const std::string& path) {
    return path.find_first_of(" \t^<>&|") == std::string::npos ? path : '"' + path + '"';
}

ToolLaunch ChooseToolLaunch(const std::string& hamDir, const char* comspec,
                            const std::string& wineSetting, const char* pathEnv) {
    ToolLaunch launch;
    launch.programDir = hamDir;
    if (comspec && *comspec) {
        launch.way = LaunchWay::Interpreter;
        launch.interpreter = comspec;
        launch.switchText = " -c ";
        return launch;
    }
    if (!IsWindowsExecutable(hamDir + "/ham.exe")) {
        launch.way = LaunchWay::Direct;
        launch.interpreter = std::string();
        return launch;
    }
    launch.way = LaunchWay::Wine;
    launch.interpreter = "C:\\windows\\system32\\cmd.exe";
    launch.switchText = " /c ";
    launch.separator = '\\';
    launch.programDir = WindowsPath(hamDir);
    launch.wine = FindWine(wineSetting, pathEnv);
    if (launch.wine.empty()) {
        const std::string why =
            wineSetting.empty()
                ? "no \"wine\" was found on PATH."
                : "the Wine named in quillet.ini (Wine=" + wineSetting + ") cannot be run.";
        launch.unavailable = "ham.exe in " + hamDir +
                             " is a Windows program and needs Wine to run, but " + why + "\n" +
                             kInstallHint;
        launch.unavailableStatus = "Wine not found: install wine";
    }
    return launch;
}

ToolLaunch CurrentToolLaunch(const std::string& hamDir, const std::string& wineSetting) {
    return ChooseToolLaunch(hamDir, std::getenv("COMSPEC"), wineSetting, std::getenv("PATH"));
}

std::string BatchFileLine(const std::string& line, std::vector<std::string>& variables) {
    std::string batch = "@";
    for (std::size_t i = 0; i < line.size();) {
        const unsigned char c = static_cast<unsigned char>(line[i]);
        if (c < 0x80) {
            if (c == '%') batch += '%';
            batch += line[i++];
            continue;
        }
        std::size_t end = i;
        while (end < line.size() && static_cast<unsigned char>(line[end]) >= 0x80) ++end;
        const std::string name = "QUILLET_TEXT_" + std::to_string(variables.size() + 1);
        variables.push_back(name + "=" + line.substr(i, end - i));
        batch += '%' + name + '%';
        i = end;
    }
    return batch;
}

void StartServer(const std::string& hamDir, const std::string& wineSetting) {
    const std::string server = hamDir + "/hamster.exe";
    if (!IsWindowsExecutable(server)) {
        StartDetached(server);
        return;
    }
    const std::string wine = FindWine(wineSetting, std::getenv("PATH"));
    if (wine.empty()) {
        // The first run says what is missing.
        wxLogTrace(kTraceExec, "%s not started: no Wine found", server.c_str());
        return;
    }
    std::vector<std::string> variables;
    QuietWine(variables);
    // Wine cannot start a program hidden; minimized is the nearest, and no
    // console of its own.
    StartDetached({wine, "start", "/b", "/min", WindowsPath(server)}, variables);
}


}  // namespace quillet::platform
