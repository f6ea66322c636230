// Drawing: contexts and bitmaps, the three raster operations clipped at the edges of both bitmaps,
// copies within one bitmap, and filled rectangles.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/host.h"
#include "platform/probe.h"
#include "platform/windows.h"

namespace {

class Gdi : public ::testing::Test {
protected:
    void SetUp() override {
        platformReset();
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.lpszClassName = u"GDI";
        RegisterClassW(&wc);
        screen = GetDC(CreateWindowExW(0, u"GDI", u"", WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                                       CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, nullptr, nullptr));
        ASSERT_NE(screen, nullptr);
    }

    // A bitmap compatible with the window, filled with one colour, in a memory context of its own.
    HDC context(int width, int height, uint32_t colour, HBITMAP* bitmap = nullptr) {
        HDC dc = CreateCompatibleDC(nullptr);
        HBITMAP b = CreateCompatibleBitmap(screen, width, height);
        EXPECT_NE(SelectObject(dc, b), nullptr);
        std::fill(pixels(b), pixels(b) + width * height, colour);
        if (bitmap) *bitmap = b;
        return dc;
    }
    static uint32_t* pixels(HBITMAP bitmap) {
        const uint32_t* p = nullptr;
        int w = 0, h = 0;
        EXPECT_EQ(platformBitmapPixels(bitmap, &p, &w, &h), 1);
        return const_cast<uint32_t*>(p);
    }
    static uint32_t at(HBITMAP bitmap, int x, int y) {
        BITMAP info{};
        GetObjectW(bitmap, sizeof info, &info);
        return pixels(bitmap)[y * info.bmWidth + x];
    }

    HDC screen = nullptr;
};

TEST_F(Gdi, ObjectsFollowThePlatformsRulesOfSelectionAndDeletion) {
    EXPECT_EQ(GetDeviceCaps(screen, HORZRES), 240);
    EXPECT_EQ(GetDeviceCaps(screen, VERTRES), 320);
    EXPECT_EQ(GetDC(nullptr), nullptr) << "no context draws on the whole display";
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 37, 11);
    BITMAP info{};
    ASSERT_EQ(GetObjectW(bitmap, sizeof info, &info), static_cast<int>(sizeof info));
    EXPECT_EQ((std::vector<LONG>{info.bmWidth, info.bmHeight, info.bmBitsPixel}),
              (std::vector<LONG>{37, 11, 32}));
    EXPECT_EQ(GetObjectW(bitmap, 4, &info), 0);
    EXPECT_EQ(CreateCompatibleBitmap(screen, -1, 5), nullptr);
    EXPECT_EQ(CreateCompatibleBitmap(nullptr, 5, 5), nullptr);
    HDC a = CreateCompatibleDC(nullptr), b = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(a, bitmap);
    EXPECT_NE(old, nullptr);
    EXPECT_EQ(SelectObject(b, bitmap), nullptr) << "a bitmap is selected into one context at a time";
    EXPECT_EQ(SelectObject(screen, bitmap), nullptr) << "a window's context has no bitmap";
    EXPECT_FALSE(DeleteObject(bitmap)) << "a selected bitmap stays";
    EXPECT_EQ(SelectObject(a, old), bitmap);
    EXPECT_TRUE(DeleteObject(bitmap));
    EXPECT_FALSE(DeleteObject(bitmap)) << "a deleted handle is recognised";
    EXPECT_EQ(SelectObject(a, bitmap), nullptr);
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    old = SelectObject(a, brush);
    EXPECT_FALSE(DeleteObject(brush)) << "a selected brush stays";
    SelectObject(a, old);
    EXPECT_TRUE(DeleteObject(brush));
    // Deleting a context lets its bitmap go; a window's context is not deleted.
    HBITMAP second = CreateCompatibleBitmap(screen, 4, 4);
    SelectObject(b, second);
    EXPECT_TRUE(DeleteDC(b));
    EXPECT_FALSE(DeleteDC(b));
    EXPECT_TRUE(DeleteObject(second));
    EXPECT_FALSE(DeleteDC(screen));
    EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_BRUSH))) << "a stock object is never deleted";
    EXPECT_NE(GetStockObject(BLACK_BRUSH), nullptr);
    EXPECT_EQ(GetStockObject(5), nullptr);
    EXPECT_FALSE(BitBlt(a, 0, 0, 1, 1, reinterpret_cast<HDC>(0x1230), 0, 0, SRCCOPY));
}

TEST_F(Gdi, RasterOperationsCopyOrCombineSourceAndTarget) {
    HBITMAP target, source;
    HDC to = context(5, 1, 0x00F0F0F0, &target);
    HDC from = context(5, 1, 0x0012345A, &source);
    EXPECT_TRUE(BitBlt(to, 0, 0, 1, 1, from, 0, 0, SRCCOPY));
    EXPECT_TRUE(BitBlt(to, 1, 0, 1, 1, from, 0, 0, SRCAND));
    EXPECT_TRUE(BitBlt(to, 2, 0, 1, 1, from, 0, 0, SRCPAINT));
    EXPECT_FALSE(BitBlt(to, 3, 0, 1, 1, from, 0, 0, 0x00660046)) << "SRCINVERT is not offered";
    EXPECT_EQ((std::vector<uint32_t>(pixels(target), pixels(target) + 5)),
              (std::vector<uint32_t>{0x0012345A, 0x00F0F0F0 & 0x0012345A, 0x00F0F0F0 | 0x0012345A, 0x00F0F0F0,
                                     0x00F0F0F0}));
}

