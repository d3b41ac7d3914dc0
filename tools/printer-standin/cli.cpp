#include "cli.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <ostream>

#include "flash_directory.h"
#include "image_files.h"
#include "transport.h"

namespace standin::cli {

namespace {

namespace fs = std::filesystem;

constexpr const char* kHelp =
    "usage: printer-standin [options]\n"
    "A stand-in for the thermal receipt printer: it takes jobs, keeps NV images in\n"
    "its flash directory, answers the status query, and writes what it prints as\n"
    "receipts (BMP and PNG) beside a transcript of every command (JSON lines).\n"
    "\n"
    "  --listen ADDR:PORT  take jobs on TCP, one connection a job (127.0.0.1:9100\n"
    "                      when neither --pty nor --input nor --dump is given;\n"
    "                      port 0 picks a free port)\n"
    "  --pty               take jobs on a new pseudo-terminal, as a serial printer:\n"
    "                      a job lasts from its first byte until the line is closed\n"
    "  --input PATH        read a file or FIFO to its end as one job (repeatable);\n"
    "                      without --listen or --pty the program ends after them\n"
    "  --flash DIR         the flash directory (default ./standin-flash)\n"
    "  --out DIR           receipts and transcript (default ./standin-out)\n"
    "  --transcript PATH   the transcript (default OUT/transcript.jsonl; - for stdout)\n"
    "  --width DOTS        paper width (default 576)\n"
    "  --status-reply R    the answer to GS I: 0d (default), 20, other hex bytes,\n"
    "                      or none\n"
    "  --reply-delay MS    wait before answering (default 0); the job goes on\n"
    "  --idle-timeout S    end a job whose connection or line is silent for S\n"
    "                      seconds (default 60; 0: never)\n"
    "  --lines-per-job N   transcript lines a job may write (default 10000); the\n"
    "                      rest are counted and left out\n"
    "  --receipts-per-job N  receipts a job may write (default 100); the rest are\n"
    "                      cut and not kept\n"
    "  --reset             reset the device first: the pending set becomes active\n"
    "  --dump DIR          write the stored images as BMP files into DIR/pending and\n"
    "                      DIR/active, after --reset and the inputs\n"
    "\n"
    "Done in this order: --reset, the inputs, --dump, then serving. Connections and\n"
    "the line are served side by side, each its own job; a connection that leaves\n"
    "its replies unread is dropped. While serving, SIGHUP resets the device at once;\n"
    "SIGTERM or SIGINT ends the jobs that are running and the program. Lines on\n"
    "stdout: \"listening ADDR:PORT\", \"pty PATH\", a summary of each job with the\n"
    "receipts it printed, \"reset\", \"dumped PATH\".\n";

constexpr long kMaxLimit = 1000000000;

struct Options {
    InterfaceOptions interfaces;
    std::vector<std::string> inputs;
    std::string flash = "standin-flash";
    std::string out = "standin-out";
    std::string transcript;
    std::string dump;
    PrinterConfig printer;
    bool reset = false;
    bool help = false;
};

bool ParseNumber(const std::string& text, long low, long high, int& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    const long number = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || number < low || number > high) return false;
    value = static_cast<int>(number);
    return true;
}

// "none", or one to 50 bytes in hexadecimal digits.
bool ParseReply(const std::string& text, Bytes& reply) {
    reply.clear();
    if (text == "none") return true;
    if (text.empty() || text.size() % 2 != 0 || text.size() > 100) return false;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        char* end = nullptr;
        const std::string pair = text.substr(i, 2);
        const long byte = std::strtol(pair.c_str(), &end, 16);
        if (*end != '\0' || pair[0] == '-' || pair[0] == '+' || pair[0] == ' ') return false;
        reply.push_back(static_cast<std::uint8_t>(byte));
    }
    return true;
}

bool Assign(Options& o, const std::string& name, const std::string& value, std::string& error) {
    if (value.empty()) {
        error = "--" + name + " needs a value";
        return false;
    }
    bool ok = true;
    if (name == "listen") {
        o.interfaces.listen = value;
    } else if (name == "input") {
        o.inputs.push_back(value);
    } else if (name == "flash") {
        o.flash = value;
    } else if (name == "out") {
        o.out = value;
    } else if (name == "transcript") {
        o.transcript = value;
    } else if (name == "dump") {
        o.dump = value;
    } else if (name == "width") {
        ok = ParseNumber(value, 8, kMaxBitImageColumns, o.printer.paperWidth);
    } else if (name == "idle-timeout") {
        ok = ParseNumber(value, 0, 24 * 60 * 60, o.interfaces.idleTimeoutS);
    } else if (name == "reply-delay") {
        ok = ParseNumber(value, 0, 600000, o.interfaces.replyDelayMs);
    } else if (name == "lines-per-job") {
        ok = ParseNumber(value, 0, kMaxLimit, o.printer.linesPerJob);
    } else if (name == "receipts-per-job") {
        ok = ParseNumber(value, 0, kMaxLimit, o.printer.receiptsPerJob);
    } else if (name == "status-reply") {
        ok = ParseReply(value, o.printer.statusReply);
    } else {
        error = "unknown option '--" + name + "'";
        return false;
    }
    if (!ok) error = "--" + name + ": '" + value + "' is not a valid value";
    return ok;
}

