#include "exec/line_copier.h"

#include <cstring>

namespace quillet {

namespace {
const char kShownCarriageReturn[] = "\xe2\x90\x8d";  // U+240D
}

bool LineCopier::Emit(const char* data, std::size_t size, bool endedByLineFeed, bool counted) {
    if (endedByLineFeed && size > 0 && data[size - 1] == '\r') --size;
    const std::size_t fileBytes = size;
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
    pane_.put('\n');
    if (pane_.fail()) {  // fail() covers badbit as well
        result_.paneFailed = true;
        return false;
    }
    if (counted) {
        ++result_.lines;
        result_.chars += static_cast<long>(fileBytes);
    }
    if (++written_ % 10 == 1 && flushEveryTenthLine_) pane_.flush();
    return true;
}

bool LineCopier::Feed(const char* data, std::size_t size) {
    while (size > 0 && !result_.paneFailed && !finished_) {
        const auto* lineFeed = static_cast<const char*>(std::memchr(data, '\n', size));
        if (lineFeed == nullptr) {
            open_.append(data, size);
            break;
        }
        const std::size_t length = static_cast<std::size_t>(lineFeed - data);
        if (open_.empty()) {
            Emit(data, length, true, true);
        } else {
            open_.append(data, length);
            Emit(open_.data(), open_.size(), true, true);
            open_.clear();
        }
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
    if (open_.empty())
        Emit("", 0, false, false);
    else
        Emit(open_.data(), open_.size(), false, true);
    open_.clear();
    open_.shrink_to_fit();
    return result_;
}

CopyResult CopyLines(std::istream& in, std::ostream& pane) {
    LineCopier copier(pane);
    char chunk[64 * 1024];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0)
        if (!copier.Feed(chunk, static_cast<std::size_t>(in.gcount()))) return copier.Result();
    return copier.Finish();
}

}  // namespace quillet
