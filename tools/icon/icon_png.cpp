// dorurura-icon: writes the program's 32 x 32 icon (icon image 3 of the resource catalogue) as an
// RGBA PNG for the desktop's icon theme, scaled by a whole number with sharp pixels.
//   dorurura-icon OUT.png SCALE
#include <png.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/catalogue.h"

namespace {

uint32_t read32(const uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}
uint16_t read16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

const ResourceEntry* findIcon(uint16_t id) {
    for (uint32_t i = 0; i < dorururaCatalogue.count; ++i) {
        const ResourceEntry& e = dorururaCatalogue.entries[i];
        if (e.typeName == nullptr && e.type == 3 && e.id == id) return &e;
    }
    return nullptr;
}

// The icon image as RGBA rows, top to bottom; empty when the image is not an 8-bit icon.
std::vector<uint8_t> decode(const ResourceEntry& icon, int& width, int& height) {
    const uint8_t* d = icon.data;
    if (icon.size < 40 || read32(d) != 40) return {};
    width = static_cast<int>(read32(d + 4));
    height = static_cast<int>(read32(d + 8)) / 2;  // image and mask
    if (read16(d + 14) != 8 || width <= 0 || height <= 0 || width > 256 || height > 256) return {};
    const uint8_t* palette = d + 40;
    const size_t imageStride = (static_cast<size_t>(width) + 3) & ~size_t{3};
    const size_t maskStride = ((static_cast<size_t>(width) + 31) / 32) * 4;
    const uint8_t* image = palette + 256 * 4;
    const uint8_t* mask = image + imageStride * static_cast<size_t>(height);
    if (mask + maskStride * static_cast<size_t>(height) > d + icon.size) return {};
    std::vector<uint8_t> rgba(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    for (int y = 0; y < height; ++y) {
        const size_t row = static_cast<size_t>(height - 1 - y);  // stored bottom-up
        for (int x = 0; x < width; ++x) {
            const uint8_t* c = palette + image[row * imageStride + static_cast<size_t>(x)] * 4;
            const bool transparent = (mask[row * maskStride + static_cast<size_t>(x / 8)] >> (7 - x % 8)) & 1;
            uint8_t* out =
                &rgba[(static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 4];
            out[0] = c[2];
            out[1] = c[1];
            out[2] = c[0];
            out[3] = transparent ? 0 : 255;
        }
    }
    return rgba;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 || std::atoi(argv[2]) < 1 || std::atoi(argv[2]) > 16) {
        std::fprintf(stderr, "usage: dorurura-icon OUT.png SCALE (1 to 16)\n");
        return 2;
    }
    const int scale = std::atoi(argv[2]);
    const ResourceEntry* icon = findIcon(3);
    int width = 0, height = 0;
    const std::vector<uint8_t> rgba = icon != nullptr ? decode(*icon, width, height) : std::vector<uint8_t>{};
    if (rgba.empty()) {
        std::fprintf(stderr, "dorurura-icon: the catalogue has no 8-bit icon image 3\n");
        return 1;
    }
    // Each pixel repeated scale times across and down.
    const int size = width * scale;
    std::vector<uint8_t> scaled(static_cast<size_t>(size) * static_cast<size_t>(height * scale) * 4);
    for (size_t i = 0; i < scaled.size() / 4; ++i) {
        const size_t x = i % static_cast<size_t>(size) / static_cast<size_t>(scale);
        const size_t y = i / static_cast<size_t>(size) / static_cast<size_t>(scale);
        std::copy_n(&rgba[(y * static_cast<size_t>(width) + x) * 4], 4, &scaled[i * 4]);
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(size);
    image.height = static_cast<png_uint_32>(height * scale);
    image.format = PNG_FORMAT_RGBA;
    if (!png_image_write_to_file(&image, argv[1], 0, scaled.data(), 0, nullptr)) {
        std::fprintf(stderr, "dorurura-icon: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
