// The four machine faces. Everything the game draws on top of a face (reels, displays, buttons,
// the pay-table hot area) stands at the rectangles of the machine's definition, read from the
// machine table itself; the face frames those places.
//
//   Reriv Eduvud     red lacquer and gold, a lamp-lit arch, a jackpot column beside the reels
//   Dodore du Zevud  midnight blue and chrome, art-deco fan and pinstripes
//   Dudavid Udidizo  emerald and gold lattice, a column of lamps beside the reels
//   Rorav'i Rariv    violet night with neon tubes, a neon moon
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "rules/machines.h"
#include "tools/art/art.h"
#include "tools/art/quantise.h"

namespace art {
namespace {

constexpr double Pi = 3.14159265358979323846;

// The face is drawn at window (0, PictureTop): a screen rectangle is PictureTop rows lower on it.
constexpr int PictureTop = 15;
// Where the game draws the credits display on the screen: 5 digits of 4 x 5 at 5-pixel steps.
constexpr Rect16 CreditsRect = {163, 176, 25, 5};

struct Box {
    double x, y, w, h;
    double right() const { return x + w; }
    double bottom() const { return y + h; }
};

Box onFace(Rect16 r) {
    return {double(r.x), double(r.y - PictureTop), double(r.w), double(r.h)};
}
Box grow(Box b, double d) {
    return {b.x - d, b.y - d, b.w + 2 * d, b.h + 2 * d};
}
Box span(double x0, double y0, double x1, double y1) {
    return {x0, y0, x1 - x0, y1 - y0};
}

Colour fromRgb(Rgb c) {
    return {c.r / 255.0, c.g / 255.0, c.b / 255.0, 1.0};
}

struct Metal {
    Colour light, mid, dark;
};

const Metal Gold = {hex(0xFFF2B0), hex(0xE0A830), hex(0x6A4008)};
const Metal Chrome = {hex(0xFFFFFF), hex(0xAEB8CC), hex(0x3E4658)};

struct Layout {
    Box reels[MaxReels];
    int reelCount;
    Box reelArea;  // union of the reel windows
    Box bet, win, credits;
    Box buttons[3];
    Box pay;
};

Layout layoutOf(int machine) {
    const MachineDef& d = machineDefs[machine];
    Layout l{};
    l.reelCount = d.reelCount;
    double x0 = 1e9, y0 = 1e9, x1 = -1e9, y1 = -1e9;
    for (int i = 0; i < d.reelCount; ++i) {
        l.reels[i] = onFace(d.reelRects[i]);
        x0 = std::min(x0, l.reels[i].x);
        y0 = std::min(y0, l.reels[i].y);
        x1 = std::max(x1, l.reels[i].right());
        y1 = std::max(y1, l.reels[i].bottom());
    }
    l.reelArea = span(x0, y0, x1, y1);
    l.bet = onFace(d.betRect);
    l.win = onFace(d.winRect);
    l.credits = onFace(CreditsRect);
    for (int i = 0; i < 3; ++i)
        l.buttons[i] = onFace(d.controlRects[i]);
    l.pay = onFace(d.controlRects[3]);
    return l;
}

// ---- Basic pieces --------------------------------------------------------------------------------

void box(cairo_t* cr, Box b, double r) {
    roundedRect(cr, b.x, b.y, b.w, b.h, r);
}

void fillBox(cairo_t* cr, Box b, double r, Colour c) {
    box(cr, b, r);
    setColour(cr, c);
    cairo_fill(cr);
}

void vertical(cairo_t* cr, Box b, Stops stops) {
    useGradient(cr, linear(0, b.y, 0, b.bottom(), stops));
}

// A bevelled metal band of `width` around `inside`, with a dark line outside it.
void metalFrame(cairo_t* cr, Box inside, double width, double radius, const Metal& m) {
    Box outer = grow(inside, width);
    fillBox(cr, grow(outer, 1), radius + 1, hex(0x000000, 0.6));
    box(cr, outer, radius);
    vertical(cr, outer, {{0, m.light}, {0.3, m.mid}, {0.6, m.dark}, {0.85, m.mid}, {1, m.dark}});
    cairo_fill(cr);
    // The inner bevel: dark at the top, catching the light at the bottom.
    if (width >= 2.5) {
        Box bevel = grow(inside, width * 0.5);
        box(cr, bevel, std::max(0.5, radius - width * 0.5));
        vertical(cr, bevel, {{0, m.dark}, {0.5, m.mid}, {1, m.light}});
        cairo_fill(cr);
    }
    fillBox(cr, grow(inside, 0.6), std::max(0.5, radius - width), hex(0x000000, 0.7));
}

void rivet(cairo_t* cr, double x, double y, const Metal& m) {
    cairo_arc(cr, x + 0.4, y + 0.5, 1.7, 0, 2 * Pi);
    setColour(cr, hex(0x000000, 0.55));
    cairo_fill(cr);
    cairo_arc(cr, x, y, 1.5, 0, 2 * Pi);
    useGradient(cr, radial(x - 0.5, y - 0.5, 0, 1.6, {{0, m.light}, {0.6, m.mid}, {1, m.dark}}));
    cairo_fill(cr);
}

void lamp(cairo_t* cr, double x, double y, double r, Colour c, bool on) {
    if (on) {
        cairo_arc(cr, x, y, r * 2.6, 0, 2 * Pi);
        useGradient(
            cr, radial(x, y, r * 0.3, r * 2.6, {{0, withAlpha(lighter(c, 0.3), 0.6)}, {1, withAlpha(c, 0)}}));
        cairo_fill(cr);
    }
    cairo_arc(cr, x, y, r + 0.6, 0, 2 * Pi);
    setColour(cr, hex(0x000000, 0.6));
    cairo_fill(cr);
    cairo_arc(cr, x, y, r, 0, 2 * Pi);
    if (on)
        useGradient(cr, radial(x - r * 0.3, y - r * 0.35, 0, r * 1.1,
                               {{0, hex(0xFFFFFF)}, {0.35, lighter(c, 0.5)}, {1, c}}));
    else
        useGradient(
            cr, radial(x - r * 0.3, y - r * 0.35, 0, r * 1.1,
                       {{0, lighter(darker(c, 0.35), 0.35)}, {0.5, darker(c, 0.5)}, {1, darker(c, 0.75)}}));
    cairo_fill(cr);
}

// A row of lamps along a line, alternately lit.
void lampRow(cairo_t* cr, double x0, double y0, double x1, double y1, int count, double r, Colour c,
             int phase = 0) {
    for (int i = 0; i < count; ++i) {
        double t = count == 1 ? 0.5 : double(i) / (count - 1);
        lamp(cr, x0 + (x1 - x0) * t, y0 + (y1 - y0) * t, r, c, (i + phase) % 2 == 0);
    }
}

// Pixel-font text with a drop shadow, filled with a metal gradient.
void engrave(cairo_t* cr, const PixelFont& font, const std::string& text, int x, int y, const Metal& m,
             int height) {
    cairo_new_path(cr);
    pixelTextPath(cr, font, text, x + 1, y + 1, 1);
    setColour(cr, hex(0x000000, 0.85));
    cairo_fill(cr);
    pixelTextPath(cr, font, text, x, y, 1);
    useGradient(cr, linear(0, y, 0, y + height, {{0, m.light}, {1, m.mid}}));
    cairo_fill(cr);
}

void engraveCentred(cairo_t* cr, const PixelFont& font, const std::string& text, double cx, int y,
                    const Metal& m, int height) {
    int w = pixelTextWidth(font, text, 1);
    engrave(cr, font, text, static_cast<int>(std::floor(cx - w / 2.0 + 0.5)), y, m, height);
}

// Glowing pixel text, for neon and lit panels: a soft halo of the colour under crisp letters.
void glowText(cairo_t* cr, const PixelFont& font, const std::string& text, double cx, int y, Colour c) {
    int w = pixelTextWidth(font, text, 1);
    int x = static_cast<int>(std::floor(cx - w / 2.0 + 0.5));
    const int pad = 6;
    Canvas halo = makeCanvas(w + 2 * pad, font.height + 2 * pad, true);
    pixelTextPath(halo.cr, font, text, pad, pad, 1);
    setColour(halo.cr, c);
    cairo_fill(halo.cr);
    blurSurface(halo.surface, 1);
    for (int i = 0; i < 2; ++i) {
        cairo_set_source_surface(cr, halo.surface, x - pad, y - pad);
        cairo_paint(cr);
    }
    freeCanvas(halo);
    cairo_new_path(cr);
    pixelTextPath(cr, font, text, x, y, 1);
    setColour(cr, lighter(c, 0.55));
    cairo_fill(cr);
}

// The machine's name in outline letters, fitted to a width, filled with metal.
void nameplate(cairo_t* cr, const OutlineFont& font, const std::string& name, double cx, double baseline,
               double maxWidth, double size, const Metal& m, Colour edge, double squeeze = 1.0) {
    useFont(cr, font, size);
    double w = textAdvance(cr, name) * squeeze;
    if (w > maxWidth) {
        size *= maxWidth / w;
        useFont(cr, font, size);
        w = textAdvance(cr, name) * squeeze;
    }
    auto path = [&](double dx, double dy) {
        cairo_save(cr);
        cairo_translate(cr, cx - w / 2 + dx, baseline + dy);
        cairo_scale(cr, squeeze, 1);
        textPath(cr, name, 0, 0);
        cairo_restore(cr);
    };
    cairo_new_path(cr);
    path(1.2, 1.8);
    setColour(cr, hex(0x000000, 0.65));
    cairo_fill(cr);
    path(0, 0);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    setColour(cr, edge);
    cairo_set_line_width(cr, 2.6);
    cairo_stroke_preserve(cr);
    useGradient(cr,
                linear(0, baseline - size * 0.74, 0, baseline,
                       {{0, m.light}, {0.42, lighter(m.mid, 0.2)}, {0.5, darker(m.mid, 0.2)}, {1, m.light}}));
    cairo_fill(cr);
}

// Neon tube letters: the outline stroked with a glow and a white-hot core.
void neonName(cairo_t* cr, const OutlineFont& font, const std::string& name, double cx, double baseline,
              double maxWidth, double size, Colour c) {
    useFont(cr, font, size);
    double w = textAdvance(cr, name);
    if (w > maxWidth) {
        size *= maxWidth / w;
        useFont(cr, font, size);
        w = textAdvance(cr, name);
    }
    cairo_new_path(cr);
    textPath(cr, name, cx - w / 2, baseline);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    for (int i = 3; i >= 1; --i) {
        setColour(cr, withAlpha(c, 0.16));
        cairo_set_line_width(cr, 1.5 + i * 2.2);
        cairo_stroke_preserve(cr);
    }
    setColour(cr, withAlpha(darker(c, 0.55), 0.85));
    cairo_fill_preserve(cr);
    setColour(cr, c);
    cairo_set_line_width(cr, 1.7);
    cairo_stroke_preserve(cr);
    setColour(cr, lighter(c, 0.75));
    cairo_set_line_width(cr, 0.7);
    cairo_stroke(cr);
}

// A neon tube along the current path.
void neonStroke(cairo_t* cr, Colour c, double width) {
    for (int i = 3; i >= 1; --i) {
        setColour(cr, withAlpha(c, 0.13));
        cairo_set_line_width(cr, width + i * 2.4);
        cairo_stroke_preserve(cr);
    }
    setColour(cr, c);
    cairo_set_line_width(cr, width);
    cairo_stroke_preserve(cr);
    setColour(cr, lighter(c, 0.7));
    cairo_set_line_width(cr, width * 0.4);
    cairo_stroke(cr);
}

// ---- The parts every machine has --------------------------------------------------------------

// Dark glass behind the reels, with a faint diagonal sheen.
void glass(cairo_t* cr, Box b, double r, Colour top, Colour bottom) {
    box(cr, b, r);
    vertical(cr, b, {{0, top}, {1, bottom}});
    cairo_fill(cr);
    cairo_save(cr);
    box(cr, b, r);
    cairo_clip(cr);
    cairo_move_to(cr, b.x + b.w * 0.55, b.y);
    cairo_line_to(cr, b.x + b.w * 0.75, b.y);
    cairo_line_to(cr, b.x + b.w * 0.45, b.bottom());
    cairo_line_to(cr, b.x + b.w * 0.25, b.bottom());
    cairo_close_path(cr);
    setColour(cr, hex(0xFFFFFF, 0.05));
    cairo_fill(cr);
    cairo_restore(cr);
}

// Each reel window: a sunken slot, and the pay line markers at the windows' middle row.
void reelSlots(cairo_t* cr, const Layout& l, const Metal& m, Colour marker) {
    for (int i = 0; i < l.reelCount; ++i) {
        Box r = l.reels[i];
        box(cr, grow(r, 2.5), 2.5);
        vertical(cr, grow(r, 2.5), {{0, hex(0x000000)}, {0.5, darker(m.mid, 0.5)}, {1, m.light}});
        cairo_fill(cr);
        cairo_rectangle(cr, r.x - 1, r.y - 1, r.w + 2, r.h + 2);
        setColour(cr, hex(0x000000));
        cairo_fill(cr);
    }
    double mid = l.reelArea.y + l.reelArea.h / 2.0;
    for (int side = 0; side < 2; ++side) {
        double x = side == 0 ? l.reelArea.x - 7.5 : l.reelArea.right() + 7.5;
        double dir = side == 0 ? 1 : -1;
        cairo_move_to(cr, x, mid - 3.5);
        cairo_line_to(cr, x + dir * 4.5, mid);
        cairo_line_to(cr, x, mid + 3.5);
        cairo_close_path(cr);
        setColour(cr, hex(0x000000, 0.6));
        cairo_set_line_width(cr, 1.6);
        cairo_stroke_preserve(cr);
        setColour(cr, marker);
        cairo_fill(cr);
    }
}

// A display window: a sunken rim around the digits' dark glass (exactly the digits' own ground).
void displayWindow(cairo_t* cr, Box inside, const Metal& m) {
    Box rim = grow(inside, 2);
    fillBox(cr, grow(rim, 1), 2.5, hex(0x000000, 0.7));
    box(cr, rim, 2);
    vertical(cr, rim, {{0, hex(0x000000)}, {1, m.mid}});
    cairo_fill(cr);
    fillBox(cr, grow(inside, 1), 1, fromRgb(DisplayPanel));
}

// The glass of the displays: the bet and win displays share one window when they stand close.
std::vector<Box> displayGlass(const Layout& l) {
    if (l.win.y - l.bet.bottom() < 6)
        return {
            span(std::min(l.bet.x, l.win.x), l.bet.y, std::max(l.bet.right(), l.win.right()), l.win.bottom()),
            l.credits};
    return {l.bet, l.win, l.credits};
}

void displays(cairo_t* cr, const Studio& studio, const Layout& l, const Metal& m) {
    for (Box g : displayGlass(l))
        displayWindow(cr, g, m);
    auto labelLeft = [&](const char* text, Box d) {
        int w = pixelTextWidth(studio.label, text, 1);
        engrave(cr, studio.label, text, static_cast<int>(d.x) - 6 - w, static_cast<int>(d.y) + 1, m, 7);
    };
    labelLeft("BET", l.bet);
    labelLeft("WIN", l.win);
    engraveCentred(cr, studio.tiny, "CREDIT", l.credits.x + l.credits.w / 2,
                   static_cast<int>(l.credits.y) - 10, m, 5);
}

// The deck the three buttons sit in: its floor is the colour around every button face.
void buttonDeck(cairo_t* cr, const Layout& l, const Metal& m) {
    Box deck =
        span(l.buttons[0].x - 6, l.buttons[0].y - 5, l.buttons[2].right() + 6, l.buttons[0].bottom() + 5);
    metalFrame(cr, deck, 3, 6, m);
    fillBox(cr, deck, 4, fromRgb(DeckColour));
}

// An enamel plate in a metal rim, with a drop shadow; gives the enamel's box.
Box enamelPlate(cairo_t* cr, Box b, const Metal& m, Colour enamel) {
    fillBox(cr, grow(b, 1), 3.5, hex(0x000000, 0.6));
    box(cr, b, 3);
    vertical(cr, b, {{0, m.light}, {0.5, m.mid}, {1, m.dark}});
    cairo_fill(cr);
    Box inner = grow(b, -1.5);
    box(cr, inner, 2);
    vertical(cr, inner, {{0, lighter(enamel, 0.2)}, {1, darker(enamel, 0.45)}});
    cairo_fill(cr);
    return inner;
}

// The pay-table plaque, filling the hot area.
void payPlaque(cairo_t* cr, const Studio& studio, Box b, const Metal& m, Colour enamel) {
    enamelPlate(cr, b, m, enamel);
    double cx = b.x + b.w / 2;
    int y0 = static_cast<int>(b.y), w = static_cast<int>(b.w), h = static_cast<int>(b.h);
    if (h >= 40) {  // a tall plaque: P A Y S down its length
        const char* letters[4] = {"P", "A", "Y", "S"};
        int step = (h - 6) / 4;
        for (int i = 0; i < 4; ++i)
            engraveCentred(cr, studio.label, letters[i], cx, y0 + 3 + i * step + (step - 7) / 2, m, 7);
    } else if (h >= 20 && w >= 24) {
        engraveCentred(cr, studio.label, "PAY", cx, y0 + 3, m, 7);
        engraveCentred(cr, studio.tiny, "TABLE", cx, y0 + 12, m, 5);
    } else if (h >= 17) {
        engraveCentred(cr, studio.tiny, "PAY", cx, y0 + 3, m, 5);
        engraveCentred(cr, studio.tiny, "TABLE", cx, y0 + 9, m, 5);
    } else {
        engraveCentred(cr, studio.tiny, "PAYS", cx, y0 + (h - 5) / 2, m, 5);
    }
}

// A symbol from the reels, small, as an ornament.
void emblem(cairo_t* cr, const Studio& studio, char letter, double cx, double cy, double scale) {
    int w = static_cast<int>(std::ceil(26 * scale)), h = static_cast<int>(std::ceil(30 * scale));
    Canvas s = drawSymbol(studio, letter, w, h, scale);
    cairo_set_source_surface(cr, s.surface, std::round(cx - w / 2.0), std::round(cy - h / 2.0));
    cairo_paint(cr);
    freeCanvas(s);
}

// A medallion matching the pay plaque on the other side.
void medallion(cairo_t* cr, const Studio& studio, Box b, const Metal& m, Colour enamel, char letter) {
    const Box inner = enamelPlate(cr, b, m, enamel);
    cairo_save(cr);
    box(cr, inner, 2);
    cairo_clip(cr);
    emblem(cr, studio, letter, b.x + b.w / 2, b.y + b.h / 2, std::min(b.w, b.h) / 30.0);
    cairo_restore(cr);
}

void sidePillars(cairo_t* cr, const Metal& m, double width) {
    for (int side = 0; side < 2; ++side) {
        double x = side == 0 ? 0 : 240 - width;
        cairo_rectangle(cr, x, 0, width, 240);
        useGradient(cr,
                    linear(x, 0, x + width, 0, {{0, m.dark}, {0.35, m.light}, {0.65, m.mid}, {1, m.dark}}));
        cairo_fill(cr);
    }
}

// Rays from a point, faint.
void rays(cairo_t* cr, double cx, double cy, int count, double length, Colour c) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    for (int i = 0; i < count; ++i) {
        double a0 = i * 2 * Pi / count, a1 = a0 + Pi / count;
        cairo_move_to(cr, 0, 0);
        cairo_arc(cr, 0, 0, length, a0, a1);
        cairo_close_path(cr);
    }
    useGradient(cr, radial(0, 0, 0, length, {{0, c}, {1, withAlpha(c, 0)}}));
    cairo_fill(cr);
    cairo_restore(cr);
}

// The cabinet's lacquer: the whole face in a top-to-bottom gradient.
void backdrop(cairo_t* cr, Stops stops) {
    cairo_rectangle(cr, 0, 0, 240, 240);
    useGradient(cr, linear(0, 0, 0, 240, stops));
    cairo_fill(cr);
}

// ---- Reriv Eduvud --------------------------------------------------------------------------------

void rerivEduvud(cairo_t* cr, const Studio& studio, const Layout& l) {
    const Metal& m = Gold;
    // Red lacquer with a sunburst from behind the reels.
    backdrop(cr, {{0, hex(0x9A1018)}, {0.5, hex(0x78080E)}, {1, hex(0x300204)}});
    rays(cr, l.reelArea.x + l.reelArea.w / 2, l.reelArea.y + l.reelArea.h / 2, 28, 200, hex(0xFF7050, 0.22));
    sidePillars(cr, m, 7);
    lampRow(cr, 3.5, 20, 3.5, 226, 10, 1.8, hex(0xFFD860));
    lampRow(cr, 236.5, 20, 236.5, 226, 10, 1.8, hex(0xFFD860), 1);

    // The arch: dark red glass under a gold rim, lamps along it.
    Box arch = span(11, 4, 229, 51);
    cairo_new_path(cr);
    cairo_move_to(cr, arch.x, arch.bottom());
    cairo_line_to(cr, arch.x, arch.y + 22);
    cairo_curve_to(cr, arch.x, arch.y - 2, arch.right(), arch.y - 2, arch.right(), arch.y + 22);
    cairo_line_to(cr, arch.right(), arch.bottom());
    cairo_close_path(cr);
    setColour(cr, hex(0x000000, 0.6));
    cairo_set_line_width(cr, 6);
    cairo_stroke_preserve(cr);
    vertical(cr, arch, {{0, m.light}, {0.4, m.mid}, {1, m.dark}});
    cairo_set_line_width(cr, 4);
    cairo_stroke_preserve(cr);
    useGradient(cr, radial(120, 40, 10, 120, {{0, hex(0xD8283A)}, {0.6, hex(0x5A0810)}, {1, hex(0x2A0206)}}));
    cairo_fill(cr);
    for (int i = 0; i < 17; ++i) {
        double t = i / 16.0;
        // Along the curve of the arch (a cubic between its two shoulders).
        double u = 1 - t;
        double x = u * u * u * arch.x + 3 * u * u * t * arch.x + 3 * u * t * t * arch.right() +
                   t * t * t * arch.right();
        double y = u * u * u * (arch.y + 22) + 3 * u * u * t * (arch.y - 2) + 3 * u * t * t * (arch.y - 2) +
                   t * t * t * (arch.y + 22);
        lamp(cr, x, y + 4.5, 1.9, hex(0xFFE070), i % 2 == 0);
    }
    medallion(cr, studio, span(240 - l.pay.right(), l.pay.y, 240 - l.pay.x, l.pay.bottom()), m, hex(0x8A0E16),
              'E');
    payPlaque(cr, studio, l.pay, m, hex(0x8A0E16));
    nameplate(cr, studio.serifBold, machineNames[0], 120, 47, 190, 19.5, m, hex(0x2A0A00));

    // The belly glass: reels, jackpot column, displays.
    Box belly = span(47, 56, 198, 171);
    metalFrame(cr, belly, 4, 7, m);
    glass(cr, belly, 4, hex(0x2A0A0C), hex(0x0C0204));
    reelSlots(cr, l, m, hex(0xFFD860));
    // Jackpot column to the right of the reels.
    Box column = span(l.reelArea.right() + 14, l.reelArea.y, belly.right() - 6, l.reelArea.bottom());
    metalFrame(cr, column, 1.5, 3, m);
    box(cr, column, 2);
    vertical(cr, column, {{0, hex(0x5A0810)}, {0.5, hex(0xB01828)}, {1, hex(0x5A0810)}});
    cairo_fill(cr);
    const char* jackpot[7] = {"J", "A", "C", "K", "P", "O", "T"};
    for (int i = 0; i < 7; ++i)
        glowText(cr, studio.tiny, jackpot[i], column.x + column.w / 2, static_cast<int>(column.y) + 5 + i * 9,
                 hex(0xFFD040));
    displays(cr, studio, l, m);

    // A line of lamps between the belly and the deck.
    lampRow(cr, 22, 185, 218, 185, 13, 2.0, hex(0xFFD860));

    buttonDeck(cr, l, m);
    cairo_rectangle(cr, 7, 233, 226, 7);
    vertical(cr, span(7, 233, 233, 240), {{0, m.dark}, {0.3, m.mid}, {1, hex(0x1A0A00)}});
    cairo_fill(cr);
}

// ---- Dodore du Zevud ------------------------------------------------------------------------------

void dodoreDuZevud(cairo_t* cr, const Studio& studio, const Layout& l) {
    const Metal& m = Chrome;
    backdrop(cr, {{0, hex(0x1C3A8E)}, {0.45, hex(0x102460)}, {1, hex(0x050A22)}});
    // Pinstripes.
    for (int x = 12; x < 230; x += 6) {
        cairo_rectangle(cr, x, 0, 1, 240);
        setColour(cr, hex(0xAEC8FF, 0.07));
        cairo_fill(cr);
    }
    sidePillars(cr, m, 6);

    // A deco fan rising behind the name.
    cairo_save(cr);
    cairo_rectangle(cr, 8, 2, 224, 34);
    cairo_clip(cr);
    for (int i = 0; i < 13; ++i) {
        double a0 = Pi + i * Pi / 13, a1 = a0 + Pi / 26;
        cairo_move_to(cr, 120, 44);
        cairo_arc(cr, 120, 44, 130, a0, a1);
        cairo_close_path(cr);
    }
    useGradient(cr, radial(120, 44, 6, 120, {{0, hex(0x9AD8FF, 0.5)}, {1, hex(0x9AD8FF, 0.05)}}));
    cairo_fill(cr);
    cairo_restore(cr);
    // Stepped chrome bands under the fan.
    for (int i = 0; i < 3; ++i) {
        Box band = span(8 + i * 14, 34 + i * 0.0, 232 - i * 14, 36);
        (void)band;
    }
    cairo_rectangle(cr, 6, 35, 228, 2);
    vertical(cr, span(6, 35, 234, 37), {{0, m.light}, {1, m.dark}});
    cairo_fill(cr);
    nameplate(cr, studio.sansBold, machineNames[1], 120, 29, 206, 22, m, hex(0x0A1440), 0.92);

    // Badges either side, lamps between.
    medallion(cr, studio, span(240 - l.pay.right(), l.pay.y, 240 - l.pay.x, l.pay.bottom()), m, hex(0x14286A),
              'I');
    payPlaque(cr, studio, l.pay, m, hex(0x14286A));
    lampRow(cr, 80, l.pay.y + l.pay.h / 2, 160, l.pay.y + l.pay.h / 2, 6, 2.6, hex(0x8AE8FF));

    // Reel glass with stepped corners.
    Box frame = span(l.reelArea.x - 8, l.reelArea.y - 7, l.reelArea.right() + 8, l.reelArea.bottom() + 6);
    box(cr, grow(frame, 5.5), 4);
    setColour(cr, withAlpha(m.mid, 0.55));
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    metalFrame(cr, frame, 4, 3, m);
    glass(cr, frame, 2, hex(0x0C1838), hex(0x02040E));
    reelSlots(cr, l, m, hex(0x8AE8FF));
    for (double x : {frame.x - 2, frame.right() + 2})
        for (double y : {frame.y - 2, frame.bottom() + 2})
            rivet(cr, x, y, m);

    // A deco column of diamonds beside the reels.
    Box column = span(frame.right() + 13, frame.y + 2, 228, frame.bottom() - 2);
    metalFrame(cr, column, 2, 8, m);
    box(cr, column, 6);
    vertical(cr, column, {{0, hex(0x0A1A4A)}, {0.5, hex(0x1E3C8A)}, {1, hex(0x0A1A4A)}});
    cairo_fill(cr);
    for (int i = 0; i < 3; ++i)
        emblem(cr, studio, 'I', column.x + column.w / 2, column.y + column.h * (i + 0.5) / 3.0, 0.8);

    // Console for the displays.
    Box console = span(58, l.bet.y - 5, 197, std::max(l.win.bottom(), l.credits.bottom()) + 5);
    metalFrame(cr, console, 2, 4, m);
    glass(cr, console, 3, hex(0x14204A), hex(0x060A1C));
    displays(cr, studio, l, m);

    // Chrome grille above the deck.
    for (int i = 0; i < 4; ++i) {
        double y = console.bottom() + 6 + i * 4;
        if (y > l.buttons[0].y - 10) break;
        cairo_rectangle(cr, 40, y, 160, 1.5);
        setColour(cr, hex(0xAEB8CC, 0.45 - i * 0.08));
        cairo_fill(cr);
    }
    buttonDeck(cr, l, m);
}

// ---- Dudavid Udidizo --------------------------------------------------------------------------------

void dudavidUdidizo(cairo_t* cr, const Studio& studio, const Layout& l) {
    const Metal& m = Gold;
    backdrop(cr, {{0, hex(0x0E7A42)}, {0.5, hex(0x07542C)}, {1, hex(0x022212)}});
    // Gold lattice.
    cairo_save(cr);
    for (int k = -240; k < 480; k += 12) {
        cairo_move_to(cr, k, 0);
        cairo_line_to(cr, k + 240, 240);
        cairo_move_to(cr, k, 240);
        cairo_line_to(cr, k + 240, 0);
    }
    setColour(cr, hex(0xFFE08A, 0.09));
    cairo_set_line_width(cr, 0.8);
    cairo_stroke(cr);
    cairo_restore(cr);
    sidePillars(cr, m, 5);

    // Name banner.
    Box banner = span(14, 6, 226, 44);
    metalFrame(cr, banner, 3, 10, m);
    box(cr, banner, 8);
    useGradient(cr, radial(120, 26, 8, 120, {{0, hex(0x1E9A58)}, {0.7, hex(0x064A26)}, {1, hex(0x022A14)}}));
    cairo_fill(cr);
    nameplate(cr, studio.serifBold, machineNames[2], 120, 33, 196, 22, m, hex(0x1A1000));
    lampRow(cr, 22, 52, 218, 52, 15, 1.9, hex(0xFFE890));

    // Reel frame, five reels.
    Box frame = span(l.reelArea.x - 7, l.reelArea.y - 7, l.reelArea.right() + 7, l.reelArea.bottom() + 6);
    metalFrame(cr, frame, 4, 6, m);
    glass(cr, frame, 3, hex(0x062A18), hex(0x010A05));
    reelSlots(cr, l, m, hex(0xFFE890));

    // A column of lamps to the right of the reels.
    Box column = span(frame.right() + 9, frame.y, 229, frame.bottom());
    metalFrame(cr, column, 2, 5, m);
    box(cr, column, 4);
    vertical(cr, column, {{0, hex(0x043A1E)}, {1, hex(0x01140A)}});
    cairo_fill(cr);
    for (int i = 0; i < 5; ++i) {
        double y = column.y + 9 + i * (column.h - 18) / 4;
        lamp(cr, column.x + column.w / 2, y, 3.4, i % 2 == 0 ? hex(0xFFE060) : hex(0xFF6A3A), true);
    }

    // Displays on a dark ground.
    Box console = span(58, l.bet.y - 5, 197, std::max(l.win.bottom(), l.credits.bottom()) + 5);
    box(cr, console, 5);
    setColour(cr, hex(0x000000, 0.35));
    cairo_fill(cr);
    displays(cr, studio, l, m);

    payPlaque(cr, studio, l.pay, m, hex(0x0A5A30));
    // Its twin on the right: a tall plaque of lamps.
    Box twin = span(240 - l.pay.right(), l.pay.y, 240 - l.pay.x, l.pay.bottom());
    fillBox(cr, grow(twin, 1), 3.5, hex(0x000000, 0.6));
    box(cr, twin, 3);
    vertical(cr, twin, {{0, m.light}, {0.5, m.mid}, {1, m.dark}});
    cairo_fill(cr);
    fillBox(cr, grow(twin, -1.5), 2, hex(0x053A1E));
    emblem(cr, studio, 'G', twin.x + twin.w / 2, twin.y + twin.h / 2, 0.75);

    buttonDeck(cr, l, m);
}

// ---- Rorav'i Rariv ----------------------------------------------------------------------------------

void roraviRariv(cairo_t* cr, const Studio& studio, const Layout& l) {
    backdrop(cr, {{0, hex(0x160626)}, {0.55, hex(0x2A0A44)}, {1, hex(0x0A0212)}});
    // Stars.
    uint32_t seed = 12345;
    for (int i = 0; i < 70; ++i) {
        seed = seed * 1103515245u + 12345u;
        double x = 8 + (seed >> 8) % 224;
        seed = seed * 1103515245u + 12345u;
        double y = 2 + (seed >> 8) % 236;
        seed = seed * 1103515245u + 12345u;
        double a = 0.25 + ((seed >> 8) % 60) / 100.0;
        cairo_rectangle(cr, x, y, 1, 1);
        setColour(cr, hex(0xFFFFFF, a));
        cairo_fill(cr);
    }
    // A glowing floor grid under the deck.
    cairo_save(cr);
    cairo_rectangle(cr, 0, 186, 240, 54);
    cairo_clip(cr);
    for (int i = -12; i <= 12; ++i) {
        cairo_move_to(cr, 120 + i * 6, 186);
        cairo_line_to(cr, 120 + i * 40, 240);
    }
    for (double y : {188.0, 191.5, 196.0, 202.0, 210.0, 220.0, 233.0}) {
        cairo_move_to(cr, 0, y);
        cairo_line_to(cr, 240, y);
    }
    setColour(cr, hex(0xFF4AD0, 0.35));
    cairo_set_line_width(cr, 0.8);
    cairo_stroke(cr);
    cairo_restore(cr);

    neonName(cr, studio.sansBold, machineNames[3], 120, 30, 200, 24, hex(0xFF4AD8));

    // Neon badges: the pay plaque and a star twin.
    Box twin = span(240 - l.pay.right(), l.pay.y, 240 - l.pay.x, l.pay.bottom());
    box(cr, twin, 3);
    setColour(cr, hex(0x1A0A2A));
    cairo_fill_preserve(cr);
    neonStroke(cr, hex(0x7AF4FF), 1.2);
    cairo_save(cr);
    cairo_translate(cr, twin.x + twin.w / 2, twin.y + twin.h / 2);
    for (int i = 0; i < 10; ++i) {
        double a = -Pi / 2 + i * Pi / 5, r = i % 2 == 0 ? 5.5 : 2.3;
        if (i == 0)
            cairo_move_to(cr, r * std::cos(a), r * std::sin(a));
        else
            cairo_line_to(cr, r * std::cos(a), r * std::sin(a));
    }
    cairo_close_path(cr);
    cairo_restore(cr);
    neonStroke(cr, hex(0xFFE44A), 1.0);
    box(cr, l.pay, 3);
    setColour(cr, hex(0x1A0A2A));
    cairo_fill_preserve(cr);
    neonStroke(cr, hex(0x7AF4FF), 1.2);
    glowText(cr, studio.tiny, "PAYS", l.pay.x + l.pay.w / 2, static_cast<int>(l.pay.y + (l.pay.h - 5) / 2),
             hex(0xFF6AE0));
    glowText(cr, studio.tiny, "LUCKY NIGHT", 120, static_cast<int>(l.pay.y + (l.pay.h - 5) / 2),
             hex(0xFFE44A));

    // Reels in a neon frame.
    Box frame = span(l.reelArea.x - 7, l.reelArea.y - 6, l.reelArea.right() + 7, l.reelArea.bottom() + 3);
    glass(cr, frame, 5, hex(0x1A0A2E), hex(0x06020C));
    box(cr, grow(frame, 1.5), 6);
    neonStroke(cr, hex(0x7AF4FF), 1.6);
    reelSlots(cr, l, Chrome, hex(0xFF6AE0));

    // A neon moon beside the reels.
    double mx = (frame.right() + 232) / 2, my = l.reelArea.y + 22;
    cairo_new_path(cr);
    cairo_arc(cr, mx, my, 13, Pi * 0.35, Pi * 1.65);
    cairo_arc_negative(cr, mx + 6, my - 2, 10.5, Pi * 1.45, Pi * 0.55);
    cairo_close_path(cr);
    neonStroke(cr, hex(0xFFE44A), 1.4);
    for (int i = 0; i < 3; ++i) {
        double sx = mx - 10 + i * 11, sy = my + 26 + (i % 2) * 7;
        cairo_move_to(cr, sx - 3, sy);
        cairo_line_to(cr, sx + 3, sy);
        cairo_move_to(cr, sx, sy - 3);
        cairo_line_to(cr, sx, sy + 3);
        neonStroke(cr, hex(0xFFFFFF), 0.8);
    }

    for (Box g : displayGlass(l))
        displayWindow(cr, g, Chrome);
    auto neonLabel = [&](const char* text, Box d) {
        int w = pixelTextWidth(studio.label, text, 1);
        glowText(cr, studio.label, text, d.x - 6 - w / 2.0, static_cast<int>(d.y) + 1, hex(0x7AF4FF));
    };
    neonLabel("BET", l.bet);
    neonLabel("WIN", l.win);
    glowText(cr, studio.tiny, "CREDIT", l.credits.x + l.credits.w / 2, static_cast<int>(l.credits.y) - 10,
             hex(0x7AF4FF));

    // Deck with a pink tube.
    Box deck =
        span(l.buttons[0].x - 6, l.buttons[0].y - 5, l.buttons[2].right() + 6, l.buttons[0].bottom() + 5);
    fillBox(cr, grow(deck, 2), 6, hex(0x000000, 0.8));
    fillBox(cr, deck, 4, fromRgb(DeckColour));
    box(cr, grow(deck, 2.5), 6);
    neonStroke(cr, hex(0xFF4AD8), 1.4);
}

}  // namespace

