// The pictures: every bitmap at its size and depth, the reel strips' geometry, the game font and
// its mask, the digit sheets, the buttons, and the machine faces under the game's own drawing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "rules/machines.h"
#include "tests/res/resource_reader.h"

namespace {

using restest::GameResources;

struct BitmapDesc {
    uint16_t id;
    int width, height, bits;
};

// Every bitmap of the game.
const BitmapDesc AllBitmaps[] = {
    {108, 240, 240, 8}, {120, 240, 240, 8}, {111, 240, 240, 8}, {125, 240, 240, 8}, {131, 240, 240, 8},
    {121, 24, 374, 8},  {112, 28, 374, 8},  {127, 24, 374, 8},  {132, 28, 363, 8},  {113, 320, 27, 4},
    {114, 320, 27, 1},  {115, 84, 19, 4},   {116, 40, 5, 4},    {117, 68, 18, 8},   {118, 68, 18, 8},
    {119, 68, 18, 8},   {133, 68, 18, 8},   {109, 68, 18, 8},   {110, 68, 18, 8},   {122, 68, 18, 8},
    {123, 68, 18, 8},   {124, 68, 18, 8},   {128, 68, 18, 8},   {129, 68, 18, 8},   {130, 68, 18, 8},
};

// The glyph sheet rows: bitmap, layout and cell size.
struct SheetRow {
    uint16_t bitmap;
    const char* layout;
    int cellW, cellH;
};
const char* const TextLayout =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghi\njklmnopqrstuvwxyz0123456789-=_+,./<\n>?;'|\"[]\\{}|~!@#$%^&*()` ";
const SheetRow SheetRows[15] = {
    {113, TextLayout, 9, 9}, {115, " 0123456789", 7, 9}, {116, "0123456789", 4, 5}, {117, "ab", 33, 18},
    {118, "ab", 33, 18},     {119, "ab", 33, 18},        {133, "ab", 33, 18},       {109, "ab", 33, 18},
    {110, "ab", 33, 18},     {122, "ab", 33, 18},        {123, "ab", 33, 18},       {124, "ab", 33, 18},
    {128, "ab", 33, 18},     {129, "ab", 33, 18},        {130, "ab", 33, 18},
};

// The face is drawn with its top-left corner at window (0, 15).
constexpr int PictureTop = 15;
// Where the credits display stands: five 4 x 5 digits at 5-pixel steps.
constexpr Rect16 CreditsRect = {163, 176, 25, 5};

int luminance(uint32_t rgb) {
    int r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    return (299 * r + 587 * g + 114 * b) / 1000;
}

class Bitmaps : public GameResources {};

TEST_F(Bitmaps, EveryBitmapHasItsSizeDepthAndFullColourTable) {
    for (const BitmapDesc& expected : AllBitmaps) {
        SCOPED_TRACE("bitmap " + std::to_string(expected.id));
        std::vector<uint8_t> b = bytes(RT_BITMAP, expected.id);
        ASSERT_FALSE(b.empty());
        restest::DibHeader h = restest::dibHeader(b);
        EXPECT_EQ(h.headerSize, 40u);
        EXPECT_EQ(h.width, expected.width);
        EXPECT_EQ(h.height, expected.height);  // positive: stored bottom-up
        EXPECT_EQ(h.planes, 1u);
        EXPECT_EQ(h.bits, static_cast<uint32_t>(expected.bits));
        EXPECT_EQ(h.compression, 0u);
        EXPECT_TRUE(h.coloursUsed == 0 || h.coloursUsed == (1u << expected.bits));
        EXPECT_EQ(h.tableEntries, size_t{1} << expected.bits);
        EXPECT_EQ(b.size(), h.expectedSize);

        HBITMAP bitmap = LoadBitmapW(instance, MAKEINTRESOURCEW(expected.id));
        ASSERT_NE(bitmap, nullptr);
        BITMAP info{};
        ASSERT_NE(GetObjectW(bitmap, sizeof info, &info), 0);
        EXPECT_EQ(info.bmWidth, expected.width);
        EXPECT_EQ(info.bmHeight, expected.height);
        DeleteObject(bitmap);
    }
}

TEST_F(Bitmaps, EveryIdNamedByAMachineOrAGlyphSheetIsThere) {
    for (int m = 0; m < MachineCount; ++m) {
        const MachineDef& d = machineDefs[m];
        SCOPED_TRACE(machineNames[m]);
        Pixels face = pixels(static_cast<uint16_t>(d.backgroundBitmap));
        EXPECT_EQ(face.width, 240);
        EXPECT_EQ(face.height, 240);
        Pixels strip = pixels(static_cast<uint16_t>(d.stripBitmap));
        const Rect16& reel = d.reelRects[0];
        EXPECT_GE(strip.width, reel.w);
        EXPECT_EQ(strip.height, reel.h * d.stripLength / 4 + reel.h);
        for (int b = 0; b < 3; ++b) {
            const SheetRow& row = SheetRows[d.buttonSheets[b]];
            Pixels sheet = pixels(row.bitmap);
            EXPECT_EQ(sheet.width, 68);
            EXPECT_EQ(sheet.height, 18);
        }
        EXPECT_EQ(d.payTablePicture, 0u);
    }
    for (const SheetRow& row : SheetRows) {
        SCOPED_TRACE("sheet bitmap " + std::to_string(row.bitmap));
        Pixels sheet = pixels(row.bitmap);
        int cols = 0, rows = 1, col = 0;
        for (const char* p = row.layout; *p; ++p) {
            if (*p == '\n') {
                ++rows;
                col = 0;
            } else {
                cols = std::max(cols, ++col);
            }
        }
        EXPECT_GE(sheet.width, cols * row.cellW);
        EXPECT_GE(sheet.height, rows * row.cellH);
    }
}

// ---- Reel strips -----------------------------------------------------------------------------

class Strips : public GameResources, public ::testing::WithParamInterface<int> {
protected:
    const MachineDef& def() const { return machineDefs[GetParam()]; }
    int h() const { return def().reelRects[0].h; }
    int windowWidth() const { return def().reelRects[0].w; }
    int cycle() const { return h() * def().stripLength / 4; }

