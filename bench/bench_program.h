#pragma once
// The program as the benchmarks start it: in a work directory of their own,
// with the file tool as ham.exe and a quillet.ini naming that directory.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <wx/init.h>

#include "app/main_app.h"
#include "app/main_frame.h"
#include "bench_platform.h"
#include "bench_support.h"
#include "form/command_form.h"

namespace bench {

// Lines the size and shape of a big Grep's, as the run and find benchmarks
// measure them.
inline void WriteRunOutput(const std::string& path, long lines) {
    std::ofstream out(path, std::ios::binary);
    char line[128];
    for (long i = 1; i <= lines; ++i)
        out.write(line, std::snprintf(line, sizeof line,
                                      "%08ld <%08ld.bench@example.invalid> From: someone  Subject: line %02ld\r\n",
                                      i, i, i % 100));
}

// Starts the toolkit and the program in dir, Info selected (a command
// without fields); null, having said why, where that fails.
inline quillet::MainFrame* StartInWorkDir(const std::string& dir, int& argc, char** argv) {
    if (!InstallFileTool(dir)) return nullptr;
    std::ofstream(std::filesystem::path(dir) / "quillet.ini") << "[Setup]\nHamDir=" << dir << "\n";
    std::filesystem::current_path(dir);
    wxApp::SetInstance(new BenchApp);
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
        std::fprintf(stderr, "no display\n");
        return nullptr;
    }
    quillet::MainFrame* frame = quillet::StartUp(dir);
    if (frame == nullptr) return nullptr;
    frame->Form()->SelectCommand(quillet::CmdInfo);
    Pump(500);
    return frame;
}

// Leaves dir and removes it with all in it.
inline void RemoveWorkDir(const std::string& dir) {
    std::filesystem::current_path(std::filesystem::temp_directory_path());
    std::error_code error;
    std::filesystem::remove_all(dir, error);
}

}  // namespace bench
