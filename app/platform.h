// The window logic's services over Win32: the system's code page and
// printers, the program's folder, files, and text between UTF-8 and the
// platform's wide and ANSI forms.
#pragma once

#include <windows.h>

#include <string>

#include "services.h"

namespace orvenna {

std::wstring Wide(const std::string& utf8);
std::string Utf8(const std::wstring& wide);

class Win32Environment : public Environment {
  public:
    unsigned CodePage() const override;
    std::vector<std::string> Printers() const override;
    std::string ProgramDirectory() const override;
};

class Win32Files : public Files {
  public:
    std::optional<std::string> Read(const std::string& path, std::size_t limit) const override;
    bool Replace(const std::string& path, const std::string& bytes) override;
    bool Remove(const std::string& path) override;
    bool IsPresentFile(const std::string& path) const override;
};

class Win32AnsiText : public AnsiText {
  public:
    std::optional<std::string> Encode(const std::string& text) const override;
    std::string Decode(const std::string& ansi) const override;
};

// The common open-file dialog, owned by the main window. It leaves the
// process's current directory alone: the control writes its working files
// there.
class Win32FileDialog : public FileDialog {
  public:
    void SetOwner(HWND owner) { owner_ = owner; }
    std::optional<ChosenFile> OpenLogo(const std::string& initialFolder) override;

  private:
    HWND owner_ = nullptr;
};

class Win32Clock : public Clock {
  public:
    void Wait(int milliseconds) override { Sleep(static_cast<DWORD>(milliseconds)); }
};

}  // namespace orvenna
