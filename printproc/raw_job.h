// The RAW job path: PrintDocumentOnPrintProcessor for a RAW job. The job's
// data is copied into scratch file A; a job that begins with the driver's
// start-of-document marker is reworked (barcodes, then widening straight on
// into B, tail trim, final pass to the printer), any other job goes
// to the printer unchanged. Every part is the job's own, so that jobs can run
// at the same time without sharing a file, a buffer or a wait.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "blocks.h"
#include "job_control.h"
#include "translation.h"

namespace tivrap {

// The spooler's side of one job.
class SpoolerJob {
  public:
    virtual ~SpoolerJob() = default;
    // StartDocPrinter on the job's printer, with the job record's document
    // name, output file and datatype.
    virtual bool StartDocument() = 0;
    virtual void EndDocument() = 0;
    // Opens the job's spooled data for reading, by the document name the
    // spooler passed to PrintDocumentOnPrintProcessor.
    virtual bool OpenData() = 0;
    virtual void CloseData() = 0;
    // Reads at most `capacity` bytes of the spooled data; `got` is 0 at its end.
    virtual bool ReadData(std::uint8_t* buffer, std::size_t capacity, std::size_t& got) = 0;
    // One write to the printer, which may take fewer than `size` bytes.
    virtual bool WritePrinter(const std::uint8_t* data, std::size_t size, std::size_t& written) = 0;
};

enum class ScratchFailure { kNone, kSystemDirectory, kDirectory, kFileA, kFileB };

struct ScratchCreation {
    ScratchFailure failure = ScratchFailure::kNone;
    // The scratch directory was there before; it tells the debug texts apart.
    bool directoryExisted = true;
};

// The job's two scratch files, under names no other job uses.
class ScratchStorage {
  public:
    virtual ~ScratchStorage() = default;
    // Creates A, then B, anew.
    virtual ScratchCreation Create() = 0;
    virtual ScratchFile& FileA() = 0;
    virtual ScratchFile& FileB() = 0;
    // Closes and deletes whichever of them was created.
    virtual void Remove() = 0;
};

// The job's debug output (OutputDebugStringW).
class DebugOutput {
  public:
    virtual ~DebugOutput() = default;
    // One text, its line feed included.
    virtual void Write(const std::u16string& text) = 0;
};

// The job record's names, each null where the record holds none.
struct JobNames {
    const char16_t* document = nullptr;
    const char16_t* outputFile = nullptr;
    const char16_t* datatype = nullptr;
};

struct RawJobParts {
    SpoolerJob& spooler;
    ScratchStorage& scratch;
    Translator& translator;
    JobControl& control;
    DebugOutput& debug;
};

// Runs one RAW job, in blocks of `blockSize` bytes (kBlockSize in the
// product). True when the job ran to its end or was cancelled; false on any
// failure, which a debug text names. Nothing is sent of a job whose data
// could not be copied.
bool RunRawJob(const JobNames& names, const RawJobParts& parts, std::size_t blockSize = kBlockSize);

}  // namespace tivrap
