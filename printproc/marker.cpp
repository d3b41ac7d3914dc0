#include "marker.h"

#include <algorithm>
#include <iterator>

namespace tivrap {
namespace {

constexpr std::uint8_t kStartOfDocument[] = {0x1B, 0x3D, 0x01, 0x1B, 0x52, 0x00, 0x1B, 0x74, 0x00,
                                             0x1B, 0x63, 0x33, 0x04, 0x1B, 0x63, 0x34, 0x00, 0x1D,
                                             0x50, 0xB4, 0xB4, 0x1D, 0x62, 0x01, 0x1B, 0x32};

}  // namespace

void MarkerSearch::Feed(const std::uint8_t* data, std::size_t size) {
    if (Decided()) return;
    const std::size_t before = head_.size();
    head_.insert(head_.end(), data, data + std::min(size, kMarkerWindow - before));
    // Only where a marker could end among the new bytes.
    const std::size_t from =
        before >= sizeof kStartOfDocument ? before - sizeof kStartOfDocument + 1 : 0;
    found_ = std::search(head_.begin() + static_cast<std::ptrdiff_t>(from), head_.end(),
                         std::begin(kStartOfDocument), std::end(kStartOfDocument)) != head_.end();
}

}  // namespace tivrap
