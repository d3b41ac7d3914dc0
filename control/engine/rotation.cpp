// Turning the dots into the orientation the printer stores, and the colour
// copies of ImageMode 2.
#include <algorithm>
#include <cstring>

#include "files.h"
#include "logo_bitmap.h"
#include "working_files.h"

namespace zelmar {

namespace {

// Where the dot at stored row r, column c of a w x h picture goes in the
// turned raster, as (row, column); row 0 is the bottom row in both.
struct Turn {
    int rotation;
    int32_t w, h;
    void Place(int32_t r, int32_t c, int32_t& row, int32_t& column) const {
        switch (rotation) {
            case 1:
                row = w - 1 - c, column = r;
                break;  // a quarter clockwise
            case 2:
                row = h - 1 - r, column = c;
                break;  // mirrored top to bottom
            case 3:
                row = c, column = h - 1 - r;
                break;  // a quarter counter-clockwise
            default:
                row = r, column = c;
                break;
        }
    }
};

const std::string_view kColourFiles[] = {working_file::kRealBlue, working_file::kRealGreen,
                                         working_file::kRealRed};

}  // namespace

int CLogoBitmap::TurnAndWrite(int16_t rotation) {
    if (!Loaded()) return 255;
    const std::string_view name = RotationFile(rotation);
    if (name.empty()) return 0;
    // Created first, so that the turned raster stays as it was when it cannot be.
    const std::string path = files::InCurrentDirectory(name);
    files::OutputFile file;
    if (files::FileError e = file.Create(path)) return WriteFailed(path, e);

    std::uint8_t* turned = TurnedRaster();
    std::memset(turned, 0, static_cast<std::size_t>(height_) * kTurnedStride);
    const Turn turn{rotation, width_, height_};
    for (int32_t r = 0; r < height_; ++r) {
        const std::uint8_t* row = &dots_[static_cast<std::size_t>(r) * kRasterStride];
        for (int32_t c = 0; c < width_; ++c) {
            int32_t tr = 0, tc = 0;
            turn.Place(r, c, tr, tc);
            turned[static_cast<std::size_t>(tr) * kTurnedStride + tc] = row[c];
        }
    }
    const bool quarter = rotation == 1 || rotation == 3;
    turnedWidth_ = quarter ? height_ : width_;
    turnedHeight_ = quarter ? width_ : height_;
    files::FileError error =
        file.Write(OneBitFile(turnedWidth_, turnedHeight_, turned, kTurnedStride));
    if (!error) error = file.Commit();
    return error ? WriteFailed(path, error) : 1;
}

int CLogoBitmap::CopyColourPlanes(int16_t selector) {
    if (!Loaded()) return 255;
    std::uint8_t* copy = ColourCopy();
    for (int32_t r = 0; r < height_; ++r) {
        std::uint8_t* out = copy + static_cast<std::size_t>(r) * kColourCopyStride;
        for (int32_t x = 0; x < width_; ++x) {
            // Three stored bytes at the pixel: blue, green and red of a
            // true-colour pixel, whatever lies there for the other depths.
            std::copy_n(PixelAt(x, r), 3, out + 3 * x);
        }
    }
    switch (selector) {
        case 12:
            return WriteColourFile(2);
        case 13:
            return WriteColourFile(1);
        case 14:
            return WriteColourFile(0);
        default:
            return 1;
    }
}

int CLogoBitmap::WriteColourFile(int kind) {
    if (!Loaded()) {
        if (messages_) messages_->ShowMessage("KKK1", "KKK");
        return 255;
    }
    if (kind < 0 || kind > 2) return 0;
    if (!WriteWorkingFile(kColourFiles[kind],
                          TrueColourFile(width_, height_, ColourCopy(), kColourCopyStride))) {
        if (messages_) messages_->ShowMessage("KKK2", "KKK");
        return 0;
    }
    return 1;
}

}  // namespace zelmar
