// The splash picture shown for three seconds at start: the game's name over a burst of light,
// three sevens on the reels, and a frame of lamps.
#include <cmath>
#include <string>

#include "tools/art/art.h"
#include "tools/art/quantise.h"

namespace art {
namespace {

constexpr double Pi = 3.14159265358979323846;

void lampAt(cairo_t* cr, double x, double y, double r, Colour c, bool on) {
    if (on) {
        cairo_arc(cr, x, y, r * 2.4, 0, 2 * Pi);
        useGradient(cr, radial(x, y, r * 0.4, r * 2.4, {{0, withAlpha(c, 0.55)}, {1, withAlpha(c, 0)}}));
        cairo_fill(cr);
    }
    cairo_arc(cr, x, y, r, 0, 2 * Pi);
    useGradient(cr, radial(x - r * 0.3, y - r * 0.3, 0, r,
                           {{0, on ? lighter(c, 0.8) : darker(c, 0.4)},
                            {0.6, on ? c : darker(c, 0.6)},
                            {1, darker(c, 0.75)}}));
    cairo_fill(cr);
}

}  // namespace

IndexedImage drawSplash(const Studio& studio) {
    Canvas c = makeCanvas(240, 240);
    cairo_t* cr = c.cr;
    // Night-club backdrop with rays from behind the title.
    cairo_rectangle(cr, 0, 0, 240, 240);
    useGradient(cr, radial(120, 92, 4, 190, {{0, hex(0xC8306A)}, {0.35, hex(0x6A0C48)}, {1, hex(0x12021A)}}));
    cairo_fill(cr);
    cairo_save(cr);
    cairo_translate(cr, 120, 92);
    for (int i = 0; i < 24; ++i) {
        double a0 = i * 2 * Pi / 24, a1 = a0 + Pi / 24;
        cairo_move_to(cr, 0, 0);
        cairo_arc(cr, 0, 0, 260, a0, a1);
        cairo_close_path(cr);
    }
    useGradient(cr, radial(0, 0, 10, 170, {{0, hex(0xFFD0F0, 0.35)}, {1, hex(0xFFD0F0, 0.0)}}));
    cairo_fill(cr);
    cairo_restore(cr);

    // Frame of lamps.
    roundedRect(cr, 4, 4, 232, 232, 14);
    cairo_set_line_width(cr, 6);
    useGradient(cr, linear(0, 0, 0, 240, {{0, hex(0xFFF0A0)}, {0.5, hex(0xD09020)}, {1, hex(0x7A4A08)}}));
    cairo_stroke(cr);
    roundedRect(cr, 9, 9, 222, 222, 10);
    cairo_set_line_width(cr, 1.2);
    setColour(cr, hex(0x3A1A00));
    cairo_stroke(cr);
    int k = 0;
    for (int i = 0; i <= 14; ++i) {
        double p = 20 + i * 200.0 / 14;
        lampAt(cr, p, 4, 2.6, hex(0xFFE070), (k++ % 2) == 0);
        lampAt(cr, p, 236, 2.6, hex(0xFFE070), (k % 2) == 0);
        lampAt(cr, 4, p, 2.6, hex(0xFFE070), (k % 2) == 1);
        lampAt(cr, 236, p, 2.6, hex(0xFFE070), (k % 2) == 0);
    }

    // The name.
    std::string title = "Dorurura";
    useFont(cr, studio.serifBold, 46);
    double w = textAdvance(cr, title);
    double x = 120 - w / 2, base = 108;
    cairo_new_path(cr);
    textPath(cr, title, x, base);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    for (int i = 4; i >= 1; --i) {  // glow
        setColour(cr, hex(0xFFB040, 0.10));
        cairo_set_line_width(cr, 4.0 + i * 3.0);
        cairo_stroke_preserve(cr);
    }
    cairo_new_path(cr);
    textPath(cr, title, x + 2, base + 3);
    setColour(cr, hex(0x200008, 0.8));
    cairo_fill(cr);
    textPath(cr, title, x, base);
    setColour(cr, hex(0x3A1400));
    cairo_set_line_width(cr, 4.5);
    cairo_stroke_preserve(cr);
    setColour(cr, hex(0xFFF4C0));
    cairo_set_line_width(cr, 1.6);
    cairo_stroke_preserve(cr);
    useGradient(cr, linear(0, base - 34, 0, base + 2,
                           {{0, hex(0xFFFBE0)},
                            {0.4, hex(0xFFD040)},
                            {0.52, hex(0xE08A10)},
                            {0.75, hex(0xFFC030)},
                            {1, hex(0xFFF0A0)}}));
    cairo_fill(cr);

    // Three reels showing sevens.
    const double reelW = 40, reelH = 52, gap = 8, top = 128;
    double left = 120 - (3 * reelW + 2 * gap) / 2;
    roundedRect(cr, left - 8, top - 8, 3 * reelW + 2 * gap + 16, reelH + 16, 8);
    useGradient(cr, linear(0, top - 8, 0, top + reelH + 8,
                           {{0, hex(0xF0F4FA)}, {0.5, hex(0x8A94A6)}, {1, hex(0x3A4050)}}));
    cairo_fill(cr);
    roundedRect(cr, left - 5, top - 5, 3 * reelW + 2 * gap + 10, reelH + 10, 6);
    setColour(cr, hex(0x101018));
    cairo_fill(cr);
    for (int r = 0; r < 3; ++r) {
        double rx = left + r * (reelW + gap);
        cairo_rectangle(cr, rx, top, reelW, reelH);
        useGradient(
            cr,
            linear(0, top, 0, top + reelH,
                   {{0, hex(0x8A8478)}, {0.25, hex(0xFBF6EA)}, {0.75, hex(0xFBF6EA)}, {1, hex(0x8A8478)}}));
        cairo_fill(cr);
        Canvas seven = drawSymbol(studio, 'G', 24, 34);
        cairo_save(cr);
        cairo_translate(cr, rx + reelW / 2 - 24 * 0.8, top + reelH / 2 - 34 * 0.8);
        cairo_scale(cr, 1.6, 1.6);
        cairo_set_source_surface(cr, seven.surface, 0, 0);
        cairo_paint(cr);
        cairo_restore(cr);
        freeCanvas(seven);
    }
    // Pay line across the sevens.
    cairo_move_to(cr, left - 4, top + reelH / 2);
    cairo_line_to(cr, left + 3 * reelW + 2 * gap + 4, top + reelH / 2);
    setColour(cr, hex(0xFF3040, 0.55));
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);

    // Tag line.
    std::string tag = "FOUR MACHINES";
    int tw = pixelTextWidth(studio.label, tag, 1);
    pixelTextOutlined(cr, studio.label, tag, 120 - tw / 2, 204, 1, hex(0xFFF0C0), hex(0x3A0A20));

    RgbImage img = canvasImage(c);
    freeCanvas(c);
    QuantiseOptions o;
    o.bits = 8;
    o.dither = 0.5;
    return quantise(img, o);
}

}  // namespace art
