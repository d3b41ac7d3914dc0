// Feeds arbitrary bytes to the stand-in printer as a job, in pieces whose size
// the first byte chooses, so that commands split across reads are reached;
// then resets the device and runs the job again, so that what the first run
// stored is printed. The limits per job are small, so that they are reached.
#include <algorithm>
#include <cstdint>

#include "printer.h"

namespace {

// The lines and receipts are made in full and then dropped: keeping them
// would only cost copies.
class DiscardLines : public standin::Transcript {
  public:
    void Write(const standin::JsonLine&) override {}
};

class DiscardReceipts : public standin::ReceiptOutput {
  public:
    std::string Write(const standin::Picture&) override { return "receipt"; }
};

standin::PrinterConfig SmallLimits() {
    standin::PrinterConfig config;
    config.maxReceiptLength = 4096;
    config.linesPerJob = 200;
    config.receiptsPerJob = 3;
    return config;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    standin::MemoryFlash flash;
    static DiscardReceipts receipts;
    static DiscardLines transcript;
    static const standin::PrinterConfig config = SmallLimits();
    standin::Printer printer(flash, receipts, transcript, config);
    const std::size_t piece = data[0] % 16 + 1;
    standin::Job job(printer, "fuzz", nullptr);
    for (std::size_t at = 1; at < size; at += piece)
        job.Feed(data + at, std::min(piece, size - at));
    job.End();
    printer.Reset();
    printer.RunJob("fuzz", standin::Bytes(data + 1, data + size));
    return 0;
}
