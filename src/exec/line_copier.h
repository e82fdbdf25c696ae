#pragma once
// Copying the tool's output into the pane stream line by line, as the output
// arrives: a run feeds what ham.txt holds so far while the tool still writes
// it, and the rest once the tool has ended, with the same result as one copy
// of the whole file.
#include <cstddef>
#include <istream>
#include <ostream>
#include <string>

namespace quillet {

struct CopyResult {
    long lines = 0;          // lines the file holds that were written out
    long chars = 0;          // their bytes, line feeds and the CR before them not counted
    bool paneFailed = false; // the pane stream failed; the rest was not shown
};

// Every line goes to the pane with a line feed after it; the pane stream is
// flushed after the 1st, 11th, 21st ... line written.  A carriage return
// before a line feed does not belong to the line; any other carriage return
// shows as U+240D, so that the pane has one row for each counted line.  Lines
// have no length limit and NUL bytes are kept.  Copying stops at the first
// write after which the pane is in a fail or bad state; that line is not
// counted.  When the file is empty or ends with a line feed, the empty read
// at its end is written out as one more line feed, shown but not counted.
class LineCopier {
public:
    // A caller that flushes the pane itself at moments of its own choosing
    // (a run, between slices of work) may leave out the flush every tenth
    // line, which costs a hand-over to the pane for each ten lines.
    explicit LineCopier(std::ostream& pane, bool flushEveryTenthLine = true)
        : pane_(pane), flushEveryTenthLine_(flushEveryTenthLine) {}

    // The next bytes of the file: the lines they complete go out at once, a
    // line still open waits for the bytes that end it.  False once the pane
    // has refused a line; later bytes are ignored.
    bool Feed(const char* data, std::size_t size);
    // The file has ended: its open last line goes out.  Call it once.
    CopyResult Finish();

    const CopyResult& Result() const { return result_; }

private:
    bool Emit(const char* data, std::size_t size, bool endedByLineFeed, bool counted);

    std::ostream& pane_;
    bool flushEveryTenthLine_;
    std::string open_;   // the start of a line whose line feed has not come yet
    std::string shown_;  // a line with its lone carriage returns made visible
    long written_ = 0;
    CopyResult result_;
    bool finished_ = false;
};

// The whole of in (opened in binary mode) through one LineCopier.
CopyResult CopyLines(std::istream& in, std::ostream& pane);

}  // namespace quillet
