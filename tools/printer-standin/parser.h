// The printer's reading of a job: bytes in, commands out. The parser is fed
// the job in pieces of any size and keeps what it has of an unfinished
// command, so a command split across reads arrives whole.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/bytes.h"

namespace standin {

using zelmar::Bytes;

enum class Op {
    kText,                // printable bytes (0x20 and above) in `data`
    kNul,                 // NUL bytes in `data`, which the printer skips
    kError,               // bytes not understood, or a command cut short: `detail` says which
    kLineFeed,            // LF
    kCarriageReturn,      // CR
    kInitialise,          // ESC @
    kDefaultLineSpacing,  // ESC 2
    kLineSpacing,         // ESC 3 n
    kFeed,                // ESC J n: n dots
    kFeedLines,           // ESC d n
    kPosition,            // ESC $ nL nH: n = dots from the left edge
    kJustify,             // ESC a n
    kSetting,             // a setting the stand-in notes and does not act on
    kPrintMode,           // ESC ! n: bit 0 font B, bit 4 double height, bit 5 double width
    kFont,                // ESC M n
    kModuleWidth,         // GS w n: of barcodes
    kBarcodeHeight,       // GS h n
    kCut,                 // ESC i, ESC m, GS V m [n]
    kBandMode,            // ESC o n
    kBandSelect,          // ESC X * n
    kBitImage,            // ESC * m nL nH, then column data
    kStatusQuery,         // GS I n
    kRaster,              // GS v 0 m xL xH yL yH, then raster rows
    kBarcode,             // GS k m, then its data
    kRoleImage,           // 1D 5B 5D with a role, size bytes, then NV data
    kOptions,             // 1D 5B 5D 40 4F t b w m
    kErase,               // FS e
    kPrintNvImage,        // FS p n m
    kDefine,              // FS q n: n images follow
    kDefinedImage,        // one image of FS q: xL xH yL yH, then NV data
};

// Decoded arguments. Sizes are in dots.
enum class Key {
    kN,        // the command's n (for ESC $ and ESC *: nL + 256 nH)
    kM,        // the command's m (a mode)
    kWidth,    // of an image
    kHeight,   // of an image
    kRole,     // kRoleImage: a Role
    kMargin,   // kRoleImage of the Margin Message: its m byte, -1 when left out
    kCount,    // kDefine: images that follow
    kIndex,    // kDefinedImage: its number, from 1
    kTopLogo,  // kOptions: the four switches
    kBottomLogo,
    kWaterMark,
    kMarginMessage,
    kReceived,  // kError of a command cut short: data bytes that came
    kNeeded,    // ... and data bytes it announced
};

const char* KeyName(Key key);

// The roles of NV images stored by the printer's own header command.
enum class Role { kTopLogo, kBottomLogo, kWaterMark, kMarginMessage };

struct Argument {
    Key key;
    int value;
};

struct Command {
    Op op = Op::kError;
    const char* mnemonic = "";  // "ESC @", "GS v 0", ...; empty for text and NUL runs
    std::uint64_t offset = 0;   // of the first byte, from the start of the job
    Bytes head;                 // the command bytes with their arguments, without data
    std::vector<Argument> args;
    Bytes data;          // image or barcode data, text, or the bytes not understood
    std::string detail;  // kError: what is wrong, as a short fixed phrase

    // The argument's value; 0 when the command has none.
    int Get(Key key) const;
};

// Limits of the sizes the printer accepts. They are checked before anything
// is allocated for the data that a size announces.
constexpr int kMaxNvBytesAcross = 1023;  // NV images: x of xL xH
constexpr int kMaxNvUnitsDown = 288;     // NV images: y of yL yH, units of 8 dots
constexpr int kMaxRasterBytesAcross = 1023;
constexpr int kMaxRasterRows = 4095;
constexpr int kMaxBitImageColumns = 8 * kMaxNvBytesAcross;
constexpr int kMaxBarcodeData = 255;
// Text, NUL and unknown bytes come in runs of at most this many per command.
constexpr std::size_t kMaxRun = 256;

class CommandSink {
  public:
    virtual ~CommandSink() = default;
    virtual void Accept(Command&& command) = 0;
};

class Parser {
  public:
    explicit Parser(CommandSink& sink) : sink_(sink) {}

    void Feed(const std::uint8_t* data, std::size_t size);
    void Feed(const Bytes& bytes) { Feed(bytes.data(), bytes.size()); }
    // The job has ended: a command not yet complete is reported as cut short.
    // The parser is then ready for the next job.
    void Finish();
    // Bytes taken so far.
    std::uint64_t Offset() const { return offset_; }

  private:
    enum class Step { kMore, kDone, kBad };
    enum class Run { kNone, kText, kNul, kUnknown };

    void TakeHeadByte(std::uint8_t byte);
    std::size_t TakeData(const std::uint8_t* data, std::size_t size);
    void TakeRunByte(Run kind, std::uint8_t byte);
    void FlushRun();

    Step Recognise();
    Step RecogniseEsc();
    Step RecogniseGs();
    Step RecogniseFs();
    Step RecognisePrinterOwn();
    Step RecogniseRoleImage(Role role, std::size_t sizeAt, int margin);
    Step RecogniseDefinedImage();
    Step RecogniseBarcode();
    Step RecogniseCut();
    Step RecogniseSimple();
    Step Done(Op op, const char* mnemonic, std::vector<Argument> args, std::size_t dataSize = 0);
    Step Bad(const char* mnemonic, const char* detail, std::vector<Argument> args = {});
    bool Need(std::size_t size) const { return head_.size() >= size; }
    int U16(std::size_t at) const { return head_[at] | head_[at + 1] << 8; }

    void Emit();
    void CutShort();

    CommandSink& sink_;
    std::uint64_t offset_ = 0;
    Bytes head_;
    std::uint64_t headOffset_ = 0;
    Command current_;
    std::size_t dataLeft_ = 0;  // data bytes still to come for current_
    bool toNul_ = false;        // current_'s data ends at a NUL (GS k m with m up to 6)
    bool inData_ = false;
    int definitionLeft_ = 0;  // images of FS q still to come
    int definitionCount_ = 0;
    Run run_ = Run::kNone;
    Bytes runBytes_;
    std::uint64_t runOffset_ = 0;
};

}  // namespace standin
