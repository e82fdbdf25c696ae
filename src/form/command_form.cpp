#include "form/command_form.h"

#include <algorithm>

#include <wx/button.h>
#include <wx/log.h>
#include <wx/checkbox.h>
#include <wx/radiobut.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "fields/validated_text.h"
#include "form/compact_style.h"
#include "form/remembered_values.h"
#include "form/scale.h"
#include "platform/text_control.h"
#include "platform/trace.h"

namespace quillet {

namespace {

enum class ControlKind { Label, Field, Number, Box, Radio };

// Every argument control, in the order of the roles: what it is, its text,
// where it stands (design units), the name its value goes by, and for the
// three fields that outlive a run, their section in the settings file.
struct ControlRow {
    Arg role;
    ControlKind kind;
    const char* text;
    int x, y;
    int width = 0;               // fields only; the others take their text's
    const char* value = nullptr; // none: the control only shows
    const char* remembered = nullptr;
    const char* fallback = nullptr;
};

// The buttons' places and widths in design units.
constexpr int kCommandButtonWidth = 40;
constexpr DesignPoint kDoItAt{261, 54};
constexpr int kDoItWidth = 35;

const ControlRow kControls[] = {
    {Arg::SearchLabel, ControlKind::Label, "search for \"", 3, 17},
    {Arg::UpperQuote, ControlKind::Label, "\"", 229, 17},
    {Arg::SearchExprField, ControlKind::Field, "", 47, 16, 180, "searchExpr", kSearchExprSection,
     kSearchExprFallback},
    {Arg::GroupsLabel, ControlKind::Label, "in groups \"", 4, 35},
    {Arg::LowerQuote, ControlKind::Label, "\"", 229, 35},
    {Arg::GroupExprField, ControlKind::Field, "", 47, 35, 180, "groupExpr", kGroupExprSection,
     kGroupExprFallback},
    {Arg::IgnoreCaseBox, ControlKind::Box, "-i", 210, 1, 0, "-i"},
    {Arg::GrepOptC, ControlKind::Radio, "-c", 240, 1, 0, "-c"},
    {Arg::GrepOptL, ControlKind::Radio, "-l", 240, 13, 0, "-l"},
    {Arg::GrepOptVa, ControlKind::Radio, "-va", 240, 25, 0, "-va"},
    {Arg::GrepOptH, ControlKind::Radio, "-h", 270, 1, 0, "-h"},
    {Arg::GrepOptN, ControlKind::Radio, "-n", 270, 13, 0, "-n"},
    {Arg::GrepOptVe, ControlKind::Radio, "-ve", 270, 25, 0, "-ve"},
    {Arg::GrepOptNone, ControlKind::Radio, "none", 240, 37},
    {Arg::MsgIdLabel, ControlKind::Label, "Msg-ID     \"", 4, 36},
    {Arg::MsgIdField, ControlKind::Field, "", 47, 35, 180, "msgId"},
    {Arg::FromGroupLabel, ControlKind::Label, "from group", 4, 17},
    {Arg::SourceGroupField, ControlKind::Field, "", 47, 16, 180, "sourceGroup"},
    {Arg::ToFileLabel, ControlKind::Label, "to file", 4, 36},
    {Arg::TargetFileField, ControlKind::Field, "", 47, 35, 180, "targetFile"},
    {Arg::FileNamesLabel, ControlKind::Label, "filename(s)", 3, 17},
    {Arg::FileNamesField, ControlKind::Field, "", 47, 16, 180, "fileNames"},
    {Arg::GroupNameLabel, ControlKind::Label, "groupname", 3, 36},
    {Arg::GroupNameField, ControlKind::Field, "", 47, 35, 180, "groupName"},
    {Arg::GoBox, ControlKind::Box, "-go", 240, 1, 0, "-go"},
    {Arg::IhBox, ControlKind::Box, "-ih", 240, 13, 0, "-ih"},
    {Arg::NaBox, ControlKind::Box, "-na", 240, 25, 0, "-na"},
    {Arg::TBox, ControlKind::Box, "-t", 270, 1, 0, "-t"},
    {Arg::XBox, ControlKind::Box, "-x", 270, 13, 0, "-x"},
    {Arg::FileOrMsgIdLabel, ControlKind::Label, "file|Msg-ID \"", 2, 36},
    {Arg::ScoreTestField, ControlKind::Field, "", 47, 35, 180, "scoreTest"},
    {Arg::ScoreViewLabel, ControlKind::Label, "     groups", 4, 36},
    {Arg::ScoreViewField, ControlKind::Field, "", 47, 35, 180, "scoreView", kScoreViewSection,
     kScoreViewFallback},
    {Arg::RegexpLabel, ControlKind::Label, "regexp   \"", 7, 36},
    {Arg::CommandLabel, ControlKind::Label, "command ", 4, 36},
    {Arg::InfoHint, ControlKind::Label, "Strike DoIt to get info about hamster", 4, 36},
    {Arg::LocateLabel, ControlKind::Label, "Msg-ID    \"", 6, 36},
    {Arg::NumberLabel, ControlKind::Label, "[number]", 4, 17},
    {Arg::NumberField, ControlKind::Number, "", 41, 16, 60, "number"},
    {Arg::TypeGroupLabel, ControlKind::Label, "    group", 4, 36},
    {Arg::ArgumentField, ControlKind::Field, "", 47, 35, 180, "argument"},
};
static_assert(std::size(kControls) == kArgCount, "one row for every role");

// The form's fonts at the point size the form's places can hold.
wxFont FormFont(wxFont font, int scaleBase) {
    if (!font.IsOk()) font = *wxNORMAL_FONT;
    font.SetFractionalPointSize(FormTextPointSize(scaleBase));
    return font;
}

}  // namespace

CommandForm::CommandForm(wxWindow* parent, const FormLook& look, const std::string& settingsPath,
                         int width, int height)
    : wxPanel(parent, wxID_ANY, wxPoint(0, 0), wxSize(width, height), wxBORDER_SIMPLE, "panel"),
      scaleBase_(look.scaleBase),
      dpi_(FromDIP(96)),
      labelFont_(FormFont(look.label, look.scaleBase)),
      buttonFont_(FormFont(look.button, look.scaleBase)),
      fitTimer_(this) {
    Bind(wxEVT_TIMER, &CommandForm::OnFitTimer, this);
    Bind(wxEVT_DPI_CHANGED, &CommandForm::OnDpiChanged, this);

    heading_ = new wxStaticText(this, wxID_ANY, " ", wxPoint(Px(4), Px(1)));
    if (look.heading.IsOk()) heading_->SetFont(look.heading);

    for (const ControlRow& row : kControls)
        if (row.remembered)
            rememberedTexts_[static_cast<int>(row.role)] =
                wxString::FromUTF8(ReadRememberedValue(settingsPath, row.remembered, row.fallback));
    // The first command's controls now, so that its radio buttons are made
    // in a row and make one group; the rest when a command shows them.
    for (Arg role : FindLayout(CmdGrep)->shown) MakeArgControl(role);
    static_cast<wxRadioButton*>(ArgControl(Arg::GrepOptNone))->SetValue(true);

    // Created in list order; Grep and Delete share the first cell until the
    // selection below spreads the buttons over the grid.
    const auto& order = CommandListOrder();
    for (std::size_t i = 0; i < order.size(); ++i) {
        const int command = order[i];
        const DesignPoint cell = GridCell(i == 0 ? 0 : static_cast<int>(i) - 1);
        wxButton* button = MakeButton(FindLayout(command)->name, cell.x, cell.y, kCommandButtonWidth);
        button->Bind(wxEVT_BUTTON, [this, command](wxCommandEvent&) { SelectCommand(command); });
        commandButtons_[command] = button;
    }
    doItButton_ = MakeButton("Do It", kDoItAt.x, kDoItAt.y, kDoItWidth);
    doItButton_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
        if (doItHandler_) doItHandler_();
    });
    doItButton_->SetDefault();
    // Return in a text field presses the default button, as in a dialog;
    // GTK leaves that to the field, which does nothing with it.
    Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent& event) {
        const int key = event.GetKeyCode();
        if ((key == WXK_RETURN || key == WXK_NUMPAD_ENTER) && !event.HasAnyModifiers() &&
            dynamic_cast<wxTextCtrl*>(FindFocus()) && IsDescendant(FindFocus()) &&
            doItButton_->IsShown()) {
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

wxWindow* CommandForm::ArgControl(Arg role) const {
    wxWindow* control = argControls_[static_cast<int>(role)];
    return control ? control : const_cast<CommandForm*>(this)->MakeArgControl(role);
}

wxWindow* CommandForm::MakeArgControl(Arg role) {
    const int index = static_cast<int>(role);
    if (argControls_[index]) return argControls_[index];
    const ControlRow& row = kControls[index];
    const wxPoint at(Px(row.x), Px(row.y));
    wxWindow* control = nullptr;
    switch (row.kind) {
    case ControlKind::Label:
        control = new wxStaticText(this, wxID_ANY, row.text, at);
        break;
    case ControlKind::Field: {
        auto* field = new wxTextCtrl(this, wxID_ANY, rememberedTexts_[index], at, wxSize(Px(row.width), -1));
        platform::KeepFirstLineOfPaste(*field);
        platform::SayWhenInsertionCut(*field, [this] {
            if (textCutHandler_) textCutHandler_();
        });
        control = field;
        break;
    }
    case ControlKind::Number:
        control = new ValidatedText(this, KindUnsignedLong, "", "", at.x, at.y, Px(row.width), -1, 0,
                                    "ntxt", &ValidatedText::OnValidatedTextEvent);
        break;
    case ControlKind::Box:
        control = new wxCheckBox(this, wxID_ANY, row.text, at);
        break;
    case ControlKind::Radio:
        // The grep options are one group, the first of them opening it.
        control = new wxRadioButton(this, wxID_ANY, row.text, at, wxDefaultSize,
                                    row.role == Arg::GrepOptC ? wxRB_GROUP : 0);
        break;
    }
    // Made hidden, as every control stands until a command shows it.
    control->Hide();
    control->SetFont(labelFont_);
    if (role == Arg::GoBox)
        control->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) { OnGoToggled(); });
    // Tab goes through the controls in list order, whenever each was made.
    wxWindow* before = heading_;
    for (int i = index - 1; i >= 0; --i)
        if (argControls_[i]) {
            before = argControls_[i];
            break;
        }
    control->MoveAfterInTabOrder(before);
    argControls_[index] = control;
    return control;
}

