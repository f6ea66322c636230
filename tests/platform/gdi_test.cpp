// Drawing: contexts and bitmaps, the three raster operations with clipping, masked copies and
// filled rectangles.
#include <gtest/gtest.h>

#include "platform/host.h"
#include "platform/windows.h"

namespace {

class Gdi : public ::testing::Test {
protected:
    void SetUp() override { platformReset(); }

    // A colour bitmap in its own memory context, filled with one colour.
    HDC colourContext(int width, int height, uint32_t rgb, HBITMAP* bitmap = nullptr) {
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(nullptr);
        HBITMAP b = CreateCompatibleBitmap(screen, width, height);
        EXPECT_NE(b, nullptr);
        SelectObject(dc, b);
        fill(b, rgb);
        if (bitmap) *bitmap = b;
        return dc;
    }

    static uint32_t* pixels(HBITMAP bitmap, int* width = nullptr) {
        const uint32_t* p = nullptr;
        int w = 0, h = 0;
        EXPECT_EQ(platformBitmapPixels(bitmap, &p, &w, &h), 1);
        if (width) *width = w;
        return const_cast<uint32_t*>(p);
    }
    static void fill(HBITMAP bitmap, uint32_t rgb) {
        const uint32_t* p = nullptr;
        int w = 0, h = 0;
        platformBitmapPixels(bitmap, &p, &w, &h);
        std::fill(const_cast<uint32_t*>(p), const_cast<uint32_t*>(p) + w * h, rgb);
    }
    static uint32_t at(HBITMAP bitmap, int x, int y) {
        int w = 0;
        uint32_t* p = pixels(bitmap, &w);
        return p[y * w + x];
    }
};

TEST_F(Gdi, DeviceCapsGiveTheDisplaySize) {
    HDC dc = GetDC(nullptr);
    EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 240);
    EXPECT_EQ(GetDeviceCaps(dc, VERTRES), 320);
    HDC memory = CreateCompatibleDC(nullptr);
    EXPECT_EQ(GetDeviceCaps(memory, HORZRES), 240);
    EXPECT_EQ(GetDeviceCaps(nullptr, HORZRES), 0);
}

TEST_F(Gdi, ObjectsReportTheirSizeAndFormat) {
    HDC screen = GetDC(nullptr);
    HBITMAP colour = CreateCompatibleBitmap(screen, 37, 11);
    BITMAP info{};
    ASSERT_EQ(GetObjectW(colour, sizeof info, &info), static_cast<int>(sizeof info));
    EXPECT_EQ(info.bmWidth, 37);
    EXPECT_EQ(info.bmHeight, 11);
    EXPECT_EQ(info.bmBitsPixel, 32);
    EXPECT_EQ(GetObjectW(colour, 4, &info), 0);
    EXPECT_EQ(GetObjectW(colour, 0, nullptr), static_cast<int>(sizeof info));
    // Compatible with a fresh memory context (holding its 1 x 1 monochrome bitmap) is monochrome.
    HDC memory = CreateCompatibleDC(nullptr);
    HBITMAP mono = CreateCompatibleBitmap(memory, 8, 8);
    ASSERT_EQ(GetObjectW(mono, sizeof info, &info), static_cast<int>(sizeof info));
    EXPECT_EQ(info.bmBitsPixel, 1);
    EXPECT_EQ(CreateCompatibleBitmap(screen, -1, 5), nullptr);
    EXPECT_EQ(CreateCompatibleBitmap(nullptr, 5, 5), nullptr);
}

