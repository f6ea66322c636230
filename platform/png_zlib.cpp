// The display and other pixels as PNG files, made with zlib alone (Windows builds, which have no
// libpng): one IDAT chunk of unfiltered RGB rows.
#include <zlib.h>

#include <cerrno>
#include <cstdio>
#include <vector>

#include "platform/host.h"

namespace {

void putBigEndian(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

// A chunk: its length, type and data, then the CRC of type and data.
void putChunk(std::vector<uint8_t>& out, const char (&type)[5], const uint8_t* data, size_t size) {
    putBigEndian(out, static_cast<uint32_t>(size));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data, data + size);
    putBigEndian(out, static_cast<uint32_t>(crc32(0, out.data() + start, static_cast<uInt>(size + 4))));
}

}  // namespace

int platformWritePng(const char* path, const uint32_t* pixels, int width, int height) {
    if (!path || !pixels || width <= 0 || height <= 0 || width > 1 << 14 || height > 1 << 14) return 0;
    const auto w = static_cast<size_t>(width), h = static_cast<size_t>(height);
    std::vector<uint8_t> rows((w * 3 + 1) * h);  // each row: filter 0 (none), then R, G, B
    for (size_t y = 0; y < h; ++y)
        for (size_t x = 0; x < w; ++x)
            for (size_t c = 0; c < 3; ++c)
                rows[y * (w * 3 + 1) + 1 + x * 3 + c] = static_cast<uint8_t>(pixels[y * w + x] >> (16 - 8 * c));
    uLongf packedSize = compressBound(static_cast<uLong>(rows.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, rows.data(), static_cast<uLong>(rows.size()), 6) != Z_OK) return 0;
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}, header;
    putBigEndian(header, static_cast<uint32_t>(width));
    putBigEndian(header, static_cast<uint32_t>(height));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits a sample, RGB, deflate, no filter, not interlaced
    putChunk(png, "IHDR", header.data(), header.size());
    putChunk(png, "IDAT", packed.data(), packedSize);
    putChunk(png, "IEND", nullptr, 0);
    std::FILE* file = platformCreateFile(path);  // errno says why not
    if (!file) return 0;
    bool written = std::fwrite(png.data(), 1, png.size(), file) == png.size();
    int error = errno;
    if (std::fclose(file) != 0 && written) {
        written = false;
        error = errno;
    }
    if (written) return 1;
    std::remove(path);  // no half picture is left behind
    errno = error;
    return 0;
}
