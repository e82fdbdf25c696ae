#include "platform/environment.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/windows/wide_text.h"

namespace quillet::platform {

std::vector<std::string> CommandArguments(int argc, char** argv) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) return std::vector<std::string>(argv + (argc > 0), argv + argc);
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i) args.push_back(Utf8(wide[i]));
    LocalFree(wide);
    return args;
}

std::string CurrentDirectory() {
    const DWORD size = GetCurrentDirectoryW(0, nullptr);
    std::wstring dir(size, L'\0');
    const DWORD n = GetCurrentDirectoryW(size, dir.data());
    if (n == 0 || n >= size) return std::string();
    dir.resize(n);
    return Utf8(dir);
}

std::string ChangeDirectory(const std::string& dir) {
    if (SetCurrentDirectoryW(Wide(dir).c_str())) return std::string();
    return SystemErrorText(GetLastError());
}

int ScreenWidth() {
    // The program is aware of display scaling, so the system counts the
    // screen's real pixels.
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? MulDiv(width, 96, dpi) : width;
}

}  // namespace quillet::platform
