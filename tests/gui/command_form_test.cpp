// The command form in a real main window: places at a scale base, what each
// command button shows, values that survive switching, and the start-up
// state from the settings file.
#include "form/command_form.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/filename.h>
#include <wx/font.h>
#include <wx/radiobut.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

#include "app/fonts.h"
#include "app/main_frame.h"
#include "app/program.h"
#include "app/scale.h"
#include "fields/validated_text.h"
#include "form/compact_style.h"
#include "gui_support.h"

namespace quillet {
namespace {

using testing::PumpEvents;
using testing::PumpUntil;

// A main window holding only the form, set up as start-up does it.
class FormWindow {
public:
    explicit FormWindow(int base, const std::string& settingsPath = "/nonexistent/quillet.ini") {
        InstallCompactStyle();
        Program& p = TheProgram();
        p.scaleBase = base;
        MakeFonts(base);
        p.settingsPath = settingsPath;
        frame = new MainFrame(nullptr, "Quillet ", Px(31), Px(31),
                              Scaled(Scaled(240, base), base), Scaled(Scaled(280, base), base));
        frame->CreateStatusBar(2);
        p.mainFrame = frame;
        form = new CommandForm(frame, -1, -1, Scaled(Scaled(240, base), base), Px(94),
                               wxBORDER_SIMPLE, "panel");
        p.commandForm = form;
        frame->SetClientSize(form->GetSize());
        frame->Show();
        PumpUntil([this] { return frame->IsShownOnScreen(); });
        PumpEvents(100);
    }

    ~FormWindow() {
        Program& p = TheProgram();
        frame->Destroy();
        PumpEvents(50);
        p.mainFrame = nullptr;
        p.commandForm = nullptr;
        p.currentCommand = 0;
        for (wxFont** font : {&p.formLabelFont, &p.formButtonFont, &p.headingFont, &p.paneFont}) {
            delete *font;
            *font = nullptr;
        }
        p.scaleBase = 1024;
        p.settingsPath.clear();
    }

    // Children of the form that are neither the heading nor a button.
    std::set<wxWindow*> ShownArguments() const {
        std::set<wxWindow*> shown;
        for (wxWindow* child : form->GetChildren()) {
            if (!child->IsShown() || child == form->headingLabel) continue;
            if (wxDynamicCast(child, wxButton)) continue;
            shown.insert(child);
        }
        return shown;
    }

