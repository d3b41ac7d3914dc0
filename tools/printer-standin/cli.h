// printer-standin's command line.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace standin::cli {

// Exit codes.
constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

// Runs one command line (without the program name).
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace standin::cli
