#pragma once
// One press of "Do It" as a job on the event loop: it composes the line,
// echoes it, starts the command and returns at once; a timer then drives the
// sleep, the wait with its "Waiting since" count, the copy of what ham.txt
// holds (live, while the tool still writes it, where the platform allows)
// and the counts.  A copy goes on in slices; where the platform wants it,
// a slice follows the last one in the loop's idle time rather than after a
// timer's wait.  The job owns its command, its pane stream and its timer;
// everything else is handed in.
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include <wx/event.h>
#include <wx/timer.h>

#include "exec/command_line.h"
#include "exec/line_copier.h"
#include "platform/output_file.h"
#include "platform/process.h"

namespace quillet {

// The status bar's two fields, as a run reports to them.
class StatusSink {
public:
    virtual ~StatusSink() = default;
    virtual void SetStatus(int field, const std::string& text) = 0;
};

// The output pane, as a run writes to it.
class PaneSink {
public:
    virtual ~PaneSink() = default;
    virtual void Clear() = 0;
    // A stream onto the pane: text reaches the pane on a flush or when the
    // stream's buffer is full.  Valid until CloseStream().
    virtual std::ostream& OpenStream() = 0;
    virtual void CloseStream() = 0;
    // Around each batch of text a run appends.  A bulk batch is a large one
    // the view need not follow piece by piece.
    virtual void BeginAppend(bool bulk) = 0;
    virtual void EndAppend() = 0;
};

struct RunSettings {
    int waitForSys = 1;                  // seconds to sleep after the start
    std::string outputFile = "ham.txt";  // in the current directory
    // Show what the output file holds while the tool still writes it.
    bool liveOutput = platform::kOutputReadableWhileWritten;
};

// Composes the line; on a refusal writes the message to pane, flushes it and
// gives nothing.
std::optional<Composition> BuildCommandLine(const FormValues& values,
                                            const PlatformParams& platform, std::ostream& pane);

enum class RunEnd { Running, Refused, NotOpened, Copied, Cancelled };

// When the tool was seen to have ended and when the final counts were shown:
// what a user waits for on a big output, measured by the benchmarks.
struct RunTimes {
    std::chrono::steady_clock::time_point waitEnded, countsShown;
};

class RunJob : public wxEvtHandler {
public:
    RunJob(PaneSink& pane, StatusSink& status, RunSettings settings,
           std::function<void()> onEnd);
    ~RunJob() override;  // ends a command still running
    RunJob(const RunJob&) = delete;
    RunJob& operator=(const RunJob&) = delete;

    // The first steps of a run, up to the start of the command.  Gives the
    // name of the value whose field the composition wants focused (empty: none); the job goes on from the event
    // loop when it is Active() afterwards, and calls onEnd when it ends.
    std::string Start(const FormValues& values, const PlatformParams& platform);

    // Escape: ends the command and its whole process group, shows what the
    // output file holds and says the output may be incomplete.
    void Cancel();

    bool Active() const { return phase_ != Phase::Over; }
    RunEnd End() const { return end_; }
    const RunTimes& Times() const { return times_; }
    // The output file as the run last read it: size -1 when it never opened.
    const platform::FileStamp& OutputStamp() const { return outputStamp_; }
    const std::string& OutputPath() const { return settings_.outputFile; }

private:
    enum class Phase { Sleeping, Waiting, Draining, Over };

    void OnTick(wxTimerEvent&);
    void OnIdle(wxIdleEvent&);
    void Tick();
    void Schedule(int ms);
    void ContinueAtOnce();
    bool CopyAvailable(std::chrono::milliseconds budget);
    void CheckWait();
    void EndWait();
    void Finish(RunEnd end);
    void ReportCommandTrouble(bool fieldOneFree);

    PaneSink& pane_;
    StatusSink& status_;
    RunSettings settings_;
    std::function<void()> onEnd_;

    wxTimer timer_;
    // The next slice waits for the event loop's idle time.
    bool continueWhenIdle_ = false;
    std::ostream* out_ = nullptr;
    std::unique_ptr<platform::TrackedCommand> command_;
    platform::OutputFile file_;
    std::unique_ptr<LineCopier> copier_;
    std::unique_ptr<char[]> chunk_;
    std::string echo_;

    Phase phase_ = Phase::Over;
    RunEnd end_ = RunEnd::Running;
    bool cancelled_ = false;
    bool bulk_ = false;
    int waitSeconds_ = 1;
    std::chrono::steady_clock::time_point nextCheck_;
    RunTimes times_;
    platform::FileStamp outputStamp_;
};

}  // namespace quillet
