// The splash picture shown for three seconds at start: the game's name over a burst of light,
// three sevens on the reels, piles of gold coins and a frame of lamps.
#include <cmath>
#include <string>

#include "tools/art/art.h"
#include "tools/art/quantise.h"

namespace art {
namespace {

constexpr double Pi = 3.14159265358979323846;

void lampAt(cairo_t* cr, double x, double y, double r, Colour c, bool bright) {
    cairo_arc(cr, x, y, r * 2.6, 0, 2 * Pi);
    useGradient(
        cr, radial(x, y, r * 0.4, r * 2.6, {{0, withAlpha(c, bright ? 0.6 : 0.25)}, {1, withAlpha(c, 0)}}));
    cairo_fill(cr);
    cairo_arc(cr, x, y, r, 0, 2 * Pi);
    useGradient(cr, radial(x - r * 0.3, y - r * 0.3, 0, r * 1.1,
                           {{0, hex(0xFFFFFF)},
                            {0.4, bright ? lighter(c, 0.5) : c},
                            {1, darker(c, bright ? 0.1 : 0.4)}}));
    cairo_fill(cr);
}

void sparkle(cairo_t* cr, double x, double y, double r) {
    cairo_move_to(cr, x, y - r);
    cairo_curve_to(cr, x + r * 0.12, y - r * 0.12, x + r * 0.12, y - r * 0.12, x + r, y);
    cairo_curve_to(cr, x + r * 0.12, y + r * 0.12, x + r * 0.12, y + r * 0.12, x, y + r);
    cairo_curve_to(cr, x - r * 0.12, y + r * 0.12, x - r * 0.12, y + r * 0.12, x - r, y);
    cairo_curve_to(cr, x - r * 0.12, y - r * 0.12, x - r * 0.12, y - r * 0.12, x, y - r);
    cairo_close_path(cr);
    setColour(cr, hex(0xFFFFF0, 0.95));
    cairo_fill(cr);
    cairo_arc(cr, x, y, r * 0.9, 0, 2 * Pi);
    useGradient(cr, radial(x, y, 0, r * 0.9, {{0, hex(0xFFF0C0, 0.5)}, {1, hex(0xFFF0C0, 0)}}));
    cairo_fill(cr);
}

// A gold coin seen at an angle: its edge, then its face with a raised rim.
void coin(cairo_t* cr, double x, double y, double r, double tilt) {
    double ry = r * tilt;
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, 1, tilt);
    cairo_arc(cr, 0, 2.2 / tilt, r, 0, 2 * Pi);
    cairo_restore(cr);
    setColour(cr, hex(0x7A4A00));
    cairo_fill(cr);
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, 1, tilt);
    cairo_arc(cr, 0, 0, r, 0, 2 * Pi);
    cairo_restore(cr);
    useGradient(cr, linear(x - r, y - ry, x + r, y + ry,
                           {{0, hex(0xFFF4B0)}, {0.5, hex(0xF0B830)}, {1, hex(0xA06A08)}}));
    cairo_fill_preserve(cr);
    setColour(cr, hex(0x5A3400));
    cairo_set_line_width(cr, 0.8);
    cairo_stroke(cr);
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, 1, tilt);
    cairo_arc(cr, 0, 0, r * 0.72, 0, 2 * Pi);
    cairo_restore(cr);
    setColour(cr, hex(0xB07810, 0.8));
    cairo_set_line_width(cr, 0.8);
    cairo_stroke(cr);
}

void coinPile(cairo_t* cr, double x, double y, bool mirror) {
    const double pile[][3] = {{0, 0, 9},   {16, 3, 9},    {8, -5, 9},  {-12, 4, 8},
                              {24, -4, 8}, {4, -12, 8.5}, {18, -11, 8}};
    for (const auto& c : pile)
        coin(cr, x + (mirror ? -c[0] : c[0]), y + c[1], c[2], 0.45);
}

}  // namespace

