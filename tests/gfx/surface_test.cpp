// Surfaces and sprites: loading with and without masks, plain and masked copies, clipping on each
// edge, centring on both axes, solid fills.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "gfx/surface.h"
#include "shell/app.h"
#include "tests/flow/harness.h"

namespace {

using harness::Pixels;

constexpr uint32_t Background = 120;  // a machine background, 240 x 240, colourful everywhere
constexpr uint32_t TextSheet = 113;   // the character set, 320 x 27, with mask 114

// A fresh platform and graphics with an offscreen target of the display's size.
class SurfaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        harness::resetAll();
        initGraphics();
        const Rect16 size = {0, 0, 240, 320};
        ASSERT_EQ(createSurface(&target, &size), 1);
        ASSERT_EQ(loadSprite(&source, Background, 0), 1);
    }
    void TearDown() override {
        freeSprite(&target);
        freeSprite(&source);
    }

    std::vector<uint32_t> snapshot() const {
        const Pixels p = harness::bitmapPixels(target.image);
        return std::vector<uint32_t>(p.data, p.data + p.width * p.height);
    }

    // The target after a plain copy of w x h from (sx, sy) of the source to (dx, dy), clipped at
    // the edges of both, onto the picture it held before.
    std::vector<uint32_t> expectedCopy(const std::vector<uint32_t>& before, int dx, int dy, int w, int h,
                                       int sx, int sy) const {
        return expectedCopyFrom(source, before, dx, dy, w, h, sx, sy);
    }
    std::vector<uint32_t> expectedCopyFrom(const Surface& from, const std::vector<uint32_t>& before, int dx,
                                           int dy, int w, int h, int sx, int sy) const {
        std::vector<uint32_t> out = before;
        const Pixels src = harness::bitmapPixels(from.image);
        for (int j = 0; j < h; ++j) {
            for (int i = 0; i < w; ++i) {
                const int tx = dx + i, ty = dy + j, fx = sx + i, fy = sy + j;
                if (tx < 0 || ty < 0 || tx >= target.width || ty >= target.height) continue;
                if (fx < 0 || fy < 0 || fx >= src.width || fy >= src.height) continue;
                out[static_cast<size_t>(ty * target.width + tx)] = src.at(fx, fy);
            }
        }
        return out;
    }

    Surface target = {};
    Sprite source = {};
};

int differences(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    int n = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        n += a[i] != b[i];
    return n + static_cast<int>(a.size() > b.size() ? a.size() - b.size() : b.size() - a.size());
}

}  // namespace

TEST_F(SurfaceTest, SpritesKnowTheirBitmapsSize) {
    EXPECT_EQ(source.width, 240);
    EXPECT_EQ(source.height, 240);
    EXPECT_NE(source.context, nullptr);
    EXPECT_EQ(source.mask, nullptr);
    EXPECT_EQ(target.width, 240);
    EXPECT_EQ(target.height, 320);
    // A new surface is black.
    for (uint32_t p : snapshot())
        ASSERT_EQ(p, 0u);
}

TEST_F(SurfaceTest, MasksComeFromTheMaskTable) {
    EXPECT_EQ(findMask(113), 114u);
    EXPECT_EQ(findMask(114), 0xFFFFFFFFu);
    EXPECT_EQ(findMask(0), 0xFFFFFFFFu);
    Sprite text = {};
    ASSERT_EQ(loadSprite(&text, TextSheet, WithMask), 1);
    EXPECT_NE(text.mask, nullptr);
    EXPECT_NE(text.maskContext, nullptr);
    EXPECT_EQ(text.width, 320);
    EXPECT_EQ(text.height, 27);
    freeSprite(&text);
    EXPECT_EQ(text.image, nullptr);
    EXPECT_EQ(text.mask, nullptr);
    freeSprite(&text);  // twice is harmless
}

TEST_F(SurfaceTest, AMaskedLoadWithoutAMaskFailsAsAWhole) {
    Sprite digits = {};
    EXPECT_EQ(loadSprite(&digits, 115, WithMask), 0);
    EXPECT_EQ(digits.image, nullptr);
    EXPECT_EQ(digits.context, nullptr);
    EXPECT_EQ(digits.mask, nullptr);
    EXPECT_EQ(loadSprite(&digits, 115, 0), 1);  // without the flag it loads
    EXPECT_EQ(digits.width, 84);
    freeSprite(&digits);
}

