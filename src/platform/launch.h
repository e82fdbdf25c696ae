#pragma once
// How this platform runs the two outside programs.  The server and its
// console tool are Windows programs; on Linux they run under Wine, through
// Wine's own command interpreter, so that the tool's command line means what
// it means on Windows.  A native stand-in (a program or a script) is started
// directly, its line read by the Windows rules (windows_line.h), and no shell
// ever reads it.  A COMSPEC the user sets is their interpreter, used as is.
#include <optional>
#include <string>
#include <vector>

namespace quillet::platform {

enum class LaunchWay {
    Interpreter,  // COMSPEC with its switch and the rest of the line
    Wine,         // Wine's command interpreter runs the line
    Direct,       // the program itself, the line split by the Windows rules
};

// What the composition of the line needs to know, and what starting it
// needs besides the line.
struct ToolLaunch {
    // none: no interpreter on a platform that needs one (Windows without
    // COMSPEC); empty: the line starts with the program itself.
    std::optional<std::string> interpreter;
    std::string switchText;  // with its blanks: " /c ", " -c "
    char separator = '/';    // between the program's directory and its name
    std::string programDir;  // HamDir as the line names it
    // Set when the tool cannot be run here: the pane text naming what to
    // install, and its short form for the status bar.
    std::string unavailable, unavailableStatus;

    LaunchWay way = LaunchWay::Direct;
    std::string wine;  // LaunchWay::Wine: the loader to run
};

// Whether path is a Windows executable: an "MZ" header whose PE offset
// points at "PE\0\0".
bool IsWindowsExecutable(const std::string& path);

// The launch of HamDir/ham.exe.  comspec: the environment's COMSPEC (null or
// empty: not set).  wineSetting: the Wine the user named (empty: "wine", or
// failing that "wine64", on PATH).  pathEnv: the PATH to search.
ToolLaunch ChooseToolLaunch(const std::string& hamDir, const char* comspec,
                            const std::string& wineSetting, const char* pathEnv);
// The same with this process's environment.
ToolLaunch CurrentToolLaunch(const std::string& hamDir, const std::string& wineSetting);

// The Windows form of a path under Wine: an absolute one on drive Z:, which
// Wine maps to the root; "/" becomes "\".
std::string WindowsPath(const std::string& path);

// Quotes a program's path for a command line when it holds a blank or a
// character the interpreter would read itself: ^ < > & |.
std::string QuotedForInterpreter(const std::string& path);

// The line as a one-line batch file for Wine's interpreter, with "@" so that
// it is not echoed and "%" doubled so that it stays a percent sign.  Text
// outside ASCII is put into environment variables and named in the line
// (%QUILLET_TEXT_1% and so on): a batch file is read in the console's code
// page, the environment in the user's, and from there the tool gets it in
// the ANSI code page exactly as on Windows.  variables receives "NAME=value"
// entries.
std::string BatchFileLine(const std::string& line, std::vector<std::string>& variables);

// Starts HamDir/hamster.exe detached and never waits for it; under Wine when
// it is a Windows program.  A failure to start is only traced (kTraceExec).
void StartServer(const std::string& hamDir, const std::string& wineSetting);

}  // namespace quillet::platform
