#pragma once
// Starting the two outside programs: the server once, detached, and each
// console-tool run, tracked until it ends.
#include <optional>
#include <string>
#include <vector>

#include "platform/launch.h"

namespace quillet::platform {

// Starts program (a path, no arguments, no shell) detached: its own session,
// standard streams on /dev/null, never waited for and never stopped, and
// leaving no zombie behind.  A failure to start is only traced (kTraceExec).
void StartDetached(const std::string& program);
// The same with arguments (argv[0] is the program) and "NAME=value"
// variables added to the environment.
void StartDetached(const std::vector<std::string>& argv, const std::vector<std::string>& variables);

// One console-tool run, in the current directory, with standard input
// from /dev/null, no terminal and a process group of its own.  Standard
// output goes to /dev/null when an interpreter runs the line: the line
// redirects the tool's output itself, and nothing the interpreter prints
// outside that redirection should reach whatever terminal the program was
// started from.  Standard error goes to an anonymous temporary file, which no
// amount of output can block, and is kept for the caller.  None of this
// program's own file descriptors reach the command.  However this program
// ends, killed outright included, the run's whole group is ended with it and
// its temporary files are removed.

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

    // Starts a composed line the way launch says: argument is everything of
    // the line after the interpreter's switch (the whole line when there is
    // no interpreter).  Under Wine the line goes into a batch file in a
    // private temporary directory, removed once the command has ended; a
    // line longer than the interpreter takes whole is LineTooLong and
    // nothing starts.  A program started directly gets the line's last ">"
    // file as its standard output and its last "<" file as its standard
    // input; when such a file or the program cannot be opened, the command
    // counts as started and ended at once, with the reason as its error
    // output and the status the interpreter would give (1, or 126 / 127).
    StartResult Start(const ToolLaunch& launch, const std::string& argument);
    // switchArg is the switch without blanks ("-c"); argument is everything
    // of the line after the switch.
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
    bool Started() const { return pid_ > 0 || endedAtStart_; }
    // What the command wrote to its standard error, up to maxBytes.
    std::string ErrorOutput(std::size_t maxBytes = 65536) const;

private:
    // Starts argv (argv[0] found along PATH when it has no "/") with the
    // variables added to the environment; outputFd < 0: standard output on
    // /dev/null, inputFd < 0: standard input from it.  Gives 0 or the error
    // that kept the program from starting.
    int Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& variables,
              int outputFd, int inputFd = -1);
    void EndAtStart(const std::string& reason, int status);
    void Reap();
    void RemoveTemporaryFiles();
    void CloseOurs();

    std::string tempDir_;  // the batch file's directory, while there is one
    bool endedAtStart_ = false;
    long pid_ = -1;  // the command's process id, on POSIX also its group's
    // Where the system names processes by handles (Windows): the command's
    // process, and the job that holds it and everything it starts.
    void* process_ = nullptr;
    void* job_ = nullptr;
    int exitStatus_ = -1;
    int errorFd_ = -1;
    bool reaped_ = false;
    int oursFd_ = -1;  // while open, the watchdog lets the command run
};

// The run's stand-in for "ham.txt cannot be opened while the tool still
// writes it": the file counts as not yet readable while the command that
// writes it runs, also before it exists: under Wine the interpreter makes
// it only once Wine is up, a second or more after the start.
bool OutputStillBeingWritten(const std::string& path, TrackedCommand& command);

}  // namespace quillet::platform
