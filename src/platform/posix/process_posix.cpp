#include "platform/process.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/signalfd.h>
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

// Closes the descriptors first to last (in a forked child).
void CloseRange(int first, long last) {
    if (first > last) return;
    if (close_range(static_cast<unsigned>(first), last >= 65536 ? ~0U : static_cast<unsigned>(last), 0) != 0) {
        for (long fd = first; fd <= std::min(last, 65535L); ++fd)
            close(static_cast<int>(fd));
    }
}

// Closes every descriptor from 3 on but the one or two kept (in a forked
// child).
void CloseAllBut(int keep, int alsoKeep = -1) {
    if (alsoKeep < 0) alsoKeep = keep;
    const int low = std::min(keep, alsoKeep), high = std::max(keep, alsoKeep);
    CloseRange(3, low - 1L);
    CloseRange(low + 1, high - 1L);
    CloseRange(high + 1, 1L << 20);
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

// Why the watchdog ends the command's group.
bool EndAsked(const pollfd& ours, const pollfd& signals) {
    if (ours.revents != 0) {
        char byte;
        // Nothing is ever written: readable means that the pipe closed,
        // that is, this program ended, however it ended, or ends the run.
        if (read(ours.fd, &byte, 1) <= 0) return true;
    }
    signalfd_siginfo info{};
    return signals.revents != 0 && read(signals.fd, &info, sizeof info) == sizeof info &&
           info.ssi_signo != SIGCHLD;
}

// The run's own parent: a copy of this program that never execs and that
// lives no longer than the run.  It starts the command in a process group of
// its own and waits for it; should the pipe from this program close first, or
// a signal ask it to end, it ends the command's whole group (SIGTERM, a
// grace, SIGKILL).  Either way it removes the batch file, if any, and ends
// with the command's status.  Only async-signal-safe calls: it is a fork of
// a program with threads.
[[noreturn]] void WatchCommand(const char* program, char* const argv[], char* const env[],
                               int reportFd, int oursFd, const char* batchFile, const char* batchDir) {
    prctl(PR_SET_NAME, "quillet-watch");
    sigset_t watched;
    sigemptyset(&watched);
    for (int sig : {SIGCHLD, SIGTERM, SIGHUP, SIGINT}) sigaddset(&watched, sig);
    sigprocmask(SIG_BLOCK, &watched, nullptr);
    const int signals = signalfd(-1, &watched, SFD_CLOEXEC);
    const pid_t watchdog = getpid();
    const pid_t tool = fork();
    if (tool == 0) {
        setpgid(0, 0);
        // Should the watchdog itself be killed, the command goes with it.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != watchdog) _exit(127);
        DefaultSignalsInChild();
        execve(program, argv, env);
    }
    if (tool <= 0) {  // the fork failed, or (in the child) the exec
        const int error = errno;
        ssize_t ignored = write(reportFd, &error, sizeof error);
        (void)ignored;
        _exit(127);
    }
    setpgid(tool, tool);  // whichever of the two runs first
    close(reportFd);
    int status = 0;
    pollfd polled[2] = {{oursFd, POLLIN, 0}, {signals, POLLIN, 0}};
    for (;;) {
        const pid_t rc = waitpid(tool, &status, WNOHANG);
        if (rc == tool || (rc < 0 && errno != EINTR)) break;
        // Without a signalfd the command's end is looked for every 100 ms.
        if (poll(polled, signals >= 0 ? 2 : 1, signals >= 0 ? -1 : 100) <= 0) continue;
        if (!EndAsked(polled[0], polled[1])) continue;
        killpg(tool, SIGTERM);
        // The leader stays unreaped through the grace, so that the group's id
        // stays the command's until the SIGKILL below.
        for (int waited = 0; waited < kGraceMillis && !LeaderEnded(tool); waited += 10)
            SleepMillis(10);
        killpg(tool, SIGKILL);
        while (waitpid(tool, &status, 0) < 0 && errno == EINTR) {
        }
        break;
    }
    if (batchFile) unlink(batchFile);
    if (batchDir) rmdir(batchDir);
    _exit(WIFEXITED(status) ? WEXITSTATUS(status) : WIFSIGNALED(status) ? 128 + WTERMSIG(status) : 127);
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
        CloseAllBut(report[1]);
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
    CloseOurs();
    RemoveTemporaryFiles();
    if (errorFd_ >= 0)
        close(errorFd_);
}

int TrackedCommand::Spawn(const std::vector<std::string>& programArgs,
                          const std::vector<std::string>& variables, int outputFd, int inputFd) {
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
    const int nullIn = inputFd >= 0 ? AboveStdio(fcntl(inputFd, F_DUPFD_CLOEXEC, 3))
                                    : AboveStdio(open("/dev/null", O_RDONLY | O_CLOEXEC));
    const int nullOut = outputFd >= 0 ? AboveStdio(fcntl(outputFd, F_DUPFD_CLOEXEC, 3))
                                      : AboveStdio(open("/dev/null", O_WRONLY | O_CLOEXEC));
    const int errorOut = errorFd_ >= 0 ? errorFd_ : nullOut;
    // The command reports a failed exec through this pipe; a successful exec
    // closes it, so the read below sees the end of file.  The other pipe
    // ties the watchdog to this program: its write end is ours alone.
    int report[2], ours[2];
    if (nullIn < 0 || nullOut < 0 || pipe2(report, O_CLOEXEC) != 0) {
        const int error = errno ? errno : EMFILE;
        if (nullIn >= 0) close(nullIn);
        if (nullOut >= 0) close(nullOut);
        TraceNotStarted(program, "descriptors", error);
        return error;
    }
    if (pipe2(ours, O_CLOEXEC) != 0) {
        const int error = errno;
        for (int fd : {nullIn, nullOut, report[0], report[1]}) close(fd);
        TraceNotStarted(program, "descriptors", error);
        return error;
    }
    report[1] = AboveStdio(report[1]);
    ours[0] = AboveStdio(ours[0]);
    const std::string batchFile = tempDir_.empty() ? std::string() : tempDir_ + "/run.bat";

    const pid_t pid = fork();
    const int forkError = errno;
    if (pid == 0) {
        // A session of its own and no terminal: a Ctrl+C or a hang-up meant
        // for this program reaches it only through the pipe.
        setsid();
        dup2(nullIn, 0);
        dup2(nullOut, 1);
        dup2(errorOut, 2);
        DefaultSignalsInChild();
        // Descriptors opened elsewhere without O_CLOEXEC (a toolkit, a
        // library) must not keep files or pipes of ours open in the tool.
        CloseAllBut(report[1], ours[0]);
        WatchCommand(program.c_str(), argv.data(), env.data(), report[1], ours[0],
                     batchFile.empty() ? nullptr : batchFile.c_str(),
                     tempDir_.empty() ? nullptr : tempDir_.c_str());
    }
    close(report[1]);
    close(ours[0]);
    close(nullIn);
    close(nullOut);
    if (pid < 0) {
        close(report[0]);
        close(ours[1]);
        TraceNotStarted(program, "fork", forkError);
        return EAGAIN;
    }
    if (const std::optional<int> reported = ReportedExecError(report[0])) {
        int error = *reported;
        close(ours[1]);
        while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
        if (error == 0) error = ENOEXEC;
        TraceNotStarted(program, "exec", error);
        return error;
    }
    pid_ = pid;
    oursFd_ = ours[1];
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
        std::vector<std::string> variables;
        if (std::getenv("WINEDEBUG") == nullptr) variables.push_back("WINEDEBUG=-all");
        const std::string batchLine = BatchFileLine(argument, variables);
        // A longer line the interpreter would cut, and run its rest as
        // commands of their own.
        if (!InterpreterTakesLine(batchLine, variables, InterpreterInput::BatchFile))
            return StartResult::LineTooLong;
        const char* tmp = std::getenv("TMPDIR");
        std::string dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/quillet-XXXXXX";
        if (mkdtemp(dir.data()) == nullptr) {
            TraceNotStarted(launch.wine, dir.c_str(), errno);
            return StartResult::NotStarted;
        }
        tempDir_ = dir;
        const std::string batch = dir + "/run.bat";
        std::ofstream file(batch, std::ios::binary);
        file << batchLine << "\r\n";
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
    int output = -1, input = -1;
    for (const Redirection& redirection : line.redirections) {
        int& fd = redirection.input ? input : output;
        if (fd >= 0) close(fd);
        // Every file named is opened in turn, and every output file made, as
        // the Windows interpreter does; the last of each way is the tool's.
        fd = redirection.input
                 ? open(redirection.file.c_str(), O_RDONLY | O_CLOEXEC)
                 : open(redirection.file.c_str(),
                        O_WRONLY | O_CREAT | O_CLOEXEC | (redirection.append ? O_APPEND : O_TRUNC), 0666);
        if (fd < 0) {
            const int error = errno;
            if (output >= 0) close(output);
            if (input >= 0) close(input);
            EndAtStart(redirection.input && error == ENOENT ? "The system cannot find the file specified."
                                                            : redirection.file + ": " + std::strerror(error),
                       1);
            return StartResult::Started;
        }
    }
    // A tool that cannot be started fails as a shell would report it.
    const int error = Spawn(line.arguments, {}, output, input);
    if (output >= 0) close(output);
    if (input >= 0) close(input);
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
    CloseOurs();
    RemoveTemporaryFiles();
    return false;
}

void TrackedCommand::Terminate() {
    if (!Running())
        return;
    // The watchdog ends the whole group once the pipe closes, within its
    // grace; it is killed itself only should it not end after that (stopped).
    CloseOurs();
    for (int waited = 0; waited < kGraceMillis + 1000 && !LeaderEnded(pid_); waited += 10)
        SleepMillis(10);
    if (!LeaderEnded(pid_)) kill(pid_, SIGKILL);
    Reap();
}

void TrackedCommand::Reap() {
    CloseOurs();
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

void TrackedCommand::CloseOurs() {
    if (oursFd_ >= 0) close(oursFd_);
    oursFd_ = -1;
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
