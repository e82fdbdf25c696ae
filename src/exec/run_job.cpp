#include "exec/run_job.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <wx/app.h>
#include <wx/log.h>

#include "platform/event_loop.h"
#include "platform/trace.h"

namespace quillet {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// How often the job looks at the command and the output while it waits:
// often enough that output appears as it comes, seldom enough to cost
// nothing worth measuring.
constexpr int kTickMillis = 100;
// Copying takes about this long before the event loop gets a turn: it stops
// at the first piece that ends past it.  A piece is what the pane takes in
// one go, and the window cannot answer meanwhile: Wine's rich edit control
// spends some 35 ms on 64 KB, and each slice of live output is drawn after
// it, some 20 ms more.  A bulk copy is drawn only at its end, so its pieces
// may be larger for the same wait.
constexpr milliseconds kSliceBudget{40};
constexpr std::size_t kLivePiece = 32 * 1024;
constexpr std::size_t kBulkPiece = 64 * 1024;
// A rest larger than this is copied with the view let go of the text.
constexpr long long kBulkBytes = 4LL << 20;

std::string Format(const char* format, long a, long b = 0) {
    char text[96];
    std::snprintf(text, sizeof text, format, a, b);
    return text;
}

}  // namespace

std::optional<Composition> BuildCommandLine(const FormValues& values,
                                            const PlatformParams& platform, std::ostream& pane) {
    Composition line = ComposeCommandLine(values, platform);
    if (!line.ok) {
        pane << line.refusal;
        pane.flush();
        return std::nullopt;
    }
    return line;
}

RunJob::RunJob(PaneSink& pane, StatusSink& status, RunSettings settings,
               std::function<void()> onEnd)
    : pane_(pane), status_(status), settings_(std::move(settings)), onEnd_(std::move(onEnd)),
      timer_(this) {
    Bind(wxEVT_TIMER, &RunJob::OnTick, this);
    if (wxTheApp != nullptr) wxTheApp->Bind(wxEVT_IDLE, &RunJob::OnIdle, this);
}

RunJob::~RunJob() {
    timer_.Stop();
    if (wxTheApp != nullptr) wxTheApp->Unbind(wxEVT_IDLE, &RunJob::OnIdle, this);
    if (out_ != nullptr) {
        if (bulk_) pane_.EndAppend();
        pane_.CloseStream();
    }
}

std::string RunJob::Start(const FormValues& values, const PlatformParams& platform) {
    status_.SetStatus(0, "");
    status_.SetStatus(1, "");
    out_ = &pane_.OpenStream();
    pane_.Clear();

    std::optional<Composition> line = BuildCommandLine(values, platform, *out_);
    if (!line) {
        if (!platform.unavailableStatus.empty()) status_.SetStatus(1, platform.unavailableStatus);
        Finish(RunEnd::Refused);
        return {};
    }
    // The echo shows at once; the output follows as it comes.
    echo_ = line->line + "\n\n";
    *out_ << echo_;
    out_->flush();

    std::remove(settings_.outputFile.c_str());
    command_ = std::make_unique<platform::TrackedCommand>();
    const platform::StartResult started = command_->Start(platform, line->argument);
    if (started == platform::StartResult::LineTooLong) {
        *out_ << "The command line is too long for this system.\n";
        status_.SetStatus(1, "Command line too long");
        Finish(RunEnd::NotOpened);
        return line->focus;
    }
    if (started != platform::StartResult::Started) {
        wxLogTrace(platform::kTraceExec, "run not started: %s", line->line.c_str());
        // Nothing will ever write the output: the wait would end at once.
        *out_ << "Coudn't open \"ham.txt\n";
        status_.SetStatus(1, "The tool could not be started");
        Finish(RunEnd::NotOpened);
        return line->focus;
    }
    chunk_ = std::make_unique<char[]>(std::max(kLivePiece, kBulkPiece));
    copier_ = std::make_unique<LineCopier>(*out_);
    phase_ = Phase::Sleeping;
    nextCheck_ = Clock::now() + std::chrono::seconds(settings_.waitForSys);
    Schedule(kTickMillis);
    return line->focus;
}

void RunJob::Schedule(int ms) { timer_.StartOnce(ms); }

void RunJob::ContinueAtOnce() {
    if (!platform::NextSliceWhenIdle()) return Schedule(1);
    // The timer stays, at its slow pace: the system's own loops (an open
    // menu, a window being dragged) give the program no idle time, but
    // deliver its timers.
    Schedule(kTickMillis);
    continueWhenIdle_ = true;
    wxWakeUpIdle();
}

void RunJob::OnTick(wxTimerEvent&) {
    continueWhenIdle_ = false;
    Tick();
}

void RunJob::OnIdle(wxIdleEvent& event) {
    event.Skip();
    if (!continueWhenIdle_) return;
    continueWhenIdle_ = false;
    timer_.Stop();
    Tick();
    if (continueWhenIdle_) event.RequestMore();
}

void RunJob::Tick() {
    switch (phase_) {
    case Phase::Sleeping:
    case Phase::Waiting: {
        // Behind a tool that writes fast, the next slice follows at once.
        const bool behind = settings_.liveOutput && !CopyAvailable(kSliceBudget);
        if (Clock::now() >= nextCheck_) CheckWait();
        if (phase_ != Phase::Sleeping && phase_ != Phase::Waiting) break;
        if (behind)
            ContinueAtOnce();
        else
            Schedule(kTickMillis);
        break;
    }
    case Phase::Draining:
        CopyAvailable(kSliceBudget);
        break;
    case Phase::Over:
        break;
    }
}

