// Windows stand-in for the console tool, built with mingw-w64 and run under
// Wine.  With QUILLET_STANDIN_LOG set it appends the command line it was
// given (GetCommandLineA) and then each argument on a line of its own, then
// a line "----".  It writes two lines in Windows-1252, umlauts included;
// with QUILLET_STANDIN_MODE=forever it goes on writing a line a second,
// with QUILLET_STANDIN_MODE=lines it writes 100 numbered lines more.  With
// QUILLET_STANDIN_FILE set it writes only that file's bytes, at once or,
// with QUILLET_STANDIN_PIECES=N, in N pieces a tenth of a second apart (the
// benchmarks' tool).
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
int WriteFileOut(const char* path) {
    FILE* in = std::fopen(path, "rb");
    if (!in) return 1;
    _setmode(_fileno(stdout), _O_BINARY);
    std::fseek(in, 0, SEEK_END);
    const long size = std::ftell(in);
    std::fseek(in, 0, SEEK_SET);
    const char* pieces = std::getenv("QUILLET_STANDIN_PIECES");
    const long n = pieces ? std::atol(pieces) : 0;
    const long piece = n > 0 ? size / n + 1 : size + 1;
    static char buffer[1 << 16];
    for (long left = size; left > 0;) {
        for (long inPiece = piece; inPiece > 0 && left > 0;) {
            const size_t got = std::fread(buffer, 1, static_cast<size_t>(std::min<long>(inPiece, sizeof buffer)), in);
            if (got == 0) return 1;
            std::fwrite(buffer, 1, got, stdout);
            inPiece -= static_cast<long>(got);
            left -= static_cast<long>(got);
        }
        std::fflush(stdout);
        if (n > 0) Sleep(100);
    }
    std::fclose(in);
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    if (const char* file = std::getenv("QUILLET_STANDIN_FILE")) return WriteFileOut(file);
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
