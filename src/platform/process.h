#pragma once
// Starting the two outside programs: the server once, detached, and each
// console-tool run through the command interpreter, tracked until it ends.
#include <optional>
#include <string>
#include <sys/types.h>

namespace quillet::platform {

// The directory separator put between HamDir and a program's name.
char PathSeparator();

// The switch that makes the interpreter run one command line, with its
// blanks: " /c " on Windows, " -c " on POSIX.
const char* InterpreterSwitch();

// The command interpreter for a run: the value of COMSPEC when it is set
// (comspec non-null and not empty: an empty value names no program);
// otherwise the platform's standard shell, or nothing on a platform that has
// none without COMSPEC (Windows).  posix selects the platform so that both
// rules can be tested on either.
std::optional<std::string> ChooseInterpreter(const char* comspec, bool posix);
// The same for this platform and this process's environment.
std::optional<std::string> CommandInterpreter();

// Starts program (a path, no arguments, no shell) detached: its own session,
// standard streams on /dev/null, never waited for and never stopped, and
// leaving no zombie behind.  A failure to start is silent.
void StartDetached(const std::string& program);

// One console-tool run: the interpreter started with its switch and the rest
// of the line as one argument, in the current directory, with standard input
// from /dev/null and no terminal (a session of its own, which is also its
// process group).  Standard output goes to /dev/null: the line redirects the
// tool's output itself, and nothing the interpreter prints outside that
// redirection should reach whatever terminal the program was started from.
// Standard error goes to an anonymous temporary file, which no amount of
// output can block, and is kept for the caller.  None of this program's own
// file descriptors reach the command.
// Why a command did not start.
enum class StartResult {
    Started,
    NotStarted,   // the program could not be started (missing, not executable)
    LineTooLong,  // the system refused the arguments for their length
};

class TrackedCommand {
public:
    TrackedCommand() = default;
    ~TrackedCommand();  // terminates a command still running, and reaps it
    TrackedCommand(const TrackedCommand&) = delete;
    TrackedCommand& operator=(const TrackedCommand&) = delete;

    // switchArg is the switch without blanks ("-c"); argument is everything
    // of the line after the switch.  Where the system offers it, the started
    // interpreter is ended by the kernel should this program die without a
    // chance to end it (a hard kill).
    StartResult Start(const std::string& interpreter, const std::string& switchArg,
                      const std::string& argument);
    // True while the started command is still running; reaps it once ended.
    bool Running();
    // Ends a command still running and every process of its group (SIGTERM,
    // then after a short grace SIGKILL), then reaps it.  A command that has
    // already ended is left alone: once it is reaped its process-group id is
    // no longer ours to signal.
    void Terminate();
    // After the end: the exit status (128 + signal number after a signal),
    // or -1 when it never started or its status could not be learnt.
    int ExitStatus() const { return exitStatus_; }
    bool Started() const { return pid_ > 0; }
    // What the command wrote to its standard error, up to maxBytes.
    std::string ErrorOutput(std::size_t maxBytes = 65536) const;

private:
    void Reap();

    pid_t pid_ = -1;
    int exitStatus_ = -1;
    int errorFd_ = -1;
    bool reaped_ = false;
};

// Makes this program end the process groups of the commands it still runs
// when it ends for a reason it can see: SIGTERM, SIGHUP or SIGINT, exit(),
// or the loss of the display connection.  Call it once at start-up, after
// the display is open.
void EndCommandsWhenProgramEnds();

// The run's stand-in for "ham.txt cannot be opened while the tool still
// writes it": a file that exists counts as not yet openable while the
// command that writes it is running.
bool OutputStillBeingWritten(const std::string& path, TrackedCommand& command);

}  // namespace quillet::platform
