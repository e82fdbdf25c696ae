#pragma once
// A tool's command line read by the Windows rules, for running a native
// tool without any shell: what the Windows command interpreter does with
// "^", ">" and "<" and what the Windows C runtime does with quotes and
// backslashes (how much of a line the interpreter takes is in
// interpreter_line.h, which every platform builds).  Plain
// functions without the GUI toolkit, so that they can be fuzzed, and without
// the system's headers, so that every platform counts the same way.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/interpreter_line.h"

namespace quillet::platform {

// Splits a command line into arguments as the Windows C runtime does: blanks
// and tabs separate arguments outside double quotes; double quotes group and
// are removed; inside quotes, "" gives one literal quote; 2n backslashes
// before a quote give n backslashes and the quote groups, 2n+1 give n
// backslashes and a literal quote; backslashes elsewhere are literal.
std::vector<std::string> SplitWindowsArguments(std::string_view line);

struct Redirection {
    std::string file;
    bool append = false;  // ">>"
    bool input = false;   // "<": standard input from the file
};

struct ToolLine {
    std::vector<std::string> arguments;        // the program first
    std::vector<Redirection> redirections;     // in the line's order; the last of each way wins
};

// Reads the line as the Windows command interpreter does before it starts a
// program: outside double quotes "^" gives the next character as it is and
// goes itself, and the ">", ">>" and "<" redirections are taken out (the
// file name is the next word, which may be quoted); the rest is split by
// SplitWindowsArguments.  No other character is special: "|", "&", "%",
// "$", "*" and the like stay text.
ToolLine ParseToolLine(std::string_view line);

}  // namespace quillet::platform
