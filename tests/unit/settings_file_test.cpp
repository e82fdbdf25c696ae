#include "platform/settings_file.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <string>
#include <utility>

namespace quillet::platform {
namespace {

class SettingsFile : public testing::Test {
protected:
    void SetUp() override {
        std::string templ = testing::TempDir() + "quillet-settings-XXXXXX";
        ASSERT_NE(::mkdtemp(templ.data()), nullptr);
        dir_ = templ + "/";
        // Wide open, so that the tests that drop privileges can work in it.
        ::chmod(dir_.c_str(), 0777);
        path_ = dir_ + "quillet.ini";
    }
    void TearDown() override {
        ::chmod(dir_.c_str(), 0777);
        const std::string cmd = "rm -rf '" + dir_ + "'";
        if (std::system(cmd.c_str()) != 0) ADD_FAILURE() << "could not remove " << dir_;
    }

    void Put(const std::string& bytes, const std::string& path = {}) {
        std::ofstream(path.empty() ? path_ : path, std::ios::binary) << bytes;
    }
    std::string Bytes(const std::string& path = {}) const {
        std::ifstream in(path.empty() ? path_ : path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::set<std::string> Entries() const {
        std::set<std::string> names;
        if (DIR* d = ::opendir(dir_.c_str())) {
            while (dirent* e = ::readdir(d)) {
                const std::string name = e->d_name;
                if (name != "." && name != "..") names.insert(name);
            }
            ::closedir(d);
        }
        return names;
    }
    std::string Read(const std::string& section, const std::string& key) const {
        return ReadSettingString(path_, section, key, "<def>");
    }

    std::string dir_;
    std::string path_;
};

// Root passes every permission check, so refusals are tried as an ordinary
// user in a child process.  Returns 1 when fn returned true, 0 when false,
// -1 when the test could not be run.
int AsOrdinaryUser(const std::function<bool()>& fn) {
    if (::geteuid() != 0) return fn() ? 1 : 0;
    const pid_t pid = ::fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(3);
        ::_exit(fn() ? 1 : 0);
    }
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    const int code = WEXITSTATUS(status);
    return code <= 1 ? code : -1;
}

TEST_F(SettingsFile, AwkwardValuesReadBackExactly) {
    const std::string values[] = {
        "", "plain", " leading blank", "trailing blank ", "\tboth\t", "\"quoted\"", "\"",
        "\"\"", " \" ", "\"starts only", "ends only\"", "mid \"quote\" here", "a=b=c",
        ";not a comment", "[not a section]", "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC",
        "From:.*Ivo Marrek", "C:\\Program Files\\Hamster", std::string(300, 'x') + "end",
    };
    for (const std::string& v : values) {
        ASSERT_TRUE(WriteSettingString(path_, "SearchExpr", "0", v)) << v;
        EXPECT_EQ(Read("SearchExpr", "0"), v);
    }
    // Every write replaced the one line; nothing piled up.
    EXPECT_EQ(Bytes(), "[SearchExpr]\n0=" + std::string(300, 'x') + "end\n");
    EXPECT_EQ(Entries(), std::set<std::string>{"quillet.ini"});
}

TEST_F(SettingsFile, ReadsFilesTheWayPeopleWriteThem) {
    Put("orphan=before any section\n"
        "; HamDir=commented out\n"
        "  [ SETUP ]  \n"
        "  hamdir  =   C:\\Hamster  \n"
        "WaitForSys=\" 3 \"\n"
        "Quoted=\"a\" b \"c\"\n"
        "Empty=\n"
        "Windows=M\xFCller \x80\n"
        "NoEquals\n"
        "HamDir=second key of the name\n"
        "[setup]\n"
        "Late=in a second section of the same name\n"
        "[Other]\r\n"
        "  ; comment\r\n"
        "Key=crlf value\r\n"
        "Last=no final line feed");
    EXPECT_EQ(Read("Setup", "HamDir"), "C:\\Hamster");
    EXPECT_EQ(Read("Setup", "WaitForSys"), " 3 ");
    EXPECT_EQ(Read("Setup", "Quoted"), "a\" b \"c");
    EXPECT_EQ(Read("Setup", "Empty"), "");
    EXPECT_EQ(Read("Setup", "Windows"), "M\xC3\xBCller \xE2\x82\xAC");
    EXPECT_EQ(Read("Setup", "NoEquals"), "<def>");
    EXPECT_EQ(Read("Setup", "Late"), "<def>");
    EXPECT_EQ(Read("Setup", "orphan"), "<def>");
    EXPECT_EQ(Read("Setup", "Missing"), "<def>");
    EXPECT_EQ(Read("Nowhere", "HamDir"), "<def>");
    EXPECT_EQ(Read("other", "KEY"), "crlf value");
    EXPECT_EQ(Read("Other", "Last"), "no final line feed");

    // A byte-order mark does not hide the first section.
    Put("\xEF\xBB\xBF[Setup]\nHamDir=/opt/hamster\n");
    EXPECT_EQ(Read("Setup", "HamDir"), "/opt/hamster");

    EXPECT_EQ(ReadSettingString(dir_ + "absent.ini", "Setup", "HamDir", "d"), "d");
    EXPECT_EQ(ReadSettingString(dir_, "Setup", "HamDir", "d"), "d");
}

TEST_F(SettingsFile, IntegersTakeTheLeadingNumber) {
    Put("[Setup]\nA=3\nB=  42  \nC=-5\nD=+7\nE=12 seconds\nF=abc\nG=\nH=0x10\n"
        "I=99999999999999999999999\nJ=-99999999999999999999999\nK=\"9\"\n");
    const struct { const char* key; long want; } cases[] = {
        {"A", 3}, {"B", 42}, {"C", -5}, {"D", 7}, {"E", 12}, {"F", 0}, {"G", 0},
        {"H", 0}, {"I", LONG_MAX}, {"J", LONG_MIN}, {"K", 9}, {"Missing", 17},
    };
    for (const auto& c : cases) EXPECT_EQ(ReadSettingInt(path_, "Setup", c.key, 17), c.want) << c.key;
    EXPECT_EQ(ReadSettingInt(dir_ + "absent.ini", "Setup", "A", 17), 17);
}

TEST_F(SettingsFile, WriteChangesOnlyTheLineItMust) {
    const std::string before =
        "; kept as is\n"
        "[Setup]\n"
        "HamDir = C:\\Hamster\n"
        "\n"
        "[SearchExpr]\n"
        "  0 =  old value ; with a semicolon\n"
        "0=duplicate key\n"
        "[Unknown]\n"
        "x=y\n"
        "[searchexpr]\n"
        "0=duplicate section\n"
        "\n"
        "; trailing comment without line feed";
    Put(before);
    ASSERT_TRUE(WriteSettingString(path_, "SEARCHEXPR", "0", "new"));
    std::string want = before;
    want.replace(want.find("old value ; with a semicolon"), 28, "new");
    EXPECT_EQ(Bytes(), want);

    // A key the section lacks goes after its last key, a section the file
    // lacks at the end, after a line feed for the unterminated last line.
    ASSERT_TRUE(WriteSettingString(path_, "setup", "WaitForSys", "2"));
    ASSERT_TRUE(WriteSettingString(path_, "GroupExpr", "0", "de\\.alt\\.admin"));
    want.insert(want.find("\n\n[SearchExpr]") + 1, "WaitForSys=2\n");
    want += "\n[GroupExpr]\n0=de\\.alt\\.admin\n";
    EXPECT_EQ(Bytes(), want);
    EXPECT_EQ(ReadSettingInt(path_, "Setup", "WaitForSys", 0), 2);
}

TEST_F(SettingsFile, NewLinesFollowTheFilesLineEndings) {
    Put("[Setup]\r\nHamDir=C:\\Hamster\r\n\r\n[Empty]\r\n");
    ASSERT_TRUE(WriteSettingString(path_, "Setup", "WaitForSys", "4"));
    ASSERT_TRUE(WriteSettingString(path_, "Empty", "k", "v"));
    ASSERT_TRUE(WriteSettingString(path_, "ScoreView", "0", " x "));
    ASSERT_TRUE(WriteSettingString(path_, "Setup", "HamDir", "D:\\H"));
    EXPECT_EQ(Bytes(),
              "[Setup]\r\nHamDir=D:\\H\r\nWaitForSys=4\r\n\r\n[Empty]\r\nk=v\r\n"
              "[ScoreView]\r\n0=\" x \"\r\n");
    EXPECT_EQ(Read("ScoreView", "0"), " x ");
}

TEST_F(SettingsFile, RefusesWhatCouldNotReadBack) {
    const std::string before = "[SearchExpr]\n0=old\n";
    Put(before);
    const std::pair<std::string, std::string> names[] = {{"Bad]Name", "0"}, {"S", "k=v"},
                                                         {"S", ";k"}, {"S", ""}, {" S", "0"}};
    for (const auto& [section, key] : names) {
        EXPECT_FALSE(WriteSettingString(path_, section, key, "v")) << section << "/" << key;
    }
    const std::string values[] = {"two\nlines", "cr\rreturn", std::string("nul\0", 4)};
    for (const std::string& v : values) EXPECT_FALSE(WriteSettingString(path_, "SearchExpr", "0", v)) << v;
    EXPECT_EQ(Bytes(), before);
    EXPECT_EQ(Entries(), std::set<std::string>{"quillet.ini"});
}

TEST_F(SettingsFile, CreatesFilesAndKeepsModesAndLinks) {
    ASSERT_TRUE(WriteSettingString(path_, "SearchExpr", "0", "abc"));
    EXPECT_EQ(Bytes(), "[SearchExpr]\n0=abc\n");
    const mode_t mask = ::umask(0);
    ::umask(mask);
    struct stat st;
    ASSERT_EQ(::stat(path_.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644 & ~mask);
    EXPECT_FALSE(WriteSettingString(dir_ + "no/such/dir/quillet.ini", "S", "k", "v"));

    Put("[S]\nk=1\n");
    ASSERT_EQ(::chmod(path_.c_str(), 0640), 0);
    ASSERT_TRUE(WriteSettingString(path_, "S", "k", "2"));
    ASSERT_EQ(::stat(path_.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    ASSERT_EQ(::mkdir((dir_ + "real").c_str(), 0755), 0);
    Put("[S]\nk=1\n", dir_ + "real/target.ini");
    ASSERT_EQ(::symlink("real/target.ini", (dir_ + "link.ini").c_str()), 0);
    ASSERT_TRUE(WriteSettingString(dir_ + "link.ini", "S", "k", "via link"));
    ASSERT_EQ(::lstat((dir_ + "link.ini").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(Bytes(dir_ + "real/target.ini"), "[S]\nk=via link\n");

    ASSERT_EQ(::symlink("loop.ini", (dir_ + "loop.ini").c_str()), 0);
    EXPECT_FALSE(WriteSettingString(dir_ + "loop.ini", "S", "k", "v"));
}

TEST_F(SettingsFile, ReadOnlyOrUnreadableFilesAreLeftAlone) {
    const std::string before = "[SearchExpr]\n0=old\n";
    Put(before);
    // Read-only even for root: the user marked it so.
    ASSERT_EQ(::chmod(path_.c_str(), 0444), 0);
    EXPECT_FALSE(WriteSettingString(path_, "SearchExpr", "0", "new"));
    EXPECT_EQ(Bytes(), before);

    ASSERT_EQ(::chmod(path_.c_str(), 0666), 0);
    ASSERT_EQ(::chmod(dir_.c_str(), 0555), 0);
    const std::string path = path_;
    const int wrote = AsOrdinaryUser([&] { return WriteSettingString(path, "SearchExpr", "0", "new"); });
    if (wrote < 0) GTEST_SKIP() << "cannot run as an ordinary user";
    EXPECT_EQ(wrote, 0);
    EXPECT_EQ(Bytes(), before);
    EXPECT_EQ(Entries(), std::set<std::string>{"quillet.ini"});

    // A file that cannot be read is not replaced by one holding only the
    // new value, and reads as missing.
    ASSERT_EQ(::chmod(dir_.c_str(), 0777), 0);
    ASSERT_EQ(::chmod(path_.c_str(), 0222), 0);
    EXPECT_EQ(AsOrdinaryUser([&] { return WriteSettingString(path, "SearchExpr", "0", "new"); }), 0);
    EXPECT_EQ(AsOrdinaryUser([&] {
                  return ReadSettingString(path, "SearchExpr", "0", "def") == "def";
              }), 1);
    ASSERT_EQ(::chmod(path_.c_str(), 0644), 0);
    EXPECT_EQ(Bytes(), before);
    EXPECT_EQ(Entries(), std::set<std::string>{"quillet.ini"});
}

// A disk that fills up in the middle of the write: the old file must stay
// whole and the half-written copy must go.
TEST_F(SettingsFile, AFullDiskLosesOnlyTheNewValue) {
    const std::string before = "[Setup]\nHamDir=C:\\Hamster\n[SearchExpr]\n0=old\n";
    Put(before);
    struct rlimit old;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    struct rlimit small = old;
    small.rlim_cur = before.size() + 10;
    auto* oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool wrote = WriteSettingString(path_, "SearchExpr", "0", std::string(100, 'n'));
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(wrote);
    EXPECT_EQ(Bytes(), before);
    EXPECT_EQ(Entries(), std::set<std::string>{"quillet.ini"});
}

}  // namespace
}  // namespace quillet::platform
