#include "platform/settings_file.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <csignal>
#include <functional>
#include <iterator>

#include "temp_dir.h"

namespace quillet::platform {
namespace {

namespace fs = std::filesystem;

class SettingsFile : public unit::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        ::chmod(dir.c_str(), 0777);  // for the tests that drop privileges
        dir_ = dir + "/", path_ = dir_ + "quillet.ini";
    }
    void Put(const std::string& bytes) { std::ofstream(path_, std::ios::binary) << bytes; }
    std::string Bytes() const { return unit::ReadFile(path_); }
    // The file alone, with no temporary copy left beside it.
    bool OnlyTheFile() const {
        auto names = fs::directory_iterator(dir_);
        return std::distance(begin(names), end(names)) == 1 && fs::exists(path_);
    }
    std::string Read(const std::string& section, const std::string& key) const {
        return ReadSettingString(path_, section, key, "<def>");
    }
    bool Write(const std::string& section, const std::string& key, const std::string& value) {
        return WriteSettingString(path_, section, key, value);
    }
    std::string dir_, path_;
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
    for (const char* v : {"", " leading blank", "trailing blank ", "\tboth\t", "\"quoted\"", "\"",
                          " \" ", "\"starts only", "a=b=c", ";not a comment", "[not a section]",
                          "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC", "C:\\Program Files\\Hamster"}) {
        ASSERT_TRUE(Write("SearchExpr", "0", v)) << v;
        EXPECT_EQ(Read("SearchExpr", "0"), v);
    }
    ASSERT_TRUE(Write("SearchExpr", "0", std::string(300, 'x')));
    EXPECT_EQ(Bytes(), "[SearchExpr]\n0=" + std::string(300, 'x') + "\n");
    EXPECT_TRUE(OnlyTheFile());
}

TEST_F(SettingsFile, ReadsFilesTheWayPeopleWriteThem) {
    // A byte-order mark must not hide the section.
    Put("\xEF\xBB\xBF[ SETUP ]  \n; HamDir=commented out\n  hamdir  =   C:\\Hamster  \n"
        "Quoted=\"a\" b \"c\"\nWindows=M\xFCller \x80\nNoEquals\nHamDir=second key of the name\n"
        "[setup]\nLate=in a second section of the same name\n"
        "[Int]\nA=  42 s\nB=-5\nC=abc\nD=99999999999999999999\nE=-99999999999999999999\n"
        "[Other]\r\nKey=crlf value\r\nLast=no final line feed");
    const char* cases[][3] = {
        {"Setup", "HamDir", "C:\\Hamster"}, {"Setup", "Quoted", "a\" b \"c"},
        {"Setup", "Windows", "M\xC3\xBCller \xE2\x82\xAC"}, {"Setup", "NoEquals", "<def>"},
        {"Setup", "Late", "<def>"}, {"Nowhere", "HamDir", "<def>"},
        {"other", "KEY", "crlf value"}, {"Other", "Last", "no final line feed"},
    };
    for (const auto& c : cases) EXPECT_EQ(Read(c[0], c[1]), c[2]) << c[0] << "/" << c[1];
    EXPECT_EQ(ReadSettingString(dir_, "Setup", "HamDir", "d"), "d");
    // Integers: the leading number, saturated; 0 for none; the default when missing.
    const std::pair<const char*, long> ints[] = {{"A", 42}, {"B", -5}, {"C", 0}, {"D", LONG_MAX},
                                                 {"E", LONG_MIN}, {"Missing", 17}};
    for (const auto& [key, want] : ints) EXPECT_EQ(ReadSettingInt(path_, "Int", key, 17), want) << key;
}

struct Change { const char *section, *key, *value; };

TEST_F(SettingsFile, WriteChangesOnlyTheLineItMust) {
    const struct { std::string before; std::vector<Change> writes; std::string after; } cases[] = {
        // A new key goes in after the section's last key, not after a comment.
        {"; kept\n[Setup]\nHamDir = C:\\H\n; Wine=x\n\n[SearchExpr]\n  0 =  old ; semicolon\n0=duplicate key\n"
         "[searchexpr]\n0=duplicate section\n; no final line feed",
         {{"SEARCHEXPR", "0", "new"}, {"setup", "WaitForSys", "2"}, {"GroupExpr", "0", "x"}},
         "; kept\n[Setup]\nHamDir = C:\\H\nWaitForSys=2\n; Wine=x\n\n[SearchExpr]\n  0 =  new\n0=duplicate key\n"
         "[searchexpr]\n0=duplicate section\n; no final line feed\n[GroupExpr]\n0=x\n"},
        // New lines take the file's line ending.
        {"[Setup]\r\nHamDir=C:\\H\r\n\r\n[Empty]\r\n",
         {{"Setup", "WaitForSys", "4"}, {"Empty", "k", "v"}, {"ScoreView", "0", " x "}, {"Setup", "HamDir", "D:"}},
         "[Setup]\r\nHamDir=D:\r\nWaitForSys=4\r\n\r\n[Empty]\r\nk=v\r\n[ScoreView]\r\n0=\" x \"\r\n"},
        // A last line ending in a lone CR keeps its value when a line goes after it.
        {"[Setup]\r\nHamDir=C:\\H\r", {{"SearchExpr", "0", "x"}}, "[Setup]\r\nHamDir=C:\\H\r\n[SearchExpr]\r\n0=x\r\n"},
        {"[Setup]\nHamDir=C:\\H\r", {{"Setup", "k", "x"}}, "[Setup]\nHamDir=C:\\H\r\nk=x\n"},
    };
    for (const auto& c : cases) {
        Put(c.before);
        for (const Change& w : c.writes) ASSERT_TRUE(Write(w.section, w.key, w.value)) << w.key;
        EXPECT_EQ(Bytes(), c.after) << c.before;
    }
    EXPECT_EQ(Read("Setup", "HamDir"), "C:\\H");
}

