// Test main for the GUI tests: reads the display from the Xvfb fixture's
// state file, starts a real wx application, then runs the tests in it.
#include "gui_support.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include <gtest/gtest.h>
#include <wx/init.h>
#include <wx/utils.h>


namespace {

class GuiTestApp : public wxApp {
public:
    bool OnInit() override { return true; }
};

// A failed toolkit assertion would open a modal box and hang the run; it
// fails the test instead.
void FailOnAssert(const wxString& file, int line, const wxString& func, const wxString& cond,
                  const wxString& msg) {
    ADD_FAILURE_AT(file.utf8_string().c_str(), line)
        << "wx assertion " << cond.utf8_string() << " in " << func.utf8_string() << ": "
        << msg.utf8_string();
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        const char* prefix = "--quillet-display=";
        if (std::strncmp(argv[i], prefix, std::strlen(prefix)) == 0) {
            std::ifstream state(argv[i] + std::strlen(prefix));
            std::string display;
            if (!(state >> display)) {
                std::fprintf(stderr, "no display in %s\n", argv[i]);
                return 1;
            }
            wxSetEnv("DISPLAY", display);
        }
    }
    if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();

    wxSetAssertHandler(FailOnAssert);
    wxApp::SetInstance(new GuiTestApp);
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
        std::fprintf(stderr, "cannot start the GUI (DISPLAY=%s)\n",
                     std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "");
        return 1;
    }
    int result = RUN_ALL_TESTS();
    wxTheApp->OnExit();
    wxEntryCleanup();
    return result;
}
