#include <windows.h>

#include <algorithm>
#include <vector>

#include "files.h"

namespace zelmar::files {

namespace {

FileError FromCode(DWORD code) {
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
            return {Reason::kNotFound, code};
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
            return {Reason::kPermission, code};
        case ERROR_FILENAME_EXCED_RANGE:
        case ERROR_BUFFER_OVERFLOW:
            return {Reason::kNameTooLong, code};
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return {Reason::kDiskFull, code};
        default:
            return {Reason::kOther, code};
    }
}

FileError LastError() {
    return FromCode(GetLastError());
}

// Paths arrive in the system code page, as the narrow calls take them.
std::wstring Widened(const std::string& text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(std::max(length, 0)), L'\0');
    if (length > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), size, &wide[0], length);
    return wide;
}

bool StartsWith(const std::wstring& text, const wchar_t* prefix) {
    return text.rfind(prefix, 0) == 0;
}

FileError FullPath(const std::wstring& path, std::wstring& full) {
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return LastError();
    full.assign(needed, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), needed, &full[0], nullptr);
    if (length == 0 || length >= needed) return {Reason::kNameTooLong, 0};
    full.resize(length);
    return {};
}

// The wide form of a path for the W calls. A path whose full form reaches
// MAX_PATH characters cannot be used as it is: it becomes the full path with
// the "\\?\" prefix, which reaches 32767 characters. Shorter paths stay as
// they are, so device names such as "NUL" keep their meaning.
FileError WidePath(const std::string& path, std::wstring& wide) {
    wide = Widened(path);
    if (StartsWith(wide, L"\\\\?\\") || StartsWith(wide, L"\\\\.\\")) return {};
    std::wstring full;
    if (FileError e = FullPath(wide, full)) return e;
    if (full.size() < MAX_PATH || StartsWith(full, L"\\\\.\\")) return {};
    wide = StartsWith(full, L"\\\\") ? L"\\\\?\\UNC\\" + full.substr(2) : L"\\\\?\\" + full;
    if (wide.size() >= 32767) return {Reason::kNameTooLong, 0};
    return {};
}

// The directory part of a path, with its final separator; empty for a bare name.
std::string DirectoryPart(const std::string& path) {
    const std::size_t end = path.find_last_of("\\/:");
    return end == std::string::npos ? std::string() : path.substr(0, end + 1);
}

class Win32Input : public InputFile {
  public:
    Win32Input(HANDLE file, std::uint64_t size) : file_(file), size_(size) {}
    ~Win32Input() override { CloseHandle(file_); }
    std::uint64_t Size() const override { return size_; }
    FileError Read(std::uint8_t* data, std::size_t size, std::size_t& got) override {
        DWORD n = 0;
        got = 0;
        if (!ReadFile(file_, data, static_cast<DWORD>(std::min<std::size_t>(size, 1u << 20)), &n,
                      nullptr)) {
            return LastError();
        }
        got = n;
        return {};
    }

  private:
    HANDLE file_;
    std::uint64_t size_;
};

class Win32NewFile : public NewFile {
  public:
    Win32NewFile(HANDLE file, std::wstring temporary, std::wstring target)
        : file_(file), temporary_(std::move(temporary)), target_(std::move(target)) {}
    ~Win32NewFile() override {
        if (file_ == INVALID_HANDLE_VALUE) return;
        CloseHandle(file_);
        DeleteFileW(temporary_.c_str());
    }
    FileError Write(const std::uint8_t* data, std::size_t size) override {
        while (size > 0) {
            const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 20));
            DWORD written = 0;
            if (!WriteFile(file_, data, piece, &written, nullptr)) return LastError();
            if (written == 0) return {Reason::kDiskFull, 0};
            data += written;
            size -= written;
        }
        return {};
    }
    FileError Commit() override {
        const HANDLE file = file_;
        file_ = INVALID_HANDLE_VALUE;
        FileError error;
        if (!CloseHandle(file) ||
            !MoveFileExW(temporary_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING)) {
            error = LastError();
            DeleteFileW(temporary_.c_str());
        }
        return error;
    }

  private:
    HANDLE file_;
    std::wstring temporary_;
    std::wstring target_;
};

// The volume and index of an existing file or directory.
bool Identify(const std::wstring& path, BY_HANDLE_FILE_INFORMATION& info) {
    const HANDLE file =
        CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool known = GetFileInformationByHandle(file, &info) != 0;
    CloseHandle(file);
    return known;
}

