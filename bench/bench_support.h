#pragma once
// What the benchmarks share: clocks, the process's memory figures, and a
// way to let the real event loop run while a benchmark waits.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include <wx/app.h>
#include <wx/timer.h>

namespace bench {

using Clock = std::chrono::steady_clock;

inline double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// A "Vm…:" figure of /proc/self/status, in KiB; -1 when it is not there.
inline long StatusKiB(const char* key) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(key, 0) == 0) return std::atol(line.c_str() + std::strlen(key));
    return -1;
}

// Lets the event loop run for about ms milliseconds (a benchmark is no
// part of the program; it drives the loop from outside).
inline void Pump(int ms) {
    auto until = Clock::now() + std::chrono::milliseconds(ms);
    while (Clock::now() < until) {
        wxTheApp->Yield(true);
        usleep(2000);
    }
}

// The worst gap between ticks of a timer (started with its period) while
// the loop runs freely: how long the window could not answer.
class StallMeter : public wxTimer {
public:
    void Notify() override {
        const auto now = Clock::now();
        if (ticks_++ > 0) worst_ = std::max(worst_, now - last_);
        last_ = now;
    }
    double WorstMs() const { return Seconds(worst_) * 1000; }
    long Ticks() const { return ticks_; }

private:
    long ticks_ = 0;
    Clock::time_point last_;
    Clock::duration worst_{};
};

class BenchApp : public wxApp {
public:
    bool OnInit() override { return true; }
};

}  // namespace bench
