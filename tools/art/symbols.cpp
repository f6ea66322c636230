// The nine reel symbols and the reel strips they are printed on.
//
// Each symbol is drawn in a 24 x 28 design box, then centred by its own ink in the cell it is
// given, so that every symbol sits in the middle of its band of the strip.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "tools/art/art.h"
#include "tools/art/quantise.h"

namespace art {
namespace {

constexpr double Pi = 3.14159265358979323846;

void circle(cairo_t* cr, double x, double y, double r) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x, y, r, 0, 2 * Pi);
}

void ellipse(cairo_t* cr, double x, double y, double rx, double ry, double angle) {
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_rotate(cr, angle);
    cairo_scale(cr, rx, ry);
    cairo_new_sub_path(cr);
    cairo_arc(cr, 0, 0, 1, 0, 2 * Pi);
    cairo_restore(cr);
}

// Fills the current path with a ball-like radial gradient and outlines it.
void shadedFill(cairo_t* cr, double cx, double cy, double r, Colour light, Colour mid, Colour dark,
                Colour line, double lineWidth = 1.0) {
    useGradient(cr,
                radial(cx - r * 0.35, cy - r * 0.4, r * 0.1, r * 1.25, {{0, light}, {0.45, mid}, {1, dark}}));
    cairo_fill_preserve(cr);
    setColour(cr, line);
    cairo_set_line_width(cr, lineWidth);
    cairo_stroke(cr);
}

void shine(cairo_t* cr, double x, double y, double rx, double ry, double angle, double alpha) {
    ellipse(cr, x, y, rx, ry, angle);
    setColour(cr, hex(0xFFFFFF, alpha));
    cairo_fill(cr);
}

void leaf(cairo_t* cr, double x, double y, double length, double angle) {
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_rotate(cr, angle);
    cairo_move_to(cr, 0, 0);
    cairo_curve_to(cr, length * 0.3, -length * 0.38, length * 0.75, -length * 0.32, length, 0);
    cairo_curve_to(cr, length * 0.75, length * 0.32, length * 0.3, length * 0.38, 0, 0);
    cairo_close_path(cr);
    useGradient(cr, linear(0, -length * 0.35, 0, length * 0.35, {{0, hex(0x9CE05A)}, {1, hex(0x2E8A1E)}}));
    cairo_fill_preserve(cr);
    setColour(cr, hex(0x1A4A10));
    cairo_set_line_width(cr, 0.8);
    cairo_stroke(cr);
    cairo_move_to(cr, length * 0.12, 0);
    cairo_line_to(cr, length * 0.85, 0);
    setColour(cr, hex(0x1A5A10, 0.7));
    cairo_set_line_width(cr, 0.6);
    cairo_stroke(cr);
    cairo_restore(cr);
}

void cherries(cairo_t* cr) {
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    // Stems.
    for (int pass = 0; pass < 2; ++pass) {
        cairo_move_to(cr, 7.5, 17);
        cairo_curve_to(cr, 8.5, 11, 11, 7, 14.5, 4.5);
        cairo_move_to(cr, 16.5, 18.5);
        cairo_curve_to(cr, 16.5, 12, 15.5, 8, 14.5, 4.5);
        setColour(cr, pass == 0 ? hex(0x1E4A10) : hex(0x5AA028));
        cairo_set_line_width(cr, pass == 0 ? 2.4 : 1.2);
        cairo_stroke(cr);
    }
    leaf(cr, 14.5, 4.5, 8.5, -0.35);
    const double cx[2] = {7.2, 16.6}, cy[2] = {20.8, 22.2};
    for (int i = 0; i < 2; ++i) {
        circle(cr, cx[i], cy[i], 5.6);
        shadedFill(cr, cx[i], cy[i], 5.6, hex(0xFF8A80), hex(0xE0141E), hex(0x7A0008), hex(0x480006));
        shine(cr, cx[i] - 2.0, cy[i] - 2.2, 1.6, 1.0, -0.6, 0.85);
    }
}

