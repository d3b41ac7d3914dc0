// The ways a link puts a job element on its transport.
#pragma once

#include <cstddef>
#include <cstdint>

#include "clock.h"
#include "transport.h"

namespace zelmar::links {

// How an element travels.
enum class Discipline {
    kWhole,         // one write call
    kBytePerWrite,  // one write call per byte
    kPieces,        // 64-byte pieces, 20 ms after each
    kPaced,         // 64-byte pieces, each within 5000 ms, 20 ms between them
};

constexpr std::size_t kPieceSize = 64;
constexpr std::uint32_t kPiecePauseMs = 20;
constexpr std::uint32_t kPacedPieceBudgetMs = 5000;

// Sends `size` bytes the way `discipline` says; stops at the first failed write.
LinkResult WriteElement(Transport& transport, Clock& clock, Discipline discipline,
                        const std::uint8_t* data, std::size_t size);

}  // namespace zelmar::links
