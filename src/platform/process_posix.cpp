#include "platform/process.h"
#include "platform/program_end.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

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

}  // namespace

char PathSeparator() { return '/'; }

const char* InterpreterSwitch() { return " -c "; }

std::optional<std::string> ChooseInterpreter(const char* comspec, bool posix) {
    if (comspec && *comspec)
        return std::string(comspec);
    if (posix)
        return std::string("/bin/sh");
    return std::nullopt;
}

std::optional<std::string> CommandInterpreter() {
    return ChooseInterpreter(std::getenv("COMSPEC"), true);
}

void StartDetached(const std::string& program) {
    if (program.empty())
        return;
    int nullFd = AboveStdio(open("/dev/null", O_RDWR | O_CLOEXEC));
    if (nullFd < 0)
        return;
    // Everything the children need is prepared here: after fork only
    // async-signal-safe calls are allowed, and the allocator is not one.
    char* const argv[] = {const_cast<char*>(program.c_str()), nullptr};

    // Two forks: the middle child ends at once and is reaped here, so the
    // program is adopted by init and never becomes our zombie.
    pid_t middle = fork();
    if (middle == 0) {
        setsid();
        pid_t program_pid = fork();
        if (program_pid != 0)
            _exit(program_pid < 0 ? 1 : 0);
        dup2(nullFd, 0);
        dup2(nullFd, 1);
        dup2(nullFd, 2);
        DefaultSignalsInChild();
        CloseFrom(3, -1);
        execv(argv[0], argv);
        _exit(127);
    }
    close(nullFd);
    if (middle > 0) {
        while (waitpid(middle, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
}

TrackedCommand::~TrackedCommand() {
    Terminate();
    if (errorFd_ >= 0)
        close(errorFd_);
}

StartResult TrackedCommand::Start(const std::string& interpreter, const std::string& switchArg,
                                  const std::string& argument) {
    if (pid_ > 0)
        return StartResult::NotStarted;  // one run per object
    if (errorFd_ >= 0)
        close(errorFd_);  // left from a start that failed
    errorFd_ = AnonymousTempFile();

    // Everything the child needs is prepared here: after fork only
    // async-signal-safe calls are allowed, and the allocator is not one.
    const std::string program = FindProgram(interpreter);
    char* const argv[] = {const_cast<char*>(interpreter.c_str()),
                          const_cast<char*>(switchArg.c_str()),
                          const_cast<char*>(argument.c_str()), nullptr};
    const int nullIn = AboveStdio(open("/dev/null", O_RDONLY | O_CLOEXEC));
    const int nullOut = AboveStdio(open("/dev/null", O_WRONLY | O_CLOEXEC));
    const int errorOut = errorFd_ >= 0 ? errorFd_ : nullOut;
    // The child reports a failed exec through this pipe; a successful exec
    // closes it, so the read below sees the end of file.
    int report[2];
    if (nullIn < 0 || nullOut < 0 || pipe2(report, O_CLOEXEC) != 0) {
        if (nullIn >= 0) close(nullIn);
        if (nullOut >= 0) close(nullOut);
        return StartResult::NotStarted;
    }
    report[1] = AboveStdio(report[1]);
    const pid_t parent = getpid();

    const pid_t pid = fork();
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
        execv(program.c_str(), argv);
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
        return StartResult::NotStarted;
    }
    int error = 0;
    ssize_t got;
    do {
        got = read(report[0], &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    close(report[0]);
    if (got == static_cast<ssize_t>(sizeof error)) {
        while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
        return error == E2BIG ? StartResult::LineTooLong : StartResult::NotStarted;
    }
    pid_ = pid;
    RememberGroup(pid_);
    return StartResult::Started;
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

bool OutputStillBeingWritten(const std::string& path, TrackedCommand& command) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && command.Running();
}

}  // namespace quillet::platform
