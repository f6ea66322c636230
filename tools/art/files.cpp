#include "tools/art/files.h"

#include <cairo.h>

#include <cstring>
#include <fstream>

#include "tools/art/error.h"

namespace art {
namespace {

void put8(std::vector<uint8_t>& out, unsigned v) {
    out.push_back(static_cast<uint8_t>(v & 0xFF));
}
void put16(std::vector<uint8_t>& out, unsigned v) {
    put8(out, v);
    put8(out, v >> 8);
}
void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}
void putTag(std::vector<uint8_t>& out, const char* tag) {
    out.insert(out.end(), tag, tag + 4);
}

size_t rowBytes(int width, int bits) {
    return ((static_cast<size_t>(width) * static_cast<size_t>(bits) + 31) / 32) * 4;
}

void putRows(std::vector<uint8_t>& out, const IndexedImage& image) {
    size_t stride = rowBytes(image.width, image.bits);
    for (int y = image.height - 1; y >= 0; --y) {
        std::vector<uint8_t> row(stride, 0);
        for (int x = 0; x < image.width; ++x) {
            unsigned v = image.at(x, y);
            auto ux = static_cast<size_t>(x);
            if (image.bits == 8)
                row[ux] = static_cast<uint8_t>(v);
            else if (image.bits == 4)
                row[ux / 2] = static_cast<uint8_t>(row[ux / 2] | (v << (ux % 2 == 0 ? 4 : 0)));
            else
                row[ux / 8] = static_cast<uint8_t>(row[ux / 8] | ((v & 1u) << (7 - ux % 8)));
        }
        out.insert(out.end(), row.begin(), row.end());
    }
}

void putInfoHeader(std::vector<uint8_t>& out, const IndexedImage& image, int heightFactor,
                   uint32_t imageBytes) {
    put32(out, 40);
    put32(out, static_cast<uint32_t>(image.width));
    put32(out, static_cast<uint32_t>(image.height * heightFactor));
    put16(out, 1);
    put16(out, static_cast<unsigned>(image.bits));
    put32(out, 0);  // BI_RGB
    put32(out, imageBytes);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);  // every colour of the table is used
    put32(out, 0);
}

// The table of a picture written to `path`, which is named if the table is not full.
void putColourTable(std::vector<uint8_t>& out, const IndexedImage& image, const std::string& path) {
    size_t entries = size_t{1} << image.bits;
    if (image.palette.size() != entries)
        fail(path, "a " + std::to_string(image.bits) + "-bit picture needs " + std::to_string(entries) +
                       " colours, has " + std::to_string(image.palette.size()));
    for (const Rgb& c : image.palette) {
        put8(out, c.b);
        put8(out, c.g);
        put8(out, c.r);
        put8(out, 0);
    }
}

// The bytes of a packed device-independent bitmap (what follows the .bmp file header).
std::vector<uint8_t> dibBytes(const IndexedImage& image, const std::string& path) {
    std::vector<uint8_t> out;
    auto imageBytes =
        static_cast<uint32_t>(rowBytes(image.width, image.bits) * static_cast<size_t>(image.height));
    putInfoHeader(out, image, 1, imageBytes);
    putColourTable(out, image, path);
    putRows(out, image);
    return out;
}

}  // namespace

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) fail(path, "cannot write");
}

void writeBmp(const std::string& path, const IndexedImage& image) {
    std::vector<uint8_t> dib = dibBytes(image, path);
    std::vector<uint8_t> out;
    put8(out, 'B');
    put8(out, 'M');
    put32(out, static_cast<uint32_t>(14 + dib.size()));
    put32(out, 0);
    put32(out, static_cast<uint32_t>(14 + 40 + 4 * (size_t{1} << image.bits)));
    out.insert(out.end(), dib.begin(), dib.end());
    writeFile(path, out);
}

void writeIco(const std::string& path, const std::vector<IconImage>& images) {
    std::vector<std::vector<uint8_t>> blobs;
    for (const IconImage& icon : images) {
        const IndexedImage& im = icon.colours;
        std::vector<uint8_t> blob;
        size_t maskStride = rowBytes(im.width, 1);
        auto imageBytes = static_cast<uint32_t>((rowBytes(im.width, im.bits) + maskStride) *
                                                static_cast<size_t>(im.height));
        putInfoHeader(blob, im, 2, imageBytes);
        putColourTable(blob, im, path);
        putRows(blob, im);
        for (int y = im.height - 1; y >= 0; --y) {
            std::vector<uint8_t> row(maskStride, 0);
            for (int x = 0; x < im.width; ++x) {
                auto ux = static_cast<size_t>(x);
                if (icon.transparent[static_cast<size_t>(y) * static_cast<size_t>(im.width) + ux])
                    row[ux / 8] = static_cast<uint8_t>(row[ux / 8] | (1u << (7 - ux % 8)));
            }
            blob.insert(blob.end(), row.begin(), row.end());
        }
        blobs.push_back(std::move(blob));
    }
    std::vector<uint8_t> out;
    put16(out, 0);
    put16(out, 1);
    put16(out, static_cast<unsigned>(images.size()));
    size_t offset = 6 + 16 * images.size();
    for (size_t i = 0; i < images.size(); ++i) {
        const IndexedImage& im = images[i].colours;
        put8(out, static_cast<unsigned>(im.width & 0xFF));
        put8(out, static_cast<unsigned>(im.height & 0xFF));
        put8(out, im.bits >= 8 ? 0u : (1u << im.bits));
        put8(out, 0);
        put16(out, 1);
        put16(out, static_cast<unsigned>(im.bits));
        put32(out, static_cast<uint32_t>(blobs[i].size()));
        put32(out, static_cast<uint32_t>(offset));
        offset += blobs[i].size();
    }
    for (const auto& blob : blobs)
        out.insert(out.end(), blob.begin(), blob.end());
    writeFile(path, out);
}

void writeWav(const std::string& path, int sampleRate, const std::vector<uint8_t>& samples, bool padOddData) {
    bool pad = padOddData && samples.size() % 2 == 1;
    std::vector<uint8_t> out;
    putTag(out, "RIFF");
    put32(out, static_cast<uint32_t>(4 + 24 + 8 + samples.size() + (pad ? 1 : 0)));
    putTag(out, "WAVE");
    putTag(out, "fmt ");
    put32(out, 16);
    put16(out, 1);  // PCM
    put16(out, 1);  // mono
    put32(out, static_cast<uint32_t>(sampleRate));
    put32(out, static_cast<uint32_t>(sampleRate));  // bytes per second
    put16(out, 1);                                  // block align
    put16(out, 8);                                  // bits per sample
    putTag(out, "data");
    put32(out, static_cast<uint32_t>(samples.size()));
    out.insert(out.end(), samples.begin(), samples.end());
    if (pad) out.push_back(0x80);
    writeFile(path, out);
}

void writePng(const std::string& path, const RgbImage& image, int scale) {
    int w = image.width * scale, h = image.height * scale;
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    cairo_surface_flush(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint32_t v = packRgb(image.at(x / scale, y / scale));
            std::memcpy(data + y * stride + x * 4, &v, 4);
        }
    cairo_surface_mark_dirty(s);
    const cairo_status_t status = cairo_surface_write_to_png(s, path.c_str());
    cairo_surface_destroy(s);
    if (status != CAIRO_STATUS_SUCCESS) fail(path, "cannot write");
}

}  // namespace art