// Hands the pane what the output file holds beyond what it already showed,
// for at most budget; the rest waits for the next tick.  While draining, the
// end of the file ends the run.  True when it reached the file's end.
bool RunJob::CopyAvailable(milliseconds budget) {
    const bool draining = phase_ == Phase::Draining;
    if (!file_.IsOpen() && !file_.Open(settings_.outputFile)) return true;
    const auto until = Clock::now() + budget;
    bool atEnd = false, began = false;
    while (!copier_->Result().paneFailed) {
        const long got = file_.Read(chunk_.get(), bulk_ ? kBulkPiece : kLivePiece);
        if (got < 0) {
            wxLogTrace(platform::kTraceExec, "%s cannot be read: %s", settings_.outputFile.c_str(),
                       std::strerror(errno));
        }
        if (got <= 0) {
            atEnd = true;
            break;
        }
        if (!began && !bulk_) pane_.BeginAppend(false);
        began = true;
        copier_->Feed(chunk_.get(), static_cast<std::size_t>(got));
        // Whole lines only ever reach the stream; each piece goes to the
        // pane before the clock is read, so that the time the pane takes
        // over it counts in this slice.
        out_->flush();
        if (Clock::now() >= until) break;
    }
    const bool ends = draining && (atEnd || copier_->Result().paneFailed || cancelled_);
    if (!ends) {
        if (began && !bulk_) pane_.EndAppend();
        if (draining) ContinueAtOnce();
        return atEnd || copier_->Result().paneFailed;
    }
    // The run's last words (the file's last line, the tool's error output)
    // go in with the rest and are drawn with it: appended after it, each
    // would have the view drawn again on the spot, which takes Wine's
    // control 25 to 55 ms.
    if (!began && !bulk_) pane_.BeginAppend(false);
    CopyResult copied = copier_->Result();
    if (!copied.paneFailed) copied = copier_->Finish();
    if (copied.paneFailed) {
        status_.SetStatus(0, Format("L = %ld, C = %ld", copied.lines, copied.chars));
        out_->clear();  // the pane may still take the short notes that follow
    }
    const bool shownWhole = !copied.paneFailed && copied.cutLines == 0;
    if (!shownWhole) status_.SetStatus(1, "For complete output see ham.txt");
    status_.SetStatus(0, Format("%ld line(s), %ld char(s)", copied.lines, copied.chars));
    ReportCommandTrouble(shownWhole);
    out_->flush();
    pane_.EndAppend();
    bulk_ = false;
    times_.countsShown = Clock::now();
    Finish(cancelled_ ? RunEnd::Cancelled : RunEnd::Copied);
    return true;
}

// Once a second after the sleep: the wait goes on while the command that
// writes the output file still runs, made yet or not.
void RunJob::CheckWait() {
    if (platform::OutputStillBeingWritten(settings_.outputFile, *command_)) {
        phase_ = Phase::Waiting;
        status_.SetStatus(0, Format("Waiting since %ld sec's", waitSeconds_));
        if (waitSeconds_ == 1) status_.SetStatus(1, "Esc cancels the run");
        ++waitSeconds_;
        nextCheck_ += std::chrono::seconds(1);
        return;
    }
    EndWait();
}

void RunJob::EndWait() {
    times_.waitEnded = Clock::now();
    if (waitSeconds_ > 1) status_.SetStatus(1, "");
    // What was shown live came from a file that is no longer the output
    // file: the pane starts again from the echo, as a copy after the wait
    // would show it.
    if (file_.IsOpen() && !file_.StillAt(settings_.outputFile)) {
        file_.Close();
        pane_.Clear();
        out_->clear();
        *out_ << echo_;
        copier_ = std::make_unique<LineCopier>(*out_);
    }
    if (!file_.IsOpen() && !file_.Open(settings_.outputFile)) {
        wxLogTrace(platform::kTraceExec, "%s cannot be opened: %s", settings_.outputFile.c_str(),
                   std::strerror(errno));
        *out_ << "Coudn't open \"ham.txt\n";
        out_->flush();
        ReportCommandTrouble(true);
        Finish(cancelled_ ? RunEnd::Cancelled : RunEnd::NotOpened);
        return;
    }
    phase_ = Phase::Draining;
    // A rest of many megabytes goes in faster while the view lets go of the
    // text; the view takes it back once, laid out anew.
    if (file_.Unread() > kBulkBytes && !cancelled_) {
        bulk_ = true;
        pane_.BeginAppend(true);
    }
    CopyAvailable(kSliceBudget);
}

void RunJob::Cancel() {
    if (!Active() || cancelled_) return;
    cancelled_ = true;
    command_->Terminate();
    if (phase_ != Phase::Draining) {
        timer_.Stop();
        continueWhenIdle_ = false;
        EndWait();
    }
}

// What the command said besides its output: its error output and a non-zero
// exit status, which would otherwise vanish behind "0 line(s)".
void RunJob::ReportCommandTrouble(bool fieldOneFree) {
    if (command_->Running()) return;
    const std::string errors = command_->ErrorOutput();
    if (!errors.empty()) {
        *out_ << "\n[error output]\n" << errors;
        if (errors.back() != '\n') *out_ << '\n';
        out_->flush();
    }
    const int status = command_->ExitStatus();
    if (status != 0 && fieldOneFree) status_.SetStatus(1, Format("Exit status %ld", status));
}

void RunJob::Finish(RunEnd end) {
    const bool wasActive = Active();
    timer_.Stop();
    continueWhenIdle_ = false;
    if (cancelled_) status_.SetStatus(1, "Cancelled: output may be incomplete");
    end_ = end;
    phase_ = Phase::Over;
    if (out_ != nullptr) {
        pane_.CloseStream();
        out_ = nullptr;
    }
    if (file_.IsOpen()) outputStamp_ = file_.Stamp();
    file_.Close();
    chunk_.reset();
    if (wasActive && onEnd_) onEnd_();
}

}  // namespace quillet
