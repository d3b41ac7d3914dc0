// Drives the command builders and every upload form with pictures and
// the control's arguments drawn from the input: sizes, tone modes, brightness,
// rotations, roles, image lists with missing or broken files, and a sink that refuses
// one write. A complete form must hold exactly the bytes its images announce.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/command_stream.h"
#include "engine/memory_files.h"
#include "engine/upload_forms.h"
#include "engine/working_files.h"
#include "methods/arguments.h"

namespace {

using namespace zelmar;

// The input read from the front; zeros once it runs out.
class Input {
  public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint8_t Byte() {
        if (size_ == 0) return 0;
        --size_;
        return *data_++;
    }
    std::int16_t Short() { return static_cast<std::int16_t>(Byte() | Byte() << 8); }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
};

void Require(bool condition) {
    if (!condition) __builtin_trap();
}

// Refuses its n-th write (never for 0).
class Sink : public BufferSink {
  public:
    explicit Sink(std::size_t failAt) : failAt_(failAt) {}
    bool Write(Element element, const std::uint8_t* data, std::size_t size) override {
        return ++writes_ != failAt_ && BufferSink::Write(element, data, size);
    }
    using ByteSink::Write;

  private:
    std::size_t failAt_;
    std::size_t writes_ = 0;
};

struct Picture {
    std::int32_t width = 0, height = 0;
};

// A 1-bit or 24-bit picture of up to 96 x 96 pixels; its raster bytes repeat
// what is left of the input.
Picture PutPicture(Input& in, const std::string& name, files::MemoryFileSystem& fs) {
    Picture p{1 + in.Byte() % 96, 1 + in.Byte() % 96};
    const bool oneBit = in.Byte() & 1;
    const std::size_t stride = oneBit ? static_cast<std::size_t>(p.width) : 3u * p.width + 3;
    Bytes rows(stride * static_cast<std::size_t>(p.height));
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i] = in.Byte();
    fs.Put(name, oneBit ? OneBitFile(p.width, p.height, rows.data(), stride)
                        : TrueColourFile(p.width, p.height, rows.data(), stride));
    return p;
}

std::size_t NvBytes(const Picture& p, int16_t rotation) {
    const bool quarter = rotation == 1 || rotation == 3;
    const std::size_t w = PaddedTo8(quarter ? p.height : p.width);
    const std::size_t h = PaddedTo8(quarter ? p.width : p.height);
    return w * h / 8;
}

std::size_t HeaderBytes(int16_t selectType, int16_t selectMargin) {
    if (selectType < 0 || selectType > 3) return 4;
    return selectType == 3 ? (selectMargin > 3 ? 9 : 10) : 8;
}

void Builders(Input& in) {
    const std::int16_t type = in.Short(), margin = in.Short();
    Require(commands::NvImageHeader(RoleOf(type), margin, in.Short(), in.Short()).size() ==
            HeaderBytes(type, margin));
    Require(commands::SizeBytes(in.Short(), in.Short()).size() == 4);
    Require(commands::BandRecordHead(in.Short(), in.Short()).size() == 9);
    Require(commands::OptionsCommand(in.Short(), in.Short(), in.Short(), in.Short()).size() == 9);
    Require(commands::DefinitionPreamble(in.Short()).size() == 5);
    Require(commands::PrintCommand(in.Short()).size() == 4);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in(data, size);
    Builders(in);

    files::MemoryFileSystem fs;
    files::ScopedFileSystem scope(fs);
    const int count = 1 + in.Byte() % 3;
    std::string list;
    std::vector<Picture> pictures;
    for (int k = 0; k < count; ++k) {
        const std::string name = std::string(1, static_cast<char>('a' + k)) + ".bmp";
        const std::uint8_t kind = in.Byte();
        if (kind % 16 == 1) fs.Put(name, Bytes{'B', 'M'});  // broken; 2: missing
        if (kind % 16 > 2) pictures.push_back(PutPicture(in, name, fs));
        list += name + "|";
    }
    if (in.Byte() & 1) list += "trailing text";
    const std::vector<std::string> images = SplitImageList(list);
    Require(images.size() == static_cast<std::size_t>(count));

    UploadOptions options;
    options.image = {static_cast<int16_t>(in.Byte() % 4), static_cast<int8_t>(in.Byte()),
                     static_cast<int16_t>(in.Byte() % 6 - 1)};
    options.selectType = static_cast<int16_t>(in.Byte() % 5);
    options.selectMargin = static_cast<int8_t>(in.Byte());
    const int16_t rotation = options.image.rotation;
    const std::uint8_t form = in.Byte();
    Sink out(in.Byte());
    int progressed = 0;
    const ProgressFn progress = [&progressed](int32_t) { ++progressed; };

    const bool complete = pictures.size() == images.size();
    std::size_t expected = 0;
    FormStatus status = FormStatus::kDone;
    switch (form % 5) {
        case 0:
            status = CheckImageList(images, rotation);
            if (status == FormStatus::kDone) {
                status = WriteModelZeroForm(images, ModelZeroOptionsOf(options), out, progress);
            }
            for (const Picture& p : pictures)
                expected +=
                    HeaderBytes(options.selectType, options.selectMargin) + NvBytes(p, rotation);
            break;
        case 1:
            status = CheckImageList(images);
            if (status == FormStatus::kDone) {
                status = WriteBandForm(images, form & 8, out, progress);
            }
            if (!pictures.empty()) {
                const Picture& p = pictures.front();
                expected = 5 + static_cast<std::size_t>(PaddedTo8(p.height) / 8) *
                                   (9 + PaddedTo8(p.width));
            }
            break;
        case 2:
            status = CheckImageList(images, rotation);
            if (status == FormStatus::kDone) {
                status =
                    WriteDefinitionFile(images, PrepareOptionsOf(options.image), out, progress);
            }
            expected = 5;
            for (const Picture& p : pictures)
                expected += 4 + NvBytes(p, rotation);
            break;
        case 3:
            status = WriteEraseFile(out);
            expected = 2;
            break;
        default:
            status = WritePrintAllFile(out, progress);
            expected = 255 * 4 + 4;
            break;
    }
    if (status == FormStatus::kDone) {
        Require(form % 5 >= 3 || complete);
        Require(out.bytes.size() == expected);
        Require(progressed == (form % 5 == 1   ? 1
                               : form % 5 == 3 ? 0
                               : form % 5 == 4 ? 255
                                               : count));
    }
    return 0;
}
