// Windows stand-in for the server: notes each start in the file named by
// QUILLET_STANDIN_SERVER_LOG, one line a start, and ends.
#include <cstdio>
#include <cstdlib>

int main() {
    if (const char* log = std::getenv("QUILLET_STANDIN_SERVER_LOG")) {
        if (FILE* f = std::fopen(log, "ab")) {
            std::fprintf(f, "started\n");
            std::fclose(f);
        }
    }
    return 0;
}
