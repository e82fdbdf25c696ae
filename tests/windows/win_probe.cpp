// Looks at the running Quillet from outside, as the end-to-end test under
// Wine needs it (no window of Wine's has an X window of its own):
//   win_probe origin   the screen place of the main window's client area
//   win_probe status   the status bar's first field
//   win_probe pane     the output pane's text
//   win_probe rows     the pane's top row drawn and its number of rows
//   win_probe link F   the shortcut F's target and start folder, a line each
// Prints UTF-8; exits 1 when there is no such window.
#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>

namespace {

HWND mainWindow = nullptr;

BOOL CALLBACK FindMain(HWND window, LPARAM) {
    wchar_t title[64];
    if (IsWindowVisible(window) && GetWindowTextW(window, title, 64) && wcsncmp(title, L"Quillet ", 8) == 0) {
        mainWindow = window;
        return FALSE;
    }
    return TRUE;
}

struct ChildSearch {
    const wchar_t* classPrefix;
    HWND found;
};

BOOL CALLBACK FindChild(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<ChildSearch*>(param);
    wchar_t name[64];
    if (GetClassNameW(window, name, 64) && _wcsnicmp(name, search->classPrefix, wcslen(search->classPrefix)) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND Child(const wchar_t* classPrefix) {
    ChildSearch search{classPrefix, nullptr};
    EnumChildWindows(mainWindow, FindChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void PrintUtf8(const std::wstring& text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), n, nullptr, nullptr);
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
}

int PrintText(HWND window) {
    if (!window) return 1;
    const LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT got = SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(got));
    PrintUtf8(text);
    return 0;
}

// As the shell reads it: the start folder as stored, variables unexpanded.
int PrintLink(const char* file) {
    CoInitialize(nullptr);
    IShellLinkW* link = nullptr;
    IPersistFile* stored = nullptr;
    wchar_t name[MAX_PATH], target[MAX_PATH], folder[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, file, -1, name, MAX_PATH);
    const bool read = SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                                 reinterpret_cast<void**>(&link))) &&
                      SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&stored))) &&
                      SUCCEEDED(stored->Load(name, STGM_READ)) &&
                      SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH)) &&
                      SUCCEEDED(link->GetWorkingDirectory(folder, MAX_PATH));
    if (read) PrintUtf8(std::wstring(target) + L"\n" + folder + L"\n");
    if (stored) stored->Release();
    if (link) link->Release();
    return read ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "link") == 0) return PrintLink(argv[2]);
    EnumWindows(FindMain, 0);
    if (!mainWindow || argc < 2) return 1;
    if (std::strcmp(argv[1], "origin") == 0) {
        POINT origin{0, 0};
        ClientToScreen(mainWindow, &origin);
        std::printf("%ld %ld\n", origin.x, origin.y);
        return 0;
    }
    if (std::strcmp(argv[1], "status") == 0) return PrintText(Child(L"msctls_statusbar32"));
    if (std::strcmp(argv[1], "pane") == 0) return PrintText(Child(L"RichEdit"));
    if (std::strcmp(argv[1], "rows") == 0) {  // the pane's top row drawn, and its rows
        const HWND pane = Child(L"RichEdit");
        std::printf("%ld %ld\n", static_cast<long>(SendMessageW(pane, EM_GETFIRSTVISIBLELINE, 0, 0)),
                    static_cast<long>(SendMessageW(pane, EM_GETLINECOUNT, 0, 0)));
        return 0;
    }
    return 1;
}
