#pragma once
// Copying the tool's output into the pane stream line by line, as the output
// arrives: a run feeds what ham.txt holds so far while the tool still writes
// it, and the rest once the tool has ended, with the same result as one copy
// of the whole file.
#include <cstddef>
#include <ostream>
#include <string>

namespace quillet {

struct CopyResult {
    long lines = 0;          // lines the file holds that were written out
    long chars = 0;          // their bytes, line feeds and the CR before them not counted
    long cutLines = 0;       // of them, lines shown cut short
    bool paneFailed = false; // the pane stream failed; the rest was not shown
};

// Every line goes to the pane with a line feed after it; the caller flushes
// the pane when it wants the lines shown.  A carriage return before a line
// feed does not belong to the line; any other carriage return shows as
// U+240D, so that the pane has one row for each counted line.  NUL bytes are
// kept.  A line longer than the longest shown line shows its start and a
// mark with its length, and is counted whole: the copier never holds more of
// a line than it shows.  Copying stops at the first write after which the
// pane is in a fail or bad state; that line is not counted.  When the file is
// empty or ends with a line feed, the empty read at its end is written out as
// one more line feed, shown but not counted.
class LineCopier {
public:
    // Longer lines are more than the pane lays out without stalling the
    // window (a row of 100,000 characters takes it some 70 ms, one of a
    // million half a second, and draws garbled); a tool's line this long is
    // data, not text to read.
    static constexpr std::size_t kLongestShownLine = 50000;

    explicit LineCopier(std::ostream& pane, std::size_t longestShownLine = kLongestShownLine)
        : pane_(pane), longest_(longestShownLine) {}

    // The next bytes of the file: the lines they complete go out at once, a
    // line still open waits for the bytes that end it.  False once the pane
    // has refused a line; later bytes are ignored.
    bool Feed(const char* data, std::size_t size);
    // The file has ended: its open last line goes out.  Call it once.
    CopyResult Finish();

    const CopyResult& Result() const { return result_; }

private:
    void Take(const char* data, std::size_t size);
    void EndLine(bool endedByLineFeed);
    bool Emit(const char* data, std::size_t size, std::size_t fileBytes, bool counted, bool cut);

    std::ostream& pane_;
    std::size_t longest_;
    std::string open_;            // the start of the open line, one byte more than is shown at most
    std::size_t openBytes_ = 0;   // the open line's bytes so far, held or not
    bool openEndsInCr_ = false;
    std::string shown_;           // a line with its lone carriage returns made visible
    CopyResult result_;
    bool finished_ = false;
};

}  // namespace quillet
