// The four machine faces. Everything the game draws on top of a face (reels, displays, buttons,
// the pay-table hot area) stands at the rectangles of the machine's definition, read from the
// machine table itself; the face frames those places.
#include <algorithm>
#include <cmath>
#include <string>

#include "rules/machines.h"
#include "tools/art/art.h"
#include "tools/art/quantise.h"

namespace art {
namespace {

constexpr double Pi = 3.14159265358979323846;

// The face is drawn at window (0, PictureTop): a screen rectangle is PictureTop rows lower on it.
constexpr int PictureTop = 15;
// Where the credits display stands on the screen, 5 digits of 4 x 5 at 5-pixel steps.
constexpr Rect16 CreditsRect = {163, 176, 25, 5};

struct Box {
    double x, y, w, h;
};

Box onFace(Rect16 r) {
    return {double(r.x), double(r.y - PictureTop), double(r.w), double(r.h)};
}
Box grow(Box b, double d) {
    return {b.x - d, b.y - d, b.w + 2 * d, b.h + 2 * d};
}

struct Theme {
    Colour bodyTop, bodyBottom;           // the cabinet's paint
    Colour trimLight, trimMid, trimDark;  // the metal of frames and letters
    Colour glassTop, glassBottom;         // behind the reels
    Colour bulb;                          // lamps
    Colour plaque;                        // the pay-table plaque's enamel
    bool serifName;
};

const Theme Themes[4] = {
    // Reriv Eduvud: red lacquer and gold.
    {hex(0xB0141C), hex(0x4A0408), hex(0xFFF0A8), hex(0xE0A830), hex(0x7A4A08), hex(0x2A0A0C), hex(0x100406),
     hex(0xFFD860), hex(0x8A0E16), true},
    // Dodore du Zevud: midnight blue and chrome.
    {hex(0x1E3C8A), hex(0x0A1230), hex(0xFFFFFF), hex(0xB8C4D8), hex(0x4A5468), hex(0x0C1838), hex(0x04081A),
     hex(0x9AE8FF), hex(0x14286A), false},
    // Dudavid Udidizo: emerald and gold.
    {hex(0x0E7A42), hex(0x03301A), hex(0xFFF4B0), hex(0xE8B838), hex(0x6A4A08), hex(0x062A18), hex(0x021008),
     hex(0xFFE890), hex(0x0A5A30), true},
    // Rorav'i Rariv: violet night and neon.
    {hex(0x4A1A78), hex(0x12061E), hex(0xFFE0FF), hex(0xFF5AD8), hex(0x6A1A6A), hex(0x1A0A2A), hex(0x08020E),
     hex(0x7AF4FF), hex(0x3A0A5A), false},
};

// ---- Pieces ------------------------------------------------------------------------------------

void fillBox(cairo_t* cr, Box b, double r) {
    roundedRect(cr, b.x, b.y, b.w, b.h, r);
}

// A metal frame: a bevelled band of `width` around the inside box.
void metalFrame(cairo_t* cr, Box inside, double width, double radius, const Theme& t) {
    Box outer = grow(inside, width);
    fillBox(cr, grow(outer, 1), radius + 1);
    setColour(cr, hex(0x000000, 0.55));
    cairo_fill(cr);
    fillBox(cr, outer, radius);
    useGradient(
        cr,
        linear(0, outer.y, 0, outer.y + outer.h,
               {{0, t.trimLight}, {0.25, t.trimMid}, {0.55, t.trimDark}, {0.8, t.trimMid}, {1, t.trimDark}}));
    cairo_fill(cr);
    fillBox(cr, grow(inside, width * 0.45), std::max(0.0, radius - width * 0.55));
    useGradient(
        cr, linear(0, outer.y, 0, outer.y + outer.h, {{0, t.trimDark}, {0.5, t.trimMid}, {1, t.trimLight}}));
    cairo_fill(cr);
}

// A sunken dark window with a thin light rim, for displays.
void sunkenWindow(cairo_t* cr, Box inside, const Theme& t) {
    Box rim = grow(inside, 2);
    fillBox(cr, grow(rim, 1), 2.5);
    useGradient(cr, linear(0, rim.y, 0, rim.y + rim.h, {{0, hex(0x000000)}, {1, t.trimMid}}));
    cairo_fill(cr);
    fillBox(cr, rim, 2);
    setColour(cr, hex(0x050203));
    cairo_fill(cr);
    fillBox(cr, grow(inside, 1), 1);
    Rgb p = DisplayPanel;
    setColour(cr, {p.r / 255.0, p.g / 255.0, p.b / 255.0, 1});
    cairo_fill(cr);
}

void lamp(cairo_t* cr, double x, double y, double r, Colour c, bool on) {
    if (on) {
        cairo_arc(cr, x, y, r * 2.2, 0, 2 * Pi);
        useGradient(cr, radial(x, y, r * 0.5, r * 2.2, {{0, withAlpha(c, 0.5)}, {1, withAlpha(c, 0)}}));
        cairo_fill(cr);
    }
    cairo_arc(cr, x, y, r, 0, 2 * Pi);
    Colour core = on ? lighter(c, 0.75) : darker(c, 0.45);
    useGradient(cr, radial(x - r * 0.3, y - r * 0.3, 0, r,
                           {{0, core}, {0.6, on ? c : darker(c, 0.6)}, {1, darker(c, 0.75)}}));
    cairo_fill(cr);
}

// Pixel-font text with a drop shadow, in a gradient of the theme's metal.
void engrave(cairo_t* cr, const PixelFont& font, const std::string& text, int x, int y, const Theme& t,
             int height) {
    cairo_new_path(cr);
    pixelTextPath(cr, font, text, x + 1, y + 1, 1);
    setColour(cr, hex(0x000000, 0.85));
    cairo_fill(cr);
    pixelTextPath(cr, font, text, x, y, 1);
    useGradient(cr, linear(0, y, 0, y + height, {{0, t.trimLight}, {1, t.trimMid}}));
    cairo_fill(cr);
}

// The machine's name in outline letters fitted to a width.
void nameplate(cairo_t* cr, const Studio& studio, const std::string& name, double cx, double baseline,
               double maxWidth, double size, const Theme& t) {
    const OutlineFont& font = t.serifName ? studio.serifBold : studio.sansBold;
    useFont(cr, font, size);
    double w = textAdvance(cr, name);
    if (w > maxWidth) {
        size *= maxWidth / w;
        useFont(cr, font, size);
        w = textAdvance(cr, name);
    }
    double x = cx - w / 2;
    cairo_new_path(cr);
    textPath(cr, name, x + 1.2, baseline + 1.6);
    setColour(cr, hex(0x000000, 0.6));
    cairo_fill(cr);
    textPath(cr, name, x, baseline);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    setColour(cr, darker(t.trimDark, 0.5));
    cairo_set_line_width(cr, 2.6);
    cairo_stroke_preserve(cr);
    useGradient(
        cr, linear(0, baseline - size * 0.75, 0, baseline,
                   {{0, t.trimLight}, {0.45, t.trimMid}, {0.55, darker(t.trimMid, 0.15)}, {1, t.trimLight}}));
    cairo_fill(cr);
}

// The pay-table plaque, filling the hot area.
void payPlaque(cairo_t* cr, const Studio& studio, Box b, const Theme& t) {
    fillBox(cr, grow(b, 1), 3.5);
    setColour(cr, hex(0x000000, 0.6));
    cairo_fill(cr);
    fillBox(cr, b, 3);
    useGradient(cr, linear(0, b.y, 0, b.y + b.h, {{0, t.trimLight}, {0.5, t.trimMid}, {1, t.trimDark}}));
    cairo_fill(cr);
    Box inner = grow(b, -1.5);
    fillBox(cr, inner, 2);
    useGradient(cr, linear(0, inner.y, 0, inner.y + inner.h,
                           {{0, lighter(t.plaque, 0.15)}, {1, darker(t.plaque, 0.4)}}));
    cairo_fill(cr);
    auto centreText = [&](const PixelFont& f, const std::string& s, int y, int h) {
        int w = pixelTextWidth(f, s, 1);
        int x = static_cast<int>(std::floor(b.x + (b.w - w) / 2.0 + 0.5));
        engrave(cr, f, s, x, y, t, h);
    };
    int x0 = static_cast<int>(b.x), y0 = static_cast<int>(b.y), w = static_cast<int>(b.w),
        h = static_cast<int>(b.h);
    (void)x0;
    if (h >= 40) {  // a tall plaque: P A Y S down its length
        const char* letters[4] = {"P", "A", "Y", "S"};
        int step = (h - 6) / 4;
        for (int i = 0; i < 4; ++i)
            centreText(studio.label, letters[i], y0 + 3 + i * step + (step - 7) / 2, 7);
    } else if (h >= 20 && w >= 24) {
        centreText(studio.label, "PAY", y0 + 3, 7);
        centreText(studio.tiny, "TABLE", y0 + 12, 5);
    } else if (h >= 17) {
        centreText(studio.tiny, "PAY", y0 + 3, 5);
        centreText(studio.tiny, "TABLE", y0 + 9, 5);
    } else {
        centreText(studio.tiny, "PAYS", y0 + (h - 5) / 2, 5);
    }
}

// ---- The face ----------------------------------------------------------------------------------

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
        x1 = std::max(x1, l.reels[i].x + l.reels[i].w);
        y1 = std::max(y1, l.reels[i].y + l.reels[i].h);
    }
    l.reelArea = {x0, y0, x1 - x0, y1 - y0};
    l.bet = onFace(d.betRect);
    l.win = onFace(d.winRect);
    l.credits = onFace(CreditsRect);
    for (int i = 0; i < 3; ++i)
        l.buttons[i] = onFace(d.controlRects[i]);
    l.pay = onFace(d.controlRects[3]);
    return l;
}

