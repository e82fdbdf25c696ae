#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

#include "bench_platform.h"

namespace bench {

namespace {
// A "Vm…:" figure of /proc/self/status, in KiB; -1 when it is not there.
long StatusKiB(const char* key) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(key, 0) == 0) return std::atol(line.c_str() + std::strlen(key));
    return -1;
}
}  // namespace

std::string MakeWorkDir() {
    char dirTemplate[] = "/tmp/quillet-bench-XXXXXX";
    return mkdtemp(dirTemplate) ? dirTemplate : "";
}

void SetVariable(const char* name, const char* value) {
    if (value)
        setenv(name, value, 1);
    else
        unsetenv(name);
}

long ResidentKiB() { return StatusKiB("VmRSS:"); }
long PeakResidentKiB() { return StatusKiB("VmHWM:"); }
bool ResetPeakMemory() { return static_cast<bool>(std::ofstream("/proc/self/clear_refs") << "5"); }

bool InstallFileTool(const std::string& dir) {
    const std::string path = dir + "/ham.exe";
    std::ofstream(path)
        << "#!/bin/sh\nf=$QUILLET_STANDIN_FILE n=$QUILLET_STANDIN_PIECES\n"
        << "[ -z \"$n\" ] && exec cat \"$f\"\n"
        << "piece=$(( $(wc -c <\"$f\") / n + 1 )) i=0\n"
        << "while [ $i -lt \"$n\" ]; do\n"
        << "  dd if=\"$f\" bs=$piece skip=$i count=1 status=none; sleep 0.1; i=$((i + 1))\n"
        << "done\n";
    return chmod(path.c_str(), 0755) == 0;
}

namespace {
class PosixProgram : public StartedProgram {
public:
    explicit PosixProgram(pid_t pid) : pid_(pid) {}
    ~PosixProgram() override {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    double CpuSeconds() const override {
        std::ifstream stat("/proc/" + std::to_string(pid_) + "/stat");
        const std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
        const auto paren = text.rfind(')');
        if (paren == std::string::npos) return -1;
        // Fields 14 and 15: user and system time, in clock ticks.
        std::istringstream fields(text.substr(paren + 2));
        std::string field;
        long ticks = 0;
        for (int i = 3; i <= 15 && fields >> field; ++i)
            if (i >= 14) ticks += std::atol(field.c_str());
        return static_cast<double>(ticks) / static_cast<double>(sysconf(_SC_CLK_TCK));
    }

private:
    pid_t pid_;
};
}  // namespace

std::unique_ptr<StartedProgram> StartProgram(const std::string& path, const std::string& dir) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.c_str()) == 0) execl(path.c_str(), path.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    if (pid < 0) return nullptr;
    return std::make_unique<PosixProgram>(pid);
}

}  // namespace bench
