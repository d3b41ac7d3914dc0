// What the printer keeps in its flash memory. Everything it stores goes into
// the pending set; a reset of the device makes the pending set the active
// one, which is what the printer prints from.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "parser.h"
#include "picture.h"

namespace standin {

struct FlashSet {
    std::array<Picture, 4> roles;  // by Role; an empty picture where none is stored
    int margin = -1;               // the Margin Message's m byte; -1 when it came without one
    Picture bandLogo;              // the bands of the last band definition
    std::vector<Picture> images;   // NV images 1, 2, ... of the last FS q
    // The options command's switches: Top Logo, Bottom Logo, WaterMark, Margin Message.
    std::array<std::uint8_t, 4> switches{};

    // Bytes of NV data held.
    std::size_t DataSize() const;
    bool operator==(const FlashSet& other) const;
};

// The NV data that fits in the flash, over all images of a set.
constexpr std::size_t kFlashCapacity = std::size_t{4} << 20;

// The names under which the images are kept and dumped.
std::string RoleFileName(Role role);  // "top-logo", "bottom-logo", "watermark", "margin-message"
constexpr const char* kBandLogoName = "band-logo";
std::string ImageFileName(std::size_t number);  // "image-001", ...

struct NamedImage {
    std::string name;
    const Picture* picture;
};
// The images a set holds, under their names: the roles, the band logo, then
// the numbered images in order.
std::vector<NamedImage> NamedImages(const FlashSet& set);
// The role or band logo of that name; null for any other name.
Picture* NamedSlot(FlashSet& set, const std::string& name);

class FlashStore {
  public:
    virtual ~FlashStore() = default;
    virtual const FlashSet& Pending() const = 0;
    virtual const FlashSet& Active() const = 0;
    // Replaces the pending set; false, with nothing changed, when it cannot be kept.
    virtual bool WritePending(const FlashSet& set) = 0;
    // The pending set becomes the active one; false, with nothing changed, on failure.
    virtual bool Reset() = 0;
};

class MemoryFlash : public FlashStore {
  public:
    const FlashSet& Pending() const override { return pending_; }
    const FlashSet& Active() const override { return active_; }
    bool WritePending(const FlashSet& set) override {
        pending_ = set;
        return true;
    }
    bool Reset() override {
        active_ = pending_;
        return true;
    }

  private:
    FlashSet pending_;
    FlashSet active_;
};

}  // namespace standin
