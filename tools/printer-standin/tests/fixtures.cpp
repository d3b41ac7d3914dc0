#include "fixtures.h"

#include "bmp_builder.h"
#include "engine/upload_forms.h"
#include "methods/image_methods.h"

namespace standin::test {

Bytes UploadStream(const std::string& list, int nvSelect, int selectType, int selectMargin) {
    const int32_t status = zelmar::FileUpload(
        "upload.bin", list, nvSelect, zelmar::ImageOptions{0, 5, 0},
        static_cast<int16_t>(selectType), static_cast<int16_t>(selectMargin), nullptr);
    EXPECT_EQ(status, zelmar::kFileUploadDone) << list;
    return zelmar::test::ReadBytes("upload.bin");
}

Bytes Definition(const std::vector<std::string>& images) {
    zelmar::BufferSink sink;
    EXPECT_EQ(zelmar::WriteDefinitionFile(images, zelmar::PrepareOptions{}, sink, nullptr),
              zelmar::FormStatus::kDone);
    return sink.bytes;
}

Picture Drawn(int width, int height, const Dots& dot) {
    Picture picture(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (dot(x, y)) picture.SetDot(x, y);
        }
    }
    return picture;
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
