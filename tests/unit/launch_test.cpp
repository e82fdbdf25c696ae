#include "platform/launch.h"

#include <sys/stat.h>

#include "temp_dir.h"

namespace quillet::platform {
namespace {

struct Launch : unit::TempDirTest {
    void SetUp() override { TempDirTest::SetUp(), std::filesystem::create_directory(dir + "/bin"); }
    void Write(const std::string& name, const std::string& bytes) {
        std::ofstream(dir + "/" + name, std::ios::binary) << bytes;
        chmod((dir + "/" + name).c_str(), 0755);
    }
    // A header whose PE offset (at 0x3c) is 0x40 and what stands there.
    static std::string Exe(const std::string& atOffset) {
        std::string header(64, '\0');
        header[0] = 'M', header[1] = 'Z', header[0x3c] = 0x40;
        return header + atOffset;
    }
};

TEST_F(Launch, WindowsExecutablesAreKnownByTheirPeHeader) {
    const struct { std::string bytes; bool windows; } cases[] = {
        {Exe(std::string("PE\0\0", 4)), true}, {Exe("PE"), false} /* cut short */,
        {Exe(std::string("NE\0\0", 4)), false} /* 16 bits */, {"MZ" + std::string(10, '\0'), false},
        {"#!/bin/sh\necho hi\n", false},
    };
    for (const auto& c : cases) {
        Write("x.exe", c.bytes);
        EXPECT_EQ(IsWindowsExecutable(dir + "/x.exe"), c.windows) << c.bytes;
    }
    EXPECT_FALSE(IsWindowsExecutable(dir + "/missing.exe"));
}

// COMSPEC wins; else Wine's interpreter for a Windows program, a Wine named
// in the settings being the only one taken; else the program directly.
TEST_F(Launch, ComspecWinsThenWineForWindowsProgramsElseDirect) {
    const std::string path = dir + "/bin", wine64 = dir + "/bin/wine64", z = WindowsPath(dir);
    const struct { bool exe; const char* comspec; std::string setting, pathEnv, want, unavailable; } cases[] = {
        {true, nullptr, "", path, "1 C:\\windows\\system32\\cmd.exe| /c |\\" + z + "|", "apt-get install wine"},
        {false, "/bin/bash", "", path, "0 /bin/bash| -c |/" + dir + "|", ""},
        {false, "", "", path, "2 ||/" + dir + "|", ""},
        {true, nullptr, wine64, "", "1 C:\\windows\\system32\\cmd.exe| /c |\\" + z + "|" + wine64, ""},
        {true, nullptr, "", path, "1 C:\\windows\\system32\\cmd.exe| /c |\\" + z + "|" + wine64, ""},
        {true, nullptr, "/opt/none/wine", path, "1 C:\\windows\\system32\\cmd.exe| /c |\\" + z + "|",
         "Wine=/opt/none/wine"},
    };
    for (const auto& c : cases) {
        Write("ham.exe", c.exe ? Exe(std::string("PE\0\0", 4)) : "#!/bin/sh\n");
        const ToolLaunch l = ChooseToolLaunch(dir, c.comspec, c.setting, c.pathEnv.c_str());
        EXPECT_EQ(std::to_string(int(l.way)) + " " + l.interpreter.value_or("none") + "|" + l.switchText + "|" +
                      l.separator + l.programDir + "|" + l.wine, c.want);
        EXPECT_EQ(l.unavailableStatus, c.unavailable.empty() ? "" : "Wine not found: install wine");
        EXPECT_NE(l.unavailable.find(c.unavailable), std::string::npos) << l.unavailable;
        Write("bin/wine64", "#!/bin/sh\n");  // from the second case on, on PATH
    }
}

TEST(LaunchText, WindowsPathsQuotesAndTheBatchLine) {
    EXPECT_EQ(WindowsPath("/srv/my ham"), "Z:\\srv\\my ham");
    EXPECT_EQ(WindowsPath("../ham"), "..\\ham");
    EXPECT_EQ(QuotedForInterpreter("/a b/ham.exe"), "\"/a b/ham.exe\"");
    EXPECT_EQ(QuotedForInterpreter("/ab/ham.exe"), "/ab/ham.exe");
    EXPECT_EQ(QuotedForInterpreter("/a^b/ham.exe"), "\"/a^b/ham.exe\"");
    std::vector<std::string> variables;
    EXPECT_EQ(BatchFileLine("x>ham.txt grep \"100% caf\xc3\xa9\" \xc3\xa4%PATH%", variables),
              "@x>ham.txt grep \"100%% caf%QUILLET_TEXT_1%\" %QUILLET_TEXT_2%%%PATH%%");
    EXPECT_EQ(variables, (std::vector<std::string>{"QUILLET_TEXT_1=\xc3\xa9", "QUILLET_TEXT_2=\xc3\xa4"}));
}

}  // namespace
}  // namespace quillet::platform
