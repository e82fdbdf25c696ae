#pragma once
// The program's own command line, handled before the toolkit starts so that
// --help and --version work without a display.
#include <functional>
#include <string>
#include <vector>

namespace quillet {

struct CommandArgsOutcome {
    bool start = true;    // go on and open the window
    int exitStatus = 0;   // the status to end with when not starting
    std::string out;      // for standard output
    std::string err;      // for standard error
};

// Makes DIR the current directory; returns the reason it could not, or an
// empty text when it did.
using EnterDirectory = std::function<std::string(const std::string& dir)>;

// args: the arguments after the program name.  A directory argument is
// entered here, before start-up forms the settings path from the current
// directory.
CommandArgsOutcome HandleCommandArgs(const std::vector<std::string>& args,
                                     const EnterDirectory& enterDirectory);

}  // namespace quillet
