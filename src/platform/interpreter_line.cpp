#include "platform/interpreter_line.h"

namespace quillet::platform {

namespace {

// UTF-8 counted in UTF-16 units: one for each character, two beyond the
// Basic Multilingual Plane.
std::size_t Utf16Units(std::string_view utf8) {
    std::size_t units = 0;
    for (const char c : utf8) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if ((byte & 0xC0) != 0x80) ++units;
        if (byte >= 0xF0) ++units;
    }
    return units;
}

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    return true;
}

// The value of a variable named in variables, as the interpreter finds it
// (whatever the case of its name); null when there is none.
const std::string* Variable(std::string_view name, const std::vector<std::string>& variables) {
    for (const std::string& entry : variables) {
        const std::size_t equals = entry.find('=');
        if (equals != std::string::npos && SameNameIgnoringCase(std::string_view(entry).substr(0, equals), name))
            return &entry;
    }
    return nullptr;
}

}  // namespace

bool InterpreterTakesLine(std::string_view line, const std::vector<std::string>& variables,
                          InterpreterInput input) {
    const bool batch = input == InterpreterInput::BatchFile;
    if (line.find_first_of(kInterpreterLineEnds) != std::string_view::npos) return false;
    if (Utf16Units(line) > kInterpreterLineLimit - (batch ? 1 : 0)) return false;
    std::size_t expanded = 0;
    for (std::size_t i = 0; i < line.size();) {
        const std::size_t percent = line.find('%', i);
        expanded += Utf16Units(line.substr(i, percent == std::string_view::npos ? percent : percent - i));
        if (percent == std::string_view::npos) break;
        if (batch && percent + 1 < line.size() && line[percent + 1] == '%') {
            ++expanded;
            i = percent + 2;
            continue;
        }
        const std::size_t close = line.find('%', percent + 1);
        const std::string* entry =
            close == std::string_view::npos ? nullptr
                                            : Variable(line.substr(percent + 1, close - percent - 1), variables);
        if (entry == nullptr) {
            // None of the variables given: the "%" stays a character.
            ++expanded;
            i = percent + 1;
            continue;
        }
        expanded += Utf16Units(std::string_view(*entry).substr(entry->find('=') + 1));
        i = close + 1;
    }
    return expanded <= kInterpreterLineLimit;
}

}  // namespace quillet::platform
