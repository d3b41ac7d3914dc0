// Runs arbitrary jobs through the whole RAW job path, with parts kept in
// memory. The first three bytes choose whether the job begins with the
// driver's start-of-document marker, how the spooler's reads are cut and the
// block size; the rest is the job. Every job must end, its output must stay
// within what the passes can make of it, and a job without the marker must
// reach the printer unchanged. The same bytes are also read as parameter text.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "marker.h"
#include "memory_parts.h"
#include "parameters.h"
#include "passes.h"
#include "raw_job.h"

namespace {

using tivrap::Bytes;

const Bytes kStartOfDocument = {0x1B, 0x3D, 0x01, 0x1B, 0x52, 0x00, 0x1B, 0x74, 0x00,
                                0x1B, 0x63, 0x33, 0x04, 0x1B, 0x63, 0x34, 0x00, 0x1D,
                                0x50, 0xB4, 0xB4, 0x1D, 0x62, 0x01, 0x1B, 0x32};

// The longest value below gives 20 bytes.
constexpr std::size_t kLongestTranslation = 20;

const tivrap::memory::MemoryTranslation& Translation() {
    static const tivrap::memory::MemoryTranslation translation({
        {u"41", "1b4d00"},
        {u"42", ""},
        {u"43", "zz"},
        {u"44", "abc"},
        {u"45", std::string(2 * kLongestTranslation, 'f')},
    });
    return translation;
}

bool HasMarker(const Bytes& job) {
    const auto windowEnd =
        job.begin() + static_cast<std::ptrdiff_t>(std::min(job.size(), tivrap::kMarkerWindow));
    return std::search(job.begin(), windowEnd, kStartOfDocument.begin(), kStartOfDocument.end()) !=
           windowEnd;
}

// A raster row of 11 bytes or more grows by at most the widest row on the
// paper, a character to its translation: the passes make no more of a job.
std::size_t OutputBound(std::size_t size) {
    const std::size_t widened = size + size / 11 * tivrap::kWidestRow;
    return kLongestTranslation * widened + 8;
}

void RunJob(const Bytes& job, std::size_t blockSize, std::size_t readLimit) {
    tivrap::memory::MemorySpoolerJob spooler(job);
    spooler.readLimit = readLimit;
    tivrap::memory::MemoryScratchStorage scratch;
    tivrap::SectionTranslator translator = Translation().Translator();
    tivrap::memory::MemoryPauseEvent event;
    tivrap::JobControl control(event);
    tivrap::memory::MemoryDebugOutput debug;
    if (!tivrap::RunRawJob({u"Receipt", nullptr, u"RAW"},
                           {spooler, scratch, translator, control, debug}, blockSize))
        std::abort();  // nothing here fails
    if (!HasMarker(job) && spooler.printed != job) std::abort();
    if (spooler.printed.size() > OutputBound(job.size())) std::abort();
}

void ReadParameters(const std::uint8_t* data, std::size_t size) {
    std::u16string text;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        text += static_cast<char16_t>(data[i] | data[i + 1] << 8);
    std::uint32_t number = 0;
    tivrap::FindParameterNumber(text.c_str(), u"COPIES", &number);
    char16_t value[8];
    tivrap::FindParameterText(text.c_str(), u"T", value, 8);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    ReadParameters(data, size);
    const bool marked = data[0] & 1;
    const std::size_t readLimit = data[0] >> 1 == 0 ? SIZE_MAX : data[0] >> 1;
    const std::size_t blockSize = data[1] == 0xFF ? tivrap::kBlockSize : 8 + data[1] + data[2];
    Bytes job = marked ? kStartOfDocument : Bytes();
    job.insert(job.end(), data + 3, data + size);
    RunJob(job, blockSize, readLimit);
    return 0;
}
