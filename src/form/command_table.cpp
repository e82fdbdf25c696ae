#include "form/command_table.h"

namespace quillet {

namespace {

const std::vector<CommandLayout>& Layouts() {
    static const std::vector<CommandLayout> layouts = {
        {CmdInfo, "Info", "info", {Arg::InfoHint}, true, Arg::Count},
        {CmdGroups, "Groups", "groups", {Arg::RegexpLabel, Arg::ArgumentField, Arg::LowerQuote}, false,
         Arg::ArgumentField},
        {CmdLocate, "Locate", "locate", {Arg::LocateLabel, Arg::ArgumentField, Arg::LowerQuote}, false,
         Arg::ArgumentField},
        {CmdDelete, "Delete", "delete", {Arg::MsgIdLabel, Arg::MsgIdField, Arg::LowerQuote}, false,
         Arg::MsgIdField},
        {CmdType, "Type", "type",
         {Arg::NumberLabel, Arg::NumberField, Arg::TypeGroupLabel, Arg::ArgumentField}, false,
         Arg::NumberField},
        {CmdExport, "Export", "export",
         {Arg::FromGroupLabel, Arg::SourceGroupField, Arg::ToFileLabel, Arg::TargetFileField},
         false, Arg::SourceGroupField},
        // The group name and its label are left to the -go box: selecting
        // Import never shows them, whatever the box says.
        {CmdImport, "Import", "import",
         {Arg::FileNamesLabel, Arg::FileNamesField, Arg::GoBox, Arg::IhBox, Arg::NaBox,
          Arg::TBox, Arg::XBox},
         false, Arg::FileNamesField},
        {CmdGrep, "Grep", "grep",
         {Arg::SearchLabel, Arg::SearchExprField, Arg::UpperQuote, Arg::GroupsLabel,
          Arg::GroupExprField, Arg::LowerQuote, Arg::IgnoreCaseBox, Arg::GrepOptC,
          Arg::GrepOptH, Arg::GrepOptL, Arg::GrepOptN, Arg::GrepOptVa, Arg::GrepOptVe,
          Arg::GrepOptNone},
         false, Arg::SearchExprField},
        {CmdHelp, "Help", "help", {Arg::CommandLabel, Arg::ArgumentField}, false, Arg::ArgumentField},
        {CmdScoreview, "Scoreview", "scoreview", {Arg::ScoreViewLabel, Arg::ScoreViewField}, false,
         Arg::ScoreViewField},
        {CmdScoretest, "Scoretest", "scoretest",
         {Arg::FileOrMsgIdLabel, Arg::ScoreTestField, Arg::LowerQuote}, false,
         Arg::ScoreTestField},
    };
    return layouts;
}

}  // namespace

const CommandLayout* FindLayout(int command) {
    if (command < CmdInfo || command > CmdScoretest) return nullptr;
    return &Layouts()[command - 1];
}

const std::array<int, kCommandCount>& CommandListOrder() {
    static const std::array<int, kCommandCount> order = {
        CmdGrep,   CmdDelete, CmdExport, CmdImport, CmdScoretest, CmdScoreview,
        CmdGroups, CmdHelp,   CmdInfo,   CmdLocate, CmdType,
    };
    return order;
}

std::vector<int> GridOrder(int command) {
    std::vector<int> grid;
    for (int c : CommandListOrder())
        if (c != command) grid.push_back(c);
    return grid;
}

DesignPoint GridCell(int cell) {
    static const int columns[5] = {3, 46, 89, 132, 175};
    return {columns[cell % 5], cell < 5 ? 54 : 74};
}

}  // namespace quillet