void lemon(cairo_t* cr) {
    cairo_save(cr);
    cairo_translate(cr, 12, 14.5);
    cairo_rotate(cr, -0.42);
    cairo_move_to(cr, -11.5, 0);
    cairo_curve_to(cr, -10, -9.5, 10, -9.5, 11.5, 0);
    cairo_curve_to(cr, 10, 9.5, -10, 9.5, -11.5, 0);
    cairo_close_path(cr);
    useGradient(
        cr, radial(-3, -3.5, 1, 13,
                   {{0, hex(0xFFFBD0)}, {0.4, hex(0xFFE23A)}, {0.85, hex(0xE0B000)}, {1, hex(0xB08400)}}));
    cairo_fill_preserve(cr);
    setColour(cr, hex(0x6A4E00));
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    // Pores.
    setColour(cr, hex(0xC09400, 0.55));
    const double pores[][2] = {{3, 2.5}, {5.5, -1}, {-1, 4}, {1.5, 5.5}, {6.5, 2.5}, {-4, 3}};
    for (const auto& p : pores) {
        circle(cr, p[0], p[1], 0.45);
        cairo_fill(cr);
    }
    shine(cr, -4.5, -3.6, 3.4, 1.3, -0.1, 0.8);
    cairo_restore(cr);
}

void orange(cairo_t* cr) {
    circle(cr, 12, 16, 10.2);
    shadedFill(cr, 12, 16, 10.2, hex(0xFFE0A0), hex(0xFF9412), hex(0xB04A00), hex(0x5A2400));
    setColour(cr, hex(0xC85A00, 0.45));
    const double pores[][2] = {{15, 19}, {17.5, 15}, {10, 21}, {14, 23}, {18, 20.5}, {6.5, 18}};
    for (const auto& p : pores) {
        circle(cr, p[0], p[1], 0.5);
        cairo_fill(cr);
    }
    shine(cr, 8.2, 11.8, 3.2, 1.7, -0.7, 0.75);
    // Stem and leaf.
    cairo_move_to(cr, 12, 6.5);
    cairo_line_to(cr, 12.5, 4);
    setColour(cr, hex(0x5A3A10));
    cairo_set_line_width(cr, 1.6);
    cairo_stroke(cr);
    leaf(cr, 12.5, 5, 9, -0.55);
}

void grapes(cairo_t* cr) {
    // Stem and leaf behind the bunch.
    cairo_move_to(cr, 12, 8);
    cairo_curve_to(cr, 12, 5, 11, 3.5, 9.5, 2.5);
    setColour(cr, hex(0x5A3A10));
    cairo_set_line_width(cr, 1.6);
    cairo_stroke(cr);
    leaf(cr, 12, 6, 9.5, -0.3);
    const double grapes[][2] = {{5, 11.2},   {12, 10.4}, {19, 11.2},   {8.5, 16.8}, {15.5, 16.8},
                                {5.6, 21.8}, {12, 22.2}, {18.4, 21.8}, {12, 27.4}};
    const double order[] = {0, 2, 1, 3, 4, 5, 7, 6, 8};
    for (double k : order) {
        const auto& g = grapes[static_cast<size_t>(k)];
        circle(cr, g[0], g[1], 3.6);
        shadedFill(cr, g[0], g[1], 3.6, hex(0xE4A8FF), hex(0x8A2AD4), hex(0x3A0870), hex(0x26044A), 0.9);
        shine(cr, g[0] - 1.3, g[1] - 1.4, 1.1, 0.7, -0.6, 0.8);
    }
}

