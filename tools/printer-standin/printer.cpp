#include "printer.h"

#include <algorithm>

namespace standin {

namespace {

constexpr int kTopLogoSwitch = 0;
constexpr int kBottomLogoSwitch = 1;
constexpr int kWaterMarkSwitch = 2;
constexpr int kMarginMessageSwitch = 3;

// Where a picture `width` dots wide starts: 0 left, 1 centred, 2 right.
int AlignedX(int justification, int paperWidth, int width) {
    switch (justification) {
        case 1:
            return std::max(0, (paperWidth - width) / 2);
        case 2:
            return std::max(0, paperWidth - width);
        default:
            return 0;
    }
}

// The bands one below the other, as wide as the widest, padded to whole bytes.
Picture StackBands(const std::vector<Picture>& bands) {
    int width = 0;
    int height = 0;
    for (const Picture& band : bands) {
        width = std::max(width, band.Width());
        height += band.Height();
    }
    Picture logo((width + 7) / 8 * 8, height);
    int y = 0;
    for (const Picture& band : bands) {
        logo.Draw(band, 0, y);
        y += band.Height();
    }
    return logo;
}

const Picture& RoleImage(const FlashSet& set, Role role) {
    return set.roles[static_cast<int>(role)];
}

}  // namespace

Printer::Printer(FlashStore& flash, ReceiptOutput& receipts, Transcript& transcript,
                 const PrinterConfig& config)
    : flash_(flash), receipts_(receipts), transcript_(transcript), config_(config) {}

JobSummary Printer::RunJob(const std::string& source, const Bytes& bytes, ReplyChannel* replies) {
    Job job(*this, source, replies);
    job.Feed(bytes);
    return job.End();
}

bool Printer::Reset() {
    JsonLine line;
    line.Add("event", "reset");
    const bool done = flash_.Reset();
    if (done) {
        line.Add("images", static_cast<long long>(flash_.Active().images.size()));
    } else {
        line.Add("error", "flash not written");
    }
    transcript_.Write(line);
    return done;
}

Job::Job(Printer& printer, const std::string& source, ReplyChannel* replies)
    : flash_(printer.flash_),
      transcript_(printer.transcript_),
      receipts_(printer.receipts_),
      config_(printer.config_),
      job_(++printer.jobs_),
      replies_(replies),
      parser_(*this),
      paper_(config_.paperWidth, config_.maxReceiptLength) {
    JsonLine line;
    line.Add("job", job_).Add("event", "job start").Add("source", source);
    transcript_.Write(line);
}

void Job::Feed(const std::uint8_t* data, std::size_t size) {
    parser_.Feed(data, size);
}

JobSummary Job::End() {
    const auto bytes = static_cast<long long>(parser_.Offset());
    parser_.Finish();
    if (bandDefinition_) {
        JsonLine line;
        line.Add("job", job_).Add("event", "band definition end");
        StoreBandLogo(line);
        Log(line);
    }
    if (paper_.Started()) {
        JsonLine line;
        line.Add("job", job_).Add("event", "receipt not cut");
        CutReceipt(line, false);
        Log(line);
    }
    JsonLine line;
    line.Add("job", job_).Add("event", "job end").Add("bytes", bytes).Add("errors", errors_);
    if (linesLeftOut_ > 0) line.Add("lines_left_out", linesLeftOut_);
    if (receiptsNotKept_ > 0) line.Add("receipts_not_kept", receiptsNotKept_);
    transcript_.Write(line);
    replies_ = nullptr;
    return {job_, bytes, errors_, std::move(receiptsOfJob_), linesLeftOut_, receiptsNotKept_};
}

void Job::Accept(Command&& command) {
    JsonLine line;
    line.Add("job", job_);
    Describe(command, line);
    if (command.op == Op::kError) {
        ++errors_;
        Abandon(line);
    } else {
        Act(command, line);
    }
    Log(line);
    if (paper_.Overflowed() && !overflowReported_) {
        overflowReported_ = true;
        JsonLine limit;
        limit.Add("job", job_).Add("offset", static_cast<long long>(command.offset));
        Error(limit, "paper limit");
        Log(limit);
    }
}

// Past the limit the lines are only counted; the first one left out says so.
void Job::Log(const JsonLine& line) {
    if (lines_ < config_.linesPerJob) {
        ++lines_;
        transcript_.Write(line);
        return;
    }
    if (linesLeftOut_++ == 0) Note("transcript limit", "lines", config_.linesPerJob);
}

void Job::Note(const char* event, const char* key, long long value) {
    JsonLine line;
    line.Add("job", job_).Add("event", event).Add(key, value);
    transcript_.Write(line);
}

void Job::Error(JsonLine& line, const char* error) {
    ++errors_;
    line.Add("error", error);
}

// An error inside a definition leaves the flash as it was.
void Job::Abandon(JsonLine& line) {
    if (definition_ && bandDefinition_) {
        line.Add("abandoned", "FS q and band definition");
    } else if (definition_) {
        line.Add("abandoned", "FS q");
    } else if (bandDefinition_) {
        line.Add("abandoned", "band definition");
    }
    definition_.reset();
    bandDefinition_.reset();
}

void Job::Act(const Command& command, JsonLine& line) {
    const int n = command.Get(Key::kN);
    switch (command.op) {
        case Op::kText:
        case Op::kBarcode:
        case Op::kPrintMode:
        case Op::kFont:
        case Op::kModuleWidth:
        case Op::kBarcodeHeight:
            ActOnText(command, line);
            break;
        case Op::kLineFeed:
            BeginReceipt();
            paper_.EndLine(lineSpacing_);
            x_ = 0;
            break;
        case Op::kCarriageReturn:
            x_ = 0;
            break;
        case Op::kInitialise:
            Initialise();
            break;
        case Op::kDefaultLineSpacing:
            lineSpacing_ = kDefaultLineSpacing;
            break;
        case Op::kLineSpacing:
            lineSpacing_ = n;
            break;
        case Op::kFeed:
        case Op::kFeedLines:
            BeginReceipt();
            paper_.EndLine(command.op == Op::kFeed ? n : n * lineSpacing_);
            x_ = 0;
            break;
        case Op::kPosition:
            x_ = n;
            break;
        case Op::kJustify:
            if (n % 48 > 2 || n > 50) {
                Error(line, "bad argument");
            } else {
                justification_ = n % 48;
            }
            break;
        case Op::kCut:
            if (command.Get(Key::kM) >= 65) {
                BeginReceipt();
                paper_.EndLine(n);
            }
            CutReceipt(line, true);
            break;
        case Op::kStatusQuery:
            if (config_.statusReply.empty()) {
                line.Add("reply", "none");
                break;
            }
            line.AddHex("reply", config_.statusReply);
            if (!replies_) {
                line.AddFlag("sent", false);
            } else if (!replies_->Send(config_.statusReply)) {
                Error(line, "reply not sent");
            }
            break;
        case Op::kBandMode:
        case Op::kBandSelect:
        case Op::kBitImage:
            ActOnBands(command, line);
            break;
        case Op::kRaster:
            ActOnPaper(command, line);
            break;
        case Op::kPrintNvImage:
            PrintNvImage(command, line);
            break;
        case Op::kRoleImage:
        case Op::kOptions:
        case Op::kErase:
            ActOnFlash(command, line);
            break;
        case Op::kDefine:
            definition_ = Definition{command.Get(Key::kCount), {}, 0};
            break;
        case Op::kDefinedImage:
            DefineImage(command, line);
            break;
        case Op::kNul:
        case Op::kSetting:
        case Op::kError:
            break;
    }
}

// ESC @: the settings as the printer starts with them.
void Job::Initialise() {
    lineSpacing_ = kDefaultLineSpacing;
    justification_ = 0;
    x_ = 0;
    font_ = Font::kA;
    printMode_ = 0;
    moduleWidth_ = kDefaultModuleWidth;
    barcodeHeight_ = kDefaultBarcodeHeight;
}

void Job::ActOnText(const Command& command, JsonLine& line) {
    const int n = command.Get(Key::kN);
    switch (command.op) {
        case Op::kText:
            PrintText(command.data);
            return;
        case Op::kBarcode:
            PrintBarcode(command.data, line);
            return;
        case Op::kPrintMode:
            printMode_ = n;
            font_ = (n & 1) ? Font::kB : Font::kA;
            return;
        case Op::kFont:
            if (n % 48 > 1 || n > 49) return Error(line, "bad argument");
            font_ = n % 48 == 1 ? Font::kB : Font::kA;
            return;
        case Op::kModuleWidth:
            if (n < 1 || n > 6) return Error(line, "bad argument");
            moduleWidth_ = n;
            return;
        default:  // GS h
            if (n < 1) return Error(line, "bad argument");
            barcodeHeight_ = n;
            return;
    }
}

// Characters go on the line from the ESC $ position, in the font and sizes
// of ESC ! and ESC M; a full line goes on to the next.
void Job::PrintText(const Bytes& text) {
    BeginReceipt();
    const int scaleX = (printMode_ & 0x20) ? 2 : 1;
    const int scaleY = (printMode_ & 0x10) ? 2 : 1;
    const int advance = Cell(font_).width * scaleX;
    for (const std::uint8_t code : text) {
        if (x_ > 0 && x_ + advance > paper_.Width()) {
            paper_.EndLine(lineSpacing_);
            x_ = 0;
        }
        paper_.PutOnLine(Character(code, font_), x_, scaleX, scaleY);
        x_ += advance;
    }
}

// Not a symbol a scanner reads: each data byte as eight modules, its highest
// bit first, a set bit a bar, on the line from the ESC $ position.
void Job::PrintBarcode(const Bytes& data, JsonLine& line) {
    const int width = 8 * moduleWidth_ * static_cast<int>(data.size());
    line.Add("width", width).Add("height", barcodeHeight_);
    if (data.empty()) return;
    // One row of modules, drawn as wide as a module and as tall as the code.
    const Picture modules = FromRaster(data.data(), static_cast<int>(data.size()), 1);
    BeginReceipt();
    paper_.PutOnLine(modules, x_, moduleWidth_, barcodeHeight_);
    x_ = std::min(x_ + width, paper_.Width());
}

void Job::ActOnPaper(const Command& command, JsonLine& line) {
    const Picture raster =
        FromRaster(command.data.data(), command.Get(Key::kWidth) / 8, command.Get(Key::kHeight));
    PrintScaled(&raster, command.Get(Key::kM), line);
}

void Job::PrintNvImage(const Command& command, JsonLine& line) {
    const std::vector<Picture>& images = flash_.Active().images;
    const auto number = static_cast<std::size_t>(command.Get(Key::kN));
    const Picture* image = number >= 1 && number <= images.size() ? &images[number - 1] : nullptr;
    line.AddFlag("printed", PrintScaled(image, command.Get(Key::kM), line));
}

// Prints below what is printed, each dot widened and heightened by the mode
// byte of FS p and GS v 0: 0 normal, 1 double width, 2 double height, 3 both;
// 48 to 51 the same. False when nothing was printed: no picture, or a mode
// byte that is none of these.
bool Job::PrintScaled(const Picture* picture, int mode, JsonLine& line) {
    if (mode > 51 || mode % 48 > 3) {
        Error(line, "bad argument");
        return false;
    }
    if (!picture) return false;
    const int scaleX = (mode % 48 & 1) ? 2 : 1;
    const int scaleY = (mode % 48 & 2) ? 2 : 1;
    BeginReceipt();
    paper_.PrintBlock(*picture, Aligned(picture->Width() * scaleX), scaleX, scaleY);
    return true;
}

void Job::ActOnFlash(const Command& command, JsonLine& line) {
    FlashSet set = flash_.Pending();
    switch (command.op) {
        case Op::kRoleImage: {
            const int role = command.Get(Key::kRole);
            set.roles[role] = FromColumns(command.data.data(), command.Get(Key::kWidth),
                                          command.Get(Key::kHeight) / 8);
            if (role == static_cast<int>(Role::kMarginMessage))
                set.margin = command.Get(Key::kMargin);
            break;
        }
        case Op::kOptions:
            set.switches = {static_cast<std::uint8_t>(command.Get(Key::kTopLogo)),
                            static_cast<std::uint8_t>(command.Get(Key::kBottomLogo)),
                            static_cast<std::uint8_t>(command.Get(Key::kWaterMark)),
                            static_cast<std::uint8_t>(command.Get(Key::kMarginMessage))};
            break;
        default:  // FS e: every image goes, the switches stay
            set.roles = {};
            set.margin = -1;
            set.bandLogo = Picture();
            set.images.clear();
            break;
    }
    Store(set, line);
}

void Job::Store(const FlashSet& set, JsonLine& line) {
    if (set.DataSize() > kFlashCapacity) {
        Error(line, "flash full");
    } else if (!flash_.WritePending(set)) {
        Error(line, "flash not written");
    } else {
        line.Add("stored", "pending");
    }
}

// The images of FS q are held until the last one has come, so that a
// definition cut short leaves the numbered images as they were.
void Job::DefineImage(const Command& command, JsonLine& line) {
    if (!definition_) {
        line.Add("stored", "no");  // the definition was already abandoned
        return;
    }
    definition_->size += command.data.size();
    if (definition_->size > kFlashCapacity) {
        Error(line, "flash full");
        Abandon(line);
        return;
    }
    definition_->images.push_back(
        FromColumns(command.data.data(), command.Get(Key::kWidth), command.Get(Key::kHeight) / 8));
    if (static_cast<int>(definition_->images.size()) < definition_->count) {
        line.Add("stored", "held");
        return;
    }
    FlashSet set = flash_.Pending();
    set.images = std::move(definition_->images);
    definition_.reset();
    Store(set, line);
}

void Job::ActOnBands(const Command& command, JsonLine& line) {
    const int n = command.Get(Key::kN);
    switch (command.op) {
        case Op::kBandMode:
            if (n != 0 && n != 1) {
                Error(line, "bad argument");
                return;
            }
            if (bandDefinition_) StoreBandLogo(line);
            if (n == 0) {
                bandDefinition_ = BandDefinition{};
                return;
            }
            if (flash_.Active().bandLogo.Empty()) {
                line.AddFlag("printed", false);
                return;
            }
            BeginReceipt();
            paper_.PrintBlock(flash_.Active().bandLogo, Aligned(flash_.Active().bandLogo.Width()));
            line.AddFlag("printed", true);
            return;
        case Op::kBandSelect:
            BeginReceipt();
            paper_.EndLine(0);
            x_ = 0;
            if (!bandDefinition_) return;
            if (static_cast<std::size_t>(n) != bandDefinition_->bands.size()) {
                Error(line, "band out of order");
                Abandon(line);
                return;
            }
            bandDefinition_->selected = true;
            return;
        default:
            BandImage(command, line);
            return;
    }
}

void Job::BandImage(const Command& command, JsonLine& line) {
    const int m = command.Get(Key::kM);
    const int columns = command.Get(Key::kN);
    const int scaleX = m == 0 || m == 32 ? 2 : 1;
    const Picture band = FromColumns(command.data.data(), columns, m >= 32 ? 3 : 1);
    BeginReceipt();
    paper_.PutOnLine(band, x_, scaleX);
    x_ = std::min(x_ + columns * scaleX, paper_.Width());  // nothing prints beyond the paper
    if (!bandDefinition_) return;
    if (!bandDefinition_->selected) {
        Error(line, "band out of order");
        Abandon(line);
        return;
    }
    bandDefinition_->selected = false;
    bandDefinition_->bands.push_back(band);
}

void Job::StoreBandLogo(JsonLine& line) {
    const std::vector<Picture> bands = std::move(bandDefinition_->bands);
    bandDefinition_.reset();
    if (bands.empty()) {
        line.Add("band_logo", "none");
        return;
    }
    Picture logo = StackBands(bands);
    line.Add("band_logo", std::to_string(logo.Width()) + "x" + std::to_string(logo.Height()));
    if (logo.Width() > 8 * kMaxNvBytesAcross || logo.Height() > 8 * kMaxNvUnitsDown) {
        Error(line, "size out of range");
        return;
    }
    FlashSet set = flash_.Pending();
    set.bandLogo = std::move(logo);
    Store(set, line);
}

// The Top Logo heads every receipt while its switch is on.
void Job::BeginReceipt() {
    if (paper_.Started()) return;
    paper_.Start();
    const FlashSet& active = flash_.Active();
    const Picture& top = RoleImage(active, Role::kTopLogo);
    if (active.switches[kTopLogoSwitch] && !top.Empty()) {
        paper_.PrintBlock(top, Aligned(top.Width()));
    }
}

// A cut closes the receipt with the Bottom Logo and the Margin Message (placed
// by its m byte: left, centre, right) while their switches are on; the
// WaterMark lies centred under the whole receipt, repeated down its length.
void Job::CutReceipt(JsonLine& line, bool cut) {
    BeginReceipt();
    const FlashSet& active = flash_.Active();
    const Picture& bottom = RoleImage(active, Role::kBottomLogo);
    const Picture& margin = RoleImage(active, Role::kMarginMessage);
    if (cut && active.switches[kBottomLogoSwitch] && !bottom.Empty()) {
        paper_.PrintBlock(bottom, Aligned(bottom.Width()));
    }
    if (cut && active.switches[kMarginMessageSwitch] && !margin.Empty()) {
        paper_.PrintBlock(margin, AlignedX(active.margin, paper_.Width(), margin.Width()));
    }
    Picture receipt = paper_.Cut();
    overflowReported_ = false;
    const Picture& waterMark = RoleImage(active, Role::kWaterMark);
    if (active.switches[kWaterMarkSwitch] && !waterMark.Empty()) {
        const int x = AlignedX(1, receipt.Width(), waterMark.Width());
        for (int y = 0; y < receipt.Height(); y += waterMark.Height())
            receipt.Draw(waterMark, x, y);
    }
    if (receipt.Height() == 0) {
        line.Add("receipt", "blank");
        return;
    }
    if (static_cast<int>(receiptsOfJob_.size()) >= config_.receiptsPerJob) {
        line.Add("receipt", "not kept");
        if (receiptsNotKept_++ == 0) Note("receipt limit", "receipts", config_.receiptsPerJob);
        return;
    }
    const std::string where = receipts_.Write(receipt);
    if (where.empty()) {
        Error(line, "receipt not written");
    } else {
        line.Add("receipt", where).Add("length", receipt.Height());
        receiptsOfJob_.push_back(where);
    }
}

int Job::Aligned(int width) const {
    return AlignedX(justification_, paper_.Width(), width);
}

}  // namespace standin