class Win32FileSystem : public FileSystem {
  public:
    std::string CurrentDirectory() override {
        const DWORD needed = GetCurrentDirectoryA(0, nullptr);
        if (needed == 0) return {};
        std::vector<char> buffer(needed);
        const DWORD length = GetCurrentDirectoryA(needed, buffer.data());
        if (length == 0 || length >= needed) return {};
        return std::string(buffer.data(), length);
    }

    std::unique_ptr<InputFile> Open(const std::string& path, FileError& error) override {
        std::wstring wide;
        if ((error = WidePath(path, wide))) return nullptr;
        const DWORD attributes = GetFileAttributesW(wide.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            error = {Reason::kDirectory, 0};
            return nullptr;
        }
        const HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            error = LastError();
            return nullptr;
        }
        LARGE_INTEGER size{};
        switch (GetFileType(file)) {
            case FILE_TYPE_DISK:
                if (!GetFileSizeEx(file, &size)) error = LastError();
                break;
            case FILE_TYPE_CHAR:
                error = {Reason::kDevice, 0};
                break;
            case FILE_TYPE_PIPE:
                error = {Reason::kFifo, 0};
                break;
            default:
                error = {Reason::kNotRegular, 0};
                break;
        }
        if (error) {
            CloseHandle(file);
            return nullptr;
        }
        return std::make_unique<Win32Input>(file, static_cast<std::uint64_t>(size.QuadPart));
    }

    std::unique_ptr<NewFile> Create(const std::string& path, FileError& error) override {
        std::wstring target;
        if ((error = WidePath(path, target)) || (error = CheckTarget(target))) return nullptr;
        const std::string directory = DirectoryPart(path);
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::wstring temporary;
            const std::string name = directory + ".zelmar-" +
                                     std::to_string(GetCurrentProcessId()) + "-" +
                                     std::to_string(++made_) + ".tmp";
            if ((error = WidePath(name, temporary))) return nullptr;
            const HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr,
                                            CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (file != INVALID_HANDLE_VALUE) {
                return std::make_unique<Win32NewFile>(file, temporary, target);
            }
            const DWORD code = GetLastError();
            if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) {
                error = FromCode(code);
                return nullptr;
            }
        }
        error = {Reason::kOther, ERROR_FILE_EXISTS};
        return nullptr;
    }

    bool SameFile(const std::string& a, const std::string& b) override {
        std::wstring wideA, wideB, fullA, fullB;
        if (WidePath(a, wideA) || WidePath(b, wideB) || FullPath(wideA, fullA) ||
            FullPath(wideB, fullB)) {
            return false;
        }
        // The same full name, compared as the system compares names.
        if (lstrcmpiW(fullA.c_str(), fullB.c_str()) == 0) return true;
        // Two names of one file, where the file system numbers its files.
        BY_HANDLE_FILE_INFORMATION infoA{}, infoB{};
        return Identify(wideA, infoA) && Identify(wideB, infoB) &&
               (infoA.nFileIndexHigh | infoA.nFileIndexLow) != 0 &&
               infoA.dwVolumeSerialNumber == infoB.dwVolumeSerialNumber &&
               infoA.nFileIndexHigh == infoB.nFileIndexHigh &&
               infoA.nFileIndexLow == infoB.nFileIndexLow;
    }

  private:
    // What `target` names must be nothing yet or a file that may be written.
    static FileError CheckTarget(const std::wstring& target) {
        std::wstring full;
        if (FileError e = FullPath(target, full)) return e;
        if (StartsWith(full, L"\\\\.\\")) return {Reason::kDevice, 0};  // "NUL", "COM1", ...
        const DWORD attributes = GetFileAttributesW(target.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            const DWORD code = GetLastError();
            return code == ERROR_FILE_NOT_FOUND ? FileError{} : FromCode(code);
        }
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) return {Reason::kDirectory, 0};
        if (attributes & FILE_ATTRIBUTE_READONLY) return {Reason::kPermission, 0};
        return {};
    }

    unsigned made_ = 0;
};

}  // namespace

FileSystem& Platform() {
    static Win32FileSystem fs;
    return fs;
}

std::string JoinPath(const std::string& directory, std::string_view name) {
    if (directory.empty()) return std::string(name);
    std::string path = directory;
    // A drive's root ("C:\") already ends in a separator.
    if (path.back() != '\\' && path.back() != '/') path += '\\';
    path += name;
    return path;
}

}  // namespace zelmar::files
