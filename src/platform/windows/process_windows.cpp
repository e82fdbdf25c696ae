#include "platform/process.h"

#include <io.h>
#include <windows.h>

#include <algorithm>

#include "platform/interpreter_line.h"
#include "platform/trace.h"
#include "platform/windows/wide_text.h"

#include <wx/log.h>

namespace quillet::platform {

namespace {

// The limit CreateProcess puts on a command line, in UTF-16 units with the
// terminating zero.
constexpr std::size_t kMaxCommandLine = 32767;
constexpr DWORD kGraceMillis = 2000;

void TraceNotStarted(const std::string& program, const char* step, DWORD error) {
    wxLogTrace(kTraceExec, "%s not started: %s: %s", program.c_str(), step,
               SystemErrorText(error).c_str());
}

// A program's path as the first word of a command line.
std::wstring QuotedProgram(const std::string& program) {
    return L"\"" + Wide(program) + L"\"";
}

// An argument quoted by the rules the C runtime reads it with.
std::wstring QuotedArgument(const std::string& argument) {
    const std::wstring arg = Wide(argument);
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
    std::wstring out = L"\"";
    std::size_t slashes = 0;
    for (const wchar_t c : arg) {
        if (c == L'\\') {
            ++slashes;
            continue;
        }
        out.append(c == L'"' ? slashes * 2 + 1 : slashes, L'\\');
        slashes = 0;
        out += c;
    }
    out.append(slashes * 2, L'\\');
    return out + L"\"";
}

// The current environment with "NAME=value" entries added (replacing a
// variable of the same name), as CreateProcess wants it: sorted by name
// without regard to case, each ended by a zero, the block by another.
std::wstring EnvironmentWith(const std::vector<std::string>& variables) {
    std::vector<std::wstring> entries;
    if (wchar_t* block = GetEnvironmentStringsW()) {
        for (const wchar_t* p = block; *p; p += wcslen(p) + 1) entries.emplace_back(p);
        FreeEnvironmentStringsW(block);
    }
    const auto name = [](const std::wstring& entry) {
        // "=C:=C:\dir" entries have a name that starts with "=".
        return entry.substr(0, entry.find(L'=', 1));
    };
    for (const std::string& variable : variables) {
        const std::wstring entry = Wide(variable);
        entries.erase(std::remove_if(entries.begin(), entries.end(),
                                     [&](const std::wstring& e) {
                                         return _wcsicmp(name(e).c_str(), name(entry).c_str()) == 0;
                                     }),
                      entries.end());
        entries.push_back(entry);
    }
    std::sort(entries.begin(), entries.end(), [&](const std::wstring& a, const std::wstring& b) {
        return _wcsicmp(name(a).c_str(), name(b).c_str()) < 0;
    });
    std::wstring block;
    for (const std::wstring& entry : entries) (block += entry) += L'\0';
    return block + L'\0';
}

HANDLE OpenNul(DWORD access) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return CreateFileW(L"NUL", access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                       nullptr);
}

// A file for the command's error output that goes with its last handle;
// no amount of output can block the command on it.
HANDLE TemporaryErrorFile() {
    wchar_t dir[MAX_PATH + 1], name[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, dir);
    if (n == 0 || n > MAX_PATH || !GetTempFileNameW(dir, L"qlt", 0, name)) return INVALID_HANDLE_VALUE;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return CreateFileW(name, GENERIC_READ | GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
}

// Starts commandLine hidden, with exactly the given handles inherited.
// Gives the process (suspended when asked) or the error.
struct Spawned {
    PROCESS_INFORMATION info{};
    DWORD error = 0;
};

Spawned SpawnHidden(const std::string& program, std::wstring commandLine, HANDLE in, HANDLE out,
                    HANDLE err, DWORD flags, const std::wstring* environment) {
    Spawned spawned;
    STARTUPINFOEXW si{};
    si.StartupInfo.cb = sizeof si;
    si.StartupInfo.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    si.StartupInfo.wShowWindow = SW_HIDE;
    si.StartupInfo.hStdInput = in;
    si.StartupInfo.hStdOutput = out;
    si.StartupInfo.hStdError = err;
    // Only the three standard handles reach the command, whatever else of
    // ours is inheritable at this moment.
    HANDLE handles[3] = {in, out, err};
    const DWORD count = err == out ? 2 : 3;
    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    std::vector<char> attributes(size);
    si.lpAttributeList = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributes.data());
    const bool listed = InitializeProcThreadAttributeList(si.lpAttributeList, 1, 0, &size) &&
                        UpdateProcThreadAttribute(si.lpAttributeList, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST,
                                                  handles, count * sizeof(HANDLE), nullptr, nullptr);
    if (!listed) si.lpAttributeList = nullptr;
    const std::wstring application = Wide(program);
    if (!CreateProcessW(application.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                        flags | CREATE_NO_WINDOW | CREATE_UNICODE_ENVIRONMENT |
                            (listed ? EXTENDED_STARTUPINFO_PRESENT : 0),
                        environment ? const_cast<wchar_t*>(environment->c_str()) : nullptr, nullptr,
                        &si.StartupInfo, &spawned.info))
        spawned.error = GetLastError();
    if (listed) DeleteProcThreadAttributeList(si.lpAttributeList);
    return spawned;
}

}  // namespace

