#include "platform/process.h"
#include "platform/posix/program_end.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include "platform/trace.h"
#include "platform/windows_line.h"

#include <wx/log.h>

extern char** environ;

namespace quillet::platform {

namespace {

// How long a terminated command may take to end after SIGTERM.
constexpr int kGraceMillis = 400;

// Lifts fd to 3 or above (close-on-exec), so that arranging the child's
// standard streams can never overwrite it; closes the original.
int AboveStdio(int fd) {
    if (fd < 0 || fd > 2)
        return fd;
    int moved = fcntl(fd, F_DUPFD_CLOEXEC, 3);
    close(fd);
    return moved;
}

int AnonymousTempFile() {
    const char* dir = std::getenv("TMPDIR");
    if (!dir || !*dir)
        dir = "/tmp";
    int fd = open(dir, O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0) {
        // A file system without O_TMPFILE: a named file, unlinked at once.
        std::string name = std::string(dir) + "/quillet-err-XXXXXX";
        fd = mkostemp(name.data(), O_CLOEXEC);
        if (fd >= 0)
            unlink(name.c_str());
    }
    return AboveStdio(fd);
}

void SleepMillis(long ms) {
    timespec ts{ms / 1000, (ms % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) < 0 && errno == EINTR) {
    }
}

// Runs in a freshly forked child, so only async-signal-safe calls: handlers
// and ignored signals of this program must not shape the started program.
void DefaultSignalsInChild() {
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    for (int sig = 1; sig < NSIG; ++sig) {
        if (sig != SIGKILL && sig != SIGSTOP)
            sigaction(sig, &dfl, nullptr);
    }
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
}

// Whether the process has ended, leaving it unreaped.
bool LeaderEnded(pid_t pid) {
    siginfo_t info{};
    int rc;
    do {
        rc = waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT);
    } while (rc < 0 && errno == EINTR);
    return rc < 0 || info.si_pid != 0;
}

// The program a name stands for: a name with a slash as it is, any other
// searched along PATH as the shell would.  Done before fork, where looking
// things up is still allowed.
std::string FindProgram(const std::string& name) {
    if (name.find('/') != std::string::npos)
        return name;
    const char* path = std::getenv("PATH");
    std::string dirs = path && *path ? path : "/usr/local/bin:/usr/bin:/bin";
    std::size_t from = 0;
    while (from <= dirs.size()) {
        std::size_t to = dirs.find(':', from);
        if (to == std::string::npos)
            to = dirs.size();
        std::string dir = dirs.substr(from, to - from);
        std::string candidate = (dir.empty() ? std::string(".") : dir) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
        from = to + 1;
    }
    return name;  // execv fails with ENOENT, as it should
}

// Closes every descriptor from first on but keep (in a forked child).
void CloseFrom(int first, int keep) {
    if (keep >= first) {
        if (keep > first && close_range(static_cast<unsigned>(first), static_cast<unsigned>(keep - 1), 0) != 0) {
            for (int fd = first; fd < keep; ++fd)
                close(fd);
        }
        first = keep + 1;
    }
    if (close_range(static_cast<unsigned>(first), ~0U, 0) != 0) {
        for (long fd = first; fd < 65536; ++fd)
            close(static_cast<int>(fd));
    }
}

// This process's environment with "NAME=value" entries put in (replacing
// one of the same name); the strings live in storage.
std::vector<char*> Environment(const std::vector<std::string>& variables,
                               std::vector<std::string>& storage) {
    storage = variables;
    std::vector<char*> env;
    for (char** e = environ; *e; ++e) {
        const char* equals = std::strchr(*e, '=');
        const std::size_t length = equals ? static_cast<std::size_t>(equals - *e) : std::strlen(*e);
        const bool replaced = std::any_of(variables.begin(), variables.end(), [&](const std::string& v) {
            return v.size() > length && v[length] == '=' && v.compare(0, length, *e, length) == 0;
        });
        if (!replaced) env.push_back(*e);
    }
    for (std::string& v : storage) env.push_back(v.data());
    env.push_back(nullptr);
    return env;
}

// The errno a child wrote into its report pipe when its exec failed; none
// when the exec happened and the pipe closed empty.  Closes the pipe.
std::optional<int> ReportedExecError(int fd) {
    int error = 0;
    ssize_t got;
    do {
        got = read(fd, &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    close(fd);
    if (got != static_cast<ssize_t>(sizeof error)) return std::nullopt;
    return error;
}

void TraceNotStarted(const std::string& program, const char* step, int error) {
    wxLogTrace(kTraceExec, "%s not started: %s: %s", program.c_str(), step, std::strerror(error));
}

std::vector<char*> Arguments(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    return args;
}

}  // namespace

void StartDetached(const std::string& program) {
    if (!program.empty()) StartDetached(std::vector<std::string>{program}, {});
}

void StartDetached(const std::vector<std::string>& programArgs, const std::vector<std::string>& variables) {
    if (programArgs.empty() || programArgs[0].empty())
        return;
    const std::string& program = programArgs[0];
    int nullFd = AboveStdio(open("/dev/null", O_RDWR | O_CLOEXEC));
    // Nobody waits for the program, so only a trace can tell that it failed
    // to start; the program (or the fork before it) reports through this
    // pipe, which a successful exec closes.
    int report[2];
    if (nullFd < 0 || pipe2(report, O_CLOEXEC) != 0) {
        TraceNotStarted(program, nullFd < 0 ? "/dev/null" : "pipe", errno);
        if (nullFd >= 0) close(nullFd);
        return;
    }
    report[1] = AboveStdio(report[1]);
    // Everything the children need is prepared here: after fork only
    // async-signal-safe calls are allowed, and the allocator is not one.
    std::vector<char*> argv = Arguments(programArgs);
    std::vector<std::string> storage;
    std::vector<char*> env = Environment(variables, storage);

    // Two forks: the middle child ends at once and is reaped here, so the
    // program is adopted by init and never becomes our zombie.
    pid_t middle = fork();
    if (middle == 0) {
        setsid();
        pid_t program_pid = fork();
        if (program_pid != 0) {
            if (program_pid < 0) {
                const int error = errno;
                ssize_t ignored = write(report[1], &error, sizeof error);
                (void)ignored;
            }
            _exit(program_pid < 0 ? 1 : 0);
        }
        dup2(nullFd, 0);
        dup2(nullFd, 1);
        dup2(nullFd, 2);
        DefaultSignalsInChild();
        CloseFrom(3, report[1]);
        execve(argv[0], argv.data(), env.data());
        const int error = errno;
        ssize_t ignored = write(report[1], &error, sizeof error);
        (void)ignored;
        _exit(127);
    }
    const int forkError = errno;
    close(nullFd);
    close(report[1]);
    if (middle < 0) {
        close(report[0]);
        TraceNotStarted(program, "fork", forkError);
        return;
    }
    while (waitpid(middle, nullptr, 0) < 0 && errno == EINTR) {
    }
    if (const std::optional<int> error = ReportedExecError(report[0]))
        TraceNotStarted(program, "exec", *error);
}

TrackedCommand::~TrackedCommand() {
    Terminate();
    RemoveTemporaryFiles();
    if (errorFd_ >= 0)
        close(errorFd_);
}

int TrackedCommand::Spawn(const std::vector<std::string>& programArgs,
                          const std::vector<std::string>& variables, int outputFd) {
    if (pid_ > 0 || endedAtStart_)
        return EBUSY;  // one run per object
    if (errorFd_ >= 0)
        close(errorFd_);  // left from a start that failed
    errorFd_ = AnonymousTempFile();

    // Everything the child needs is prepared here: after fork only
    // async-signal-safe calls are allowed, and the allocator is not one.
    const std::string program = FindProgram(programArgs[0]);
    std::vector<char*> argv = Arguments(programArgs);
    std::vector<std::string> storage;
    std::vector<char*> env = Environment(variables, storage);
    const int nullIn = AboveStdio(open("/dev/null", O_RDONLY | O_CLOEXEC));
    const int nullOut = outputFd >= 0 ? AboveStdio(fcntl(outputFd, F_DUPFD_CLOEXEC, 3))
                                      : AboveStdio(open("/dev/null", O_WRONLY | O_CLOEXEC));
    const int errorOut = errorFd_ >= 0 ? errorFd_ : nullOut;
    // The child reports a failed exec through this pipe; a successful exec
    // closes it, so the read below sees the end of file.
    int report[2];
    if (nullIn < 0 || nullOut < 0 || pipe2(report, O_CLOEXEC) != 0) {
        const int error = errno ? errno : EMFILE;
        if (nullIn >= 0) close(nullIn);
        if (nullOut >= 0) close(nullOut);
        TraceNotStarted(program, "descriptors", error);
        return error;
    }
    report[1] = AboveStdio(report[1]);
    const pid_t parent = getpid();

    const pid_t pid = fork();
    const int forkError = errno;
    if (pid == 0) {
        close(report[0]);
        // A session of its own, which is also its process group, so that a
        // cancel reaches everything the command starts, and no terminal.
        setsid();
#ifdef __linux__
        // Should this program be killed outright, the kernel ends the
        // interpreter with it.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent) _exit(127);
#endif
        dup2(nullIn, 0);
        dup2(nullOut, 1);
        dup2(errorOut, 2);
        DefaultSignalsInChild();
        // Descriptors opened elsewhere without O_CLOEXEC (a toolkit, a
        // library) must not keep files or pipes of ours open in the tool.
        CloseFrom(3, report[1]);
        execve(program.c_str(), argv.data(), env.data());
        const int error = errno;
        ssize_t ignored = write(report[1], &error, sizeof error);
        (void)ignored;
        _exit(127);
    }
    close(report[1]);
    close(nullIn);
    close(nullOut);
    if (pid < 0) {
        close(report[0]);
        TraceNotStarted(program, "fork", forkError);
        return EAGAIN;
    }
    if (const std::optional<int> reported = ReportedExecError(report[0])) {
        int error = *reported;
        while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
        if (error == 0) error = ENOEXEC;
        TraceNotStarted(program, "exec", error);
        return error;
    }
    pid_ = pid;
    RememberGroup(pid_);
    return 0;
}

namespace {
StartResult Result(int error) {
    return error == 0 ? StartResult::Started
                      : error == E2BIG ? StartResult::LineTooLong : StartResult::NotStarted;
}
}  // namespace

StartResult TrackedCommand::Start(const std::string& interpreter, const std::string& switchArg,
                                  const std::string& argument) {
    return Result(Spawn({interpreter, switchArg, argument}, {}, -1));
}

StartResult TrackedCommand::Start(const ToolLaunch& launch, const std::string& argument) {
    if (pid_ > 0 || endedAtStart_)
        return StartResult::NotStarted;  // one run per object
    switch (launch.way) {
    case LaunchWay::Interpreter:
        return Start(*launch.interpreter, "-c", argument);
    case LaunchWay::Wine: {
        if (launch.wine.empty())
            return StartResult::NotStarted;
        // Handed to Wine as arguments, the line would be quoted anew on its
        // way to the interpreter; a batch file reaches it as written.
        const char* tmp = std::getenv("TMPDIR");
        std::string dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/quillet-XXXXXX";
        if (mkdtemp(dir.data()) == nullptr) {
            TraceNotStarted(launch.wine, dir.c_str(), errno);
            return StartResult::NotStarted;
        }
        tempDir_ = dir;
        std::vector<std::string> variables;
        if (std::getenv("WINEDEBUG") == nullptr) variables.push_back("WINEDEBUG=-all");
        const std::string batch = dir + "/run.bat";
        std::ofstream file(batch, std::ios::binary);
        file << BatchFileLine(argument, variables) << "\r\n";
        file.close();
        if (!file)
            wxLogTrace(kTraceExec, "%s not started: cannot write %s", launch.wine.c_str(), batch.c_str());
        const StartResult started =
            file ? Result(Spawn({launch.wine, "cmd", "/c", WindowsPath(batch)}, variables, -1))
                 : StartResult::NotStarted;
        if (started != StartResult::Started) RemoveTemporaryFiles();
        return started;
    }
    case LaunchWay::Direct:
        break;
    }
    const ToolLine line = ParseToolLine(argument);
    if (line.arguments.empty() || line.arguments[0].empty())
        return StartResult::NotStarted;
    int output = -1;
    for (const OutputRedirection& redirection : line.outputs) {
        if (output >= 0) close(output);
        // Every file named is made, as the Windows interpreter makes them;
        // the last one gets the output.
        output = open(redirection.file.c_str(),
                      O_WRONLY | O_CREAT | O_CLOEXEC | (redirection.append ? O_APPEND : O_TRUNC), 0666);
        if (output < 0) {
            EndAtStart(redirection.file + ": " + std::strerror(errno), 1);
            return StartResult::Started;
        }
    }
    // A tool that cannot be started fails as a shell would report it.
    const int error = Spawn(line.arguments, {}, output);
    if (output >= 0) close(output);
    if (error == E2BIG) return StartResult::LineTooLong;
    if (error != 0)
        EndAtStart(line.arguments[0] + ": " + std::strerror(error), error == ENOENT ? 127 : 126);
    return StartResult::Started;
}

void TrackedCommand::EndAtStart(const std::string& reason, int status) {
    if (errorFd_ < 0) errorFd_ = AnonymousTempFile();
    const std::string text = reason + "\n";
    if (errorFd_ >= 0 && pwrite(errorFd_, text.data(), text.size(), 0) < 0) {
        // The status still tells that the command failed.
    }
    exitStatus_ = status;
    endedAtStart_ = true;
}

void TrackedCommand::RemoveTemporaryFiles() {
    if (tempDir_.empty()) return;
    unlink((tempDir_ + "/run.bat").c_str());
    rmdir(tempDir_.c_str());
    tempDir_.clear();
}



bool TrackedCommand::Running() {
    if (pid_ <= 0 || reaped_)
        return false;
    int status = 0;
    pid_t rc;
    do {
        rc = waitpid(pid_, &status, WNOHANG);
    } while (rc < 0 && errno == EINTR);
    if (rc == 0)
        return true;
    if (rc == pid_)
        exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    // Otherwise it was reaped behind our back (SIGCHLD ignored): over, with
    // its status unknown.
    reaped_ = true;
    ForgetGroup(pid_);
    RemoveTemporaryFiles();
    return false;
}

void TrackedCommand::Terminate() {
    if (!Running())
        return;
    killpg(pid_, SIGTERM);
    // The grace is watched without reaping: the leader, even ended, keeps
    // its group's id ours until the SIGKILL below has swept the group of
    // whatever ignored SIGTERM.
    for (int waited = 0; waited < kGraceMillis && !LeaderEnded(pid_); waited += 10)
        SleepMillis(10);
    killpg(pid_, SIGKILL);
    Reap();
}

void TrackedCommand::Reap() {
    ForgetGroup(pid_);
    int status = 0;
    pid_t rc;
    do {
        rc = waitpid(pid_, &status, 0);
    } while (rc < 0 && errno == EINTR);
    if (rc == pid_)
        exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    reaped_ = true;
    RemoveTemporaryFiles();
}

std::string TrackedCommand::ErrorOutput(std::size_t maxBytes) const {
    std::string text;
    if (errorFd_ < 0)
        return text;
    char buf[4096];
    off_t offset = 0;
    while (text.size() < maxBytes) {
        std::size_t want = std::min(sizeof buf, maxBytes - text.size());
        ssize_t got = pread(errorFd_, buf, want, offset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        text.append(buf, static_cast<std::size_t>(got));
        offset += got;
    }
    return text;
}

bool OutputStillBeingWritten(const std::string& /*path*/, TrackedCommand& command) {
    return command.Running();
}

}  // namespace quillet::platform
