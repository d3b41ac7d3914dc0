// CLogoBitmap: the image record of one logo, from the BMP source to the dots
// that are turned and packed for the printer.
//
// Operations answer with an EngineResult: writers kDone, kFailed (a file could
// not be written) or kNothingLoaded; conversions kDone, or kFailed when nothing
// is loaded.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "bmp_reader.h"
#include "bytes.h"
#include "files.h"
#include "message_sink.h"

namespace zelmar {

// Raster geometry fixed by the record.
constexpr int kRasterRows = 650;
constexpr int kRasterStride = 620;
constexpr int kMaxSourceWidth = 616;   // largest multiple of 8 in a raster row
constexpr int kMaxSourceHeight = 648;  // largest multiple of 8 below 650 rows
constexpr std::size_t kStreamBufferSize = 0x30000;

// The turned raster and the colour copy are single and shared by every record
// of the process; only one image is prepared at a time.
constexpr int kTurnedStride = 700;
constexpr int kTurnedRows = 648;
constexpr int kColourCopyStride = 2100;
constexpr int kColourCopyRows = 700;

std::uint8_t* TurnedRaster();
std::uint8_t* ColourCopy();
// The colour copy is cleared for every new record: only the rows and bytes
// written since it was last cleared need it, and each writer notes them.
void NoteColourCopyUse(int32_t rows, int32_t bytes);
void ClearColourCopy();

// Why a source cannot be used: the file cannot be read (its reason in
// `file`), the reader refuses it (its reason in `bmp`, and where in `place`
// for run-length data), or it does not fit the rasters.
struct SourceError {
    enum class Kind { kNone, kFile, kUnreadable, kTooLarge };
    Kind kind = Kind::kNone;
    files::FileError file;
    BmpError bmp = BmpError::kNone;
    StreamPlace place;

    static SourceError File(files::FileError e) {
        return e ? SourceError{Kind::kFile, e, BmpError::kNone, {}} : SourceError{};
    }
    static SourceError Unreadable(BmpError e, StreamPlace place = {}) {
        return e == BmpError::kNone ? SourceError{} : SourceError{Kind::kUnreadable, {}, e, place};
    }
    static SourceError TooLarge() { return {Kind::kTooLarge, {}, BmpError::kNone, {}}; }
    explicit operator bool() const { return kind != Kind::kNone; }
    bool operator==(const SourceError& o) const {
        return kind == o.kind && file == o.file && bmp == o.bmp && place.offset == o.place.offset &&
               place.row == o.place.row && place.column == o.place.column;
    }
};

// A short English description for messages.
std::string Describe(const SourceError& error);

// A file that could not be used, for messages: a source (`source` says why),
// an output or working file that cannot be written (`output` says why), or an
// output that names a file it must not replace (`clash`).
struct FileFault {
    std::string path;
    SourceError source;
    files::FileError output;
    std::string clash;

    explicit operator bool() const { return source || output || !clash.empty(); }
};

// "<path>: <why>".
std::string Describe(const FileFault& fault);

// What an operation of the record did; the numbers are those its callers have
// always been told.
enum class EngineResult { kFailed = 0, kDone = 1, kNothingLoaded = 255 };

// The colour file of the colour step: each a 24-bit copy of the source's
// colours, only the name differs.
enum class ColourFile { kNone, kBlue, kGreen, kRed };

constexpr std::uint8_t kDot = 0;
constexpr std::uint8_t kWhite = 255;

class CLogoBitmap {
  public:
    // Messages of the colour-file writer go to `messages` (may be null).
    explicit CLogoBitmap(MessageSink* messages = nullptr);

    // True for a grey or colour source (depth 4, 8, 16, 24 or 32), false for a
    // 1-bit source or a file that is not a BMP. Resets the stream length.
    bool IsToneSource(const std::string& path);
    // True when the file loads and its colour 0 (a palette file) or first
    // stored pixel (any other, as loaded: a transparent one laid on white) is
    // white. Resets the stream length.
    bool IsWhiteFirst(const std::string& path);
    // kDone when the file is loaded; kFailed (and nothing loaded) for a file
    // that is not a readable BMP or does not fit the rasters.
    EngineResult LoadSource(const std::string& path);
    // Why the last LoadSource, or a writer since, failed.
    const FileFault& Fault() const { return fault_; }

    EngineResult WriteDotBitmap();

    EngineResult ToneNone(int16_t brightness);
    EngineResult ToneDiffuse(int16_t brightness);
    // A 1-bit source's own dots: a dot where its colour is dark.
    EngineResult ToneTwoColour();
    EngineResult ApplyWaterMarkScreen();