IndexedImage drawMachineFace(const Studio& studio, int machine, const ButtonSheets& buttons) {
    Layout l = layoutOf(machine);
    Canvas c = makeCanvas(240, 240);
    switch (machine) {
        case 0:
            rerivEduvud(c.cr, studio, l);
            break;
        case 1:
            dodoreDuZevud(c.cr, studio, l);
            break;
        case 2:
            dudavidUdidizo(c.cr, studio, l);
            break;
        default:
            roraviRariv(c.cr, studio, l);
            break;
    }
    RgbImage img = canvasImage(c);
    freeCanvas(c);

    // What the game draws over must match exactly: the plain button faces, and the display glass
    // under the digits (the digits' own ground is the same colour).
    QuantiseOptions o;
    o.bits = 8;
    o.dither = 0.3;
    o.fixed = buttons.plainColours;
    o.fixed.push_back(DisplayPanel);
    o.fixed.push_back(DeckColour);
    o.locked.assign(img.px.size(), 0);
    auto lockBox = [&](Box b, Rgb colour) {
        for (int y = static_cast<int>(b.y); y < static_cast<int>(b.bottom()); ++y)
            for (int x = static_cast<int>(b.x); x < static_cast<int>(b.right()); ++x) {
                if (x < 0 || y < 0 || x >= 240 || y >= 240) continue;
                img.at(x, y) = colour;
                o.locked[static_cast<size_t>(y * 240 + x)] = 1;
            }
    };
    for (Box g : displayGlass(l))
        lockBox(grow(g, 1), DisplayPanel);
    const IndexedImage* sheets[3] = {&buttons.betOne, &buttons.betMax, &buttons.spin};
    for (int i = 0; i < 3; ++i) {
        Box b = l.buttons[i];
        for (int y = 0; y < ButtonHeight; ++y)
            for (int x = 0; x < ButtonWidth; ++x) {
                int fx = static_cast<int>(b.x) + x, fy = static_cast<int>(b.y) + y;
                img.at(fx, fy) = sheets[i]->colour(x, y);
                o.locked[static_cast<size_t>(fy * 240 + fx)] = 1;
            }
    }
    return quantise(img, o);
}

}  // namespace art
