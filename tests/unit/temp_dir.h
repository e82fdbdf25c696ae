#pragma once
// What the unit tests that touch files share: a directory of their own
// (tests run side by side), gone after the test, and a whole file's bytes.
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

namespace quillet::unit {

inline std::string ReadFile(const std::string& path) {
    return (std::ostringstream() << std::ifstream(path, std::ios::binary).rdbuf()).str();
}

struct TempDirTest : ::testing::Test {
    void SetUp() override { ASSERT_NE(mkdtemp(dir.data()), nullptr); }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string dir = ::testing::TempDir() + "quillet-XXXXXX";
};

}  // namespace quillet::unit
