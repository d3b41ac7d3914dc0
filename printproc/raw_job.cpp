#include "raw_job.h"

#include <algorithm>
#include <memory>
#include <string_view>

#include "marker.h"
#include "passes.h"

namespace tivrap {
namespace {

std::u16string_view CreationFailureText(const ScratchCreation& created) {
    switch (created.failure) {
        case ScratchFailure::kSystemDirectory:
            return u"Error GetSystemDirectory()";
        case ScratchFailure::kDirectory:
            return u"Error GetLastError()3";
        case ScratchFailure::kFileA:
            return created.directoryExisted ? u"Error CreateFile()1" : u"Error CreateFile()4";
        case ScratchFailure::kFileB:
            return created.directoryExisted ? u"Error CreateFile()2" : u"Error CreateFile()5";
        case ScratchFailure::kNone:
            break;
    }
    return {};
}

std::u16string_view FailureText(Flow flow) {
    switch (flow) {
        case Flow::kJobReadFailed:
            return u"Error ReadPrinter()";
        case Flow::kScratchReadFailed:
            return u"Error ReadFile()";
        case Flow::kScratchWriteFailed:
            return u"Error WriteFile()";
        case Flow::kPrinterWriteFailed:
            return u"Error WritePrinter()";
        case Flow::kGoOn:
        case Flow::kCancelled:
            break;
    }
    return {};
}

// Every write to the printer is repeated until all its bytes are taken.
class PrinterSink final : public BlockSink {
  public:
    explicit PrinterSink(SpoolerJob& spooler) : spooler_(spooler) {}
    Flow Put(const std::uint8_t* data, std::size_t size) override {
        while (size > 0) {
            std::size_t written = 0;
            // A write that takes nothing would be repeated for ever.
            if (!spooler_.WritePrinter(data, size, written) || written == 0 || written > size)
                return Flow::kPrinterWriteFailed;
            data += written;
            size -= written;
        }
        return Flow::kGoOn;
    }

  private:
    SpoolerJob& spooler_;
};

// Waits while the job is paused before each piece, and stops when it is cancelled.
class PausingSink final : public BlockSink {
  public:
    PausingSink(BlockSink& to, JobControl& control) : to_(to), control_(control) {}
    Flow Put(const std::uint8_t* data, std::size_t size) override {
        return control_.GoOn() ? to_.Put(data, size) : Flow::kCancelled;
    }

  private:
    BlockSink& to_;
    JobControl& control_;
};

enum class JobKind { kPassThrough, kRework, kCancelled };

class RawJob {
  public:
    RawJob(const RawJobParts& parts, std::size_t blockSize)
        : parts_(parts), blockSize_(std::clamp(blockSize, kMinUnread, kBlockSize)) {}
    bool Run(const JobNames& names);

  private:
    void Say(std::u16string_view text) { parts_.debug.Write(std::u16string(text) + u'\n'); }
    void SayName(std::u16string_view label, const char16_t* value);
    // The text of the failure that ended the job, empty when it did not fail.
    std::u16string_view OpenAndPrint();
    Flow Print();
    Flow Copy(JobKind& kind, std::uint64_t& length);
    JobKind Decide(const MarkerSearch& marker);
    Flow Rework(std::uint64_t length, BlockSink& printer);
    Flow TrimTail(ScratchFile& file, std::uint64_t& length);

