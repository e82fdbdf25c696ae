// What only the Windows platform layer does: the run through the
// interpreter COMSPEC names, its job, the output file read while written,
// the settings file replaced in place.  Run under Wine with the stand-in
// tool (QUILLET_WIN_STANDIN names its directory).
#include "platform/interpreter_line.h"
#include "platform/launch.h"
#include "platform/output_file.h"
#include "platform/process.h"
#include "platform/settings_file.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

namespace quillet::platform {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
    return (std::ostringstream() << std::ifstream(path, std::ios::binary).rdbuf()).str();
}

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 10000ms) {
    for (auto end = std::chrono::steady_clock::now() + limit; !done(); std::this_thread::sleep_for(20ms))
        if (std::chrono::steady_clock::now() > end) return false;
    return true;
}

int ProcessesNamed(const wchar_t* name) {
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        count += _wcsicmp(entry.szExeFile, name) == 0;
    CloseHandle(snapshot);
    return count;
}

struct WindowsPlatform : testing::Test {
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("quillet-win-" + std::to_string(GetCurrentProcessId()));
        fs::create_directories(dir_);
        fs::current_path(dir_);
        const char* standin = std::getenv("QUILLET_WIN_STANDIN");
        ASSERT_NE(standin, nullptr) << "QUILLET_WIN_STANDIN names the stand-ins' directory";
        standin_ = standin;
        launch_ = CurrentToolLaunch(standin_, "");
        ASSERT_TRUE(launch_.interpreter) << "COMSPEC is set under Wine";
    }
    void TearDown() override {
        fs::current_path(fs::temp_directory_path());
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    // The tail of a composed line: the stand-in's path, the redirection, the rest.
    std::string ToolTail(const std::string& rest) const {
        return QuotedForInterpreter(standin_ + "\\ham.exe") + ">ham.txt " + rest;
    }
    fs::path dir_;
    std::string standin_;
    ToolLaunch launch_;
};

TEST_F(WindowsPlatform, TheLaunchIsTheInterpreterCOMSPECNames) {
    const ToolLaunch set = ChooseToolLaunch("C:\\srv", "C:\\COMMAND.COM", "", nullptr);
    ASSERT_TRUE(set.interpreter);
    EXPECT_EQ(*set.interpreter, "C:\\COMMAND.COM");
    EXPECT_EQ(set.switchText, " /c ");
    EXPECT_EQ(set.separator, '\\');
    EXPECT_EQ(set.programDir, "C:\\srv");
    EXPECT_FALSE(ChooseToolLaunch("C:\\srv", nullptr, "", nullptr).interpreter);
    EXPECT_FALSE(ChooseToolLaunch("C:\\srv", "", "", nullptr).interpreter);
}

TEST_F(WindowsPlatform, TheInterpreterRedirectsTheToolAndReportsItsErrors) {
    const std::string log = (dir_ / "args.log").string();
    SetEnvironmentVariableA("QUILLET_STANDIN_LOG", log.c_str());
    TrackedCommand command;
    ASSERT_EQ(command.Start(launch_, ToolTail("grep \"a b\" c$`d")), StartResult::Started);
    ASSERT_TRUE(WaitUntil([&] { return !command.Running(); }));
    SetEnvironmentVariableA("QUILLET_STANDIN_LOG", nullptr);
    EXPECT_EQ(command.ExitStatus(), 0);
    EXPECT_EQ(ReadFile(dir_ / "ham.txt"), "Gr\xfc\xdf" "e aus M\xfcnchen\r\n\xc4rger \xfc\x62\x65r \xd6l\r\n");
    EXPECT_EQ(ReadFile(log), QuotedForInterpreter(standin_ + "\\ham.exe") +
                                 " grep \"a b\" c$`d\ngrep\na b\nc$`d\n----\n");

    TrackedCommand failing;
    ASSERT_EQ(failing.Start(launch_, "nosuchtool.exe>ham.txt info "), StartResult::Started);
    ASSERT_TRUE(WaitUntil([&] { return !failing.Running(); }));
    EXPECT_NE(failing.ExitStatus(), 0);
    EXPECT_NE(failing.ErrorOutput(), "");

    ToolLaunch missing = launch_;
    missing.interpreter = standin_ + "\\no such interpreter.exe";
    TrackedCommand notStarted;
    EXPECT_EQ(notStarted.Start(missing, ToolTail("info ")), StartResult::NotStarted);
    EXPECT_FALSE(notStarted.Started());
    // One character past what the interpreter takes: refused, nothing run
    // (the interpreter would have made ham.txt first).
    fs::remove(dir_ / "ham.txt");
    const std::string shown = *launch_.interpreter + launch_.switchText + ToolTail("help ");
    TrackedCommand tooLong;
    EXPECT_EQ(tooLong.Start(launch_, ToolTail("help " + std::string(kInterpreterLineLimit + 1 - shown.size(), 'x'))),
              StartResult::LineTooLong);
    EXPECT_FALSE(tooLong.Started());
    EXPECT_FALSE(fs::exists(dir_ / "ham.txt"));
}

