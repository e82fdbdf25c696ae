#pragma once
// The peak resident memory of this process, in KiB, since the last reset;
// -1 where the system does not tell it.
#include <cstdlib>
#include <fstream>
#include <string>

namespace quillet::test_memory {

inline long PeakKiB(bool reset) {
    if (reset) std::ofstream("/proc/self/clear_refs") << "5";
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

}  // namespace quillet::test_memory
