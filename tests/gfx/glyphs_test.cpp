// Glyph sheets: finding a character's cell (first match wins, unknown characters give the first
// cell), drawText's pen and gap, the rectangle's height, drawGlyph's occurrence count.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "gfx/glyphs.h"
#include "gfx/surface.h"
#include "tests/flow/harness.h"

namespace {

using harness::Pixels;

class GlyphTest : public ::testing::Test {
protected:
    void SetUp() override {
        harness::resetAll();
        initGraphics();
        const Rect16 size = {0, 0, 240, 320};
        ASSERT_EQ(createSurface(&target, &size), 1);
        for (int i = 0; i < 3; ++i) {
            ASSERT_EQ(loadGlyphSheet(&glyphSheets[i], &glyphSheetDefs[i], i == 0 ? WithMask : 0), 1);
        }
        ASSERT_EQ(loadGlyphSheet(&glyphSheets[3], &glyphSheetDefs[3], 0), 1);
    }
    void TearDown() override { freeSprite(&target); }

    // Whether the w x h block at (x, y) of the target equals the block at (sx, sy) of the sheet.
    bool blockIs(int x, int y, int w, int h, const GlyphSheet& sheet, int sx, int sy) const {
        const Pixels t = harness::bitmapPixels(target.image);
        const Pixels s = harness::bitmapPixels(sheet.sprite.image);
        for (int j = 0; j < h; ++j) {
            for (int i = 0; i < w; ++i) {
                if (t.at(x + i, y + j) != s.at(sx + i, sy + j)) return false;
            }
        }
        return true;
    }
    int paintedIn(int x0, int y0, int x1, int y1) const {
        const Pixels t = harness::bitmapPixels(target.image);
        int n = 0;
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x)
                n += t.at(x, y) != 0;
        }
        return n;
    }

    Surface target = {};
};

}  // namespace

TEST_F(GlyphTest, TheCharacterSetHasEveryCellWhereItsLayoutSays) {
    const GlyphSheet& sheet = glyphSheets[0];
    struct Case {
        char c;
        int x, y;
    };
    for (Case c : {Case{'A', 0, 0}, Case{'i', 306, 0}, Case{'j', 0, 9}, Case{'0', 153, 9}, Case{'<', 306, 9},
                   Case{'>', 0, 18}, Case{'*', 180, 18}, Case{' ', 216, 18}, Case{'|', 36, 18},
                   Case{'`', 207, 18}, Case{'"', 45, 18}, Case{'\\', 72, 18}}) {
        const GlyphCell cell = findGlyphCell(sheet, c.c, 1);
        EXPECT_EQ(cell.x, c.x) << c.c;
        EXPECT_EQ(cell.y, c.y) << c.c;
    }
    // The second vertical bar is found only as the second occurrence.
    EXPECT_EQ(findGlyphCell(sheet, '|', 2).x, 99);
    // Characters the layout lacks give the first cell; so does the end of a row.
    for (char c : {'\t', '\x7f', '\x80', '\n'}) {
        const GlyphCell cell = findGlyphCell(sheet, c, 1);
        if (c == '\n') {
            EXPECT_EQ(cell.x, 315);  // a '\n' in the text matches the layout's own line end
            EXPECT_EQ(cell.y, 0);
        } else {
            EXPECT_EQ(cell.x, 0) << int(c);
            EXPECT_EQ(cell.y, 0) << int(c);
        }
    }
}

TEST_F(GlyphTest, DrawTextWithoutGapsOnTheDigitFont) {
    const Rect16 rect = {61, 92, 36, 9};
    ASSERT_EQ(drawText(&glyphSheets[1], "    0", &target, rect, NoGap), 1);
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(blockIs(61 + 7 * i, 92, 7, 9, glyphSheets[1], 0, 0)) << i;
    EXPECT_TRUE(blockIs(89, 92, 7, 9, glyphSheets[1], 7, 0));
    EXPECT_GT(paintedIn(89, 92, 96, 101), 0);
    EXPECT_EQ(paintedIn(96, 80, 240, 120), 0);  // nothing past the fifth glyph
    EXPECT_EQ(paintedIn(0, 101, 240, 320), 0);  // nor below the rectangle's 9 rows
}

