#pragma once
#include <string>

#include <wx/app.h>

namespace quillet {

class MainFrame;

// Start-up once the toolkit is up, for the program, its GUI tests and its
// benchmarks alike: reads the setup from dir's settings file (telling the
// user and giving nothing when it names no HamDir), starts the server, sees
// that commands end with the program, and builds and shows the main window.
MainFrame* StartUp(const std::string& dir);

struct Setup;
// The same from a setup already read, for a benchmark that shortens the
// sleep after the start.
MainFrame* StartUp(const Setup& setup);

class MainApp : public wxApp {
public:
    bool OnInit() override;
    // Whether start-up refused to go on (no HamDir); the program then ends
    // with exit status 1.
    static bool StartupFailed();
};

}  // namespace quillet
