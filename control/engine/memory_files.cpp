#include "memory_files.h"

#include <algorithm>
#include <cstring>

namespace zelmar::files {

class MemoryFileSystem::Input : public InputFile {
  public:
    explicit Input(Contents bytes) : bytes_(std::move(bytes)) {}
    std::uint64_t Size() const override { return bytes_->size(); }
    FileError Read(std::uint8_t* data, std::size_t size, std::size_t& got) override {
        got = std::min(size, bytes_->size() - at_);
        if (got > 0) std::memcpy(data, bytes_->data() + at_, got);
        at_ += got;
        return {};
    }

  private:
    Contents bytes_;
    std::size_t at_ = 0;
};

class MemoryFileSystem::Output : public NewFile {
  public:
    Output(MemoryFileSystem& fs, std::string target) : fs_(fs), target_(std::move(target)) {}
    ~Output() override { fs_.used_ -= bytes_.size(); }
    FileError Write(const std::uint8_t* data, std::size_t size) override {
        if (size > fs_.capacity_ - std::min(fs_.capacity_, fs_.used_)) {
            return {Reason::kDiskFull, 0};
        }
        bytes_.insert(bytes_.end(), data, data + size);
        fs_.used_ += size;
        return {};
    }
    FileError Commit() override {
        Contents& entry = fs_.files_[target_];
        if (entry) fs_.used_ -= entry->size();  // the new bytes are counted already
        entry = std::make_shared<const Bytes>(std::move(bytes_));
        bytes_.clear();
        return {};
    }

  private:
    MemoryFileSystem& fs_;
    std::string target_;
    Bytes bytes_;
};

MemoryFileSystem::MemoryFileSystem(std::string directory) : directory_(std::move(directory)) {}

void MemoryFileSystem::Put(const std::string& path, Bytes bytes) {
    Contents& entry = files_[path];
    if (entry) used_ -= entry->size();
    used_ += bytes.size();
    entry = std::make_shared<const Bytes>(std::move(bytes));
}

const Bytes* MemoryFileSystem::Find(const std::string& path) const {
    const auto it = files_.find(path);
    return it == files_.end() ? nullptr : it->second.get();
}

std::unique_ptr<InputFile> MemoryFileSystem::Open(const std::string& path, FileError& error) {
    const auto it = files_.find(path);
    if (it == files_.end()) {
        error = {Reason::kNotFound, 0};
        return nullptr;
    }
    return std::make_unique<Input>(it->second);
}

std::unique_ptr<NewFile> MemoryFileSystem::Create(const std::string& path, FileError& error) {
    if (readOnly_) {
        error = {Reason::kPermission, 0};
        return nullptr;
    }
    return std::make_unique<Output>(*this, path);
}

}  // namespace zelmar::files
