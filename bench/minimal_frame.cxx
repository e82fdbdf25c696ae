// The toolkit's smallest program with a window: the yardstick the start-up
// benchmark measures Quillet against (startup_bench.sh builds it).
#include <wx/app.h>
#include <wx/frame.h>

class MinimalApp : public wxApp {
public:
    bool OnInit() override {
        (new wxFrame(nullptr, wxID_ANY, "Minimal frame", wxDefaultPosition, wxSize(400, 520)))->Show();
        return true;
    }
};

wxIMPLEMENT_APP(MinimalApp);
