#include "form/command_form.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/font.h>
#include <wx/radiobut.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "app/program.h"
#include "fields/validated_text.h"
#include "form/compact_style.h"
#include "form/remembered_values.h"
#include "platform/text_control.h"

namespace quillet {

namespace {

wxString FromUtf8(const std::string& text) { return wxString::FromUTF8(text.c_str()); }

// The program's form fonts at the point size the form's places can hold.
wxFont FormFont(const wxFont* programFont, int scaleBase) {
    wxFont font = programFont ? *programFont : *wxNORMAL_FONT;
    font.SetFractionalPointSize(FormTextPointSize(scaleBase));
    return font;
}

// Fields and buttons have their widths given; labels, check boxes and radio
// buttons take whatever their text needs.
bool FitToContent(wxWindow* control) {
    control->InvalidateBestSize();
    const wxSize best = control->GetBestSize();
    wxSize size = best;
    if (dynamic_cast<wxTextCtrl*>(control) || dynamic_cast<wxButton*>(control))
        size.x = control->GetSize().x;
    if (size == control->GetSize()) return false;
    control->SetSize(size);
    return true;
}

}  // namespace

CommandForm::CommandForm(wxWindow* parent, int x, int y, int width, int height, long style,
                         const wxString& name)
    : wxPanel(parent, wxID_ANY, wxPoint(x, y), wxSize(width, height), style, name),
      fitTimer_(this) {
    Bind(wxEVT_TIMER, &CommandForm::OnFitTimer, this);
    const Program& program = TheProgram();

    headingLabel = new wxStaticText(this, wxID_ANY, " ", wxPoint(Px(4), Px(1)));
    if (program.headingFont) headingLabel->SetFont(*program.headingFont);

    labelFont_ = FormFont(program.formLabelFont, program.scaleBase);
    buttonFont_ = FormFont(program.formButtonFont, program.scaleBase);

    const std::string& settings = program.settingsPath;
    const std::string searchExpr =
        ReadRememberedValue(settings, kSearchExprSection, kSearchExprFallback);
    searchLabel = MakeLabel(Arg::SearchLabel, "search for \"", 3, 17);
    upperQuote = MakeLabel(Arg::UpperQuote, "\"", 229, 17);
    searchExprField = MakeField(Arg::SearchExprField, FromUtf8(searchExpr), 47, 16, 180);

    const std::string groupExpr =
        ReadRememberedValue(settings, kGroupExprSection, kGroupExprFallback);
    groupsLabel = MakeLabel(Arg::GroupsLabel, "in groups \"", 4, 35);
    lowerQuote = MakeLabel(Arg::LowerQuote, "\"", 229, 35);
    groupExprField = MakeField(Arg::GroupExprField, FromUtf8(groupExpr), 47, 35, 180);

    ignoreCaseBox = MakeCheckBox(Arg::IgnoreCaseBox, "-i", 210, 1);
    grepOptC = MakeRadio(Arg::GrepOptC, "-c", 240, 1, true);
    grepOptL = MakeRadio(Arg::GrepOptL, "-l", 240, 13, false);
    grepOptVa = MakeRadio(Arg::GrepOptVa, "-va", 240, 25, false);
    grepOptH = MakeRadio(Arg::GrepOptH, "-h", 270, 1, false);
    grepOptN = MakeRadio(Arg::GrepOptN, "-n", 270, 13, false);
    grepOptVe = MakeRadio(Arg::GrepOptVe, "-ve", 270, 25, false);
    grepOptNone = MakeRadio(Arg::GrepOptNone, "none", 240, 37, false);
    grepOptNone->SetValue(true);

    msgIdLabel = MakeLabel(Arg::MsgIdLabel, "Msg-ID     \"", 4, 36);
    msgIdField = MakeField(Arg::MsgIdField, "", 47, 35, 180);
    fromGroupLabel = MakeLabel(Arg::FromGroupLabel, "from group", 4, 17);
    sourceGroupField = MakeField(Arg::SourceGroupField, "", 47, 16, 180);
    toFileLabel = MakeLabel(Arg::ToFileLabel, "to file", 4, 36);
    targetFileField = MakeField(Arg::TargetFileField, "", 47, 35, 180);

    fileNamesLabel = MakeLabel(Arg::FileNamesLabel, "filename(s)", 3, 17);
    fileNamesField = MakeField(Arg::FileNamesField, "", 47, 16, 180);
    groupNameLabel = MakeLabel(Arg::GroupNameLabel, "groupname", 3, 36);
    groupNameField = MakeField(Arg::GroupNameField, "", 47, 35, 180);
    goBox = MakeCheckBox(Arg::GoBox, "-go", 240, 1);
    goBox->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) { OnGoToggled(); });
    ihBox = MakeCheckBox(Arg::IhBox, "-ih", 240, 13);
    naBox = MakeCheckBox(Arg::NaBox, "-na", 240, 25);
    tBox = MakeCheckBox(Arg::TBox, "-t", 270, 1);
    xBox = MakeCheckBox(Arg::XBox, "-x", 270, 13);

    fileOrMsgIdLabel = MakeLabel(Arg::FileOrMsgIdLabel, "file|Msg-ID \"", 2, 36);
    scoreTestField = MakeField(Arg::ScoreTestField, "", 47, 35, 180);
    scoreViewLabel = MakeLabel(Arg::ScoreViewLabel, "     groups", 4, 36);
    const std::string scoreView =
        ReadRememberedValue(settings, kScoreViewSection, kScoreViewFallback);
    scoreViewField = MakeField(Arg::ScoreViewField, FromUtf8(scoreView), 47, 35, 180);

    regexpLabel = MakeLabel(Arg::RegexpLabel, "regexp   \"", 7, 36);
    commandLabel = MakeLabel(Arg::CommandLabel, "command ", 4, 36);
    infoHint = MakeLabel(Arg::InfoHint, "Strike DoIt to get info about hamster", 4, 36);
    locateLabel = MakeLabel(Arg::LocateLabel, "Msg-ID    \"", 6, 36);
    numberLabel = MakeLabel(Arg::NumberLabel, "[number]", 4, 17);
    numberField = new ValidatedText(this, KindUnsignedLong, "", "", Px(41), Px(16), Px(60), -1,
                                    0, "ntxt", &ValidatedText::OnValidatedTextEvent);
    numberField->SetFont(labelFont_);
    argControls_[static_cast<int>(Arg::NumberField)] = numberField;
    typeGroupLabel = MakeLabel(Arg::TypeGroupLabel, "    group", 4, 36);
    argumentField = MakeField(Arg::ArgumentField, "", 47, 35, 180);

    // Created in list order; Grep and Delete share the first cell until the
    // selection below spreads the buttons over the grid.
    const auto& order = CommandListOrder();
    for (std::size_t i = 0; i < order.size(); ++i) {
        const int command = order[i];
        const DesignPoint cell = GridCell(i == 0 ? 0 : static_cast<int>(i) - 1);
        wxButton* button = MakeButton(FindLayout(command)->name, cell.x, cell.y, 40);
        button->Bind(wxEVT_BUTTON, [this, command](wxCommandEvent&) { SelectCommand(command); });
        commandButtons[command] = button;
    }
    doItButton = MakeButton("Do It", 261, 54, 35);
    doItButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
        if (doItHandler_) doItHandler_();
    });
    doItButton->SetDefault();
    // Return in a text field presses the default button, as in a dialog;
    // GTK leaves that to the field, which does nothing with it.
    Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent& event) {
        const int key = event.GetKeyCode();
        if ((key == WXK_RETURN || key == WXK_NUMPAD_ENTER) && !event.HasAnyModifiers() &&
            dynamic_cast<wxTextCtrl*>(FindFocus()) && IsDescendant(FindFocus()) &&
            doItButton->IsShown()) {
            CallAfter([this] {
                if (doItHandler_) doItHandler_();
            });
            return;
        }
        event.Skip();
    });

    EnableButtons();
    SelectCommand(CmdGrep);
}

