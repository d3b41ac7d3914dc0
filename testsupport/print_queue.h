// Printer queues made for a test in the Windows registry, as the spooler
// keeps them, and removed again when the test ends. Windows builds only.
#pragma once

#include <string>

namespace zelmar::test {

class PrintQueue {
  public:
    // A raw queue `name` whose port is the file `port` (each job replaces it).
    PrintQueue(const std::string& name, const std::string& port,
               const std::string& printProcessor = "winprint");
    PrintQueue(const PrintQueue&) = delete;
    PrintQueue& operator=(const PrintQueue&) = delete;
    ~PrintQueue();

    // A binary value of the queue's printer data, set as the driver would.
    void SetData(const std::string& value, unsigned type, const std::string& bytes);

  private:
    std::string key_;
};

}  // namespace zelmar::test
