#pragma once
// A tool's command line read by the Windows rules, for running a native
// tool without any shell: what the Windows command interpreter does with
// "^", ">" and "<" and what the Windows C runtime does with quotes and
// backslashes; and how much of a line the interpreter takes.  Plain
// functions without the GUI toolkit, so that they can be fuzzed, and without
// the system's headers, so that every platform counts the same way.
#include <cstddef>
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

// The longest line the Windows command interpreter runs whole, in its own
// characters (UTF-16 units).  A longer one it refuses after "/c"; from a
// batch file it reads that much as a line and runs the rest as further
// lines.
inline constexpr std::size_t kInterpreterLineLimit = 8191;

// What the interpreter takes for the end of a line in a batch file: line
// feed, carriage return (Wine's interpreter ends a line at a lone one too),
// Ctrl-Z, and NUL (on which Wine's interpreter hangs).
inline constexpr std::string_view kInterpreterLineEnds{"\n\r\x1a\0", 4};

enum class InterpreterInput { CommandLine, BatchFile };

// Whether the interpreter runs line whole: it holds no line end, and as the
// interpreter reads it, and once it has put in each %NAME% that variables
// ("NAME=value", UTF-8) name, it does not pass kInterpreterLineLimit.  From a batch file "%%" gives one "%", and the
// line must leave room for its end: one that fills the interpreter's buffer
// cannot be told from a cut one (Wine then warns that it may be cut).
bool InterpreterTakesLine(std::string_view line, const std::vector<std::string>& variables,
                          InterpreterInput input);

}  // namespace quillet::platform
