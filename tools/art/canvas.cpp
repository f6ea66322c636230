#include "tools/art/canvas.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstring>
#include <fstream>
#include <vector>

#include "tools/art/error.h"

namespace art {

namespace {
constexpr double Pi = 3.14159265358979323846;
}  // namespace

Colour mix(Colour a, Colour b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}
Colour lighter(Colour c, double t) {
    return mix(c, {1, 1, 1, c.a}, t);
}
Colour darker(Colour c, double t) {
    return mix(c, {0, 0, 0, c.a}, t);
}
Colour withAlpha(Colour c, double a) {
    return {c.r, c.g, c.b, a};
}
Rgb toRgb(Colour c) {
    auto byte = [](double v) { return static_cast<uint8_t>(std::clamp(v * 255.0 + 0.5, 0.0, 255.0)); };
    return {byte(c.r), byte(c.g), byte(c.b)};
}

Canvas makeCanvas(int width, int height, bool transparent) {
    Canvas c;
    c.width = width;
    c.height = height;
    c.surface =
        cairo_image_surface_create(transparent ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24, width, height);
    c.cr = cairo_create(c.surface);
    if (!transparent) {
        cairo_set_source_rgb(c.cr, 0, 0, 0);
        cairo_paint(c.cr);
    }
    return c;
}

void freeCanvas(Canvas& canvas) {
    if (canvas.cr) cairo_destroy(canvas.cr);
    if (canvas.surface) cairo_surface_destroy(canvas.surface);
    canvas = Canvas{};
}

RgbImage canvasImage(const Canvas& canvas) {
    cairo_surface_flush(canvas.surface);
    const unsigned char* data = cairo_image_surface_get_data(canvas.surface);
    int stride = cairo_image_surface_get_stride(canvas.surface);
    RgbImage out(canvas.width, canvas.height);
    for (int y = 0; y < canvas.height; ++y)
        for (int x = 0; x < canvas.width; ++x) {
            uint32_t v = 0;
            std::memcpy(&v, data + y * stride + x * 4, 4);
            // Premultiplied colour over black is the colour channels as they are.
            out.at(x, y) = unpackRgb(v & 0xFFFFFFu);
        }
    return out;
}

cairo_surface_t* surfaceFrom(const RgbImage& image) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, image.width, image.height);
    cairo_surface_flush(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            uint32_t v = packRgb(image.at(x, y));
            std::memcpy(data + y * stride + x * 4, &v, 4);
        }
    cairo_surface_mark_dirty(s);
    return s;
}

void setColour(cairo_t* cr, Colour c) {
    cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a);
}

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
    r = std::min({r, w / 2, h / 2});
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -Pi / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, Pi / 2);
    cairo_arc(cr, x + r, y + h - r, r, Pi / 2, Pi);
    cairo_arc(cr, x + r, y + r, r, Pi, 3 * Pi / 2);
    cairo_close_path(cr);
}

namespace {
void addStops(cairo_pattern_t* p, Stops stops) {
    for (const auto& [at, c] : stops)
        cairo_pattern_add_color_stop_rgba(p, at, c.r, c.g, c.b, c.a);
}
}  // namespace

cairo_pattern_t* linear(double x0, double y0, double x1, double y1, Stops stops) {
    cairo_pattern_t* p = cairo_pattern_create_linear(x0, y0, x1, y1);
    addStops(p, stops);
    return p;
}

cairo_pattern_t* radial(double cx, double cy, double r0, double r1, Stops stops) {
    cairo_pattern_t* p = cairo_pattern_create_radial(cx, cy, r0, cx, cy, r1);
    addStops(p, stops);
    return p;
}

void useGradient(cairo_t* cr, cairo_pattern_t* pattern) {
    cairo_set_source(cr, pattern);
    cairo_pattern_destroy(pattern);
}

OutlineFont loadOutlineFont(const std::string& path) {
    static FT_Library library = nullptr;
    if (!library && FT_Init_FreeType(&library) != 0) fail(path, "FreeType does not start");
    FT_Face face = nullptr;
    if (FT_New_Face(library, path.c_str(), 0, &face) != 0)
        fail(path, "cannot open the font (Debian package fonts-dejavu-core)");
    OutlineFont f;
    f.face = face;
    f.cairoFace = cairo_ft_font_face_create_for_ft_face(face, 0);
    return f;
}

void useFont(cairo_t* cr, const OutlineFont& font, double size) {
    cairo_set_font_face(cr, font.cairoFace);
    cairo_set_font_size(cr, size);
}

