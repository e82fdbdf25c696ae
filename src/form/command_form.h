#pragma once
// The upper part of the main window: every control of all eleven commands,
// made once; selecting a command only moves, shows and hides them, so a
// hidden control keeps its value.
#include <array>
#include <functional>
#include <map>
#include <string>

#include <wx/font.h>
#include <wx/panel.h>
#include <wx/timer.h>

#include "form/command_table.h"

class wxButton;
class wxDPIChangedEvent;
class wxStaticText;
class wxTextCtrl;

namespace quillet {

// How the form looks: the scale its design units are drawn at and its fonts.
struct FormLook {
    int scaleBase = 1024;
    wxFont label;    // labels, fields, boxes; drawn at FormTextPointSize
    wxFont button;   // command buttons and Do It; likewise
    wxFont heading;  // the current command's name, as given
};

class CommandForm : public wxPanel {
public:
    // The remembered fields start with what settingsPath holds for them.
    CommandForm(wxWindow* parent, const FormLook& look, const std::string& settingsPath,
                int width, int height);

    // Makes `command` (1..11) the current one and shows its controls only.
    void SelectCommand(int command);
    void EnableButtons();

    // The controls' values under the names the command line is composed
    // from, and the current command's verb under "command".
    std::map<std::string, std::string> Values() const;
    int CurrentCommand() const { return currentCommand_; }
    // Gives the keyboard focus to the field of the named value; an empty or
    // unknown name leaves the focus where it is.
    void Focus(const std::string& valueName);
    // Writes the remembered fields to the settings file as they stand.
    void SaveRemembered(const std::string& settingsPath) const;

    // How often the shown controls were fitted to their text; fitting must
    // happen only when something changed, never while the form sits idle.
    long FitCount() const { return fitCount_; }

    // What Do It runs, and what selecting a command runs besides; nothing
    // until the program sets them.
    void SetDoItHandler(std::function<void()> handler) { doItHandler_ = std::move(handler); }
    void SetCommandSelectedHandler(std::function<void()> handler) {
        commandSelectedHandler_ = std::move(handler);
    }
    // What runs when a text field keeps less of a paste than it was given.
    void SetTextCutHandler(std::function<void()> handler) { textCutHandler_ = std::move(handler); }

    // The control of a role, for code that walks the command table; made
    // the first time it is asked for.
    wxWindow* ArgControl(Arg role) const;
    // A text field's control, for code that types into it.
    wxTextCtrl* Field(Arg role) const;
    wxButton* CommandButton(int command) const { return commandButtons_.at(command); }
    wxButton* DoItButton() const { return doItButton_; }
    wxStaticText* Heading() const { return heading_; }

private:
    // Design units in pixels at the form's scale.
    int Px(int designUnits) const;
    wxButton* MakeButton(const wxString& text, int x, int y, int width);
    // Puts the command buttons into the grid cells of the current command.
    void PlaceCommandButtons();
    // Every control made so far back at its place at the current scale.
    void PlaceControls();
    void OnDpiChanged(wxDPIChangedEvent& event);
    bool FitToContent(wxWindow* control) const;
    // How far a label's text may reach: to the next shown control on its
    // line, or to the form's edge.
    int RoomRightOf(const wxWindow* label, int height) const;
    wxWindow* MakeArgControl(Arg role);
    std::string RememberedText(Arg role) const;
    void OnGoToggled();
    void RequestFit();
    bool FitShownControls();
    void OnFitTimer(wxTimerEvent&);

    int scaleBase_;
    // The dots per inch the layout's pixels are drawn at: 96 draws them as
    // they are; where the system leaves the display's scale to the program,
    // the scale of the display the form is on.
    int dpi_;
    wxFont labelFont_;
    wxFont buttonFont_;
    // A control is made when a command first shows it (or code asks for
    // it): most are never shown in a session, and each costs the start.
    mutable std::array<wxWindow*, kArgCount> argControls_{};
    // The remembered fields' texts as the settings held them at the start.
    std::array<wxString, kArgCount> rememberedTexts_;
    // Indexed by command number; element 0 stays null.
    std::array<wxButton*, kCommandCount + 1> commandButtons_{};
    wxButton* doItButton_ = nullptr;
    wxStaticText* heading_ = nullptr;
    std::function<void()> doItHandler_;
    std::function<void()> commandSelectedHandler_;
    std::function<void()> textCutHandler_;
    wxTimer fitTimer_;
    int fitRounds_ = 0;
    long fitCount_ = 0;
    int currentCommand_ = 0;
};

}  // namespace quillet