void bell(cairo_t* cr) {
    // Knob.
    circle(cr, 12, 3.6, 2.2);
    shadedFill(cr, 12, 3.6, 2.2, hex(0xFFF0A0), hex(0xE0A010), hex(0x7A4A00), hex(0x4A2A00), 0.9);
    // Clapper.
    circle(cr, 12, 24.2, 2.8);
    shadedFill(cr, 12, 24.2, 2.8, hex(0xFFF0A0), hex(0xD89810), hex(0x6A3A00), hex(0x4A2A00), 0.9);
    // Body.
    cairo_move_to(cr, 12, 5);
    cairo_curve_to(cr, 5.5, 5, 5.5, 10, 5, 15);
    cairo_curve_to(cr, 4.6, 18.5, 2.5, 19.5, 1.5, 21.5);
    cairo_curve_to(cr, 1.2, 23, 22.8, 23, 22.5, 21.5);
    cairo_curve_to(cr, 21.5, 19.5, 19.4, 18.5, 19, 15);
    cairo_curve_to(cr, 18.5, 10, 18.5, 5, 12, 5);
    cairo_close_path(cr);
    useGradient(cr, linear(1.5, 0, 22.5, 0,
                           {{0, hex(0x8A5400)},
                            {0.28, hex(0xFFE680)},
                            {0.45, hex(0xF8C428)},
                            {0.8, hex(0xC88400)},
                            {1, hex(0x6A3C00)}}));
    cairo_fill_preserve(cr);
    setColour(cr, hex(0x4A2800));
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    // The lip band.
    cairo_move_to(cr, 3.2, 19.6);
    cairo_curve_to(cr, 8, 21.2, 16, 21.2, 20.8, 19.6);
    setColour(cr, hex(0x8A5400, 0.9));
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    shine(cr, 8.3, 10.5, 1.3, 3.6, 0.15, 0.75);
}

void bar(const Studio& studio, cairo_t* cr) {
    roundedRect(cr, 0.5, 6, 23, 16, 2.5);
    useGradient(cr, linear(0, 6, 0, 22, {{0, hex(0xFFF0B0)}, {0.45, hex(0xE0A820)}, {1, hex(0x7A4E00)}}));
    cairo_fill(cr);
    roundedRect(cr, 1.8, 7.3, 20.4, 13.4, 1.6);
    useGradient(cr, linear(0, 7.3, 0, 20.7, {{0, hex(0x44444E)}, {0.45, hex(0x141418)}, {1, hex(0x26262E)}}));
    cairo_fill(cr);
    // Thin rules above and below the letters.
    for (double y : {8.6, 18.6}) {
        cairo_rectangle(cr, 3.5, y, 17, 0.8);
        setColour(cr, hex(0xE0A820, 0.7));
        cairo_fill(cr);
    }
    int w = pixelTextWidth(studio.label, "BAR", 1);
    int x = (24 - w) / 2;
    cairo_new_path(cr);
    pixelTextPath(cr, studio.label, "BAR", x + 1, 11, 1);
    setColour(cr, hex(0x000000, 0.8));
    cairo_fill(cr);
    pixelTextPath(cr, studio.label, "BAR", x, 10, 1);
    useGradient(cr, linear(0, 10, 0, 17, {{0, hex(0xFFFFFF)}, {1, hex(0xC8D0E0)}}));
    cairo_fill(cr);
}

void seven(const Studio& studio, cairo_t* cr) {
    useFont(cr, studio.sansBold, 31);
    cairo_text_extents_t e;
    cairo_text_extents(cr, "7", &e);
    cairo_save(cr);
    // A slight forward lean.
    cairo_matrix_t lean = {1, 0, -0.12, 1, 0, 0};
    cairo_translate(cr, 12 + 1.5, 14);
    cairo_transform(cr, &lean);
    double x = -e.x_bearing - e.width / 2, y = -e.y_bearing - e.height / 2;
    textPath(cr, "7", x, y);
    cairo_restore(cr);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    setColour(cr, hex(0x3A0000));
    cairo_set_line_width(cr, 2.4);
    cairo_stroke_preserve(cr);
    setColour(cr, hex(0xFFD24A));
    cairo_set_line_width(cr, 0.9);
    cairo_stroke_preserve(cr);
    useGradient(cr, linear(0, 0, 0, 28, {{0, hex(0xFF7A66)}, {0.45, hex(0xE81818)}, {1, hex(0x8A0000)}}));
    cairo_fill(cr);
}