// GTK gives a control the size of its text in the form's font only once it
// has styled the control on screen, which it does in its own time after the
// control is shown.  So a change of the shown controls is followed by a few
// fits a moment apart, until a fit finds every size right; then nothing
// more happens until the next change.
namespace {
constexpr int kFitDelayMillis = 30;
constexpr int kMaxFitRounds = 6;
}

void CommandForm::RequestFit() {
    fitRounds_ = 0;
    fitTimer_.StartOnce(kFitDelayMillis);
}

void CommandForm::OnFitTimer(wxTimerEvent&) {
    const bool changed = FitShownControls();
    // The first fit may come before GTK has styled a control it just showed.
    if ((changed || fitRounds_ == 1) && fitRounds_ < kMaxFitRounds)
        fitTimer_.StartOnce(kFitDelayMillis);
}

bool CommandForm::FitShownControls() {
    ++fitRounds_;
    ++fitCount_;
    bool changed = false;
    for (wxWindow* child : GetChildren())
        if (child->IsShown()) changed |= FitToContent(child);
    return changed;
}

FormValues CommandForm::Values() const {
    auto text = [](const wxTextCtrl* field) { return field->GetValue().utf8_string(); };
    FormValues v;
    v.command = currentCommand_;
    v.searchExpr = text(searchExprField);
    v.groupExpr = text(groupExprField);
    v.ignoreCase = ignoreCaseBox->GetValue();
    v.optC = grepOptC->GetValue();
    v.optH = grepOptH->GetValue();
    v.optL = grepOptL->GetValue();
    v.optN = grepOptN->GetValue();
    v.optVa = grepOptVa->GetValue();
    v.optVe = grepOptVe->GetValue();
    v.msgId = text(msgIdField);
    v.sourceGroup = text(sourceGroupField);
    v.targetFile = text(targetFileField);
    v.fileNames = text(fileNamesField);
    v.groupName = text(groupNameField);
    v.go = goBox->GetValue();
    v.ih = ihBox->GetValue();
    v.na = naBox->GetValue();
    v.t = tBox->GetValue();
    v.x = xBox->GetValue();
    v.scoreTest = text(scoreTestField);
    v.scoreView = text(scoreViewField);
    v.argument = text(argumentField);
    v.number = text(numberField);
    return v;
}

