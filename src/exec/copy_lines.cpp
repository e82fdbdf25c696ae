#include "exec/copy_lines.h"

#include <string>

namespace quillet {

namespace {

// Writes one line and its line feed; true while the pane still takes text.
bool WriteLine(std::ostream& pane, const char* data, std::size_t size) {
    pane.write(data, static_cast<std::streamsize>(size));
    pane.put('\n');
    return !pane.fail();  // fail() covers badbit as well
}

}  // namespace

CopyResult CopyLines(std::istream& in, std::ostream& pane) {
    CopyResult result;
    // One string for the whole file: getline reuses its capacity, so a long
    // output costs no allocation per line, and it has no length limit.
    std::string line;
    long written = 0;
    bool endsWithLineFeed = true;  // an empty file ends "as if" after a line feed

    auto flushPoint = [&written, &pane] {
        // After the 1st, 11th, 21st ... written line.
        if (written % 10 == 1)
            pane.flush();
    };

    while (std::getline(in, line)) {
        endsWithLineFeed = !in.eof();
        if (endsWithLineFeed && !line.empty() && line.back() == '\r')
            line.pop_back();
        if (!WriteLine(pane, line.data(), line.size())) {
            result.paneFailed = true;
            return result;
        }
        ++written;
        ++result.lines;
        result.chars += static_cast<long>(line.size());
        flushPoint();
    }

    // The pane has always shown an empty line where the file ends with a
    // line feed; it is shown, not counted.
    if (endsWithLineFeed && !in.bad()) {
        if (!WriteLine(pane, "", 0)) {
            result.paneFailed = true;
            return result;
        }
        ++written;
        flushPoint();
    }
    return result;
}

}  // namespace quillet
