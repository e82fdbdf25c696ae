// The command form in a real main window: places, what each command button
// shows, values that survive switching, and the start-up state.
#include "form/command_form.h"

#include <fstream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/filename.h>
#include <wx/radiobut.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include "app/main_frame.h"
#include "app/program.h"
#include "fields/validated_text.h"
#include "gui_support.h"

namespace quillet {
namespace {

using testing::PumpEvents;
using testing::PumpUntil;

using testing::ProgramWindow;

struct Command {
    int number;
    const char* name;
};
// The order in which the buttons fill the grid.
const Command kListOrder[] = {
    {CmdGrep, "Grep"},           {CmdDelete, "Delete"},       {CmdExport, "Export"},
    {CmdImport, "Import"},       {CmdScoretest, "Scoretest"}, {CmdScoreview, "Scoreview"},
    {CmdGroups, "Groups"},       {CmdHelp, "Help"},           {CmdInfo, "Info"},
    {CmdLocate, "Locate"},       {CmdType, "Type"}};

// What each command shows besides the buttons, and where the focus goes.
std::pair<std::set<wxWindow*>, wxWindow*> ExpectedFor(const CommandForm& f, int command) {
    switch (command) {
    case CmdGrep:
        return {{f.searchLabel, f.searchExprField, f.upperQuote, f.groupsLabel, f.groupExprField,
                 f.lowerQuote, f.ignoreCaseBox, f.grepOptC, f.grepOptH, f.grepOptL, f.grepOptN,
                 f.grepOptVa, f.grepOptVe, f.grepOptNone},
                f.searchExprField};
    case CmdDelete: return {{f.msgIdLabel, f.msgIdField, f.lowerQuote}, f.msgIdField};
    case CmdExport:
        return {{f.fromGroupLabel, f.sourceGroupField, f.toFileLabel, f.targetFileField},
                f.sourceGroupField};
    case CmdImport:
        return {{f.fileNamesLabel, f.fileNamesField, f.goBox, f.ihBox, f.naBox, f.tBox, f.xBox},
                f.fileNamesField};
    case CmdScoretest:
        return {{f.fileOrMsgIdLabel, f.scoreTestField, f.lowerQuote}, f.scoreTestField};
    case CmdScoreview: return {{f.scoreViewLabel, f.scoreViewField}, f.scoreViewField};
    case CmdGroups: return {{f.regexpLabel, f.argumentField, f.lowerQuote}, f.argumentField};
    case CmdHelp: return {{f.commandLabel, f.argumentField}, f.argumentField};
    case CmdInfo: return {{f.infoHint}, f.doItButton};
    case CmdLocate: return {{f.locateLabel, f.argumentField, f.lowerQuote}, f.argumentField};
    default:  // Type
        return {{f.numberLabel, f.numberField, f.typeGroupLabel, f.argumentField}, f.numberField};
    }
}

// Grid cells at a scale base of 1024, worked out by hand.
const wxPoint kCells1024[10] = {{3, 69}, {58, 69}, {113, 69}, {168, 69}, {224, 69},
                                {3, 94}, {58, 94}, {113, 94}, {168, 94}, {224, 94}};

void ClickOn(wxWindow* window) {
    wxUIActionSimulator sim;
    const wxRect rect = window->GetScreenRect();
    sim.MouseMove(rect.x + rect.width / 2, rect.y + rect.height / 2);
    PumpEvents(30);
    sim.MouseClick();
}

bool FocusReaches(wxWindow* window) {
    return PumpUntil([window] { return wxWindow::FindFocus() == window; }, 1000);
}

// A label under its field or a button narrower than its text is a fault even
// where every number is met.
void ExpectNothingOverlapsOrIsClipped(const ProgramWindow& w, const std::string& layout) {
    PumpEvents(150);  // sizes are the toolkit's only once on screen
    std::vector<wxWindow*> shown;
    for (wxWindow* child : w.form->GetChildren())
        if (child->IsShown()) shown.push_back(child);
    auto describe = [&](wxWindow* c) {
        const wxRect r = c->GetRect();
        return wxString::Format("%s \"%s\" %d,%d %dx%d", c->GetClassInfo()->GetClassName(),
                                c->GetLabel(), r.x, r.y, r.width, r.height);
    };
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const wxRect a = shown[i]->GetRect();
        shown[i]->InvalidateBestSize();
        const wxSize best = shown[i]->GetBestSize();
        const wxString what = layout + ": " + describe(shown[i]);
        // Text fields have given widths and scroll; only the height must fit.
        if (!dynamic_cast<wxTextCtrl*>(shown[i])) {
            EXPECT_GE(a.width, best.x) << what;
        }
        EXPECT_GE(a.height, best.y) << what;
        EXPECT_TRUE(wxRect(w.form->GetClientSize()).Contains(a)) << what;
        for (std::size_t j = i + 1; j < shown.size(); ++j)
            EXPECT_FALSE(a.Intersects(shown[j]->GetRect())) << what << " overlaps "
                                                            << describe(shown[j]);
    }
}

void CheckEveryLayout(int base) {
    ProgramWindow w;
    ASSERT_EQ(TheProgram().scaleBase, base) << "run on a screen " << base << " pixels wide";
    CommandForm& f = *w.form;
    for (const Command& c : kListOrder) {
        f.SelectCommand(c.number);
        ExpectNothingOverlapsOrIsClipped(w, c.name);
    }
    f.SelectCommand(CmdImport);
    ClickOn(f.goBox);
    ASSERT_TRUE(PumpUntil([&] { return f.groupNameField->IsShown(); }));
    ExpectNothingOverlapsOrIsClipped(w, "Import -go");
}

TEST(CommandFormLayout, NothingOverlapsOrIsClippedAtBase1024) { CheckEveryLayout(1024); }
TEST(CommandFormLayoutAt1280, NothingOverlapsOrIsClippedAtBase1280) { CheckEveryLayout(1280); }

TEST(CommandFormSelection, EachButtonSwitchesTheWholeForm) {
    ProgramWindow w;
    CommandForm& f = *w.form;
    ASSERT_TRUE(testing::FocusAndWait(f.searchExprField));
    // Grep is current at start-up, so its button is pressed last.
    std::vector<Command> sequence(std::begin(kListOrder) + 1, std::end(kListOrder));
    sequence.push_back(kListOrder[0]);
    for (const Command& c : sequence) {
        SCOPED_TRACE(c.name);
        w.frame->SetStatusText("3 line(s), 20 char(s)", 0);
        w.frame->SetStatusText("left over", 1);
        ClickOn(f.commandButtons[c.number]);
        ASSERT_TRUE(PumpUntil([&] { return TheProgram().currentCommand == c.number; }));

        EXPECT_EQ(f.headingLabel->GetLabel(), c.name);
        EXPECT_EQ(f.headingLabel->GetPosition(), wxPoint(5, 1));
        EXPECT_EQ(f.searchExprField->GetPosition(), wxPoint(60, 20));
        EXPECT_EQ(f.searchExprField->GetSize().x, 230);
        const auto [shown, focus] = ExpectedFor(f, c.number);
        std::set<wxWindow*> arguments;
        for (wxWindow* child : f.GetChildren())
            if (child->IsShown() && child != f.headingLabel && !dynamic_cast<wxButton*>(child))
                arguments.insert(child);
        EXPECT_EQ(arguments, shown);
        EXPECT_FALSE(f.commandButtons[c.number]->IsShown());
        EXPECT_TRUE(f.doItButton->IsShown());
        EXPECT_EQ(f.doItButton->GetRect(), wxRect(334, 69, 44, f.doItButton->GetSize().y));
        int cell = 0;
        for (const Command& other : kListOrder) {
            if (other.number == c.number) continue;
            wxButton* button = f.commandButtons[other.number];
            EXPECT_TRUE(button->IsShown()) << other.name;
            EXPECT_EQ(button->GetPosition(), kCells1024[cell++]) << other.name;
            EXPECT_EQ(button->GetSize().x, 51) << other.name;
        }
        EXPECT_TRUE(FocusReaches(focus));
        EXPECT_EQ(w.frame->GetStatusBar()->GetStatusText(0), "");
        EXPECT_EQ(w.frame->GetStatusBar()->GetStatusText(1), "");
    }
}

TEST(CommandFormValues, SurviveSwitching) {
    ProgramWindow w;
    CommandForm& f = *w.form;
    f.SelectCommand(CmdGroups);
    f.argumentField->SetValue("alt.*");
    for (int command : {CmdHelp, CmdLocate, CmdType}) {
        f.SelectCommand(command);
        EXPECT_EQ(f.argumentField->GetValue(), "alt.*") << command;
    }
    f.SelectCommand(CmdGrep);
    f.grepOptVa->SetValue(true);
    f.ignoreCaseBox->SetValue(true);
    f.SelectCommand(CmdImport);
    f.naBox->SetValue(true);
    f.SelectCommand(CmdGrep);
    EXPECT_TRUE(f.grepOptVa->GetValue());
    EXPECT_TRUE(f.ignoreCaseBox->GetValue());
    f.SelectCommand(CmdImport);
    EXPECT_TRUE(f.naBox->GetValue());
}

TEST(CommandFormValues, GoBoxShowsTheGroupNameAndMovesTheFocus) {
    ProgramWindow w;
    CommandForm& f = *w.form;
    auto toggleGo = [&](bool to) {
        ClickOn(f.goBox);
        ASSERT_TRUE(PumpUntil([&] { return f.goBox->GetValue() == to; }));
        EXPECT_EQ(f.groupNameField->IsShown(), to);
        EXPECT_EQ(f.groupNameLabel->IsShown(), to);
        EXPECT_TRUE(f.fileNamesField->IsShown());
        EXPECT_TRUE(FocusReaches(to ? f.groupNameField : f.fileNamesField));
    };
    ClickOn(f.commandButtons[CmdImport]);
    ASSERT_TRUE(PumpUntil([] { return TheProgram().currentCommand == CmdImport; }));
    EXPECT_FALSE(f.groupNameField->IsShown() || f.groupNameLabel->IsShown());
    toggleGo(true);

    // Leaving Import and coming back keeps the tick but hides the group name.
    f.groupNameField->SetValue("de.test");
    f.SelectCommand(CmdExport);
    f.SelectCommand(CmdImport);
    EXPECT_TRUE(f.goBox->GetValue());
    EXPECT_FALSE(f.groupNameField->IsShown() || f.groupNameLabel->IsShown());
    toggleGo(false);
    toggleGo(true);
    EXPECT_EQ(f.groupNameField->GetValue(), "de.test");
}

TEST(CommandFormStartup, WithoutSettingsFile) {
    ProgramWindow w;
    CommandForm& f = *w.form;
    EXPECT_EQ(TheProgram().currentCommand, CmdGrep);
    EXPECT_EQ(f.headingLabel->GetLabel(), "Grep");
    EXPECT_EQ(f.searchExprField->GetValue(), "From:.*Ivo Marrek");
    EXPECT_EQ(f.groupExprField->GetValue(), "de\\.alt\\.admin");
    EXPECT_EQ(f.scoreViewField->GetValue(), "de\\.alt\\.admin");
    for (wxCheckBox* box : {f.ignoreCaseBox, f.goBox, f.ihBox, f.naBox, f.tBox, f.xBox})
        EXPECT_FALSE(box->GetValue()) << box->GetLabel();
    EXPECT_TRUE(f.grepOptNone->GetValue());
}

TEST(CommandFormStartup, WithStoredValues) {
    const wxString path = wxFileName::CreateTempFileName("quillet-form");
    std::string longValue;
    for (int i = 0; i < 150; ++i) longValue += "\xc3\xa4x";  // 300 characters, 450 bytes
    std::ofstream(path.utf8_string()) << "[Setup]\nHamDir=/tmp\n[SearchExpr]\n0=\n[GroupExpr]\n0="
                                      << longValue << "\n[ScoreView]\n0=de.comp.*\n";
    {
        ProgramWindow w(path.utf8_string());
        EXPECT_EQ(w.form->searchExprField->GetValue(), "From:.*Ivo Marrek");
        EXPECT_EQ(w.form->groupExprField->GetValue(), wxString::FromUTF8(longValue).Left(259));
        EXPECT_EQ(w.form->scoreViewField->GetValue(), "de.comp.*");
    }
    wxRemoveFile(path);
}

}  // namespace
}  // namespace quillet