void melon(cairo_t* cr) {
    // A slice: a wedge with the rind along its arc.
    const double cx = 12, cy = 27.5, r = 22;
    const double a0 = -Pi / 2 - 0.56, a1 = -Pi / 2 + 0.56;
    auto wedge = [&](double radius) {
        cairo_move_to(cr, cx, cy);
        cairo_arc(cr, cx, cy, radius, a0, a1);
        cairo_close_path(cr);
    };
    wedge(r);
    useGradient(cr, linear(0, 5, 0, 9, {{0, hex(0x3AA030)}, {1, hex(0x1A6A18)}}));
    cairo_fill_preserve(cr);
    setColour(cr, hex(0x0E3A0C));
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    wedge(r - 2.4);
    setColour(cr, hex(0xE8F8C8));
    cairo_fill(cr);
    wedge(r - 3.6);
    useGradient(cr, radial(12, 12, 1, 18, {{0, hex(0xFF8A8A)}, {0.5, hex(0xF0283C)}, {1, hex(0xB00A20)}}));
    cairo_fill(cr);
    wedge(r - 3.6);
    setColour(cr, hex(0x6A0010, 0.8));
    cairo_set_line_width(cr, 0.7);
    cairo_stroke(cr);
    const double seeds[][2] = {{8.5, 11}, {15.5, 11}, {12, 14.5}, {9.5, 18}, {14.5, 18}};
    for (const auto& s : seeds) {
        ellipse(cr, s[0], s[1], 0.9, 1.5, (s[0] - 12) * 0.08);
        setColour(cr, hex(0x1A0A0A));
        cairo_fill(cr);
    }
    shine(cr, 9, 8.4, 3.5, 0.8, -0.25, 0.55);
}

void diamond(cairo_t* cr) {
    // Outline: table, crown and pavilion.
    const double top = 6.5, girdle = 12, tip = 26.5;
    const auto outline = [&] {
        cairo_move_to(cr, 6.5, top);
        cairo_line_to(cr, 17.5, top);
        cairo_line_to(cr, 23.2, girdle);
        cairo_line_to(cr, 12, tip);
        cairo_line_to(cr, 0.8, girdle);
        cairo_close_path(cr);
    };
    outline();
    setColour(cr, hex(0x1A6AD0));
    cairo_fill(cr);
    auto facet = [&](std::initializer_list<std::pair<double, double>> pts, Colour c) {
        bool first = true;
        for (auto [x, y] : pts) {
            if (first)
                cairo_move_to(cr, x, y);
            else
                cairo_line_to(cr, x, y);
            first = false;
        }
        cairo_close_path(cr);
        setColour(cr, c);
        cairo_fill(cr);
    };
    // Crown facets.
    facet({{6.5, top}, {17.5, top}, {15, girdle}, {9, girdle}}, hex(0xC8F4FF));
    facet({{0.8, girdle}, {6.5, top}, {9, girdle}}, hex(0x7AD8FF));
    facet({{23.2, girdle}, {17.5, top}, {15, girdle}}, hex(0x3AA8F0));
    // Pavilion facets.
    facet({{0.8, girdle}, {9, girdle}, {12, tip}}, hex(0x4AB8F8));
    facet({{9, girdle}, {15, girdle}, {12, tip}}, hex(0x2A8AE8));
    facet({{15, girdle}, {23.2, girdle}, {12, tip}}, hex(0x0E58B8));
    // Edges.
    outline();
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    setColour(cr, hex(0x0A2A66));
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    cairo_move_to(cr, 0.8, girdle);
    cairo_line_to(cr, 23.2, girdle);
    cairo_move_to(cr, 9, girdle);
    cairo_line_to(cr, 12, tip);
    cairo_line_to(cr, 15, girdle);
    setColour(cr, hex(0xFFFFFF, 0.45));
    cairo_set_line_width(cr, 0.6);
    cairo_stroke(cr);
    // Sparkle.
    cairo_move_to(cr, 7.5, 4.2);
    cairo_line_to(cr, 7.5, 11.2);
    cairo_move_to(cr, 4, 7.7);
    cairo_line_to(cr, 11, 7.7);
    setColour(cr, hex(0xFFFFFF, 0.9));
    cairo_set_line_width(cr, 0.8);
    cairo_stroke(cr);
    circle(cr, 7.5, 7.7, 1.1);
    cairo_fill(cr);
}

}  // namespace

