#pragma once
// The Windows API speaks UTF-16; the rest of the program speaks UTF-8.
#include <string>

namespace quillet::platform {

std::wstring Wide(const std::string& utf8);
std::string Utf8(const std::wstring& wide);
std::string Utf8(const wchar_t* wide, std::size_t size);
// The system's text for an error code (GetLastError), without its line end.
std::string SystemErrorText(unsigned long error);

}  // namespace quillet::platform
