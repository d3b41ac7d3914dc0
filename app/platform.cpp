#include "platform.h"

#include <commdlg.h>
#include <winspool.h>

#include <limits>
#include <stdexcept>
#include <vector>

#include "win32/handle_owners.h"

namespace orvenna {

namespace {

int Length(std::size_t size) {
    if (size > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        throw std::length_error("text too long");
    }
    return static_cast<int>(size);
}

std::wstring ToWide(UINT codePage, const std::string& text) {
    if (text.empty()) return {};
    const int length = Length(text.size());
    const int needed = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(needed > 0 ? needed : 0), L'\0');
    if (needed > 0) MultiByteToWideChar(codePage, 0, text.data(), length, wide.data(), needed);
    return wide;
}

std::string FromWide(UINT codePage, const std::wstring& wide) {
    if (wide.empty()) return {};
    const int length = Length(wide.size());
    const int needed =
        WideCharToMultiByte(codePage, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(needed > 0 ? needed : 0), '\0');
    if (needed > 0) {
        WideCharToMultiByte(codePage, 0, wide.data(), length, text.data(), needed, nullptr,
                            nullptr);
    }
    return text;
}

// The file beside `path` that a new version is written to first.
std::wstring NewVersion(const std::wstring& path) {
    return path + L".new";
}

}  // namespace

std::wstring Wide(const std::string& utf8) {
    return ToWide(CP_UTF8, utf8);
}

std::string Utf8(const std::wstring& wide) {
    return FromWide(CP_UTF8, wide);
}

unsigned Win32Environment::CodePage() const {
    return GetACP();
}

std::vector<std::string> Win32Environment::Printers() const {
    DWORD needed = 0, count = 0;
    const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    EnumPrintersW(flags, nullptr, 4, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed);
    std::vector<std::string> names;
    if (needed == 0 || !EnumPrintersW(flags, nullptr, 4, buffer.data(), needed, &needed, &count)) {
        return names;
    }
    const auto* printers = reinterpret_cast<const PRINTER_INFO_4W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i)
        names.push_back(Utf8(printers[i].pPrinterName));
    return names;
}

std::string Win32Environment::ProgramDirectory() const {
    std::vector<wchar_t> path(MAX_PATH);
    DWORD length = 0;
    while ((length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()))) ==
           path.size()) {
        path.resize(path.size() * 2);
    }
    const std::wstring program(path.data(), length);
    return Utf8(program.substr(0, program.find_last_of(L'\\')));
}

std::optional<std::string> Win32Files::Read(const std::string& path, std::size_t limit) const {
    const zelmar::win32::UniqueFile file(CreateFileW(Wide(path).c_str(), GENERIC_READ,
                                                     FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size = {};
    if (!file || !GetFileSizeEx(file.get(), &size) ||
        static_cast<unsigned long long>(size.QuadPart) > limit) {
        return std::nullopt;
    }
    std::string bytes;
    char block[4096];
    for (;;) {
        DWORD read = 0;
        // A failed read mid-file is no file: part of a list is not the list.
        if (!ReadFile(file.get(), block, sizeof block, &read, nullptr)) return std::nullopt;
        if (read == 0) return bytes;
        bytes.append(block, read);
        if (bytes.size() > limit) return std::nullopt;  // grown since
    }
}

bool Win32Files::Replace(const std::string& path, const std::string& bytes) {
    const std::wstring target = Wide(path);
    const std::wstring written = NewVersion(target);
    {
        const zelmar::win32::UniqueFile file(CreateFileW(written.c_str(), GENERIC_WRITE, 0, nullptr,
                                                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                                         nullptr));
        DWORD done = 0;
        if (!file ||
            !WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &done,
                       nullptr) ||
            done != bytes.size() || !FlushFileBuffers(file.get())) {
            DeleteFileW(written.c_str());
            return false;
        }
    }
    if (!MoveFileExW(written.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(written.c_str());
        return false;
    }
    return true;
}

bool Win32Files::Remove(const std::string& path) {
    const std::wstring target = Wide(path);
    return DeleteFileW(target.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND ||
           GetLastError() == ERROR_PATH_NOT_FOUND;
}

bool Win32Files::IsPresentFile(const std::string& path) const {
    const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<ChosenFile> Win32FileDialog::OpenLogo(const std::string& initialFolder) {
    std::vector<wchar_t> path(32768), title(MAX_PATH);
    const std::wstring folder = Wide(initialFolder);
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner_;
    dialog.lpstrFilter = L"Logo File (*.bmp)\0*.bmp\0";
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = static_cast<DWORD>(path.size());
    dialog.lpstrFileTitle = title.data();
    dialog.nMaxFileTitle = static_cast<DWORD>(title.size());
    dialog.lpstrInitialDir = folder.c_str();
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&dialog)) return std::nullopt;
    return ChosenFile{Utf8(path.data()), Utf8(title.data())};
}

std::optional<std::string> Win32AnsiText::Encode(const std::string& text) const {
    // Exact only when the text comes back unchanged: a best-fit substitute
    // ("a" for "ā") or a default character would name another file.
    const std::wstring wide = Wide(text);
    const std::string ansi = FromWide(CP_ACP, wide);
    if (ToWide(CP_ACP, ansi) != wide) return std::nullopt;
    return ansi;
}

std::string Win32AnsiText::Decode(const std::string& ansi) const {
    return Utf8(ToWide(CP_ACP, ansi));
}

}  // namespace orvenna
