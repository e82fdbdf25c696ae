#pragma once
// The process groups of the commands this program still runs, kept where a
// signal handler may read them, so that the program's end can end them too.
#include <sys/types.h>

namespace quillet::platform {

void RememberGroup(pid_t group);
void ForgetGroup(pid_t group);

// Sends signal to every remembered group; safe inside a signal handler.
void SignalRememberedGroups(int signal);

}  // namespace quillet::platform
