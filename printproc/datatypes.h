// The datatypes the print processor accepts, and their listing for the
// spooler (EnumPrintProcessorDatatypesW, level 1).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tivrap {

// In table order: the order is the datatype index the job record keeps.
enum class Datatype : std::uint32_t { kRaw, kEmf1006, kEmf1007, kEmf1008, kText };

inline constexpr std::array<std::u16string_view, 5> kDatatypeNames = {
    u"RAW", u"NT EMF 1.006", u"NT EMF 1.007", u"NT EMF 1.008", u"TEXT"};

// The datatype a job names, matched without regard to case. Returns 0, 87 when
// no name is given (null or empty) or 1804 when the name is not in the table.
std::uint32_t FindDatatype(const char16_t* name, Datatype& datatype);

// How the spooler's process reads the listing: the size of its pointers (8 on
// x64, 4 on i686) and the address at which it sees the buffer.
struct DatatypeLayout {
    std::size_t pointerSize;
    std::uint64_t address;
};

// The level-1 listing: one pointer per datatype at the start of `buffer`, the
// names (UTF-16 with their terminators) packed from its end backwards in table
// order. `needed` gets the size the listing takes with this pointer size, on
// every path that can report it; `returned` the number of records written.
// Returns 0; 122 when `size` is smaller than `needed`; 87 when `needed` or
// `returned` is missing, or `buffer` is while `size` would do. The spooler
// allocates exactly what is reported, so the figure must be the real one.
std::uint32_t ListDatatypes(std::uint8_t* buffer, std::uint32_t size, std::uint32_t* needed,
                            std::uint32_t* returned, const DatatypeLayout& layout);

}  // namespace tivrap
