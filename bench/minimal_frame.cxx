// The toolkit's smallest program with a window: the yardstick the start-up
// benchmark measures Quillet against (startup_bench.sh builds it).
// With --controls it also makes the kinds and numbers of windows Quillet
// shows at start, in the toolkit's own fonts and with no work of ours: what
// the toolkit alone needs for that window, the floor under Quillet's start.
#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/radiobut.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace {
void MakeControls(wxFrame* frame) {
    auto* file = new wxMenu;
    for (const char* item : {"&Open...", "Save output as...", "E&xit"}) file->Append(wxID_ANY, item);
    auto* edit = new wxMenu;
    for (const char* item : {"Copy", "Select All", "Find...", "Find Next", "Find Previous"})
        edit->Append(wxID_ANY, item);
    auto* help = new wxMenu;
    for (const char* item : {"&About", "&History"}) help->Append(wxID_ANY, item);
    auto* bar = new wxMenuBar;
    bar->Append(file, "&File");
    bar->Append(edit, "&Edit");
    bar->Append(help, "&Help");
    frame->SetMenuBar(bar);
    frame->CreateStatusBar(2);

    // The first command's form: a heading, four labels, two fields, a box,
    // seven radio buttons, and the twelve buttons of the grid and "Do It".
    auto* form = new wxPanel(frame, wxID_ANY, wxPoint(0, 0), wxSize(400, 156), wxBORDER_SIMPLE);
    new wxStaticText(form, wxID_ANY, "Grep", wxPoint(6, 2));
    for (int i = 0; i < 4; ++i) new wxStaticText(form, wxID_ANY, "label \"", wxPoint(5 + 370 * (i % 2), 28 + 30 * (i / 2)));
    for (int i = 0; i < 2; ++i) new wxTextCtrl(form, wxID_ANY, "text", wxPoint(78, 26 + 30 * i), wxSize(300, -1));
    new wxCheckBox(form, wxID_ANY, "-i", wxPoint(350, 2));
    for (int i = 0; i < 7; ++i)
        new wxRadioButton(form, wxID_ANY, "-c", wxPoint(400 + 50 * (i % 2), 2 + 20 * (i / 2)), wxDefaultSize,
                          i == 0 ? wxRB_GROUP : 0);
    for (int i = 0; i < 12; ++i)
        new wxButton(form, wxID_ANY, "Command", wxPoint(5 + 70 * (i % 6), 90 + 30 * (i / 6)), wxSize(66, -1),
                     wxBU_EXACTFIT);

    new wxTextCtrl(frame, wxID_ANY, "starting.", wxPoint(0, 156), wxSize(400, 440),
                   wxTE_MULTILINE | wxTE_READONLY | wxTE_RICH2 | wxHSCROLL);
    // The find bar, made hidden.
    auto* find = new wxPanel(frame, wxID_ANY);
    new wxTextCtrl(find, wxID_ANY, "");
    new wxCheckBox(find, wxID_ANY, "Match case");
    new wxStaticText(find, wxID_ANY, "");
    new wxButton(find, wxID_ANY, "Close", wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
    find->Hide();
}
}  // namespace

class MinimalApp : public wxApp {
public:
    bool OnInit() override {
        const bool controls = argc > 1 && argv[1] == "--controls";
        auto* frame = new wxFrame(nullptr, wxID_ANY, controls ? "Minimal frame with controls" : "Minimal frame",
                                  wxDefaultPosition, wxSize(400, 520));
        if (controls) MakeControls(frame);
        frame->Show();
        return true;
    }
};

wxIMPLEMENT_APP(MinimalApp);
