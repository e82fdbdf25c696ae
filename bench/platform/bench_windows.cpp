#include <windows.h>
#include <psapi.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench_platform.h"

namespace bench {

namespace {
std::wstring Wide(const std::string& utf8) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
    return wide;
}

PROCESS_MEMORY_COUNTERS Counters() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) counters.cb = 0;
    return counters;
}

double Seconds(const FILETIME& t) {
    return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
}
}  // namespace

std::string MakeWorkDir() {
    namespace fs = std::filesystem;
    std::error_code error;
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const fs::path dir = fs::temp_directory_path(error) /
                             ("quillet-bench-" + std::to_string(GetCurrentProcessId()) + "-" +
                              std::to_string(attempt));
        if (fs::create_directory(dir, error)) return dir.string();
    }
    return "";
}

void SetVariable(const char* name, const char* value) {
    // The runtime's copy and the process's block, which a started command gets.
    _putenv_s(name, value ? value : "");
    SetEnvironmentVariableW(Wide(name).c_str(), value ? Wide(value).c_str() : nullptr);
}

long ResidentKiB() {
    const PROCESS_MEMORY_COUNTERS c = Counters();
    return c.cb ? static_cast<long>(c.WorkingSetSize / 1024) : -1;
}

long PeakResidentKiB() {
    const PROCESS_MEMORY_COUNTERS c = Counters();
    return c.cb ? static_cast<long>(c.PeakWorkingSetSize / 1024) : -1;
}

// Windows keeps the peak working set from the process's start on.
bool ResetPeakMemory() { return false; }

bool InstallFileTool(const std::string& dir) {
    // The mingw stand-in of the tool, built beside the benchmark.
    return CopyFileW(Wide(QUILLET_BENCH_TOOL).c_str(), Wide(dir + "\\ham.exe").c_str(), FALSE) != 0;
}

namespace {
class WindowsProgram : public StartedProgram {
public:
    explicit WindowsProgram(const PROCESS_INFORMATION& info) : info_(info) {}
    ~WindowsProgram() override {
        TerminateProcess(info_.hProcess, 1);
        WaitForSingleObject(info_.hProcess, 5000);
        CloseHandle(info_.hThread);
        CloseHandle(info_.hProcess);
    }
    double CpuSeconds() const override {
        FILETIME created, ended, kernel, user;
        if (!GetProcessTimes(info_.hProcess, &created, &ended, &kernel, &user)) return -1;
        return Seconds(kernel) + Seconds(user);
    }

private:
    PROCESS_INFORMATION info_;
};
}  // namespace

std::unique_ptr<StartedProgram> StartProgram(const std::string& path, const std::string& dir) {
    std::wstring line = L"\"" + Wide(path) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(Wide(path).c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        Wide(dir).c_str(), &startup, &info))
        return nullptr;
    return std::make_unique<WindowsProgram>(info);
}

}  // namespace bench
