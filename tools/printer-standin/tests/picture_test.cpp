#include <gtest/gtest.h>

#include "fixtures.h"
#include "picture.h"

namespace standin {
namespace {

const test::Dots kSource = [](int x, int y) { return (x * 7 + y * 3) % 5 < 2 || x == 12; };
const test::Dots kBefore = [](int x, int y) { return x == y; };

// Drawing shifts whole rows a byte at a time: every offset within a byte,
// both scales, and each edge where the drawing is cut off must give the dots
// of drawing dot by dot, with nothing set beyond the picture's width.
TEST(PictureTest, DrawGivesTheDotsOfDrawingDotByDot) {
    struct Case {
        int x, y, scaleX, scaleY;
    };
    const Case cases[] = {{0, 0, 1, 1},   {3, 1, 1, 1},  {7, 2, 1, 1}, {8, 0, 1, 1},  {20, 4, 1, 1},
                          {-5, -2, 1, 1}, {1, 0, 2, 1},  {5, 3, 3, 2}, {-9, 0, 2, 3}, {26, 9, 1, 1},
                          {29, 0, 1, 1},  {0, 11, 1, 1}, {2, 1, 0, 1}, {2, 1, 1, 0}};
    const Picture source = test::Drawn(13, 5, kSource);
    for (const Case& c : cases) {
        Picture drawn = test::Drawn(29, 11, kBefore);
        drawn.Draw(source, c.x, c.y, c.scaleX, c.scaleY);
        const Picture expected = test::Drawn(29, 11, [&](int x, int y) {
            const int sx = c.scaleX > 0 && x >= c.x ? (x - c.x) / c.scaleX : -1;
            const int sy = c.scaleY > 0 && y >= c.y ? (y - c.y) / c.scaleY : -1;
            return kBefore(x, y) || (sx < 13 && sy < 5 && sx >= 0 && sy >= 0 && kSource(sx, sy));
        });
        EXPECT_TRUE(drawn == expected)
            << "at " << c.x << "," << c.y << " scaled " << c.scaleX << "x" << c.scaleY;
    }
}

}  // namespace
}  // namespace standin