// Names or values that could not read back, a disk that fills up in the
// middle of the write, a file read-only even for root, a file the user may
// not read (which also reads as missing): refused, with the old file whole.
TEST_F(SettingsFile, RefusedWritesLeaveTheOldFileWhole) {
    const std::string before = "[S]\n0=old\n";
    Put(before);
    const std::string refused[][3] = {{"Bad]Name", "0", "v"}, {"S", "k=v", "v"}, {"S", ";k", "v"},
                                      {"S", "", "v"}, {" S", "0", "v"}, {"S", "0", "two\nlines"},
                                      {"S", "0", "cr\r"}, {"S", "0", std::string("nul\0", 4)}};
    for (const auto& r : refused) EXPECT_FALSE(Write(r[0], r[1], r[2])) << r[1];
    rlimit old, small;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    small = {before.size() + 10, old.rlim_max};
    auto* oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    EXPECT_FALSE(Write("S", "0", std::string(100, 'n')));
    ::setrlimit(RLIMIT_FSIZE, &old), std::signal(SIGXFSZ, oldHandler);
    ASSERT_EQ(::chmod(path_.c_str(), 0444), 0);
    EXPECT_FALSE(Write("S", "0", "new"));
    ASSERT_EQ(::chmod(path_.c_str(), 0222), 0);
    EXPECT_NE(AsOrdinaryUser([this] { return Write("S", "0", "new"); }), 1);
    EXPECT_NE(AsOrdinaryUser([this] { return Read("S", "0") != "<def>"; }), 1);
    ASSERT_EQ(::chmod(path_.c_str(), 0644), 0);
    EXPECT_EQ(Bytes(), before);
    EXPECT_TRUE(OnlyTheFile());
}

// Whether fn, run in a child process, returns true with the resident memory
// peaking less than limit bytes above where it began: a child's peak starts
// at its size when forked, so nothing needs to reset it.
bool TrueWithinMemory(long limit, const std::function<bool()>& fn) {
    auto kb = [](const std::string& field) {
        std::ifstream status("/proc/self/status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind(field, 0) == 0) return std::stol(line.substr(field.size()));
        return -1L;
    };
    const pid_t pid = ::fork();
    if (pid == 0) {
        const long before = kb("VmRSS:");
        const bool ok = fn();
        ::_exit(ok && before > 0 && (kb("VmHWM:") - before) * 1024 < limit ? 0 : 1);
    }
    int status = 0;
    return pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// What may stand in the file's place: a link (written through, mode kept), a
// FIFO or device (neither blocks nor is written), a file of millions of blank
// lines (read in memory linear in its size), and copies a killed save left
// (removed once their writer is gone, and only those).
TEST_F(SettingsFile, AwkwardFilesInItsPlace) {
    Put("[S]\nk=1\n");
    ASSERT_EQ(::chmod(path_.c_str(), 0640) | ::symlink("quillet.ini", (dir_ + "link.ini").c_str()), 0);
    ASSERT_TRUE(WriteSettingString(dir_ + "link.ini", "S", "k", "via link"));
    EXPECT_EQ(Bytes(), "[S]\nk=via link\n");
    EXPECT_TRUE(fs::is_symlink(dir_ + "link.ini"));
    EXPECT_EQ(fs::status(path_).permissions(), fs::perms(0640));

    for (bool fifo : {true, false}) {
        fs::remove(path_);
        ASSERT_EQ(fifo ? ::mkfifo(path_.c_str(), 0666) : ::symlink("/dev/zero", path_.c_str()), 0);
        EXPECT_EQ(Read("S", "k"), "<def>");
        EXPECT_FALSE(Write("S", "k", "new"));
        EXPECT_EQ(fs::symlink_status(path_).type(), fifo ? fs::file_type::fifo : fs::file_type::symlink);
    }
    fs::remove(path_);
    const std::size_t hugeSize = 10u << 20;
    Put(std::string(hugeSize, '\n') + "[S]\nk=v\n");
    EXPECT_TRUE(TrueWithinMemory(3 * hugeSize, [this] { return Read("S", "k") == "v"; }));

    Put("[S]\nk=v\n");
    const pid_t gone = ::fork();
    if (gone == 0) ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    const std::string stale = ".quillet.ini.tmp-" + std::to_string(gone) + "-1f";
    const std::string kept[] = {".quillet.ini.tmp-1x-3", "quillet.ini.tmp-99999999-4",
                                ".quillet.ini.tmp-" + std::to_string(::getppid()) + "-2e"};
    for (const std::string& name : kept) std::ofstream(dir_ + name) << "x";
    std::ofstream(dir_ + stale) << "half a save";
    EXPECT_TRUE(Write("S", "k", "new"));
    EXPECT_FALSE(fs::exists(dir_ + stale));
    for (const std::string& name : kept) EXPECT_TRUE(fs::exists(dir_ + name)) << name;
}

}  // namespace
}  // namespace quillet::platform