TEST_F(Gdi, SelectionFollowsThePlatformRules) {
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 4, 4);
    HDC a = CreateCompatibleDC(nullptr);
    HDC b = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(a, bitmap);
    EXPECT_NE(old, nullptr);
    EXPECT_EQ(SelectObject(b, bitmap), nullptr) << "a bitmap is selected into one context at a time";
    EXPECT_EQ(DeleteObject(bitmap), FALSE) << "a selected bitmap cannot be deleted";
    EXPECT_EQ(SelectObject(a, old), bitmap);
    EXPECT_EQ(DeleteObject(bitmap), TRUE);
    EXPECT_EQ(DeleteObject(bitmap), FALSE) << "a deleted handle is recognised";
    EXPECT_EQ(SelectObject(a, bitmap), nullptr);
    // Deleting a context lets its bitmap go.
    HBITMAP second = CreateCompatibleBitmap(screen, 4, 4);
    SelectObject(b, second);
    EXPECT_EQ(DeleteDC(b), TRUE);
    EXPECT_EQ(DeleteDC(b), FALSE);
    EXPECT_EQ(DeleteObject(second), TRUE);
    EXPECT_EQ(DeleteDC(screen), FALSE) << "a window's context is not a memory context";
    EXPECT_EQ(DeleteObject(GetStockObject(BLACK_BRUSH)), TRUE);
    EXPECT_NE(GetStockObject(BLACK_BRUSH), nullptr);
    EXPECT_EQ(GetStockObject(99), nullptr);
    EXPECT_EQ(BitBlt(a, 0, 0, 1, 1, reinterpret_cast<HDC>(0x1230), 0, 0, SRCCOPY), FALSE);
}

TEST_F(Gdi, RasterOperationsCombineSourceAndDestination) {
    HBITMAP target, source;
    HDC to = colourContext(4, 1, 0x00F0F0F0, &target);
    HDC from = colourContext(4, 1, 0x0012345A, &source);
    EXPECT_TRUE(BitBlt(to, 0, 0, 1, 1, from, 0, 0, SRCCOPY));
    EXPECT_TRUE(BitBlt(to, 1, 0, 1, 1, from, 0, 0, SRCAND));
    EXPECT_TRUE(BitBlt(to, 2, 0, 1, 1, from, 0, 0, SRCPAINT));
    EXPECT_EQ(at(target, 0, 0), 0x0012345Au);
    EXPECT_EQ(at(target, 1, 0), 0x00F0F0F0u & 0x0012345Au);
    EXPECT_EQ(at(target, 2, 0), 0x00F0F0F0u | 0x0012345Au);
    EXPECT_EQ(at(target, 3, 0), 0x00F0F0F0u);
    EXPECT_FALSE(BitBlt(to, 0, 0, 1, 1, from, 0, 0, 0x00660046)) << "SRCINVERT is not offered";
    EXPECT_EQ(at(target, 0, 0), 0x0012345Au);
}

TEST_F(Gdi, CopiesMoveTheRightPixelsToTheRightPlace) {
    HBITMAP target, source;
    HDC to = colourContext(10, 10, 0, &target);
    HDC from = colourContext(6, 6, 0, &source);
    int w = 0;
    uint32_t* p = pixels(source, &w);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 6; ++x)
            p[y * 6 + x] = static_cast<uint32_t>(y * 16 + x + 1);
    }
    BitBlt(to, 3, 4, 2, 2, from, 1, 2, SRCCOPY);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x) {
            bool inside = x >= 3 && x < 5 && y >= 4 && y < 6;
            uint32_t expected = inside ? static_cast<uint32_t>((y - 4 + 2) * 16 + (x - 3 + 1) + 1) : 0u;
            EXPECT_EQ(at(target, x, y), expected) << x << "," << y;
        }
    }
}

// Copies a 4 x 4 numbered source to (dx, dy) from (sx, sy) and checks every target pixel against
// the copy clipped at both bitmaps' edges.
struct ClipCase {
    const char* name;
    int dx, dy, w, h, sx, sy;
};

class Clipping : public Gdi, public ::testing::WithParamInterface<ClipCase> {};