    const RawJobParts& parts_;
    const std::size_t blockSize_;
};

void RawJob::SayName(std::u16string_view label, const char16_t* value) {
    if (value != nullptr) Say(std::u16string(label) + value);
}

bool RawJob::Run(const JobNames& names) {
    SayName(u"pData->pDocument == ", names.document);
    SayName(u"pData->pOutputFile == ", names.outputFile);
    SayName(u"pData->pDatatype == ", names.datatype);
    if (!parts_.spooler.StartDocument()) {
        Say(u"Error PrintRawJob()");
        return false;
    }
    const std::u16string_view failure = OpenAndPrint();
    if (!failure.empty()) Say(failure);
    parts_.spooler.EndDocument();
    parts_.scratch.Remove();
    if (!failure.empty()) return false;
    Say(u"End PrintRawJob()");
    return true;
}

std::u16string_view RawJob::OpenAndPrint() {
    const ScratchCreation created = parts_.scratch.Create();
    if (created.failure != ScratchFailure::kNone) return CreationFailureText(created);
    if (!parts_.spooler.OpenData()) return u"Error OpenPrinter()";
    const Flow flow = Print();
    parts_.spooler.CloseData();
    return FailureText(flow);
}

Flow RawJob::Print() {
    JobKind kind = JobKind::kPassThrough;
    std::uint64_t length = 0;
    if (const Flow flow = Copy(kind, length); flow != Flow::kGoOn) return flow;
    PrinterSink printer(parts_.spooler);
    switch (kind) {
        case JobKind::kPassThrough:
            // As the control sends it: pause and cancel are not looked at.
            return CopyBlocks(parts_.scratch.FileA(), length, blockSize_, printer);
        case JobKind::kRework:
            return Rework(length, printer);
        case JobKind::kCancelled:
            break;
    }
    return Flow::kCancelled;
}

Flow RawJob::Copy(JobKind& kind, std::uint64_t& length) {
    // Each read fills what it returns: the block is not cleared first.
    const std::unique_ptr<std::uint8_t[]> block(new std::uint8_t[blockSize_]);
    ScratchSink a(parts_.scratch.FileA());
    MarkerSearch marker;
    bool decided = false;
    for (;;) {
        std::size_t got = 0;
        if (!parts_.spooler.ReadData(block.get(), blockSize_, got)) return Flow::kJobReadFailed;
        if (got == 0) break;
        got = std::min(got, blockSize_);
        if (const Flow flow = a.Put(block.get(), got); flow != Flow::kGoOn) return flow;
        if (decided) continue;
        marker.Feed(block.get(), got);
        if (!marker.Decided()) continue;
        decided = true;
        kind = Decide(marker);
        if (kind == JobKind::kCancelled) return Flow::kGoOn;
    }
    if (!decided) kind = Decide(marker);
    length = a.Length();
    return Flow::kGoOn;
}

JobKind RawJob::Decide(const MarkerSearch& marker) {
    if (!marker.Found()) {
        Say(u"Error Find_PC_StartDoc()");
        return JobKind::kPassThrough;
    }
    return parts_.control.GoOn() ? JobKind::kRework : JobKind::kCancelled;
}

// The barcode pass hands its output straight to the widening pass, which
// works through it in the blocks it would read from a scratch file; only the
// widened data goes into one (B) for the tail trim and the final pass.
Flow RawJob::Rework(std::uint64_t length, BlockSink& printer) {
    ScratchFile& b = parts_.scratch.FileB();
    WideningPass widening;
    ScratchSink widened(b);
    StreamedPass widen(blockSize_, widening, widened);
    BarcodePass barcodes;
    if (const Flow flow = RunPass(parts_.scratch.FileA(), length, blockSize_, barcodes, widen);
        flow != Flow::kGoOn)
        return flow;
    if (const Flow flow = widen.Finish(); flow != Flow::kGoOn) return flow;
    std::uint64_t trimmed = widened.Length();
    if (const Flow flow = TrimTail(b, trimmed); flow != Flow::kGoOn) return flow;
    FinalPass final(parts_.translator);
    PausingSink checked(printer, parts_.control);
    return RunPass(b, trimmed, blockSize_, final, checked);
}

Flow RawJob::TrimTail(ScratchFile& file, std::uint64_t& length) {
    if (length == 0) {
        Say(u"Error ReadFile()");  // nothing to trim
        return Flow::kGoOn;
    }
    std::uint8_t last = 0;
    if (!file.ReadAt(length - 1, &last, 1)) return Flow::kScratchReadFailed;
    length = TrimmedLength(last, length);
    return Flow::kGoOn;
}

}  // namespace

bool RunRawJob(const JobNames& names, const RawJobParts& parts, std::size_t blockSize) {
    return RawJob(parts, blockSize).Run(names);
}

}  // namespace tivrap
