#include "flash_directory.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

namespace standin {

namespace fs = std::filesystem;

namespace {

constexpr const char* kManifestTitle = "printer-standin flash set 1";
constexpr const char* kSets = "sets";
constexpr const char* kPendingLink = "pending";
constexpr const char* kActiveLink = "active";
constexpr std::uintmax_t kMaxManifestSize = 64 * 1024;

bool ReadSmallFile(const fs::path& path, std::uintmax_t limit, Bytes& out) {
    std::error_code error;
    const std::uintmax_t size = fs::file_size(path, error);
    if (error || size > limit) return false;
    std::ifstream in(path, std::ios::binary);
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return in.good() || in.eof();
}

std::string Manifest(const FlashSet& set) {
    std::ostringstream out;
    out << kManifestTitle << "\nswitches";
    for (const std::uint8_t s : set.switches)
        out << ' ' << static_cast<int>(s);
    out << '\n';
    for (const NamedImage& image : NamedImages(set)) {
        out << image.name << ' ' << image.picture->Width() << ' ' << image.picture->Height();
        if (image.name == RoleFileName(Role::kMarginMessage)) out << ' ' << set.margin;
        out << '\n';
    }
    return out.str();
}

bool SizeOk(int width, int height) {
    return width % 8 == 0 && height % 8 == 0 && width >= 8 && height >= 8 &&
           width <= 8 * kMaxNvBytesAcross && height <= 8 * kMaxNvUnitsDown;
}

// One manifest line of an image, with its ".nv" file.
bool ReadImage(const fs::path& dir, const std::string& name, std::istringstream& words,
               FlashSet& set, std::string& error) {
    int width = 0;
    int height = 0;
    words >> width >> height;
    if (name == RoleFileName(Role::kMarginMessage)) words >> set.margin;
    Picture* slot = NamedSlot(set, name);
    if (!slot && name == ImageFileName(set.images.size() + 1)) {
        set.images.emplace_back();
        slot = &set.images.back();
    }
    if (!slot || words.fail() || !SizeOk(width, height)) {
        error = "bad manifest entry '" + name + "'";
        return false;
    }
    Bytes data;
    const auto size = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) / 8;
    if (!ReadSmallFile(dir / (name + ".nv"), size, data) || data.size() != size) {
        error = name + ".nv is missing or not " + std::to_string(size) + " bytes long";
        return false;
    }
    *slot = FromColumns(data.data(), width, height / 8);
    return true;
}

bool ReadSet(const fs::path& dir, FlashSet& set, std::string& error) {
    Bytes bytes;
    if (!ReadSmallFile(dir / "manifest", kMaxManifestSize, bytes)) {
        error = "no readable manifest";
        return false;
    }
    std::istringstream lines(std::string(bytes.begin(), bytes.end()));
    std::string line;
    if (!std::getline(lines, line) || line != kManifestTitle) {
        error = "the manifest does not begin with '" + std::string(kManifestTitle) + "'";
        return false;
    }
    set = FlashSet{};
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string name;
        words >> name;
        if (name != "switches") {
            if (!ReadImage(dir, name, words, set, error)) return false;
            continue;
        }
        for (std::uint8_t& s : set.switches) {
            int value = -1;
            words >> value;
            if (value < 0 || value > 255) {
                error = "bad switches";
                return false;
            }
            s = static_cast<std::uint8_t>(value);
        }
    }
    return true;
}

// The set a link names; none (and an empty set) when the link is missing.
bool ReadLink(const fs::path& dir, const char* link, std::string& name, FlashSet& set,
              std::string& error) {
    std::error_code failure;
    const fs::path path = dir / link;
    name.clear();
    set = FlashSet{};
    if (!fs::is_symlink(fs::symlink_status(path, failure))) {
        if (!fs::exists(fs::symlink_status(path, failure))) return true;
        error = path.string() + ": not a link to a flash set";
        return false;
    }
    const fs::path target = fs::read_symlink(path, failure);
    if (failure || target.parent_path() != kSets) {
        error = path.string() + ": does not point into " + kSets;
        return false;
    }
    name = target.filename().string();
    if (ReadSet(dir / target, set, error)) return true;
    error = (dir / target).string() + ": " + error;
    return false;
}

}  // namespace

