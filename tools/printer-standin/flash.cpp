#include "flash.h"

namespace standin {

namespace {

std::size_t DataSizeOf(const Picture& picture) {
    return static_cast<std::size_t>(picture.Width()) * static_cast<std::size_t>(picture.Height()) /
           8;
}

}  // namespace

std::size_t FlashSet::DataSize() const {
    std::size_t size = DataSizeOf(bandLogo);
    for (const Picture& p : roles)
        size += DataSizeOf(p);
    for (const Picture& p : images)
        size += DataSizeOf(p);
    return size;
}

bool FlashSet::operator==(const FlashSet& other) const {
    return roles == other.roles && margin == other.margin && bandLogo == other.bandLogo &&
           images == other.images && switches == other.switches;
}

std::string RoleFileName(Role role) {
    static const char* const kNames[] = {"top-logo", "bottom-logo", "watermark", "margin-message"};
    return kNames[static_cast<int>(role)];
}

std::string ImageFileName(std::size_t number) {
    std::string digits = std::to_string(number);
    if (digits.size() < 3) digits.insert(0, 3 - digits.size(), '0');
    return "image-" + digits;
}

std::vector<NamedImage> NamedImages(const FlashSet& set) {
    std::vector<NamedImage> named;
    for (int role = 0; role < 4; ++role) {
        if (!set.roles[role].Empty()) {
            named.push_back({RoleFileName(static_cast<Role>(role)), &set.roles[role]});
        }
    }
    if (!set.bandLogo.Empty()) named.push_back({kBandLogoName, &set.bandLogo});
    for (std::size_t i = 0; i < set.images.size(); ++i)
        named.push_back({ImageFileName(i + 1), &set.images[i]});
    return named;
}

Picture* NamedSlot(FlashSet& set, const std::string& name) {
    for (int role = 0; role < 4; ++role) {
        if (name == RoleFileName(static_cast<Role>(role))) return &set.roles[role];
    }
    return name == kBandLogoName ? &set.bandLogo : nullptr;
}

}  // namespace standin
