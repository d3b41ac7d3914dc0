// The translation file "Thermal.ini" and the places it is looked for, and the
// system's directories they are made from.
#pragma once

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tivrap::win32 {

// The system directory and the directory this module was loaded from, as
// long as the system reports them; none when it cannot.
std::optional<std::wstring> SystemDirectory();
std::optional<std::wstring> ModuleDirectory();

// Where the translation file is looked for, in order: where the driver puts
// it (the 32-bit print-processor directory "w32x86" under the system
// directory), then the print processor's own directory (on x64 that is not
// "w32x86").
std::vector<std::wstring> ThermalIniPlaces(const std::optional<std::wstring>& systemDirectory,
                                           const std::optional<std::wstring>& moduleDirectory);

// The values of section "thermal" for one job, from the first of `places`
// that holds a file, as 8-bit text in the system code page. Each key is read
// once a job.
class ThermalIni {
  public:
    explicit ThermalIni(std::vector<std::wstring> places) : places_(std::move(places)) {}
    // The value of `key`, empty when there is none (or no file).
    std::string Value(const std::u16string& key);

  private:
    const std::wstring* File();

    std::vector<std::wstring> places_;
    bool looked_ = false;  // for the file, once
    std::optional<std::wstring> file_;
    std::map<std::u16string, std::string> values_;
};

}  // namespace tivrap::win32
