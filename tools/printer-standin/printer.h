// The stand-in printer: acts on the commands of each job. It stores NV
// images in its flash, prints on its paper, answers the status query and
// writes a transcript line for every command and every error.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "flash.h"
#include "paper.h"
#include "parser.h"
#include "transcript.h"

namespace standin {

// Where the answers to the status query go: the connection or line of the job.
class ReplyChannel {
  public:
    virtual ~ReplyChannel() = default;
    // False when the bytes could not be sent.
    virtual bool Send(const Bytes& bytes) = 0;
};

// Where finished receipts go.
class ReceiptOutput {
  public:
    virtual ~ReceiptOutput() = default;
    // Keeps the receipt; returns where it went, or empty when it could not be kept.
    virtual std::string Write(const Picture& receipt) = 0;
};

class MemoryReceipts : public ReceiptOutput {
  public:
    std::string Write(const Picture& receipt) override {
        receipts.push_back(receipt);
        return "receipt " + std::to_string(receipts.size());
    }
    std::vector<Picture> receipts;
};

struct PrinterConfig {
    int paperWidth = 576;
    int maxReceiptLength = 1 << 16;  // dots
    Bytes statusReply = {0x0D};      // the answer to GS I; empty: no answer
    // What one job may leave on the disk, whatever it sends: transcript lines
    // between its start and end, and receipts.
    int linesPerJob = 10000;
    int receiptsPerJob = 100;
};

constexpr int kDefaultLineSpacing = 30;

struct JobSummary {
    int job = 0;
    long long bytes = 0;
    int errors = 0;
    std::vector<std::string> receipts;  // where the job's receipts went
    long long linesLeftOut = 0;         // beyond the transcript limit
    int receiptsNotKept = 0;            // beyond the receipt limit
};

class Job;

// What every job shares: the flash, where receipts go, the transcript, the
// settings and the numbering of jobs.
class Printer {
  public:
    Printer(FlashStore& flash, ReceiptOutput& receipts, Transcript& transcript,
            const PrinterConfig& config);

    // One whole job: begun, fed and ended.
    JobSummary RunJob(const std::string& source, const Bytes& bytes,
                      ReplyChannel* replies = nullptr);

    // The reset of the device: what is pending becomes active.
    bool Reset();

  private:
    friend class Job;

    FlashStore& flash_;
    ReceiptOutput& receipts_;
    Transcript& transcript_;
    PrinterConfig config_;
    int jobs_ = 0;  // numbers given so far
};

// One job: what one connection, one opening of the line or one file sends.
// Jobs may run side by side; each has its own paper and settings, and all
// store into the one flash, a command at a time.
class Job : private CommandSink {
  public:
    // `source` names where the job comes from, `replies` (may be null) takes
    // the answers to status queries.
    Job(Printer& printer, const std::string& source, ReplyChannel* replies);
    Job(const Job&) = delete;
    Job& operator=(const Job&) = delete;

    void Feed(const std::uint8_t* data, std::size_t size);
    void Feed(const Bytes& bytes) { Feed(bytes.data(), bytes.size()); }
    // The job's end: a command cut short is an error, an open band definition
    // is stored, and paper printed and not cut comes out as a receipt.
    JobSummary End();

    // A line about the job from outside it ({"job":3,"event":"idle time-out",
    // "seconds":60}), written whatever the transcript limit.
    void Note(const char* event, const char* key, long long value);

  private:
    struct Definition {
        int count = 0;
        std::vector<Picture> images;
        std::size_t size = 0;
    };
    struct BandDefinition {
        std::vector<Picture> bands;
        bool selected = false;  // ESC X * named the next band
    };

    void Accept(Command&& command) override;
    // A transcript line within the job's limit.
    void Log(const JsonLine& line);
    void Act(const Command& command, JsonLine& line);
    void ActOnBands(const Command& command, JsonLine& line);
    void ActOnFlash(const Command& command, JsonLine& line);
    void ActOnPaper(const Command& command, JsonLine& line);
    void Error(JsonLine& line, const char* error);
    void Abandon(JsonLine& line);
    void Store(const FlashSet& set, JsonLine& line);
    void StoreBandLogo(JsonLine& line);
    void DefineImage(const Command& command, JsonLine& line);
    void PrintNvImage(const Command& command, JsonLine& line);
    bool PrintScaled(const Picture* picture, int mode, JsonLine& line);
    void BandImage(const Command& command, JsonLine& line);
    void BeginReceipt();
    void CutReceipt(JsonLine& line, bool cut);
    int Aligned(int width) const;

    FlashStore& flash_;
    Transcript& transcript_;
    ReceiptOutput& receipts_;
    const PrinterConfig& config_;
    const int job_;
    ReplyChannel* replies_;
    Parser parser_;
    Paper paper_;
    int errors_ = 0;
    std::vector<std::string> receiptsOfJob_;
    int lines_ = 0;
    long long linesLeftOut_ = 0;
    int receiptsNotKept_ = 0;
    int lineSpacing_ = kDefaultLineSpacing;
    int justification_ = 0;
    int x_ = 0;  // where the next ESC * image starts on the line
    bool overflowReported_ = false;
    std::optional<Definition> definition_;
    std::optional<BandDefinition> bandDefinition_;
};

}  // namespace standin
