// Runs zelmar command lines in a fresh directory and keeps what they print.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "bmp_builder.h"
#include "cli.h"
#include "work_dir.h"

namespace zelmar::cli {

class CliTest : public test::WorkDirTest {
  protected:
    int Run(std::vector<std::string> args) {
        out_.str("");
        err_.str("");
        return cli::Run(args, out_, err_);
    }
    std::string Out() const { return out_.str(); }
    std::string Err() const { return err_.str(); }
    // A 24-bit grey ramp, 30 x 10.
    std::string Logo() {
        test::WriteBytes(Path("logo.bmp"),
                         test::MakeColourBmp(30, 10, [](int x, int) { return test::Grey(x * 8); }));
        return Path("logo.bmp");
    }

  private:
    std::ostringstream out_, err_;
};

}  // namespace zelmar::cli