    EngineResult TurnAndWrite(int16_t rotation);
    // Fills the colour copy and writes `colour` (nothing for kNone): kFailed
    // when that file cannot be written.
    EngineResult CopyColourPlanes(ColourFile colour);
    // kFailed for kNone, which names no file.
    EngineResult WriteColourFile(ColourFile colour);
    EngineResult CopyTwoColour(const std::string& path);

    // Packs the turned raster into NV data (columns of bytes, top dot in the
    // high bit), sized by the turned file at `path`. kFailed when that file
    // does not load or does not fit the turned raster.
    EngineResult PackTurned(const std::string& path);
    // Packs the loaded source, read as a 1-bit picture, into band data: one
    // byte per column for every 8 rows. kFailed when nothing is loaded.
    EngineResult PackBands();

    bool Loaded() const { return source_ != nullptr; }
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    int32_t Stride() const { return stride_; }
    uint16_t Planes() const { return planes_; }
    uint16_t Depth() const { return depth_; }
    int32_t PaddedWidth() const { return paddedWidth_; }
    int32_t PaddedHeight() const { return paddedHeight_; }
    int32_t TurnedWidth() const { return turnedWidth_; }
    int32_t TurnedHeight() const { return turnedHeight_; }
    int32_t StreamLength() const { return streamLength_; }
    int32_t TopPadding() const { return topPadding_; }
    // Padded width and height of the last packed picture.
    int32_t PackedWidth() const { return packedWidth_; }
    int32_t PackedHeight() const { return packedHeight_; }
    const uint8_t* StreamBuffer() const { return stream_.data(); }
    const uint8_t* GreyRaster() const { return grey_.data(); }
    const uint8_t* DotRaster() const { return dots_.data(); }

  private:
    // The rows and columns of a raster, from its first, that may hold
    // anything but 0: outside them it is 0, so that a clear of the whole
    // raster needs to clear no more than them.
    struct Extent {
        int32_t rows = 0;
        int32_t columns = 0;
    };
    // Clears what `used` covers outside `kept`; `kept` is then what is used.
    static void ClearOutside(Bytes& raster, Extent& used, Extent kept);

    // The first byte of the source pixel at column x of a stored row.
    const uint8_t* PixelAt(int32_t x, int32_t storedRow) const {
        return pixels_ + static_cast<std::size_t>(storedRow) * stride_ +
               static_cast<std::size_t>(depth_) * x / 8;
    }
    // The grey raster: the picture's grey levels, 0 everywhere else.
    void FillGrey(int offset);
    void Release();
    // Writes a whole working file: kDone, or kFailed with the fault recorded.
    EngineResult WriteWorkingFile(std::string_view name, const Bytes& file);
    EngineResult WriteFailed(const std::string& path, files::FileError error);

    MessageSink* messages_;
    Bytes stream_;
    Bytes grey_;
    Bytes dots_;
    Extent greyUsed_;
    Extent dotsUsed_;
    int32_t width_ = 0;
    int32_t height_ = 0;
    int32_t stride_ = 0;
    uint16_t planes_ = 0;
    uint16_t depth_ = 0;
    const uint8_t* pixels_ = nullptr;
    std::unique_ptr<BmpSource> source_;  // the loaded bitmap; null while empty
    int32_t streamLength_ = 0;
    int32_t paddedHeight_ = 0;
    int32_t paddedWidth_ = 0;
    int32_t topPadding_ = 0;
    int32_t packedWidth_ = 0;
    int32_t packedHeight_ = 0;
    int32_t turnedWidth_ = 0;  // of the last turn, for the WaterMark screen
    int32_t turnedHeight_ = 0;
    FileFault fault_;
};

// Pictures are sent in whole bytes of 8 dots: sizes round up to a multiple of 8.
inline int32_t PaddedTo8(int32_t v) {
    return (v + 7) / 8 * 8;
}

// Reads and checks a BMP file's headers (any size, no raster limit).
SourceError ReadBmpInfo(const std::string& path, BmpHeader& header);
// Whether a picture of these headers fits the rasters.
SourceError FitsTheRasters(const BmpHeader& header);
// LoadSource's verdict on a file: its headers, and the run-length data of an
// encoded one.
SourceError CheckSource(const std::string& path);

// The weights of the channels in a grey level.
constexpr double kGreenWeight = 0.587;
constexpr double kRedWeight = 0.299;
constexpr double kBlueWeight = 0.114;

// The grey level of three weighed channels: summed in this order, truncated.
inline int SumToGrey(double green, double red, double blue) {
    return static_cast<int>((green + red) + blue);
}

// The grey level of a colour, as the printer's tone methods see it.
inline int GreyLevel(int b, int g, int r) {
    return SumToGrey(g * kGreenWeight, r * kRedWeight, b * kBlueWeight);
}

// The brightness offset of the diffusion method: darker above 5, lighter below.
int BrightnessOffset(int16_t brightness);

}  // namespace zelmar
