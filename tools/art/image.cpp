#include "tools/art/image.h"

namespace art {

void paste(RgbImage& target, const RgbImage& source, int dx, int dy) {
    for (int y = 0; y < source.height; ++y)
        for (int x = 0; x < source.width; ++x) {
            int tx = dx + x, ty = dy + y;
            if (tx < 0 || ty < 0 || tx >= target.width || ty >= target.height) continue;
            target.at(tx, ty) = source.at(x, y);
        }
}

RgbImage crop(const RgbImage& source, int x, int y, int w, int h) {
    RgbImage out(w, h);
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            int sx = x + i, sy = y + j;
            if (sx >= 0 && sy >= 0 && sx < source.width && sy < source.height)
                out.at(i, j) = source.at(sx, sy);
        }
    return out;
}

RgbImage expand(const IndexedImage& image) {
    RgbImage out(image.width, image.height);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            out.at(x, y) = image.colour(x, y);
    return out;
}

}  // namespace art
