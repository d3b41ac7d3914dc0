// A command stream written into a file: the elements' bytes one after another.
#pragma once

#include "engine/byte_sink.h"
#include "engine/files.h"

namespace zelmar {

class FileSink : public ByteSink {
  public:
    explicit FileSink(files::OutputFile& file) : file_(file) {}
    bool Write(Element, const std::uint8_t* data, std::size_t size) override {
        return file_.Write(data, size);
    }
    using ByteSink::Write;

  private:
    files::OutputFile& file_;
};

}  // namespace zelmar
