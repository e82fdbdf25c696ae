#pragma once
// One press of "Do It": read the form, compose the line, run it hidden, wait
// for ham.txt, copy it into the pane and report in the status bar.
#include <chrono>
#include <optional>
#include <ostream>
#include <string>

#include "exec/command_line.h"

namespace quillet {

class CommandForm;

// The form's controls as plain values, for the command given.
FormValues ReadFormValues(const CommandForm& form, int command);

// Composes the current command's line from the form.  On a refusal it writes
// its message to pane, flushes it and gives nothing; otherwise it moves the
// focus where the command wants it and gives the line.
std::optional<Composition> BuildCommandLine(std::ostream& pane);

// The Do It button's handler.
void OnDoIt();

// What a run ended with, for tests and the status bar.
enum class RunEnd { Refused, NotOpened, Copied, Cancelled };
RunEnd LastRunEnd();

// When the last run's wait ended and when its final counts were shown: what
// a user waits for on a big output, measured by the benchmark.
struct RunTimes {
    std::chrono::steady_clock::time_point waitEnded, countsShown;
};
const RunTimes& LastRunTimes();

}  // namespace quillet
