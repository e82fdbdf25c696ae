#include "platform/launch.h"

#include <cstdlib>

#include "platform/process.h"
#include "platform/windows/wide_text.h"

namespace quillet::platform {

std::string QuotedForInterpreter(const std::string& path) {
    return path.find_first_of(" \t^<>&|") == std::string::npos ? path : '"' + path + '"';
}

// On Windows the line goes through the interpreter COMSPEC names, with its
// " /c ", and nothing else: without COMSPEC there is no line.
ToolLaunch ChooseToolLaunch(const std::string& hamDir, const char* comspec,
                            const std::string& /*wineSetting*/, const char* /*pathEnv*/) {
    ToolLaunch launch;
    launch.programDir = hamDir;
    launch.separator = '\\';
    launch.switchText = " /c ";
    launch.way = LaunchWay::Interpreter;
    if (comspec && *comspec) launch.interpreter = comspec;
    return launch;
}

ToolLaunch CurrentToolLaunch(const std::string& hamDir, const std::string& wineSetting) {
    // Read in UTF-16: an interpreter's path need not be in the ANSI code page.
    const wchar_t* comspec = _wgetenv(L"COMSPEC");
    const std::string value = comspec ? Utf8(comspec) : std::string();
    return ChooseToolLaunch(hamDir, comspec ? value.c_str() : nullptr, wineSetting, nullptr);
}

void StartServer(const std::string& hamDir, const std::string& /*wineSetting*/) {
    StartDetached(hamDir + "\\hamster.exe");
}

}  // namespace quillet::platform
