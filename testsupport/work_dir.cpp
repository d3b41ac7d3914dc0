#include "work_dir.h"

#include <random>

namespace zelmar::test {

void WorkDirTest::SetUp() {
    namespace fs = std::filesystem;
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::random_device random;
    std::string name =
        "zelmar-" + std::string(info->test_suite_name()) + "-" + std::to_string(random());
    for (char& c : name) {
        if (c == '/') c = '_';  // parameterised suites carry a prefix
    }
    dir_ = fs::temp_directory_path() / name;
    fs::create_directories(dir_);
    previous_ = fs::current_path();
    fs::current_path(dir_);
}

void WorkDirTest::TearDown() {
    namespace fs = std::filesystem;
    fs::current_path(previous_);
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
}

}  // namespace zelmar::test
