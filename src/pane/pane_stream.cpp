#include "pane/pane_stream.h"

#include <cstring>

namespace quillet {

PaneStreamBuf::PaneStreamBuf(Sink sink, Room room, std::size_t bufferSize)
    : sink_(std::move(sink)), room_(std::move(room)), buffer_(bufferSize ? bufferSize : 1) {
    setp(buffer_.data(), buffer_.data() + buffer_.size());
}

PaneStreamBuf::~PaneStreamBuf() { Close(); }

void PaneStreamBuf::Close() {
    if (closed_) return;
    Drain();
    decoded_.clear();
    decoder_.Finish(decoded_);
    if (!decoded_.empty()) sink_(decoded_);
    closed_ = true;
}

void PaneStreamBuf::HandOver(const char* data, std::size_t size) {
    decoded_.clear();
    decoder_.Decode(data, size, decoded_);
    if (!decoded_.empty()) sink_(decoded_);
}

void PaneStreamBuf::Drain() {
    std::size_t pending = static_cast<std::size_t>(pptr() - pbase());
    if (pending > 0) HandOver(pbase(), pending);
    setp(buffer_.data(), buffer_.data() + buffer_.size());
}

PaneStreamBuf::int_type PaneStreamBuf::overflow(int_type ch) {
    if (closed_) return traits_type::eof();
    Drain();
    if (traits_type::eq_int_type(ch, traits_type::eof())) return traits_type::not_eof(ch);
    if (!Fits(1)) return traits_type::eof();
    *pptr() = traits_type::to_char_type(ch);
    pbump(1);
    return ch;
}

std::streamsize PaneStreamBuf::xsputn(const char* data, std::streamsize count) {
    if (closed_ || count <= 0) return 0;
    std::size_t size = static_cast<std::size_t>(count);
    if (!Fits(size)) {
        // The part that fits still goes in, so that a line longer than the
        // whole pane shows its start; the short count marks the stream bad.
        const std::size_t room = room_();
        std::size_t part = room > Buffered() ? room - Buffered() : 0;
        while (part > 0 && (static_cast<unsigned char>(data[part]) & 0xC0) == 0x80) --part;
        if (part > 0) xsputn(data, static_cast<std::streamsize>(part));
        return static_cast<std::streamsize>(part);
    }
    std::size_t room = static_cast<std::size_t>(epptr() - pptr());
    if (size <= room) {
        std::memcpy(pptr(), data, size);
        pbump(static_cast<int>(size));
        return count;
    }
    // Larger than what is left of the buffer: whatever is buffered goes
    // first, then a long piece goes straight through rather than in
    // buffer-sized slices.
    Drain();
    if (size < buffer_.size()) {
        std::memcpy(pptr(), data, size);
        pbump(static_cast<int>(size));
    } else {
        HandOver(data, size);
    }
    return count;
}

int PaneStreamBuf::sync() {
    if (closed_) return 0;
    Drain();
    return 0;
}

}  // namespace quillet