void drawCabinet(cairo_t* cr, const Studio& studio, int machine, const Layout& l) {
    const Theme& t = Themes[machine];
    // Paint.
    cairo_rectangle(cr, 0, 0, 240, 240);
    useGradient(cr, linear(0, 0, 0, 240,
                           {{0, t.bodyTop}, {0.55, mix(t.bodyTop, t.bodyBottom, 0.5)}, {1, t.bodyBottom}}));
    cairo_fill(cr);
    // Side pillars of metal.
    for (int side = 0; side < 2; ++side) {
        double x = side == 0 ? 0 : 232;
        cairo_rectangle(cr, x, 0, 8, 240);
        useGradient(cr, linear(x, 0, x + 8, 0,
                               {{0, t.trimDark}, {0.4, t.trimLight}, {0.7, t.trimMid}, {1, t.trimDark}}));
        cairo_fill(cr);
    }

    // The name at the top.
    double nameBaseline = l.pay.y < 40 ? 48 : 28;
    nameplate(cr, studio, machineNames[machine], 120, nameBaseline, 196, 22, t);

    // Reel glass and frame.
    double frameBottom = std::min(l.reelArea.y + l.reelArea.h + 7, std::min(l.bet.y, l.win.y) - 5);
    Box glass = {l.reelArea.x - 8, l.reelArea.y - 7, l.reelArea.w + 16, frameBottom - (l.reelArea.y - 7)};
    metalFrame(cr, glass, 4, 6, t);
    fillBox(cr, glass, 3);
    useGradient(cr, linear(0, glass.y, 0, glass.y + glass.h, {{0, t.glassTop}, {1, t.glassBottom}}));
    cairo_fill(cr);
    for (int i = 0; i < l.reelCount; ++i) {
        Box r = l.reels[i];
        fillBox(cr, grow(r, 2), 2);
        useGradient(cr, linear(0, r.y - 2, 0, r.y + r.h + 2, {{0, hex(0x000000)}, {1, t.trimMid}}));
        cairo_fill(cr);
        cairo_rectangle(cr, r.x - 1, r.y - 1, r.w + 2, r.h + 2);
        setColour(cr, hex(0x000000));
        cairo_fill(cr);
    }
    // Pay line markers at the middle of the windows.
    double mid = l.reelArea.y + l.reelArea.h / 2.0;
    for (int side = 0; side < 2; ++side) {
        double x = side == 0 ? l.reelArea.x - 6.5 : l.reelArea.x + l.reelArea.w + 6.5;
        double dir = side == 0 ? 1 : -1;
        cairo_move_to(cr, x, mid - 3.5);
        cairo_line_to(cr, x + dir * 4.5, mid);
        cairo_line_to(cr, x, mid + 3.5);
        cairo_close_path(cr);
        setColour(cr, t.bulb);
        cairo_fill(cr);
    }

    // Displays.
    for (Box d : {l.bet, l.win})
        sunkenWindow(cr, {d.x, d.y, d.w, d.h}, t);
    sunkenWindow(cr, l.credits, t);
    engrave(cr, studio.label, "BET", static_cast<int>(l.bet.x) - 5 - pixelTextWidth(studio.label, "BET", 1),
            static_cast<int>(l.bet.y) + 1, t, 7);
    engrave(cr, studio.label, "WIN", static_cast<int>(l.win.x) - 5 - pixelTextWidth(studio.label, "WIN", 1),
            static_cast<int>(l.win.y) + 1, t, 7);
    int cw = pixelTextWidth(studio.tiny, "CREDIT", 1);
    engrave(cr, studio.tiny, "CREDIT", static_cast<int>(l.credits.x + (l.credits.w - cw) / 2),
            static_cast<int>(l.credits.y) - 9, t, 5);

    // Control deck under the buttons.
    Box deck = {l.buttons[0].x - 6, l.buttons[0].y - 6,
                l.buttons[2].x + l.buttons[2].w + 6 - (l.buttons[0].x - 6), l.buttons[0].h + 12};
    metalFrame(cr, deck, 3, 5, t);
    fillBox(cr, deck, 3);
    Rgb dk = DeckColour;
    setColour(cr, {dk.r / 255.0, dk.g / 255.0, dk.b / 255.0, 1});
    cairo_fill(cr);

    payPlaque(cr, studio, l.pay, t);

    // Lamps along the top edge.
    for (int i = 0; i < 13; ++i)
        lamp(cr, 18 + i * 17, 6, 2.2, t.bulb, i % 2 == 0);
}

}  // namespace

