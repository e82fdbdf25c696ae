#include "exec/line_copier.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace quillet {

namespace {
const char kShownCarriageReturn[] = "\xe2\x90\x8d";  // U+240D
const char kCutMark[] = "\xe2\x80\xa6 [line cut, %zu char(s) in all]";  // U+2026 first

bool ContinuesUtf8(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }
}  // namespace

bool LineCopier::Emit(const char* data, std::size_t size, std::size_t fileBytes, bool counted,
                      bool cut) {
    // A lone carriage return would start a new row in the pane without a
    // line of its own in the counts.
    if (size > 0 && std::memchr(data, '\r', size) != nullptr) {
        shown_.clear();
        for (std::size_t i = 0; i < size; ++i) {
            if (data[i] == '\r')
                shown_ += kShownCarriageReturn;
            else
                shown_ += data[i];
        }
        data = shown_.data();
        size = shown_.size();
    }
    pane_.write(data, static_cast<std::streamsize>(size));
    if (cut) {
        char mark[80];
        std::snprintf(mark, sizeof mark, kCutMark, fileBytes);
        pane_ << mark;
    }
    pane_.put('\n');
    if (pane_.fail()) {  // fail() covers badbit as well
        result_.paneFailed = true;
        return false;
    }
    if (counted) {
        ++result_.lines;
        result_.chars += static_cast<long>(fileBytes);
        result_.cutLines += cut;
    }
    return true;
}

// Holds the bytes of the open line the pane may show, and one more, which
// tells a line cut short from a line that only has a CR before its line feed.
void LineCopier::Take(const char* data, std::size_t size) {
    if (size == 0) return;
    const std::size_t room = longest_ + 1 - std::min(open_.size(), longest_ + 1);
    open_.append(data, std::min(size, room));
    openBytes_ += size;
    openEndsInCr_ = data[size - 1] == '\r';
}

void LineCopier::EndLine(bool endedByLineFeed) {
    std::size_t bytes = openBytes_;
    if (endedByLineFeed && bytes > 0 && openEndsInCr_) --bytes;
    if (bytes <= longest_) {
        Emit(open_.data(), bytes, bytes, true, false);
    } else {
        // Cut where a character begins, so that the cut leaves no half of one.
        std::size_t shown = longest_;
        while (shown > 0 && longest_ - shown < 3 && ContinuesUtf8(open_[shown])) --shown;
        Emit(open_.data(), shown, bytes, true, true);
    }
    open_.clear();
    openBytes_ = 0;
    openEndsInCr_ = false;
}

bool LineCopier::Feed(const char* data, std::size_t size) {
    while (size > 0 && !result_.paneFailed && !finished_) {
        const auto* lineFeed = static_cast<const char*>(std::memchr(data, '\n', size));
        if (lineFeed == nullptr) {
            Take(data, size);
            break;
        }
        const std::size_t length = static_cast<std::size_t>(lineFeed - data);
        Take(data, length);
        EndLine(true);
        data += length + 1;
        size -= length + 1;
    }
    return !result_.paneFailed;
}

CopyResult LineCopier::Finish() {
    if (finished_ || result_.paneFailed) return result_;
    finished_ = true;
    // Nothing open means the file is empty or ends with a line feed: the
    // pane has always shown an empty line there, without counting it.
    if (openBytes_ == 0)
        Emit("", 0, 0, false, false);
    else
        EndLine(false);
    open_.clear();
    open_.shrink_to_fit();
    shown_.clear();
    shown_.shrink_to_fit();
    return result_;
}

}  // namespace quillet