    MainFrame* frame = nullptr;
    CommandForm* form = nullptr;
};

const char* const kListOrder[] = {"Grep",      "Delete", "Export", "Import",
                                  "Scoretest", "Scoreview", "Groups", "Help",
                                  "Info",      "Locate", "Type"};

const std::map<std::string, int> kNumbers = {
    {"Info", 1}, {"Groups", 2}, {"Locate", 3}, {"Delete", 4}, {"Type", 5}, {"Export", 6},
    {"Import", 7}, {"Grep", 8}, {"Help", 9}, {"Scoreview", 10}, {"Scoretest", 11}};

// What each command must show besides the buttons, and where the focus goes.
struct Expected {
    std::set<wxWindow*> shown;
    wxWindow* focus;
};

Expected ExpectedFor(const CommandForm& f, const std::string& name) {
    if (name == "Grep")
        return {{f.searchLabel, f.searchExprField, f.upperQuote, f.groupsLabel, f.groupExprField,
                 f.lowerQuote, f.ignoreCaseBox, f.grepOptC, f.grepOptH, f.grepOptL, f.grepOptN,
                 f.grepOptVa, f.grepOptVe, f.grepOptNone},
                f.searchExprField};
    if (name == "Delete") return {{f.msgIdLabel, f.msgIdField, f.lowerQuote}, f.msgIdField};
    if (name == "Export")
        return {{f.fromGroupLabel, f.sourceGroupField, f.toFileLabel, f.targetFileField},
                f.sourceGroupField};
    if (name == "Import")
        return {{f.fileNamesLabel, f.fileNamesField, f.goBox, f.ihBox, f.naBox, f.tBox, f.xBox},
                f.fileNamesField};
    if (name == "Scoretest")
        return {{f.fileOrMsgIdLabel, f.scoreTestField, f.lowerQuote}, f.scoreTestField};
    if (name == "Scoreview") return {{f.scoreViewLabel, f.scoreViewField}, f.scoreViewField};
    if (name == "Groups")
        return {{f.regexpLabel, f.argumentField, f.lowerQuote}, f.argumentField};
    if (name == "Help") return {{f.commandLabel, f.argumentField}, f.argumentField};
    if (name == "Info") return {{f.infoHint}, f.doItButton};
    if (name == "Locate")
        return {{f.locateLabel, f.argumentField, f.lowerQuote}, f.argumentField};
    return {{f.numberLabel, f.numberField, f.typeGroupLabel, f.argumentField}, f.numberField};
}

// Grid cells at a scale base of 1024, worked out by hand.
const wxPoint kCells1024[10] = {{3, 69},   {58, 69}, {113, 69}, {168, 69}, {224, 69},
                                {3, 94},   {58, 94}, {113, 94}, {168, 94}, {224, 94}};

void ClickOn(wxWindow* window) {
    wxUIActionSimulator sim;
    const wxRect rect = window->GetScreenRect();
    sim.MouseMove(rect.x + rect.width / 2, rect.y + rect.height / 2);
    PumpEvents(30);
    sim.MouseClick();
}

TEST(CommandFormGeometry, PlacesAtBase1024) {
    FormWindow w(1024);
    CommandForm& f = *w.form;
    EXPECT_EQ(f.searchExprField->GetPosition(), wxPoint(60, 20));
    EXPECT_EQ(f.searchExprField->GetSize().x, 230);
    EXPECT_EQ(f.headingLabel->GetPosition(), wxPoint(5, 1));
    EXPECT_EQ(f.doItButton->GetPosition(), wxPoint(334, 69));
    EXPECT_EQ(f.doItButton->GetSize().x, 44);
    EXPECT_EQ(f.numberField->GetPosition(), wxPoint(52, 20));
    EXPECT_EQ(f.numberField->GetSize().x, 76);
    EXPECT_EQ(f.numberField->GetName(), "ntxt");
    EXPECT_EQ(f.grepOptNone->GetPosition(), wxPoint(307, 47));
    EXPECT_EQ(f.grepOptVe->GetPosition(), wxPoint(345, 32));

    for (const char* name : kListOrder) {
        const int number = kNumbers.at(name);
        f.SelectCommand(number);
        std::vector<std::string> expected;
        for (const char* other : kListOrder)
            if (std::string(other) != name) expected.push_back(other);
        EXPECT_FALSE(f.commandButtons[number]->IsShown()) << name;
        for (int cell = 0; cell < 10; ++cell) {
            wxButton* button = f.commandButtons[kNumbers.at(expected[cell])];
            EXPECT_TRUE(button->IsShown()) << name << " cell " << cell;
            EXPECT_EQ(button->GetPosition(), kCells1024[cell]) << name << " " << expected[cell];
            EXPECT_EQ(button->GetSize().x, 51) << expected[cell];
        }
        EXPECT_EQ(f.doItButton->GetPosition(), wxPoint(334, 69)) << name;
    }
}

// Shown controls of the current layout must neither cover each other nor be
// cut short: a label under its field or a button narrower than its text is
// a fault even where every number is met.
void ExpectNothingOverlapsOrIsClipped(const FormWindow& w, const std::string& layout) {
    // Sizes are the toolkit's only once the controls are on screen.
    PumpEvents(150);
    const wxSize client = w.form->GetClientSize();
    std::vector<wxWindow*> shown;
    for (wxWindow* child : w.form->GetChildren())
        if (child->IsShown()) shown.push_back(child);
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const wxRect a = shown[i]->GetRect();
        shown[i]->InvalidateBestSize();
        const wxSize best = shown[i]->GetBestSize();
        const wxString what = layout + ": " + shown[i]->GetClassInfo()->GetClassName() + " \"" +
                              shown[i]->GetLabel() + "\"";
        // Text fields have their widths given and scroll their text; only
        // their height has to hold the text.
        if (!wxDynamicCast(shown[i], wxTextCtrl)) {
            EXPECT_GE(a.width, best.x) << what;
        }
        EXPECT_GE(a.height, best.y) << what;
        EXPECT_TRUE(wxRect(client).Contains(a)) << what << " at " << a.x << "," << a.y << " "
                                                << a.width << "x" << a.height;
        for (std::size_t j = i + 1; j < shown.size(); ++j) {
            const wxRect b = shown[j]->GetRect();
            EXPECT_FALSE(a.Intersects(b))
                << what << " " << a.x << "," << a.y << " " << a.width << "x" << a.height
                << " overlaps " << shown[j]->GetClassInfo()->GetClassName() << " \""
                << shown[j]->GetLabel() << "\" " << b.x << "," << b.y << " " << b.width << "x"
                << b.height;
        }
    }
}

void CheckEveryLayout(int base) {
    FormWindow w(base);
    CommandForm& f = *w.form;
    for (const char* name : kListOrder) {
        f.SelectCommand(kNumbers.at(name));
        ExpectNothingOverlapsOrIsClipped(w, name);
    }
    // Import with the group name that the -go box brings up.
    f.SelectCommand(CmdImport);
    f.goBox->SetValue(true);
    wxCommandEvent tick(wxEVT_CHECKBOX, f.goBox->GetId());
    tick.SetEventObject(f.goBox);
    tick.SetInt(1);
    f.goBox->ProcessWindowEvent(tick);
    ASSERT_TRUE(f.groupNameField->IsShown());
    ExpectNothingOverlapsOrIsClipped(w, "Import -go");
}

TEST(CommandFormLayout, NothingOverlapsOrIsClippedAtBase1024) { CheckEveryLayout(1024); }

TEST(CommandFormLayoutAt1280, NothingOverlapsOrIsClippedAtBase1280) { CheckEveryLayout(1280); }

TEST(CommandFormSelection, EachButtonSwitchesTheWholeForm) {
    FormWindow w(1024);
    CommandForm& f = *w.form;
    ASSERT_TRUE(testing::FocusAndWait(f.searchExprField));

    // Grep is current at start-up, so its button is pressed last.
    std::vector<std::string> sequence(std::begin(kListOrder) + 1, std::end(kListOrder));
    sequence.push_back("Grep");
    for (const std::string& name : sequence) {
        SCOPED_TRACE(name);
        const int number = kNumbers.at(name);
        w.frame->SetStatusText("3 line(s), 20 char(s)", 0);
        w.frame->SetStatusText("left over", 1);
        ClickOn(f.commandButtons[number]);
        ASSERT_TRUE(PumpUntil([&] { return TheProgram().currentCommand == number; }))
            << "the click did not select " << name;

        EXPECT_EQ(f.headingLabel->GetLabel(), name);
        EXPECT_GE(f.headingLabel->GetSize().x, f.headingLabel->GetBestSize().x);
        const Expected expected = ExpectedFor(f, name);
        EXPECT_EQ(w.ShownArguments(), expected.shown);
        EXPECT_TRUE(f.doItButton->IsShown());
        EXPECT_FALSE(f.commandButtons[number]->IsShown());

        std::vector<std::string> grid(10);
        for (int command = 1; command <= kCommandCount; ++command) {
            wxButton* button = f.commandButtons[command];
            if (!button->IsShown()) continue;
            for (int cell = 0; cell < 10; ++cell)
                if (button->GetPosition() == kCells1024[cell])
                    grid[cell] += button->GetLabel().utf8_string();
        }
        std::vector<std::string> expectedGrid;
        for (const char* other : kListOrder)
            if (other != name) expectedGrid.push_back(other);
        EXPECT_EQ(grid, expectedGrid);

        EXPECT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == expected.focus; }, 1000))
            << "focus on " << (wxWindow::FindFocus() ? wxWindow::FindFocus()->GetName() : "none");
        EXPECT_EQ(w.frame->GetStatusBar()->GetStatusText(0), "");
        EXPECT_EQ(w.frame->GetStatusBar()->GetStatusText(1), "");
    }
}

