// Copies beyond what the game's frames show: a copy's size, clipping and centring.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "gfx/surface.h"
#include "tests/flow/harness.h"

TEST(Blit, ACopyIsAsLargeAsTheSourceWindowClippedAtBothBitmapsAndCentredOnEachAxis) {
    harness::resetAll();
    initGraphics();
    Surface target = {};
    const Rect16 size = {0, 0, 240, 320};
    ASSERT_EQ(createSurface(&target, &size), 1);
    Sprite background = {}, wide = {};
    ASSERT_EQ(loadSprite(&background, 120, 0), 1);  // a machine background, 240 x 240
    ASSERT_EQ(loadSprite(&wide, 113, 0), 1);        // the character set, 320 x 27
    struct Case {
        const Sprite* from;
        Rect16 dest, src;
        uint8_t flags;
        int dx, dy, sx, sy, w, h;  // the block expected, before clipping
    };
    const Case cases[] = {
        {&background, {5, 5, 2, 2}, {0, 0, 30, 20}, 0, 5, 5, 0, 0, 30, 20},  // the source window's size
        // Only one column or row on the target.
        {&background, {-35, 0, 36, 9}, {0, 0, 36, 9}, 0, -35, 0, 0, 0, 36, 9},
        {&background, {239, 10, 36, 9}, {0, 0, 36, 9}, 0, 239, 10, 0, 0, 36, 9},
        {&background, {10, -8, 36, 9}, {5, 5, 36, 9}, 0, 10, -8, 5, 5, 36, 9},
        {&background, {10, 319, 36, 9}, {5, 5, 36, 9}, 0, 10, 319, 5, 5, 36, 9},
        {&background, {50, 50, 10, 10}, {230, 230, 20, 20}, 0, 50, 50, 230, 230, 20, 20},  // past the source
        {&background, {0, 15, 240, 240}, {0, 0, 201, 101}, BlitCentre, 19, 84, 0, 0, 201, 101},
        {&wide, {0, 15, 240, 240}, {0, 0, 241, 27}, BlitCentre, 0, 121, 0, 0, 240, 27},
        {&background, {0, 15, 240, 240}, {0, 0, 100, 243}, BlitCentre, 70, 15, 0, 1, 100, 240},
    };
    for (const Case& c : cases) {
        fillRect(&target, nullptr, 0);
        std::vector<uint32_t> expected = harness::bitmapPixels(target.image).copy();
        const harness::Pixels src = harness::bitmapPixels(c.from->image);
        for (int j = 0; j < c.h; ++j) {
            for (int i = 0; i < c.w; ++i) {
                const int tx = c.dx + i, ty = c.dy + j, fx = c.sx + i, fy = c.sy + j;
                if (tx < 0 || ty < 0 || tx >= 240 || ty >= 320 || fx >= src.width || fy >= src.height)
                    continue;
                expected[static_cast<size_t>(ty * 240 + tx)] = src.at(fx, fy);
            }
        }
        blit(&target, c.from, &c.dest, &c.src, c.flags);
        EXPECT_TRUE(harness::bitmapPixels(target.image).copy() == expected)
            << "dest " << c.dest.x << ", " << c.dest.y << " source " << c.src.w;
    }
    freeSprite(&background);
    freeSprite(&wide);
    freeSprite(&target);
}
