#include "png_file.h"

namespace zelmar::cli {

bool DecodePng(const Bytes&, RgbaPicture& out, std::string& error) {
    out = RgbaPicture{};
    error =
        "reading PNG files needs the native (Linux) build of zelmar: Debian has no PNG "
        "library for the Windows builds";
    return false;
}

}  // namespace zelmar::cli
