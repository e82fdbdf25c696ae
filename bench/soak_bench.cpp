// Many runs in a row through the real window, as a long working session
// makes them: outputs from empty to 20 MB, each run waited for on the event
// loop.  Prints, from run 10 to the last run, the growth of resident memory,
// of open descriptors and of temporary files (in TMPDIR, which the bench
// points at a private directory, and in the working directory).  Run 10 and
// the last run both copy an empty output, so they leave the pane alike.
//   soak_bench [RUNS]      (default 500, a multiple of 10; needs DISPLAY)
#include <dirent.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include <wx/app.h>
#include <wx/init.h>

#include "app/main_app.h"
#include "bench_platform.h"
#include "bench_support.h"
#include "app/main_frame.h"
#include "pane/output_pane.h"
#include "app/setup.h"
#include "form/scale.h"
#include "form/command_form.h"
#include "platform/environment.h"

using bench::Clock;
using bench::Pump;
using bench::Seconds;

namespace {

// Entries of a directory, "." and ".." not counted.
long Entries(const std::string& dir) {
    DIR* d = opendir(dir.c_str());
    if (!d) return -1;
    long n = 0;
    while (const dirent* e = readdir(d))
        if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) ++n;
    closedir(d);
    return n;
}

// Open descriptors, the one that reads the list not counted.
long OpenDescriptors() { return Entries("/proc/self/fd") - 1; }

// A file of CRLF lines of about 76 bytes, size bytes long (the last line cut
// short where it must); noFinalBreak leaves the last line without one.
void WriteOutput(const std::string& path, long size, bool noFinalBreak) {
    std::ofstream out(path, std::ios::binary);
    std::string text;
    char line[128];
    for (long i = 1; static_cast<long>(text.size()) < size; ++i) {
        int n = std::snprintf(line, sizeof line,
                              "%08ld <%08ld.soak@example.invalid> From: someone  Subject: line %02ld\r\n",
                              i, i, i % 100);
        text.append(line, n);
    }
    text.resize(static_cast<std::size_t>(size));
    if (noFinalBreak && !text.empty()) text.back() = 'x';
    out << text;
}

class BenchApp : public wxApp {
public:
    bool OnInit() override { return true; }
};

struct Sample {
    long rssKiB, trimmedKiB, fds, tempFiles, workFiles;
};

}  // namespace