double textAdvance(cairo_t* cr, const std::string& text) {
    cairo_text_extents_t e;
    cairo_text_extents(cr, text.c_str(), &e);
    return e.x_advance;
}

void textPath(cairo_t* cr, const std::string& text, double x, double y) {
    cairo_move_to(cr, x, y);
    cairo_text_path(cr, text.c_str());
}

PixelFont loadPixelFont(const std::string& path) {
    std::ifstream in(path);
    if (!in) fail(path, "cannot read");
    PixelFont font;
    font.path = path;
    std::string line;
    PixelGlyph* current = nullptr;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.pop_back();
        if (line.empty() || line[0] == ';') continue;
        if (line.size() == 3 && line[0] == '[' && line[2] == ']') {
            current = &font.glyphs[line[1]];
            current->rows.clear();
            continue;
        }
        if (!current) fail(path + ":" + std::to_string(lineNo), "pixels before the first [c] heading");
        current->rows.push_back(line);
        current->width = std::max(current->width, static_cast<int>(line.size()));
        font.height = std::max(font.height, static_cast<int>(current->rows.size()));
    }
    return font;
}

const PixelGlyph& glyphOf(const PixelFont& font, char c) {
    auto it = font.glyphs.find(c);
    if (it == font.glyphs.end()) fail(font.path, std::string("no glyph for '") + c + "'");
    return it->second;
}

int pixelTextWidth(const PixelFont& font, const std::string& text, int gap) {
    int w = 0;
    for (size_t i = 0; i < text.size(); ++i)
        w += glyphOf(font, text[i]).width + (i + 1 < text.size() ? gap : 0);
    return w;
}

void pixelTextPath(cairo_t* cr, const PixelFont& font, const std::string& text, int x, int y, int gap,
                   const std::string& inks) {
    int pen = x;
    for (char ch : text) {
        const PixelGlyph& g = glyphOf(font, ch);
        for (size_t row = 0; row < g.rows.size(); ++row)
            for (size_t col = 0; col < g.rows[row].size(); ++col) {
                char p = g.rows[row][col];
                if (p == '.' || (!inks.empty() && inks.find(p) == std::string::npos)) continue;
                cairo_rectangle(cr, pen + static_cast<double>(col), y + static_cast<double>(row), 1, 1);
            }
        pen += g.width + gap;
    }
}

void blurSurface(cairo_surface_t* surface, int radius) {
    if (radius <= 0) return;
    cairo_surface_flush(surface);
    int w = cairo_image_surface_get_width(surface), h = cairo_image_surface_get_height(surface);
    int stride = cairo_image_surface_get_stride(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    std::vector<int> buf(static_cast<size_t>(w) * static_cast<size_t>(h) * 4);
    auto idx = [w](int x, int y, int c) {
        return (static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)) * 4 +
               static_cast<size_t>(c);
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 4; ++c)
                buf[idx(x, y, c)] = data[y * stride + x * 4 + c];
    std::vector<int> tmp(buf.size());
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < h; ++y)  // horizontal
            for (int x = 0; x < w; ++x)
                for (int c = 0; c < 4; ++c) {
                    int sum = 0, n = 0;
                    for (int k = -radius; k <= radius; ++k) {
                        int xx = x + k;
                        if (xx < 0 || xx >= w) continue;
                        sum += buf[idx(xx, y, c)];
                        ++n;
                    }
                    tmp[idx(x, y, c)] = sum / (2 * radius + 1) + (n == 0 ? 0 : 0);
                }
        for (int y = 0; y < h; ++y)  // vertical
            for (int x = 0; x < w; ++x)
                for (int c = 0; c < 4; ++c) {
                    int sum = 0;
                    for (int k = -radius; k <= radius; ++k) {
                        int yy = y + k;
                        if (yy < 0 || yy >= h) continue;
                        sum += tmp[idx(x, yy, c)];
                    }
                    buf[idx(x, y, c)] = sum / (2 * radius + 1);
                }
    }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 4; ++c)
                data[y * stride + x * 4 + c] =
                    static_cast<unsigned char>(std::clamp(buf[idx(x, y, c)], 0, 255));
    cairo_surface_mark_dirty(surface);
}

void pixelTextOutlined(cairo_t* cr, const PixelFont& font, const std::string& text, int x, int y, int gap,
                       Colour fill, Colour outline) {
    cairo_new_path(cr);
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (dx != 0 || dy != 0) pixelTextPath(cr, font, text, x + dx, y + dy, gap);
    setColour(cr, outline);
    cairo_fill(cr);
    pixelTextPath(cr, font, text, x, y, gap);
    setColour(cr, fill);
    cairo_fill(cr);
}

}  // namespace art