TEST_F(GlyphTest, ASpaceTheFontLacksDrawsItsFirstCellWithAGap) {
    const Rect16 rect = {163, 176, 25, 5};
    drawText(&glyphSheets[2], "   20", &target, rect, 0);
    const int digits[] = {0, 0, 0, 2, 0};
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(blockIs(163 + 5 * i, 176, 4, 5, glyphSheets[2], digits[i] * 4, 0)) << i;
    // The gap column between glyphs stays untouched.
    EXPECT_EQ(paintedIn(167, 176, 168, 181), 0);
    // The text is not clipped to the rectangle's width: the fifth glyph ends at 187, inside 188.
    drawText(&glyphSheets[2], "123456", &target, rect, 0);
    EXPECT_TRUE(blockIs(188, 176, 4, 5, glyphSheets[2], 24, 0));
}

TEST_F(GlyphTest, TheRectanglesHeightNotTheCellsIsCopied) {
    const Rect16 tall = {10, 10, 7, 19};
    drawText(&glyphSheets[1], "8", &target, tall, NoGap);
    EXPECT_TRUE(blockIs(10, 10, 7, 19, glyphSheets[1], 63, 0));
    const Rect16 flat = {40, 10, 7, 3};
    drawText(&glyphSheets[1], "8", &target, flat, NoGap);
    EXPECT_TRUE(blockIs(40, 10, 7, 3, glyphSheets[1], 63, 0));
    EXPECT_EQ(paintedIn(40, 13, 47, 30), 0);
}

TEST_F(GlyphTest, TheCharacterSetIsDrawnThroughItsMask) {
    fillRect(&target, nullptr, 0x00FFFFFF);  // white: the mask keeps it wherever the glyph is not
    const Rect16 rect = {20, 20, 90, 9};
    drawText(&glyphSheets[0], "A", &target, rect, NoGap);
    const Pixels t = harness::bitmapPixels(target.image);
    const Pixels mask = harness::bitmapPixels(glyphSheets[0].sprite.mask);
    const Pixels image = harness::bitmapPixels(glyphSheets[0].sprite.image);
    for (int y = 0; y < 9; ++y) {
        for (int x = 0; x < 9; ++x)
            ASSERT_EQ(t.at(20 + x, 20 + y), (0xFFFFFFu & mask.at(x, y)) | image.at(x, y));
    }
    // With the 1-pixel gap the next glyph starts 10 further on.
    drawText(&glyphSheets[0], "AB", &target, {20, 40, 90, 9}, 0);
    const Pixels t2 = harness::bitmapPixels(target.image);
    for (int y = 0; y < 9; ++y) {
        ASSERT_EQ(t2.at(29, 40 + y), 0xFFFFFFu);  // the gap
        for (int x = 0; x < 9; ++x)
            ASSERT_EQ(t2.at(30 + x, 40 + y), (0xFFFFFFu & mask.at(9 + x, y)) | image.at(9 + x, y));
    }
}

TEST_F(GlyphTest, EmptyTextsAndEmptySheets) {
    EXPECT_EQ(drawText(&glyphSheets[1], "", &target, {0, 0, 10, 9}, 0), 1);
    EXPECT_EQ(paintedIn(0, 0, 240, 320), 0);
    GlyphSheet empty = {};
    EXPECT_EQ(drawText(&empty, "123", &target, {0, 0, 10, 9}, 0), 0);
    EXPECT_EQ(drawGlyph(&empty, 'a', 1, &target, {0, 0, 33, 18}), 0);
    EXPECT_EQ(drawText(nullptr, "123", &target, {0, 0, 10, 9}, 0), 0);
    EXPECT_EQ(paintedIn(0, 0, 240, 320), 0);
    // Far off the target nothing is drawn and nothing fails.
    EXPECT_EQ(drawText(&glyphSheets[0], "Not Enough Cash", &target, {-30000, 30000, 90, 9}, 0), 1);
    EXPECT_EQ(drawText(&glyphSheets[0], "Not Enough Cash", &target, {30000, 5, 90, 9}, 0), 1);
    EXPECT_EQ(paintedIn(0, 0, 240, 320), 0);
}