int main(int argc, char** argv) {
    long runs = argc > 1 ? std::atol(argv[1]) : 500;
    if (runs < 10) runs = 10;
    runs -= runs % 10;
    char dirTemplate[] = "/tmp/quillet-soak-XXXXXX";
    if (!mkdtemp(dirTemplate)) return 1;
    const std::string dir = dirTemplate;
    const std::string work = dir + "/work", outputs = dir + "/outputs", temp = dir + "/tmp";
    for (const std::string& d : {work, outputs, temp})
        if (mkdir(d.c_str(), 0700) != 0) return 1;
    setenv("TMPDIR", temp.c_str(), 1);

    // Ten outputs in a fixed turn; the tenth, empty, ends every turn.
    const struct { long size; bool noFinalBreak; } kinds[10] = {
        {76, false},      {1024, false}, {100 << 10, false}, {1 << 20, false}, {20 << 20, false},
        {10, true},       {5 << 20, false}, {64 << 10, true}, {10 << 20, false}, {0, false},
    };
    long turnBytes = 0;
    for (int k = 0; k < 10; ++k) {
        WriteOutput(outputs + "/" + std::to_string(k), kinds[k].size, kinds[k].noFinalBreak);
        turnBytes += kinds[k].size;
    }
    if (!bench::InstallFileTool(dir) || chdir(work.c_str()) != 0) return 1;

    wxApp::SetInstance(new BenchApp);
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
        std::fprintf(stderr, "no display\n");
        return 1;
    }
    using namespace quillet;
    std::ofstream(work + "/quillet.ini") << "[Setup]\nHamDir=" << dir << "\n";
    std::optional<Setup> setup = ReadSetup(work);
    if (!setup) return 1;
    // No sleep after the start: the soak is about what runs leave behind,
    // and 500 seconds of sleeping would say nothing about that.
    setup->waitForSys = 0;
    MainFrame* frame = StartUp(*setup);
    frame->Form()->SelectCommand(CmdInfo);
    Pump(300);

    auto sample = [&] {
        Pump(200);  // let the pane and the toolkit settle after the run
        const long rss = bench::ResidentKiB();
        // Freed heap the C library keeps for later is resident too; trimmed,
        // what is left is what the program still holds.
        malloc_trim(0);
        return Sample{rss, bench::ResidentKiB(), OpenDescriptors(), Entries(temp), Entries(work)};
    };
    const Sample before = sample();
    Sample at10{}, last{};
    long badEnds = 0;
    double slowest[10] = {};
    const auto start = Clock::now();
    for (long run = 1; run <= runs; ++run) {
        const int kind = static_cast<int>((run - 1) % 10);
        bench::SetVariable("QUILLET_STANDIN_FILE", (outputs + "/" + std::to_string(kind)).c_str());
        const auto t = Clock::now();
        frame->OnDoIt();
        while (frame->RunActive()) Pump(5);
        slowest[kind] = std::max(slowest[kind], Seconds(Clock::now() - t));
        if (!frame->Run() || frame->Run()->End() != RunEnd::Copied) ++badEnds;
        if (run == 10) at10 = sample();
        if (run % 50 == 0 || run == runs) {
            const Sample now = sample();
            std::fprintf(stderr, "run %4ld: rss %ld KiB (trimmed %ld), fds %ld, temp %ld, work %ld (%.0f s)\n",
                         run, now.rssKiB, now.trimmedKiB, now.fds, now.tempFiles, now.workFiles,
                         Seconds(Clock::now() - start));
            if (run == runs) last = now;
        }
    }
    const long paneChars = frame->Pane()->GetLastPosition();

    std::printf("%ld runs, outputs from 0 to 20 MiB (%.1f MiB per turn of 10), %.0f s\n", runs,
                turnBytes / 1048576.0, Seconds(Clock::now() - start));
    std::printf("slowest run by output size:");
    for (int k = 0; k < 10; ++k) std::printf(" %ld B %.2f s%s", kinds[k].size, slowest[k], k < 9 ? "," : "\n");
    std::printf("runs that did not end as a copy: %ld\n", badEnds);
    std::printf("pane after the last (empty) run: %ld characters\n", paneChars);
    std::printf("before the first run: resident %ld KiB (trimmed %ld), %ld descriptors, %ld temporary files\n",
                before.rssKiB, before.trimmedKiB, before.fds, before.tempFiles);
    std::printf("from run 10 to run %ld:\n", runs);
    std::printf("  resident memory: %8ld KiB -> %8ld KiB, growth %+.2f MiB (target < 5)\n", at10.rssKiB,
                last.rssKiB, (last.rssKiB - at10.rssKiB) / 1024.0);
    std::printf("    freed heap given back first: %8ld KiB -> %8ld KiB, growth %+.2f MiB\n",
                at10.trimmedKiB, last.trimmedKiB, (last.trimmedKiB - at10.trimmedKiB) / 1024.0);
    std::printf("  open descriptors: %4ld -> %4ld, growth %+ld (target 0)\n", at10.fds, last.fds,
                last.fds - at10.fds);
    std::printf("  temporary files:  %4ld -> %4ld, growth %+ld (target 0)\n", at10.tempFiles,
                last.tempFiles, last.tempFiles - at10.tempFiles);
    std::printf("  working directory entries: %ld -> %ld (ham.txt)\n", at10.workFiles, last.workFiles);

    frame->Destroy();
    wxEntryCleanup();
    std::system(("rm -rf '" + dir + "'").c_str());
    return 0;
}
