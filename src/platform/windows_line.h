#pragma once
// A tool's command line read by the Windows rules, for running a native
// tool without any shell: what the Windows command interpreter does with
// ">" and what the Windows C runtime does with quotes and backslashes.
// Plain functions without the GUI toolkit, so that they can be fuzzed.
#include <string>
#include <string_view>
#include <vector>

namespace quillet::platform {

// Splits a command line into arguments as the Windows C runtime does: blanks
// and tabs separate arguments outside double quotes; double quotes group and
// are removed; inside quotes, "" gives one literal quote; 2n backslashes
// before a quote give n backslashes and the quote groups, 2n+1 give n
// backslashes and a literal quote; backslashes elsewhere are literal.
std::vector<std::string> SplitWindowsArguments(std::string_view line);

struct OutputRedirection {
    std::string file;
    bool append = false;  // ">>"
};

struct ToolLine {
    std::vector<std::string> arguments;      // the program first
    std::vector<OutputRedirection> outputs;  // in the line's order; the last one wins
};

// Takes the ">" and ">>" redirections outside double quotes out of the line,
// as the Windows command interpreter does (the file name is the next word,
// which may be quoted), and splits the rest by SplitWindowsArguments.  No
// other character is special: "|", "&", "$", "*" and the like stay text.
ToolLine ParseToolLine(std::string_view line);

}  // namespace quillet::platform
