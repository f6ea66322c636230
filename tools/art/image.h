// Pictures as the art tool handles them: full-colour while drawing, indexed when written out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace art {

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

constexpr uint32_t packRgb(Rgb c) {
    return (uint32_t{c.r} << 16) | (uint32_t{c.g} << 8) | c.b;
}
constexpr Rgb unpackRgb(uint32_t v) {
    return {static_cast<uint8_t>((v >> 16) & 0xFF), static_cast<uint8_t>((v >> 8) & 0xFF),
            static_cast<uint8_t>(v & 0xFF)};
}

struct RgbImage {
    int width = 0, height = 0;
    std::vector<Rgb> px;  // top row first

    RgbImage() = default;
    RgbImage(int w, int h, Rgb fill = {})
        : width(w), height(h), px(static_cast<size_t>(w) * static_cast<size_t>(h), fill) {}
    Rgb& at(int x, int y) {
        return px[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
    }
    const Rgb& at(int x, int y) const {
        return px[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
    }
};

struct IndexedImage {
    int width = 0, height = 0;
    int bits = 8;                // 1, 4 or 8
    std::vector<Rgb> palette;    // exactly 1 << bits entries
    std::vector<uint8_t> index;  // top row first

    uint8_t at(int x, int y) const {
        return index[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
    }
    Rgb colour(int x, int y) const { return palette[at(x, y)]; }
};

// Copies a rectangle of one picture into another at (dx, dy), clipped to the target.
void paste(RgbImage& target, const RgbImage& source, int dx, int dy);
RgbImage crop(const RgbImage& source, int x, int y, int w, int h);
RgbImage expand(const IndexedImage& image);

}  // namespace art