TEST(CommandFormSelection, DoItRunsTheHandlerOnly) {
    FormWindow w(1024);
    CommandForm& f = *w.form;
    int runs = 0;
    f.SetDoItHandler([&] { ++runs; });
    ClickOn(f.doItButton);
    EXPECT_TRUE(PumpUntil([&] { return runs == 1; }));
    EXPECT_EQ(TheProgram().currentCommand, CmdGrep);
    EXPECT_EQ(f.doItButton, wxDynamicCast(wxGetTopLevelParent(&f), wxTopLevelWindow)
                                ->GetDefaultItem());
}

TEST(CommandFormValues, SurviveSwitching) {
    FormWindow w(1024);
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
    f.SelectCommand(CmdDelete);
    f.SelectCommand(CmdGrep);
    EXPECT_TRUE(f.grepOptVa->GetValue());
    EXPECT_FALSE(f.grepOptNone->GetValue());
    EXPECT_TRUE(f.ignoreCaseBox->GetValue());
    f.SelectCommand(CmdImport);
    EXPECT_TRUE(f.naBox->GetValue());
}

TEST(CommandFormValues, GoBoxShowsTheGroupNameAndMovesTheFocus) {
    FormWindow w(1024);
    CommandForm& f = *w.form;
    ClickOn(f.commandButtons[CmdImport]);
    ASSERT_TRUE(PumpUntil([] { return TheProgram().currentCommand == CmdImport; }));
    EXPECT_FALSE(f.groupNameField->IsShown());
    EXPECT_FALSE(f.groupNameLabel->IsShown());

    ClickOn(f.goBox);
    ASSERT_TRUE(PumpUntil([&] { return f.goBox->GetValue(); }));
    EXPECT_TRUE(f.groupNameField->IsShown());
    EXPECT_TRUE(f.groupNameLabel->IsShown());
    EXPECT_TRUE(f.fileNamesField->IsShown());
    EXPECT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == f.groupNameField; }, 1000));

    // Leaving Import and coming back keeps the tick but not the group name.
    f.groupNameField->SetValue("de.test");
    f.SelectCommand(CmdExport);
    f.SelectCommand(CmdImport);
    EXPECT_TRUE(f.goBox->GetValue());
    EXPECT_FALSE(f.groupNameField->IsShown());
    EXPECT_FALSE(f.groupNameLabel->IsShown());

    ClickOn(f.goBox);
    ASSERT_TRUE(PumpUntil([&] { return !f.goBox->GetValue(); }));
    EXPECT_FALSE(f.groupNameField->IsShown());
    EXPECT_FALSE(f.groupNameLabel->IsShown());
    EXPECT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == f.fileNamesField; }, 1000));

    ClickOn(f.goBox);
    ASSERT_TRUE(PumpUntil([&] { return f.goBox->GetValue(); }));
    EXPECT_TRUE(f.groupNameField->IsShown());
    EXPECT_EQ(f.groupNameField->GetValue(), "de.test");
}

