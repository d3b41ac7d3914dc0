#include "paper.h"

#include <algorithm>

namespace standin {

Paper::Paper(int width, int maxLength) : width_(width), maxLength_(maxLength), printed_(width, 0) {}

void Paper::GrowTo(int length) {
    if (length > maxLength_) {
        overflowed_ = true;
        length = maxLength_;
    }
    printed_.GrowTo(length);
}

void Paper::PutOnLine(const Picture& picture, int x, int scaleX, int scaleY) {
    started_ = true;
    const int height = picture.Height() * scaleY;
    lineHeight_ = std::max(lineHeight_, height);
    GrowTo(y_ + height);
    printed_.Draw(picture, x, y_, scaleX, scaleY);
}

void Paper::EndLine(int feed) {
    started_ = true;
    const int moved = std::max(lineHeight_, feed);
    lineHeight_ = 0;
    GrowTo(std::min(y_ + moved, maxLength_ + 1));
    y_ = printed_.Height();
}

void Paper::PrintBlock(const Picture& picture, int x, int scaleX, int scaleY) {
    EndLine(0);
    PutOnLine(picture, x, scaleX, scaleY);
    EndLine(0);
}

Picture Paper::Cut() {
    EndLine(0);
    Picture receipt = std::move(printed_);
    printed_ = Picture(width_, 0);
    y_ = lineHeight_ = 0;
    started_ = overflowed_ = false;
    return receipt;
}

}  // namespace standin
