// The block table against the C library, on the pattern the program lives
// with: a few thousand long-lived blocks from the GUI's start-up, then a run
// that copies 600,000 short lines, then the tear-down.
//
// operator new in this binary already goes through the program's table, so
// the table is measured through its own interface with the platform source,
// and the C library through calloc and free directly.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "memory/allocator.h"

namespace {

constexpr int kLongLived = 5000;
constexpr int kLines = 600000;

struct Op {
    enum Kind : unsigned char { kAllocate, kRelease } kind;
    int slot;
    std::size_t size;
};

struct Phases {
    std::vector<Op> startUp, run, tearDown;
};

// One script for both contenders, so they do exactly the same work.
Phases MakeScript() {
    std::mt19937 random(2024);
    auto between = [&](std::size_t low, std::size_t high) {
        return low + random() % (high - low + 1);
    };
    Phases phases;
    for (int slot = 0; slot < kLongLived; ++slot)
        phases.startUp.push_back({Op::kAllocate, slot, between(16, 400)});

    const int line = kLongLived, temporary = kLongLived + 1, flushBuffer = kLongLived + 2;
    for (int n = 0; n < kLines; ++n) {
        phases.run.push_back({Op::kAllocate, line, between(20, 120)});
        if (n % 3 == 0) {
            phases.run.push_back({Op::kAllocate, temporary, between(8, 64)});
            phases.run.push_back({Op::kRelease, temporary, 0});
        }
        if (n % 10 == 9) {
            phases.run.push_back({Op::kAllocate, flushBuffer, 1024});
            phases.run.push_back({Op::kRelease, flushBuffer, 0});
        }
        phases.run.push_back({Op::kRelease, line, 0});
        // Now and then a window or string from start-up is replaced, which
        // searches deep into the table.
        if (n % 1000 == 999) {
            const int old = static_cast<int>(random() % kLongLived);
            phases.run.push_back({Op::kRelease, old, 0});
            phases.run.push_back({Op::kAllocate, old, between(16, 400)});
        }
    }
    // Tear-down releases in no particular order, as destructors do.
    std::vector<int> order(kLongLived);
    for (int slot = 0; slot < kLongLived; ++slot) order[static_cast<std::size_t>(slot)] = slot;
    std::shuffle(order.begin(), order.end(), random);
    for (int slot : order) phases.tearDown.push_back({Op::kRelease, slot, 0});
    return phases;
}

template <class Allocate, class Release>
double Play(const std::vector<Op>& ops, std::vector<void*>& slots, Allocate allocate,
            Release release) {
    const auto start = std::chrono::steady_clock::now();
    for (const Op& op : ops) {
        void*& slot = slots[static_cast<std::size_t>(op.slot)];
        if (op.kind == Op::kAllocate) {
            slot = allocate(op.size);
            static_cast<char*>(slot)[0] = 1;  // as a string would
        } else {
            release(slot);
        }
    }
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

struct Times {
    double startUp = 1e300, run = 1e300, tearDown = 1e300;
    double Total() const { return startUp + run + tearDown; }
};

template <class Allocate, class Release>
void Measure(const Phases& phases, Times& best, Allocate allocate, Release release) {
    std::vector<void*> slots(kLongLived + 3, nullptr);
    best.startUp = std::min(best.startUp, Play(phases.startUp, slots, allocate, release));
    best.run = std::min(best.run, Play(phases.run, slots, allocate, release));
    best.tearDown = std::min(best.tearDown, Play(phases.tearDown, slots, allocate, release));
}

}  // namespace

int main() {
    const Phases phases = MakeScript();
    Times table, clib;
    // Alternating rounds, best of each, so a busy neighbour on the machine
    // hurts both sides alike.
    for (int round = 0; round < 3; ++round) {
        {
            quillet::ProgramBlockTable blocks;
            Measure(
                phases, table, [&](std::size_t size) { return blocks.Allocate(size); },
                [&](void* p) { blocks.Release(p); });
        }
        Measure(
            phases, clib, [](std::size_t size) { return std::calloc(1, size); },
            [](void* p) { std::free(p); });
    }
    std::printf("%d long-lived blocks, %d lines (best of 3 rounds, ms)\n", kLongLived, kLines);
    std::printf("%-10s %10s %10s %10s %10s\n", "", "start-up", "run", "tear-down", "total");
    std::printf("%-10s %10.2f %10.2f %10.2f %10.2f\n", "table", table.startUp, table.run,
                table.tearDown, table.Total());
    std::printf("%-10s %10.2f %10.2f %10.2f %10.2f\n", "calloc", clib.startUp, clib.run,
                clib.tearDown, clib.Total());
    std::printf("ratio table/calloc: %.2f (run alone %.2f)\n", table.Total() / clib.Total(),
                table.run / clib.run);
    return 0;
}
