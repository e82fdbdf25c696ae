#pragma once
// What the benchmarks ask of the system, one implementation per platform in
// bench/platform/, so that each benchmark's measuring logic is one source.
#include <memory>
#include <string>

namespace bench {

// A new empty directory for one benchmark's files (removed by the caller).
std::string MakeWorkDir();

// Sets a variable of this process's environment, which the commands it
// starts inherit; a null value removes it.
void SetVariable(const char* name, const char* value);

// This process's resident memory (its working set) now, and its peak since
// the last ResetPeakMemory() where the system can reset it, else since the
// start; both in KiB, -1 when the system does not tell.  ResetPeakMemory
// says whether it could.
long ResidentKiB();
long PeakResidentKiB();
bool ResetPeakMemory();

// Puts the benchmark's tool into dir as ham.exe: it writes the file named by
// QUILLET_STANDIN_FILE to its standard output, at once, or, with
// QUILLET_STANDIN_PIECES=N set, in N pieces a tenth of a second apart.
bool InstallFileTool(const std::string& dir);

// A program started in dir as a user starts it, ended when this goes.
class StartedProgram {
public:
    virtual ~StartedProgram() = default;
    // Processor time it has used so far, user and system, in seconds;
    // negative when it cannot be read.
    virtual double CpuSeconds() const = 0;
};
std::unique_ptr<StartedProgram> StartProgram(const std::string& path, const std::string& dir);

}  // namespace bench
