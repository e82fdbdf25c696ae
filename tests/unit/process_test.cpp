#include "platform/process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace quillet::platform {
namespace {

using Clock = std::chrono::steady_clock;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool WaitUntil(const std::function<bool()>& done, int millis = 5000) {
    auto end = Clock::now() + std::chrono::milliseconds(millis);
    while (!done()) {
        if (Clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// State letter and parent of a process from /proc, or 0 when it is gone.
char ProcessState(pid_t pid, pid_t* parent = nullptr) {
    std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
    auto close = stat.rfind(')');
    if (close == std::string::npos)
        return 0;
    std::istringstream rest(stat.substr(close + 1));
    char state = 0;
    pid_t ppid = 0;
    rest >> state >> ppid;
    if (parent)
        *parent = ppid;
    return state;
}

// A zombie counts as gone: whoever adopted it may simply not reap.
bool Gone(pid_t pid) {
    char state = ProcessState(pid);
    return state == 0 || state == 'Z' || state == 'X';
}

int ZombieChildren() {
    int zombies = 0;
    DIR* proc = opendir("/proc");
    while (dirent* entry = readdir(proc)) {
        pid_t pid = std::atoi(entry->d_name);
        pid_t parent = 0;
        if (pid > 0 && ProcessState(pid, &parent) == 'Z' && parent == getpid())
            ++zombies;
    }
    closedir(proc);
    return zombies;
}

// Each test runs in a fresh temporary directory of its own.
class PlatformProcess : public testing::Test {
protected:
    void SetUp() override {
        char cwd[PATH_MAX];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        oldCwd_ = cwd;
        std::string templ = std::filesystem::temp_directory_path().string() + "/quillet-proc-XXXXXX";
        ASSERT_NE(mkdtemp(templ.data()), nullptr);
        dir_ = templ;
        ASSERT_EQ(chdir(dir_.c_str()), 0);
    }
    void TearDown() override {
        EXPECT_EQ(chdir(oldCwd_.c_str()), 0);
        std::filesystem::remove_all(dir_);
    }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }

    void WriteScript(const std::string& name, const std::string& body) {
        std::ofstream(Path(name)) << "#!/bin/sh\n" << body;
        chmod(Path(name).c_str(), 0755);
    }

    static void RunToEnd(TrackedCommand& command) {
        ASSERT_TRUE(WaitUntil([&] { return !command.Running(); }));
    }

    std::string oldCwd_, dir_;
};

TEST(PlatformInterpreter, ComspecWinsElseTheStandardShell) {
    EXPECT_EQ(ChooseInterpreter("C:\\COMMAND.COM", false), "C:\\COMMAND.COM");
    EXPECT_EQ(ChooseInterpreter("/bin/bash", true), "/bin/bash");
    EXPECT_EQ(ChooseInterpreter(nullptr, true), "/bin/sh");
    EXPECT_EQ(ChooseInterpreter(nullptr, false), std::nullopt);
    // Set but empty names no program at all.
    EXPECT_EQ(ChooseInterpreter("", true), "/bin/sh");
    EXPECT_EQ(ChooseInterpreter("", false), std::nullopt);
    EXPECT_EQ(PathSeparator(), '/');
    EXPECT_STREQ(InterpreterSwitch(), " -c ");

    const char* saved = std::getenv("COMSPEC");
    std::string keep = saved ? saved : "";
    setenv("COMSPEC", "/bin/dash", 1);
    EXPECT_EQ(CommandInterpreter(), "/bin/dash");
    unsetenv("COMSPEC");
    EXPECT_EQ(CommandInterpreter(), "/bin/sh");
    if (saved)
        setenv("COMSPEC", keep.c_str(), 1);
}

TEST_F(PlatformProcess, DetachedProgramRunsInItsOwnSessionAndLeavesNoZombie) {
    WriteScript("server",
                "read -r pid comm state ppid pgrp sid rest </proc/$$/stat\n"
                "echo \"$(readlink /proc/$$/fd/0) $(readlink /proc/$$/fd/2) $sid\" >" +
                    Path("m.tmp") + "\nmv " + Path("m.tmp") + " " + Path("marker") + "\n");
    StartDetached(Path("server"));
    ASSERT_TRUE(WaitUntil([&] { return access(Path("marker").c_str(), F_OK) == 0; }));
    std::istringstream marker(ReadFile(Path("marker")));
    std::string in, err;
    pid_t sid = 0;
    marker >> in >> err >> sid;
    EXPECT_EQ(in, "/dev/null");
    EXPECT_EQ(err, "/dev/null");
    EXPECT_NE(sid, getsid(0));
    EXPECT_EQ(ZombieChildren(), 0);
}

TEST_F(PlatformProcess, DetachedStartFailsSilently) {
    StartDetached(Path("missing"));
    std::ofstream(Path("plain")) << "not a program\n";
    StartDetached(Path("plain"));
    StartDetached("");
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(ZombieChildren(), 0);
}

TEST_F(PlatformProcess, TrackedCommandRunsInTheCurrentDirectory) {
    TrackedCommand command;
    EXPECT_FALSE(command.Started());
    ASSERT_TRUE(command.Start("/bin/sh", "-c", "echo hi >out.txt; echo oops >&2; exit 3"));
    EXPECT_TRUE(command.Started());
    RunToEnd(command);
    EXPECT_EQ(command.ExitStatus(), 3);
    EXPECT_EQ(command.ErrorOutput(), "oops\n");
    EXPECT_EQ(ReadFile(Path("out.txt")), "hi\n");
}

TEST_F(PlatformProcess, SignalStatusAndAMissingInterpreter) {
    {
        TrackedCommand command;
        ASSERT_TRUE(command.Start("/bin/sh", "-c", "kill -9 $$"));
        RunToEnd(command);
        EXPECT_EQ(command.ExitStatus(), 128 + 9);
    }
    TrackedCommand missing;
    EXPECT_FALSE(missing.Start(Path("no-such-shell"), "-c", "true"));
    EXPECT_FALSE(missing.Started());
    EXPECT_FALSE(missing.Running());
    EXPECT_EQ(missing.ExitStatus(), -1);
    EXPECT_EQ(ZombieChildren(), 0);
}

TEST_F(PlatformProcess, CommandGetsNullStdioAndNoneOfOurDescriptors) {
    int leaky = open("/dev/null", O_RDONLY);  // deliberately without O_CLOEXEC
    ASSERT_GE(leaky, 0);
    ASSERT_EQ(dup2(leaky, 77), 77);
    close(leaky);
    TrackedCommand command;
    ASSERT_TRUE(command.Start("/bin/sh", "-c",
                              "read -r pid comm state ppid pgrp sid rest </proc/$$/stat;"
                              "echo \"$(readlink /proc/$$/fd/0) $(readlink /proc/$$/fd/1)"
                              " $pid $pgrp $sid\" >std.txt;"
                              "[ -e /proc/$$/fd/77 ] && exit 7; exit 0"));
    RunToEnd(command);
    close(77);
    EXPECT_EQ(command.ExitStatus(), 0) << "descriptor 77 reached the command";
    std::istringstream std(ReadFile(Path("std.txt")));
    std::string in, out;
    pid_t pid = 0, pgrp = 0, sid = 0;
    std >> in >> out >> pid >> pgrp >> sid;
    EXPECT_EQ(in, "/dev/null");
    EXPECT_EQ(out, "/dev/null");
    EXPECT_EQ(pgrp, pid);
    EXPECT_EQ(sid, pid);
}

TEST_F(PlatformProcess, PlentyOfErrorOutputNeverBlocks) {
    TrackedCommand command;
    ASSERT_TRUE(command.Start("/bin/sh", "-c", "yes x | head -c 300000 >&2"));
    RunToEnd(command);
    EXPECT_EQ(command.ErrorOutput().size(), 65536u);
    EXPECT_EQ(command.ErrorOutput(1 << 20).size(), 300000u);
}

// The command's child writes its pid where the test can find it.
pid_t WaitForChildPid(const std::string& path) {
    pid_t pid = 0;
    WaitUntil([&] {
        std::istringstream(ReadFile(path)) >> pid;
        return pid > 0;
    });
    return pid;
}

TEST_F(PlatformProcess, TerminateAndDestructorEndTheWholeGroupWithinASecond) {
    struct Case {
        const char* name;
        const char* script;
    };
    const Case cases[] = {
        {"polite", "sleep 100 & echo $! >child.pid; wait"},
        {"stubborn", "trap '' TERM; sleep 100 & echo $! >child.pid; wait"},
        {"child outlives the leader",
         "(trap '' TERM; exec sleep 100) & echo $! >child.pid; wait"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        unlink(Path("child.pid").c_str());
        TrackedCommand command;
        ASSERT_TRUE(command.Start("/bin/sh", "-c", c.script));
        pid_t child = WaitForChildPid(Path("child.pid"));
        ASSERT_GT(child, 0);
        auto start = Clock::now();
        command.Terminate();
        EXPECT_LT(Clock::now() - start, std::chrono::seconds(1));
        EXPECT_FALSE(command.Running());
        EXPECT_TRUE(WaitUntil([&] { return Gone(child); }, 1000)) << child;
        EXPECT_NE(command.ExitStatus(), -1);
    }
    pid_t child = 0;
    {
        unlink(Path("child.pid").c_str());
        TrackedCommand leftRunning;
        ASSERT_TRUE(leftRunning.Start("/bin/sh", "-c", "sleep 100 & echo $! >child.pid; wait"));
        child = WaitForChildPid(Path("child.pid"));
        ASSERT_GT(child, 0);
    }
    EXPECT_TRUE(WaitUntil([&] { return Gone(child); }, 1000)) << "destructor left " << child;
    EXPECT_EQ(ZombieChildren(), 0);
}

TEST_F(PlatformProcess, OutputCountsAsBeingWrittenOnlyWhileTheCommandRuns) {
    TrackedCommand idle;
    std::ofstream(Path("ham.txt")) << "old\n";
    EXPECT_FALSE(OutputStillBeingWritten("ham.txt", idle));
    unlink(Path("ham.txt").c_str());

    TrackedCommand command;
    ASSERT_TRUE(command.Start("/bin/sh", "-c", "sleep 100"));
    EXPECT_FALSE(OutputStillBeingWritten("ham.txt", command));
    std::ofstream(Path("ham.txt")) << "partial";
    EXPECT_TRUE(OutputStillBeingWritten("ham.txt", command));
    command.Terminate();
    EXPECT_FALSE(OutputStillBeingWritten("ham.txt", command));
}

}  // namespace
}  // namespace quillet::platform
