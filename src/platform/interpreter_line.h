#pragma once
// How much of a line the Windows command interpreter takes: the same count
// for its line under Wine and for the line handed to it on Windows.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quillet::platform {

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
