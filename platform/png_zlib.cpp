// PNG files' bytes through zlib alone (Windows builds): one IDAT chunk of unfiltered RGB rows.
#include <zlib.h>

#include "platform/internal.h"

namespace {

void putBigEndian(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

// A chunk: its length, type and data, then the CRC of type and data.
void putChunk(std::vector<uint8_t>& out, const char (&type)[5], const std::vector<uint8_t>& data) {
    putBigEndian(out, static_cast<uint32_t>(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    putBigEndian(out,
                 static_cast<uint32_t>(crc32(0, out.data() + start, static_cast<uInt>(data.size() + 4))));
}

}  // namespace

bool plat::encodePng(const uint32_t* pixels, int width, int height, std::vector<uint8_t>& png) {
    if (width > 1 << 14 || height > 1 << 14) return false;  // zlib's sizes are 32 bits here
    const auto w = static_cast<size_t>(width), h = static_cast<size_t>(height), row = w * 3 + 1;
    std::vector<uint8_t> rows(row * h);  // each row: filter 0 (none), then R, G, B a pixel
    for (size_t y = 0; y < h; ++y)
        for (size_t x = 0; x < w * 3; ++x)
            rows[y * row + 1 + x] = static_cast<uint8_t>(pixels[y * w + x / 3] >> (16 - 8 * (x % 3)));
    uLongf packedSize = compressBound(static_cast<uLong>(rows.size()));
    std::vector<uint8_t> packed(packedSize), header;
    if (compress2(packed.data(), &packedSize, rows.data(), static_cast<uLong>(rows.size()), 6) != Z_OK)
        return false;
    packed.resize(packedSize);
    putBigEndian(header, static_cast<uint32_t>(width));
    putBigEndian(header, static_cast<uint32_t>(height));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits a sample, RGB, deflate, no filter, not interlaced
    png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    putChunk(png, "IHDR", header);
    putChunk(png, "IDAT", packed);
    putChunk(png, "IEND", {});
    return true;
}