    // The reel's paper in each column: the strip's top row is a band edge, free of symbols.
    static bool isPaper(const Pixels& s, int x, int y) { return s.at(x, y) == s.at(x, 0); }
    bool rowIsPaper(const Pixels& s, int y) const {
        for (int x = 0; x < windowWidth(); ++x)
            if (!isPaper(s, x, y)) return false;
        return true;
    }
};

TEST_P(Strips, RepeatTheirFirstWindowBelowTheCycle) {
    Pixels s = pixels(static_cast<uint16_t>(def().stripBitmap));
    ASSERT_EQ(s.height, cycle() + h());
    for (int y = 0; y < h(); ++y)
        for (int x = 0; x < s.width; ++x)
            ASSERT_EQ(s.at(x, cycle() + y), s.at(x, y)) << "row " << y << " column " << x;
    // A reel scrolled to the last row of its cycle still has a whole window under it.
    EXPECT_LE(cycle() - 1 + h(), s.height);
}

TEST_P(Strips, CentreEachSymbolOnItsStopInAHalfWindowBand) {
    Pixels s = pixels(static_cast<uint16_t>(def().stripBitmap));
    ASSERT_EQ(s.height, cycle() + h());
    const int band = h() / 2;
    for (int stop = 1; stop < 18; stop += 2) {
        SCOPED_TRACE("stop " + std::to_string(stop));
        int centre = (stop + 2) * h() / 4 % cycle();
        int top = centre - h() / 4;  // the band of this symbol: h / 2 rows around its centre
        // Its picture: every pixel that is not the reel's paper, within the window's width.
        int minY = s.height, maxY = -1, ink = 0;
        for (int y = 0; y < cycle(); ++y)
            for (int x = 0; x < windowWidth(); ++x) {
                bool inBand = y >= top && y < top + band;
                if (!inBand || isPaper(s, x, y)) continue;
                minY = std::min(minY, y);
                maxY = std::max(maxY, y);
                ++ink;
            }
        ASSERT_GT(ink, 80) << "no symbol in its band";
        EXPECT_GT(minY, top) << "the symbol touches the band's top";
        EXPECT_LT(maxY, top + band - 1) << "the symbol touches the band's bottom";
        double middle = (minY + maxY + 1) / 2.0;
        EXPECT_NEAR(middle, centre + 0.5, 1.5);
        // The band edges are paper, so neighbouring symbols never touch.
        EXPECT_TRUE(rowIsPaper(s, top));
    }
}

TEST_P(Strips, ShowTheGapBetweenTwoSymbolsAtBlankStops) {
    Pixels s = pixels(static_cast<uint16_t>(def().stripBitmap));
    for (int stop = 0; stop < 18; ++stop) {
        int top = stop * h() / 4;
        int middle = top + h() / 2;
        bool paper = rowIsPaper(s, middle);
        if (stop % 2 == 0)
            EXPECT_TRUE(paper) << "blank stop " << stop << " has a symbol in the window's middle";
        else
            EXPECT_FALSE(paper) << "symbol stop " << stop << " shows no symbol in the window's middle";
    }
}

TEST_P(Strips, HoldNineDifferentSymbolsInTheOrderOfTheStrip) {
    Pixels s = pixels(static_cast<uint16_t>(def().stripBitmap));
    const int band = h() / 2;
    std::vector<std::vector<uint32_t>> pictures;
    for (int j = 0; j < 9; ++j) {
        std::vector<uint32_t> p;
        for (int y = j * band; y < j * band + band; ++y)
            for (int x = 0; x < windowWidth(); ++x)
                p.push_back(s.at(x, y));
        pictures.push_back(p);
    }
    for (size_t a = 0; a < pictures.size(); ++a)
        for (size_t b = a + 1; b < pictures.size(); ++b) {
            size_t differ = 0;
            for (size_t i = 0; i < pictures[a].size(); ++i)
                differ += pictures[a][i] != pictures[b][i];
            EXPECT_GT(differ, pictures[a].size() / 8) << "bands " << a << " and " << b << " look alike";
        }
}

INSTANTIATE_TEST_SUITE_P(AllMachines, Strips, ::testing::Range(0, MachineCount));

// ---- The game font and its mask --------------------------------------------------------------

class TextFont : public GameResources {};

TEST_F(TextFont, MaskIsBlackExactlyWhereAGlyphIsDrawn) {
    Pixels image = pixels(113);
    Pixels mask = pixels(114);
    ASSERT_EQ(image.width, mask.width);
    ASSERT_EQ(image.height, mask.height);
    const uint32_t ground = 0x040204;  // practically black under the white of the mask
    int glyphPixels = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            uint32_t m = mask.at(x, y);
            ASSERT_TRUE(m == 0x000000 || m == 0xFFFFFF) << x << "," << y;
            bool glyph = image.at(x, y) != ground;
            EXPECT_EQ(m == 0x000000, glyph) << x << "," << y;
            glyphPixels += glyph;
        }
    EXPECT_GT(glyphPixels, 95 * 8);
    // The mask is a 1-bit picture of black and white.
    std::vector<uint8_t> b = bytes(RT_BITMAP, 114);
    ASSERT_GE(b.size(), 48u);
    EXPECT_EQ(restest::u32(b, 40) & 0xFFFFFF, 0x000000u);
    EXPECT_EQ(restest::u32(b, 44) & 0xFFFFFF, 0xFFFFFFu);
}

