#include <cstdio>
#include <string>
#include <vector>

#include <wx/app.h>

#include "app/command_args.h"
#include "app/main_app.h"
#include "platform/environment.h"

wxIMPLEMENT_APP_NO_MAIN(quillet::MainApp);

int main(int argc, char** argv) {
    const std::vector<std::string> args = quillet::platform::CommandArguments(argc, argv);
    const quillet::CommandArgsOutcome outcome =
        quillet::HandleCommandArgs(args, quillet::platform::ChangeDirectory);
    std::fputs(outcome.out.c_str(), stdout);
    std::fputs(outcome.err.c_str(), stderr);
    if (!outcome.start) return outcome.exitStatus;

    // The toolkit sees only the program name: every argument was ours.
    char* toolkitArgv[] = {argc > 0 ? argv[0] : const_cast<char*>("quillet"), nullptr};
    int toolkitArgc = 1;
    int status = wxEntry(toolkitArgc, toolkitArgv);
    if (quillet::MainApp::StartupFailed()) return 1;
    return status;
}
