#pragma once
// The upper part of the main window: every control of all eleven commands,
// made once; selecting a command only moves, shows and hides them, so a
// hidden control keeps its value.
#include <array>
#include <functional>

#include <wx/font.h>
#include <wx/panel.h>
#include <wx/timer.h>

#include "exec/command_line.h"
#include "form/command_table.h"

class wxButton;
class wxCheckBox;
class wxRadioButton;
class wxStaticText;
class wxTextCtrl;

namespace quillet {

class ValidatedText;

class CommandForm : public wxPanel {
public:
    CommandForm(wxWindow* parent, int x, int y, int width, int height, long style,
                const wxString& name);

    // Makes `command` (1..11) the current one and shows its controls only.
    void SelectCommand(int command);
    void EnableButtons();

    // The controls' values, for the command line of the current command.
    FormValues Values() const;
    int CurrentCommand() const { return currentCommand_; }
    // Gives the keyboard focus to the field a composed line asks for.
    void Focus(FocusTarget target);

    // How often the shown controls were fitted to their text; fitting must
    // happen only when something changed, never while the form sits idle.
    long FitCount() const { return fitCount_; }

    // What Do It runs; nothing until the program sets it.
    void SetDoItHandler(std::function<void()> handler) { doItHandler_ = std::move(handler); }

    // The argument control of a role, for code that walks the command table.
    wxWindow* ArgControl(Arg role) const { return argControls_[static_cast<int>(role)]; }

    wxStaticText* headingLabel = nullptr;

    wxStaticText* searchLabel = nullptr;
    wxStaticText* groupsLabel = nullptr;
    wxTextCtrl* searchExprField = nullptr;
    wxTextCtrl* groupExprField = nullptr;
    wxStaticText* upperQuote = nullptr;
    wxStaticText* lowerQuote = nullptr;

    wxCheckBox* ignoreCaseBox = nullptr;
    wxRadioButton* grepOptC = nullptr;
    wxRadioButton* grepOptH = nullptr;
    wxRadioButton* grepOptL = nullptr;
    wxRadioButton* grepOptN = nullptr;
    wxRadioButton* grepOptVa = nullptr;
    wxRadioButton* grepOptVe = nullptr;
    wxRadioButton* grepOptNone = nullptr;

    wxStaticText* msgIdLabel = nullptr;
    wxTextCtrl* msgIdField = nullptr;
    wxStaticText* fromGroupLabel = nullptr;
    wxTextCtrl* sourceGroupField = nullptr;
    wxStaticText* toFileLabel = nullptr;
    wxTextCtrl* targetFileField = nullptr;

    wxStaticText* fileNamesLabel = nullptr;
    wxTextCtrl* fileNamesField = nullptr;
    wxStaticText* groupNameLabel = nullptr;
    wxTextCtrl* groupNameField = nullptr;
    wxCheckBox* goBox = nullptr;
    wxCheckBox* ihBox = nullptr;
    wxCheckBox* naBox = nullptr;
    wxCheckBox* tBox = nullptr;
    wxCheckBox* xBox = nullptr;

    wxStaticText* fileOrMsgIdLabel = nullptr;
    wxTextCtrl* scoreTestField = nullptr;
    wxStaticText* scoreViewLabel = nullptr;
    wxTextCtrl* scoreViewField = nullptr;

    wxStaticText* regexpLabel = nullptr;
    wxStaticText* commandLabel = nullptr;
    wxStaticText* infoHint = nullptr;
    wxStaticText* locateLabel = nullptr;
    wxStaticText* numberLabel = nullptr;
    ValidatedText* numberField = nullptr;
    wxStaticText* typeGroupLabel = nullptr;
    wxTextCtrl* argumentField = nullptr;

    // Indexed by command number; element 0 stays null.
    std::array<wxButton*, kCommandCount + 1> commandButtons{};
    wxButton* doItButton = nullptr;

private:
    wxStaticText* MakeLabel(Arg role, const wxString& text, int x, int y);
    wxTextCtrl* MakeField(Arg role, const wxString& value, int x, int y, int width);
    wxCheckBox* MakeCheckBox(Arg role, const wxString& text, int x, int y);
    wxRadioButton* MakeRadio(Arg role, const wxString& text, int x, int y, bool first);
    wxButton* MakeButton(const wxString& text, int x, int y, int width);
    void OnGoToggled();
    void RequestFit();
    bool FitShownControls();
    void OnFitTimer(wxTimerEvent&);

    std::array<wxWindow*, kArgCount> argControls_{};
    wxFont labelFont_;
    wxFont buttonFont_;
    std::function<void()> doItHandler_;
    wxTimer fitTimer_;
    int fitRounds_ = 0;
    long fitCount_ = 0;
    int currentCommand_ = 0;
};

}  // namespace quillet