std::unique_ptr<DirectoryFlash> DirectoryFlash::Open(const std::string& dir, std::string& error) {
    std::unique_ptr<DirectoryFlash> flash(new DirectoryFlash(dir));
    std::error_code failure;
    fs::create_directories(flash->dir_ / kSets, failure);
    if (failure) {
        error = dir + ": " + failure.message();
        return nullptr;
    }
    if (!flash->lock_.Acquire((flash->dir_ / "lock").string())) {
        error = dir + ": in use by another printer-standin";
        return nullptr;
    }
    if (!ReadLink(flash->dir_, kPendingLink, flash->pendingName_, flash->pending_, error) ||
        !ReadLink(flash->dir_, kActiveLink, flash->activeName_, flash->active_, error)) {
        return nullptr;
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(flash->dir_ / kSets, failure)) {
        unsigned number = 0;
        if (std::sscanf(entry.path().filename().c_str(), "%u", &number) == 1) {
            flash->next_ = std::max(flash->next_, number + 1);
        }
    }
    flash->RemoveUnused();
    return flash;
}

bool DirectoryFlash::Read(const std::string& dir, FlashSet& pending, FlashSet& active,
                          std::string& error) {
    std::error_code failure;
    if (!fs::is_directory(dir, failure)) {
        error = dir + ": no such flash directory";
        return false;
    }
    std::string name;
    return ReadLink(dir, kPendingLink, name, pending, error) &&
           ReadLink(dir, kActiveLink, name, active, error);
}

bool DirectoryFlash::WritePending(const FlashSet& set) {
    std::string name;
    if (!WriteSet(set, name)) return false;
    if (!PointLink(kPendingLink, name)) {
        std::error_code failure;
        fs::remove_all(dir_ / kSets / name, failure);
        return false;
    }
    pendingName_ = name;
    pending_ = set;
    RemoveUnused();
    return true;
}

bool DirectoryFlash::Reset() {
    if (pendingName_.empty() && !WritePending(pending_)) return false;
    if (!PointLink(kActiveLink, pendingName_)) return false;
    activeName_ = pendingName_;
    active_ = pending_;
    RemoveUnused();
    return true;
}

bool DirectoryFlash::WriteSet(const FlashSet& set, std::string& name) {
    char number[16];
    std::snprintf(number, sizeof number, "%06u", next_++);
    name = number;
    const fs::path sets = dir_ / kSets;
    const fs::path building = sets / (".new-" + name);
    std::error_code failure;
    fs::remove_all(building, failure);
    bool written = fs::create_directory(building, failure);
    for (const NamedImage& image : NamedImages(set)) {
        written = written && WriteSynced((building / (image.name + ".nv")).string(),
                                         ToColumns(*image.picture));
    }
    const std::string manifest = Manifest(set);
    written = written && WriteSynced((building / "manifest").string(),
                                     Bytes(manifest.begin(), manifest.end()));
    written = written && SyncDirectory(building.string());
    if (written) fs::rename(building, sets / name, failure);
    if (!written || failure) {
        fs::remove_all(building, failure);
        return false;
    }
    return SyncDirectory(sets.string());
}

bool DirectoryFlash::PointLink(const char* link, const std::string& name) {
    const fs::path turning = dir_ / (std::string(link) + ".new");
    std::error_code failure;
    fs::remove(turning, failure);
    fs::create_symlink(fs::path(kSets) / name, turning, failure);
    if (failure) return false;
    fs::rename(turning, dir_ / link, failure);
    if (failure) {
        fs::remove(turning, failure);
        return false;
    }
    return SyncDirectory(dir_.string());
}

void DirectoryFlash::RemoveUnused() {
    std::error_code failure;
    std::vector<fs::path> unused;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir_ / kSets, failure)) {
        const std::string name = entry.path().filename().string();
        if (name != pendingName_ && name != activeName_) unused.push_back(entry.path());
    }
    for (const fs::path& path : unused)
        fs::remove_all(path, failure);
}

}  // namespace standin
