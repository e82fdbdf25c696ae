#include "memory/allocator.h"

#include <atomic>
#include <cstdio>
#include <unistd.h>

#include "platform/message_box.h"

namespace quillet {

namespace {

// Never destroyed: static destructors and atexit handlers still delete
// blocks after main returns.
union ImmortalTable {
    constexpr ImmortalTable() : table() {}
    ~ImmortalTable() {}
    ProgramBlockTable table;
};

// Constant-initialised, so operator new works before any constructor runs.
#if defined(__clang__)
[[clang::require_constant_initialization]]
#endif
ImmortalTable programBlocks;

std::atomic_flag stopping = ATOMIC_FLAG_INIT;

}  // namespace

ProgramBlockTable& ProgramBlocks() { return programBlocks.table; }

void StopOutOfMemory() {
    if (stopping.test_and_set()) {
        static const char text[] = "Out of memory\n";
        if (write(STDERR_FILENO, text, sizeof text - 1) < 0) {
            // Nothing left to report with.
        }
        _exit(1);
    }
    // Both strings fit the small-string buffer: building them allocates
    // nothing.
    platform::ShowMessageBox("Out of memory", "ERROR");
    // No static destructors: they would run on a heap that just failed.
    std::fflush(nullptr);
    _exit(1);
}

}  // namespace quillet
