// The paper in the printer: what has been printed since the last cut. Dots
// go onto the current line; ending the line moves the paper on.
#pragma once

#include "picture.h"

namespace standin {

class Paper {
  public:
    // `maxLength`: dots of paper a receipt may take; what goes beyond is not drawn.
    Paper(int width, int maxLength);

    int Width() const { return width_; }
    // Anything printed or fed since the last cut.
    bool Started() const { return started_; }
    void Start() { started_ = true; }
    // True once a receipt ran past the length limit.
    bool Overflowed() const { return overflowed_; }

    // Draws `picture` on the current line from dot `x`; the line becomes at
    // least as tall as the picture.
    void PutOnLine(const Picture& picture, int x, int scaleX = 1, int scaleY = 1);
    // Ends the current line: the paper moves on by the line's height, and by at
    // least `feed` dots.
    void EndLine(int feed);
    // Prints `picture` from dot `x` below what is printed and moves past it.
    void PrintBlock(const Picture& picture, int x, int scaleX = 1, int scaleY = 1);
    // Cuts the paper: what was printed, as long as the paper moved on.
    Picture Cut();

  private:
    void GrowTo(int length);

    int width_;
    int maxLength_;
    Picture printed_;
    int y_ = 0;           // top of the current line
    int lineHeight_ = 0;  // of what the current line holds
    bool started_ = false;
    bool overflowed_ = false;
};

}  // namespace standin
