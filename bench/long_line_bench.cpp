// One output line of 100 MB without a line break, through the real run path
// into the real pane, under a real display.  Prints, with the targets beside
// them: the tool's end to the final counts, the peak memory the run added
// against the pane's text limit, the longest event-loop stall during the
// run and in the seconds after it (while the view lays the text out), and
// the resident memory after a later three-line run against before the big one.
//   long_line_bench [MB] [SCREENSHOT.png]   (needs DISPLAY; use xvfb-run)
#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include <wx/app.h>
#include <wx/init.h>
#include <wx/statusbr.h>
#include <wx/timer.h>

#include "bench_program.h"
#include "pane/output_pane.h"

using bench::Clock;
using bench::Pump;
using bench::Seconds;
using bench::StallMeter;

int main(int argc, char** argv) {
    const double megabytes = argc > 1 ? std::atof(argv[1]) : 100;
    const char* screenshot = argc > 2 ? argv[2] : nullptr;
    const std::string dir = bench::MakeWorkDir();
    if (dir.empty()) return 1;
    {
        // Printable and varied, so that the pane has real glyphs to lay out.
        std::string block;
        for (int i = 0; block.size() < (1 << 20); ++i) block += "abcdefghijklmnopqrstuvwxyz0123456789 "[i % 37];
        block.resize(1 << 20);
        std::ofstream out(dir + "/huge.txt", std::ios::binary);
        const long bytes = static_cast<long>(megabytes * 1e6);
        for (long at = 0; at < bytes; at += static_cast<long>(block.size()))
            out.write(block.data(), std::min<long>(bytes - at, static_cast<long>(block.size())));
        std::ofstream(dir + "/small.txt") << "one\ntwo\nthree\n";
    }
    using namespace quillet;
    MainFrame* frame = bench::StartInWorkDir(dir, argc, argv);
    if (frame == nullptr) return 1;

    auto runOnce = [&](const char* file, StallMeter* meter) {
        bench::SetVariable("QUILLET_STANDIN_FILE", (dir + "/" + file).c_str());
        if (meter) meter->Start(20);
        frame->OnDoIt();
        while (frame->RunActive()) Pump(5);
        if (meter) meter->Stop();
        const RunTimes& times = frame->Run()->Times();
        return Seconds(times.countsShown - times.waitEnded);
    };

    // A small run first, so that both memory figures start from a window
    // that has run once.
    runOnce("small.txt", nullptr);
    Pump(500);
    const long rssBefore = bench::ResidentKiB();
    bench::ResetPeakMemory();

    StallMeter duringRun, afterRun;
    const auto pressed = Clock::now();
    const double toCounts = runOnce("huge.txt", &duringRun);
    const double wholeRun = Seconds(frame->Run()->Times().countsShown - pressed);
    const std::string counts = frame->GetStatusBar()->GetStatusText(0).utf8_string();
    const std::string note = frame->GetStatusBar()->GetStatusText(1).utf8_string();
    afterRun.Start(20);
    Pump(3000);
    afterRun.Stop();
    const long peak = bench::PeakResidentKiB();
    const long paneChars = frame->Pane()->GetLastPosition();
    if (screenshot) std::system((std::string("import -window root '") + screenshot + "'").c_str());

    // The same line copied only once the tool has ended.
    frame->SetLiveOutput(false);
    StallMeter afterWait;
    const double toCountsAfterWait = runOnce("huge.txt", &afterWait);
    frame->SetLiveOutput(true);

    runOnce("small.txt", nullptr);
    Pump(1000);
    const long rssAfter = bench::ResidentKiB();
    malloc_trim(0);  // what the C library still keeps, free, besides what lives
    const long rssTrimmed = bench::ResidentKiB();

    const double limitMiB = OutputPane::kDefaultTextLimit / 1048576.0;
    const double peakAddedMiB = (peak - rssBefore) / 1024.0;
    std::printf("one line of %g MB: status \"%s\" / \"%s\"; pane holds %ld characters\n", megabytes,
                counts.c_str(), note.c_str(), paneChars);
    std::printf("tool's end to counts:      %8.3f s   (target < 2); Do It to counts %.3f s, WaitForSys=1 included\n",
                toCounts, wholeRun);
    std::printf("copied after the wait:     %8.3f s tool's end to counts, longest stall %.1f ms\n",
                toCountsAfterWait, afterWait.WorstMs());
    std::printf("peak memory added by run:  %8.1f MiB = %.2f x the pane's limit (target < 3); peak %.1f MiB\n",
                peakAddedMiB, peakAddedMiB / limitMiB, peak / 1024.0);
    std::printf("longest stall during run:  %8.1f ms  (target < 100)\n", duringRun.WorstMs());
    std::printf("longest stall after run:   %8.1f ms  (target < 100)\n", afterRun.WorstMs());
    std::printf("resident after a later 3-line run: %.1f MiB, before the big run %.1f MiB (%+.1f MiB; "
                "%+.1f MiB once the C library gives back its free memory)\n",
                rssAfter / 1024.0, rssBefore / 1024.0, (rssAfter - rssBefore) / 1024.0,
                (rssTrimmed - rssBefore) / 1024.0);

    frame->Destroy();
    Pump(200);
    wxEntryCleanup();
    bench::RemoveWorkDir(dir);
    return 0;
}
