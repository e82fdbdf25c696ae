// The command form in a real main window: places, what each command button
// shows, values that survive switching, and the start-up state.
#include "form/command_form.h"

#include <algorithm>
#include <set>
#include <vector>

#include <wx/radiobut.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>
#include <wx/uiaction.h>

#include "exec/command_line.h"
#include "form/scale.h"
#include "platform/environment.h"
#include "gui_support.h"

namespace quillet {
namespace {

using testing::ExpectNothingOverlapsOrIsClipped;
using testing::PumpEvents;
using testing::PumpUntil;

class CommandFormTest : public testing::WindowTest {
protected:
    void SetUp() override {
        Open();
        f = form;
    }
    CommandForm* f = nullptr;
};

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

template <class T = wxCheckBox>
T* Box(const CommandForm& f, Arg role) { return static_cast<T*>(f.ArgControl(role)); }

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

class CommandFormLayout : public CommandFormTest {
protected:
    void CheckEveryLayout(int base) {
        ASSERT_EQ(ScaleBaseForScreenWidth(platform::ScreenWidth()), base)
            << "run on a screen " << base << " pixels wide";
        for (const Command& c : kListOrder) {
            f->SelectCommand(c.number);
            PumpEvents(300);  // GTK's own measure of what it just showed
            ExpectNothingOverlapsOrIsClipped(*f, c.name);
        }
        f->SelectCommand(CmdImport);
        ClickOn(f->ArgControl(Arg::GoBox));
        ASSERT_TRUE(PumpUntil([&] { return f->ArgControl(Arg::GroupNameField)->IsShown(); }));
        PumpEvents(300);
        ExpectNothingOverlapsOrIsClipped(*f, "Import -go");
    }
};
class CommandFormLayoutAt1280 : public CommandFormLayout {};

TEST_F(CommandFormLayout, NothingOverlapsOrIsClippedAtBase1024) { CheckEveryLayout(1024); }
TEST_F(CommandFormLayoutAt1280, NothingOverlapsOrIsClippedAtBase1280) { CheckEveryLayout(1280); }

TEST_F(CommandFormTest, EachButtonSwitchesTheWholeForm) {
    wxStatusBar* status = frame->GetStatusBar();
    ASSERT_TRUE(testing::FocusAndWait(f->ArgControl(Arg::SearchExprField)));
    // Grep is current at start-up, so its button is pressed last.
    std::vector<Command> sequence(std::begin(kListOrder) + 1, std::end(kListOrder));
    sequence.push_back(kListOrder[0]);
    for (const Command& c : sequence) {
        SCOPED_TRACE(c.name);
        status->SetStatusText("3 line(s), 20 char(s)", 0);
        status->SetStatusText("left over", 1);
        ClickOn(f->CommandButton(c.number));
        ASSERT_TRUE(PumpUntil([&] { return f->CurrentCommand() == c.number; }));

        EXPECT_EQ(f->Heading()->GetLabel(), c.name);
        EXPECT_EQ(f->Heading()->GetPosition(), wxPoint(5, 1));
        wxWindow* search = f->ArgControl(Arg::SearchExprField);
        EXPECT_EQ(search->GetRect(), wxRect(60, 20, 230, search->GetSize().y));
        EXPECT_EQ(f->DoItButton()->GetRect(), wxRect(334, 69, 44, f->DoItButton()->GetSize().y));
        // The table's controls, the other buttons and Do It; nothing else.
        const CommandLayout& layout = *FindLayout(c.number);
        std::set<wxWindow*> wanted{f->DoItButton()}, shown;
        for (Arg role : layout.shown) wanted.insert(f->ArgControl(role));
        int cell = 0;
        for (const Command& other : kListOrder) {
            if (other.number == c.number) continue;
            wxButton* button = f->CommandButton(other.number);
            wanted.insert(button);
            // As wide as given, unless its text needs more.
            const int width = std::max(51, button->GetBestSize().x);
            EXPECT_EQ(button->GetRect(), wxRect(kCells1024[cell++], wxSize(width, button->GetSize().y)))
                << other.name;
        }
        for (wxWindow* child : f->GetChildren())
            if (child->IsShown() && child != f->Heading()) shown.insert(child);
        EXPECT_EQ(shown, wanted);
        EXPECT_TRUE(FocusReaches(layout.focusOnDoIt ? f->DoItButton() : f->ArgControl(layout.focus)));
        // The closing quote shows where the line puts what is typed in quotes.
        if (!layout.focusOnDoIt) {
            static_cast<wxTextCtrl*>(f->ArgControl(layout.focus))->ChangeValue("12");
            PlatformParams direct;
            direct.interpreter = "";
            const bool quoted = ComposeCommandLine(f->Values(), direct).line.find("\"12\"") != std::string::npos;
            EXPECT_EQ(f->ArgControl(Arg::LowerQuote)->IsShown(), quoted);
        }
        EXPECT_EQ(status->GetStatusText(0), "");
        EXPECT_EQ(status->GetStatusText(1), "");
    }
}

// Values survive switching and reach the command line under their names.
TEST_F(CommandFormTest, ValuesSurviveSwitchingAndGoOutByName) {
    f->SelectCommand(CmdGroups);
    f->Field(Arg::ArgumentField)->SetValue("alt.*");
    for (int command : {CmdHelp, CmdLocate, CmdType}) {
        f->SelectCommand(command);
        EXPECT_EQ(f->Field(Arg::ArgumentField)->GetValue(), "alt.*") << command;
    }
    f->Field(Arg::NumberField)->SetValue("12");
    f->SelectCommand(CmdGrep);
    Box<wxRadioButton>(*f, Arg::GrepOptVa)->SetValue(true);
    Box(*f, Arg::IgnoreCaseBox)->SetValue(true);
    f->SelectCommand(CmdImport);
    Box(*f, Arg::NaBox)->SetValue(true);
    f->Field(Arg::GroupNameField)->SetValue("de.test");
    f->SelectCommand(CmdGrep);
    EXPECT_TRUE(Box<wxRadioButton>(*f, Arg::GrepOptVa)->GetValue() &&
                Box(*f, Arg::IgnoreCaseBox)->GetValue());
    auto values = f->Values();
    for (const char* name : {"-va", "-i", "-na"}) EXPECT_EQ(values[name], "1") << name;
    EXPECT_EQ(values["number"] + " " + values["groupName"], "12 de.test");
    f->Focus("msgId");  // a hidden field's name: nothing to focus
    f->Focus("groupExpr");
    EXPECT_TRUE(FocusReaches(f->ArgControl(Arg::GroupExprField)));
}

TEST_F(CommandFormTest, GoBoxShowsTheGroupNameAndMovesTheFocus) {
    wxCheckBox* go = Box(*f, Arg::GoBox);
    wxWindow* groupName = f->ArgControl(Arg::GroupNameField);
    wxWindow* groupLabel = f->ArgControl(Arg::GroupNameLabel);
    auto groupNameShown = [&] { return groupName->IsShown() || groupLabel->IsShown(); };
    auto toggleGo = [&](bool to) {
        ClickOn(go);
        ASSERT_TRUE(PumpUntil([&] { return go->GetValue() == to; }));
        EXPECT_TRUE(groupName->IsShown() == to && groupLabel->IsShown() == to);
        EXPECT_TRUE(f->ArgControl(Arg::FileNamesField)->IsShown());
        EXPECT_TRUE(FocusReaches(to ? groupName : f->ArgControl(Arg::FileNamesField)));
    };
    ClickOn(f->CommandButton(CmdImport));
    ASSERT_TRUE(PumpUntil([&] { return f->CurrentCommand() == CmdImport; }));
    EXPECT_FALSE(groupNameShown());
    toggleGo(true);
    // Leaving Import and coming back keeps the tick but hides the group name.
    f->SelectCommand(CmdExport);
    f->SelectCommand(CmdImport);
    EXPECT_TRUE(go->GetValue());
    EXPECT_FALSE(groupNameShown());
    toggleGo(false);
    toggleGo(true);
}

// A paste keeps its first line; one past what a field holds is cut there,
// and the status bar says so.
TEST_F(CommandFormTest, APasteKeepsItsFirstLineAndSaysWhenCut) {
    f->SelectCommand(CmdType);
    const std::string big(70000, 'x');
    const struct { Arg field; std::string paste, kept; const char* status1; } cases[] = {
        {Arg::ArgumentField, "de.test\ntouch made", "de.test", ""},
        {Arg::NumberField, "12\r\n34", "12", ""},
        {Arg::ArgumentField, big, big.substr(0, 65534), "Paste cut: the field is full"},
    };
    for (const auto& c : cases) {
        wxTextCtrl* field = f->Field(c.field);
        field->Clear();
        frame->SetStatus(1, "");
        ASSERT_TRUE(testing::FocusAndWait(field));
        testing::PasteWithKeys(c.paste);
        EXPECT_TRUE(PumpUntil([&] { return !field->IsEmpty(); }, 1000));
        EXPECT_EQ(field->GetValue(), c.kept);
        EXPECT_EQ(Status(1), c.status1);
    }
}

// The start-up state, without remembered values and with them.
TEST_F(CommandFormTest, StartsOnGrepWithTheRememberedValues) {
    EXPECT_EQ(f->CurrentCommand(), CmdGrep);
    EXPECT_EQ(f->Heading()->GetLabel(), "Grep");
    EXPECT_TRUE(Box<wxRadioButton>(*f, Arg::GrepOptNone)->GetValue());
    std::string longValue;
    for (int i = 0; i < 150; ++i) longValue += "\xc3\xa4x";  // 300 characters, 450 bytes
    Open("[Setup]\nHamDir=" + testing::kStandinDir + "\n[SearchExpr]\n0=\n[GroupExpr]\n0=" + longValue +
         "\n[ScoreView]\n0=de.comp.*\n");
    EXPECT_EQ(form->Field(Arg::SearchExprField)->GetValue(), "From:.*Ivo Marrek");
    EXPECT_EQ(form->Field(Arg::GroupExprField)->GetValue(), wxString::FromUTF8(longValue).Left(259));
    EXPECT_EQ(form->Field(Arg::ScoreViewField)->GetValue(), "de.comp.*");
}

}  // namespace
}  // namespace quillet