IndexedImage drawMachineFace(const Studio& studio, int machine, const ButtonSheets& buttons) {
    Layout l = layoutOf(machine);
    Canvas c = makeCanvas(240, 240);
    drawCabinet(c.cr, studio, machine, l);
    RgbImage img = canvasImage(c);
    freeCanvas(c);

    // What the game draws over must match exactly: the plain button faces, and the display glass
    // under the digits (the digits' own background is the same colour).
    QuantiseOptions o;
    o.bits = 8;
    o.dither = 0.35;
    o.fixed = buttons.plainColours;
    o.fixed.push_back(DisplayPanel);
    o.fixed.push_back(DeckColour);
    o.locked.assign(img.px.size(), 0);
    auto lockBox = [&](Box b, Rgb colour, bool paint) {
        for (int y = static_cast<int>(b.y); y < static_cast<int>(b.y + b.h); ++y)
            for (int x = static_cast<int>(b.x); x < static_cast<int>(b.x + b.w); ++x) {
                if (x < 0 || y < 0 || x >= 240 || y >= 240) continue;
                if (paint) img.at(x, y) = colour;
                o.locked[static_cast<size_t>(y * 240 + x)] = 1;
            }
    };
    lockBox(grow(l.bet, 1), DisplayPanel, true);
    lockBox(grow(l.win, 1), DisplayPanel, true);
    lockBox(grow(l.credits, 1), DisplayPanel, true);
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
