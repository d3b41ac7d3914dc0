#include "parser.h"

#include <algorithm>
#include <iterator>

namespace standin {

namespace {

// Commands of a fixed length: a lead byte, a code byte and up to two argument bytes.
struct FixedForm {
    std::uint8_t lead;
    std::uint8_t code;
    std::size_t size;
    Op op;
    const char* mnemonic;
    int argCount;
};

constexpr FixedForm kFixedForms[] = {
    {0x1B, 0x40, 2, Op::kInitialise, "ESC @", 0},
    {0x1B, 0x32, 2, Op::kDefaultLineSpacing, "ESC 2", 0},
    {0x1B, 0x33, 3, Op::kLineSpacing, "ESC 3", 1},
    {0x1B, 0x4A, 3, Op::kFeed, "ESC J", 1},
    {0x1B, 0x64, 3, Op::kFeedLines, "ESC d", 1},
    {0x1B, 0x61, 3, Op::kJustify, "ESC a", 1},
    {0x1B, 0x21, 3, Op::kPrintMode, "ESC !", 1},
    {0x1B, 0x45, 3, Op::kSetting, "ESC E", 1},
    {0x1B, 0x2D, 3, Op::kSetting, "ESC -", 1},
    {0x1B, 0x4D, 3, Op::kFont, "ESC M", 1},
    {0x1B, 0x50, 3, Op::kSetting, "ESC P", 1},
    {0x1B, 0x52, 3, Op::kSetting, "ESC R", 1},
    {0x1B, 0x74, 3, Op::kSetting, "ESC t", 1},
    {0x1B, 0x3D, 3, Op::kSetting, "ESC =", 1},
    {0x1B, 0x63, 4, Op::kSetting, "ESC c", 2},
    {0x1B, 0x69, 2, Op::kCut, "ESC i", 0},
    {0x1B, 0x6D, 2, Op::kCut, "ESC m", 0},
    {0x1B, 0x6F, 3, Op::kBandMode, "ESC o", 1},
    {0x1D, 0x49, 3, Op::kStatusQuery, "GS I", 1},
    {0x1D, 0x50, 4, Op::kSetting, "GS P", 2},
    {0x1D, 0x62, 3, Op::kSetting, "GS b", 1},
    {0x1D, 0x21, 3, Op::kSetting, "GS !", 1},
    {0x1D, 0x77, 3, Op::kModuleWidth, "GS w", 1},
    {0x1D, 0x68, 3, Op::kBarcodeHeight, "GS h", 1},
    {0x1D, 0x48, 3, Op::kSetting, "GS H", 1},
    {0x1D, 0x66, 3, Op::kSetting, "GS f", 1},
    {0x1C, 0x65, 2, Op::kErase, "FS e", 0},
    {0x1C, 0x70, 4, Op::kPrintNvImage, "FS p", 2},
};

constexpr const char* kRoleMnemonics[] = {"GS [ ] T", "GS [ ] B", "GS [ ] W", "GS [ ] M"};

bool StartsCommand(std::uint8_t byte) {
    return byte == 0x0A || byte == 0x0D || byte == 0x1B || byte == 0x1C || byte == 0x1D;
}

bool NvSizeOk(int x, int y) {
    return x >= 1 && x <= kMaxNvBytesAcross && y >= 1 && y <= kMaxNvUnitsDown;
}

}  // namespace

const char* KeyName(Key key) {
    switch (key) {
        case Key::kN:
            return "n";
        case Key::kM:
            return "m";
        case Key::kWidth:
            return "width";
        case Key::kHeight:
            return "height";
        case Key::kRole:
            return "role";
        case Key::kMargin:
            return "margin";
        case Key::kCount:
            return "count";
        case Key::kIndex:
            return "index";
        case Key::kTopLogo:
            return "top_logo";
        case Key::kBottomLogo:
            return "bottom_logo";
        case Key::kWaterMark:
            return "watermark";
        case Key::kMarginMessage:
            return "margin_message";
        case Key::kReceived:
            return "received";
        case Key::kNeeded:
            return "needed";
    }
    return "?";
}

int Command::Get(Key key) const {
    for (const Argument& a : args) {
        if (a.key == key) return a.value;
    }
    return 0;
}

void Parser::Feed(const std::uint8_t* data, std::size_t size) {
    std::size_t i = 0;
    while (i < size) {
        if (inData_) {
            i += TakeData(data + i, size - i);
            continue;
        }
        const std::uint8_t byte = data[i++];
        if (head_.empty() && definitionLeft_ == 0 && !StartsCommand(byte)) {
            TakeRunByte(byte >= 0x20 ? Run::kText : byte == 0 ? Run::kNul : Run::kUnknown, byte);
        } else {
            TakeHeadByte(byte);
        }
    }
}

void Parser::Finish() {
    CutShort();
    FlushRun();
    head_.clear();
    current_ = Command{};
    inData_ = toNul_ = false;
    dataLeft_ = 0;
    definitionLeft_ = definitionCount_ = 0;
    offset_ = 0;
}

void Parser::CutShort() {
    if (inData_) {
        const auto received = static_cast<int>(current_.data.size());
        current_.op = Op::kError;
        current_.detail = "truncated";
        current_.args.push_back({Key::kReceived, received});
        if (!toNul_)
            current_.args.push_back({Key::kNeeded, received + static_cast<int>(dataLeft_)});
        Emit();
    } else if (!head_.empty()) {
        current_ = Command{};
        current_.detail = "truncated";
        current_.offset = headOffset_;
        current_.head = head_;
        Emit();
    } else if (definitionLeft_ > 0) {
        current_ = Command{};
        current_.mnemonic = "FS q";
        current_.detail = "truncated";
        current_.offset = offset_;
        current_.args = {{Key::kIndex, definitionCount_ - definitionLeft_ + 1},
                         {Key::kCount, definitionCount_}};
        Emit();
    }
}

void Parser::TakeRunByte(Run kind, std::uint8_t byte) {
    if (run_ != kind || runBytes_.size() >= kMaxRun) {
        FlushRun();
        run_ = kind;
        runOffset_ = offset_;
    }
    runBytes_.push_back(byte);
    ++offset_;
}

void Parser::FlushRun() {
    if (run_ == Run::kNone) return;
    Command run;
    run.op = run_ == Run::kText ? Op::kText : run_ == Run::kNul ? Op::kNul : Op::kError;
    if (run_ == Run::kUnknown) run.detail = "unknown bytes";
    run.offset = runOffset_;
    run.data = runBytes_;  // a copy: the run keeps its room for the next one
    runBytes_.clear();
    run_ = Run::kNone;
    sink_.Accept(std::move(run));
}

void Parser::TakeHeadByte(std::uint8_t byte) {
    if (head_.empty()) {
        FlushRun();
        headOffset_ = offset_;
    }
    ++offset_;
    head_.push_back(byte);
    const Step step = Recognise();
    if (step == Step::kMore) return;
    current_.offset = headOffset_;
    current_.head = head_;  // a copy: the head keeps its room for the next command
    head_.clear();
    if (step == Step::kDone && (dataLeft_ > 0 || toNul_)) {
        current_.data.reserve(dataLeft_);
        inData_ = true;
        return;
    }
    Emit();
}

std::size_t Parser::TakeData(const std::uint8_t* data, std::size_t size) {
    if (toNul_) {
        const auto toNul = static_cast<std::size_t>(std::find(data, data + size, 0) - data);
        const std::size_t take = std::min(toNul, kMaxBarcodeData + 1 - current_.data.size());
        current_.data.insert(current_.data.end(), data, data + take);
        offset_ += take;
        const bool overflow = current_.data.size() > kMaxBarcodeData;
        const bool ended = !overflow && take < size;  // data[take] is the NUL
        if (!overflow && !ended) return take;
        if (overflow) {
            current_.op = Op::kError;
            current_.detail = "unterminated";
        } else {
            ++offset_;
        }
        inData_ = toNul_ = false;
        Emit();
        return ended ? take + 1 : take;
    }
    const std::size_t take = std::min(size, dataLeft_);
    current_.data.insert(current_.data.end(), data, data + take);
    dataLeft_ -= take;
    offset_ += take;
    if (dataLeft_ == 0) {
        inData_ = false;
        Emit();
    }
    return take;
}

void Parser::Emit() {
    sink_.Accept(std::move(current_));
    current_ = Command{};
}

Parser::Step Parser::Done(Op op, const char* mnemonic, std::vector<Argument> args,
                          std::size_t dataSize) {
    current_.op = op;
    current_.mnemonic = mnemonic;
    current_.args = std::move(args);
    dataLeft_ = dataSize;
    return Step::kDone;
}

Parser::Step Parser::Bad(const char* mnemonic, const char* detail, std::vector<Argument> args) {
    current_.op = Op::kError;
    current_.mnemonic = mnemonic;
    current_.detail = detail;
    current_.args = std::move(args);
    return Step::kBad;
}

Parser::Step Parser::Recognise() {
    if (definitionLeft_ > 0) return RecogniseDefinedImage();
    switch (head_[0]) {
        case 0x0A:
            return Done(Op::kLineFeed, "LF", {});
        case 0x0D:
            return Done(Op::kCarriageReturn, "CR", {});
        case 0x1B:
            return RecogniseEsc();
        case 0x1C:
            return RecogniseFs();
        case 0x1D:
            return RecogniseGs();
        default:
            return Bad("", "unknown command");
    }
}

Parser::Step Parser::RecogniseSimple() {
    const auto form = std::find_if(
        std::begin(kFixedForms), std::end(kFixedForms),
        [this](const FixedForm& f) { return f.lead == head_[0] && f.code == head_[1]; });
    if (form == std::end(kFixedForms)) return Bad("", "unknown command");
    if (!Need(form->size)) return Step::kMore;
    std::vector<Argument> args;
    if (form->argCount > 0) args.push_back({Key::kN, head_[2]});
    if (form->argCount > 1) args.push_back({Key::kM, head_[3]});
    return Done(form->op, form->mnemonic, std::move(args));
}

Parser::Step Parser::RecogniseEsc() {
    if (!Need(2)) return Step::kMore;
    switch (head_[1]) {
        case 0x24:
            if (!Need(4)) return Step::kMore;
            return Done(Op::kPosition, "ESC $", {{Key::kN, U16(2)}});
        case 0x2A: {
            if (!Need(5)) return Step::kMore;
            const int m = head_[2];
            const int n = U16(3);
            if (m != 0 && m != 1 && m != 32 && m != 33) {
                return Bad("ESC *", "bad argument", {{Key::kM, m}});
            }
            if (n > kMaxBitImageColumns) return Bad("ESC *", "size out of range", {{Key::kN, n}});
            return Done(Op::kBitImage, "ESC *", {{Key::kM, m}, {Key::kN, n}},
                        static_cast<std::size_t>(n) * (m >= 32 ? 3 : 1));
        }
        case 0x58:
            if (!Need(3)) return Step::kMore;
            if (head_[2] != 0x2A) return Bad("ESC X", "unknown command");
            if (!Need(4)) return Step::kMore;
            return Done(Op::kBandSelect, "ESC X *", {{Key::kN, head_[3]}});
        default:
            return RecogniseSimple();
    }
}

Parser::Step Parser::RecogniseFs() {
    if (!Need(2)) return Step::kMore;
    if (head_[1] != 0x71) return RecogniseSimple();
    if (!Need(3)) return Step::kMore;
    const int count = head_[2];
    if (count == 0) return Bad("FS q", "bad argument", {{Key::kCount, 0}});
    definitionLeft_ = definitionCount_ = count;
    return Done(Op::kDefine, "FS q", {{Key::kCount, count}});
}

Parser::Step Parser::RecogniseDefinedImage() {
    if (!Need(4)) return Step::kMore;
    const int x = U16(0);
    const int y = U16(2);
    const int index = definitionCount_ - definitionLeft_ + 1;
    std::vector<Argument> args = {
        {Key::kIndex, index}, {Key::kWidth, 8 * x}, {Key::kHeight, 8 * y}};
    if (!NvSizeOk(x, y)) {
        definitionLeft_ = 0;  // the rest cannot be found: the definition ends here
        return Bad("FS q", "size out of range", std::move(args));
    }
    --definitionLeft_;
    return Done(Op::kDefinedImage, "FS q", std::move(args), 8 * static_cast<std::size_t>(x) * y);
}

Parser::Step Parser::RecogniseGs() {
    if (!Need(2)) return Step::kMore;
    switch (head_[1]) {
        case 0x56:
            return RecogniseCut();
        case 0x5B:
            return RecognisePrinterOwn();
        case 0x6B:
            return RecogniseBarcode();
        case 0x76: {
            if (!Need(3)) return Step::kMore;
            if (head_[2] != 0x30) return Bad("GS v", "unknown command");
            if (!Need(8)) return Step::kMore;
            const int m = head_[3];
            const int x = U16(4);
            const int rows = U16(6);
            std::vector<Argument> args = {{Key::kM, m}, {Key::kWidth, 8 * x}, {Key::kHeight, rows}};
            if (m % 48 > 3 || m > 51) return Bad("GS v 0", "bad argument", std::move(args));
            if (x < 1 || x > kMaxRasterBytesAcross || rows < 1 || rows > kMaxRasterRows) {
                return Bad("GS v 0", "size out of range", std::move(args));
            }
            return Done(Op::kRaster, "GS v 0", std::move(args), static_cast<std::size_t>(x) * rows);
        }
        default:
            return RecogniseSimple();
    }
}

Parser::Step Parser::RecogniseCut() {
    if (!Need(3)) return Step::kMore;
    const int m = head_[2];
    if (m == 0 || m == 1 || m == 48 || m == 49) return Done(Op::kCut, "GS V", {{Key::kM, m}});
    if (m != 65 && m != 66) return Bad("GS V", "bad argument", {{Key::kM, m}});
    if (!Need(4)) return Step::kMore;
    return Done(Op::kCut, "GS V", {{Key::kM, m}, {Key::kN, head_[3]}});
}

Parser::Step Parser::RecogniseBarcode() {
    if (!Need(3)) return Step::kMore;
    const int m = head_[2];
    if (m <= 6) {
        toNul_ = true;
        return Done(Op::kBarcode, "GS k", {{Key::kM, m}});
    }
    if (m < 65 || m > 73) return Bad("GS k", "bad argument", {{Key::kM, m}});
    if (!Need(4)) return Step::kMore;
    return Done(Op::kBarcode, "GS k", {{Key::kM, m}, {Key::kN, head_[3]}}, head_[3]);
}

Parser::Step Parser::RecognisePrinterOwn() {
    if (!Need(3)) return Step::kMore;
    if (head_[2] != 0x5D) return Bad("GS [", "unknown command");
    if (!Need(4)) return Step::kMore;
    switch (head_[3]) {
        case 0x54:
            return RecogniseRoleImage(Role::kTopLogo, 4, -1);
        case 0x42:
            return RecogniseRoleImage(Role::kBottomLogo, 4, -1);
        case 0x57:
            return RecogniseRoleImage(Role::kWaterMark, 4, -1);
        case 0x4D:
            if (!Need(5)) return Step::kMore;
            if (head_[4] == 0x30) return RecogniseRoleImage(Role::kMarginMessage, 5, -1);
            if (head_[4] > 2) return Bad("GS [ ] M", "bad argument", {{Key::kMargin, head_[4]}});
            if (!Need(6)) return Step::kMore;
            if (head_[5] != 0x30) return Bad("GS [ ] M", "bad argument");
            return RecogniseRoleImage(Role::kMarginMessage, 6, head_[4]);
        case 0x40:
            if (!Need(5)) return Step::kMore;
            if (head_[4] != 0x4F) return Bad("GS [ ] @", "unknown command");
            if (!Need(9)) return Step::kMore;
            return Done(Op::kOptions, "GS [ ] @ O",
                        {{Key::kTopLogo, head_[5]},
                         {Key::kBottomLogo, head_[6]},
                         {Key::kWaterMark, head_[7]},
                         {Key::kMarginMessage, head_[8]}});
        default:
            return Bad("GS [ ]", "unknown command");
    }
}

Parser::Step Parser::RecogniseRoleImage(Role role, std::size_t sizeAt, int margin) {
    if (!Need(sizeAt + 4)) return Step::kMore;
    const int x = U16(sizeAt);
    const int y = U16(sizeAt + 2);
    const char* mnemonic = kRoleMnemonics[static_cast<int>(role)];
    std::vector<Argument> args = {
        {Key::kRole, static_cast<int>(role)}, {Key::kWidth, 8 * x}, {Key::kHeight, 8 * y}};
    if (role == Role::kMarginMessage) args.push_back({Key::kMargin, margin});
    if (!NvSizeOk(x, y)) return Bad(mnemonic, "size out of range", std::move(args));
    return Done(Op::kRoleImage, mnemonic, std::move(args), 8 * static_cast<std::size_t>(x) * y);
}

}  // namespace standin
