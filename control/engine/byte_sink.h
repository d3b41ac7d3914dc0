// Where the builders of command streams put their bytes. Each write names the
// element it carries, so that a link can send every kind its own way (one
// byte per write, in pieces, with a pause after it) while a file or a test
// simply keeps the bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "bytes.h"

namespace zelmar {

enum class Element {
    kCommand,       // a whole command or sequence: query, cut, options, preambles
    kImageHeader,   // an NV image header, or an image's four size bytes
    kNvData,        // the NV data of one image
    kBandPreamble,  // the band form's preamble
    kBandRecord,    // one band record, head and data together
};

class ByteSink {
  public:
    virtual ~ByteSink() = default;
    // True when every byte went out; a builder stops at the first false.
    virtual bool Write(Element element, const std::uint8_t* data, std::size_t size) = 0;
    bool Write(Element element, const Bytes& bytes) {
        return Write(element, bytes.data(), bytes.size());
    }
};

// Keeps everything in memory, with the element and size of every write.
class BufferSink : public ByteSink {
  public:
    bool Write(Element element, const std::uint8_t* data, std::size_t size) override {
        bytes.insert(bytes.end(), data, data + size);
        pieces.push_back(size);
        elements.push_back(element);
        return true;
    }
    using ByteSink::Write;

    Bytes bytes;
    std::vector<std::size_t> pieces;  // the size of each write
    std::vector<Element> elements;    // the element of each write
};

}  // namespace zelmar