IndexedImage drawSplash(const Studio& studio) {
    Canvas c = makeCanvas(240, 240);
    cairo_t* cr = c.cr;
    // Night-club backdrop with rays from behind the title.
    cairo_rectangle(cr, 0, 0, 240, 240);
    useGradient(cr, radial(120, 84, 4, 190, {{0, hex(0xE04078)}, {0.35, hex(0x740E50)}, {1, hex(0x14021C)}}));
    cairo_fill(cr);
    cairo_save(cr);
    cairo_translate(cr, 120, 84);
    for (int i = 0; i < 24; ++i) {
        double a0 = i * 2 * Pi / 24, a1 = a0 + Pi / 24;
        cairo_move_to(cr, 0, 0);
        cairo_arc(cr, 0, 0, 260, a0, a1);
        cairo_close_path(cr);
    }
    useGradient(cr, radial(0, 0, 10, 170, {{0, hex(0xFFD0F0, 0.32)}, {1, hex(0xFFD0F0, 0.0)}}));
    cairo_fill(cr);
    cairo_restore(cr);

    // Frame of lamps.
    roundedRect(cr, 4, 4, 232, 232, 14);
    cairo_set_line_width(cr, 7);
    useGradient(cr, linear(0, 0, 0, 240, {{0, hex(0xFFF0A0)}, {0.5, hex(0xD09020)}, {1, hex(0x7A4A08)}}));
    cairo_stroke(cr);
    roundedRect(cr, 8.5, 8.5, 223, 223, 10);
    cairo_set_line_width(cr, 1.2);
    setColour(cr, hex(0x3A1A00));
    cairo_stroke(cr);
    for (int i = 0; i <= 13; ++i) {
        double p = 21 + i * 198.0 / 13;
        bool odd = i % 2 == 1;
        lampAt(cr, p, 4, 2.4, hex(0xFFD850), odd);
        lampAt(cr, p, 236, 2.4, hex(0xFFD850), !odd);
        lampAt(cr, 4, p, 2.4, hex(0xFFD850), !odd);
        lampAt(cr, 236, p, 2.4, hex(0xFFD850), odd);
    }

    // The name, glowing gold.
    std::string title = "Dorurura";
    double size = 50;
    useFont(cr, studio.serifBold, size);
    double w = textAdvance(cr, title);
    if (w > 204) {
        size *= 204 / w;
        useFont(cr, studio.serifBold, size);
        w = textAdvance(cr, title);
    }
    double x = 120 - w / 2, base = 80;
    cairo_new_path(cr);
    textPath(cr, title, x, base);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    for (int i = 5; i >= 1; --i) {
        setColour(cr, hex(0xFFB040, 0.09));
        cairo_set_line_width(cr, 4.0 + i * 3.2);
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
    useGradient(cr, linear(0, base - size * 0.72, 0, base + 2,
                           {{0, hex(0xFFFBE0)},
                            {0.4, hex(0xFFD040)},
                            {0.52, hex(0xE08A10)},
                            {0.75, hex(0xFFC030)},
                            {1, hex(0xFFF0A0)}}));
    cairo_fill(cr);
    sparkle(cr, x + 6, base - size * 0.66, 6);
    sparkle(cr, x + w - 4, base - 6, 5);
    sparkle(cr, x + w * 0.56, base - size * 0.78, 3.5);

    // Three reels showing sevens.
    const double reelW = 46, reelH = 66, gap = 7, top = 98;
    double left = 120 - (3 * reelW + 2 * gap) / 2;
    double frameW = 3 * reelW + 2 * gap;
    roundedRect(cr, left - 10, top - 10, frameW + 20, reelH + 20, 10);
    setColour(cr, hex(0x000000, 0.5));
    cairo_fill(cr);
    roundedRect(cr, left - 8, top - 8, frameW + 16, reelH + 16, 8);
    useGradient(
        cr, linear(0, top - 8, 0, top + reelH + 8,
                   {{0, hex(0xFFFFFF)}, {0.35, hex(0xAEB8CC)}, {0.7, hex(0x4A5264)}, {1, hex(0x9AA4B8)}}));
    cairo_fill(cr);
    roundedRect(cr, left - 4, top - 4, frameW + 8, reelH + 8, 5);
    setColour(cr, hex(0x0A0A12));
    cairo_fill(cr);
    for (int r = 0; r < 3; ++r) {
        double rx = left + r * (reelW + gap);
        cairo_rectangle(cr, rx, top, reelW, reelH);
        useGradient(cr, linear(0, top, 0, top + reelH,
                               {{0, hex(0x6A6458)},
                                {0.22, hex(0xF4EEE0)},
                                {0.5, hex(0xFFFCF4)},
                                {0.78, hex(0xF4EEE0)},
                                {1, hex(0x6A6458)}}));
        cairo_fill(cr);
        Canvas seven = drawSymbol(studio, 'G', static_cast<int>(reelW), static_cast<int>(reelH), 1.75);
        cairo_set_source_surface(cr, seven.surface, rx, top);
        cairo_paint(cr);
        freeCanvas(seven);
    }
    // Pay line across the sevens.
    cairo_move_to(cr, left - 4, top + reelH / 2);
    cairo_line_to(cr, left + frameW + 4, top + reelH / 2);
    setColour(cr, hex(0xFF2040, 0.5));
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);

    // Coins at the foot, and the tag line between them.
    coinPile(cr, 34, 208, false);
    coinPile(cr, 206, 208, true);
    std::string tag = "SLOT MACHINES";
    int tw = pixelTextWidth(studio.label, tag, 1);
    pixelTextOutlined(cr, studio.label, tag, 120 - tw / 2, 186, 1, hex(0xFFF0C0), hex(0x3A0A20));
    sparkle(cr, 60, 196, 4);
    sparkle(cr, 186, 178, 3.5);

    RgbImage img = canvasImage(c);
    freeCanvas(c);
    QuantiseOptions o;
    o.bits = 8;
    o.dither = 0.5;
    return quantise(img, o);
}

}  // namespace art
