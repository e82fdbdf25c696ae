#pragma once
// Composing the console tool's command line from the form's values: a plain
// function, so that every command's line can be checked without a window.
#include <map>
#include <optional>
#include <string>

#include "platform/launch.h"

namespace quillet {

// What the builder reads from the form: each value under its name, the
// command under "command" as the tool's verb ("grep"), a ticked box or a
// chosen option as "1".  The names are the form's and this builder's only
// contract: "searchExpr", "groupExpr", "msgId", "sourceGroup", "targetFile",
// "fileNames", "groupName", "scoreTest", "scoreView", "argument", "number",
// and the options by their own text ("-i", "-c", "-go", ...).  A missing
// name reads as empty.
using FormValues = std::map<std::string, std::string>;

// How the platform shapes and starts the line: the interpreter (none: the
// platform has none, empty: the line starts with the program), its switch
// with blanks, the separator, HamDir as the line names it, and why the tool
// cannot run here, if it cannot.
using PlatformParams = platform::ToolLaunch;

struct Composition {
    bool ok = false;
    std::string line;         // the whole line, as echoed into the pane
    std::string interpreter;  // the line's first piece
    std::string argument;     // everything after the switch
    std::string refusal;      // the message written to the pane instead
    std::string focus;        // the value whose field gets the focus; empty: unchanged
};

Composition ComposeCommandLine(const FormValues& values, const PlatformParams& platform);

}  // namespace quillet