TEST(CommandFormStartup, WithoutSettingsFile) {
    FormWindow w(1024);
    CommandForm& f = *w.form;
    EXPECT_EQ(TheProgram().currentCommand, CmdGrep);
    EXPECT_EQ(f.headingLabel->GetLabel(), "Grep");
    EXPECT_EQ(f.searchExprField->GetValue(), "From:.*Ivo Marrek");
    EXPECT_EQ(f.groupExprField->GetValue(), "de\\.alt\\.admin");
    EXPECT_EQ(f.scoreViewField->GetValue(), "de\\.alt\\.admin");
    for (wxTextCtrl* field :
         {f.msgIdField, f.sourceGroupField, f.targetFileField, f.fileNamesField,
          f.groupNameField, f.scoreTestField, f.argumentField,
          static_cast<wxTextCtrl*>(f.numberField)})
        EXPECT_EQ(field->GetValue(), "") << field->GetName();
    for (wxCheckBox* box : {f.ignoreCaseBox, f.goBox, f.ihBox, f.naBox, f.tBox, f.xBox})
        EXPECT_FALSE(box->GetValue()) << box->GetLabel();
    for (wxRadioButton* radio :
         {f.grepOptC, f.grepOptH, f.grepOptL, f.grepOptN, f.grepOptVa, f.grepOptVe})
        EXPECT_FALSE(radio->GetValue()) << radio->GetLabel();
    EXPECT_TRUE(f.grepOptNone->GetValue());
}

