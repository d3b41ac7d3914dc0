// Turning the dots into the orientation the printer stores, and the colour
// copies of ImageMode 2.
#include <algorithm>
#include <cstring>

#include "files.h"
#include "logo_bitmap.h"
#include "working_files.h"

namespace zelmar {

namespace {

// Quarter turns gather the dots in square tiles, so that the rows they read
// and the rows they write both stay in the cache.
constexpr int32_t kTile = 16;

// Writes the dots of a w x h picture (rows of kRasterStride bytes, row 0 the
// bottom) into the turned raster by `rotation`.
void Turn(const std::uint8_t* dots, int32_t w, int32_t h, int rotation, std::uint8_t* turned) {
    auto dotRow = [dots](int32_t r) { return dots + static_cast<std::size_t>(r) * kRasterStride; };
    auto turnedRow = [turned](int32_t r) {
        return turned + static_cast<std::size_t>(r) * kTurnedStride;
    };
    if (rotation == 0 || rotation == 2) {
        // Whole rows: in place, or mirrored top to bottom.
        for (int32_t r = 0; r < h; ++r)
            std::memcpy(turnedRow(rotation == 0 ? r : h - 1 - r), dotRow(r),
                        static_cast<std::size_t>(w));
        return;
    }
    // Source column c becomes turned row w - 1 - c (a quarter clockwise) or
    // c (counter-clockwise); source row r becomes turned column r or h - 1 - r.
    const bool clockwise = rotation == 1;
    const std::ptrdiff_t rowStep = clockwise ? -kTurnedStride : kTurnedStride;
    std::uint8_t* const firstRow = turnedRow(clockwise ? w - 1 : 0);
    for (int32_t r0 = 0; r0 < h; r0 += kTile) {
        for (int32_t c0 = 0; c0 < w; c0 += kTile) {
            for (int32_t r = r0; r < std::min(r0 + kTile, h); ++r) {
                const std::uint8_t* from = dotRow(r);
                std::uint8_t* to = firstRow + (clockwise ? r : h - 1 - r);
                for (int32_t c = c0; c < std::min(c0 + kTile, w); ++c)
                    to[c * rowStep] = from[c];
            }
        }
    }
}

// The working file of a colour; empty for kNone.
std::string_view ColourFileName(ColourFile colour) {
    switch (colour) {
        case ColourFile::kBlue:
            return working_file::kRealBlue;
        case ColourFile::kGreen:
            return working_file::kRealGreen;
        case ColourFile::kRed:
            return working_file::kRealRed;
        case ColourFile::kNone:
            break;
    }
    return {};
}

}  // namespace

EngineResult CLogoBitmap::TurnAndWrite(int16_t rotation) {
    if (!Loaded()) return EngineResult::kNothingLoaded;
    const std::string_view name = RotationFile(rotation);
    if (name.empty()) return EngineResult::kFailed;
    // Created first, so that the turned raster stays as it was when it cannot be.
    const std::string path = files::InCurrentDirectory(name);
    files::OutputFile file;
    if (files::FileError e = file.Create(path)) return WriteFailed(path, e);

    std::uint8_t* turned = TurnedRaster();
    std::memset(turned, 0, static_cast<std::size_t>(height_) * kTurnedStride);
    Turn(dots_.data(), width_, height_, rotation, turned);
    const bool quarter = rotation == 1 || rotation == 3;
    turnedWidth_ = quarter ? height_ : width_;
    turnedHeight_ = quarter ? width_ : height_;
    files::FileError error =
        file.Write(OneBitFile(turnedWidth_, turnedHeight_, turned, kTurnedStride));
    if (!error) error = file.Commit();
    return error ? WriteFailed(path, error) : EngineResult::kDone;
}

EngineResult CLogoBitmap::CopyColourPlanes(ColourFile colour) {
    if (!Loaded()) return EngineResult::kNothingLoaded;
    std::uint8_t* copy = ColourCopy();
    NoteColourCopyUse(height_, 3 * width_);
    for (int32_t r = 0; r < height_; ++r) {
        std::uint8_t* out = copy + static_cast<std::size_t>(r) * kColourCopyStride;
        for (int32_t x = 0; x < width_; ++x) {
            // Three stored bytes at the pixel: blue, green and red of a
            // true-colour pixel, whatever lies there for the other depths.
            std::copy_n(PixelAt(x, r), 3, out + 3 * x);
        }
    }
    return colour == ColourFile::kNone ? EngineResult::kDone : WriteColourFile(colour);
}

EngineResult CLogoBitmap::WriteColourFile(ColourFile colour) {
    if (!Loaded()) {
        if (messages_) messages_->ShowMessage("KKK1", "KKK");
        return EngineResult::kNothingLoaded;
    }
    const std::string_view name = ColourFileName(colour);
    if (name.empty()) return EngineResult::kFailed;
    if (WriteWorkingFile(name, TrueColourFile(width_, height_, ColourCopy(), kColourCopyStride)) !=
        EngineResult::kDone) {
        if (messages_) messages_->ShowMessage("KKK2", "KKK");
        return EngineResult::kFailed;
    }
    return EngineResult::kDone;
}

}  // namespace zelmar
