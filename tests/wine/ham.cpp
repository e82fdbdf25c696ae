// Windows stand-in for the console tool, built with mingw-w64 and run under
// Wine.  With QUILLET_STANDIN_LOG set it appends the command line it was
// given (GetCommandLineA) and then each argument on a line of its own, then
// a line "----".  It writes two lines in Windows-1252, umlauts included;
// with QUILLET_STANDIN_MODE=forever it goes on writing a line a second,
// with QUILLET_STANDIN_MODE=lines it writes 100 numbered lines more.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    if (const char* log = std::getenv("QUILLET_STANDIN_LOG")) {
        if (FILE* f = std::fopen(log, "ab")) {
            std::fprintf(f, "%s\n", GetCommandLineA());
            for (int i = 1; i < argc; ++i) std::fprintf(f, "%s\n", argv[i]);
            std::fprintf(f, "----\n");
            std::fclose(f);
        }
    }
    std::printf("Gr\xfc\xdf" "e aus M\xfcnchen\n\xc4rger \xfc\x62\x65r \xd6l\n");
    std::fflush(stdout);
    const char* mode = std::getenv("QUILLET_STANDIN_MODE");
    if (mode && std::strcmp(mode, "lines") == 0)
        for (int i = 1; i <= 100; ++i) std::printf("line %d of 100\n", i);
    if (mode && std::strcmp(mode, "forever") == 0) {
        for (;;) {
            std::printf("tick\n");
            std::fflush(stdout);
            Sleep(1000);
        }
    }
    return 0;
}
