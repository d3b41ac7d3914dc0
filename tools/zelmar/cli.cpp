#include "cli.h"

#include <cstdint>
#include <initializer_list>
#include <optional>
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

struct Call;

struct Command {
    const char* name;
    const char* summary;
    const char* usage;  // the lines after "usage: zelmar <name>", before the options'
    Arguments arguments;
    Options options;
    int (*run)(const Call&);
};

int UsageError(const Command& command, const std::string& message, std::ostream& err) {
    err << "zelmar " << command.name << ": " << message << "\n"
        << "Try 'zelmar " << command.name << " --help'.\n";
    return kUsage;
}

// One command line, its options read.
struct Call {
    const Command& command;
    const Values& values;
    std::ostream& out;
    std::ostream& err;

    int Refuse(const std::string& message) const { return UsageError(command, message, err); }
    // Prints a device method's status: exit 0 only for status 0.
    int Report(int32_t status) const {
        out << status << '\n';
        return status == 0 ? kOk : kFailed;
    }
};

Options Join(std::initializer_list<Options> groups) {
    Options joined;
    for (const Options& group : groups)
        joined.insert(joined.end(), group.begin(), group.end());
    return joined;
}

const Options kImageOptions = {
    Int16("mode", "M", ImageOptions{}.imageMode,
          "0 None (default), 1 Error Diffusion, 2 Error Diffusion with\n"
          "colour files, showing the rotation file"),
    Int16("brightness", "B", ImageOptions{}.brightness,
          "0 ... 10, 5 neutral (default), larger prints darker"),
    Int16("rotation", "R", ImageOptions{}.rotation,
          "0 none (default), 1 right, 2 upside down, 3 left"),
};

ImageOptions ImageOf(const Values& values) {
    ImageOptions image;
    image.imageMode = values.Int16("mode");
    image.brightness = values.Int16("brightness");
    image.rotation = values.Int16("rotation");
    return image;
}

// The images of an upload and the role their definitions get.
const Options kListOptions = {
    Text("list", "L",
         "the image list exactly as the control takes it: each name\n"
         "followed by \"|\"; without it the IMAGE arguments make the list"),
    Int16("select-type", "T", UploadOptions{}.selectType,
          "0 Top Logo (default), 1 Bottom Logo, 2 WaterMark,\n"
          "3 Margin Message, other values no role header"),
    Int16("select-margin", "S", UploadOptions{}.selectMargin,
          "the Margin Message's position (0 default)"),
};

UploadOptions UploadOf(const Values& values) {
    UploadOptions upload;
    upload.image = ImageOf(values);
    upload.selectType = values.Int16("select-type");
    upload.selectMargin = values.Int16("select-margin");
    return upload;
}

// --list as given, or else the arguments from `first` on, each followed by
// "|"; none when both are there.
std::optional<std::string> ImageList(const Values& values, std::size_t first) {
    std::string list = values.Text("list");
    if (values.Given("list") && values.positional.size() > first) return std::nullopt;
    for (std::size_t i = first; i < values.positional.size(); ++i)
        list += values.positional[i] + "|";
    return list;
}

constexpr char kListOrArguments[] = "give the images either with --list or as arguments";

// Where a direct job goes: --port NAME (with the serial codes) or --tcp ADDR:PORT.
const Options kLinkOptions = {
    Text("port", "NAME",
         "COM1 ... COM12 a serial port, USB... the first USB printer,\n"
         "any other name (LPT1, LPT2, a device path) a port opened as\n"
         "a device file; a regular file, an image or a working file\n"
         "is refused"),
    Text("tcp", "A:P", "a printer taking raw jobs on TCP port P of address A"),
    Int32("printer", "N", 0, "the model: 0 (default), 3, or another"),
    Int32("baud", "CODE", links::SerialSettings{}.baudCode,
          "serial rate: 3 1200, 4 2400, 5 4800, 6 9600 (default), 7 19200,\n"
          "8 38400, 9 57600, 10 115200; another code keeps the port's rate"),
    Int32("parity", "CODE", links::SerialSettings{}.parityCode,
          "serial parity: 0 none (default), 1 even, 2 odd"),
};

// The printer queue of the driver link.
const Option kQueue =
    Text("printer", "NAME", "the installed printer: the first whose name begins with NAME")
        .Needed();

