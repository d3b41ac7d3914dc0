#include "cli.h"

#include <cstdint>
#include <ostream>

#include "engine/files.h"
#include "engine/upload_forms.h"
#include "links/direct_link.h"
#include "links/ports.h"
#include "links/spooler.h"
#include "methods/device_methods.h"
#include "methods/driver_methods.h"
#include "methods/image_methods.h"
#include "options.h"
#include "picture_import.h"
#include "png_file.h"
#include "terminal.h"

namespace zelmar::cli {

namespace {

class StderrMessages : public MessageSink {
  public:
    explicit StderrMessages(std::ostream& err) : err_(err) {}
    void ShowMessage(const std::string& text, const std::string& caption) override {
        err_ << (caption.empty() ? "zelmar" : caption) << ": " << text << '\n';
    }

  private:
    std::ostream& err_;
};

struct Command {
    const char* name;
    const char* summary;
    const char* usage;  // the lines after "usage: zelmar <name>"
    int (*run)(const Command&, const std::vector<std::string>&, std::ostream&, std::ostream&);
    bool linkOptions = false;  // takes the options of a direct link
};

constexpr char kLinkOptionsHelp[] =
    "  --port NAME      COM1 ... COM12 a serial port, USB... the first USB printer,\n"
    "                   any other name (LPT1, LPT2, a device path) a port opened as\n"
    "                   a device file; a regular file, an image or a working file\n"
    "                   is refused\n"
    "  --tcp A:P        a printer taking raw jobs on TCP port P of address A\n"
    "  --printer N      the model: 0 (default), 3, or another\n"
    "  --baud CODE      serial rate: 3 1200, 4 2400, 5 4800, 6 9600 (default), 7 19200,\n"
    "                   8 38400, 9 57600, 10 115200; another code keeps the port's rate\n"
    "  --parity CODE    serial parity: 0 none (default), 1 even, 2 odd\n";

int UsageError(const Command& command, const std::string& message, std::ostream& err) {
    err << "zelmar " << command.name << ": " << message << "\n"
        << "Try 'zelmar " << command.name << " --help'.\n";
    return kUsage;
}

// Parses the options and checks the number of arguments (at least `least`, at
// most `most`); returns -1 to go on, or the exit code to stop with.
int ParseOrStop(const Command& command, const Options& options,
                const std::vector<std::string>& args, std::size_t least, std::size_t most,
                std::vector<std::string>& positional, std::ostream& out, std::ostream& err) {
    bool help = false;
    std::string error;
    if (!options.Parse(args, positional, help, error)) return UsageError(command, error, err);
    if (help) {
        out << "usage: zelmar " << command.name << command.usage;
        if (command.linkOptions) out << kLinkOptionsHelp << "Exits 0 only for status 0.\n";
        return kOk;
    }
    if (positional.size() < least || positional.size() > most) {
        const std::string expected =
            least == most ? std::to_string(least) : "at least " + std::to_string(least);
        return UsageError(
            command,
            "expected " + expected + " argument(s), got " + std::to_string(positional.size()), err);
    }
    return -1;
}

void AddImageOptions(Options& options, ImageOptions& image) {
    options.AddInt16("mode", &image.imageMode);
    options.AddInt16("brightness", &image.brightness);
    options.AddInt16("rotation", &image.rotation);
}

int RunInfo(const Command& command, const std::vector<std::string>& args, std::ostream& out,
            std::ostream& err) {
    Options options;
    std::vector<std::string> files;
    if (int stop = ParseOrStop(command, options, args, 1, 1, files, out, err); stop >= 0) {
        return stop;
    }
    BmpHeader header;
    if (const SourceError e = ReadBmpInfo(files[0], header)) {
        err << "zelmar info: " << files[0] << ": " << Describe(e) << '\n';
        return kFailed;
    }
    out << "bits=" << header.depth << " height=" << header.height << " width=" << header.width
        << '\n';
    return kOk;
}

int RunPreview(const Command& command, const std::vector<std::string>& args, std::ostream& out,
               std::ostream& err) {
    Options options;
    ImageOptions image;
    AddImageOptions(options, image);
    std::vector<std::string> files;
    if (int stop = ParseOrStop(command, options, args, 1, 1, files, out, err); stop >= 0) {
        return stop;
    }
    StderrMessages messages(err);
    FileFault fault;
    const std::string shown = Preview(files[0], image, &messages, &fault);
    // The line is printed even when empty: scripts read it.
    out << shown << '\n';
    if (!shown.empty()) return kOk;
    if (fault) {
        err << "zelmar preview: " << Describe(fault) << '\n';
    } else {
        err << "zelmar preview: mode 2 shows a rotation file: --rotation must be 0 to 3\n";
    }
    return kFailed;
}

// PNG files larger than this are refused unread.
constexpr std::size_t kMaxPngFileBytes = 64u << 20;

// The picture of a PNG file, or false with the reason said.
bool ReadPng(const std::string& path, RgbaPicture& picture, std::ostream& err) {
    Bytes file;
    std::uint64_t fileSize = 0;
    std::string why;
    if (const files::FileError e = files::ReadPrefix(path, kMaxPngFileBytes, file, fileSize)) {
        why = files::Describe(e);
    } else if (fileSize > kMaxPngFileBytes) {
        why = "larger than " + std::to_string(kMaxPngFileBytes >> 20) + " MiB";
    } else {
        DecodePng(file, picture, why);
    }
    if (why.empty()) return true;
    err << "zelmar import: " << path << ": " << why << '\n';
    return false;
}

int RunImport(const Command& command, const std::vector<std::string>& args, std::ostream& out,
              std::ostream& err) {
    Options options;
    bool fit = false, widthGiven = false;
    int32_t width = kPaperWidth;
    options.AddFlag("fit", &fit);
    options.AddInt32("width", &width, &widthGiven);
    std::vector<std::string> files;
    if (int stop = ParseOrStop(command, options, args, 2, 2, files, out, err); stop >= 0) {
        return stop;
    }
    if (width < 1 || width > kMaxSourceWidth) {
        return UsageError(command, "--width must be 1 to " + std::to_string(kMaxSourceWidth), err);
    }
    const std::string& source = files[0];
    const std::string& target = files[1];
    if (files::SameFile(source, target)) {
        return UsageError(command, "OUT.bmp names the picture itself", err);
    }
    RgbaPicture picture;
    if (!ReadPng(source, picture, err)) return kFailed;
    PictureSize size{picture.width, picture.height};
    if (fit || widthGiven) {
        size = FittedSize(size, width);
    } else if (size.width > kMaxSourceWidth || size.height > kMaxSourceHeight) {
        err << "zelmar import: " << source << ": the picture is " << size.width << " x "
            << size.height << " pixels, larger than the printable " << kMaxSourceWidth << " x "
            << kMaxSourceHeight << "; --fit scales it down to " << kPaperWidth
            << " dots across, --width N to N\n";
        return kFailed;
    }
    if (const files::FileError e = files::Replace(target, ImportedBmp(picture, size))) {
        err << "zelmar import: " << target << ": cannot be written: " << files::Describe(e) << '\n';
        return kFailed;
    }
    out << target << ": " << size.width << " x " << size.height << " pixels, 24 bits\n";
    return kOk;
}

// Shows Progress as one line that rewrites itself.
class ProgressLine {
  public:
    ProgressLine(std::ostream& err, std::size_t images) : err_(err), images_(images) {}
    ~ProgressLine() {
        if (shown_) err_ << '\n';
    }
    void operator()(int32_t data) {
        shown_ = true;
        if (data == 0) {
            err_ << "\rband form written";
        } else {
            err_ << "\rimage " << data << " of " << images_ << " written";
        }
        err_.flush();
    }

