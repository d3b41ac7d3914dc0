#include "writers.h"

#include <algorithm>

namespace zelmar::links {

namespace {

LinkResult WriteInPieces(Transport& transport, Clock& clock, const std::uint8_t* data,
                         std::size_t size, std::uint32_t limitMs, bool pauseAfterLast) {
    while (size > 0) {
        const std::size_t piece = std::min(kPieceSize, size);
        const LinkResult written = transport.Write(data, piece, limitMs);
        if (!written.ok()) return written;
        data += piece;
        size -= piece;
        if (size > 0 || pauseAfterLast) clock.Sleep(kPiecePauseMs);
    }
    return LinkResult::Done();
}

}  // namespace

LinkResult WriteElement(Transport& transport, Clock& clock, Discipline discipline,
                        const std::uint8_t* data, std::size_t size) {
    switch (discipline) {
        case Discipline::kWhole:
            return transport.Write(data, size, 0);
        case Discipline::kBytePerWrite:
            for (std::size_t i = 0; i < size; ++i) {
                const LinkResult written = transport.Write(data + i, 1, 0);
                if (!written.ok()) return written;
            }
            return LinkResult::Done();
        case Discipline::kPieces:
            return WriteInPieces(transport, clock, data, size, 0, true);
        case Discipline::kPaced:
            // The pieces go out in passes of 5000 ms; a new pass changes
            // nothing a printer sees, so one loop does.
            return WriteInPieces(transport, clock, data, size, kPacedPieceBudgetMs, false);
    }
    return LinkResult::Failed(LinkError::kWrite);
}

}  // namespace zelmar::links
