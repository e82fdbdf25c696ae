#include "exec/run.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <thread>

#include <wx/app.h>
#include <wx/checkbox.h>
#include <wx/eventfilter.h>
#include <wx/filefn.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>

#include "app/output_pane.h"
#include "app/program.h"
#include "exec/copy_lines.h"
#include "fields/validated_text.h"
#include "form/command_form.h"
#include "platform/process.h"
#include "platform/text_control.h"

namespace quillet {

namespace {

const char kOutputFile[] = "ham.txt";

RunEnd lastRunEnd = RunEnd::Refused;
RunTimes lastRunTimes;

// The command of the previous run, if it outlived its run (a tool that had
// not yet created ham.txt when the wait ended goes on writing it).  A new
// run ends it first, so that it cannot write into the new run's file.
std::unique_ptr<platform::TrackedCommand> previousCommand;

std::string Utf8(const wxString& text) { return text.utf8_string(); }

// While a run blocks the event loop the window is still painted, but user
// input is swallowed, so that nothing is edited and no second run starts
// mid-run; only Escape is heard, and it cancels the run.
class RunGuard : public wxEventFilter {
public:
    RunGuard() { wxEvtHandler::AddFilter(this); }
    ~RunGuard() override { wxEvtHandler::RemoveFilter(this); }

    int FilterEvent(wxEvent& event) override {
        const wxEventType type = event.GetEventType();
        if (type == wxEVT_CHAR_HOOK || type == wxEVT_KEY_DOWN) {
            if (static_cast<wxKeyEvent&>(event).GetKeyCode() == WXK_ESCAPE) cancelled_ = true;
            return Event_Processed;
        }
        if (type == wxEVT_CLOSE_WINDOW) {
            auto& close = static_cast<wxCloseEvent&>(event);
            if (close.CanVeto()) close.Veto();
            return Event_Processed;
        }
        if (event.GetEventCategory() == wxEVT_CATEGORY_USER_INPUT) return Event_Processed;
        return Event_Skip;
    }

    bool Cancelled() const { return cancelled_; }

    // Keeps the window painted for about ms milliseconds; false as soon as
    // the user has pressed Escape.
    bool Wait(int ms) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (!cancelled_) {
            if (wxTheApp) wxTheApp->Yield(true);
            const auto now = std::chrono::steady_clock::now();
            if (now >= until) break;
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - now);
            std::this_thread::sleep_for(std::min(left, std::chrono::milliseconds(15)));
        }
        return !cancelled_;
    }

private:
    bool cancelled_ = false;
};

void Focus(CommandForm& form, FocusTarget target) {
    wxWindow* field = nullptr;
    switch (target) {
    case FocusTarget::SearchExpr: field = form.searchExprField; break;
    case FocusTarget::MsgId: field = form.msgIdField; break;
    case FocusTarget::SourceGroup: field = form.sourceGroupField; break;
    case FocusTarget::ScoreView: field = form.scoreViewField; break;
    case FocusTarget::ScoreTest: field = form.scoreTestField; break;
    case FocusTarget::Unchanged: break;
    }
    if (field) field->SetFocus();
}

// What the command said besides its output: its error output and a
// non-zero exit status, which would otherwise vanish behind "0 line(s)".
void ReportCommandTrouble(std::ostream& pane, platform::TrackedCommand& command,
                          bool fieldOneFree) {
    if (!command.Started()) {
        if (fieldOneFree) SetStatus(1, "The command interpreter could not be started");
        return;
    }
    if (command.Running()) return;
    const std::string errors = command.ErrorOutput();
    const int status = command.ExitStatus();
    if (!errors.empty()) {
        pane << "\n[error output]\n" << errors;
        if (errors.back() != '\n') pane << '\n';
        pane.flush();
    }
    if (status != 0 && fieldOneFree)
        SetStatus(1, wxString::Format("Command ended with exit status %d", status));
}

std::string CountsText(long lines, long chars) {
    char text[64];
    std::snprintf(text, sizeof text, "%ld line(s), %ld char(s)", lines, chars);
    return text;
}

std::string WaitingText(int seconds) {
    char text[48];
    std::snprintf(text, sizeof text, "Waiting since %d sec's", seconds);
    return text;
}

}  // namespace

RunEnd LastRunEnd() { return lastRunEnd; }

const RunTimes& LastRunTimes() { return lastRunTimes; }

