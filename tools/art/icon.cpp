// The program's icon: a red seven on a gold coin, at 16 x 16 (16 and 256 colours) and 32 x 32.
#include <cstring>

#include "tools/art/art.h"
#include "tools/art/files.h"
#include "tools/art/quantise.h"

namespace art {
namespace {

constexpr double Pi = 3.14159265358979323846;

IconImage drawIconImage(const Studio& studio, int size, int bits) {
    Canvas c = makeCanvas(size, size, true);
    cairo_t* cr = c.cr;
    double s = size / 32.0;
    cairo_scale(cr, s, s);
    // Coin.
    cairo_arc(cr, 16, 16, 15, 0, 2 * Pi);
    useGradient(cr, linear(0, 1, 0, 31, {{0, hex(0xFFF0A0)}, {0.5, hex(0xE0A020)}, {1, hex(0x8A5200)}}));
    cairo_fill(cr);
    cairo_arc(cr, 16, 16, 11.5, 0, 2 * Pi);
    useGradient(cr, linear(0, 4, 0, 28, {{0, hex(0xB07010)}, {1, hex(0xFFE070)}}));
    cairo_fill(cr);
    cairo_arc(cr, 16, 16, 15, 0, 2 * Pi);
    setColour(cr, hex(0x5A3000));
    cairo_set_line_width(cr, size < 32 ? 2.0 : 1.2);
    cairo_stroke(cr);
    // Seven.
    useFont(cr, studio.sansBold, 25);
    cairo_text_extents_t e;
    cairo_text_extents(cr, "7", &e);
    cairo_new_path(cr);
    textPath(cr, "7", 16.5 - e.x_bearing - e.width / 2, 16 - e.y_bearing - e.height / 2);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    setColour(cr, hex(0x3A0000));
    cairo_set_line_width(cr, size < 32 ? 3.0 : 2.2);
    cairo_stroke_preserve(cr);
    useGradient(cr, linear(0, 6, 0, 27, {{0, hex(0xFF6A5A)}, {1, hex(0xB00000)}}));
    cairo_fill(cr);

    cairo_surface_flush(c.surface);
    const unsigned char* data = cairo_image_surface_get_data(c.surface);
    int stride = cairo_image_surface_get_stride(c.surface);
    RgbImage img(size, size);
    IconImage icon;
    icon.transparent.assign(static_cast<size_t>(size * size), 0);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            uint32_t v = 0;
            std::memcpy(&v, data + y * stride + x * 4, 4);
            uint32_t a = v >> 24;
            if (a < 128) {
                icon.transparent[static_cast<size_t>(y * size + x)] = 1;
                continue;  // black under a transparent pixel
            }
            // Un-premultiply.
            auto un = [a](uint32_t ch) {
                return static_cast<uint8_t>(std::min<uint32_t>(255, ch * 255 / a));
            };
            img.at(x, y) = {un((v >> 16) & 0xFF), un((v >> 8) & 0xFF), un(v & 0xFF)};
        }
    freeCanvas(c);
    QuantiseOptions o;
    o.bits = bits;
    o.fixed = {Rgb{0, 0, 0}};
    icon.colours = quantise(img, o);
    return icon;
}

}  // namespace

void writeIcon(const Studio& studio, const std::string& path) {
    std::vector<IconImage> images = {drawIconImage(studio, 16, 4), drawIconImage(studio, 16, 8),
                                     drawIconImage(studio, 32, 8)};
    writeIco(path, images);
    // A review picture of the three images, transparent pixels grey.
    RgbImage review(16 + 2 + 16 + 2 + 32, 32, Rgb{96, 96, 104});
    int x = 0;
    for (const IconImage& icon : images) {
        RgbImage im = expand(icon.colours);
        for (int yy = 0; yy < im.height; ++yy)
            for (int xx = 0; xx < im.width; ++xx)
                if (!icon.transparent[static_cast<size_t>(yy * im.width + xx)])
                    review.at(x + xx, yy) = im.at(xx, yy);
        x += im.width + 2;
    }
    writePng(studio.outDir + "/icon-8x.png", review, 8);
}

}  // namespace art
