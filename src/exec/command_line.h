#pragma once
// Composing the console tool's command line from the form's values: a plain
// function, so that every command's line can be checked without a window.
#include <optional>
#include <string>

#include "app/command.h"
#include "platform/launch.h"

namespace quillet {


// What the builder reads from the form, as plain values.
struct FormValues {
    int command = CmdNone;
    std::string searchExpr, groupExpr;                 // Grep
    bool ignoreCase = false;                           // Grep -i
    bool optC = false, optH = false, optL = false,     // grep radio buttons
         optN = false, optVa = false, optVe = false;
    std::string msgId;                                 // Delete
    std::string sourceGroup, targetFile;               // Export
    std::string fileNames, groupName;                  // Import
    bool go = false, ih = false, na = false, t = false, x = false;
    std::string scoreTest;                             // Scoretest
    std::string scoreView;                             // Scoreview
    std::string argument;                              // Groups, Help, Locate, Type
    std::string number;                                // Type
};

// How the platform shapes and starts the line: the interpreter (none: the
// platform has none, empty: the line starts with the program), its switch
// with blanks, the separator, HamDir as the line names it, and why the tool
// cannot run here, if it cannot.
using PlatformParams = platform::ToolLaunch;

// The field that gets the keyboard focus once the line is complete.
enum class FocusTarget { Unchanged, SearchExpr, MsgId, SourceGroup, ScoreView, ScoreTest };

struct Composition {
    bool ok = false;
    std::string line;         // the whole line, as echoed into the pane
    std::string interpreter;  // the line's first piece
    std::string argument;     // everything after the switch
    std::string refusal;      // the message written to the pane instead
    FocusTarget focus = FocusTarget::Unchanged;
};

Composition ComposeCommandLine(const FormValues& values, const PlatformParams& platform);

}  // namespace quillet