TEST_F(TextFont, EveryCharacterHasAGlyphInItsCellAndTheSpaceIsEmpty) {
    Pixels image = pixels(113);
    const uint32_t ground = 0x040204;
    std::map<std::string, char> seen;
    int row = 0, col = 0;
    std::set<char> characters;
    int cells = 0;
    for (const char* p = TextLayout; *p; ++p) {
        if (*p == '\n') {
            ++row;
            col = 0;
            continue;
        }
        std::string cell;
        int ink = 0;
        for (int y = row * 9; y < row * 9 + 9; ++y)
            for (int x = col * 9; x < col * 9 + 9; ++x) {
                bool on = image.at(x, y) != ground;
                cell += on ? '#' : '.';
                ink += on;
            }
        if (*p == ' ') {
            EXPECT_EQ(ink, 0) << "the space has ink";
        } else {
            EXPECT_GT(ink, 1) << "'" << *p << "' has no glyph";
            // Different characters look different (the vertical bar appears twice).
            auto [it, fresh] = seen.emplace(cell, *p);
            if (!fresh) {
                EXPECT_EQ(it->second, *p) << "'" << *p << "' looks like '" << it->second << "'";
            }
        }
        characters.insert(*p);
        ++col;
        ++cells;
    }
    EXPECT_EQ(cells, 95);
    EXPECT_EQ(characters.size(), 94u);  // every printable ASCII character but the colon
    // Nothing outside the cells: columns 315 to 319, and past the 25 cells of the last row.
    for (int y = 0; y < 27; ++y)
        for (int x = 315; x < 320; ++x)
            EXPECT_EQ(image.at(x, y), ground);
    for (int y = 18; y < 27; ++y)
        for (int x = 225; x < 320; ++x)
            EXPECT_EQ(image.at(x, y), ground);
}

