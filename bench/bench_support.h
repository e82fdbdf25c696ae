#pragma once
// What the benchmarks share: clocks, a way to let the real event loop run
// while a benchmark waits, and a meter of its stalls.
#include <algorithm>
#include <chrono>
#include <memory>

#include <wx/app.h>
#include <wx/apptrait.h>
#include <wx/evtloop.h>
#include <wx/timer.h>

namespace bench {

using Clock = std::chrono::steady_clock;

inline double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Lets the event loop run for about ms milliseconds (a benchmark is no
// part of the program; it drives the loop from outside): the toolkit's own
// loop, as the running program has it, with its idle time and the order in
// which it takes drawing, input and timers.
inline void Pump(int ms) {
    struct Stop : wxTimer {
        wxEventLoopBase* loop;
        explicit Stop(wxEventLoopBase* l) : loop(l) {}
        void Notify() override { loop->Exit(); }
    };
    std::unique_ptr<wxEventLoopBase> loop(wxTheApp->GetTraits()->CreateEventLoop());
    Stop stop(loop.get());
    stop.StartOnce(std::max(1, ms));
    loop->Run();
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
