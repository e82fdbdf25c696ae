// Big output through the real run path into the real pane, under a real
// display: a 600,000-line ham.txt of about 76 bytes a line with CRLF.
// Prints times and ratios measured side by side in one run:
//   - a tool that writes it at once, copied after the wait: the run (end of
//     the wait to the final counts) against the toolkit's own LoadFile of the
//     same file into a fresh pane, and against a plain line read; the peak
//     memory the run added; the longest event-loop stall during and after it;
//   - a tool that writes it over about five seconds: what is left to copy
//     once the tool has ended, with live output against without;
//   - the built program left idle: processor time over ten seconds.
//   run_bench [LINES [ROUNDS]]  (needs DISPLAY; use xvfb-run; the Windows build
//                               runs under Wine the same way)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/frame.h>
#include <wx/init.h>
#include <wx/textctrl.h>
#include <wx/timer.h>

#include "bench_program.h"
#include "pane/output_pane.h"

using bench::Clock;
using bench::Pump;
using bench::Seconds;
using bench::StallMeter;

static Clock::time_point gStart = Clock::now();
static void Mark(const char* what) { std::fprintf(stderr, "[%7.2f] %s\n", Seconds(Clock::now() - gStart), what); }

int main(int argc, char** argv) {
    const long lines = argc > 1 ? std::atol(argv[1]) : 600000;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    const std::string dir = bench::MakeWorkDir();
    if (dir.empty()) return 1;
    const std::string source = (std::filesystem::path(dir) / "big.txt").string();
    bench::WriteRunOutput(source, lines);
    const long fileSize = static_cast<long>(std::ifstream(source, std::ios::ate | std::ios::binary).tellg());
    // One tool, two ways: at once, or in 50 pieces a tenth of a second apart.
    bench::SetVariable("QUILLET_STANDIN_FILE", source.c_str());
    Mark("file written");
    using namespace quillet;
    MainFrame* frame = bench::StartInWorkDir(dir, argc, argv);
    if (frame == nullptr) return 1;

    Mark("window built");
    // A plain line read of the file.
    auto t0 = Clock::now();
    long readLines = 0;
    {
        std::ifstream in(source, std::ios::binary);
        std::string line;
        while (std::getline(in, line)) ++readLines;
    }
    const double plainRead = Seconds(Clock::now() - t0);

    // One whole run; gives what was left to copy once the tool's end was seen.
    auto runOnce = [&](bool slow, bool live, StallMeter* meter) {
        bench::SetVariable("QUILLET_STANDIN_PIECES", slow ? "50" : nullptr);
        frame->SetLiveOutput(live);
        if (meter) meter->Start(20);
        frame->OnDoIt();
        while (frame->RunActive()) Pump(5);
        if (meter) meter->Stop();
        const RunTimes& times = frame->Run()->Times();
        return Seconds(times.countsShown - times.waitEnded);
    };

    Mark("plain read");
    // The copy after the wait, three times (or ROUNDS), each against a LoadFile into a
    // fresh pane right after it, so that both see the same machine load; the
    // best of each counts.  The first run also gives the memory and stall
    // figures.
    double run = 1e9, loadFile = 1e9;
    long peak = 0, rssBefore = 0;
    bool peakReset = false;
    double stallMs = 0, runStallMs = 0;
    long paneChars = 0;
    for (int round = 0; round < rounds; ++round) {
        if (round == 0) {
            rssBefore = bench::ResidentKiB();
            peakReset = bench::ResetPeakMemory();
        }
        StallMeter runMeter;
        run = std::min(run, runOnce(false, false, round == 0 ? &runMeter : nullptr));
        if (round == 0) {
            runStallMs = runMeter.WorstMs();
            peak = bench::PeakResidentKiB();
            Mark("run done");
            StallMeter meter;
            meter.Start(20);
            Pump(4000);
            meter.Stop();
            stallMs = meter.WorstMs();
            paneChars = frame->Pane()->GetLastPosition();
            Mark("stall measured");
        }
        const wxRect paneRect = frame->Pane()->GetRect();
        auto* fresh = new OutputPane(frame, paneRect.x, paneRect.y, paneRect.width,
                                     paneRect.height);
        fresh->SetFont(frame->Pane()->GetFont());
        const auto t = Clock::now();
        fresh->LoadFile(source);
        loadFile = std::min(loadFile, Seconds(Clock::now() - t));
        fresh->Destroy();
        Mark("loadfile done");
    }

    // The slow tool, with and without live output.
    StallMeter liveMeter;
    const double tailLive = runOnce(true, true, &liveMeter);
    Mark("slow tool, live");
    const double tailAfter = runOnce(true, false, nullptr);
    Mark("slow tool, after the wait");

    frame->Destroy();
    Pump(200);

    // The built program, started as a user starts it, then left alone.
    double idlePercent = -1;
    {
        std::ofstream(std::filesystem::path(dir) / "quillet.ini")
            << "[Setup]\nHamDir=" << dir << "\nWaitForSys=1\n";
        const auto program = bench::StartProgram(QUILLET_PROGRAM, dir);
        if (program) {
            std::this_thread::sleep_for(std::chrono::seconds(3));
            const double before = program->CpuSeconds();
            std::this_thread::sleep_for(std::chrono::seconds(10));
            const double after = program->CpuSeconds();
            if (before >= 0 && after >= 0) idlePercent = 100.0 * (after - before) / 10.0;
        }
        Mark("idle measured");
    }

    const double fileMiB = fileSize / 1048576.0;
    const double peakAddedMiB = (peak - rssBefore) / 1024.0;
    std::printf("file: %ld lines, %.1f MiB (CRLF); pane holds %ld characters after the run\n",
                lines, fileMiB, paneChars);
    std::printf("plain line read:          %8.3f s (%ld lines)\n", plainRead, readLines);
    std::printf("copy after the wait:      %8.3f s, wait end to counts (best of %d)\n", run, rounds);
    std::printf("LoadFile into fresh pane: %8.3f s (best of %d)\n", loadFile, rounds);
    std::printf("ratio run / LoadFile:     %8.2f   (target <= 0.75)\n", run / loadFile);
    std::printf("ratio run / plain read:   %8.1f\n", run / plainRead);
    std::printf("peak memory added by run: %8.1f MiB = %.2f x file size (target <= 5)%s\n",
                peakAddedMiB, peakAddedMiB / fileMiB,
                peakReset ? "" : "; peak since the start less resident before the run");
    std::printf("longest stall during run: %8.1f ms\n", runStallMs);
    std::printf("longest stall after run:  %8.1f ms (target <= 100)\n", stallMs);
    std::printf("tool writing for ~5 s, tool's end to counts: live %.3f s, copy after the wait %.3f s\n",
                tailLive, tailAfter);
    std::printf("ratio live / after wait:  %8.3f   (target <= 0.1)\n", tailLive / tailAfter);
    std::printf("longest stall, live run:  %8.1f ms\n", liveMeter.WorstMs());
    std::printf("idle program, 10 s:       %8.2f %% of a core (target < 0.5)\n", idlePercent);

    wxEntryCleanup();
    bench::RemoveWorkDir(dir);
    return 0;
}