// Where the system scales the display, points already grow with it and the
// layout's pixels grow to match; elsewhere this is the layout.
int CommandForm::Px(int designUnits) const { return AtDpi(Scaled(designUnits, scaleBase_), dpi_); }

// Moved to a display of another scale, the toolkit has redrawn the fonts at
// that scale; the places follow them, from the same table.
void CommandForm::OnDpiChanged(wxDPIChangedEvent& event) {
    event.Skip();
    dpi_ = event.ScaleY(dpi_);
    PlaceControls();
    FitShownControls();
    RequestFit();
}

void CommandForm::PlaceControls() {
    heading_->Move(Px(4), Px(1));
    for (int i = 0; i < kArgCount; ++i) {
        wxWindow* control = argControls_[i];
        if (control == nullptr) continue;
        control->Move(Px(kControls[i].x), Px(kControls[i].y));
        if (kControls[i].width > 0) control->SetSize(Px(kControls[i].width), -1);
    }
    for (wxButton* button : commandButtons_)
        if (button) button->SetSize(Px(kCommandButtonWidth), -1);
    PlaceCommandButtons();
    doItButton_->SetSize(Px(kDoItAt.x), Px(kDoItAt.y), Px(kDoItWidth), -1);
}

void CommandForm::PlaceCommandButtons() {
    const std::vector<int> grid = GridOrder(currentCommand_);
    for (std::size_t cell = 0; cell < grid.size(); ++cell) {
        const DesignPoint at = GridCell(static_cast<int>(cell));
        commandButtons_[grid[cell]]->Move(Px(at.x), Px(at.y));
    }
}

