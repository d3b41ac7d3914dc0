// What the window logic asks of the platform, each behind a small interface:
// the Windows program implements them over Win32, the tests with fakes.
// Text is UTF-8 throughout; only profile files hold the ANSI code page.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvenna {

class Environment {
  public:
    virtual ~Environment() = default;
    // The system's ANSI code page number.
    virtual unsigned CodePage() const = 0;
    // The installed printers' names, in the platform's order.
    virtual std::vector<std::string> Printers() const = 0;
    // The folder that holds the program, without a final separator.
    virtual std::string ProgramDirectory() const = 0;
};

class Files {
  public:
    virtual ~Files() = default;
    // The whole file; nothing when it cannot be read whole or holds more
    // than `limit` bytes.
    virtual std::optional<std::string> Read(const std::string& path, std::size_t limit) const = 0;
    // Writes `bytes` completely to a new file beside `path`, then puts it in
    // the place of `path`. False, with `path` as it was, when either fails.
    virtual bool Replace(const std::string& path, const std::string& bytes) = 0;
    // Deletes `path`; true also when there was none.
    virtual bool Remove(const std::string& path) = 0;
    // Whether `path` is a file (hidden and system files count; a folder or
    // nothing does not).
    virtual bool IsPresentFile(const std::string& path) const = 0;
};

// The system's ANSI code page, in which profile files are written.
class AnsiText {
  public:
    virtual ~AnsiText() = default;
    // `text` in the code page, exactly: nothing when a character has no exact
    // form there (a best-fit substitute would name another file).
    virtual std::optional<std::string> Encode(const std::string& text) const = 0;
    virtual std::string Decode(const std::string& ansi) const = 0;
};

// The Zelmar control's methods that the window calls, by dispatch id. Text
// is UTF-8 here; the control takes the host's wide text.
class LogoControl {
  public:
    virtual ~LogoControl() = default;
    // 0 with the outputs set; -1 (outputs untouched) when the file is not a
    // readable bitmap or the control cannot be reached.
    virtual int32_t BitmapInfo(const std::string& path, int32_t& bitsPixel, int32_t& height,
                               int32_t& width) = 0;
    // The picture to show; empty when there is none.
    virtual std::string Preview(const std::string& path, int imageMode, int brightness,
                                int rotation) = 0;
    // The status numbers of the device methods; -1 when the control cannot
    // be reached.
    virtual int32_t PrintDriverUpload(const std::string& printer, const std::string& images,
                                      const std::string& top, const std::string& bottom,
                                      int topLogo, int bottomLogo, int imageMode, int brightness,
                                      int rotation) = 0;
    virtual int32_t EraserAll(const std::string& printer, int mode) = 0;
};

struct ChosenFile {
    std::string path;   // the full path
    std::string title;  // the name without its folder
};

// The common open-file dialog for a logo ("Logo File (*.bmp)").
class FileDialog {
  public:
    virtual ~FileDialog() = default;
    // Nothing when the user cancels.
    virtual std::optional<ChosenFile> OpenLogo(const std::string& initialFolder) = 0;
};

class Clock {
  public:
    virtual ~Clock() = default;
    virtual void Wait(int milliseconds) = 0;
};

}  // namespace orvenna
