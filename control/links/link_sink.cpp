#include "link_sink.h"

namespace zelmar::links {

const ElementFraming& Framing::For(Element element) const {
    switch (element) {
        case Element::kImageHeader:
            return imageHeader;
        case Element::kNvData:
            return nvData;
        case Element::kBandPreamble:
            return bandPreamble;
        case Element::kBandRecord:
            return bandRecord;
        case Element::kCommand:
            break;
    }
    return command;
}

bool LinkSink::Write(Element element, const std::uint8_t* data, std::size_t size) {
    if (!result_.ok()) return false;
    const ElementFraming& framing = framing_.For(element);
    result_ = WriteElement(transport_, clock_, framing.discipline, data, size);
    if (!result_.ok()) return false;
    if (framing.waitAfterMs > 0) clock_.Sleep(framing.waitAfterMs);
    return true;
}

}  // namespace zelmar::links