// Text fields keep their given widths and scroll.  A button is as wide as
// given unless its text needs more.  A label takes the room up to what
// follows it on its line: a closing parenthesis or quote may be drawn a
// pixel past the width measured for the text, and a label exactly that wide
// cuts that pixel off.  The heading, check boxes and radio buttons take what
// their text needs (a heading as wide as the top row took the clicks of the
// check box beside it under Wine).
bool CommandForm::FitToContent(wxWindow* control) const {
    control->InvalidateBestSize();
    const wxSize best = control->GetBestSize();
    wxSize size = best;
    if (dynamic_cast<wxTextCtrl*>(control))
        size.x = control->GetSize().x;
    else if (dynamic_cast<wxButton*>(control))
        size.x = std::max(best.x, Px(control == doItButton_ ? kDoItWidth : kCommandButtonWidth));
    else if (control != heading_ && dynamic_cast<wxStaticText*>(control))
        size.x = std::max(best.x, RoomRightOf(control, best.y));
    if (size == control->GetSize()) return false;
    control->SetSize(size);
    return true;
}

int CommandForm::RoomRightOf(const wxWindow* label, int height) const {
    const wxPoint at = label->GetPosition();
    int edge = GetClientSize().x;
    for (const wxWindow* other : GetChildren()) {
        const wxRect rect = other->GetRect();
        if (other != label && other->IsShown() && rect.x > at.x && rect.y < at.y + height &&
            at.y < rect.y + rect.height)
            edge = std::min(edge, rect.x);
    }
    return edge - at.x;
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

std::map<std::string, std::string> CommandForm::Values() const {
    std::map<std::string, std::string> values;
    if (const CommandLayout* layout = FindLayout(currentCommand_))
        values["command"] = layout->verb;
    for (const ControlRow& row : kControls) {
        if (row.value == nullptr) continue;
        const wxWindow* control = argControls_[static_cast<int>(row.role)];
        std::string& value = values[row.value];
        if (control == nullptr)  // never shown: what it would hold when made
            value = rememberedTexts_[static_cast<int>(row.role)].utf8_string();
        if (auto* text = dynamic_cast<const wxTextCtrl*>(control))
            value = text->GetValue().utf8_string();
        else if (auto* box = dynamic_cast<const wxCheckBox*>(control))
            value = box->GetValue() ? "1" : "";
        else if (auto* radio = dynamic_cast<const wxRadioButton*>(control))
            value = radio->GetValue() ? "1" : "";
    }
    return values;
}

void CommandForm::Focus(const std::string& valueName) {
    for (const ControlRow& row : kControls)
        if (row.value != nullptr && valueName == row.value) ArgControl(row.role)->SetFocus();
}

void CommandForm::SaveRemembered(const std::string& settingsPath) const {
    // Written as they stand, empty texts included.
    for (const ControlRow& row : kControls)
        if (row.remembered != nullptr &&
            !WriteRememberedValue(settingsPath, row.remembered,
                                  RememberedText(row.role)))
            wxLogTrace(platform::kTraceSettings, "[%s] not remembered", row.remembered);
}

std::string CommandForm::RememberedText(Arg role) const {
    const wxWindow* control = argControls_[static_cast<int>(role)];
    const wxString& text = control ? static_cast<const wxTextCtrl*>(control)->GetValue()
                                   : rememberedTexts_[static_cast<int>(role)];
    return text.utf8_string();
}

wxTextCtrl* CommandForm::Field(Arg role) const {
    return dynamic_cast<wxTextCtrl*>(ArgControl(role));
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
        commandButtons_[command]->Enable();
    doItButton_->Enable();
}

void CommandForm::SelectCommand(int command) {
    const CommandLayout* layout = FindLayout(command);
    if (layout == nullptr) return;

    heading_->SetLabel(layout->name);
    // The label was made for one blank; without this it may keep an older
    // width and show only the first letters of the name.
    FitToContent(heading_);

    currentCommand_ = layout->number;

    commandButtons_[command]->Hide();
    PlaceCommandButtons();
    for (int other : GridOrder(command)) commandButtons_[other]->Show();

    if (commandSelectedHandler_) commandSelectedHandler_();
    doItButton_->Hide();
    for (wxWindow* control : argControls_)
        if (control) control->Hide();

    for (Arg role : layout->shown) ArgControl(role)->Show();
    doItButton_->Show();

    if (layout->focusOnDoIt)
        doItButton_->SetFocus();
    else
        ArgControl(layout->focus)->SetFocus();
    RequestFit();
}

void CommandForm::OnGoToggled() {
    const bool ticked = static_cast<wxCheckBox*>(ArgControl(Arg::GoBox))->GetValue();
    ArgControl(Arg::GroupNameField)->Show(ticked);
    ArgControl(Arg::GroupNameLabel)->Show(ticked);
    ArgControl(Arg::FileNamesField)->Show();
    ArgControl(ticked ? Arg::GroupNameField : Arg::FileNamesField)->SetFocus();
    RequestFit();
}

}  // namespace quillet
