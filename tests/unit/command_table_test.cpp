#include "form/command_table.h"

#include <set>
#include <string>

#include <gtest/gtest.h>

#include "form/compact_style.h"
#include "form/remembered_values.h"

namespace quillet {
namespace {

std::vector<std::string> Names(const std::vector<int>& commands) {
    std::vector<std::string> names;
    for (int c : commands) names.push_back(FindLayout(c)->name);
    return names;
}

TEST(CommandTable, GridClosesUpInListOrder) {
    using V = std::vector<std::string>;
    EXPECT_EQ(Names(GridOrder(CmdGrep)), (V{"Delete", "Export", "Import", "Scoretest", "Scoreview",
                                            "Groups", "Help", "Info", "Locate", "Type"}));
    EXPECT_EQ(Names(GridOrder(CmdScoretest)), (V{"Grep", "Delete", "Export", "Import", "Scoreview",
                                                 "Groups", "Help", "Info", "Locate", "Type"}));
    EXPECT_EQ(Names(GridOrder(CmdType)), (V{"Grep", "Delete", "Export", "Import", "Scoretest",
                                            "Scoreview", "Groups", "Help", "Info", "Locate"}));
    EXPECT_EQ(GridCell(0).x, 3);
    EXPECT_EQ(GridCell(4).x, 175);
    EXPECT_EQ(GridCell(4).y, 54);
    EXPECT_EQ(GridCell(5).x, 3);
    EXPECT_EQ(GridCell(9).y, 74);
}

TEST(CommandTable, EveryCommandIsWellFormed) {
    EXPECT_EQ(FindLayout(0), nullptr);
    EXPECT_EQ(FindLayout(12), nullptr);
    std::set<std::string> names;
    for (int c = 1; c <= kCommandCount; ++c) {
        const CommandLayout* layout = FindLayout(c);
        ASSERT_NE(layout, nullptr) << c;
        EXPECT_EQ(layout->number, c);
        names.insert(layout->name);
        const std::set<Arg> shown(layout->shown.begin(), layout->shown.end());
        EXPECT_EQ(shown.size(), layout->shown.size()) << layout->name << " lists a control twice";
        // The group name belongs to the -go box alone.
        EXPECT_EQ(shown.count(Arg::GroupNameField), 0u) << layout->name;
        EXPECT_EQ(shown.count(Arg::GroupNameLabel), 0u) << layout->name;
        if (!layout->focusOnDoIt) EXPECT_EQ(shown.count(layout->focus), 1u) << layout->name;
    }
    EXPECT_EQ(names.size(), 11u);
    EXPECT_TRUE(FindLayout(CmdInfo)->focusOnDoIt);
}

TEST(FormText, PointSizeFitsTheLayoutAtEveryBase) {
    EXPECT_DOUBLE_EQ(FormTextPointSize(1024), 7.68);
    EXPECT_DOUBLE_EQ(FormTextPointSize(1280), 9.6);
}

TEST(RememberedValues, CutCountsCharactersNotBytes) {
    EXPECT_EQ(CutToCharacters("abc", 259), "abc");
    EXPECT_EQ(CutToCharacters("abcdef", 3), "abc");
    EXPECT_EQ(CutToCharacters("", 3), "");
    // Two-, three- and four-byte characters are kept whole.
    EXPECT_EQ(CutToCharacters("\xc3\xa4\xc3\xb6\xc3\xbc", 2), "\xc3\xa4\xc3\xb6");
    EXPECT_EQ(CutToCharacters("a\xe2\x82\xac" "b", 2), "a\xe2\x82\xac");
    EXPECT_EQ(CutToCharacters("\xf0\x9f\x98\x80x", 1), "\xf0\x9f\x98\x80");
    std::string longText;
    for (int i = 0; i < 300; ++i) longText += "\xc3\xa4";
    EXPECT_EQ(CutToCharacters(longText, kRememberedMaxChars).size(), 2 * kRememberedMaxChars);
}

}  // namespace
}  // namespace quillet