TEST_F(SurfaceTest, MissingThingsGiveEmptyRecords) {
    Sprite none = {};
    EXPECT_EQ(loadSprite(&none, 4242, 0), 0);
    EXPECT_EQ(none.image, nullptr);
    EXPECT_EQ(loadSprite(nullptr, Background, 0), 0);
    Surface bad = {};
    const Rect16 negative = {0, 0, 10, -1};
    EXPECT_EQ(createSurface(&bad, &negative), 0);
    EXPECT_EQ(bad.image, nullptr);
    EXPECT_EQ(bad.context, nullptr);
    EXPECT_EQ(createSurface(&bad, nullptr), 0);
    EXPECT_EQ(createSurface(nullptr, &negative), 0);
    freeSprite(&none);
    freeSprite(&ScreenSurface);  // the screen has no bitmap and is never freed
    EXPECT_NE(ScreenSurface.context, nullptr);
    // Blits from or into empty records draw nothing and do not fail.
    const std::vector<uint32_t> before = snapshot();
    blit(&target, &none, nullptr, nullptr, 0);
    blit(&none, &source, nullptr, nullptr, 0);
    blit(nullptr, &source, nullptr, nullptr, 0);
    blit(&target, nullptr, nullptr, nullptr, 0);
    fillRect(&none, nullptr, 8);
    fillRect(nullptr, nullptr, 8);
    EXPECT_EQ(differences(snapshot(), before), 0);
}

TEST_F(SurfaceTest, CopiesAreClippedOnEveryEdge) {
    struct Case {
        Rect16 dest;
        Rect16 src;
        bool draws;
    };
    const Case cases[] = {
        {{-36, 0, 36, 9}, {0, 0, 36, 9}, false},   // wholly left of the target
        {{-35, 0, 36, 9}, {0, 0, 36, 9}, true},    // one column left
        {{240, 10, 36, 9}, {0, 0, 36, 9}, false},  // starts at the right edge
        {{239, 10, 36, 9}, {0, 0, 36, 9}, true},   // one column right
        {{10, -9, 36, 9}, {5, 5, 36, 9}, false},   // wholly above
        {{10, -8, 36, 9}, {5, 5, 36, 9}, true},    // one row above
        {{10, 320, 36, 9}, {5, 5, 36, 9}, false},  // starts at the bottom edge
        {{10, 319, 36, 9}, {5, 5, 36, 9}, true},   // one row at the bottom
        {{-20, -20, 300, 400}, {0, 0, 240, 240}, true},
        {{50, 50, 10, 10}, {230, 230, 20, 20}, true},  // runs past the source's corner
        {{50, 50, 10, 10}, {-5, -5, 20, 20}, true},    // starts before the source's corner
        {{10, 10, 36, 9}, {0, 0, 0, 9}, false},        // a source window of width 0
        {{10, 10, 36, 9}, {0, 0, 9, -3}, false},       // of negative height
    };
    for (const Case& c : cases) {
        fillRect(&target, nullptr, 0);
        const std::vector<uint32_t> before = snapshot();
        blit(&target, &source, &c.dest, &c.src, 0);
        const std::vector<uint32_t> after = snapshot();
        const std::vector<uint32_t> expected =
            c.draws ? expectedCopy(before, c.dest.x, c.dest.y, c.src.w, c.src.h, c.src.x, c.src.y) : before;
        EXPECT_EQ(differences(after, expected), 0) << "dest " << c.dest.x << ", " << c.dest.y;
        EXPECT_EQ(differences(after, before) > 0, c.draws) << "dest " << c.dest.x << ", " << c.dest.y;
    }
}

TEST_F(SurfaceTest, TheCopyIsAsLargeAsTheSourceWindowNotTheDestination) {
    const Rect16 dest = {5, 5, 2, 2};
    const Rect16 src = {0, 0, 30, 20};
    const std::vector<uint32_t> before = snapshot();
    blit(&target, &source, &dest, &src, 0);
    EXPECT_EQ(differences(snapshot(), expectedCopy(before, 5, 5, 30, 20, 0, 0)), 0);
}

TEST_F(SurfaceTest, WithoutRectanglesTheWholeSourceGoesToTheTopLeft) {
    const std::vector<uint32_t> before = snapshot();
    blit(&target, &source, nullptr, nullptr, 0);
    EXPECT_EQ(differences(snapshot(), expectedCopy(before, 0, 0, 240, 240, 0, 0)), 0);
}

TEST_F(SurfaceTest, CentringWorksOnEachAxis) {
    const Rect16 picture = {0, 15, 240, 240};
    struct Case {
        Rect16 src;
        int dx, dy, w, h, sx, sy;
    };
    const Case cases[] = {
        {{0, 0, 240, 240}, 0, 15, 240, 240, 0, 0},  {{0, 0, 200, 100}, 20, 85, 200, 100, 0, 0},
        {{0, 0, 201, 101}, 19, 84, 201, 101, 0, 0},  // odd differences round down
        {{0, 0, 241, 100}, 0, 85, 240, 100, 0, 0},   // 1 wider: starts at source column 0
        {{0, 0, 100, 243}, 70, 15, 100, 240, 0, 1},  // 3 taller: the middle rows
    };
    Sprite wide = {};
    ASSERT_EQ(loadSprite(&wide, TextSheet, 0), 1);  // 320 x 27, for windows wider than the background
    for (const Case& c : cases) {
        fillRect(&target, nullptr, 0);
        const std::vector<uint32_t> before = snapshot();
        const Sprite& from = c.src.w > 240 ? wide : source;
        blit(&target, &from, &picture, &c.src, BlitCentre);
        const std::vector<uint32_t> expected =
            expectedCopyFrom(from, before, c.dx, c.dy, c.w, c.h, c.sx, c.sy);
        EXPECT_EQ(differences(snapshot(), expected), 0) << c.src.w << " x " << c.src.h;
    }
    freeSprite(&wide);
}

