#pragma once
// Text from outside (the console tool's output, a settings file written on
// Windows) is UTF-8 where it is valid and Windows-1252 where it is not.
#include <cstddef>
#include <string>

namespace quillet::platform {

// Turns bytes into valid UTF-8: every well-formed UTF-8 sequence is kept,
// every other byte is read as Windows-1252 (the five bytes that code page
// leaves undefined map to the C1 controls of the same number), and a NUL byte
// becomes U+2400 so that it cannot cut a line short in the text control.
// Works on a stream of chunks: a UTF-8 sequence split between two calls is
// held back and completed by the next call; Finish() decodes what is left.
class TextDecoder {
public:
    // Appends the decoded text of [data, data+size) to out.
    void Decode(const char* data, std::size_t size, std::string& out);
    // Decodes any held-back incomplete sequence (as Windows-1252) into out.
    void Finish(std::string& out);

private:
    unsigned char pending_[4] = {};
    std::size_t pendingSize_ = 0;
};

// One-shot form for whole strings.
std::string DecodeText(const std::string& bytes);

}  // namespace quillet::platform
