#include "bmp_reader.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace zelmar {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;  // OS/2: 16-bit sizes, no compression
// Wider or taller files are refused before any size arithmetic; no BMP a
// logo program meets comes near.
constexpr std::int64_t kMaxSide = 1 << 16;

bool KnownInfoHeaderSize(std::uint32_t size) {
    // BITMAPCOREHEADER, BITMAPINFOHEADER, its two bit-field extensions, V4 and V5.
    return size == kCoreHeaderSize || size == 40 || size == 52 || size == 56 || size == 108 ||
           size == 124;
}

// The fields of the info header that every version has.
struct InfoFields {
    std::int64_t width = 0;
    std::int64_t height = 0;  // negative for a top-down file
    std::uint16_t planes = 0;
    std::uint16_t depth = 0;
    std::uint32_t compression = kBiRgb;
    std::uint32_t coloursUsed = 0;
};

InfoFields ReadInfoFields(const Bytes& head, std::uint32_t infoSize) {
    InfoFields f;
    if (infoSize == kCoreHeaderSize) {
        f.width = GetU16(&head[18]);
        f.height = GetU16(&head[20]);
        f.planes = GetU16(&head[22]);
        f.depth = GetU16(&head[24]);
        return f;
    }
    f.width = GetI32(&head[18]);
    f.height = GetI32(&head[22]);
    f.planes = GetU16(&head[26]);
    f.depth = GetU16(&head[28]);
    f.compression = GetU32(&head[30]);
    f.coloursUsed = GetU32(&head[46]);
    return f;
}

bool KnownDepth(std::uint16_t depth, std::uint32_t infoSize) {
    switch (depth) {
        case 1:
        case 4:
        case 8:
        case 24:
            return true;
        case 16:
        case 32:
            return infoSize != kCoreHeaderSize;
        default:
            return false;
    }
}

bool MakeField(std::uint32_t mask, int depth, BitField& out) {
    out = BitField{};
    if (mask == 0) return true;  // a channel the file does not carry reads as 0
    if (depth < 32 && (mask >> depth) != 0) return false;
    int shift = 0;
    while (((mask >> shift) & 1u) == 0)
        ++shift;
    std::uint32_t bits = mask >> shift;
    if ((bits & (bits + 1)) != 0) return false;  // not contiguous
    out.mask = mask;
    out.shift = shift;
    out.bits = 0;
    for (; bits != 0; bits >>= 1)
        ++out.bits;
    return true;
}

// The alpha mask of a 32-bit picture: after the colour masks with the
// alpha-bitfields compression, in the header's own field from 56 bytes on.
std::uint32_t AlphaMask(const Bytes& head, const BmpHeader& h, std::uint32_t infoSize) {
    if (h.depth != 32) return 0;
    const std::size_t at = kFileHeaderSize + 52;
    if (h.compression == kBiAlphaBitfields || infoSize >= 56) return GetU32(&head[at]);
    return 0;
}

BmpError ReadMasks(const Bytes& head, std::uint32_t infoSize, BmpHeader& h) {
    std::uint32_t r = 0x7C00, g = 0x03E0, b = 0x001F;  // 16-bit BI_RGB: 5-5-5
    if (h.depth == 32) r = 0xFF0000, g = 0x00FF00, b = 0x0000FF;
    const bool alphaFields = h.compression == kBiAlphaBitfields;
    if (h.compression == kBiBitfields || alphaFields) {
        // Inside the header from 52 bytes on; after a 40-byte header otherwise.
        std::size_t at = kFileHeaderSize + 40;
        if (head.size() < at + (alphaFields ? 16 : 12)) return BmpError::kTruncatedHeader;
        r = GetU32(&head[at]);
        g = GetU32(&head[at + 4]);
        b = GetU32(&head[at + 8]);
        if ((r & g) | (r & b) | (g & b)) return BmpError::kBadMasks;
        if ((r | g | b) == 0) return BmpError::kBadMasks;
    }
    const std::uint32_t a = AlphaMask(head, h, infoSize);
    if ((a & (r | g | b)) != 0) return BmpError::kBadMasks;
    if (!MakeField(r, h.depth, h.red) || !MakeField(g, h.depth, h.green) ||
        !MakeField(b, h.depth, h.blue) || !MakeField(a, h.depth, h.alpha)) {
        return BmpError::kBadMasks;
    }
    return BmpError::kNone;
}

