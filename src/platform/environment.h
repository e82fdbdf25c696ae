#pragma once
// What start-up asks of the system besides the settings file.
#include <string>
#include <vector>

namespace quillet::platform {

// The program's arguments after its name, in UTF-8, whatever the system's
// code page: argc and argv are main's (Windows gives main only the ANSI
// code page's text, so there the wide command line is read instead).
std::vector<std::string> CommandArguments(int argc, char** argv);

// The working directory as the runtime reports it (on POSIX it starts with
// "/" already); growable, so a deep directory is not cut.
std::string CurrentDirectory();

// Makes dir the current directory.  Returns the system's reason when it
// cannot (no such directory, not a directory, no permission), else "".
std::string ChangeDirectory(const std::string& dir);

// Width of the screen in the pixels of an unscaled display: where the
// system scales the display, the layout's pixels are scaled by the toolkit,
// and a width in the screen's own pixels would scale the layout twice.
int ScreenWidth();

}  // namespace quillet::platform
