// Glyph sheets 0 to 2: the game font with its mask, and the two sets of display digits.
#include <string>

#include "res/charset.h"
#include "tools/art/art.h"
#include "tools/art/error.h"

namespace art {
namespace {

// Gold, light at the top of a letter and deep at its foot, one colour per row of the cell.
const Rgb TextInk[9] = {
    {255, 250, 208}, {255, 238, 150}, {255, 224, 96}, {255, 206, 60}, {255, 186, 40},
    {252, 164, 28},  {240, 140, 20},  {222, 120, 16}, {200, 100, 12},
};

IndexedImage blank(int w, int h, int bits) {
    IndexedImage im;
    im.width = w;
    im.height = h;
    im.bits = bits;
    im.palette.assign(size_t{1} << bits, Rgb{0, 0, 0});
    im.index.assign(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
    return im;
}

void set(IndexedImage& im, int x, int y, uint8_t v) {
    if (x < 0 || y < 0 || x >= im.width || y >= im.height) return;
    im.index[static_cast<size_t>(y) * static_cast<size_t>(im.width) + static_cast<size_t>(x)] = v;
}

// Puts the ink of a font's glyph for c into a sheet: ink(row) gives the index for the glyph's row.
template <typename Ink>
void stamp(IndexedImage& im, const PixelFont& font, char c, int x, int y, int cellW, int cellH, Ink ink) {
    const PixelGlyph& g = glyphOf(font, c);
    if (g.width > cellW || static_cast<int>(g.rows.size()) > cellH)
        fail(font.path, std::string("glyph '") + c + "' is larger than its " + std::to_string(cellW) + " x " +
                            std::to_string(cellH) + " cell");
    for (size_t row = 0; row < g.rows.size(); ++row)
        for (size_t col = 0; col < g.rows[row].size(); ++col)
            if (g.rows[row][col] != '.')
                set(im, x + static_cast<int>(col), y + static_cast<int>(row), ink(static_cast<int>(row)));
}

}  // namespace

TextSheets drawTextSheets(const Studio& studio) {
    TextSheets s;

    // Sheet 0 and its mask: 35 + 35 + 25 cells of 9 x 9.
    s.text = blank(320, 27, 4);
    s.text.palette[0] = TextBackground;
    for (int i = 0; i < 9; ++i)
        s.text.palette[static_cast<size_t>(1 + i)] = TextInk[i];
    s.mask = blank(320, 27, 1);
    s.mask.palette[0] = {0, 0, 0};
    s.mask.palette[1] = {255, 255, 255};
    for (uint8_t& v : s.mask.index)
        v = 1;
    int x = 0, y = 0;
    for (const char* p = FontCharacters; *p != '\0'; ++p) {
        if (*p == '\n') {
            x = 0;
            y += 9;
            continue;
        }
        stamp(s.text, studio.text, *p, x, y, 9, 9, [](int r) { return static_cast<uint8_t>(1 + r); });
        stamp(s.mask, studio.text, *p, x, y, 9, 9, [](int) { return uint8_t{0}; });
        x += 9;
    }

    // Sheet 1: " 0123456789" in 7 x 9 cells, the digits in the top 9 of 19 rows.
    s.digits = blank(84, 19, 4);
    s.digits.palette[0] = DisplayPanel;
    s.digits.palette[1] = DisplayDigit;
    std::string digitLayout = " 0123456789";
    for (size_t i = 0; i < digitLayout.size(); ++i)
        stamp(s.digits, studio.digits, digitLayout[i], static_cast<int>(i) * 7, 0, 7, 9,
              [](int) { return uint8_t{1}; });

    // Sheet 2: "0123456789" in 4 x 5 cells.
    s.credits = blank(40, 5, 4);
    s.credits.palette[0] = DisplayPanel;
    s.credits.palette[1] = CreditDigit;
    for (int d = 0; d < 10; ++d)
        stamp(s.credits, studio.creditDigits, static_cast<char>('0' + d), d * 4, 0, 4, 5,
              [](int) { return uint8_t{1}; });
    return s;
}

}  // namespace art
