#pragma once
// The eleven commands as data: which argument controls each one shows, where
// the keyboard focus goes, and where the other command buttons stand.  The
// form carries the table out; nothing here needs a window.
#include <array>
#include <vector>

#include "form/command.h"

namespace quillet {


// Every control of the form that one command shows and another hides, in
// the order the form creates them.
enum class Arg : int {
    SearchLabel,
    UpperQuote,
    SearchExprField,
    GroupsLabel,
    LowerQuote,
    GroupExprField,
    IgnoreCaseBox,
    GrepOptC,
    GrepOptL,
    GrepOptVa,
    GrepOptH,
    GrepOptN,
    GrepOptVe,
    GrepOptNone,
    MsgIdLabel,
    MsgIdField,
    FromGroupLabel,
    SourceGroupField,
    ToFileLabel,
    TargetFileField,
    FileNamesLabel,
    FileNamesField,
    GroupNameLabel,
    GroupNameField,
    GoBox,
    IhBox,
    NaBox,
    TBox,
    XBox,
    FileOrMsgIdLabel,
    ScoreTestField,
    ScoreViewLabel,
    ScoreViewField,
    RegexpLabel,
    CommandLabel,
    InfoHint,
    LocateLabel,
    NumberLabel,
    NumberField,
    TypeGroupLabel,
    ArgumentField,
    Count
};
constexpr int kArgCount = static_cast<int>(Arg::Count);

struct CommandLayout {
    int number;
    const char* name;           // button text and heading
    const char* verb;           // the tool's word for it
    std::vector<Arg> shown;     // besides Do It, which every command shows
    bool focusOnDoIt;           // Info has no field to type into
    Arg focus;                  // meaningful when !focusOnDoIt
};

// The layout of command number 1..11; null for any other number.
const CommandLayout* FindLayout(int command);

// The order in which the command buttons fill the grid.
const std::array<int, kCommandCount>& CommandListOrder();

// The ten commands whose buttons stand in the grid while `command` is
// current, cell by cell.
std::vector<int> GridOrder(int command);

struct DesignPoint {
    int x;
    int y;
};

constexpr int kGridCells = 10;

// Top-left corner of grid cell 0..9 in design units.
DesignPoint GridCell(int cell);

}  // namespace quillet
