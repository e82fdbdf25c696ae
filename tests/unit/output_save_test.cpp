#include "exec/output_save.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace quillet {
namespace {

namespace fs = std::filesystem;

OutputSource Shown(const std::string& path) {
    platform::OutputFile file;
    EXPECT_TRUE(file.Open(path));
    return {path, file.Stamp()};
}

// The output's bytes whole, as the tool wrote them, or nothing: a source
// that is gone or no longer what was shown, or a target that may not be
// replaced, leaves the old target as it was and says why and where.
std::string ReadFile(const std::string& path) {
    return (std::ostringstream() << std::ifstream(path, std::ios::binary).rdbuf()).str();
}

// A directory of the test's own, on both systems.
struct SaveOutput : ::testing::Test {
    void SetUp() override {
        const fs::path path = fs::temp_directory_path() / ("quillet-save-" + std::to_string(std::random_device()()));
        ASSERT_TRUE(fs::create_directory(path));
        dir = path.string();
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string dir;
};

TEST_F(SaveOutput, CopiesTheBytesWholeOrLeavesTheOldFile) {
    const std::string source = dir + "/ham.txt", target = dir + "/saved.txt";
    std::string bytes;
    for (int i = 0; i < 200000; ++i) bytes += "line \x80\xe4 " + std::to_string(i) + std::string("\0\r\n", 3);
    std::ofstream(source, std::ios::binary) << bytes;
    std::ofstream(target, std::ios::binary) << "old";
    const OutputSource shown = Shown(source);

    EXPECT_EQ(SaveOutputCopy(shown, target), "");
    EXPECT_EQ(ReadFile(target), bytes);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
    // Onto the output itself, then elsewhere: both succeed.
    EXPECT_EQ(SaveOutputCopy(shown, source), "");
    EXPECT_EQ(SaveOutputCopy(shown, target), "");
    EXPECT_EQ(ReadFile(source), bytes);

    std::ofstream(target, std::ios::binary) << "old";
    fs::permissions(target, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    std::string why = SaveOutputCopy(shown, target);
    EXPECT_NE(why.find("saved.txt"), std::string::npos) << why;
    EXPECT_NE(why.find("read-only"), std::string::npos) << why;
    fs::permissions(target, fs::perms::owner_write, fs::perm_options::add);

    std::ofstream(source, std::ios::binary | std::ios::app) << "more";
    why = SaveOutputCopy(shown, target);
    EXPECT_NE(why.find("ham.txt\" has changed"), std::string::npos) << why;
    fs::remove(source);
    why = SaveOutputCopy(shown, target);
    EXPECT_NE(why.find("ham.txt\" is gone"), std::string::npos) << why;
    EXPECT_EQ(ReadFile(target), "old");
}

}  // namespace
}  // namespace quillet