bool KnownCompression(const BmpHeader& h) {
    switch (h.compression) {
        case kBiRgb:
            return true;
        case kBiBitfields:
            return h.depth == 16 || h.depth == 32;
        case kBiAlphaBitfields:
            return h.depth == 32;
        default:
            return RunLengthEncoded(h);
    }
}

// Expands run-length data into the zeroed stored rows, as the platform's own
// loader reads it; every code is checked against the picture and the file.
class RunLengthDecoder {
  public:
    RunLengthDecoder(const Bytes& file, const BmpHeader& h, Bytes& rows)
        : file_(file), h_(h), rows_(rows), at_(h.dataOffset) {}

    BmpError Run(StreamPlace* place) {
        for (;;) {
            const std::size_t code = at_;
            BmpError e = BmpError::kNone;
            if (!Take(2)) {
                e = BmpError::kRunPastFile;
            } else if (file_[code] > 0) {
                e = Repeat(file_[code], file_[code + 1]);
            } else if (file_[code + 1] == 1) {
                return BmpError::kNone;  // end of the picture
            } else {
                e = Escape(file_[code + 1]);
            }
            if (e != BmpError::kNone) {
                if (place) *place = {static_cast<std::uint32_t>(code), y_, x_};
                return e;
            }
        }
    }

  private:
    // Moves past `n` bytes of the file, if it has them.
    bool Take(std::size_t n) {
        if (at_ > file_.size() || file_.size() - at_ < n) return false;
        at_ += n;
        return true;
    }

    BmpError Room(unsigned pixels) const {
        if (y_ >= h_.height) return BmpError::kRunPastPicture;
        if (pixels > static_cast<unsigned>(h_.width - x_)) return BmpError::kRunPastRow;
        return BmpError::kNone;
    }

    void Put(unsigned index) {
        std::uint8_t* row = &rows_[static_cast<std::size_t>(y_) * h_.stride];
        if (h_.depth == 8) {
            row[x_] = static_cast<std::uint8_t>(index);
        } else {
            const int shift = x_ % 2 == 0 ? 4 : 0;
            std::uint8_t& byte = row[x_ / 2];
            byte = static_cast<std::uint8_t>((byte & ~(0x0Fu << shift)) | (index & 0x0Fu) << shift);
        }
        ++x_;
    }

    // The i-th pixel of a byte: itself at 8 bits, its high then low nibble at 4.
    unsigned PixelOf(std::uint8_t byte, unsigned i) const {
        if (h_.depth == 8) return byte;
        return i % 2 == 0 ? byte >> 4 : byte & 0x0Fu;
    }

    BmpError Repeat(unsigned count, std::uint8_t value) {
        if (BmpError e = Room(count); e != BmpError::kNone) return e;
        for (unsigned i = 0; i < count; ++i)
            Put(PixelOf(value, i));
        return BmpError::kNone;
    }

    BmpError Escape(unsigned code) {
        switch (code) {
            case 0:  // end of the row
                if (y_ >= h_.height) return BmpError::kRunPastPicture;
                ++y_;
                x_ = 0;
                return BmpError::kNone;
            case 2:
                return Delta();
            default:
                return Literal(code);
        }
    }

    // Skips right and up; the pixels passed over keep colour 0.
    BmpError Delta() {
        if (!Take(2)) return BmpError::kRunPastFile;
        const unsigned right = file_[at_ - 2], up = file_[at_ - 1];
        if (right > static_cast<unsigned>(h_.width - x_)) return BmpError::kRunPastRow;
        if (up > static_cast<unsigned>(h_.height - y_)) return BmpError::kRunPastPicture;
        x_ += static_cast<std::int32_t>(right);
        y_ += static_cast<std::int32_t>(up);
        return BmpError::kNone;
    }

    // `count` pixels stored as they are, padded to a whole 16-bit word.
    BmpError Literal(unsigned count) {
        if (BmpError e = Room(count); e != BmpError::kNone) return e;
        const std::size_t bytes = h_.depth == 8 ? count : (count + 1) / 2;
        const std::size_t start = at_;
        if (!Take((bytes + 1) & ~std::size_t{1})) return BmpError::kRunPastFile;
        for (unsigned i = 0; i < count; ++i)
            Put(PixelOf(file_[start + (h_.depth == 8 ? i : i / 2)], i));
        return BmpError::kNone;
    }

