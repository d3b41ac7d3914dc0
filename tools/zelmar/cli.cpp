#include "cli.h"

#include <cstdint>
#include <ostream>

#include "methods/image_methods.h"
#include "options.h"
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
};

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
    {"file-load", "show a file name and write an empty Raster.bmp",
     " FILE\n"
     "Shows FILE (on stderr), writes an empty Raster.bmp and prints the status 0.\n",
     RunFileLoad},
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
