// Runs each test in a fresh empty directory, where the working files go.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace zelmar::test {

class WorkDirTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    // A path inside the test's directory.
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    const std::filesystem::path& Dir() const { return dir_; }

  private:
    std::filesystem::path previous_;
    std::filesystem::path dir_;
};

}  // namespace zelmar::test
