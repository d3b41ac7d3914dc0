#include "cli.h"

#include <ostream>

#include "engine/image_methods.h"
#include "options.h"

namespace zelmar::cli {

namespace {

class StderrMessages : public MessageSink {
  public:
    explicit StderrMessages(std::ostream& err) : err_(err) {}
    void ShowMessage(const std::string& text, const std::string& caption) override {
        err_ << caption << ": " << text << '\n';
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

// Parses the options; returns -1 to go on, or the exit code to stop with.
int ParseOrStop(const Command& command, const Options& options,
                const std::vector<std::string>& args, std::size_t positionalCount,
                std::vector<std::string>& positional, std::ostream& out, std::ostream& err) {
    bool help = false;
    std::string error;
    if (!options.Parse(args, positional, help, error)) return UsageError(command, error, err);
    if (help) {
        out << "usage: zelmar " << command.name << command.usage;
        return kOk;
    }
    if (positional.size() != positionalCount) {
        return UsageError(command,
                          "expected " + std::to_string(positionalCount) + " argument(s), got " +
                              std::to_string(positional.size()),
                          err);
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
    if (int stop = ParseOrStop(command, options, args, 1, files, out, err); stop >= 0) {
        return stop;
    }
    BmpHeader header;
    if (BmpError e = ReadBmpInfo(files[0], header); e != BmpError::kNone) {
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
    if (int stop = ParseOrStop(command, options, args, 1, files, out, err); stop >= 0) {
        return stop;
    }
    StderrMessages messages(err);
    out << Preview(files[0], image, &messages) << '\n';
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
     "Prints the path of the picture to show (an empty line when there is none).\n"
     "  --mode M        0 None (default), 1 Error Diffusion, 2 Error Diffusion with\n"
     "                  colour files, showing the rotation file\n"
     "  --brightness B  0 ... 10, 5 neutral (default), larger prints darker\n"
     "  --rotation R    0 none (default), 1 right, 2 upside down, 3 left\n",
     RunPreview},
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
