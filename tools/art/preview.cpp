// Review pictures: each machine as the game composes it (face, reels, displays and buttons) with
// the screen rows above it, at twice the size. They are not part of the program.
#include <algorithm>
#include <string>

#include "res/charset.h"
#include "rules/machines.h"
#include "tools/art/art.h"
#include "tools/art/files.h"

namespace art {
namespace {

constexpr int PictureTop = 15;

void blitIndexed(RgbImage& target, const IndexedImage& source, int sx, int sy, int w, int h, int dx, int dy,
                 const IndexedImage* mask = nullptr) {
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int tx = dx + x, ty = dy + y, fx = sx + x, fy = sy + y;
            if (tx < 0 || ty < 0 || tx >= target.width || ty >= target.height) continue;
            if (fx < 0 || fy < 0 || fx >= source.width || fy >= source.height) continue;
            if (mask && mask->at(fx, fy) != 0) continue;
            target.at(tx, ty) = source.colour(fx, fy);
        }
}

// Text as the game draws it: cell by cell from a glyph sheet layout.
void drawSheetText(RgbImage& target, const IndexedImage& sheet, const std::string& layout, int cellW,
                   int cellH, const std::string& text, int x, int y, int h, bool gap,
                   const IndexedImage* mask = nullptr) {
    int pen = x;
    for (char ch : text) {
        int col = 0, row = 0, fc = 0, fr = 0;
        for (char l : layout) {
            if (l == ch) {
                fc = col;
                fr = row;
                break;
            }
            if (l == '\n') {
                col = 0;
                ++row;
            } else {
                ++col;
            }
        }
        blitIndexed(target, sheet, fc * cellW, fr * cellH, cellW, h, pen, y, mask);
        pen += cellW + (gap ? 1 : 0);
    }
}

}  // namespace

void writePreviews(const Studio& studio, const std::vector<IndexedImage>& faces,
                   const std::vector<IndexedImage>& strips, const ButtonSheets& buttons,
                   const TextSheets& sheets) {
    const std::string textLayout = FontCharacters;
    const IndexedImage* buttonSheets[3] = {&buttons.betOne, &buttons.betMax, &buttons.spin};
    for (int m = 0; m < MachineCount; ++m) {
        const MachineDef& d = machineDefs[m];
        RgbImage screen(240, PictureTop + 240 + 16);
        blitIndexed(screen, faces[static_cast<size_t>(m)], 0, 0, 240, 240, 0, PictureTop);
        for (int r = 0; r < d.reelCount; ++r) {
            const Rect16& rr = d.reelRects[r];
            int stop = (2 * r + 1 + 2 * m) % 18;               // a symbol in the middle of each window
            if (r == d.reelCount - 1) stop = (stop + 1) % 18;  // and a blank stop on the last reel
            blitIndexed(screen, strips[static_cast<size_t>(m)], 0, stop * rr.h / 4, rr.w, rr.h, rr.x, rr.y);
        }
        drawSheetText(screen, sheets.digits, " 0123456789", 7, 9, "    5", d.betRect.x, d.betRect.y, 9,
                      false);
        drawSheetText(screen, sheets.digits, " 0123456789", 7, 9, "  150", d.winRect.x, d.winRect.y, 9,
                      false);
        drawSheetText(screen, sheets.credits, "0123456789", 4, 5, "   20", 163, 176, 5, true);
        drawSheetText(screen, sheets.text, textLayout, 9, 9, "Not Enough Cash", 53, 2, 9, false,
                      &sheets.mask);
        for (int b = 0; b < 3; ++b) {
            const Rect16& cr = d.controlRects[b];
            int cell = (b == 2) ? ButtonWidth : 0;  // Spin shown lit
            blitIndexed(screen, *buttonSheets[b], cell, 0, ButtonWidth, ButtonHeight, cr.x, cr.y);
        }
        writePng(studio.outDir + "/preview-" + std::to_string(m) + ".png", screen, 2);
        RgbImage face = expand(faces[static_cast<size_t>(m)]);
        writePng(studio.outDir + "/face-" + std::to_string(m) + "-2x.png", face, 2);
    }
    // The nine symbols of machines 0 and 3, as the pay table cuts them from the strips.
    RgbImage symbols(9 * 27, 2 * 36);
    for (int row = 0; row < 2; ++row) {
        int m = row == 0 ? 0 : 3;
        const Rect16& reel = machineDefs[m].reelRects[0];
        for (int s = 0; s < 9; ++s)
            blitIndexed(symbols, strips[static_cast<size_t>(m)], 0, (2 * s + 2) * reel.h / 4, reel.w,
                        reel.h / 2, s * 27, row * 36);
    }
    writePng(studio.outDir + "/symbols-4x.png", symbols, 4);

    // The game font: the texts the game shows, and every glyph.
    RgbImage text(320, 90, Rgb{8, 0, 0});
    const char* const samples[] = {"Not Enough Cash", "Loading...", "More  * 30  *  8",
                                   "The quick brown fox jumps", "over the lazy dog! 0123456789"};
    for (int i = 0; i < 5; ++i)
        drawSheetText(text, sheets.text, textLayout, 9, 9, samples[i], 2, 2 + i * 11, 9, false, &sheets.mask);
    for (int y = 0; y < 27; ++y)
        for (int x = 0; x < 320; ++x)
            text.at(x, 60 + y) = sheets.text.colour(x, y);
    writePng(studio.outDir + "/font-3x.png", text, 3);

    // The first pay table page of each machine, laid out as the game lays it out.
    for (int m = 0; m < MachineCount; ++m) {
        const MachineDef& d = machineDefs[m];
        RgbImage page(240, PictureTop + 255, Rgb{8, 0, 0});
        const int n = d.reelCount, reelW = d.reelRects[0].w, reelH = d.reelRects[0].h;
        int rows = 0, maxLen = 0;
        while (rows < 6 && d.payTable[rows].pattern) {
            maxLen = std::max(maxLen, static_cast<int>(std::string(d.payTable[rows].pattern).size()));
            ++rows;
        }
        int x0 = (240 - 9 * (maxLen - n) - (reelW + 1) * n) / 2;
        int y = (160 - (rows * reelH) / 2) / 2 + 50;
        for (int r = 0; r < rows; ++r, y += reelH / 2 + 1) {
            std::string pattern = d.payTable[r].pattern;
            for (int i = 0; i < n; ++i) {
                char ch = pattern[static_cast<size_t>(i)];
                if (ch == ' ' || ch == '?') continue;
                int k = static_cast<int>(std::string(reelStrips[0]).find(ch));
                blitIndexed(page, strips[static_cast<size_t>(m)], 0, reelH * (k + 1) / 4, reelW, reelH / 2,
                            x0 + i * (reelW + 1), y);
            }
            drawSheetText(page, sheets.text, textLayout, 9, 9, pattern.substr(static_cast<size_t>(n)),
                          x0 + (reelW + 1) * n, y + (reelH / 2 - 9 - 1) / 2, 9, false, &sheets.mask);
        }
        drawSheetText(page, sheets.text, textLayout, 9, 9, "More", 190, 250, 9, false, &sheets.mask);
        writePng(studio.outDir + "/pays-" + std::to_string(m) + ".png", page, 2);
    }
}

}  // namespace art