    const Bytes& file_;
    const BmpHeader& h_;
    Bytes& rows_;
    std::size_t at_;
    std::int32_t x_ = 0, y_ = 0;  // y_ is the stored row, the bottom one first
};

void CopyRows(const Bytes& file, const BmpHeader& h, Bytes& rows) {
    const std::size_t stride = h.stride;
    const std::size_t count = static_cast<std::size_t>(h.height);
    const std::uint8_t* data = &file[h.dataOffset];
    for (std::size_t r = 0; r < count; ++r) {
        // Keep the bottom row first whatever order the file uses.
        const std::size_t from = h.topDown ? count - 1 - r : r;
        std::memcpy(&rows[r * stride], data + from * stride, stride);
    }
}

// Lays a 32-bit picture with alpha on white paper, as plain BGR pixels. Left as
// it is when the alpha is zero everywhere: many writers never set it.
void LayOnWhite(BmpSource& s) {
    BmpHeader& h = s.header;
    const std::size_t pixels = static_cast<std::size_t>(h.width) * h.height;
    bool alphaSet = false;
    for (std::size_t i = 0; i < pixels && !alphaSet; ++i)
        alphaSet = (GetU32(&s.pixels[4 * i]) & h.alpha.mask) != 0;
    if (alphaSet) {
        for (std::size_t i = 0; i < pixels; ++i) {
            std::uint8_t* p = &s.pixels[4 * i];
            const std::uint32_t v = GetU32(p);
            const unsigned a = h.alpha.Extract(v);
            p[0] = OnWhite(h.blue.Extract(v), a);
            p[1] = OnWhite(h.green.Extract(v), a);
            p[2] = OnWhite(h.red.Extract(v), a);
            p[3] = 0;
        }
        h.compression = kBiRgb;
        MakeField(0xFF0000, 32, h.red);
        MakeField(0x00FF00, 32, h.green);
        MakeField(0x0000FF, 32, h.blue);
    }
    h.alpha = BitField{};
}

static_assert(kMaxDataOffset == 64 * 1024, "the message below names the limit");

}  // namespace

const char* Describe(BmpError error) {
    switch (error) {
        case BmpError::kNone:
            return "no error";
        case BmpError::kNotBmp:
            return "not a BMP file";
        case BmpError::kTruncatedHeader:
            return "the BMP header is cut short";
        case BmpError::kUnsupportedHeader:
            return "unknown BMP header size";
        case BmpError::kBadDimensions:
            return "the picture has no pixels or absurd dimensions";
        case BmpError::kUnsupportedDepth:
            return "unsupported bits per pixel or planes";
        case BmpError::kUnsupportedCompression:
            return "unsupported compression";
        case BmpError::kTopDownRunLength:
            return "run-length encoded pictures must be stored bottom row first";
        case BmpError::kBadMasks:
            return "invalid colour bit fields";
        case BmpError::kTruncatedPalette:
            return "the colour table is cut short";
        case BmpError::kBadDataOffset:
            return "the pixel data offset points into the headers or beyond the first 64 KiB";
        case BmpError::kTruncatedPixels:
            return "the file is shorter than its pixel rows";
        case BmpError::kRunPastRow:
            return "the run-length data goes past the end of a row";
        case BmpError::kRunPastPicture:
            return "the run-length data goes past the top of the picture";
        case BmpError::kRunPastFile:
            return "the run-length data ends before its end-of-picture code";
    }
    return "unknown error";
}

std::string Describe(BmpError error, const StreamPlace& place) {
    std::string text = Describe(error);
    if (error == BmpError::kRunPastRow || error == BmpError::kRunPastPicture ||
        error == BmpError::kRunPastFile) {
        text += " (the code at byte " + std::to_string(place.offset) + ", row " +
                std::to_string(place.row) + " from the bottom, column " +
                std::to_string(place.column) + ")";
    }
    return text;
}

bool RunLengthEncoded(const BmpHeader& h) {
    return (h.compression == kBiRle8 && h.depth == 8) || (h.compression == kBiRle4 && h.depth == 4);
}

std::uint8_t BitField::Extract(std::uint32_t pixel) const {
    if (bits == 0) return 0;
    std::uint64_t v = (pixel & mask) >> shift;
    std::uint64_t top = (std::uint64_t{1} << bits) - 1;
    return static_cast<std::uint8_t>((v * 255 + top / 2) / top);
}

