// The start-of-document marker with which the driver's receipts begin: found
// in the job's first 245760 bytes, whatever pieces the spooler reads them in.
#pragma once

#include <cstddef>
#include <cstdint>

#include "blocks.h"

namespace tivrap {

// Where the marker counts: the driver writes it in its first block.
inline constexpr std::size_t kMarkerWindow = kBlockSize;

class MarkerSearch {
  public:
    // The job's next bytes, as they are read.
    void Feed(const std::uint8_t* data, std::size_t size);
    bool Found() const { return found_; }
    // Found, or the window is read without it.
    bool Decided() const { return found_ || head_.size() == kMarkerWindow; }

  private:
    Bytes head_;  // the job's first bytes, up to the window
    bool found_ = false;
};

}  // namespace tivrap
