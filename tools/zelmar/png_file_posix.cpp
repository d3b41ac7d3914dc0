#include <png.h>

#include "png_file.h"

namespace zelmar::cli {

bool DecodePng(const Bytes& file, RgbaPicture& out, std::string& error) {
    out = RgbaPicture{};
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, file.data(), file.size())) {
        error = std::string("not a readable PNG file (") + image.message + ")";
        png_image_free(&image);
        return false;
    }
    if (image.width > kMaxPngSide || image.height > kMaxPngSide) {
        error = "the picture is " + std::to_string(image.width) + " x " +
                std::to_string(image.height) + " pixels; at most " + std::to_string(kMaxPngSide) +
                " x " + std::to_string(kMaxPngSide) + " are read";
        png_image_free(&image);
        return false;
    }
    image.format = PNG_FORMAT_RGBA;
    // A 16-bit picture without colour-space chunks is taken in the same colours
    // as an 8-bit one, as image programs and viewers show it, not as linear.
    image.flags |= PNG_IMAGE_FLAG_16BIT_sRGB;
    Bytes rgba(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr)) {
        error = std::string("the PNG data cannot be decoded (") + image.message + ")";
        png_image_free(&image);
        return false;
    }
    out.width = static_cast<std::int32_t>(image.width);
    out.height = static_cast<std::int32_t>(image.height);
    out.rgba = std::move(rgba);
    return true;
}

}  // namespace zelmar::cli