TEST_F(GlyphTest, DrawGlyphCountsOccurrences) {
    const GlyphSheet& buttonSheet = glyphSheets[3];
    drawGlyph(&buttonSheet, 'b', 1, &target, {10, 10, 33, 18});
    EXPECT_TRUE(blockIs(10, 10, 33, 18, buttonSheet, 33, 0));
    drawGlyph(&buttonSheet, 'z', 1, &target, {10, 40, 33, 18});  // not in "ab": the 'a' cell
    EXPECT_TRUE(blockIs(10, 40, 33, 18, buttonSheet, 0, 0));
    // The rectangle's size is the copy's size.
    drawGlyph(&buttonSheet, 'b', 1, &target, {100, 10, 20, 5});
    EXPECT_TRUE(blockIs(100, 10, 20, 5, buttonSheet, 33, 0));
    EXPECT_EQ(paintedIn(120, 10, 140, 40), 0);
    EXPECT_EQ(paintedIn(100, 15, 120, 40), 0);

    // A sheet whose layout holds a character twice.
    GlyphSheet twice = buttonSheet;
    twice.layout = "aa";
    EXPECT_EQ(findGlyphCell(twice, 'a', 1).x, 0);
    EXPECT_EQ(findGlyphCell(twice, 'a', 2).x, 33);
    EXPECT_EQ(findGlyphCell(twice, 'a', 3).x, 33);  // fewer matches: the last one
    EXPECT_EQ(findGlyphCell(twice, 'a', 0).x, 33);
    drawGlyph(&twice, 'a', 2, &target, {10, 70, 33, 18});
    EXPECT_TRUE(blockIs(10, 70, 33, 18, buttonSheet, 33, 0));
}

TEST_F(GlyphTest, SheetsLoadFreeAndKeepTheirLayoutWithoutABitmap) {
    EXPECT_EQ(glyphSheets[0].layout, glyphSheetDefs[0].layout);
    EXPECT_EQ(glyphSheets[0].cell, &glyphSheetDefs[0].cell);
    EXPECT_NE(glyphSheets[0].sprite.mask, nullptr);
    EXPECT_EQ(glyphSheets[2].sprite.width, 40);

    freeGlyphSheet(&glyphSheets[3]);
    EXPECT_EQ(glyphSheets[3].layout, nullptr);
    EXPECT_EQ(glyphSheets[3].sprite.image, nullptr);
    freeGlyphSheet(&glyphSheets[3]);  // an empty sheet is left alone
    freeGlyphSheet(nullptr);

    const GlyphSheetDef missing = {4242, "xy", {0, 0, 5, 5}};
    EXPECT_EQ(loadGlyphSheet(&glyphSheets[4], &missing, 0), 1);
    EXPECT_EQ(glyphSheets[4].sprite.image, nullptr);
    EXPECT_EQ(glyphSheets[4].layout, missing.layout);
    EXPECT_EQ(drawText(&glyphSheets[4], "xy", &target, {0, 0, 5, 5}, 0), 1);  // goes through the motions
    EXPECT_EQ(paintedIn(0, 0, 240, 320), 0);
    EXPECT_EQ(loadGlyphSheet(nullptr, &missing, 0), 0);
    EXPECT_EQ(loadGlyphSheet(&glyphSheets[4], nullptr, 0), 0);

    // Every row of the table loads with the size its cells need.
    for (int row = 0; row < GlyphSheetDefCount; ++row) {
        GlyphSheet sheet = {};
        ASSERT_EQ(loadGlyphSheet(&sheet, &glyphSheetDefs[row], row == 0 ? WithMask : 0), 1);
        EXPECT_NE(sheet.sprite.image, nullptr) << row;
        EXPECT_GE(sheet.sprite.height, glyphSheetDefs[row].cell.h) << row;
        freeGlyphSheet(&sheet);
    }
}