TEST_P(Clipping, AtEveryEdgeOfSourceAndTarget) {
    const ClipCase& c = GetParam();
    HBITMAP target, source;
    HDC to = colourContext(6, 5, 0x00FFFFFF, &target);
    HDC from = colourContext(4, 4, 0, &source);
    uint32_t* p = pixels(source);
    for (int i = 0; i < 16; ++i)
        p[i] = static_cast<uint32_t>(i + 1);
    EXPECT_TRUE(BitBlt(to, c.dx, c.dy, c.w, c.h, from, c.sx, c.sy, SRCCOPY));
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 6; ++x) {
            int i = x - c.dx, j = y - c.dy;
            int sx = c.sx + i, sy = c.sy + j;
            bool copied = i >= 0 && i < c.w && j >= 0 && j < c.h && sx >= 0 && sx < 4 && sy >= 0 && sy < 4;
            uint32_t expected = copied ? static_cast<uint32_t>(sy * 4 + sx + 1) : 0x00FFFFFFu;
            EXPECT_EQ(at(target, x, y), expected) << c.name << " at " << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Gdi, Clipping,
    ::testing::Values(ClipCase{"target left", -2, 1, 4, 4, 0, 0}, ClipCase{"target top", 1, -3, 4, 4, 0, 0},
                      ClipCase{"target right", 4, 0, 4, 4, 0, 0}, ClipCase{"target bottom", 0, 3, 4, 4, 0, 0},
                      ClipCase{"source left", 0, 0, 4, 4, -1, 0}, ClipCase{"source top", 0, 0, 4, 4, 0, -2},
                      ClipCase{"source right", 0, 0, 4, 4, 2, 0}, ClipCase{"source bottom", 0, 0, 4, 4, 0, 3},
                      ClipCase{"all sides", -1, -1, 9, 9, -1, -1}, ClipCase{"outside", 6, 0, 4, 4, 0, 0},
                      ClipCase{"far outside", -2000000000, 0, 4, 4, 0, 0},
                      ClipCase{"huge size", 0, 0, 2147483647, 2147483647, 0, 0},
                      ClipCase{"zero width", 0, 0, 0, 4, 0, 0},
                      ClipCase{"negative height", 0, 0, 4, -4, 0, 0}),
    [](const ::testing::TestParamInfo<ClipCase>& param) {
        std::string n = param.param.name;
        for (char& ch : n) {
            if (ch == ' ') ch = '_';
        }
        return n;
    });

TEST_F(Gdi, OverlappingCopyWithinOneBitmapReadsTheOriginal) {
    HBITMAP bitmap;
    HDC dc = colourContext(8, 8, 0, &bitmap);
    uint32_t* p = pixels(bitmap);
    for (int i = 0; i < 64; ++i)
        p[i] = static_cast<uint32_t>(i);
    BitBlt(dc, 2, 1, 6, 6, dc, 0, 0, SRCCOPY);
    for (int y = 1; y < 7; ++y) {
        for (int x = 2; x < 8; ++x)
            EXPECT_EQ(at(bitmap, x, y), static_cast<uint32_t>((y - 1) * 8 + (x - 2)));
    }
    for (int i = 0; i < 64; ++i)
        p[i] = static_cast<uint32_t>(i);
    BitBlt(dc, 0, 0, 6, 6, dc, 2, 1, SRCCOPY);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(at(bitmap, x, y), static_cast<uint32_t>((y + 1) * 8 + (x + 2)));
    }
}

TEST_F(Gdi, MaskThenImageGivesTransparency) {
    HBITMAP target, image;
    HDC to = colourContext(4, 1, 0x00336699, &target);
    HDC imageDc = colourContext(4, 1, 0, &image);
    // The mask is monochrome: white (all ones) where the background shows, black where the image covers.
    HDC maskDc = CreateCompatibleDC(nullptr);
    HBITMAP mask = CreateCompatibleBitmap(maskDc, 4, 1);
    SelectObject(maskDc, mask);
    uint32_t* m = pixels(mask);
    uint32_t* im = pixels(image);
    const uint32_t maskValues[4] = {0x00FFFFFF, 0, 0x00FFFFFF, 0};
    const uint32_t imageValues[4] = {0, 0x00C01020, 0, 0x00010203};
    for (int i = 0; i < 4; ++i) {
        m[i] = maskValues[i];
        im[i] = imageValues[i];
    }
    BitBlt(to, 0, 0, 4, 1, maskDc, 0, 0, SRCAND);
    BitBlt(to, 0, 0, 4, 1, imageDc, 0, 0, SRCPAINT);
    EXPECT_EQ(at(target, 0, 0), 0x00336699u);
    EXPECT_EQ(at(target, 1, 0), 0x00C01020u);
    EXPECT_EQ(at(target, 2, 0), 0x00336699u);
    EXPECT_EQ(at(target, 3, 0), 0x00010203u);
}

