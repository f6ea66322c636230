// Resources by number: bitmaps decoded at 1, 4 and 8 bits (and 24), strings, icons, accelerators,
// dialog templates through FindResourceW and LoadResource.
#include <gtest/gtest.h>

#include "platform/host.h"
#include "platform/windows.h"
#include "tests/platform/test_resources.h"

namespace {

using testres::Dib;

std::vector<uint32_t> bitmapPixels(HBITMAP bitmap, int* width, int* height) {
    const uint32_t* p = nullptr;
    EXPECT_EQ(platformBitmapPixels(bitmap, &p, width, height), 1);
    return std::vector<uint32_t>(p, p + (*width) * (*height));
}

class Resources : public ::testing::Test {
protected:
    void SetUp() override { platformReset(); }
    testres::Catalogue catalogue;
};

TEST_F(Resources, EightBitBitmapKeepsEveryPaletteColour) {
    Dib dib{5, 3, 8, {}, {}};
    for (int i = 0; i < 256; ++i)
        dib.palette.push_back(static_cast<uint32_t>(i * 0x010203 + 0x040000) & 0xFFFFFF);
    for (int i = 0; i < 15; ++i)
        dib.pixels.push_back(static_cast<uint32_t>(i * 17));
    catalogue.add(2, 120, testres::makeDib(dib));
    HINSTANCE instance = instanceFromCatalogue(catalogue.get());
    HBITMAP bitmap = LoadBitmapW(instance, MAKEINTRESOURCEW(120));
    ASSERT_NE(bitmap, nullptr);
    int w = 0, h = 0;
    std::vector<uint32_t> p = bitmapPixels(bitmap, &w, &h);
    ASSERT_EQ(w, 5);
    ASSERT_EQ(h, 3);
    for (int i = 0; i < 15; ++i)
        EXPECT_EQ(p[i], dib.palette[dib.pixels[i]]) << i;
    BITMAP info{};
    GetObjectW(bitmap, sizeof info, &info);
    EXPECT_EQ(info.bmWidth, 5);
    EXPECT_EQ(info.bmHeight, 3);
}

TEST_F(Resources, FourBitBitmapWithOddWidthAndShortColourTable) {
    // 16 colours in a 7-wide image: two pixels a byte, rows padded to four bytes; the table
    // holds 5 colours (biClrUsed 5).
    Dib dib{7, 4, 4, {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0x123456}, {}};
    for (int i = 0; i < 28; ++i)
        dib.pixels.push_back(static_cast<uint32_t>((i * 3) % 5));
    catalogue.add(2, 113, testres::makeDib(dib));
    HBITMAP bitmap = LoadBitmapW(instanceFromCatalogue(catalogue.get()), MAKEINTRESOURCEW(113));
    ASSERT_NE(bitmap, nullptr);
    int w = 0, h = 0;
    std::vector<uint32_t> p = bitmapPixels(bitmap, &w, &h);
    ASSERT_EQ(w * h, 28);
    for (int i = 0; i < 28; ++i)
        EXPECT_EQ(p[i], dib.palette[dib.pixels[i]]) << i;
}

TEST_F(Resources, OneBitBlackAndWhiteIsMonochromeWithWhiteAsOnes) {
    // Palette order reversed (index 0 white) to show the colours, not the bits, decide.
    Dib dib{10, 2, 1, {0xFFFFFF, 0x000000}, {0, 1, 1, 0, 0, 0, 1, 0, 1, 1, 1, 1, 0, 0, 1, 0, 0, 0, 0, 1}};
    catalogue.add(2, 114, testres::makeDib(dib));
    HBITMAP bitmap = LoadBitmapW(instanceFromCatalogue(catalogue.get()), MAKEINTRESOURCEW(114));
    ASSERT_NE(bitmap, nullptr);
    BITMAP info{};
    GetObjectW(bitmap, sizeof info, &info);
    EXPECT_EQ(info.bmBitsPixel, 1);
    int w = 0, h = 0;
    std::vector<uint32_t> p = bitmapPixels(bitmap, &w, &h);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(p[i], dib.pixels[i] == 0 ? 0x00FFFFFFu : 0u) << i;
    // A two-colour bitmap of other colours keeps them.
    Dib colours{2, 1, 1, {0x102030, 0xA0B0C0}, {1, 0}};
    catalogue.add(2, 115, testres::makeDib(colours));
    HBITMAP coloured = LoadBitmapW(instanceFromCatalogue(catalogue.get()), MAKEINTRESOURCEW(115));
    ASSERT_NE(coloured, nullptr);
    p = bitmapPixels(coloured, &w, &h);
    EXPECT_EQ(p[0], 0x00A0B0C0u);
    EXPECT_EQ(p[1], 0x00102030u);
}

TEST_F(Resources, RowsAreReadBottomUpOrTopDown) {
    Dib up{2, 3, 8, std::vector<uint32_t>(256, 0), {1, 2, 3, 4, 5, 6}};
    for (int i = 0; i < 256; ++i)
        up.palette[i] = static_cast<uint32_t>(i);
    Dib down = up;
    down.topDown = true;
    Dib truecolour{2, 2, 24, {}, {0x112233, 0x445566, 0x778899, 0xAABBCC}};
    Dib truecolourWithTable = truecolour;  // a table that a 24-bit bitmap carries but does not use
    truecolourWithTable.palette = {0xFF0000, 0x00FF00, 0x0000FF};
    catalogue.add(2, 1, testres::makeDib(up));
    catalogue.add(2, 2, testres::makeDib(down));
    catalogue.add(2, 3, testres::makeDib(truecolour));
    catalogue.add(2, 4, testres::makeDib(truecolourWithTable));
    HINSTANCE instance = instanceFromCatalogue(catalogue.get());
    for (int id : {1, 2}) {
        HBITMAP bitmap = LoadBitmapW(instance, MAKEINTRESOURCEW(id));
        ASSERT_NE(bitmap, nullptr);
        int w = 0, h = 0;
        std::vector<uint32_t> p = bitmapPixels(bitmap, &w, &h);
        EXPECT_EQ(p, (std::vector<uint32_t>{1, 2, 3, 4, 5, 6})) << id;
    }
    int w = 0, h = 0;
    EXPECT_EQ(bitmapPixels(LoadBitmapW(instance, MAKEINTRESOURCEW(3)), &w, &h), truecolour.pixels);
    EXPECT_EQ(bitmapPixels(LoadBitmapW(instance, MAKEINTRESOURCEW(4)), &w, &h), truecolour.pixels);
}

TEST_F(Resources, MalformedOrMissingBitmapsGiveNoHandle) {
    Dib dib{4, 4, 8, std::vector<uint32_t>(256, 0), std::vector<uint32_t>(16, 0)};
    testres::Bytes good = testres::makeDib(dib);
    testres::Bytes truncated(good.begin(), good.end() - 1);
    testres::Bytes compressed = good;
    compressed[16] = 1;  // BI_RLE8
    testres::Bytes badDepth = good;
    badDepth[14] = 16;
    testres::Bytes tooManyColours = good;
    tooManyColours[32] = 1;
    tooManyColours[33] = 1;  // 257 colours
    testres::Bytes tiny(good.begin(), good.begin() + 20);
    catalogue.add(2, 10, good);
    catalogue.add(2, 11, truncated);
    catalogue.add(2, 12, compressed);
    catalogue.add(2, 13, badDepth);
    catalogue.add(2, 14, tooManyColours);
    catalogue.add(2, 15, tiny);
    catalogue.add(10, 16, good);  // raw data, not a bitmap
    HINSTANCE instance = instanceFromCatalogue(catalogue.get());
    EXPECT_NE(LoadBitmapW(instance, MAKEINTRESOURCEW(10)), nullptr);
    for (int id : {11, 12, 13, 14, 15, 16, 17, 65535})
        EXPECT_EQ(LoadBitmapW(instance, MAKEINTRESOURCEW(id)), nullptr) << id;
    EXPECT_EQ(LoadBitmapW(nullptr, MAKEINTRESOURCEW(10)), nullptr);
    EXPECT_EQ(LoadBitmapW(instance, u"NAMED"), nullptr);
}

TEST_F(Resources, StringsAreCopiedByNumber) {
    catalogue.addString(1, u"dorurura");
    catalogue.addString(3, u"DORURURA");
    catalogue.addString(104, u"Options");
    HINSTANCE instance = instanceFromCatalogue(catalogue.get());
    WCHAR buffer[100];
    EXPECT_EQ(LoadStringW(instance, 3, buffer, 100), 8);
    EXPECT_EQ(std::u16string(buffer), u"DORURURA");
    EXPECT_EQ(LoadStringW(instance, 104, buffer, 100), 7);
    EXPECT_EQ(std::u16string(buffer), u"Options");
    EXPECT_EQ(LoadStringW(instance, 1, buffer, 5), 4) << "cut to the buffer, with its NUL";
    EXPECT_EQ(std::u16string(buffer), u"doru");
    buffer[0] = u'x';
    EXPECT_EQ(LoadStringW(instance, 2, buffer, 100), 0);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(LoadStringW(instance, 200, buffer, 100), 0);
    EXPECT_EQ(LoadStringW(nullptr, 1, buffer, 100), 0);
    // A zero-length buffer receives a read-only pointer to the string.
    const WCHAR* direct = nullptr;
    EXPECT_EQ(LoadStringW(instance, 1, reinterpret_cast<LPWSTR>(&direct), 0), 8);
    ASSERT_NE(direct, nullptr);
    EXPECT_EQ(std::u16string(direct, 8), u"dorurura");
}

TEST_F(Resources, InstancesKeepTheirOwnResources) {
    testres::Catalogue other;
    catalogue.addString(1, u"one");
    other.addString(1, u"two");
    HINSTANCE a = instanceFromCatalogue(catalogue.get());
    HINSTANCE b = instanceFromCatalogue(other.get());
    EXPECT_NE(a, b);
    EXPECT_EQ(a, instanceFromCatalogue(catalogue.get()));
    WCHAR buffer[8];
    LoadStringW(b, 1, buffer, 8);
    EXPECT_EQ(std::u16string(buffer), u"two");
    EXPECT_EQ(instanceFromCatalogue(nullptr), nullptr);
    HRSRC resource = FindResourceW(a, MAKEINTRESOURCEW(1), RT_STRING);
    ASSERT_NE(resource, nullptr);
    EXPECT_EQ(LoadResource(b, resource), nullptr) << "a resource handle belongs to its instance";
}

TEST_F(Resources, FindAndLoadGiveTheResourceBytes) {
    testres::DialogTemplate dialogTemplate;
    dialogTemplate.title = u"About";
    testres::Bytes dialog = testres::makeDialog(dialogTemplate);
    catalogue.add(5, 103, dialog);
    catalogue.addWave(104, testres::makeWave(8000, 100));
    HINSTANCE instance = instanceFromCatalogue(catalogue.get());
    HRSRC resource = FindResourceW(instance, MAKEINTRESOURCEW(103), RT_DIALOG);
    ASSERT_NE(resource, nullptr);
    const auto* data = static_cast<const uint8_t*>(LoadResource(instance, resource));
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(std::vector<uint8_t>(data, data + dialog.size()), dialog);
    EXPECT_EQ(FindResourceW(instance, MAKEINTRESOURCEW(103), RT_MENU), nullptr);
    EXPECT_EQ(FindResourceW(instance, MAKEINTRESOURCEW(104), RT_DIALOG), nullptr);
    EXPECT_NE(FindResourceW(instance, MAKEINTRESOURCEW(104), u"wave"), nullptr) << "type names ignore case";
    EXPECT_EQ(LoadResource(instance, nullptr), nullptr);
    EXPECT_EQ(LoadResource(instance, reinterpret_cast<HRSRC>(0x50)), nullptr);
}

TEST_F(Resources, AcceleratorTableLoads) {
    testres::Bytes table = {0x09, 0, 'A', 0, 0x43, 0x9C, 0, 0, 0x89, 0, 'Q', 0, 1, 0, 0, 0};
    catalogue.add(9, 3, table);
    catalogue.add(9, 4, testres::Bytes{1, 2, 3});
    HINSTANCE instance = instanceFromCatalogue(catalogue.get());
    EXPECT_NE(LoadAcceleratorsW(instance, MAKEINTRESOURCEW(3)), nullptr);
    EXPECT_EQ(LoadAcceleratorsW(instance, MAKEINTRESOURCEW(4)), nullptr);
    EXPECT_EQ(LoadAcceleratorsW(instance, MAKEINTRESOURCEW(5)), nullptr);
}

TEST_F(Resources, IconPrefersTheStandardSize) {
    catalogue.add(3, 1, testres::makeIconImage(16, 0x00FF0000, false));
    catalogue.add(3, 3, testres::makeIconImage(32, 0x0000FF00, true));
    catalogue.add(14, 101, testres::makeGroupIcon({{16, 1}, {32, 3}}));
    catalogue.add(14, 102, testres::makeGroupIcon({{32, 9}}));
    HINSTANCE instance = instanceFromCatalogue(catalogue.get());
    const HICON icon = LoadIconW(instance, MAKEINTRESOURCEW(101));
    EXPECT_NE(icon, nullptr);
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(LoadIconW(instance, MAKEINTRESOURCEW(101)), icon)
            << "a loaded icon is shared, never used up";
    }
    EXPECT_EQ(LoadIconW(instance, MAKEINTRESOURCEW(102)), nullptr) << "its image is missing";
    EXPECT_EQ(LoadIconW(instance, MAKEINTRESOURCEW(103)), nullptr);
}

}  // namespace
