#include "tools/rescomp/contact_sheet.h"

#include <cairo.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "tools/rescomp/bytes.h"

namespace rescomp {

bool decodeDib(const std::vector<uint8_t>& dib, bool isIcon, int& width, int& height,
               std::vector<uint32_t>& argb) {
    if (dib.size() < 40 || get32(dib, 0) != 40) return false;
    auto w = static_cast<int32_t>(get32(dib, 4));
    auto h = static_cast<int32_t>(get32(dib, 8));
    uint32_t bits = get16(dib, 14);
    if (get32(dib, 16) != 0 || w <= 0 || w > 4096 || h == 0 || h > 8192 || h < -8192) return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24) return false;
    bool bottomUp = h > 0;
    int rows = bottomUp ? h : -h;
    if (isIcon) rows /= 2;
    uint32_t colours = bits <= 8 ? (get32(dib, 32) != 0 ? get32(dib, 32) : (1u << bits)) : 0;
    size_t table = 40;
    size_t pixels = table + 4 * static_cast<size_t>(colours);
    size_t stride = ((static_cast<size_t>(w) * bits + 31) / 32) * 4;
    size_t maskStride = ((static_cast<size_t>(w) + 31) / 32) * 4;
    size_t need =
        pixels + stride * static_cast<size_t>(rows) + (isIcon ? maskStride * static_cast<size_t>(rows) : 0);
    if (dib.size() < need) return false;
    width = w;
    height = rows;
    argb.assign(static_cast<size_t>(w) * static_cast<size_t>(rows), 0);
    for (int y = 0; y < rows; ++y) {
        size_t fileRow = static_cast<size_t>(bottomUp ? rows - 1 - y : y);
        const uint8_t* row = dib.data() + pixels + fileRow * stride;
        const uint8_t* mask = dib.data() + pixels + stride * static_cast<size_t>(rows) + fileRow * maskStride;
        for (int x = 0; x < w; ++x) {
            uint32_t rgb = 0;
            auto ux = static_cast<size_t>(x);
            if (bits == 24) {
                rgb = static_cast<uint32_t>(row[3 * ux] | (row[3 * ux + 1] << 8) | (row[3 * ux + 2] << 16));
            } else {
                uint32_t index = 0;
                if (bits == 8)
                    index = row[ux];
                else if (bits == 4)
                    index = (row[ux / 2] >> ((ux % 2 == 0) ? 4 : 0)) & 0xFu;
                else
                    index = (row[ux / 8] >> (7 - ux % 8)) & 1u;
                if (index >= colours) return false;
                rgb = get32(dib, table + 4 * index) & 0xFFFFFFu;
            }
            bool transparent = isIcon && ((mask[ux / 8] >> (7 - ux % 8)) & 1u) != 0;
            argb[static_cast<size_t>(y) * static_cast<size_t>(w) + ux] =
                transparent ? 0u : (0xFF000000u | rgb);
        }
    }
    return true;
}

namespace {

struct Tile {
    std::string label;
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    int x = 0, y = 0;  // place on the sheet
};

constexpr int Scale = 2;
constexpr int Margin = 16;
constexpr int LabelHeight = 18;
constexpr int SheetWidth = 2048;

}  // namespace

bool writeContactSheet(const std::vector<Resource>& resources, const std::string& pngPath) {
    std::vector<Tile> tiles;
    for (const Resource& r : resources) {
        bool isIcon = r.type == RtIcon;
        if (r.type != RtBitmap && !isIcon) continue;
        Tile t;
        if (!decodeDib(r.data, isIcon, t.width, t.height, t.pixels)) return false;
        t.label = (isIcon ? "icon " : "") + std::to_string(r.id) + "  " + std::to_string(t.width) + "x" +
                  std::to_string(t.height) + " " + std::to_string(get16(r.data, 14)) + "bpp";
        tiles.push_back(std::move(t));
    }
    // Shelves of tiles, tallest first.
    std::stable_sort(tiles.begin(), tiles.end(),
                     [](const Tile& a, const Tile& b) { return a.height > b.height; });
    int x = Margin, y = Margin, shelf = 0;
    for (Tile& t : tiles) {
        int w = std::max(t.width * Scale, 150);
        int h = t.height * Scale + LabelHeight;
        if (x + w + Margin > SheetWidth && x > Margin) {
            x = Margin;
            y += shelf + Margin;
            shelf = 0;
        }
        t.x = x;
        t.y = y;
        x += w + Margin;
        shelf = std::max(shelf, h);
    }
    int sheetHeight = y + shelf + Margin;
    cairo_surface_t* sheet = cairo_image_surface_create(CAIRO_FORMAT_RGB24, SheetWidth, sheetHeight);
    cairo_t* cr = cairo_create(sheet);
    cairo_set_source_rgb(cr, 0.16, 0.17, 0.19);
    cairo_paint(cr);
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, 12);
    for (Tile& t : tiles) {
        cairo_set_source_rgb(cr, 0.85, 0.87, 0.9);
        cairo_move_to(cr, t.x, t.y + 13);
        cairo_show_text(cr, t.label.c_str());
        int stride = cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, t.width);
        cairo_surface_t* img = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, t.width, t.height);
        cairo_surface_flush(img);
        unsigned char* data = cairo_image_surface_get_data(img);
        for (int row = 0; row < t.height; ++row)
            for (int col = 0; col < t.width; ++col) {
                uint32_t p = t.pixels[static_cast<size_t>(row) * static_cast<size_t>(t.width) +
                                      static_cast<size_t>(col)];
                // Transparent pixels are all zero, which is also their premultiplied form.
                std::memcpy(data + row * stride + col * 4, &p, sizeof p);
            }
        cairo_surface_mark_dirty(img);
        // A checker behind, so that transparent icon pixels show as such.
        cairo_save(cr);
        cairo_rectangle(cr, t.x, t.y + LabelHeight, t.width * Scale, t.height * Scale);
        cairo_set_source_rgb(cr, 0.3, 0.3, 0.33);
        cairo_fill(cr);
        cairo_translate(cr, t.x, t.y + LabelHeight);
        cairo_scale(cr, Scale, Scale);
        cairo_set_source_surface(cr, img, 0, 0);
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
        cairo_paint(cr);
        cairo_restore(cr);
        cairo_surface_destroy(img);
    }
    cairo_destroy(cr);
    bool ok = cairo_surface_write_to_png(sheet, pngPath.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(sheet);
    return ok;
}

}  // namespace rescomp
