#include <wx/app.h>

#include "app/main_app.h"

wxIMPLEMENT_APP_NO_MAIN(quillet::MainApp);

int main(int argc, char** argv) {
    int status = wxEntry(argc, argv);
    if (quillet::MainApp::StartupFailed()) return 1;
    return status;
}