TEST_F(WindowsPlatform, CancelEndsTheInterpreterAndTheToolWhileTheOutputReadsLive) {
    SetEnvironmentVariableA("QUILLET_STANDIN_MODE", "forever");
    {
        TrackedCommand command;
        ASSERT_EQ(command.Start(launch_, ToolTail("help ")), StartResult::Started);
        SetEnvironmentVariableA("QUILLET_STANDIN_MODE", nullptr);
        // Read while the interpreter still writes it.
        OutputFile output;
        std::string seen;
        ASSERT_TRUE(WaitUntil([&] {
            char buffer[256];
            if (!output.IsOpen()) output.Open("ham.txt");
            for (long n; output.IsOpen() && (n = output.Read(buffer, sizeof buffer)) > 0;)
                seen.append(buffer, static_cast<std::size_t>(n));
            return seen.find("tick") != std::string::npos;
        })) << seen;
        EXPECT_TRUE(command.Running());
        EXPECT_TRUE(OutputStillBeingWritten("ham.txt", command));
        EXPECT_TRUE(output.StillAt("ham.txt"));
        EXPECT_EQ(ProcessesNamed(L"ham.exe"), 1);
        command.Terminate();
        EXPECT_FALSE(command.Running());
        EXPECT_TRUE(WaitUntil([] { return ProcessesNamed(L"ham.exe") == 0; }, 3000ms));
        // The next run may delete the file while it is still open here.
        EXPECT_TRUE(DeleteFileW(L"ham.txt"));
    }
    // A command left running when its owner goes ends with it.
    SetEnvironmentVariableA("QUILLET_STANDIN_MODE", "forever");
    auto command = std::make_unique<TrackedCommand>();
    ASSERT_EQ(command->Start(launch_, ToolTail("help ")), StartResult::Started);
    SetEnvironmentVariableA("QUILLET_STANDIN_MODE", nullptr);
    ASSERT_TRUE(WaitUntil([] { return ProcessesNamed(L"ham.exe") == 1; }));
    command.reset();
    EXPECT_TRUE(WaitUntil([] { return ProcessesNamed(L"ham.exe") == 0; }, 3000ms));
}

TEST_F(WindowsPlatform, TheSettingsFileIsReplacedWholeAndAReadOnlyOneIsLeft) {
    const std::string path = (dir_ / "quillet.ini").string();
    std::ofstream(path, std::ios::binary) << "[Setup]\r\nHamDir=C:\\srv\r\n; note\r\n";
    EXPECT_TRUE(WriteSettingString(path, "SearchExpr", "0", "Gr\xc3\xbc\xc3\x9f" "e"));
    EXPECT_TRUE(WriteSettingString(path, "setup", "WaitForSys", " 3 "));
    EXPECT_EQ(ReadFile(path), "[Setup]\r\nHamDir=C:\\srv\r\nWaitForSys=\" 3 \"\r\n; note\r\n"
                              "[SearchExpr]\r\n0=Gr\xc3\xbc\xc3\x9f" "e\r\n");
    EXPECT_EQ(ReadSettingString(path, "SEARCHEXPR", "0", ""), "Gr\xc3\xbc\xc3\x9f" "e");
    // Nothing of the copy is left beside the file.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);

    const std::string before = ReadFile(path);
    SetFileAttributesW(fs::path(path).c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(WriteSettingString(path, "SearchExpr", "0", "x"));
    SetFileAttributesW(fs::path(path).c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadFile(path), before);
}

}  // namespace
}  // namespace quillet::platform