bool ParseOptions(const std::vector<std::string>& args, Options& o, std::string& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            o.help = true;
        } else if (arg == "--pty") {
            o.interfaces.pty = true;
        } else if (arg == "--reset") {
            o.reset = true;
        } else if (arg.rfind("--", 0) != 0) {
            error = "unexpected argument '" + arg + "'";
            return false;
        } else if (const std::size_t equals = arg.find('='); equals != std::string::npos) {
            if (!Assign(o, arg.substr(2, equals - 2), arg.substr(equals + 1), error)) return false;
        } else if (i + 1 < args.size()) {
            if (!Assign(o, arg.substr(2), args[++i], error)) return false;
        } else {
            error = arg + " needs a value";
            return false;
        }
    }
    return true;
}

// Each set into its own directory, cleared first so that no image of an
// earlier dump is taken for a stored one.
bool Dump(const FlashSet& pending, const FlashSet& active, const std::string& dir,
          const Report& report, std::string& error) {
    std::vector<std::string> written;
    for (const auto& [name, set] : {std::pair{"pending", &pending}, std::pair{"active", &active}}) {
        const std::string setDir = (fs::path(dir) / name).string();
        std::error_code ignored;
        fs::remove_all(setDir, ignored);
        if (!DumpSet(*set, setDir, written)) {
            error = setDir + ": cannot write the dump";
            return false;
        }
    }
    for (const std::string& path : written)
        report("dumped " + path);
    if (written.empty()) report("dumped nothing: the flash holds no images");
    return true;
}

int Fail(std::ostream& err, const std::string& error) {
    err << "printer-standin: " << error << '\n';
    return kFailed;
}

}  // namespace

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    Options o;
    std::string error;
    if (!ParseOptions(args, o, error)) {
        err << "printer-standin: " << error << "\nTry 'printer-standin --help'.\n";
        return kUsage;
    }
    if (o.help) {
        out << kHelp;
        return kOk;
    }
    const Report report = [&out](const std::string& line) { out << line << '\n' << std::flush; };
    const bool serving = !o.interfaces.listen.empty() || o.interfaces.pty ||
                         (o.inputs.empty() && o.dump.empty() && !o.reset);
    if (serving && o.interfaces.listen.empty() && !o.interfaces.pty) {
        o.interfaces.listen = "127.0.0.1:9100";
    }
    if (!serving && o.inputs.empty() && !o.reset) {  // a dump alone reads and changes nothing
        FlashSet pending;
        FlashSet active;
        if (!DirectoryFlash::Read(o.flash, pending, active, error) ||
            !Dump(pending, active, o.dump, report, error)) {
            return Fail(err, error);
        }
        return kOk;
    }
    const std::unique_ptr<DirectoryFlash> flash = DirectoryFlash::Open(o.flash, error);
    if (!flash) return Fail(err, error);
    std::error_code ignored;
    fs::create_directories(o.out, ignored);
    std::ofstream transcriptFile;
    if (o.transcript != "-") {
        const std::string path =
            o.transcript.empty() ? (fs::path(o.out) / "transcript.jsonl").string() : o.transcript;
        transcriptFile.open(path, std::ios::app);
        if (!transcriptFile) return Fail(err, path + ": cannot be written");
    }
    StreamTranscript transcript(o.transcript == "-" ? out : transcriptFile);
    ReceiptFiles receipts(o.out);
    Printer printer(*flash, receipts, transcript, o.printer);

    if (o.reset) {
        if (!printer.Reset()) return Fail(err, "reset: the flash could not be written");
        report("reset");
    }
    int status = kOk;
    for (const std::string& input : o.inputs) {
        if (!RunFileJob(printer, input, report, error)) status = Fail(err, error);
    }
    if (!o.dump.empty() && !Dump(flash->Pending(), flash->Active(), o.dump, report, error)) {
        status = Fail(err, error);
    }
    if (serving && !Serve(printer, o.interfaces, report, error)) return Fail(err, error);
    return status;
}

}  // namespace standin::cli
