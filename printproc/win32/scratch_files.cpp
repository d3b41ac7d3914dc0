#include "scratch_files.h"

namespace tivrap::win32 {

bool SpoolFile::Create(const std::wstring& path) {
    file_.reset(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_TEMPORARY, nullptr));
    if (!file_) {
        nameTaken_ = GetLastError() == ERROR_FILE_EXISTS;
        if (!nameTaken_) errors_.Note();
        return false;
    }
    path_ = path;
    return true;
}

bool SpoolFile::Seek(std::uint64_t offset) {
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(offset);
    if (SetFilePointerEx(file_.get(), to, nullptr, FILE_BEGIN)) return true;
    errors_.Note();
    return false;
}

bool SpoolFile::ReadAt(std::uint64_t offset, std::uint8_t* data, std::size_t size) {
    if (!Seek(offset)) return false;
    while (size > 0) {
        DWORD read = 0;
        if (!ReadFile(file_.get(), data, CallSize(size), &read, nullptr)) {
            errors_.Note();
            return false;
        }
        if (read == 0) return false;  // the file ends before the bytes asked for
        data += read;
        size -= read;
    }
    return true;
}

bool SpoolFile::WriteAt(std::uint64_t offset, const std::uint8_t* data, std::size_t size) {
    if (!Seek(offset)) return false;
    while (size > 0) {
        DWORD written = 0;
        if (!WriteFile(file_.get(), data, CallSize(size), &written, nullptr) || written == 0) {
            errors_.Note();
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

void SpoolFile::Remove() {
    if (!file_) return;
    file_.reset();
    DeleteFileW(path_.c_str());
}

SpoolScratch::SpoolScratch(std::optional<std::wstring> systemDirectory, DWORD processId,
                           DWORD jobId, FirstError& errors)
    : systemDirectory_(std::move(systemDirectory)),
      processId_(processId),
      jobId_(jobId),
      errors_(errors),
      a_(errors),
      b_(errors) {}

std::wstring SpoolScratch::Directory(const std::wstring& systemDirectory) {
    return systemDirectory + L"\\Spool\\PRINTERS";
}

std::wstring SpoolScratch::PathA(const std::wstring& directory, DWORD processId, DWORD jobId,
                                 int name) {
    std::wstring path =
        directory + L"\\Kvzo-" + std::to_wstring(processId) + L"-" + std::to_wstring(jobId);
    if (name > 0) path += L"-" + std::to_wstring(name);
    return path + L".spl";
}

ScratchCreation SpoolScratch::Create() {
    ScratchCreation created;
    if (!systemDirectory_) {
        created.failure = ScratchFailure::kSystemDirectory;
        return created;
    }
    const std::wstring directory = Directory(*systemDirectory_);
    if (CreateDirectoryW(directory.c_str(), nullptr)) {
        created.directoryExisted = false;
    } else if (GetLastError() != ERROR_ALREADY_EXISTS) {
        errors_.Note();
        created.failure = ScratchFailure::kDirectory;
        return created;
    }
    for (int name = 0; name < kNames; ++name) {
        if (CreateBoth(PathA(directory, processId_, jobId_, name), created)) return created;
        const bool taken =
            created.failure == ScratchFailure::kFileA ? a_.NameTaken() : b_.NameTaken();
        if (!taken) return created;
        a_.Remove();  // the name is passed over whole
    }
    SetLastError(ERROR_FILE_EXISTS);
    errors_.Note();
    return created;
}

bool SpoolScratch::CreateBoth(const std::wstring& pathA, ScratchCreation& created) {
    std::wstring pathB = pathA;
    ++pathB.back();  // .spl becomes .spm
    created.failure = ScratchFailure::kNone;
    if (!a_.Create(pathA)) {
        created.failure = ScratchFailure::kFileA;
    } else if (!b_.Create(pathB)) {
        created.failure = ScratchFailure::kFileB;
    }
    return created.failure == ScratchFailure::kNone;
}

void SpoolScratch::Remove() {
    b_.Remove();
    a_.Remove();
}

}  // namespace tivrap::win32
