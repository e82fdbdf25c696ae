// Finding in a big output in the real window: a 600,000-line ham.txt (as
// run_bench makes it) through the real run path, then the find bar.  Prints,
// in milliseconds: the first match after a keystroke (near, far, and a text
// that is not there), until the match is drawn in view; the next match; the
// count of every match of a word on each line, with the longest event-loop
// stall meanwhile; and beside them the toolkit's own way, the pane's whole
// value searched as a string, measured in the same run.
//   find_bench [LINES]      (needs DISPLAY; use xvfb-run)
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include <wx/init.h>

#include "app/main_app.h"
#include "app/main_frame.h"
#include "bench_support.h"
#include "form/command_form.h"
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
    char dirTemplate[] = "/tmp/quillet-findbench-XXXXXX";
    if (!mkdtemp(dirTemplate)) return 1;
    const std::string dir = dirTemplate;
    {
        std::ofstream out(dir + "/big.txt", std::ios::binary);
        char line[128];
        for (long i = 1; i <= lines; ++i)
            out.write(line, std::snprintf(line, sizeof line,
                                          "%08ld <%08ld.bench@example.invalid> From: someone  Subject: line %02ld\r\n",
                                          i, i, i % 100));
    }
    std::ofstream(dir + "/ham.exe") << "#!/bin/sh\nexec cat '" << dir << "/big.txt'\n";
    std::system(("chmod +x '" + dir + "/ham.exe'").c_str());
    std::ofstream(dir + "/quillet.ini") << "[Setup]\nHamDir=" << dir << "\n";
    if (chdir(dir.c_str()) != 0) return 1;

    wxApp::SetInstance(new bench::BenchApp);
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
        std::fprintf(stderr, "no display\n");
        return 1;
    }
    using namespace quillet;
    MainFrame* frame = StartUp(dir);
    if (frame == nullptr) return 1;
    frame->Form()->SelectCommand(CmdInfo);
    Pump(500);
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

    typed("subject: line 57", nearComputed);
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

    typed("00300000.bench", farComputed);
    Pump(300);
    t = Clock::now();
    bar->FindNext();  // the only match: round the whole text to itself
    const double nextRoundComputed = Ms(t);

    // Every line has "From" once: 600,000 matches, counted in slices.
    pane->SetInsertionPoint(0);
    Pump(50);
    StallMeter meter;
    meter.Start(10);
    t = Clock::now();
    bar->Field()->SetValue("from");
    const double countMs = MsUntil(t, [bar] { return !bar->Counting(); });
    meter.Stop();
    const std::string result = bar->Result().utf8_string();

    // The toolkit's way, for comparison: the pane's value, folded and searched.
    t = Clock::now();
    const wxString value = pane->GetValue().Lower();
    long naiveCount = 0;
    for (size_t at = value.find("from"); at != wxString::npos; at = value.find("from", at + 4)) ++naiveCount;
    const double naiveMs = Ms(t);

    std::printf("output: %ld lines, %.1f MiB in the pane\n", lines, pane->Text().Size() / 1048576.0);
    std::printf("first match after a keystroke, computed / drawn in view:\n");
    std::printf("  near the caret:     %8.1f / %8.1f ms (target < 50)\n", nearComputed, nearDrawn);
    std::printf("  half-way down:      %8.1f / %8.1f ms (target < 50)\n", farComputed, farDrawn);
    std::printf("  not there at all:   %8.1f / %8.1f ms\n", missingComputed, missingDrawn);
    std::printf("next match, computed / drawn: %8.1f / %8.1f ms (target < 50)\n", nextComputed, nextDrawn);
    std::printf("next match round the whole text: %8.1f ms\n", nextRoundComputed);
    std::printf("the toolkit's SetSelection and ShowPosition half-way down, drawn in view: %8.1f ms\n", toolkitDrawn);
    std::printf("count of \"from\" (%s): %8.1f ms\n", result.c_str(), countMs);
    std::printf("longest event-loop stall while counting: %8.1f ms (target < 100; timer period 10 ms)\n",
                meter.WorstMs());
    std::printf("toolkit's way, whole value lowered and searched (%ld found): %8.1f ms, a single stall\n",
                naiveCount, naiveMs);
    std::printf("ratio count / toolkit's way: %8.2f\n", countMs / naiveMs);

    frame->Destroy();
    Pump(200);
    wxEntryCleanup();
    std::system(("rm -rf '" + dir + "'").c_str());
    return 0;
}
