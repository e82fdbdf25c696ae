#include "platform/process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "temp_dir.h"

namespace quillet::platform {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using unit::ReadFile;

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 5000ms) {
    for (auto end = Clock::now() + limit; !done(); std::this_thread::sleep_for(10ms))
        if (Clock::now() > end) return false;
    return true;
}

// Gone or a zombie: whoever adopted it may simply not reap.
bool Gone(pid_t pid) {
    const std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
    const auto close = stat.rfind(')');
    return close == std::string::npos || stat[close + 2] == 'Z' || stat[close + 2] == 'X';
}

// Reaps one zombie child of ours, if there is any; only call it where no
// TrackedCommand still has an unreaped child.
bool NoZombie() { return waitpid(-1, nullptr, WNOHANG) <= 0; }

// Each test works in its directory.
struct PlatformProcess : unit::TempDirTest {
    void SetUp() override { TempDirTest::SetUp(), std::filesystem::current_path(dir_ = dir); }
    void TearDown() override { std::filesystem::current_path(oldCwd_), TempDirTest::TearDown(); }
    std::filesystem::path oldCwd_ = std::filesystem::current_path();
    std::string dir_;
};

// Prints "/dev/null /dev/null 1" when standard input and output are
// /dev/null and the shell runs in a session other than ours.
std::string Probe() {
    return "read -r pid comm state ppid pgrp sid rest </proc/$$/stat; echo"
           " $(readlink /proc/$$/fd/0) $(readlink /proc/$$/fd/1) $((sid != " +
           std::to_string(getsid(0)) + "))";
}

// The server waits (up to 5 s) for a file made once StartDetached has
// returned: nobody waits for the server.
TEST_F(PlatformProcess, DetachedProgramRunsInItsOwnSessionAndFailuresAreSilent) {
    std::ofstream("server") << "#!/bin/sh\nfor i in $(seq 100); do [ -e go ] && break; sleep 0.05; done\n"
                            << Probe() << " $(ls go) >m; mv m marker\n";
    std::ofstream("plain") << "not a program\n";
    chmod("server", 0755);
    for (const char* program : {"missing", "plain", "", "server"})
        StartDetached(*program ? dir_ + "/" + program : "");
    std::ofstream("go");
    ASSERT_TRUE(WaitUntil([] { return access("marker", F_OK) == 0; }, 8000ms));
    EXPECT_EQ(ReadFile("marker"), "/dev/null /dev/null 1 go\n");
    std::this_thread::sleep_for(100ms);
    EXPECT_TRUE(NoZombie());
}

TEST_F(PlatformProcess, TrackedCommandReportsStatusAndErrorOutputAndGetsNoDescriptorOfOurs) {
    ASSERT_EQ(dup2(STDERR_FILENO, 77), 77);  // dup2 leaves close-on-exec off
    TrackedCommand command, killed, chatty, missing, tooLong;
    const auto started = StartResult::Started;
    ASSERT_EQ(command.Start(
        "/bin/sh", "-c", Probe() + " >out.txt; echo oops >&2; [ -e /proc/$$/fd/77 ] || exit 3"), started);
    ASSERT_EQ(killed.Start("sh", "-c", "kill -9 $$"), started);  // found along PATH
    ASSERT_EQ(chatty.Start("/bin/sh", "-c", "yes x | head -c 300000 >&2"), started);  // never blocks
    bool ended = WaitUntil([&] { return !command.Running() && !killed.Running() && !chatty.Running(); });
    close(77);
    ASSERT_TRUE(ended);
    EXPECT_EQ(command.ExitStatus(), 3) << "descriptor 77 reached the command";
    EXPECT_EQ(command.ErrorOutput(), "oops\n");
    EXPECT_EQ(ReadFile("out.txt"), "/dev/null /dev/null 1\n");  // in the current directory
    EXPECT_EQ(killed.ExitStatus(), 128 + 9);
    EXPECT_EQ(chatty.ErrorOutput(1 << 20).size(), 300000u);
    EXPECT_EQ(missing.Start("./no-such-shell", "-c", "true"), StartResult::NotStarted);
    EXPECT_EQ(missing.ExitStatus(), -1);
    // One argument beyond what the kernel takes is told apart from a missing program.
    EXPECT_EQ(tooLong.Start("/bin/sh", "-c", std::string(200000, 'x')), StartResult::LineTooLong);
    EXPECT_TRUE(NoZombie());
}

TEST_F(PlatformProcess, DirectStartHandsTheArgumentsOverWithoutAShell) {
    mkdir("my dir", 0755);
    std::ofstream("my dir/tool") << "#!/bin/sh\nprintf '%s\\n' \"$@\"\n";
    chmod("my dir/tool", 0755);
    ToolLaunch direct;
    direct.interpreter = "";
    const struct { std::string line; int status; std::string out, errors; } cases[] = {
        {"\"" + dir_ + "/my dir/tool\">first.txt a \"$(touch x) *\" `touch y` >out.txt", 0,
         "a\n$(touch x) *\n`touch\ny`\n", ""},
        {dir_ + "/nowhere>out.txt a", 127, "", dir_ + "/nowhere: No such file or directory\n"},
        {"\"" + dir_ + "/my dir/tool\" a >no/dir/out.txt", 1, "", "no/dir/out.txt: No such file or directory\n"},
    };
    for (const auto& c : cases) {
        unlink("out.txt");
        TrackedCommand command;
        ASSERT_EQ(command.Start(direct, c.line), StartResult::Started) << c.line;
        ASSERT_TRUE(WaitUntil([&] { return !command.Running(); }));
        EXPECT_TRUE(command.Started());
        EXPECT_EQ(command.ExitStatus(), c.status) << c.line;
        EXPECT_EQ(ReadFile("out.txt"), c.out) << c.line;
        EXPECT_EQ(command.ErrorOutput(), c.errors) << c.line;
    }
    EXPECT_EQ(access("first.txt", F_OK), 0);  // every file named is made
    EXPECT_NE(access("x", F_OK) & access("y", F_OK), 0);
}

// A leader that ignores SIGTERM, and a child that ignores it and outlives
// its leader; the last run is left to the destructor.  Meanwhile the output
// counts as still being written, also before it exists.
TEST_F(PlatformProcess, TerminateAndDestructorEndTheWholeGroupWithinASecond) {
    const char* scripts[] = {"trap '' TERM; sleep 100 & echo $! >child.pid; wait",
                             "(trap '' TERM; exec sleep 100) & echo $! >child.pid; wait"};
    for (int run = 0; run < 3; ++run) {
        SCOPED_TRACE(run);
        unlink("child.pid");
        pid_t child = 0;
        auto start = Clock::now();
        {
            TrackedCommand command;
            ASSERT_EQ(command.Start("/bin/sh", "-c", scripts[run % 2]), StartResult::Started);
            ASSERT_TRUE(WaitUntil([&] { return std::istringstream(ReadFile("child.pid")) >> child, child; }));
            EXPECT_TRUE(OutputStillBeingWritten("ham.txt", command));
            start = Clock::now();
            if (run < 2) command.Terminate();
            EXPECT_EQ(command.Running(), run == 2);
            EXPECT_EQ(OutputStillBeingWritten("child.pid", command), run == 2);
        }
        EXPECT_LT(Clock::now() - start, 1s);
        EXPECT_TRUE(WaitUntil([&] { return Gone(child); }, 1000ms)) << child;
    }
    EXPECT_TRUE(NoZombie());
}

}  // namespace
}  // namespace quillet::platform
