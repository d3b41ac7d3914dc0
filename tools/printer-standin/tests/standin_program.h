// printer-standin started as a user or a link would start it, in a child
// process whose stdout is read line by line. For the stand-in's own tests
// and for the end-to-end tests of the links.
#pragma once

#include <sys/resource.h>
#include <sys/types.h>

#include <string>
#include <vector>

namespace standin::test {

// Waits on a descriptor far longer than any step takes: the bound only keeps a
// broken program from hanging the test.
constexpr int kPatienceMs = 20000;

// True when `fd` has something to read within the patience.
bool Readable(int fd);

class Program {
  public:
    // `fileSizeLimit`: bytes beyond which no file of the program grows.
    explicit Program(const std::vector<std::string>& args, rlim_t fileSizeLimit = RLIM_INFINITY);
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    ~Program();

    // The next line that begins with `prefix`, the lines before it kept in
    // Output(); empty when stdout ends first.
    std::string WaitFor(const std::string& prefix);
    const std::string& Output() const { return output_; }
    void Signal(int signal);
    // The exit code, after reading what stdout still holds; -1 when the
    // program does not end.
    int Wait();

  private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::string pending_;
    std::string output_;
    bool ended_ = false;  // stdout has ended
};

// The pseudo-terminal's path the program reports; empty when it reports none.
std::string PtyPath(Program& program);

// The port of the TCP listener the program reports; 0 when it reports none.
int ListeningPort(Program& program);

}  // namespace standin::test
