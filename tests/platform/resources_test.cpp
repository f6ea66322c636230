// Resources by number, compiled from small resource scripts: bitmaps decoded at every depth,
// strings, icons, accelerators, and the bytes FindResourceW and LoadResource give.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/host.h"
#include "platform/probe.h"
#include "platform/windows.h"
#include "tests/platform/support.h"

namespace {

std::vector<uint32_t> bitmapPixels(HBITMAP bitmap) {
    const uint32_t* p = nullptr;
    int w = 0, h = 0;
    if (!platformBitmapPixels(bitmap, &p, &w, &h)) return {};
    return std::vector<uint32_t>(p, p + w * h);
}

// What an image shows: its palette's colours, or its own.
std::vector<uint32_t> colours(const support::Image& image) {
    std::vector<uint32_t> out;
    for (uint32_t v : image.pixels)
        out.push_back(image.bits <= 8 ? image.table[v] : v & 0xFFFFFF);
    return out;
}

class Resources : public ::testing::Test {
protected:
    void SetUp() override { platformReset(); }
};

TEST_F(Resources, BitmapsAreDecodedAtEveryDepthAndRowOrder) {
    std::vector<uint32_t> grey(256);
    for (uint32_t i = 0; i < 256; ++i)
        grey[i] = i * 0x010203 & 0xFFFFFF;
    std::vector<support::Image> images = {
        {10, 2, 1, {0xFFFFFF, 0x102030}, {0, 1, 1, 0, 0, 0, 1, 0, 1, 1, 1, 1, 0, 0, 1, 0, 0, 0, 0, 1}},
        {7, 3, 4, {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0x123456}, {}},  // a short table, odd width
        {5, 3, 8, grey, {}},
        {2, 2, 24, {}, {0x112233, 0x445566, 0x778899, 0xAABBCC}},
        {3, 1, 24, {0xFF0000, 0x00FF00}, {0x010203, 0x040506, 0x070809}},  // a table it does not use
        {2, 2, 32, {}, {0x112233, 0xFF445566, 0x778899, 0xAABBCC}},
    };
    for (int i = 0; i < 21; ++i)
        images[1].pixels.push_back(static_cast<uint32_t>(i * 3 % 5));
    for (int i = 0; i < 15; ++i)
        images[2].pixels.push_back(static_cast<uint32_t>(i * 17));
    support::Catalogue catalogue(
        "1 BITMAP \"1.bmp\"\n2 BITMAP \"4.bmp\"\n3 BITMAP \"8.bmp\"\n4 BITMAP \"24.bmp\"\n"
        "5 BITMAP \"table.bmp\"\n6 2 \"32.dib\"\n7 2 \"down.dib\"\n",
        {{"1.bmp", support::bmp(images[0])},
         {"4.bmp", support::bmp(images[1])},
         {"8.bmp", support::bmp(images[2])},
         {"24.bmp", support::bmp(images[3])},
         {"table.bmp", support::bmp(images[4])},
         {"32.dib", support::dib(images[5])},
         {"down.dib", support::dib(images[2], true)}});
    HINSTANCE instance = catalogue.instance();
    for (int id = 1; id <= 6; ++id) {
        EXPECT_EQ(bitmapPixels(LoadBitmapW(instance, MAKEINTRESOURCEW(id))), colours(images[id - 1]))
            << images[id - 1].bits << " bits";
    }
    EXPECT_EQ(bitmapPixels(LoadBitmapW(instance, MAKEINTRESOURCEW(7))), colours(images[2]))
        << "top row first";
    BITMAP info{};
    GetObjectW(LoadBitmapW(instance, MAKEINTRESOURCEW(2)), sizeof info, &info);
    EXPECT_EQ((std::vector<LONG>{info.bmWidth, info.bmHeight}), (std::vector<LONG>{7, 3}));
}

TEST_F(Resources, MalformedOrMissingBitmapsGiveNoHandle) {
    const std::string good = support::dib({4, 4, 8, std::vector<uint32_t>(256), std::vector<uint32_t>(16)});
    std::string compressed = good, badDepth = good, tooManyColours = good;
    compressed[16] = 1;  // BI_RLE8
    badDepth[14] = 16;
    tooManyColours[32] = 1;
    tooManyColours[33] = 1;  // 257 colours
    support::Catalogue catalogue(
        "10 2 \"good\"\n11 2 \"truncated\"\n12 2 \"compressed\"\n13 2 \"depth\"\n14 2 \"colours\"\n"
        "15 2 \"tiny\"\n16 RCDATA \"good\"\n",
        {{"good", good},
         {"truncated", good.substr(0, good.size() - 1)},
         {"compressed", compressed},
         {"depth", badDepth},
         {"colours", tooManyColours},
         {"tiny", good.substr(0, 20)}});
    HINSTANCE instance = catalogue.instance();
    EXPECT_NE(LoadBitmapW(instance, MAKEINTRESOURCEW(10)), nullptr);
    for (int id : {11, 12, 13, 14, 15, 16, 17})
        EXPECT_EQ(LoadBitmapW(instance, MAKEINTRESOURCEW(id)), nullptr) << id;
    EXPECT_EQ(LoadBitmapW(nullptr, MAKEINTRESOURCEW(10)), nullptr);
    EXPECT_EQ(LoadBitmapW(instance, u"NAMED"), nullptr);
}

TEST_F(Resources, StringsAreCopiedByNumberAndCutToTheBuffer) {
    support::Catalogue catalogue("STRINGTABLE BEGIN 1, \"dorurura\" 3, \"DORURURA\" 104, \"Options\" END\n");
    HINSTANCE instance = catalogue.instance();
    WCHAR buffer[100];
    EXPECT_EQ(LoadStringW(instance, 104, buffer, 100), 7);
    EXPECT_EQ(std::u16string(buffer), u"Options");
    EXPECT_EQ(LoadStringW(instance, 3, buffer, 100), 8);
    EXPECT_EQ(std::u16string(buffer), u"DORURURA");
    EXPECT_EQ(LoadStringW(instance, 1, buffer, 5), 4) << "cut, with its NUL";
    EXPECT_EQ(std::u16string(buffer), u"doru");
    for (UINT missing : {2u, 200u, 70000u}) {
        buffer[0] = u'x';
        EXPECT_EQ(LoadStringW(instance, missing, buffer, 100), 0);
        EXPECT_EQ(buffer[0], 0);
    }
    EXPECT_EQ(LoadStringW(nullptr, 1, buffer, 100), 0);
}

TEST_F(Resources, FindAndLoadGiveAResourcesBytesOnlyThroughItsOwnInstance) {
    support::Catalogue catalogue(
        "103 RCDATA BEGIN 1, 2, 3 END\n104 WAVE \"a.wav\"\n"
        "3 ACCELERATORS BEGIN \"A\", 40003, VIRTKEY, CONTROL\n \"Q\", 1, VIRTKEY, CONTROL END\n",
        {{"a.wav", support::wave(8000, 100)}});
    support::Catalogue other("1 RCDATA BEGIN 9 END\n");
    HINSTANCE instance = catalogue.instance();
    EXPECT_EQ(catalogue.instance(), instance) << "one instance a catalogue";
    HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(103), RT_RCDATA);
    ASSERT_NE(found, nullptr);
    const auto* data = static_cast<const uint8_t*>(LoadResource(instance, found));
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(std::vector<uint8_t>(data, data + 6), (std::vector<uint8_t>{1, 0, 2, 0, 3, 0}));
    EXPECT_EQ(LoadResource(other.instance(), found), nullptr) << "a handle belongs to its instance";
    EXPECT_NE(FindResourceW(instance, MAKEINTRESOURCEW(104), u"wave"), nullptr) << "type names ignore case";
    EXPECT_EQ(FindResourceW(instance, MAKEINTRESOURCEW(103), RT_MENU), nullptr);
    EXPECT_EQ(FindResourceW(instance, MAKEINTRESOURCEW(104), RT_DIALOG), nullptr);
    EXPECT_EQ(LoadResource(instance, reinterpret_cast<HRSRC>(0x50)), nullptr);
    EXPECT_NE(LoadAcceleratorsW(instance, MAKEINTRESOURCEW(3)), nullptr);
    EXPECT_EQ(LoadAcceleratorsW(instance, MAKEINTRESOURCEW(103)), nullptr);
    EXPECT_EQ(instanceFromCatalogue(nullptr), nullptr);
}

TEST_F(Resources, AnIconLoadsOnceAndIsShared) {
    support::Image small{16, 16, 8, {0, 0x0000FF}, std::vector<uint32_t>(256, 1)};
    support::Catalogue catalogue("101 ICON \"i.ico\"\n102 ICON \"i.ico\"\n",
                                 {{"i.ico", support::ico({small})}});
    HINSTANCE instance = catalogue.instance();
    const HICON icon = LoadIconW(instance, MAKEINTRESOURCEW(101));
    ASSERT_NE(icon, nullptr);
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(LoadIconW(instance, MAKEINTRESOURCEW(101)), icon)
            << "a loaded icon is shared, never used up";
    EXPECT_NE(LoadIconW(instance, MAKEINTRESOURCEW(102)), icon) << "without the standard size, the first";
    EXPECT_EQ(LoadIconW(instance, MAKEINTRESOURCEW(104)), nullptr);
}

}  // namespace
