#pragma once

namespace quillet {

// The eleven commands of the console tool, numbered as the current command
// records them (0 until the form has selected one).
enum Command : int {
    CmdNone = 0,
    CmdInfo = 1,
    CmdGroups = 2,
    CmdLocate = 3,
    CmdDelete = 4,
    CmdType = 5,
    CmdExport = 6,
    CmdImport = 7,
    CmdGrep = 8,
    CmdHelp = 9,
    CmdScoreview = 10,
    CmdScoretest = 11,
};
constexpr int kCommandCount = 11;

}  // namespace quillet