TEST_F(Gdi, ColourOntoMonochromeKeepsOnlyWhite) {
    HBITMAP source;
    HDC from = colourContext(2, 1, 0, &source);
    pixels(source)[0] = 0x00FFFFFF;
    pixels(source)[1] = 0x00FEFFFF;
    HDC monoDc = CreateCompatibleDC(nullptr);
    HBITMAP mono = CreateCompatibleBitmap(monoDc, 2, 1);
    SelectObject(monoDc, mono);
    BitBlt(monoDc, 0, 0, 2, 1, from, 0, 0, SRCCOPY);
    EXPECT_EQ(at(mono, 0, 0), 0x00FFFFFFu);
    EXPECT_EQ(at(mono, 1, 0), 0u);
}

TEST_F(Gdi, RectangleFillsInsideAndOutlinesInBlack) {
    HBITMAP target;
    HDC dc = colourContext(8, 7, 0x00ABCDEF, &target);
    HBRUSH brush = CreateSolidBrush(RGB(0x11, 0x22, 0x33));
    HGDIOBJ old = SelectObject(dc, brush);
    EXPECT_TRUE(Rectangle(dc, 1, 2, 6, 6));
    for (int y = 0; y < 7; ++y) {
        for (int x = 0; x < 8; ++x) {
            uint32_t expected = 0x00ABCDEF;
            bool inRect = x >= 1 && x < 6 && y >= 2 && y < 6;
            bool edge = x == 1 || x == 5 || y == 2 || y == 5;
            if (inRect) expected = edge ? 0u : 0x00112233u;  // COLORREF is blue-green-red
            EXPECT_EQ(at(target, x, y), expected) << x << "," << y;
        }
    }
    EXPECT_EQ(DeleteObject(brush), FALSE) << "a selected brush stays";
    SelectObject(dc, old);
    EXPECT_EQ(DeleteObject(brush), TRUE);
}

TEST_F(Gdi, RectangleCoversTheWholeBitmapAndClips) {
    HBITMAP target;
    HDC dc = colourContext(5, 4, 0x00FFFFFF, &target);
    HBRUSH brush = CreateSolidBrush(RGB(7, 0, 0));
    SelectObject(dc, brush);
    Rectangle(dc, 0, 0, 5, 4);
    EXPECT_EQ(at(target, 0, 0), 0u);
    EXPECT_EQ(at(target, 4, 3), 0u);
    EXPECT_EQ(at(target, 2, 2), 0x00070000u);
    Rectangle(dc, -100, -100, 100, 100);  // only the inside reaches the bitmap
    EXPECT_EQ(at(target, 0, 0), 0x00070000u);
    // The stock null brush leaves the inside alone.
    fill(target, 0x00FFFFFF);
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, 0, 0, 5, 4);
    EXPECT_EQ(at(target, 2, 2), 0x00FFFFFFu);
    EXPECT_EQ(at(target, 0, 2), 0u);
    EXPECT_TRUE(Rectangle(dc, 3, 3, 3, 9)) << "an empty rectangle draws nothing";
}

TEST_F(Gdi, TheDefaultBrushIsWhite) {
    HBITMAP target;
    HDC dc = colourContext(4, 4, 0, &target);
    Rectangle(dc, 0, 0, 4, 4);
    EXPECT_EQ(at(target, 1, 1), 0x00FFFFFFu);
}

}  // namespace
