// A command stream written into a file: the elements' bytes one after another.
#pragma once

#include "engine/byte_sink.h"
#include "engine/files.h"

namespace zelmar {

class FileSink : public ByteSink {
  public:
    explicit FileSink(files::OutputFile& file) : file_(file) {}
    bool Write(Element, const std::uint8_t* data, std::size_t size) override {
        if (!error_) error_ = file_.Write(data, size);
        return !error_;
    }
    using ByteSink::Write;
    // Why the first refused write failed.
    files::FileError Error() const { return error_; }

  private:
    files::OutputFile& file_;
    files::FileError error_;
};

}  // namespace zelmar
