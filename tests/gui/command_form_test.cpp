// The command form in a real main window: places, what each command button
// shows, values that survive switching, and the start-up state.
#include "form/command_form.h"

#include <cstdio>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/clipbrd.h>
#include <wx/radiobut.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>
#include <wx/uiaction.h>

#include "app/main_frame.h"
#include "app/program.h"
#include "fields/validated_text.h"
#include "gui_support.h"

namespace quillet {
namespace {

using testing::ProgramWindow;
using testing::PumpEvents;
using testing::PumpUntil;

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

// What each command shows besides heading and buttons; the first gets the focus.
std::vector<wxWindow*> ExpectedFor(const CommandForm& f, int command) {
    switch (command) {
    case CmdGrep:
        return {f.searchExprField, f.searchLabel, f.upperQuote, f.groupsLabel, f.groupExprField,
                f.lowerQuote, f.ignoreCaseBox, f.grepOptC, f.grepOptH, f.grepOptL, f.grepOptN,
                f.grepOptVa, f.grepOptVe, f.grepOptNone};
    case CmdDelete: return {f.msgIdField, f.msgIdLabel, f.lowerQuote};
    case CmdExport: return {f.sourceGroupField, f.fromGroupLabel, f.toFileLabel, f.targetFileField};
    case CmdImport:
        return {f.fileNamesField, f.fileNamesLabel, f.goBox, f.ihBox, f.naBox, f.tBox, f.xBox};
    case CmdScoretest: return {f.scoreTestField, f.fileOrMsgIdLabel, f.lowerQuote};
    case CmdScoreview: return {f.scoreViewField, f.scoreViewLabel};
    case CmdGroups: return {f.argumentField, f.regexpLabel, f.lowerQuote};
    case CmdHelp: return {f.argumentField, f.commandLabel};
    case CmdInfo: return {f.doItButton, f.infoHint};
    case CmdLocate: return {f.argumentField, f.locateLabel, f.lowerQuote};
    default: return {f.numberField, f.numberLabel, f.typeGroupLabel, f.argumentField};  // Type
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
void ExpectNothingOverlapsOrIsClipped(const CommandForm& form, const std::string& layout) {
    PumpEvents(150);  // sizes are the toolkit's only once on screen
    std::vector<wxWindow*> shown;
    for (wxWindow* child : form.GetChildren())
        if (child->IsShown()) shown.push_back(child);
    auto describe = [&](wxWindow* c) {
        const wxRect r = c->GetRect();
        return layout + ": " + wxString::Format("%s \"%s\" %d,%d %dx%d",
                                                c->GetClassInfo()->GetClassName(), c->GetLabel(),
                                                r.x, r.y, r.width, r.height);
    };
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const wxRect a = shown[i]->GetRect();
        shown[i]->InvalidateBestSize();
        const wxSize best = shown[i]->GetBestSize();
        // Text fields have given widths and scroll; only the height must fit.
        EXPECT_GE(a.width, dynamic_cast<wxTextCtrl*>(shown[i]) ? 0 : best.x) << describe(shown[i]);
        EXPECT_GE(a.height, best.y) << describe(shown[i]);
        EXPECT_TRUE(wxRect(form.GetClientSize()).Contains(a)) << describe(shown[i]);
        for (std::size_t j = i + 1; j < shown.size(); ++j)
            EXPECT_FALSE(a.Intersects(shown[j]->GetRect()))
                << describe(shown[i]) << " overlaps " << describe(shown[j]);
    }
}

void CheckEveryLayout(int base) {
    ProgramWindow w;
    ASSERT_EQ(TheProgram().scaleBase, base) << "run on a screen " << base << " pixels wide";
    CommandForm& f = *w.form;
    for (const Command& c : kListOrder) {
        f.SelectCommand(c.number);
        PumpEvents(300);  // GTK's own measure of what it just showed
        ExpectNothingOverlapsOrIsClipped(f, c.name);
    }
    f.SelectCommand(CmdImport);
    ClickOn(f.goBox);
    ASSERT_TRUE(PumpUntil([&] { return f.groupNameField->IsShown(); }));
    PumpEvents(300);
    ExpectNothingOverlapsOrIsClipped(f, "Import -go");
}

TEST(CommandFormLayout, NothingOverlapsOrIsClippedAtBase1024) { CheckEveryLayout(1024); }
TEST(CommandFormLayoutAt1280, NothingOverlapsOrIsClippedAtBase1280) { CheckEveryLayout(1280); }

TEST(CommandFormSelection, EachButtonSwitchesTheWholeForm) {
    ProgramWindow w;
    CommandForm& f = *w.form;
    wxStatusBar* status = w.frame->GetStatusBar();
    ASSERT_TRUE(testing::FocusAndWait(f.searchExprField));
    // Grep is current at start-up, so its button is pressed last.
    std::vector<Command> sequence(std::begin(kListOrder) + 1, std::end(kListOrder));
    sequence.push_back(kListOrder[0]);
    for (const Command& c : sequence) {
        SCOPED_TRACE(c.name);
        status->SetStatusText("3 line(s), 20 char(s)", 0);
        status->SetStatusText("left over", 1);
        ClickOn(f.commandButtons[c.number]);
        ASSERT_TRUE(PumpUntil([&] { return f.CurrentCommand() == c.number; }));

        EXPECT_EQ(f.headingLabel->GetLabel(), c.name);
        EXPECT_EQ(f.headingLabel->GetPosition(), wxPoint(5, 1));
        EXPECT_EQ(f.searchExprField->GetRect(), wxRect(60, 20, 230, f.searchExprField->GetSize().y));
        EXPECT_EQ(f.doItButton->GetRect(), wxRect(334, 69, 44, f.doItButton->GetSize().y));
        const std::vector<wxWindow*> expected = ExpectedFor(f, c.number);
        std::set<wxWindow*> wanted(expected.begin(), expected.end()), shown;
        wanted.insert(f.doItButton);
        int cell = 0;
        for (const Command& other : kListOrder) {
            if (other.number == c.number) continue;
            wxButton* button = f.commandButtons[other.number];
            wanted.insert(button);
            EXPECT_EQ(button->GetRect(), wxRect(kCells1024[cell++], wxSize(51, button->GetSize().y)))
                << other.name;
        }
        for (wxWindow* child : f.GetChildren())
            if (child->IsShown() && child != f.headingLabel) shown.insert(child);
        EXPECT_EQ(shown, wanted);
        EXPECT_TRUE(FocusReaches(expected[0]));
        EXPECT_EQ(status->GetStatusText(0), "");
        EXPECT_EQ(status->GetStatusText(1), "");
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
    EXPECT_TRUE(f.grepOptVa->GetValue() && f.ignoreCaseBox->GetValue());
    f.SelectCommand(CmdImport);
    EXPECT_TRUE(f.naBox->GetValue());
}

TEST(CommandFormValues, GoBoxShowsTheGroupNameAndMovesTheFocus) {
    ProgramWindow w;
    CommandForm& f = *w.form;
    auto groupNameShown = [&] { return f.groupNameField->IsShown() || f.groupNameLabel->IsShown(); };
    auto toggleGo = [&](bool to) {
        ClickOn(f.goBox);
        ASSERT_TRUE(PumpUntil([&] { return f.goBox->GetValue() == to; }));
        EXPECT_TRUE(f.groupNameField->IsShown() == to && f.groupNameLabel->IsShown() == to);
        EXPECT_TRUE(f.fileNamesField->IsShown());
        EXPECT_TRUE(FocusReaches(to ? f.groupNameField : f.fileNamesField));
    };
    ClickOn(f.commandButtons[CmdImport]);
    ASSERT_TRUE(PumpUntil([&] { return f.CurrentCommand() == CmdImport; }));
    EXPECT_FALSE(groupNameShown());
    toggleGo(true);
    // Leaving Import and coming back keeps the tick but hides the group name.
    f.groupNameField->SetValue("de.test");
    f.SelectCommand(CmdExport);
    f.SelectCommand(CmdImport);
    EXPECT_TRUE(f.goBox->GetValue());
    EXPECT_FALSE(groupNameShown());
    toggleGo(false);
    toggleGo(true);
    EXPECT_EQ(f.groupNameField->GetValue(), "de.test");
}

TEST(CommandFormValues, APasteOfTwoLinesKeepsTheFirst) {
    ProgramWindow w;
    CommandForm& f = *w.form;
    f.SelectCommand(CmdType);
    const struct { wxTextCtrl* field; const char* paste; const char* kept; } cases[] = {
        {f.argumentField, "de.test\ntouch made", "de.test"},
        {f.numberField, "12\r\n34", "12"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(testing::FocusAndWait(c.field));
        ASSERT_TRUE(wxTheClipboard->Open());
        wxTheClipboard->SetData(new wxTextDataObject(c.paste));
        wxTheClipboard->Close();
        wxUIActionSimulator().Char('v', wxMOD_CONTROL);
        EXPECT_TRUE(PumpUntil([&] { return !c.field->IsEmpty(); }, 1000));
        EXPECT_EQ(c.field->GetValue(), c.kept);
    }
}

TEST(CommandFormStartup, WithoutSettingsFile) {
    ProgramWindow w;
    CommandForm& f = *w.form;
    EXPECT_EQ(f.CurrentCommand(), CmdGrep);
    EXPECT_EQ(f.headingLabel->GetLabel(), "Grep");
    EXPECT_EQ(f.searchExprField->GetValue(), "From:.*Ivo Marrek");
    EXPECT_EQ(f.groupExprField->GetValue(), "de\\.alt\\.admin");
    EXPECT_EQ(f.scoreViewField->GetValue(), "de\\.alt\\.admin");
    for (wxCheckBox* box : {f.ignoreCaseBox, f.goBox, f.ihBox, f.naBox, f.tBox, f.xBox})
        EXPECT_FALSE(box->GetValue()) << box->GetLabel();
    EXPECT_TRUE(f.grepOptNone->GetValue());
}

TEST(CommandFormStartup, WithStoredValues) {
    const std::string path = ::testing::TempDir() + "/quillet-form.ini";
    std::string longValue;
    for (int i = 0; i < 150; ++i) longValue += "\xc3\xa4x";  // 300 characters, 450 bytes
    std::ofstream(path) << "[Setup]\nHamDir=/tmp\n[SearchExpr]\n0=\n[GroupExpr]\n0=" << longValue
                        << "\n[ScoreView]\n0=de.comp.*\n";
    {
        ProgramWindow w(path);
        EXPECT_EQ(w.form->searchExprField->GetValue(), "From:.*Ivo Marrek");
        EXPECT_EQ(w.form->groupExprField->GetValue(), wxString::FromUTF8(longValue).Left(259));
        EXPECT_EQ(w.form->scoreViewField->GetValue(), "de.comp.*");
    }
    std::remove(path.c_str());
}

}  // namespace
}  // namespace quillet
