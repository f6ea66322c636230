// The three buttons: Bet One, Bet Max and Spin, each plain ('a') and lit ('b').
#include <string>

#include "tools/art/art.h"
#include "tools/art/quantise.h"

namespace art {
namespace {

struct ButtonLook {
    const char* label;
    Colour cap;  // the plastic of the button
};

const ButtonLook Looks[3] = {
    {"BET 1", hex(0xE8A010)},
    {"MAX", hex(0xD42A22)},
    {"SPIN", hex(0x22A844)},
};

Colour fromRgb(Rgb c) {
    return {c.r / 255.0, c.g / 255.0, c.b / 255.0, 1.0};
}

RgbImage drawButton(const Studio& studio, const ButtonLook& look, bool lit) {
    Canvas c = makeCanvas(ButtonWidth, ButtonHeight);
    cairo_t* cr = c.cr;
    setColour(cr, fromRgb(DeckColour));
    cairo_paint(cr);

    // A glow around the bezel when lit.
    if (lit) {
        Colour glow = lighter(look.cap, 0.3);
        for (int i = 3; i >= 1; --i) {
            roundedRect(cr, 0.5 - i * 0.35, 0.5 - i * 0.35, 32 + i * 0.7, 17 + i * 0.7, 6);
            setColour(cr, withAlpha(glow, 0.18));
            cairo_fill(cr);
        }
    }
    // Chrome bezel.
    roundedRect(cr, 0.5, 0.5, 32, 17, 5.5);
    useGradient(cr, linear(0, 0.5, 0, 17.5, {{0, hex(0xD8DCE4)}, {0.45, hex(0x8A909C)}, {1, hex(0x3A3E48)}}));
    cairo_fill(cr);
    // The dark gap in which the cap sits.
    roundedRect(cr, 1.6, 1.6, 29.8, 14.8, 4.6);
    setColour(cr, hex(0x08080A));
    cairo_fill(cr);

    // The cap.
    Colour base = lit ? lighter(look.cap, 0.28) : darker(look.cap, 0.12);
    Colour top = lit ? lighter(look.cap, 0.7) : lighter(look.cap, 0.22);
    Colour bottom = lit ? look.cap : darker(look.cap, 0.5);
    roundedRect(cr, 2.4, 2.4, 28.2, 13.2, 4);
    useGradient(cr, linear(0, 2.4, 0, 15.6, {{0, top}, {0.5, base}, {1, bottom}}));
    cairo_fill(cr);
    if (lit) {  // light from inside
        roundedRect(cr, 2.4, 2.4, 28.2, 13.2, 4);
        useGradient(cr, radial(16.5, 9, 1, 14, {{0, hex(0xFFFFFF, 0.55)}, {1, hex(0xFFFFFF, 0)}}));
        cairo_fill(cr);
    }
    // Gloss on the upper half.
    roundedRect(cr, 4, 3.2, 25, 5.2, 2.6);
    useGradient(cr, linear(0, 3.2, 0, 8.4, {{0, hex(0xFFFFFF, lit ? 0.7 : 0.45)}, {1, hex(0xFFFFFF, 0.05)}}));
    cairo_fill(cr);

    // The label, centred, white with an edge of the cap's darkest shade.
    std::string text = look.label;
    int w = pixelTextWidth(studio.label, text, 1);
    int x = (ButtonWidth - w) / 2 + ((ButtonWidth - w) % 2);
    int y = 6;
    Colour edge = darker(look.cap, lit ? 0.55 : 0.7);
    pixelTextOutlined(cr, studio.label, text, x, y, 1, lit ? hex(0xFFFFFF) : hex(0xF4EEE0), edge);

    RgbImage img = canvasImage(c);
    freeCanvas(c);
    return img;
}

}  // namespace

ButtonSheets drawButtonSheets(const Studio& studio) {
    RgbImage plain[3], lit[3];
    for (int i = 0; i < 3; ++i) {
        plain[i] = drawButton(studio, Looks[i], false);
        lit[i] = drawButton(studio, Looks[i], true);
    }
    // The plain faces share one small table, so that every machine face can hold their colours
    // exactly (a button drawn 'a' must not change the picture under it).
    RgbImage strip(ButtonWidth * 3, ButtonHeight);
    for (int i = 0; i < 3; ++i)
        paste(strip, plain[i], ButtonWidth * i, 0);
    QuantiseOptions plainOptions;
    plainOptions.bits = 8;
    plainOptions.colours = 48;
    plainOptions.fixed = {DeckColour};
    IndexedImage plainQ = quantise(strip, plainOptions);
    RgbImage plainExact = expand(plainQ);

    ButtonSheets out;
    std::vector<bool> used(plainQ.palette.size(), false);
    for (uint8_t v : plainQ.index)
        used[v] = true;
    for (size_t k = 0; k < plainQ.palette.size(); ++k)
        if (used[k]) out.plainColours.push_back(plainQ.palette[k]);

    IndexedImage* sheets[3] = {&out.betOne, &out.betMax, &out.spin};
    for (int i = 0; i < 3; ++i) {
        RgbImage sheet(68, ButtonHeight, DeckColour);
        paste(sheet, crop(plainExact, ButtonWidth * i, 0, ButtonWidth, ButtonHeight), 0, 0);
        paste(sheet, lit[i], ButtonWidth, 0);
        QuantiseOptions o;
        o.bits = 8;
        o.locked.assign(sheet.px.size(), 0);
        for (int y = 0; y < ButtonHeight; ++y)
            for (int x = 0; x < 68; ++x)
                if (x < ButtonWidth || x >= 2 * ButtonWidth) o.locked[static_cast<size_t>(y * 68 + x)] = 1;
        *sheets[i] = quantise(sheet, o);
    }
    return out;
}

}  // namespace art