TEST(CommandFormStartup, WithStoredValues) {
    const wxString path = wxFileName::CreateTempFileName("quillet-form");
    std::string longValue;
    for (int i = 0; i < 150; ++i) longValue += "\xc3\xa4x";  // 300 characters, 450 bytes
    {
        std::ofstream ini(path.utf8_string());
        ini << "[Setup]\nHamDir=/tmp\n[SearchExpr]\n0=\n[GroupExpr]\n0=" << longValue
            << "\n[ScoreView]\n0=de.comp.*\n";
    }
    {
        FormWindow w(1024, path.utf8_string());
        CommandForm& f = *w.form;
        EXPECT_EQ(f.searchExprField->GetValue(), "From:.*Ivo Marrek");
        const wxString group = f.groupExprField->GetValue();
        EXPECT_EQ(group.length(), 259u);
        EXPECT_EQ(group, wxString::FromUTF8(longValue.c_str()).Left(259));
        EXPECT_EQ(f.scoreViewField->GetValue(), "de.comp.*");
    }
    wxRemoveFile(path);
}

// Writes a picture of each layout to /tmp/quillet-form-shots/ when
// QUILLET_FORM_SHOTS is set, for a person to look at.
void TakeShots(int base) {
    if (!std::getenv("QUILLET_FORM_SHOTS")) GTEST_SKIP() << "QUILLET_FORM_SHOTS not set";
    const wxString dir = "/tmp/quillet-form-shots";
    wxFileName::Mkdir(dir, wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
    FormWindow w(base);
    CommandForm& f = *w.form;
    auto shoot = [&](const std::string& name) {
        // An inactive window is drawn greyed out; the picture should show
        // the form as the user sees it.
        w.frame->Raise();
        testing::FocusAndWait(wxWindow::FindFocus() ? wxWindow::FindFocus() : f.doItButton);
        f.Refresh();
        f.Update();
        PumpEvents(300);
        const wxRect rect = f.GetScreenRect();
        const wxString command = wxString::Format(
            "import -window root -crop %dx%d+%d+%d %s/%d-%s.png", rect.width, rect.height, rect.x,
            rect.y, dir, base, name);
        EXPECT_EQ(wxExecute(command, wxEXEC_SYNC), 0) << command;
    };
    for (const char* name : kListOrder) {
        f.SelectCommand(kNumbers.at(name));
        shoot(name);
    }
    f.SelectCommand(CmdImport);
    f.goBox->SetValue(true);
    wxCommandEvent tick(wxEVT_CHECKBOX, f.goBox->GetId());
    tick.SetEventObject(f.goBox);
    f.goBox->ProcessWindowEvent(tick);
    shoot("Import-go");
}

TEST(CommandFormShots, EveryLayout) { TakeShots(1024); }
TEST(CommandFormShotsAt1280, EveryLayout) { TakeShots(1280); }

}  // namespace
}  // namespace quillet