// ---- Digit sheets ----------------------------------------------------------------------------

class Digits : public GameResources {
protected:
    // The cells of a one-row sheet as ink patterns against the ground colour.
    static std::vector<std::string> cells(const Pixels& p, int count, int w, int h, uint32_t ground) {
        std::vector<std::string> out;
        for (int c = 0; c < count; ++c) {
            std::string s;
            for (int y = 0; y < h; ++y)
                for (int x = c * w; x < c * w + w; ++x)
                    s += p.at(x, y) == ground ? '.' : '#';
            out.push_back(s);
        }
        return out;
    }
};

TEST_F(Digits, DisplayDigitsHaveABlankSpaceAndTenDistinctFigures) {
    Pixels p = pixels(115);
    uint32_t ground = p.at(0, 0);
    std::vector<std::string> c = cells(p, 11, 7, 9, ground);
    EXPECT_EQ(c[0].find('#'), std::string::npos) << "the space cell is not blank";
    std::set<std::string> distinct;
    for (int d = 1; d <= 10; ++d) {
        EXPECT_NE(c[static_cast<size_t>(d)].find('#'), std::string::npos) << "digit " << d - 1;
        distinct.insert(c[static_cast<size_t>(d)]);
    }
    EXPECT_EQ(distinct.size(), 10u);
}

TEST_F(Digits, CreditDigitsAreTenDistinctFigures) {
    Pixels p = pixels(116);
    // The ground is the colour most of the sheet shows.
    std::map<uint32_t, int> count;
    for (uint32_t v : p.px)
        ++count[v];
    uint32_t ground = std::max_element(count.begin(), count.end(), [](auto& a, auto& b) {
                          return a.second < b.second;
                      })->first;
    std::vector<std::string> c = cells(p, 10, 4, 5, ground);
    std::set<std::string> distinct(c.begin(), c.end());
    EXPECT_EQ(distinct.size(), 10u);
    for (const std::string& s : c)
        EXPECT_NE(s.find('#'), std::string::npos);
}

// ---- Buttons and faces ---------------------------------------------------------------------------

class Faces : public GameResources, public ::testing::WithParamInterface<int> {};