void CommandForm::Focus(FocusTarget target) {
    wxWindow* field = nullptr;
    switch (target) {
    case FocusTarget::SearchExpr: field = searchExprField; break;
    case FocusTarget::MsgId: field = msgIdField; break;
    case FocusTarget::SourceGroup: field = sourceGroupField; break;
    case FocusTarget::ScoreView: field = scoreViewField; break;
    case FocusTarget::ScoreTest: field = scoreTestField; break;
    case FocusTarget::Unchanged: break;
    }
    if (field) field->SetFocus();
}

wxStaticText* CommandForm::MakeLabel(Arg role, const wxString& text, int x, int y) {
    auto* label = new wxStaticText(this, wxID_ANY, text, wxPoint(Px(x), Px(y)));
    label->SetFont(labelFont_);
    argControls_[static_cast<int>(role)] = label;
    return label;
}

wxTextCtrl* CommandForm::MakeField(Arg role, const wxString& value, int x, int y, int width) {
    auto* field =
        new wxTextCtrl(this, wxID_ANY, value, wxPoint(Px(x), Px(y)), wxSize(Px(width), -1));
    field->SetFont(labelFont_);
    platform::KeepFirstLineOfPaste(*field);
    argControls_[static_cast<int>(role)] = field;
    return field;
}

wxCheckBox* CommandForm::MakeCheckBox(Arg role, const wxString& text, int x, int y) {
    auto* box = new wxCheckBox(this, wxID_ANY, text, wxPoint(Px(x), Px(y)));
    box->SetFont(labelFont_);
    argControls_[static_cast<int>(role)] = box;
    return box;
}

wxRadioButton* CommandForm::MakeRadio(Arg role, const wxString& text, int x, int y,
                                      bool first) {
    auto* radio = new wxRadioButton(this, wxID_ANY, text, wxPoint(Px(x), Px(y)), wxDefaultSize,
                                    first ? wxRB_GROUP : 0);
    radio->SetFont(labelFont_);
    argControls_[static_cast<int>(role)] = radio;
    return radio;
}

wxButton* CommandForm::MakeButton(const wxString& text, int x, int y, int width) {
    // Exact fit only stops the toolkit from asking for its usual 80-pixel
    // minimum, which no button of the grid can have; the width is given.
    auto* button = new wxButton(this, wxID_ANY, text, wxPoint(Px(x), Px(y)),
                                wxSize(Px(width), -1), wxBU_EXACTFIT);
    button->SetFont(buttonFont_);
    return button;
}

void CommandForm::EnableButtons() {
    for (int command : {CmdGrep, CmdDelete, CmdExport, CmdImport, CmdScoreview, CmdScoretest})
        commandButtons[command]->Enable();
    doItButton->Enable();
}

void CommandForm::SelectCommand(int command) {
    const CommandLayout* layout = FindLayout(command);
    if (layout == nullptr) return;

    headingLabel->SetLabel(layout->name);
    // The label was made for one blank; without this it may keep an older
    // width and show only the first letters of the name.
    FitToContent(headingLabel);

    currentCommand_ = layout->number;

    commandButtons[command]->Hide();
    const std::vector<int> grid = GridOrder(command);
    for (std::size_t cell = 0; cell < grid.size(); ++cell) {
        const DesignPoint at = GridCell(static_cast<int>(cell));
        wxButton* button = commandButtons[grid[cell]];
        button->Move(Px(at.x), Px(at.y));
        button->Show();
    }

    SetStatus(0, wxEmptyString);
    SetStatus(1, wxEmptyString);
    doItButton->Hide();
    for (wxWindow* control : argControls_) control->Hide();

    for (Arg role : layout->shown) ArgControl(role)->Show();
    doItButton->Show();

    if (layout->focusOnDoIt)
        doItButton->SetFocus();
    else
        ArgControl(layout->focus)->SetFocus();
    RequestFit();
}

void CommandForm::OnGoToggled() {
    const bool ticked = goBox->GetValue();
    groupNameField->Show(ticked);
    groupNameLabel->Show(ticked);
    fileNamesField->Show();
    if (ticked)
        groupNameField->SetFocus();
    else
        fileNamesField->SetFocus();
    RequestFit();
}

}  // namespace quillet