FormValues ReadFormValues(const CommandForm& f, int command) {
    FormValues v;
    v.command = command;
    v.searchExpr = Utf8(f.searchExprField->GetValue());
    v.groupExpr = Utf8(f.groupExprField->GetValue());
    v.ignoreCase = f.ignoreCaseBox->GetValue();
    v.optC = f.grepOptC->GetValue();
    v.optH = f.grepOptH->GetValue();
    v.optL = f.grepOptL->GetValue();
    v.optN = f.grepOptN->GetValue();
    v.optVa = f.grepOptVa->GetValue();
    v.optVe = f.grepOptVe->GetValue();
    v.msgId = Utf8(f.msgIdField->GetValue());
    v.sourceGroup = Utf8(f.sourceGroupField->GetValue());
    v.targetFile = Utf8(f.targetFileField->GetValue());
    v.fileNames = Utf8(f.fileNamesField->GetValue());
    v.groupName = Utf8(f.groupNameField->GetValue());
    v.go = f.goBox->GetValue();
    v.ih = f.ihBox->GetValue();
    v.na = f.naBox->GetValue();
    v.t = f.tBox->GetValue();
    v.x = f.xBox->GetValue();
    v.scoreTest = Utf8(f.scoreTestField->GetValue());
    v.scoreView = Utf8(f.scoreViewField->GetValue());
    v.argument = Utf8(f.argumentField->GetValue());
    v.number = Utf8(f.numberField->GetValue());
    return v;
}

std::optional<Composition> BuildCommandLine(std::ostream& pane) {
    Program& p = TheProgram();
    Composition line = ComposeCommandLine(ReadFormValues(*p.commandForm, p.currentCommand),
                                          platform::CurrentToolLaunch(p.hamDir, p.wine));
    if (!line.ok) {
        pane << line.refusal;
        pane.flush();
        if (!line.refusalStatus.empty()) SetStatus(1, wxString::FromUTF8(line.refusalStatus));
        return std::nullopt;
    }
    Focus(*p.commandForm, line.focus);
    return line;
}

void OnDoIt() {
    Program& p = TheProgram();
    OutputPane* pane = p.outputPane;
    if (pane == nullptr || p.commandForm == nullptr) return;

    SetStatus(0, "");
    SetStatus(1, "");
    std::ostream& out = pane->OpenStream();
    pane->Clear();

    std::optional<Composition> line = BuildCommandLine(out);
    if (!line) {
        lastRunEnd = RunEnd::Refused;
        pane->CloseStream();
        return;
    }
    // The echo shows with the first flush, together with the output.
    out << line->line << "\n\n";

    previousCommand.reset();
    std::remove(kOutputFile);

    RunGuard guard;
    auto command = std::make_unique<platform::TrackedCommand>();
    const bool started = command->Start(line->platform, line->argument);

    // Sleep, then wait while the tool still writes its output.
    if (started && guard.Wait(p.waitForSys * 1000)) {
        for (int seconds = 1; platform::OutputStillBeingWritten(kOutputFile, *command); ++seconds) {
            SetStatus(0, WaitingText(seconds));
            if (!guard.Wait(1000)) break;
        }
    }
    if (guard.Cancelled()) command->Terminate();
    lastRunTimes.waitEnded = std::chrono::steady_clock::now();

    // Both endings: what the command said besides its output, the note of a
    // cancel, and the command kept in case it outlived the run.
    auto finish = [&](bool paneFailed, RunEnd end) {
        ReportCommandTrouble(out, *command, !paneFailed);
        if (guard.Cancelled()) SetStatus(1, "Cancelled: the output may be incomplete");
        lastRunEnd = guard.Cancelled() ? RunEnd::Cancelled : end;
        pane->CloseStream();
        previousCommand = std::move(command);
    };

    std::ifstream in(kOutputFile, std::ios::binary);
    if (!in.is_open()) {
        out << "Coudn't open \"ham.txt\n";
        out.flush();
        finish(false, RunEnd::NotOpened);
        return;
    }

    // Inserting into a text view that is on screen makes it lay out and
    // scroll after every hand-over; nothing is drawn while the copy blocks
    // anyway, so the view gets its text back once, at the end.
    platform::BeginBulkAppend(*pane);
    CopyResult copied = CopyLines(in, out);
    if (copied.paneFailed) {
        SetStatus(0, wxString::Format("L = %ld, C = %ld", copied.lines, copied.chars));
        SetStatus(1, "For complete output see ham.txt");
    }
    out.clear();  // the pane may still take the short notes below
    out.flush();
    platform::EndBulkAppend(*pane);
    SetStatus(0, CountsText(copied.lines, copied.chars));
    lastRunTimes.countsShown = std::chrono::steady_clock::now();
    finish(copied.paneFailed, RunEnd::Copied);
}

}  // namespace quillet
