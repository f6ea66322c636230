// dorurura-icon: writes the program's 32 x 32 icon (icon image 3 of the resource catalogue) as an
// RGBA PNG for the desktop's icon theme, scaled by a whole number with sharp pixels. Given a size
// and a colour, the icon is centred on an opaque square of that size and colour instead, as the web
// app's maskable and home-screen icons want.
//   dorurura-icon OUT.png SCALE [SIZE RRGGBB]
#include <png.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
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

// Writes pixels of `channels` bytes each (3, RGB, or 4, RGBA) as a PNG file; through a colour map
// when there are 256 colours or fewer, as an icon's are (some 30 % smaller).
bool writePng(const char* path, int width, int height, int channels, const std::vector<uint8_t>& pixels) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = channels == 4 ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    const size_t size = static_cast<size_t>(channels);
    std::map<uint32_t, uint8_t> colours;
    std::vector<uint8_t> colourMap, indices(pixels.size() / size);
    for (size_t i = 0; i < indices.size(); ++i) {
        uint32_t key = 0;
        for (size_t c = 0; c < size; ++c) key = key << 8 | pixels[i * size + c];
        auto found = colours.find(key);
        if (found == colours.end()) {
            if (colours.size() == 256) return png_image_write_to_file(&image, path, 0, pixels.data(), 0, nullptr);
            found = colours.emplace(key, static_cast<uint8_t>(colours.size())).first;
            colourMap.insert(colourMap.end(), &pixels[i * size], &pixels[i * size] + size);
        }
        indices[i] = found->second;
    }
    image.format |= PNG_FORMAT_FLAG_COLORMAP;
    image.colormap_entries = static_cast<png_uint_32>(colours.size());
    return png_image_write_to_file(&image, path, 0, indices.data(), 0, colourMap.data());
}

// A whole number from min to max, or -1.
long wholeNumber(const char* text, long min, long max, int base = 10) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, base);
    return *text != '\0' && *text != '-' && *end == '\0' && value >= min && value <= max ? value : -1;
}

}  // namespace

int main(int argc, char** argv) {
    const int scale = argc == 3 || argc == 5 ? static_cast<int>(wholeNumber(argv[2], 1, 16)) : -1;
    const long canvas = argc == 5 ? wholeNumber(argv[3], 1, 1024) : 0;
    const long colour = argc == 5 && std::strlen(argv[4]) == 6 ? wholeNumber(argv[4], 0, 0xFFFFFF, 16) : 0;
    if (scale < 0 || canvas < 0 || colour < 0) {
        std::fprintf(stderr, "usage: dorurura-icon OUT.png SCALE (1 to 16) [SIZE (1 to 1024) RRGGBB]\n");
        return 2;
    }
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
    std::vector<uint8_t> square;
    if (canvas > 0) {
        if (canvas < size || canvas < height * scale) {
            std::fprintf(stderr, "dorurura-icon: the icon at scale %d does not fit in %ld pixels\n", scale, canvas);
            return 2;
        }
        // The colour behind the icon: transparent pixels take it; the icon's are opaque or clear.
        const auto side = static_cast<size_t>(canvas);
        const auto left = (side - static_cast<size_t>(size)) / 2, top = (side - static_cast<size_t>(height * scale)) / 2;
        square.resize(side * side * 3);
        for (size_t i = 0; i < side * side; ++i) {
            const size_t x = i % side, y = i / side;
            const bool inside = x >= left && x - left < static_cast<size_t>(size) && y >= top &&
                                y - top < static_cast<size_t>(height * scale);
            const uint8_t* from = inside ? &scaled[((y - top) * static_cast<size_t>(size) + x - left) * 4] : nullptr;
            for (int c = 0; c < 3; ++c) {
                const auto background = static_cast<uint8_t>(colour >> (16 - 8 * c));
                square[i * 3 + static_cast<size_t>(c)] = from && from[3] ? from[c] : background;
            }
        }
    }
    const bool written = canvas > 0 ? writePng(argv[1], static_cast<int>(canvas), static_cast<int>(canvas), 3, square)
                                    : writePng(argv[1], size, height * scale, 4, scaled);
    if (!written) {
        std::fprintf(stderr, "dorurura-icon: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
