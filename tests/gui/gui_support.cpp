#include "gui_support.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <wx/bitmap.h>
#include <wx/clipbrd.h>
#include <wx/dcmemory.h>
#include <wx/image.h>
#include <wx/apptrait.h>
#include <wx/evtloop.h>
#include <wx/utils.h>
#include <wx/statusbr.h>

#include "app/main_app.h"

namespace quillet::testing {

// How far text drawn in the control's font reaches right of the extent the
// toolkit measures for it: a glyph may draw a pixel past its advance, which
// a control exactly as wide as the extent cuts off.
namespace {
int InkPastExtent(wxWindow* control, const wxString& text) {
    const wxSize extent = control->GetTextExtent(text);
    const int margin = extent.y;
    wxBitmap bitmap(extent.x + 2 * margin, extent.y + 2);
    {
        wxMemoryDC dc(bitmap);
        dc.SetFont(control->GetFont());
        dc.SetBackground(*wxWHITE_BRUSH);
        dc.Clear();
        dc.SetTextForeground(*wxBLACK);
        dc.DrawText(text, margin, 1);
    }
    const wxImage image = bitmap.ConvertToImage();
    for (int x = image.GetWidth() - 1; x >= 0; --x)
        for (int y = 0; y < image.GetHeight(); ++y)
            if (image.GetRed(x, y) < 160) return x + 1 - margin - extent.x;
    return 0;
}
}  // namespace

// A label under its field, a text cut at its control's edge or a button
// narrower than its text is a fault even where every number is met.
void ExpectNothingOverlapsOrIsClipped(const CommandForm& form, const std::string& layout) {
    PumpEvents(150);  // sizes are the toolkit's only once on screen
    std::vector<wxWindow*> shown;
    for (wxWindow* child : form.GetChildren())
        if (child->IsShown()) shown.push_back(child);
    auto describe = [&](wxWindow* c) {
        const wxRect r = c->GetRect();
        return layout + ": " + wxString::Format("%s \"%s\" %d,%d %dx%d",
                                                c->GetClassInfo()->GetClassName(), c->GetLabel(),
                                                r.x, r.y, r.width, r.height);
    };
    for (std::size_t i = 0; i < shown.size(); ++i) {
        wxWindow* control = shown[i];
        const wxRect a = control->GetRect();
        control->InvalidateBestSize();
        const wxSize best = control->GetBestSize();
        // Text fields have given widths and scroll; buttons leave a margin
        // round their text; labels and boxes end where their text ends.
        int needed = best.x;
        if (dynamic_cast<wxTextCtrl*>(control))
            needed = 0;
        else if (!dynamic_cast<wxButton*>(control))
            needed += std::max(0, InkPastExtent(control, control->GetLabel()));
        EXPECT_GE(a.width, needed) << describe(control);
        EXPECT_GE(a.height, best.y) << describe(control);
        EXPECT_TRUE(wxRect(form.GetClientSize()).Contains(a)) << describe(control);
        for (std::size_t j = i + 1; j < shown.size(); ++j)
            EXPECT_FALSE(a.Intersects(shown[j]->GetRect()))
                << describe(control) << " overlaps " << describe(shown[j]);
    }
}

void PumpEvents(int ms) {
    // A loop of the tests' own is the active one while they yield, as the
    // running program's is: the MSW port's yield dispatches nothing without.
    static wxEventLoopBase* const own = wxTheApp->GetTraits()->CreateEventLoop();
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    do {
        {
            wxEventLoopActivator active(wxEventLoopBase::GetActive() ? wxEventLoopBase::GetActive() : own);
            wxYield();
        }
        wxEventLoopBase* loop = wxEventLoopBase::GetActive();
        while (loop && loop->Pending()) loop->Dispatch();
        wxTheApp->ProcessIdle();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    } while (std::chrono::steady_clock::now() < until);
}

bool FocusAndWait(wxWindow* win) {
    wxWindow* top = wxGetTopLevelParent(win);
    if (top) {
        top->Raise();
        top->SetFocus();
    }
    win->SetFocus();
    return PumpUntil([win] { return wxWindow::FindFocus() == win; }, 3000);
}

void Click(wxWindow* button) {
    wxCommandEvent click(wxEVT_BUTTON, button->GetId());
    click.SetEventObject(button);
    button->ProcessWindowEvent(click);
}

void PasteWithKeys(const wxString& text) {
    ASSERT_TRUE(wxTheClipboard->Open());
    wxTheClipboard->SetData(new wxTextDataObject(text));
    wxTheClipboard->Close();
    wxUIActionSimulator().Char('v', wxMOD_CONTROL);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string ProcessesWhere(const std::function<bool(const std::filesystem::path& proc)>& match) {
    std::string found;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (std::isdigit(static_cast<unsigned char>(name[0])) && name != std::to_string(wxGetProcessId()) &&
            match(entry.path()))
            found += ReadFile((entry.path() / "stat").string()) + "\n";
    }
    return found;
}

WindowTest::WindowTest() {
    // A fresh directory of this process's own: a name taken by another run
    // is skipped, never shared.
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (unsigned n = 0;; ++n) {
        const std::filesystem::path candidate =
            base / ("quillet-test-" + std::to_string(wxGetProcessId()) + "-" + std::to_string(n));
        if (std::filesystem::create_directory(candidate)) {
            dir = candidate.string();
            break;
        }
        if (n == 1000) throw std::runtime_error("no temporary directory");
    }
    argLog = dir + "/args.log";
    std::filesystem::current_path(dir);
}

WindowTest::~WindowTest() {
    std::filesystem::current_path(before);
    std::filesystem::remove_all(dir);
}

void WindowTest::Open(const std::string& settings) {
    wxSetEnv("QUILLET_STANDIN_LOG", argLog);
    wxUnsetEnv("COMSPEC");
    TearDown();
    std::ofstream(dir + "/quillet.ini", std::ios::binary) << settings;
    frame = StartUp(dir);
    if (!frame) throw std::runtime_error("start-up refused " + dir + "/quillet.ini");
    form = frame->Form();
    pane = frame->Pane();
    PumpUntil([this] { return frame->IsShownOnScreen(); });
    PumpEvents(150);
}

void WindowTest::TearDown() {
    if (frame) frame->Destroy();
    PumpEvents(50);
    wxUnsetEnv("QUILLET_STANDIN_MODE");
}

void WindowTest::Select(int command) { Click(form->CommandButton(command)); }

void WindowTest::StartDoIt(const char* mode) {
    std::remove(argLog.c_str());
    wxSetEnv("QUILLET_STANDIN_MODE", mode);
    Click(form->DoItButton());
}

void WindowTest::PressDoIt(const char* mode, int ms) {
    StartDoIt(mode);
    ASSERT_TRUE(PumpUntil([this] { return !frame->RunActive(); }, ms));
}

void WindowTest::PressEscape() {
    ASSERT_TRUE(FocusAndWait(pane));
    wxUIActionSimulator().Char(WXK_ESCAPE);
    ASSERT_TRUE(PumpUntil([this] { return !frame->RunActive(); }, 3000));
    EXPECT_EQ(LastEnd(), RunEnd::Cancelled);
}

RunEnd WindowTest::LastEnd() const { return frame->Run() ? frame->Run()->End() : RunEnd::Running; }

wxString WindowTest::Status(int field) const { return frame->GetStatusBar()->GetStatusText(field); }

std::string WindowTest::PaneText() const { return pane->GetValue().utf8_string(); }

}  // namespace quillet::testing
