// The command streams of the engine, sent over a link: each element travels
// the way the link's framing says, followed by the framing's wait.
#pragma once

#include <cstdint>

#include "engine/byte_sink.h"
#include "writers.h"

namespace zelmar::links {

struct ElementFraming {
    Discipline discipline = Discipline::kWhole;
    std::uint32_t waitAfterMs = 0;
};

// How one link sends each element of a form.
struct Framing {
    ElementFraming command;
    ElementFraming imageHeader;
    ElementFraming nvData;
    ElementFraming bandPreamble;
    ElementFraming bandRecord;

    const ElementFraming& For(Element element) const;
};

class LinkSink : public ByteSink {
  public:
    LinkSink(Transport& transport, Clock& clock, const Framing& framing)
        : transport_(transport), clock_(clock), framing_(framing) {}

    bool Write(Element element, const std::uint8_t* data, std::size_t size) override;
    using ByteSink::Write;

    // The first failure, or done.
    LinkResult Result() const { return result_; }

  private:
    Transport& transport_;
    Clock& clock_;
    const Framing& framing_;
    LinkResult result_;
};

}  // namespace zelmar::links
