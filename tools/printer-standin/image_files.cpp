#include "image_files.h"

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <utility>

#include "engine/working_files.h"
#include "output_files.h"

namespace standin {

namespace fs = std::filesystem;

Bytes BmpFile(const Picture& picture) {
    Bytes file;
    zelmar::AppendOneBitHeader(file, picture.Width(), picture.Height());
    const std::size_t rowBytes = zelmar::OneBitRowBytes(picture.Width());
    for (int y = picture.Height() - 1; y >= 0; --y) {
        const std::uint8_t* row = picture.Row(y);
        file.insert(file.end(), row, row + picture.Stride());
        file.resize(file.size() + rowBytes - static_cast<std::size_t>(picture.Stride()), 0);
    }
    return file;
}

Bytes PngFile(const Picture& picture) {
    static const png_byte kColours[] = {255, 255, 255, 0, 0, 0};
    Bytes indices(static_cast<std::size_t>(picture.Width()) * picture.Height());
    for (int y = 0; y < picture.Height(); ++y) {
        for (int x = 0; x < picture.Width(); ++x)
            indices[static_cast<std::size_t>(y) * picture.Width() + x] = picture.Dot(x, y) ? 1 : 0;
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(picture.Width());
    image.height = static_cast<png_uint_32>(picture.Height());
    image.format = PNG_FORMAT_RGB_COLORMAP;
    image.colormap_entries = 2;
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, indices.data(), 0, kColours)) {
        return {};
    }
    Bytes file(size);
    if (!png_image_write_to_memory(&image, file.data(), &size, 0, indices.data(), 0, kColours)) {
        return {};
    }
    file.resize(size);
    return file;
}

ReceiptFiles::ReceiptFiles(std::string dir) : dir_(std::move(dir)) {}

std::string ReceiptFiles::Write(const Picture& receipt) {
    std::error_code error;
    if (next_ == 0) {
        fs::create_directories(dir_, error);
        next_ = 1;
        for (const fs::directory_entry& entry : fs::directory_iterator(dir_, error)) {
            int number = 0;
            if (std::sscanf(entry.path().filename().c_str(), "receipt-%d.bmp", &number) == 1) {
                next_ = std::max(next_, number + 1);
            }
        }
    }
    char name[32];
    std::snprintf(name, sizeof name, "receipt-%04d", next_);
    const std::string base = (fs::path(dir_) / name).string();
    const Bytes png = PngFile(receipt);
    const Bytes bmp = BmpFile(receipt);
    // The BMP last: the numbering counts BMP files, so a PNG left alone by a
    // crash between the two is written over by the next receipt.
    if (png.empty() || !WriteAtomically({{base + ".png", png}, {base + ".bmp", bmp}})) return {};
    ++next_;
    return base + ".bmp";
}

bool DumpSet(const FlashSet& set, const std::string& dir, std::vector<std::string>& written) {
    std::error_code error;
    fs::create_directories(dir, error);
    for (const NamedImage& image : NamedImages(set)) {
        const std::string path = (fs::path(dir) / (image.name + ".bmp")).string();
        const Bytes bmp = BmpFile(*image.picture);
        if (!WriteAtomically({{path, bmp}})) return false;
        written.push_back(path);
    }
    return true;
}

}  // namespace standin
