#include "platform/launch.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace quillet::platform {
namespace {

namespace fs = std::filesystem;

struct Launch : testing::Test {
    void SetUp() override { fs::create_directories(dir + "/bin"); }
    void TearDown() override { fs::remove_all(dir); }
    void Write(const std::string& name, const std::string& bytes, bool executable = true) {
        std::ofstream(dir + "/" + name, std::ios::binary) << bytes;
        chmod((dir + "/" + name).c_str(), executable ? 0755 : 0644);
    }
    // A header whose PE offset (at 0x3c) is 0x40 and what stands there.
    static std::string Exe(const std::string& atOffset) {
        std::string header(64, '\0');
        header[0] = 'M', header[1] = 'Z', header[0x3c] = 0x40;
        return header + atOffset;
    }
    const std::string dir = testing::TempDir() + "quillet-launch";
};

TEST_F(Launch, WindowsExecutablesAreKnownByTheirPeHeader) {
    const struct { std::string bytes; bool windows; } cases[] = {
        {Exe(std::string("PE\0\0", 4)), true},
        {Exe("PE"), false},                           // cut short
        {Exe(std::string("NE\0\0", 4)), false},       // a 16-bit program
        {"MZ" + std::string(10, '\0'), false},
        {"#!/bin/sh\necho hi\n", false},
    };
    for (const auto& c : cases) {
        Write("x.exe", c.bytes);
        EXPECT_EQ(IsWindowsExecutable(dir + "/x.exe"), c.windows) << c.bytes;
    }
    EXPECT_FALSE(IsWindowsExecutable(dir + "/missing.exe"));
}

TEST_F(Launch, ComspecWinsThenWineForWindowsProgramsElseDirect) {
    const std::string path = dir + "/bin";
    Write("ham.exe", "#!/bin/sh\n");
    ToolLaunch l = ChooseToolLaunch(dir, "/bin/bash", "", path.c_str());
    EXPECT_EQ(l.way, LaunchWay::Interpreter);
    EXPECT_EQ(l.interpreter, "/bin/bash");
    EXPECT_EQ(l.switchText, " -c ");
    l = ChooseToolLaunch(dir, "", "", path.c_str());
    EXPECT_EQ(l.way, LaunchWay::Direct);
    EXPECT_EQ(l.interpreter, "");
    EXPECT_EQ(l.programDir, dir);

    Write("ham.exe", Exe(std::string("PE\0\0", 4)));
    l = ChooseToolLaunch(dir, nullptr, "", path.c_str());
    EXPECT_EQ(l.way, LaunchWay::Wine);
    EXPECT_EQ(l.unavailableStatus, "Wine not found: install wine");
    EXPECT_NE(l.unavailable.find("apt-get install wine"), std::string::npos) << l.unavailable;
    Write("bin/wine64", "#!/bin/sh\n");
    l = ChooseToolLaunch(dir, nullptr, "", path.c_str());
    EXPECT_EQ(l.wine, dir + "/bin/wine64");
    EXPECT_EQ(l.unavailable, "");
    EXPECT_EQ(l.interpreter, "C:\\windows\\system32\\cmd.exe");
    EXPECT_EQ(l.switchText, " /c ");
    EXPECT_EQ(l.separator, '\\');
    EXPECT_EQ(l.programDir, WindowsPath(dir));
    // A Wine named in the settings is the only one taken.
    EXPECT_EQ(ChooseToolLaunch(dir, nullptr, dir + "/bin/wine64", "").wine, dir + "/bin/wine64");
    l = ChooseToolLaunch(dir, nullptr, "/opt/none/wine", path.c_str());
    EXPECT_NE(l.unavailable.find("Wine=/opt/none/wine"), std::string::npos) << l.unavailable;
}

TEST(LaunchText, WindowsPathsQuotesAndTheBatchLine) {
    EXPECT_EQ(WindowsPath("/srv/my ham"), "Z:\\srv\\my ham");
    EXPECT_EQ(WindowsPath("../ham"), "..\\ham");
    EXPECT_EQ(QuotedWhereBlank("/a b/ham.exe"), "\"/a b/ham.exe\"");
    EXPECT_EQ(QuotedWhereBlank("/ab/ham.exe"), "/ab/ham.exe");
    std::vector<std::string> variables;
    EXPECT_EQ(BatchFileLine("x>ham.txt grep \"100% caf\xc3\xa9\" \xc3\xa4%PATH%", variables),
              "@x>ham.txt grep \"100%% caf%QUILLET_TEXT_1%\" %QUILLET_TEXT_2%%%PATH%%");
    EXPECT_EQ(variables, (std::vector<std::string>{"QUILLET_TEXT_1=\xc3\xa9", "QUILLET_TEXT_2=\xc3\xa4"}));
}

}  // namespace
}  // namespace quillet::platform
