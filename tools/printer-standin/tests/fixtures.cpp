#include "fixtures.h"

#include "bmp_builder.h"
#include "engine/image_methods.h"
#include "engine/upload_forms.h"

namespace standin::test {

void WriteColourPicture(const std::string& path, int width, int height, const Dots& dot) {
    zelmar::test::WriteBytes(path, zelmar::test::MakeColourBmp(width, height, [&](int x, int y) {
                                 return dot(x, y) ? 0u : 0xFFFFFFu;
                             }));
}

void WriteMonoPicture(const std::string& path, int width, int height, const Dots& dot) {
    zelmar::test::BmpLayout bmp;
    bmp.depth = 1;
    bmp.width = width;
    bmp.height = height;
    bmp.palette = {0x000000, 0xFFFFFF};
    bmp.pixel = [&](int x, int y) { return dot(x, y) ? 0u : 1u; };
    zelmar::test::WriteBytes(path, zelmar::test::MakeBmp(bmp));
}

Bytes UploadStream(const std::string& list, int nvSelect, int selectType, int selectMargin) {
    const int32_t status = zelmar::FileUpload(
        "upload.bin", list, nvSelect, zelmar::ImageOptions{0, 5, 0},
        static_cast<int16_t>(selectType), static_cast<int16_t>(selectMargin), nullptr);
    EXPECT_EQ(status, zelmar::kFileUploadDone) << list;
    return zelmar::test::ReadBytes("upload.bin");
}

Bytes Definition(const std::vector<std::string>& images) {
    zelmar::BufferSink sink;
    EXPECT_EQ(zelmar::WriteDefinitionFile(images, zelmar::ImageOptions{0, 5, 0}, sink, nullptr),
              zelmar::FormStatus::kDone);
    return sink.bytes;
}

bool NvDot(const std::uint8_t* data, int paddedHeight, int x, int y) {
    return (data[x * (paddedHeight / 8) + y / 8] >> (7 - y % 8)) & 1;
}

::testing::AssertionResult SameDots(const Picture& picture, int width, int height,
                                    const Dots& dot) {
    if (picture.Width() != width || picture.Height() != height) {
        return ::testing::AssertionFailure()
               << "size " << picture.Width() << "x" << picture.Height() << ", expected " << width
               << "x" << height;
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (picture.Dot(x, y) != dot(x, y)) {
                return ::testing::AssertionFailure() << "dot (" << x << ", " << y << ") differs";
            }
        }
    }
    return ::testing::AssertionSuccess();
}

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace standin::test
