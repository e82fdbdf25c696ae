#include <atomic>
#include <csignal>
#include <cstdlib>

#include <X11/Xlib.h>
#include <unistd.h>

#include "platform/process.h"
#include "platform/posix/program_end.h"

namespace quillet::platform {

namespace {

// A few runs at most are alive at once (the current one and one that
// outlived its run); a slot holds a group id or 0.
constexpr int kSlots = 8;
std::atomic<pid_t> groups[kSlots];

int (*previousIoErrorHandler)(Display*) = nullptr;

void EndGroupsAndDie(int signal) {
    SignalRememberedGroups(SIGKILL);
    // Die of the same signal, as a program without a handler would.
    std::signal(signal, SIG_DFL);
    raise(signal);
}

void EndGroupsAtExit() { SignalRememberedGroups(SIGKILL); }

// The display is gone: the toolkit's own handler ends the program without
// running anything of ours, so the commands are ended first.
int EndGroupsOnDisplayLoss(Display* display) {
    SignalRememberedGroups(SIGKILL);
    if (previousIoErrorHandler) return previousIoErrorHandler(display);
    _exit(1);
}

}  // namespace

void RememberGroup(pid_t group) {
    for (auto& slot : groups) {
        pid_t empty = 0;
        if (slot.compare_exchange_strong(empty, group)) return;
    }
}

void ForgetGroup(pid_t group) {
    for (auto& slot : groups) {
        pid_t expected = group;
        if (slot.compare_exchange_strong(expected, 0)) return;
    }
}

void SignalRememberedGroups(int signal) {
    for (auto& slot : groups) {
        const pid_t group = slot.load();
        if (group > 0) killpg(group, signal);
    }
}

void EndCommandsWhenProgramEnds() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    struct sigaction action {};
    action.sa_handler = EndGroupsAndDie;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGTERM, SIGHUP, SIGINT}) {
        struct sigaction old {};
        // A signal ignored by whoever started us stays ignored.
        if (sigaction(signal, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
        sigaction(signal, &action, nullptr);
    }
    std::atexit(EndGroupsAtExit);
    previousIoErrorHandler = XSetIOErrorHandler(EndGroupsOnDisplayLoss);
}

}  // namespace quillet::platform
