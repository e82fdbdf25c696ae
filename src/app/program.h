#pragma once
// The few program-wide values, each set once where the program starts (or,
// for the current command, by command selection) and read everywhere else.
#include <string>

class wxFont;
class wxString;

namespace quillet {

class MainFrame;
class CommandForm;
class OutputPane;

struct Program {
    int scaleBase = 1024;          // screen width, at least 1024
    int waitForSys = 1;            // seconds to sleep after starting the tool; never 0
    std::string startupDir;        // the working directory at start-up
    std::string settingsPath;      // startupDir + "/quillet.ini"
    std::string hamDir;            // directory of hamster.exe and ham.exe
    std::string wine;              // the Wine the user named; empty: the one on PATH

    wxFont* formLabelFont = nullptr;
    wxFont* formButtonFont = nullptr;
    wxFont* headingFont = nullptr;
    wxFont* paneFont = nullptr;

    MainFrame* mainFrame = nullptr;
    CommandForm* commandForm = nullptr;
    OutputPane* outputPane = nullptr;

    bool initialized = false;      // start-up has finished; size events lay out
};

Program& TheProgram();

// Sets a field of the main window's status bar; does nothing before the
// main window exists.
void SetStatus(int field, const wxString& text);

// Design units in pixels at the program's scale base.
int Px(int designUnits);

}  // namespace quillet