// Copies a numbered 4 x 4 source to (dx, dy) of a 6 x 5 target from (sx, sy), and checks every
// target pixel against the copy clipped at both bitmaps' edges.
struct ClipCase {
    const char* name;
    int dx, dy, w, h, sx, sy;
};

class Clipping : public Gdi, public ::testing::WithParamInterface<ClipCase> {};

TEST_P(Clipping, CopiesOnlyWhatLiesInsideBothBitmaps) {
    const ClipCase& c = GetParam();
    HBITMAP target, source;
    HDC to = context(6, 5, 0x00FFFFFF, &target);
    HDC from = context(4, 4, 0, &source);
    for (int i = 0; i < 16; ++i)
        pixels(source)[i] = static_cast<uint32_t>(i + 1);
    EXPECT_TRUE(BitBlt(to, c.dx, c.dy, c.w, c.h, from, c.sx, c.sy, SRCCOPY));
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 6; ++x) {
            int i = x - c.dx, j = y - c.dy, sx = c.sx + i, sy = c.sy + j;
            bool copied = i >= 0 && i < c.w && j >= 0 && j < c.h && sx >= 0 && sx < 4 && sy >= 0 && sy < 4;
            EXPECT_EQ(at(target, x, y), copied ? static_cast<uint32_t>(sy * 4 + sx + 1) : 0x00FFFFFFu)
                << c.name << " at " << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Gdi, Clipping,
    ::testing::Values(ClipCase{"inside", 1, 1, 2, 2, 1, 2}, ClipCase{"target_left", -2, 1, 4, 4, 0, 0},
                      ClipCase{"target_top", 1, -3, 4, 4, 0, 0}, ClipCase{"target_right", 4, 0, 4, 4, 0, 0},
                      ClipCase{"target_bottom", 0, 3, 4, 4, 0, 0}, ClipCase{"source_left", 0, 0, 4, 4, -1, 0},
                      ClipCase{"source_top", 0, 0, 4, 4, 0, -2}, ClipCase{"source_right", 0, 0, 4, 4, 2, 0},
                      ClipCase{"source_bottom", 0, 0, 4, 4, 0, 3},
                      ClipCase{"all_sides", -1, -1, 9, 9, -1, -1}, ClipCase{"outside", 6, 0, 4, 4, 0, 0},
                      ClipCase{"far_outside", -2000000000, 0, 4, 4, 0, 0},
                      ClipCase{"huge_size", 0, 0, 2147483647, 2147483647, 0, 0},
                      ClipCase{"zero_width", 0, 0, 0, 4, 0, 0},
                      ClipCase{"negative_height", 0, 0, 4, -4, 0, 0}),
    [](const ::testing::TestParamInfo<ClipCase>& param) { return std::string(param.param.name); });

TEST_F(Gdi, ACopyWithinOneBitmapReadsEachPixelBeforeItIsOverwritten) {
    HBITMAP bitmap;
    HDC dc = context(8, 8, 0, &bitmap);
    const int moves[3][4] = {{2, 1, 0, 0}, {0, 0, 2, 1}, {2, 0, 0, 0}};  // to (x, y) from (x, y)
    for (DWORD rop : {SRCCOPY, SRCPAINT}) {
        for (const auto& m : moves) {
            for (int i = 0; i < 64; ++i)
                pixels(bitmap)[i] = static_cast<uint32_t>(i) << 8 | static_cast<uint32_t>(i);
            BitBlt(dc, m[0], m[1], 6, 6, dc, m[2], m[3], rop);
            for (int y = 0; y < 6; ++y) {
                for (int x = 0; x < 6; ++x) {
                    auto original = [](int px, int py) {
                        return static_cast<uint32_t>(py * 8 + px) * 0x101u;
                    };
                    uint32_t from = original(m[2] + x, m[3] + y), was = original(m[0] + x, m[1] + y);
                    EXPECT_EQ(at(bitmap, m[0] + x, m[1] + y), rop == SRCCOPY ? from : from | was)
                        << rop << " to " << m[0] << "," << m[1] << " at " << x << "," << y;
                }
            }
        }
    }
}

TEST_F(Gdi, RectangleFillsWithTheBrushInsideABlackOutline) {
    HBITMAP target;
    HDC dc = context(8, 7, 0x00ABCDEF, &target);
    Rectangle(dc, 0, 0, 3, 3);
    EXPECT_EQ(at(target, 1, 1), 0x00FFFFFFu) << "a new context's brush is white";
    HBRUSH brush = CreateSolidBrush(RGB(0x11, 0x22, 0x33));
    SelectObject(dc, brush);
    EXPECT_TRUE(Rectangle(dc, 6, 6, 1, 2)) << "corners in either order";
    for (int y = 0; y < 7; ++y) {
        for (int x = 3; x < 8; ++x) {
            bool in = x >= 1 && x < 6 && y >= 2 && y < 6, edge = x == 1 || x == 5 || y == 2 || y == 5;
            EXPECT_EQ(at(target, x, y), in ? (edge ? 0u : 0x00112233u) : 0x00ABCDEFu) << x << "," << y;
        }
    }
    Rectangle(dc, -100, -100, 100, 100);
    EXPECT_EQ(at(target, 0, 0), 0x00112233u) << "only the inside reaches the bitmap";
    EXPECT_EQ(at(target, 7, 6), 0x00112233u);
    EXPECT_TRUE(Rectangle(dc, 3, 3, 3, 9)) << "an empty rectangle draws nothing";
    EXPECT_EQ(at(target, 3, 3), 0x00112233u);
}

}  // namespace