BmpError ParseBmpHeader(const Bytes& head, std::uint64_t fileSize, BmpHeader& h) {
    h = BmpHeader{};
    if (head.size() < kFileHeaderSize || head[0] != 'B' || head[1] != 'M') {
        return BmpError::kNotBmp;
    }
    if (head.size() < kFileHeaderSize + 4) return BmpError::kTruncatedHeader;
    const std::uint32_t infoSize = GetU32(&head[14]);
    if (!KnownInfoHeaderSize(infoSize)) return BmpError::kUnsupportedHeader;
    if (head.size() < kFileHeaderSize + infoSize) return BmpError::kTruncatedHeader;

    const InfoFields f = ReadInfoFields(head, infoSize);
    h.planes = f.planes;
    h.depth = f.depth;
    h.compression = f.compression;
    h.dataOffset = GetU32(&head[10]);

    const std::int64_t height = f.height < 0 ? -f.height : f.height;
    if (f.width <= 0 || height == 0 || f.width > kMaxSide || height > kMaxSide) {
        return BmpError::kBadDimensions;
    }
    h.width = static_cast<std::int32_t>(f.width);
    h.height = static_cast<std::int32_t>(height);
    h.topDown = f.height < 0;
    if (!KnownDepth(h.depth, infoSize) || h.planes != 1) return BmpError::kUnsupportedDepth;

    if (!KnownCompression(h)) return BmpError::kUnsupportedCompression;
    if (RunLengthEncoded(h) && h.topDown) return BmpError::kTopDownRunLength;
    if (h.depth == 16 || h.depth == 32) {
        if (BmpError e = ReadMasks(head, infoSize, h); e != BmpError::kNone) return e;
    }

    if (h.depth <= 8) {
        const std::uint32_t full = 1u << h.depth;
        h.paletteCount = (f.coloursUsed >= 1 && f.coloursUsed <= full) ? f.coloursUsed : full;
        h.paletteOffset = static_cast<std::uint32_t>(kFileHeaderSize) + infoSize;
        h.paletteEntrySize = infoSize == kCoreHeaderSize ? 3 : 4;
        if (head.size() < std::uint64_t{h.paletteOffset} + h.paletteEntrySize * h.paletteCount) {
            return BmpError::kTruncatedPalette;
        }
    }

    h.stride = static_cast<std::uint32_t>((f.width * h.depth + 31) / 32 * 4);
    if (h.dataOffset < kFileHeaderSize + infoSize || h.dataOffset > kMaxDataOffset) {
        return BmpError::kBadDataOffset;
    }
    // Run-length data has no size of its own: its decoder checks each code.
    const std::uint64_t needed = std::uint64_t{h.dataOffset} + std::uint64_t{h.stride} * height;
    if (!RunLengthEncoded(h) && needed > fileSize) return BmpError::kTruncatedPixels;
    return BmpError::kNone;
}

BmpError DecodeBmp(const Bytes& file, BmpSource& out, StreamPlace* place) {
    out = BmpSource{};
    if (BmpError e = ParseBmpHeader(file, file.size(), out.header); e != BmpError::kNone) {
        return e;
    }
    BmpHeader& h = out.header;
    out.palette.resize(h.paletteCount);
    for (std::uint32_t i = 0; i < h.paletteCount; ++i) {
        const std::uint8_t* p = &file[h.paletteOffset + h.paletteEntrySize * i];
        out.palette[i] = Bgr{p[0], p[1], p[2]};
    }

    out.pixels.assign(std::size_t{h.stride} * static_cast<std::size_t>(h.height) + kPixelSlack, 0);
    if (RunLengthEncoded(h)) {
        if (BmpError e = RunLengthDecoder(file, h, out.pixels).Run(place); e != BmpError::kNone) {
            out = BmpSource{};
            return e;
        }
        h.compression = kBiRgb;
    } else {
        CopyRows(file, h, out.pixels);
    }
    if (h.alpha.bits != 0) LayOnWhite(out);
    return BmpError::kNone;
}

Bgr LeadingColour(const BmpSource& source) {
    if (!source.palette.empty()) return source.palette.front();
    const BmpHeader& h = source.header;
    const std::uint8_t* p = source.pixels.data();
    if (h.depth == 24) return Bgr{p[0], p[1], p[2]};
    const std::uint32_t v = h.depth == 16 ? GetU16(p) : GetU32(p);
    return Bgr{h.blue.Extract(v), h.green.Extract(v), h.red.Extract(v)};
}

}  // namespace zelmar