TEST_F(SurfaceTest, MaskedCopiesShowTheDestinationWhereTheMaskIsWhite) {
    Sprite text = {};
    ASSERT_EQ(loadSprite(&text, TextSheet, WithMask), 1);
    const Pixels image = harness::bitmapPixels(text.image);
    const Pixels mask = harness::bitmapPixels(text.mask);
    // A colourful destination: the background.
    blit(&target, &source, nullptr, nullptr, 0);
    const std::vector<uint32_t> before = snapshot();
    const Rect16 dest = {3, 7, 320, 27};
    blit(&target, &text, &dest, nullptr, BlitMasked);
    const std::vector<uint32_t> after = snapshot();
    int shownThrough = 0, covered = 0;
    for (int y = 0; y < 27; ++y) {
        for (int x = 0; x + 3 < 240; ++x) {
            const size_t i = static_cast<size_t>((y + 7) * 240 + x + 3);
            const uint32_t expected = (before[i] & mask.at(x, y)) | image.at(x, y);
            ASSERT_EQ(after[i], expected) << x << ", " << y;
            if (mask.at(x, y) == 0xFFFFFFu)
                ++shownThrough;
            else
                ++covered;
        }
    }
    EXPECT_GT(shownThrough, 1000);
    EXPECT_GT(covered, 100);

    // Without BlitMasked the mask is ignored: a plain copy.
    blit(&target, &source, nullptr, nullptr, 0);
    blit(&target, &text, &dest, nullptr, 0);
    EXPECT_EQ(differences(snapshot(), expectedCopyFrom(text, before, 3, 7, 320, 27, 0, 0)), 0);
    freeSprite(&text);

    // A masked copy of a sprite without a mask is a plain copy too.
    fillRect(&target, nullptr, 0);
    const std::vector<uint32_t> black = snapshot();
    const Rect16 small = {10, 10, 50, 50};
    blit(&target, &source, &small, &small, BlitMasked);
    EXPECT_EQ(differences(snapshot(), expectedCopy(black, 10, 10, 50, 50, 10, 10)), 0);
}

TEST_F(SurfaceTest, FillsTakeTheColourInsideAndABlackOutline) {
    fillRect(&target, nullptr, 7);
    Pixels p = harness::bitmapPixels(target.image);
    EXPECT_EQ(p.at(0, 0), 0u);
    EXPECT_EQ(p.at(239, 319), 0u);
    EXPECT_EQ(p.at(1, 1), 0x070000u);
    EXPECT_EQ(p.at(238, 318), 0x070000u);
    const Rect16 r = {10, 20, 5, 4};
    fillRect(&target, &r, 0x00102030);
    p = harness::bitmapPixels(target.image);
    EXPECT_EQ(p.at(10, 20), 0u);
    EXPECT_EQ(p.at(11, 21), 0x302010u);
    EXPECT_EQ(p.at(13, 22), 0x302010u);
    EXPECT_EQ(p.at(14, 23), 0u);         // the last column and row are the outline
    EXPECT_EQ(p.at(15, 22), 0x070000u);  // right and bottom edges are outside
    EXPECT_EQ(p.at(12, 24), 0x070000u);
}

TEST(Graphics, InitMeasuresTheDisplayAndTakesTheWindowsContext) {
    harness::resetAll();
    initGraphics();
    EXPECT_EQ(screenWidth, 240);
    EXPECT_EQ(screenHeight, 320);
    EXPECT_EQ(fullScreenRect.w, 240);
    EXPECT_EQ(fullScreenRect.h, 320);
    EXPECT_NE(ScreenSurface.context, nullptr);
    EXPECT_EQ(ScreenSurface.image, nullptr);
    EXPECT_EQ(graphicsReady, 0);
}

TEST(Graphics, WithoutAWindowNothingIsSet) {
    harness::resetAll();
    DestroyWindow(mainWindow);  // a handle the platform no longer knows
    initGraphics();
    EXPECT_EQ(screenWidth, 0);
    EXPECT_EQ(ScreenSurface.context, nullptr);
    mainWindow = nullptr;  // and none at all: not the whole display either
    initGraphics();
    EXPECT_EQ(ScreenSurface.context, nullptr);
    // Nothing reaches a display that was never taken, and nothing fails.
    const Rect16 size = {0, 0, 10, 10};
    Surface s = {};
    createSurface(&s, &size);
    fillRect(&ScreenSurface, nullptr, 7);
    freeSprite(&s);
}
