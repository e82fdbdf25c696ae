// Finding in a big output in the real window: a 600,000-line ham.txt (as
// run_bench makes it) through the real run path, then the find bar.  Prints,
// in milliseconds: the first match after a keystroke (near, far, and a text
// that is not there), until the match is drawn in view; the next match; the
// count of every match of a word on each line, with the longest event-loop
// stall meanwhile; and beside them the toolkit's own way, the pane's whole
// value searched as a string, measured in the same run.
//   find_bench [LINES]      (needs DISPLAY; use xvfb-run)
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include <wx/init.h>
#ifdef __WXGTK__
#include <gtk/gtk.h>
#endif

#include "bench_program.h"
#include "pane/find_bar.h"
#include "pane/output_pane.h"
#include "platform/text_control.h"

using bench::Clock;
using bench::Pump;
using bench::Seconds;
using bench::StallMeter;

namespace {

double Ms(Clock::time_point since) { return Seconds(Clock::now() - since) * 1000; }

// Pumps until done() holds; the milliseconds it took from `since`.
template <class Done>
double MsUntil(Clock::time_point since, Done done) {
    while (!done() && Seconds(Clock::now() - since) < 30) Pump(1);
    return Ms(since);
}

}  // namespace

int main(int argc, char** argv) {
    const long lines = argc > 1 ? std::atol(argv[1]) : 600000;
    const std::string dir = bench::MakeWorkDir();
    if (dir.empty()) return 1;
    bench::WriteRunOutput(dir + "/big.txt", lines);
    bench::SetVariable("QUILLET_STANDIN_FILE", (dir + "/big.txt").c_str());
    using namespace quillet;
    MainFrame* frame = bench::StartInWorkDir(dir, argc, argv);
    if (frame == nullptr) return 1;
    frame->OnDoIt();
    while (frame->RunActive()) Pump(5);
    Pump(2000);  // the view lays the text out
    OutputPane* pane = frame->Pane();
    FindBar* bar = frame->Finder();
    frame->OpenFindBar();
    Pump(200);

    // What the user waits for: the match selected, and its line drawn.
    auto matchDrawn = [pane] {
        long from = 0, to = 0, column = 0, line = -1;
        pane->GetSelection(&from, &to);
        pane->PositionToXY(from, &column, &line);
        const platform::LinesInView shown = platform::VisibleLines(*pane);
        return from != to && shown.top <= line && line <= shown.bottom;
    };
    auto typed = [&](const char* needle, double& computed) {
        pane->SetInsertionPoint(0);
        Pump(50);
        const auto t = Clock::now();
        bar->Field()->ChangeValue(wxString(needle).Left(wxString(needle).length() - 1));
        bar->Field()->SetValue(needle);  // the last keystroke
        computed = Ms(t);
        return MsUntil(t, [&] { return bar->NotFound() || matchDrawn(); });
    };
    double nearComputed = 0, farComputed = 0, missingComputed = 0;
    const double nearDrawn = typed("subject: line 57", nearComputed);
    const double farDrawn = typed("00300000.bench", farComputed);
    const double missingDrawn = typed("nowhere to be found", missingComputed);

    double again = 0;
    typed("subject: line 57", again);
    Pump(300);
    auto t = Clock::now();
    bar->FindNext();
    const double nextComputed = Ms(t);
    const double nextDrawn = MsUntil(t, matchDrawn);
    // The toolkit's own selection and scroll to a line half-way down.
    pane->SetInsertionPoint(0);
    Pump(300);
    t = Clock::now();
    const long half = pane->XYToPosition(0, lines / 2);
    pane->SetSelection(half, half + 8);
    pane->ShowPosition(half);
    const double toolkitDrawn = MsUntil(t, matchDrawn);

    typed("00300000.bench", again);
    Pump(300);
    t = Clock::now();
    bar->FindNext();  // the only match: round the whole text to itself
    const double nextRoundComputed = Ms(t);

    // Every line has "From" once: 600,000 matches; and "e", some 5 million.
    struct Count {
        double ms, stallMs;
        long ticks;
        std::string result;
    };
    auto count = [&](const char* needle) {
        pane->SetInsertionPoint(0);
        bar->Field()->ChangeValue("");
        Pump(300);
        StallMeter meter;
        meter.Start(5);
        Pump(50);
        const auto from = Clock::now();
        bar->Field()->SetValue(needle);
        const double ms = MsUntil(from, [bar] { return !bar->Counting(); });
        Pump(50);
        meter.Stop();
        return Count{ms, meter.WorstMs(), meter.Ticks(), bar->Result().utf8_string()};
    };
    const Count word = count("from"), letter = count("e");

    // The toolkit's way, for comparison: the pane's value, folded and searched.
    t = Clock::now();
    const wxString value = pane->GetValue().Lower();
    long naiveCount = 0;
    for (size_t at = value.find("from"); at != wxString::npos; at = value.find("from", at + 4)) ++naiveCount;
    const double naiveMs = Ms(t);

    std::printf("output: %ld lines, %.1f MiB in the pane\n", lines, pane->Text().Size() / 1048576.0);
#ifdef __WXGTK__
    // With the desktop's animations on, GTK glides the view to a new place
    // (some 200 ms) whoever scrolls it; a settings.ini with
    // gtk-enable-animations=0 under $XDG_CONFIG_HOME/gtk-3.0 turns that off.
    gboolean animated = FALSE;
    g_object_get(gtk_settings_get_default(), "gtk-enable-animations", &animated, nullptr);
    std::printf("GTK scroll animations: %s\n", animated ? "on (drawn in view includes the glide)" : "off");
#endif
    std::printf("first match after a keystroke, computed / drawn in view:\n");
    std::printf("  near the caret:     %8.1f / %8.1f ms (target < 50)\n", nearComputed, nearDrawn);
    std::printf("  half-way down:      %8.1f / %8.1f ms (target < 50)\n", farComputed, farDrawn);
    std::printf("  not there at all:   %8.1f / %8.1f ms\n", missingComputed, missingDrawn);
    std::printf("next match, computed / drawn: %8.1f / %8.1f ms (target < 50)\n", nextComputed, nextDrawn);
    std::printf("next match round the whole text: %8.1f ms\n", nextRoundComputed);
    std::printf("the toolkit's SetSelection and ShowPosition half-way down, drawn in view: %8.1f ms\n", toolkitDrawn);
    for (const auto& [what, c] : {std::pair{"\"from\"", word}, std::pair{"\"e\"", letter}})
        std::printf("count of %-6s (%s): %8.1f ms; longest event-loop stall %5.1f ms over %ld ticks of 5 ms "
                    "(target < 100)\n", what, c.result.c_str(), c.ms, c.stallMs, c.ticks);
    std::printf("toolkit's way, whole value lowered and searched (%ld found): %8.1f ms, a single stall\n",
                naiveCount, naiveMs);
    std::printf("ratio count of \"from\" / toolkit's way: %8.2f\n", word.ms / naiveMs);

    frame->Destroy();
    Pump(200);
    wxEntryCleanup();
    bench::RemoveWorkDir(dir);
    return 0;
}
