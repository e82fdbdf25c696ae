#pragma once
// Copying the tool's output file into the pane stream, line by line.
#include <istream>
#include <ostream>

namespace quillet {

struct CopyResult {
    long lines = 0;          // lines the file holds that were written out
    long chars = 0;          // their characters, line feeds and the CR before them not counted
    bool paneFailed = false; // the pane stream failed; the rest was not shown
};

// Reads in (opened in binary mode) to its end and writes every line, then
// "\n", to pane, flushing after the 1st, 11th, 21st ... line.  A carriage
// return before a line feed does not belong to the line; lines have no
// length limit and NUL bytes are kept.  Stops at the first write after which
// pane is in a fail or bad state; that line is not counted.  When the file
// is empty or ends with a line feed, the empty read at its end is written out
// as one more "\n" (as the pane always showed it) without being counted.
CopyResult CopyLines(std::istream& in, std::ostream& pane);

}  // namespace quillet