int RunInfo(const Call& call) {
    const std::string& file = call.values.positional[0];
    BmpHeader header;
    if (const SourceError e = ReadBmpInfo(file, header)) {
        call.err << "zelmar info: " << file << ": " << Describe(e) << '\n';
        return kFailed;
    }
    call.out << "bits=" << header.depth << " height=" << header.height << " width=" << header.width
             << '\n';
    return kOk;
}

int RunPreview(const Call& call) {
    StderrMessages messages(call.err);
    FileFault fault;
    const std::string shown =
        Preview(call.values.positional[0], ImageOf(call.values), &messages, &fault);
    // The line is printed even when empty: scripts read it.
    call.out << shown << '\n';
    if (!shown.empty()) return kOk;
    if (fault) {
        call.err << "zelmar preview: " << Describe(fault) << '\n';
    } else {
        call.err << "zelmar preview: mode 2 shows a rotation file: --rotation must be 0 to 3\n";
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

int RunImport(const Call& call) {
    const std::string& source = call.values.positional[0];
    const std::string& target = call.values.positional[1];
    if (files::SameFile(source, target)) return call.Refuse("OUT.bmp names the picture itself");
    RgbaPicture picture;
    if (!ReadPng(source, picture, call.err)) return kFailed;
    PictureSize size{picture.width, picture.height};
    if (call.values.Given("fit") || call.values.Given("width")) {
        size = FittedSize(size, call.values.Int32("width"));
    } else if (size.width > kMaxSourceWidth || size.height > kMaxSourceHeight) {
        call.err << "zelmar import: " << source << ": the picture is " << size.width << " x "
                 << size.height << " pixels, larger than the printable " << kMaxSourceWidth << " x "
                 << kMaxSourceHeight << "; --fit scales it down to " << kPaperWidth
                 << " dots across, --width N to N\n";
        return kFailed;
    }
    if (const files::FileError e = files::Replace(target, ImportedBmp(picture, size))) {
        call.err << "zelmar import: " << target << ": cannot be written: " << files::Describe(e)
                 << '\n';
        return kFailed;
    }
    call.out << target << ": " << size.width << " x " << size.height << " pixels, 24 bits\n";
    return kOk;
}

// Shows Progress as one line that rewrites itself.
class ProgressLine {
  public:
    ProgressLine(std::ostream& err, const std::string& list)
        : err_(err), images_(SplitImageList(list).size()) {}
    ~ProgressLine() {
        if (shown_) err_ << '\n';
    }
    // What the job calls back: nothing when stderr is not a terminal.
    ProgressFn Callback() {
        if (!StderrIsTerminal()) return {};
        return [this](int32_t data) { Show(data); };
    }

  private:
    void Show(int32_t data) {
        shown_ = true;
        if (data == 0) {
            err_ << "\rband form written";
        } else {
            err_ << "\rimage " << data << " of " << images_ << " written";
        }
        err_.flush();
    }

    std::ostream& err_;
    std::size_t images_;
    bool shown_ = false;
};

int RunFileUpload(const Call& call) {
    const std::optional<std::string> list = ImageList(call.values, 1);
    if (!list) return call.Refuse(kListOrArguments);
    const UploadOptions upload = UploadOf(call.values);
    FileFault fault;
    int32_t status = kFileUploadDone;
    {
        ProgressLine line(call.err, *list);
        status = FileUpload(call.values.positional[0], *list, call.values.Int32("nv-select"),
                            upload.image, upload.selectType, upload.selectMargin, line.Callback(),
                            &fault);
    }
    call.out << status << '\n';
    if (status == kFileUploadDone) return kOk;
    call.err << "zelmar file-upload: ";
    if (fault) {
        call.err << Describe(fault) << '\n';
    } else if (status == kFileUploadNoImage) {
        call.err << "no image: each name of the list must be followed by \"|\"\n";
    } else {
        call.err << "the definitions turn their images: --rotation must be 0 to 3\n";
    }
    return kFailed;
}

int RunFileLoad(const Call& call) {
    StderrMessages messages(call.err);
    call.out << FileLoad(call.values.positional[0], messages) << '\n';
    return kOk;
}

// The driver methods' context on this platform; false, with the reason said,
// where there is no print spooler.
bool DriverLinkHere(const Call& call) {
    if (links::SystemSpooler()) return true;
    call.err << "zelmar " << call.command.name
             << ": the printer-driver link needs Windows: printer queues and their drivers are "
                "Windows's\n";
    return false;
}

int RunDriverUpload(const Call& call) {
    const bool top = call.values.Given("top"), bottom = call.values.Given("bottom");
    if (!top && !bottom) return call.Refuse("give --top FILE, --bottom FILE or both");
    if (!DriverLinkHere(call)) return kFailed;
    // Top Logo first, as the definition numbers the images.
    const std::string list = (top ? call.values.Text("top") + "|" : "") +
                             (bottom ? call.values.Text("bottom") + "|" : "");
    ProgressLine line(call.err, list);
    StderrMessages messages(call.err);
    return call.Report(PrintDriverUpload(HostDeviceContext(messages), call.values.Text("printer"),
                                         list, top ? 1 : 0, bottom ? 1 : 0, ImageOf(call.values),
                                         line.Callback()));
}

int RunErase(const Call& call) {
    if (!DriverLinkHere(call)) return kFailed;
    StderrMessages messages(call.err);
    return call.Report(EraserAll(HostDeviceContext(messages), call.values.Text("printer"),
                                 call.values.Given("print-all") ? 0 : 1, nullptr));
}

// The usage problem of the link options, if any.
std::string LinkProblem(const Values& values) {
    if (values.Given("port") == values.Given("tcp")) {
        return "give either --port NAME or --tcp ADDRESS:PORT";
    }
    const std::string& tcp = values.Text("tcp");
    if (values.Given("tcp") && tcp.rfind(':') == std::string::npos) {
        return "--tcp: '" + tcp + "' is not ADDRESS:PORT";
    }
    return {};
}

// What a --port names that a job must not write into, in place, as the link
// would: one of the job's images or working files, or any other existing
// regular file. Empty for a device, a FIFO, and for a name that no file has.
std::string PortClash(const std::string& port, const std::vector<std::string>& images) {
    if (links::ChooseLink(port) == links::LinkKind::kUsb) return {};
    const std::string path = links::PortPath(port);
    if (std::string clash = OutputClash(path, images); !clash.empty()) return clash;
    Bytes none;
    std::uint64_t size = 0;
    return files::ReadPrefix(path, 0, none, size) ? std::string() : "an existing regular file";
}

// Runs the job on the link the options name and reports its status. `images`
// are the job's pictures. Each job gets the context and the printer model.
template <typename PortJob, typename TcpJob>
int RunOnLink(const Call& call, const std::vector<std::string>& images, PortJob&& onPort,
              TcpJob&& onTcp) {
    const Values& values = call.values;
    if (const std::string problem = LinkProblem(values); !problem.empty()) {
        return call.Refuse(problem);
    }
    const std::string& port = values.Text("port");
    if (const std::string clash = values.Given("port") ? PortClash(port, images) : "";
        !clash.empty()) {
        return call.Refuse("--port " + port + " names " + clash +
                           ", not a port: the job would write into it");
    }
    StderrMessages messages(call.err);
    const DeviceContext context = HostDeviceContext(messages);
    const int32_t printer = values.Int32("printer");
    if (values.Given("tcp")) {
        const std::string& tcp = values.Text("tcp");
        const std::size_t colon = tcp.rfind(':');
        return call.Report(
            onTcp(context, printer, TcpTarget{tcp.substr(0, colon), tcp.substr(colon + 1)}));
    }
    return call.Report(
        onPort(context, printer, PortTarget{port, {values.Int32("baud"), values.Int32("parity")}}));
}

int RunUpload(const Call& call) {
    const std::optional<std::string> list = ImageList(call.values, 0);
    if (!list) return call.Refuse(kListOrArguments);
    const UploadOptions upload = UploadOf(call.values);
    ProgressLine line(call.err, *list);
    const ProgressFn progress = line.Callback();
    return RunOnLink(
        call, SplitImageList(*list),
        [&](const DeviceContext& context, int32_t printer, const PortTarget& target) {
            return Upload(context, printer, target, *list, upload, progress);
        },
        [&](const DeviceContext& context, int32_t printer, const TcpTarget& target) {
            return UploadTCPIP(context, printer, target, *list, upload, progress);
        });
}

int RunPrint(const Call& call) {
    return RunOnLink(
        call, {},
        [](const DeviceContext& context, int32_t printer, const PortTarget& target) {
            return Print(context, printer, target, nullptr);
        },
        [](const DeviceContext& context, int32_t printer, const TcpTarget& target) {
            return PrintTCPIP(context, printer, target, nullptr);
        });
}

int RunSaveOptions(const Call& call) {
    LogoSwitches switches;
    switches.topLogo = call.values.Int16("top");
    switches.bottomLogo = call.values.Int16("bottom");
    switches.waterMark = call.values.Int16("watermark");
    switches.marginMessage = call.values.Int16("margin");
    return RunOnLink(
        call, {},
        [&](const DeviceContext& context, int32_t printer, const PortTarget& target) {
            return PrinterSave(context, printer, target, switches, nullptr);
        },
        [&](const DeviceContext& context, int32_t printer, const TcpTarget& target) {
            return PrinterSaveTCPIP(context, printer, target, switches, nullptr);
        });
}

constexpr std::size_t kAny = SIZE_MAX;

const Command kCommands[] = {
    {"info",
     "print a BMP file's bits per pixel, height and width",
     " FILE\n"
     "Prints bits=<n> height=<h> width=<w>. Exits 1 when FILE is not a readable BMP.\n",
     {1, 1},
     {},
     RunInfo},
    {"preview",
     "prepare a logo as the preview shows it; print the picture's path",
     " FILE [--mode M] [--brightness B] [--rotation R]\n"
     "Converts FILE as an upload would and writes the working files into the\n"
     "current directory: Temp.bmp, the rotation file and, in mode 2, the colour\n"
     "file chosen by the brightness (12 red, 13 green, 14 blue).\n"
     "Prints the path of the picture to show; when there is none, an empty line,\n"
     "and the reason on stderr (exit code 1).\n",
     {1, 1},
     kImageOptions,
     RunPreview},
    {"file-upload",
     "write the printer command stream for a list of logos into a file",
     " OUT [IMAGE ...] [--list \"a.bmp|b.bmp|\"] [--nv-select N] [--mode M]\n"
     "       [--brightness B] [--rotation R] [--select-type T] [--select-margin S]\n"
     "Writes into OUT the NV image definitions of the images (--nv-select 0, the\n"
     "default) or the band form of the first image (any other value), and prints\n"
     "the status: 0 written, 1 OUT or a working file cannot be written (or OUT\n"
     "names an image or a working file), 2 the list names no image, 3 an image\n"
     "does not load or the rotation is not 0 to 3. OUT is replaced only by a\n"
     "complete stream.\n"
     "Each definition also leaves Raster.bmp, its packed dots, in the current directory.\n"
     "Exits 0 only for status 0; otherwise says why on stderr.\n",
     {1, kAny},
     Join({kListOptions,
           {Int32("nv-select", "N", 0,
                  "0 the NV image definitions (default), another value the band\n"
                  "form of the first image")},
           kImageOptions}),
     RunFileUpload},
    {"import",
     "turn a PNG picture into a 24-bit BMP logo, laid on white paper",
     " PICTURE.png OUT.bmp [--fit] [--width N]\n"
     "Reads a PNG file of any colour type and bit depth, lays its transparent parts\n"
     "on white paper, and writes OUT.bmp, a 24-bit BMP file that every other command\n"
     "and the application take. A picture larger than the printable 616 x 648\n"
     "pixels is refused, unless it is to be fitted.\n"
     "Prints OUT.bmp and its size. Reading PNG files needs the native (Linux) build.\n",
     {2, 2},
     {Flag("fit",
           "scale the picture down, its aspect ratio kept, to at most 576 dots\n"
           "across (the usual 80 mm paper) and 648 high; never enlarges it"),
      Int32("width", "N", kPaperWidth,
            "fit to at most N dots across instead (1 ... 616); implies --fit")
          .Within(1, kMaxSourceWidth)},
     RunImport},
    {"file-load",
     "show a file name and write an empty Raster.bmp",
     " FILE\n"
     "Shows FILE (on stderr), writes an empty Raster.bmp and prints the status 0.\n",
     {1, 1},
     {},
     RunFileLoad},
    {"driver-upload",
     "write logos into the printer through its installed driver (Windows)",
     " --printer NAME [--top FILE] [--bottom FILE] [--mode M] [--brightness B]\n"
     "       [--rotation R]\n"
     "Writes TempImage.out (the Top Logo, then the Bottom Logo, as NV images 1 and 2),\n"
     "sends it to the first installed printer whose name is NAME as a raw document,\n"
     "and tells its driver to print the logos given on every receipt. Prints the\n"
     "status: 0 done, -1 the printer does not open (for the job, or for its settings\n"
     "after the job went out), -4 nothing sent (an image does not load, a job file\n"
     "cannot be written, the spooler refused the document) or the settings could not\n"
     "be written, -5 no installed printer's name begins with NAME.\n"
     "Exits 0 only for status 0.\n",
     {0, 0},
     Join({{kQueue, Text("top", "FILE", "the Top Logo"),
            Text("bottom", "FILE", "the Bottom Logo; at least one of the two")},
           kImageOptions}),
     RunDriverUpload},
    {"erase",
     "erase every NV image, or print them all, through the printer's driver (Windows)",
     " --printer NAME [--print-all]\n"
     "Sends TempErase.out (erase every NV image) and switches both logos off in the\n"
     "driver's settings; with --print-all sends TempPrint.out instead (print NV\n"
     "images 1 to 255) and leaves the settings. Prints the status, as\n"
     "'zelmar driver-upload' does. Exits 0 only for status 0.\n",
     {0, 0},
     {kQueue, Flag("print-all", "print every NV image instead of erasing them")},
     RunErase},
    {"upload",
     "write logos into the printer over a port or TCP/IP",
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
     "Exits 0 only for status 0.\n",
     {0, kAny},
     Join({kLinkOptions, kListOptions, kImageOptions}),
     RunUpload},
    {"print",
     "print what the printer stores: the cut, or its sample print",
     " (--port NAME | --tcp ADDRESS:PORT) [--printer N] [--baud CODE] [--parity CODE]\n"
     "Models 0 and 3 get the cut (CR LF, ESC i), other models the sample print of\n"
     "the stored images. Prints the status, as 'zelmar upload' does.\n"
     "Exits 0 only for status 0.\n",
     {0, 0},
     kLinkOptions,
     RunPrint},
    {"save-options",
     "store the logo switches in the printer",
     " (--port NAME | --tcp ADDRESS:PORT) [--printer N] [--baud CODE] [--parity CODE]\n"
     "       [--top N] [--bottom N] [--watermark N] [--margin N]\n"
     "Sends the options command with the four switches (0 off, 1 on; 0 when not\n"
     "given) to printers of models 0 and 3; other models are sent nothing. Prints\n"
     "the status, as 'zelmar upload' does.\n"
     "Exits 0 only for status 0.\n",
     {0, 0},
     Join({kLinkOptions,
           {Int16("top", "N", LogoSwitches{}.topLogo, "the Top Logo's switch"),
            Int16("bottom", "N", LogoSwitches{}.bottomLogo, "the Bottom Logo's switch"),
            Int16("watermark", "N", LogoSwitches{}.waterMark, "the WaterMark's switch"),
            Int16("margin", "N", LogoSwitches{}.marginMessage, "the Margin Message's switch")}}),
     RunSaveOptions},
};

// Reads the command's options, then runs it, answers --help or refuses the line.
int RunCommand(const Command& command, const std::vector<std::string>& args, std::ostream& out,
               std::ostream& err) {
    const Reading reading = Read(command.options, command.arguments, args);
    if (!reading.error.empty()) return UsageError(command, reading.error, err);
    if (reading.help) {
        out << "usage: zelmar " << command.name << command.usage;
        WriteHelp(command.options, out);
        return kOk;
    }
    return command.run(Call{command, reading.values, out, err});
}

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
            return RunCommand(command, {args.begin() + 1, args.end()}, out, err);
        }
    }
    err << "zelmar: unknown command '" << args[0] << "'\n";
    PrintOverview(err);
    return kUsage;
}

}  // namespace zelmar::cli