TEST_P(Faces, ShowThePlainButtonFacesUnderTheButtons) {
    const MachineDef& d = machineDefs[GetParam()];
    Pixels face = pixels(static_cast<uint16_t>(d.backgroundBitmap));
    for (int b = 0; b < d.buttonCount; ++b) {
        SCOPED_TRACE("button " + std::to_string(b));
        Pixels sheet = pixels(SheetRows[d.buttonSheets[b]].bitmap);
        const Rect16& r = d.controlRects[b];
        ASSERT_EQ(r.w, 33);
        ASSERT_EQ(r.h, 18);
        for (int y = 0; y < r.h; ++y)
            for (int x = 0; x < r.w; ++x)
                ASSERT_EQ(face.at(r.x + x, r.y - PictureTop + y), sheet.at(x, y)) << x << "," << y;
    }
}

TEST_P(Faces, HaveTheDigitsOwnGroundUnderTheDisplays) {
    const MachineDef& d = machineDefs[GetParam()];
    Pixels face = pixels(static_cast<uint16_t>(d.backgroundBitmap));
    Pixels digits = pixels(115);
    Pixels credits = pixels(116);
    uint32_t digitGround = digits.at(0, 0);  // the blank space cell
    for (const Rect16& r : {d.betRect, d.winRect})
        for (int y = r.y; y < r.y + r.h; ++y)
            for (int x = r.x; x < r.x + r.w; ++x)
                ASSERT_EQ(face.at(x, y - PictureTop), digitGround) << "display at " << x << "," << y;
    uint32_t creditGround = credits.at(0, 0);  // the corner of the 0 is ground
    const Rect16& c = CreditsRect;
    for (int y = c.y; y < c.y + c.h; ++y)
        for (int x = c.x; x < c.x + c.w; ++x)
            ASSERT_EQ(face.at(x, y - PictureTop), creditGround) << "credits at " << x << "," << y;
}

TEST_P(Faces, AreTheirOwnPictures) {
    const MachineDef& d = machineDefs[GetParam()];
    Pixels face = pixels(static_cast<uint16_t>(d.backgroundBitmap));
    std::set<uint32_t> colours(face.px.begin(), face.px.end());
    EXPECT_GT(colours.size(), 128u) << "a face uses few colours";
    for (int other = 0; other < MachineCount; ++other) {
        if (other == GetParam()) continue;
        Pixels o = pixels(static_cast<uint16_t>(machineDefs[other].backgroundBitmap));
        size_t differ = 0;
        for (size_t i = 0; i < face.px.size(); ++i)
            differ += face.px[i] != o.px[i];
        EXPECT_GT(differ, face.px.size() / 2) << "looks like machine " << other;
    }
}

INSTANTIATE_TEST_SUITE_P(AllMachines, Faces, ::testing::Range(0, MachineCount));

TEST_F(Bitmaps, EachButtonIsTheSamePictureOnEveryMachineAndLightsUp) {
    for (int b = 0; b < 3; ++b) {
        SCOPED_TRACE("button " + std::to_string(b));
        Pixels first = pixels(SheetRows[machineDefs[0].buttonSheets[b]].bitmap);
        for (int m = 1; m < MachineCount; ++m) {
            Pixels other = pixels(SheetRows[machineDefs[m].buttonSheets[b]].bitmap);
            EXPECT_EQ(other.px, first.px) << machineNames[m];
        }
        long plain = 0, lit = 0;
        int changed = 0;
        for (int y = 0; y < 18; ++y)
            for (int x = 0; x < 33; ++x) {
                plain += luminance(first.at(x, y));
                lit += luminance(first.at(33 + x, y));
                changed += first.at(x, y) != first.at(33 + x, y);
            }
        EXPECT_GT(lit - plain, 33 * 18 * 20) << "the lit face is not clearly brighter";
        EXPECT_GT(changed, 33 * 18 / 2);
    }
    // The three buttons differ from each other.
    Pixels one = pixels(117), max = pixels(118), spin = pixels(119);
    EXPECT_NE(one.px, max.px);
    EXPECT_NE(max.px, spin.px);
    EXPECT_NE(one.px, spin.px);
}

}  // namespace
