#include "datatypes.h"

#include "errors.h"
#include "text.h"

namespace tivrap {
namespace {

void PutLittleEndian(std::uint8_t* at, std::uint64_t value, std::size_t bytes) {
    for (std::size_t i = 0; i < bytes; ++i)
        at[i] = static_cast<std::uint8_t>(i < 8 ? value >> (8 * i) : 0);
}

std::uint32_t ListingSize(std::size_t pointerSize) {
    std::size_t total = 0;
    for (std::u16string_view name : kDatatypeNames)
        total += (name.size() + 1) * 2 + pointerSize;
    return static_cast<std::uint32_t>(total);
}

}  // namespace

std::uint32_t FindDatatype(const char16_t* name, Datatype& datatype) {
    if (name == nullptr || *name == u'\0') return kErrorInvalidParameter;
    for (std::size_t k = 0; k < kDatatypeNames.size(); ++k) {
        if (EqualsFolded(name, kDatatypeNames[k])) {
            datatype = static_cast<Datatype>(k);
            return 0;
        }
    }
    return kErrorInvalidDatatype;
}

std::uint32_t ListDatatypes(std::uint8_t* buffer, std::uint32_t size, std::uint32_t* needed,
                            std::uint32_t* returned, const DatatypeLayout& layout) {
    if (needed == nullptr || returned == nullptr) return kErrorInvalidParameter;
    *returned = 0;
    *needed = ListingSize(layout.pointerSize);
    if (size < *needed) return kErrorInsufficientBuffer;
    if (buffer == nullptr) return kErrorInvalidParameter;
    // Names start on whole UTF-16 units even in a buffer of odd size.
    std::size_t end = size & ~std::uint32_t{1};
    for (std::size_t k = 0; k < kDatatypeNames.size(); ++k) {
        const std::u16string_view name = kDatatypeNames[k];
        end -= (name.size() + 1) * 2;
        for (std::size_t i = 0; i <= name.size(); ++i)
            PutLittleEndian(buffer + end + 2 * i, i < name.size() ? name[i] : 0, 2);
        PutLittleEndian(buffer + k * layout.pointerSize, layout.address + end, layout.pointerSize);
    }
    *returned = static_cast<std::uint32_t>(kDatatypeNames.size());
    return 0;
}

}  // namespace tivrap