  private:
    std::ostream& err_;
    std::size_t images_;
    bool shown_ = false;
};

int RunFileUpload(const Command& command, const std::vector<std::string>& args, std::ostream& out,
                  std::ostream& err) {
    Options options;
    ImageOptions image;
    AddImageOptions(options, image);
    std::string list;
    bool listGiven = false;
    int32_t nvSelect = 0;
    int16_t selectType = 0, selectMargin = 0;
    options.AddText("list", &list, &listGiven);
    options.AddInt32("nv-select", &nvSelect);
    options.AddInt16("select-type", &selectType);
    options.AddInt16("select-margin", &selectMargin);
    std::vector<std::string> positional;
    if (int stop = ParseOrStop(command, options, args, 1, SIZE_MAX, positional, out, err);
        stop >= 0) {
        return stop;
    }
    if (listGiven && positional.size() > 1) {
        return UsageError(command, "give the images either with --list or as arguments", err);
    }
    for (std::size_t i = 1; i < positional.size(); ++i)
        list += positional[i] + "|";

    FileFault fault;
    int32_t status = kFileUploadDone;
    {
        ProgressLine line(err, SplitImageList(list).size());
        ProgressFn progress;
        if (StderrIsTerminal()) progress = [&line](int32_t data) { line(data); };
        status = FileUpload(positional[0], list, nvSelect, image, selectType, selectMargin,
                            progress, &fault);
    }
    out << status << '\n';
    if (status == kFileUploadDone) return kOk;
    err << "zelmar file-upload: ";
    if (fault) {
        err << Describe(fault) << '\n';
    } else if (status == kFileUploadNoImage) {
        err << "no image: each name of the list must be followed by \"|\"\n";
    } else {
        err << "the definitions turn their images: --rotation must be 0 to 3\n";
    }
    return kFailed;
}

int RunFileLoad(const Command& command, const std::vector<std::string>& args, std::ostream& out,
                std::ostream& err) {
    Options options;
    std::vector<std::string> files;
    if (int stop = ParseOrStop(command, options, args, 1, 1, files, out, err); stop >= 0) {
        return stop;
    }
    StderrMessages messages(err);
    out << FileLoad(files[0], messages) << '\n';
    return kOk;
}

// The driver methods' context on this platform; false, with the reason said,
// where there is no print spooler.
bool DriverLinkHere(const Command& command, std::ostream& err) {
    if (links::SystemSpooler()) return true;
    err << "zelmar " << command.name
        << ": the printer-driver link needs Windows: printer queues and their drivers are "
           "Windows's\n";
    return false;
}

int RunDriverUpload(const Command& command, const std::vector<std::string>& args, std::ostream& out,
                    std::ostream& err) {
    Options options;
    ImageOptions image;
    AddImageOptions(options, image);
    std::string printer, top, bottom;
    bool topGiven = false, bottomGiven = false;
    options.AddText("printer", &printer);
    options.AddText("top", &top, &topGiven);
    options.AddText("bottom", &bottom, &bottomGiven);
    std::vector<std::string> none;
    if (int stop = ParseOrStop(command, options, args, 0, 0, none, out, err); stop >= 0) {
        return stop;
    }
    if (printer.empty()) return UsageError(command, "--printer NAME is needed", err);
    if (!topGiven && !bottomGiven) {
        return UsageError(command, "give --top FILE, --bottom FILE or both", err);
    }
    if (!DriverLinkHere(command, err)) return kFailed;
    // Top Logo first, as the definition numbers the images.
    const std::string list = (topGiven ? top + "|" : "") + (bottomGiven ? bottom + "|" : "");
    ProgressLine line(err, SplitImageList(list).size());
    ProgressFn progress;
    if (StderrIsTerminal()) progress = [&line](int32_t data) { line(data); };
    StderrMessages messages(err);
    const int32_t status =
        PrintDriverUpload(HostDeviceContext(messages), printer, list, topGiven ? 1 : 0,
                          bottomGiven ? 1 : 0, image, progress);
    out << status << '\n';
    return status == 0 ? kOk : kFailed;
}

int RunErase(const Command& command, const std::vector<std::string>& args, std::ostream& out,
             std::ostream& err) {
    Options options;
    std::string printer;
    bool printAll = false;
    options.AddText("printer", &printer);
    options.AddFlag("print-all", &printAll);
    std::vector<std::string> none;
    if (int stop = ParseOrStop(command, options, args, 0, 0, none, out, err); stop >= 0) {
        return stop;
    }
    if (printer.empty()) return UsageError(command, "--printer NAME is needed", err);
    if (!DriverLinkHere(command, err)) return kFailed;
    StderrMessages messages(err);
    const int32_t status =
        EraserAll(HostDeviceContext(messages), printer, printAll ? 0 : 1, nullptr);
    out << status << '\n';
    return status == 0 ? kOk : kFailed;
}

// Where a direct job goes: --port NAME (with the serial codes) or --tcp ADDR:PORT.
struct LinkOptions {
    std::string port, tcp;
    bool portGiven = false, tcpGiven = false;
    int32_t printer = 0;
    int32_t baud = 6, parity = 0;
};

void AddLinkOptions(Options& options, LinkOptions& link) {
    options.AddText("port", &link.port, &link.portGiven);
    options.AddText("tcp", &link.tcp, &link.tcpGiven);
    options.AddInt32("printer", &link.printer);
    options.AddInt32("baud", &link.baud);
    options.AddInt32("parity", &link.parity);
}

// The usage problem of the link options, if any.
std::string LinkProblem(const LinkOptions& link) {
    if (link.portGiven == link.tcpGiven) return "give either --port NAME or --tcp ADDRESS:PORT";
    if (link.tcpGiven && link.tcp.rfind(':') == std::string::npos) {
        return "--tcp: '" + link.tcp + "' is not ADDRESS:PORT";
    }
    return {};
}

// Parses a direct job's arguments: -1 to go on, else the exit code.
int ParseLinkJob(const Command& command, Options& options, const LinkOptions& link,
                 const std::vector<std::string>& args, std::size_t maxPositional,
                 std::vector<std::string>& positional, std::ostream& out, std::ostream& err) {
    if (int stop = ParseOrStop(command, options, args, 0, maxPositional, positional, out, err);
        stop >= 0) {
        return stop;
    }
    if (const std::string problem = LinkProblem(link); !problem.empty()) {
        return UsageError(command, problem, err);
    }
    return -1;
}

// What a --port names that a job must not write into, in place, as the link
// would: one of the job's images or working files, or any other existing
// regular file. Empty for a device, a FIFO, and for a name that no file has.
std::string PortClash(const LinkOptions& link, const std::vector<std::string>& images) {
    if (!link.portGiven || links::ChooseLink(link.port) == links::LinkKind::kUsb) return {};
    const std::string path = links::PortPath(link.port);
    if (std::string clash = OutputClash(path, images); !clash.empty()) return clash;
    Bytes none;
    std::uint64_t size = 0;
    return files::ReadPrefix(path, 0, none, size) ? std::string() : "an existing regular file";
}

// Runs the job on the link the options name, prints its status and gives the
// exit code: 0 only for status 0. `images` are the job's pictures.
template <typename PortJob, typename TcpJob>
int RunOnLink(const Command& command, const LinkOptions& link,
              const std::vector<std::string>& images, std::ostream& out, std::ostream& err,
              PortJob&& onPort, TcpJob&& onTcp) {
    if (const std::string clash = PortClash(link, images); !clash.empty()) {
        return UsageError(
            command,
            "--port " + link.port + " names " + clash + ", not a port: the job would write into it",
            err);
    }
    StderrMessages messages(err);
    const DeviceContext context = HostDeviceContext(messages);
    int32_t status;
    if (link.tcpGiven) {
        const std::size_t colon = link.tcp.rfind(':');
        status = onTcp(context, TcpTarget{link.tcp.substr(0, colon), link.tcp.substr(colon + 1)});
    } else {
        status = onPort(context, PortTarget{link.port, {link.baud, link.parity}});
    }
    out << status << '\n';
    return status == 0 ? kOk : kFailed;
}

int RunUpload(const Command& command, const std::vector<std::string>& args, std::ostream& out,
              std::ostream& err) {
    Options options;
    LinkOptions link;
    AddLinkOptions(options, link);
    UploadOptions upload;
    AddImageOptions(options, upload.image);
    options.AddInt16("select-type", &upload.selectType);
    options.AddInt16("select-margin", &upload.selectMargin);
    std::string list;
    bool listGiven = false;
    options.AddText("list", &list, &listGiven);
    std::vector<std::string> images;
    if (int stop = ParseLinkJob(command, options, link, args, SIZE_MAX, images, out, err);
        stop >= 0) {
        return stop;
    }
    if (listGiven && !images.empty()) {
        return UsageError(command, "give the images either with --list or as arguments", err);
    }
    for (const std::string& image : images)
        list += image + "|";
    ProgressLine line(err, SplitImageList(list).size());
    ProgressFn progress;
    if (StderrIsTerminal()) progress = [&line](int32_t data) { line(data); };
    return RunOnLink(
        command, link, SplitImageList(list), out, err,
        [&](const DeviceContext& context, const PortTarget& target) {
            return Upload(context, link.printer, target, list, upload, progress);
        },
        [&](const DeviceContext& context, const TcpTarget& target) {
            return UploadTCPIP(context, link.printer, target, list, upload, progress);
        });
}

int RunPrint(const Command& command, const std::vector<std::string>& args, std::ostream& out,
             std::ostream& err) {
    Options options;
    LinkOptions link;
    AddLinkOptions(options, link);
    std::vector<std::string> none;
    if (int stop = ParseLinkJob(command, options, link, args, 0, none, out, err); stop >= 0) {
        return stop;
    }
    return RunOnLink(
        command, link, {}, out, err,
        [&](const DeviceContext& context, const PortTarget& target) {
            return Print(context, link.printer, target, nullptr);
        },
        [&](const DeviceContext& context, const TcpTarget& target) {
            return PrintTCPIP(context, link.printer, target, nullptr);
        });
}

int RunSaveOptions(const Command& command, const std::vector<std::string>& args, std::ostream& out,
                   std::ostream& err) {
    Options options;
    LinkOptions link;
    AddLinkOptions(options, link);
    LogoSwitches switches;
    options.AddInt16("top", &switches.topLogo);
    options.AddInt16("bottom", &switches.bottomLogo);
    options.AddInt16("watermark", &switches.waterMark);
    options.AddInt16("margin", &switches.marginMessage);
    std::vector<std::string> none;
    if (int stop = ParseLinkJob(command, options, link, args, 0, none, out, err); stop >= 0) {
        return stop;
    }
    return RunOnLink(
        command, link, {}, out, err,
        [&](const DeviceContext& context, const PortTarget& target) {
            return PrinterSave(context, link.printer, target, switches, nullptr);
        },
        [&](const DeviceContext& context, const TcpTarget& target) {
            return PrinterSaveTCPIP(context, link.printer, target, switches, nullptr);
        });
}

const Command kCommands[] = {
    {"info", "print a BMP file's bits per pixel, height and width",
     " FILE\n"
     "Prints bits=<n> height=<h> width=<w>. Exits 1 when FILE is not a readable BMP.\n",
     RunInfo},
    {"preview", "prepare a logo as the preview shows it; print the picture's path",
     " FILE [--mode M] [--brightness B] [--rotation R]\n"
     "Converts FILE as an upload would and writes the working files into the\n"
     "current directory: Temp.bmp, the rotation file and, in mode 2, the colour\n"
     "file chosen by the brightness (12 red, 13 green, 14 blue).\n"
     "Prints the path of the picture to show; when there is none, an empty line,\n"
     "and the reason on stderr (exit code 1).\n"
     "  --mode M        0 None (default), 1 Error Diffusion, 2 Error Diffusion with\n"
     "                  colour files, showing the rotation file\n"
     "  --brightness B  0 ... 10, 5 neutral (default), larger prints darker\n"
     "  --rotation R    0 none (default), 1 right, 2 upside down, 3 left\n",
     RunPreview},
    {"file-upload", "write the printer command stream for a list of logos into a file",
     " OUT [IMAGE ...] [--list \"a.bmp|b.bmp|\"] [--nv-select N] [--mode M]\n"
     "       [--brightness B] [--rotation R] [--select-type T] [--select-margin S]\n"
     "Writes into OUT the NV image definitions of the images (--nv-select 0, the\n"
     "default) or the band form of the first image (any other value), and prints\n"
     "the status: 0 written, 1 OUT or a working file cannot be written (or OUT\n"
     "names an image or a working file), 2 the list names no image, 3 an image\n"
     "does not load or the rotation is not 0 to 3. OUT is replaced only by a\n"
     "complete stream.\n"
     "Each definition also leaves Raster.bmp, its packed dots, in the current directory.\n"
     "  --list L          the image list exactly as the control takes it: each name\n"
     "                    followed by \"|\"; without it the IMAGE arguments make the list\n"
     "  --select-type T   0 Top Logo (default), 1 Bottom Logo, 2 WaterMark,\n"
     "                    3 Margin Message, other values no role header\n"
     "  --select-margin S the Margin Message's position (0 default)\n"
     "  --mode, --brightness, --rotation  as for 'zelmar preview'\n"
     "Exits 0 only for status 0; otherwise says why on stderr.\n",
     RunFileUpload},
    {"import", "turn a PNG picture into a 24-bit BMP logo, laid on white paper",
     " PICTURE.png OUT.bmp [--fit] [--width N]\n"
     "Reads a PNG file of any colour type and bit depth, lays its transparent parts\n"
     "on white paper, and writes OUT.bmp, a 24-bit BMP file that every other command\n"
     "and the application take. A picture larger than the printable 616 x 648\n"
     "pixels is refused, unless it is to be fitted.\n"
     "  --fit      scale the picture down, its aspect ratio kept, to at most 576 dots\n"
     "             across (the usual 80 mm paper) and 648 high; never enlarges it\n"
     "  --width N  fit to at most N dots across instead (1 ... 616); implies --fit\n"
     "Prints OUT.bmp and its size. Reading PNG files needs the native (Linux) build.\n",
     RunImport},
    {"file-load", "show a file name and write an empty Raster.bmp",
     " FILE\n"
     "Shows FILE (on stderr), writes an empty Raster.bmp and prints the status 0.\n",
     RunFileLoad},
    {"driver-upload", "write logos into the printer through its installed driver (Windows)",
     " --printer NAME [--top FILE] [--bottom FILE] [--mode M] [--brightness B]\n"
     "       [--rotation R]\n"
     "Writes TempImage.out (the Top Logo, then the Bottom Logo, as NV images 1 and 2),\n"
     "sends it to the first installed printer whose name is NAME as a raw document,\n"
     "and tells its driver to print the logos given on every receipt. Prints the\n"
     "status: 0 done, -1 the printer does not open (for the job, or for its settings\n"
     "after the job went out), -4 nothing sent (an image does not load, a job file\n"
     "cannot be written, the spooler refused the document) or the settings could not\n"
     "be written, -5 no installed printer's name begins with NAME.\n"
     "  --top FILE, --bottom FILE  the logos; at least one\n"
     "  --mode, --brightness, --rotation  as for 'zelmar preview'\n"
     "Exits 0 only for status 0.\n",
     RunDriverUpload},
    {"erase", "erase every NV image, or print them all, through the printer's driver (Windows)",
     " --printer NAME [--print-all]\n"
     "Sends TempErase.out (erase every NV image) and switches both logos off in the\n"
     "driver's settings; with --print-all sends TempPrint.out instead (print NV\n"
     "images 1 to 255) and leaves the settings. Prints the status, as\n"
     "'zelmar driver-upload' does. Exits 0 only for status 0.\n",
     RunErase},
    {"upload", "write logos into the printer over a port or TCP/IP",
     " (--port NAME | --tcp ADDRESS:PORT) [--printer N] [--baud CODE] [--parity CODE]\n"
     "       [IMAGE ...] [--list L] [--mode M] [--brightness B] [--rotation R]\n"
     "       [--select-type T] [--select-margin S]\n"
     "Asks the printer for its status, then sends the images: with --printer 0 (the\n"
     "default) every image as an NV image of its role (--select-type, as for\n"
     "'zelmar file-upload'), with any other model the band form of the first image\n"
     "(USB printers always take the first way). Prints the status: 0 done, -1 the\n"
     "link cannot be opened, -2 the serial port refused its settings, -3 the printer\n"
     "is not ready, -4 a write failed or an image cannot be used (nothing of the\n"
     "images sent).\n"
     "  --list, --mode, --brightness, --rotation  as for 'zelmar file-upload'\n",
     RunUpload, true},
    {"print", "print what the printer stores: the cut, or its sample print",
     " (--port NAME | --tcp ADDRESS:PORT) [--printer N] [--baud CODE] [--parity CODE]\n"
     "Models 0 and 3 get the cut (CR LF, ESC i), other models the sample print of\n"
     "the stored images. Prints the status, as 'zelmar upload' does.\n",
     RunPrint, true},
    {"save-options", "store the logo switches in the printer",
     " (--port NAME | --tcp ADDRESS:PORT) [--printer N] [--baud CODE] [--parity CODE]\n"
     "       [--top N] [--bottom N] [--watermark N] [--margin N]\n"
     "Sends the options command with the four switches (0 off, 1 on; 0 when not\n"
     "given) to printers of models 0 and 3; other models are sent nothing. Prints\n"
     "the status, as 'zelmar upload' does.\n"
     "Exits 0 only for status 0.\n",
     RunSaveOptions},
};

void PrintOverview(std::ostream& out) {
    out << "usage: zelmar <command> [arguments]\n\ncommands:\n";
    for (const Command& c : kCommands)
        out << "  " << c.name << "  " << c.summary << '\n';
    out << "\n'zelmar <command> --help' describes a command.\n";
}

}  // namespace

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) {
        PrintOverview(err);
        return kUsage;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        PrintOverview(out);
        return kOk;
    }
    for (const Command& command : kCommands) {
        if (args[0] == command.name) {
            return command.run(command, {args.begin() + 1, args.end()}, out, err);
        }
    }
    err << "zelmar: unknown command '" << args[0] << "'\n";
    PrintOverview(err);
    return kUsage;
}

}  // namespace zelmar::cli