Canvas drawSymbol(const Studio& studio, char letter, int width, int height, double scale) {
    // Draw in the design box on a scratch canvas, then centre by the ink.
    Canvas scratch = makeCanvas(width + 8, height + 8, true);
    cairo_t* cr = scratch.cr;
    cairo_translate(cr, 4 + (width - 24 * scale) / 2.0, 4 + (height - 28 * scale) / 2.0);
    cairo_scale(cr, scale, scale);
    switch (letter) {
        case 'A':
            cherries(cr);
            break;
        case 'B':
            lemon(cr);
            break;
        case 'C':
            orange(cr);
            break;
        case 'D':
            grapes(cr);
            break;
        case 'E':
            bell(cr);
            break;
        case 'F':
            bar(studio, cr);
            break;
        case 'G':
            seven(studio, cr);
            break;
        case 'H':
            melon(cr);
            break;
        default:
            diamond(cr);
            break;
    }
    cairo_surface_flush(scratch.surface);
    const unsigned char* data = cairo_image_surface_get_data(scratch.surface);
    int stride = cairo_image_surface_get_stride(scratch.surface);
    int minX = scratch.width, minY = scratch.height, maxX = -1, maxY = -1;
    for (int y = 0; y < scratch.height; ++y)
        for (int x = 0; x < scratch.width; ++x) {
            uint32_t v = 0;
            std::memcpy(&v, data + y * stride + x * 4, 4);
            if ((v >> 24) > 24) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
                minY = std::min(minY, y);
                maxY = std::max(maxY, y);
            }
        }
    Canvas out = makeCanvas(width, height, true);
    if (maxX >= 0) {
        double dx = width / 2.0 - (minX + maxX + 1) / 2.0;
        double dy = height / 2.0 - (minY + maxY + 1) / 2.0;
        cairo_set_source_surface(out.cr, scratch.surface, std::round(dx), std::round(dy));
        cairo_paint(out.cr);
    }
    freeCanvas(scratch);
    return out;
}

IndexedImage drawStrip(const Studio& studio, int stripWidth, int windowWidth, int windowHeight,
                       const StripStyle& style) {
    const int h = windowHeight;
    const int band = h / 2;
    const int cycle = h * 18 / 4;
    Canvas c = makeCanvas(stripWidth, cycle + h);
    cairo_t* cr = c.cr;
    // The paper of the reel, darker towards the sides as the drum curves away.
    Colour face = {style.face.r / 255.0, style.face.g / 255.0, style.face.b / 255.0, 1};
    Colour edge = {style.edge.r / 255.0, style.edge.g / 255.0, style.edge.b / 255.0, 1};
    useGradient(cr, linear(0, 0, windowWidth, 0, {{0, edge}, {0.22, face}, {0.6, face}, {1, edge}}));
    cairo_paint(cr);
    // Symbols every h / 2 rows: I first (stop 17 wraps to the top), then A to H.
    const char order[9] = {'I', 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H'};
    for (int j = 0; j < 9; ++j) {
        Canvas sym = drawSymbol(studio, order[j], windowWidth, band);
        // A soft shadow on the paper, then the symbol.
        cairo_save(cr);
        cairo_rectangle(cr, 0, j * band, stripWidth, band);
        cairo_clip(cr);
        cairo_set_source_rgba(cr, 0.25, 0.18, 0.1, 0.22);
        cairo_mask_surface(cr, sym.surface, 1, j * band + 1);
        cairo_set_source_surface(cr, sym.surface, 0, j * band);
        cairo_paint(cr);
        cairo_restore(cr);
        freeCanvas(sym);
    }
    RgbImage img = canvasImage(c);
    freeCanvas(c);
    // The first h rows again below the cycle.
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < stripWidth; ++x)
            img.at(x, cycle + y) = img.at(x, y);
    QuantiseOptions o;
    o.bits = 8;
    return quantise(img, o);
}

}  // namespace art
