// The game's artwork and sounds, drawn and synthesised at build time.
#pragma once

#include <string>
#include <vector>

#include "tools/art/canvas.h"
#include "tools/art/image.h"

namespace art {

// Fonts and folders every part of the art uses.
struct Studio {
    std::string sourceDir;   // res/: the pixel-art fonts under art/
    std::string outDir;      // where the bitmaps, icon and sounds go
    PixelFont text;          // the 9 x 9 game font
    PixelFont digits;        // the 7 x 9 display digits
    PixelFont creditDigits;  // the 4 x 5 credit digits
    PixelFont label;         // bold capitals for buttons and cabinets
    PixelFont tiny;          // five-row capitals
    OutlineFont sansBold;
    OutlineFont serifBold;
};

// Colours the game's drawing code and the artwork must agree on exactly.
constexpr Rgb TextBackground = {4, 2, 4};    // glyph sheet 0 wherever its mask is white
constexpr Rgb DisplayPanel = {24, 6, 4};     // the dark glass of the bet, win and credit displays
constexpr Rgb DisplayDigit = {255, 72, 32};  // lit segments of the bet and win digits
constexpr Rgb CreditDigit = {255, 184, 40};  // the credit digits
constexpr Rgb DeckColour = {16, 14, 20};     // the control deck around every button

// Glyph sheets 0 to 2 (and the mask of sheet 0).
struct TextSheets {
    IndexedImage text, mask, digits, credits;
};
TextSheets drawTextSheets(const Studio& studio);

// The button sheets: 'a' (plain) at x 0 and 'b' (lit) at x 33, 33 x 18 each.
constexpr int ButtonWidth = 33;
constexpr int ButtonHeight = 18;
struct ButtonSheets {
    IndexedImage betOne, betMax, spin;
    std::vector<Rgb> plainColours;  // every colour of the three 'a' faces
};
ButtonSheets drawButtonSheets(const Studio& studio);

// The nine reel symbols A to I, drawn into a cell of the given size on transparent ground, centred
// by their ink. At scale 1 a symbol fits a 24 x 28 box.
Canvas drawSymbol(const Studio& studio, char letter, int width, int height, double scale = 1.0);

// A reel strip: width x (h * 18 / 4 + h), symbols every h / 2 rows in the order I, A, ..., H.
struct StripStyle {
    Rgb face;  // the reel's paper
    Rgb edge;  // its shading at the sides
};
IndexedImage drawStrip(const Studio& studio, int stripWidth, int windowWidth, int windowHeight,
                       const StripStyle& style);

// The 240 x 240 face of machine n (0 to 3), with the plain faces of its buttons in place.
IndexedImage drawMachineFace(const Studio& studio, int machine, const ButtonSheets& buttons);

IndexedImage drawSplash(const Studio& studio);

// Icon images: 16 x 16 at 4 bits, 16 x 16 at 8 bits, 32 x 32 at 8 bits.
void writeIcon(const Studio& studio, const std::string& path);

// The three sounds.
std::vector<uint8_t> reelSound();  // 8000 Hz, 3300 samples, loops seamlessly
std::vector<uint8_t> coinSound();  // 11025 Hz, 489 samples
std::vector<uint8_t> winSound();   // 11025 Hz, 2183 samples

// Review pictures of each machine as the game composes it (not part of the program).
void writePreviews(const Studio& studio, const std::vector<IndexedImage>& faces,
                   const std::vector<IndexedImage>& strips, const ButtonSheets& buttons,
                   const TextSheets& sheets);

}  // namespace art
