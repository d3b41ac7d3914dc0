#include <windows.h>

#include <algorithm>
#include <vector>

#include "files.h"

namespace zelmar::files {

namespace {

HANDLE AsHandle(std::intptr_t h) {
    return reinterpret_cast<HANDLE>(h);
}

}  // namespace

std::string CurrentDirectory() {
    DWORD needed = GetCurrentDirectoryA(0, nullptr);
    if (needed == 0) return {};
    std::vector<char> buffer(needed);
    DWORD length = GetCurrentDirectoryA(needed, buffer.data());
    if (length == 0 || length >= needed) return {};
    return std::string(buffer.data(), length);
}

std::string InCurrentDirectory(std::string_view name) {
    std::string path = CurrentDirectory();
    // A drive's root ("C:\") already ends in a separator.
    if (path.empty() || (path.back() != '\\' && path.back() != '/')) path += '\\';
    path += name;
    return path;
}

bool ReadPrefix(const std::string& path, std::size_t limit, Bytes& out, std::uint64_t& fileSize) {
    out.clear();
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(file, &size) != 0;
    if (ok) {
        fileSize = static_cast<std::uint64_t>(size.QuadPart);
        out.resize(static_cast<std::size_t>(std::min<std::uint64_t>(limit, fileSize)));
        std::size_t got = 0;
        while (got < out.size()) {
            DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(out.size() - got, 1u << 20));
            DWORD n = 0;
            if (!ReadFile(file, out.data() + got, chunk, &n, nullptr) || n == 0) break;
            got += n;
        }
        out.resize(got);
    }
    CloseHandle(file);
    return ok;
}

bool CopyReplacing(const std::string& from, const std::string& to) {
    return CopyFileA(from.c_str(), to.c_str(), FALSE) != 0;
}

bool OutputFile::Create(const std::string& path) {
    Close();
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    handle_ = reinterpret_cast<std::intptr_t>(file);
    return true;
}

bool OutputFile::Write(const void* data, std::size_t size) {
    auto p = static_cast<const char*>(data);
    while (IsOpen() && size > 0) {
        DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 20));
        DWORD written = 0;
        if (!WriteFile(AsHandle(handle_), p, chunk, &written, nullptr) || written == 0) {
            return false;
        }
        p += written;
        size -= written;
    }
    return IsOpen();
}

void OutputFile::Close() {
    if (!IsOpen()) return;
    CloseHandle(AsHandle(handle_));
    handle_ = kNoHandle;
}

}  // namespace zelmar::files