void StartDetached(const std::vector<std::string>& argv, const std::vector<std::string>& variables) {
    if (argv.empty() || argv[0].empty()) return;
    std::wstring line = QuotedProgram(argv[0]);
    for (std::size_t i = 1; i < argv.size(); ++i) (line += L' ') += QuotedArgument(argv[i]);
    const HANDLE in = OpenNul(GENERIC_READ), out = OpenNul(GENERIC_WRITE);
    const std::wstring environment = EnvironmentWith(variables);
    // Hidden, outside any job (the server outlives us), and never waited
    // for.  A job we were started in may forbid leaving it; then the server
    // stays in that one.
    const DWORD flags = DETACHED_PROCESS | CREATE_NEW_PROCESS_GROUP;
    const std::wstring* env = variables.empty() ? nullptr : &environment;
    Spawned spawned = SpawnHidden(argv[0], line, in, out, out, flags | CREATE_BREAKAWAY_FROM_JOB, env);
    if (spawned.error == ERROR_ACCESS_DENIED) spawned = SpawnHidden(argv[0], line, in, out, out, flags, env);
    if (in != INVALID_HANDLE_VALUE) CloseHandle(in);
    if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
    if (spawned.error) {
        TraceNotStarted(argv[0], "CreateProcess", spawned.error);
        return;
    }
    CloseHandle(spawned.info.hThread);
    CloseHandle(spawned.info.hProcess);
}

void StartDetached(const std::string& program) { StartDetached(std::vector<std::string>{program}, {}); }

TrackedCommand::~TrackedCommand() {
    Terminate();
    if (process_) CloseHandle(process_);
    // A job that kills on close: whatever the command left running ends here.
    if (job_) CloseHandle(job_);
    if (errorFd_ >= 0) _close(errorFd_);
}

StartResult TrackedCommand::Start(const ToolLaunch& launch, const std::string& argument) {
    if (!launch.interpreter) return StartResult::NotStarted;
    std::string switchArg = launch.switchText;
    switchArg.erase(0, switchArg.find_first_not_of(' '));
    switchArg.erase(switchArg.find_last_not_of(' ') + 1);
    return Start(*launch.interpreter, switchArg, argument);
}

StartResult TrackedCommand::Start(const std::string& interpreter, const std::string& switchArg,
                                  const std::string& argument) {
    if (pid_ > 0 || endedAtStart_) return StartResult::NotStarted;  // one run per object
    // The interpreter gets the line as it was shown: its path, the switch and
    // the rest, so that it reads the redirection and the tool gets its
    // arguments as typed.  Only where the rest begins with a quote (a
    // program path with a blank) it goes inside one more pair: the
    // interpreter takes the first and the last quote of such a line off
    // before reading it, which would otherwise cost the program's quote and
    // the last field's.
    // A line the interpreter would not take whole it refuses with a message
    // of its own after it has started; refused here, nothing starts and the
    // user gets the same word as for any other line too long.
    if (!InterpreterTakesLine(interpreter + " " + switchArg + " " + argument, {}, InterpreterInput::CommandLine))
        return StartResult::LineTooLong;
    const bool stripped = !argument.empty() && argument.front() == '"';
    std::wstring line = Wide(interpreter + " " + switchArg + " " +
                             (stripped ? '"' + argument + '"' : argument));
    if (line.size() >= kMaxCommandLine) return StartResult::LineTooLong;

    const HANDLE error = TemporaryErrorFile();
    const HANDLE in = OpenNul(GENERIC_READ), out = OpenNul(GENERIC_WRITE);
    // The job holds the interpreter and everything it starts, so that a
    // cancel reaches them all and none outlives this program, however it ends.
    job_ = CreateJobObjectW(nullptr, nullptr);
    if (job_) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(job_, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    }
    // Suspended until it is in the job, so that nothing it starts escapes.
    Spawned spawned = SpawnHidden(interpreter, line, in, out,
                                  error != INVALID_HANDLE_VALUE ? error : out, CREATE_SUSPENDED, nullptr);
    CloseHandle(in);
    CloseHandle(out);
    if (error != INVALID_HANDLE_VALUE) {
        errorFd_ = _open_osfhandle(reinterpret_cast<intptr_t>(error), 0);
        if (errorFd_ < 0) CloseHandle(error);
    }
    if (spawned.error) {
        TraceNotStarted(interpreter, "CreateProcess", spawned.error);
        return spawned.error == ERROR_FILENAME_EXCED_RANGE ? StartResult::LineTooLong
                                                            : StartResult::NotStarted;
    }
    if (!job_ || !AssignProcessToJobObject(job_, spawned.info.hProcess))
        TraceNotStarted(interpreter, "job", GetLastError());
    ResumeThread(spawned.info.hThread);
    CloseHandle(spawned.info.hThread);
    process_ = spawned.info.hProcess;
    pid_ = static_cast<long>(spawned.info.dwProcessId);
    return StartResult::Started;
}

bool TrackedCommand::Running() {
    if (process_ == nullptr || reaped_) return false;
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) return true;
    DWORD code = 0;
    if (GetExitCodeProcess(process_, &code)) exitStatus_ = static_cast<int>(code);
    reaped_ = true;
    return false;
}

void TrackedCommand::Terminate() {
    if (!Running()) return;
    // Console tools get no gentler notice from outside their console; the
    // job ends the interpreter and every process it started at once.
    if (job_ == nullptr || !TerminateJobObject(job_, 1)) TerminateProcess(process_, 1);
    WaitForSingleObject(process_, kGraceMillis);
    Running();
}

std::string TrackedCommand::ErrorOutput(std::size_t maxBytes) const {
    std::string text;
    if (errorFd_ < 0) return text;
    const HANDLE file = reinterpret_cast<HANDLE>(_get_osfhandle(errorFd_));
    char buf[4096];
    unsigned long long offset = 0;
    while (text.size() < maxBytes) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min(sizeof buf, maxBytes - text.size()));
        if (!ReadFile(file, buf, want, &got, &at) || got == 0) break;
        text.append(buf, got);
        offset += got;
    }
    return text;
}

bool OutputStillBeingWritten(const std::string& /*path*/, TrackedCommand& command) {
    return command.Running();
}

}  // namespace quillet::platform
