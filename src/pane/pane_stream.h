#pragma once
// The output pane's stream face: text written to the stream is held in a
// buffer and handed to the pane in one piece on a flush (or when the buffer
// is full), decoded to UTF-8 on the way so that the tool's Windows-1252
// output reads right and a character split across two flushes stays whole.
#include <cstddef>
#include <functional>
#include <streambuf>
#include <string>
#include <vector>

#include "platform/text_encoding.h"

namespace quillet {

class PaneStreamBuf : public std::streambuf {
public:
    using Sink = std::function<void(const std::string& utf8)>;

    // room() tells how many more bytes the pane may take (it is asked on
    // every write, since the pane may be cleared while the stream is open).
    // Of a write that does not fit only the part that fits is taken (never
    // half a UTF-8 sequence), which puts the stream into its bad state: that
    // is how a run learns the pane is full.
    using Room = std::function<std::size_t()>;
    PaneStreamBuf(Sink sink, Room room, std::size_t bufferSize = 64 * 1024);
    ~PaneStreamBuf() override;

    PaneStreamBuf(const PaneStreamBuf&) = delete;
    PaneStreamBuf& operator=(const PaneStreamBuf&) = delete;

    // Hands over everything, including a sequence held back as incomplete.
    void Close();

protected:
    int_type overflow(int_type ch) override;
    std::streamsize xsputn(const char* data, std::streamsize count) override;
    int sync() override;

private:
    std::size_t Buffered() const { return static_cast<std::size_t>(pptr() - pbase()); }
    bool Fits(std::size_t count) const {
        std::size_t room = room_();
        return Buffered() <= room && count <= room - Buffered();
    }
    void HandOver(const char* data, std::size_t size);
    void Drain();

    Sink sink_;
    Room room_;
    std::vector<char> buffer_;
    platform::TextDecoder decoder_;
    std::string decoded_;
    bool closed_ = false;
};

}  // namespace quillet
