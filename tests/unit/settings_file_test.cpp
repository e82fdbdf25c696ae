#include "platform/settings_file.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

namespace quillet::platform {
namespace {

class SettingsFile : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(::mkdtemp(dir_.data()), nullptr);
        ::chmod(dir_.c_str(), 0777);  // for the tests that drop privileges
        dir_ += "/", path_ = dir_ + "quillet.ini";
    }
    void TearDown() override {
        ::chmod(dir_.c_str(), 0777);
        std::filesystem::remove_all(dir_);
    }
    void Put(const std::string& bytes) { std::ofstream(path_, std::ios::binary) << bytes; }
    std::string Bytes() const {
        std::ifstream in(path_, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    // The file alone, with no temporary copy left beside it.
    bool OnlyTheFile() const {
        auto names = std::filesystem::directory_iterator(dir_);
        return std::distance(begin(names), end(names)) == 1 && std::filesystem::exists(path_);
    }
    std::string Read(const std::string& section, const std::string& key) const {
        return ReadSettingString(path_, section, key, "<def>");
    }
    std::string dir_ = testing::TempDir() + "quillet-settings-XXXXXX", path_;
};

// Root passes every permission check, so refusals are tried as an ordinary
// user in a child process: 1 when fn returned true, 0 when false, -1 when
// that could not be done.
int AsOrdinaryUser(const std::function<bool()>& fn) {
    if (::geteuid() != 0) return fn() ? 1 : 0;
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(::setgid(65534) == 0 && ::setuid(65534) == 0 ? fn() : 3);
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status) <= 1 ? WEXITSTATUS(status) : -1;
}

TEST_F(SettingsFile, AwkwardValuesReadBackExactly) {
    const std::string values[] = {
        "", " leading blank", "trailing blank ", "\tboth\t", "\"quoted\"", "\"", " \" ",
        "\"starts only", "mid \"quote\" here", "a=b=c", ";not a comment", "[not a section]",
        "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC", "C:\\Program Files\\Hamster", std::string(300, 'x'),
    };
    for (const std::string& v : values) {
        ASSERT_TRUE(WriteSettingString(path_, "SearchExpr", "0", v)) << v;
        EXPECT_EQ(Read("SearchExpr", "0"), v);
    }
    EXPECT_EQ(Bytes(), "[SearchExpr]\n0=" + std::string(300, 'x') + "\n");
    EXPECT_TRUE(OnlyTheFile());
}

TEST_F(SettingsFile, ReadsFilesTheWayPeopleWriteThem) {
    // A byte-order mark must not hide the section.
    Put("\xEF\xBB\xBF[ SETUP ]  \n; HamDir=commented out\n  hamdir  =   C:\\Hamster  \n"
        "Quoted=\"a\" b \"c\"\nWindows=M\xFCller \x80\nNoEquals\nHamDir=second key of the name\n"
        "[setup]\nLate=in a second section of the same name\n"
        "[Other]\r\nKey=crlf value\r\nLast=no final line feed");
    const char* cases[][3] = {
        {"Setup", "HamDir", "C:\\Hamster"}, {"Setup", "Quoted", "a\" b \"c"},
        {"Setup", "Windows", "M\xC3\xBCller \xE2\x82\xAC"}, {"Setup", "NoEquals", "<def>"},
        {"Setup", "Late", "<def>"}, {"Nowhere", "HamDir", "<def>"},
        {"other", "KEY", "crlf value"}, {"Other", "Last", "no final line feed"},
    };
    for (const auto& c : cases) EXPECT_EQ(Read(c[0], c[1]), c[2]) << c[0] << "/" << c[1];
    EXPECT_EQ(ReadSettingString(dir_, "Setup", "HamDir", "d"), "d");
}

TEST_F(SettingsFile, IntegersTakeTheLeadingNumber) {
    Put("[Setup]\nA=  42 s\nB=-5\nC=abc\nD=99999999999999999999\nE=-99999999999999999999\n");
    const std::pair<const char*, long> cases[] = {{"A", 42}, {"B", -5}, {"C", 0}, {"D", LONG_MAX},
                                                  {"E", LONG_MIN}, {"Missing", 17}};
    for (const auto& [key, want] : cases) EXPECT_EQ(ReadSettingInt(path_, "Setup", key, 17), want) << key;
}

struct Write { const char *section, *key, *value; };

TEST_F(SettingsFile, WriteChangesOnlyTheLineItMust) {
    const std::string before =
        "; kept as is\n[Setup]\nHamDir = C:\\Hamster\n\n"
        "[SearchExpr]\n  0 =  old value ; with a semicolon\n0=duplicate key\n"
        "[searchexpr]\n0=duplicate section\n\n; trailing comment without line feed";
    Put(before);
    for (const auto& w : {Write{"SEARCHEXPR", "0", "new"},
                          {"setup", "WaitForSys", "2"}, {"GroupExpr", "0", "x"}})
        ASSERT_TRUE(WriteSettingString(path_, w.section, w.key, w.value)) << w.key;
    std::string want = before;
    want.replace(want.find("old value"), 28, "new");
    want.insert(want.find("\n\n[SearchExpr]") + 1, "WaitForSys=2\n");
    EXPECT_EQ(Bytes(), want + "\n[GroupExpr]\n0=x\n");

    Put("[Setup]\r\nHamDir=C:\\Hamster\r\n\r\n[Empty]\r\n");
    for (const auto& w : {Write{"Setup", "WaitForSys", "4"}, {"Empty", "k", "v"}, {"ScoreView", "0", " x "},
                          {"Setup", "HamDir", "D:\\H"}})
        ASSERT_TRUE(WriteSettingString(path_, w.section, w.key, w.value)) << w.key;
    EXPECT_EQ(Bytes(), "[Setup]\r\nHamDir=D:\\H\r\nWaitForSys=4\r\n\r\n[Empty]\r\nk=v\r\n"
                       "[ScoreView]\r\n0=\" x \"\r\n");

    // A last line ending in a lone CR keeps its value when a line goes after it.
    Put("[Setup]\r\nHamDir=C:\\H\r");
    ASSERT_TRUE(WriteSettingString(path_, "SearchExpr", "0", "x"));
    EXPECT_EQ(Bytes(), "[Setup]\r\nHamDir=C:\\H\r\n[SearchExpr]\r\n0=x\r\n");
    EXPECT_EQ(ReadSettingString(path_, "Setup", "HamDir", ""), "C:\\H");
}

TEST_F(SettingsFile, KeepsModesAndWritesThroughLinks) {
    Put("[S]\nk=1\n");
    ASSERT_EQ(::chmod(path_.c_str(), 0640), 0);
    ASSERT_EQ(::symlink("quillet.ini", (dir_ + "link.ini").c_str()), 0);
    ASSERT_TRUE(WriteSettingString(dir_ + "link.ini", "S", "k", "via link"));
    EXPECT_EQ(Bytes(), "[S]\nk=via link\n");
    EXPECT_TRUE(std::filesystem::is_symlink(dir_ + "link.ini"));
    EXPECT_EQ(std::filesystem::status(path_).permissions(), std::filesystem::perms(0640));
}

// Names or values that could not read back, and a disk that fills up in the
// middle of the write.
TEST_F(SettingsFile, RefusedWritesLeaveTheOldFileWhole) {
    const std::string before = "[S]\n0=old\n";
    Put(before);
    const std::string refused[][3] = {{"Bad]Name", "0", "v"}, {"S", "k=v", "v"}, {"S", ";k", "v"},
                                      {"S", "", "v"}, {" S", "0", "v"}, {"S", "0", "two\nlines"},
                                      {"S", "0", "cr\r"}, {"S", "0", std::string("nul\0", 4)}};
    for (const auto& r : refused) EXPECT_FALSE(WriteSettingString(path_, r[0], r[1], r[2])) << r[1];
    rlimit old, small;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    small = {before.size() + 10, old.rlim_max};
    auto* oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    EXPECT_FALSE(WriteSettingString(path_, "S", "0", std::string(100, 'n')));
    ::setrlimit(RLIMIT_FSIZE, &old), std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(Bytes(), before);
    EXPECT_TRUE(OnlyTheFile());
}

// Refused, with the old file whole: read-only even for root, a directory the
// user may not write to, a file the user may not read (which also reads as
// missing).
TEST_F(SettingsFile, ReadOnlyOrUnreadableFilesAreLeftAlone) {
    Put("[S]\n0=old\n");
    auto write = [this] { return WriteSettingString(path_, "S", "0", "new"); };
    ASSERT_EQ(::chmod(path_.c_str(), 0444), 0);
    EXPECT_FALSE(write());
    ASSERT_EQ(::chmod(path_.c_str(), 0666) | ::chmod(dir_.c_str(), 0555), 0);
    const int wrote = AsOrdinaryUser(write);
    if (wrote < 0) GTEST_SKIP() << "cannot run as an ordinary user";
    EXPECT_EQ(wrote, 0);
    ASSERT_EQ(::chmod(dir_.c_str(), 0777) | ::chmod(path_.c_str(), 0222), 0);
    EXPECT_EQ(AsOrdinaryUser(write), 0);
    EXPECT_EQ(AsOrdinaryUser([this] { return Read("S", "0") == "<def>"; }), 1);
    ASSERT_EQ(::chmod(path_.c_str(), 0644), 0);
    EXPECT_EQ(Bytes(), "[S]\n0=old\n");
    EXPECT_TRUE(OnlyTheFile());
}

// Peak resident memory growth in bytes while fn runs; -1 when the kernel
// cannot reset the peak.
long PeakGrowth(const std::function<void()>& fn) {
    auto kb = [](const char* field) {
        std::ifstream status("/proc/self/status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::strlen(field)));
        return -1L;
    };
    if (!(std::ofstream("/proc/self/clear_refs") << "5" << std::flush)) return -1;
    const long before = kb("VmRSS:");
    fn();
    return (kb("VmHWM:") - before) * 1024;
}

// Things that are not an ordinary settings file, and what a save must clean
// up.  A FIFO or device must neither block nor be written; reading stays
// linear (a size check: a pathological layout must not cost more memory than
// a few times the file); a copy left by a killed save goes once its writer is.
TEST_F(SettingsFile, AwkwardFilesInItsPlace) {
    const std::string stale = ".quillet.ini.tmp-" + std::to_string([] {
        const pid_t pid = ::fork();
        if (pid == 0) ::_exit(0);
        ::waitpid(pid, nullptr, 0);
        return pid;  // gone now
    }()) + "-1f";
    const std::string live = ".quillet.ini.tmp-" + std::to_string(::getppid()) + "-2e";
    const std::string notOurs[] = {".quillet.ini.tmp-1x-3", "quillet.ini.tmp-99999999-4", live};
    constexpr std::size_t hugeSize = 10u << 20;
    struct Case {
        const char* name;
        std::function<void(const std::string& dir, const std::string& path)> make;
        const char* reads;  // S/k before the write
        bool written;
        std::function<void()> extra;
    };
    const Case cases[] = {
        {"fifo", [](auto&, auto& path) { ASSERT_EQ(::mkfifo(path.c_str(), 0666), 0); }, "<def>", false,
         [this] { EXPECT_EQ(std::filesystem::status(path_).type(), std::filesystem::file_type::fifo); }},
        {"device", [](auto&, auto& path) { ASSERT_EQ(::symlink("/dev/zero", path.c_str()), 0); }, "<def>",
         false, [this] { EXPECT_TRUE(std::filesystem::is_symlink(path_)); }},
        {"blank lines",
         [](auto&, auto& path) { std::ofstream(path) << std::string(hugeSize, '\n') << "[S]\nk=v\n"; },
         "v", true,
         [this] {
             const long growth = PeakGrowth([this] { EXPECT_EQ(Read("S", "k"), "new"); });
             if (growth >= 0) {
                 EXPECT_LT(growth, static_cast<long>(3 * hugeSize));
             }
         }},
        {"stale copies",
         [&](auto& dir, auto& path) {
             std::ofstream(path) << "[S]\nk=v\n";
             for (const std::string& name : notOurs) std::ofstream(dir + name) << "x";
             std::ofstream(dir + stale) << "half a save";
         },
         "v", true,
         [&] {
             EXPECT_FALSE(std::filesystem::exists(dir_ + stale));
             for (const std::string& name : notOurs) EXPECT_TRUE(std::filesystem::exists(dir_ + name)) << name;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directory(dir_);
        c.make(dir_, path_);
        EXPECT_EQ(Read("S", "k"), c.reads);
        EXPECT_EQ(WriteSettingString(path_, "S", "k", "new"), c.written);
        c.extra();
    }
}

}  // namespace
}  // namespace quillet::platform
