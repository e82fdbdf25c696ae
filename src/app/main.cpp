#include <wx/app.h>
#include <wx/frame.h>
class PlaceholderApp : public wxApp {
    bool OnInit() override { (new wxFrame(nullptr, wxID_ANY, "Quillet "))->Show(); return true; }
};
wxIMPLEMENT_APP(PlaceholderApp);
