// The catalogue as a whole and its non-picture resources: the sounds, the icon, the strings, the
// Options menu and its menu bar record, the About box, the accelerators, and the files the build
// leaves beside the catalogue.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "platform/aygshell.h"
#include "tests/res/resource_reader.h"

namespace {

using restest::GameResources;
using restest::u16;
using restest::u32;

class Catalogue : public GameResources {};

TEST_F(Catalogue, HoldsEachResourceOnceInEnglishUnitedStates) {
    std::set<std::tuple<uint16_t, std::u16string, uint16_t>> seen;
    for (uint32_t i = 0; i < dorururaCatalogue.count; ++i) {
        const ResourceEntry& e = dorururaCatalogue.entries[i];
        EXPECT_EQ(e.language, 0x0409);
        EXPECT_NE(e.data, nullptr);
        EXPECT_GT(e.size, 0u);
        EXPECT_TRUE((e.type == 0) == (e.typeName != nullptr));
        std::u16string name = e.typeName ? std::u16string(e.typeName) : std::u16string();
        EXPECT_TRUE(seen.insert({e.type, name, e.id}).second) << "resource " << e.id << " twice";
    }
    // 25 bitmaps, 3 sounds, 3 icon images and their group, menu, menu bar, dialog, accelerators,
    // and the two string blocks holding strings 1, 3 and 104.
    EXPECT_EQ(dorururaCatalogue.count, 25u + 3 + 4 + 1 + 1 + 1 + 1 + 2);
}

// ---- Sounds ---------------------------------------------------------------------------------------

struct WaveDesc {
    uint16_t id;
    uint32_t rate, dataBytes, fileBytes;
};
const WaveDesc Waves[3] = {{104, 8000, 3300, 3344}, {105, 11025, 489, 533}, {106, 11025, 2183, 2228}};

TEST_F(Catalogue, SoundsAreMono8BitPcmWavesOfTheirRatesAndSizes) {
    for (const WaveDesc& expected : Waves) {
        SCOPED_TRACE("wave " + std::to_string(expected.id));
        std::vector<uint8_t> w = bytes(u"WAVE", expected.id);
        ASSERT_EQ(w.size(), expected.fileBytes);
        EXPECT_EQ(std::string(w.begin(), w.begin() + 4), "RIFF");
        EXPECT_EQ(u32(w, 4) + 8, expected.fileBytes);
        EXPECT_EQ(std::string(w.begin() + 8, w.begin() + 16), "WAVEfmt ");
        EXPECT_EQ(u32(w, 16), 16u);            // the 16-byte format chunk
        EXPECT_EQ(u16(w, 20), 1u);             // PCM
        EXPECT_EQ(u16(w, 22), 1u);             // mono
        EXPECT_EQ(u32(w, 24), expected.rate);  // samples per second
        EXPECT_EQ(u32(w, 28), expected.rate);  // bytes per second
        EXPECT_EQ(u16(w, 32), 1u);             // block align
        EXPECT_EQ(u16(w, 34), 8u);             // bits per sample
        EXPECT_EQ(std::string(w.begin() + 36, w.begin() + 40), "data");
        EXPECT_EQ(u32(w, 40), expected.dataBytes);
        // Audible: the samples swing well away from the silent 128.
        int peak = 0;
        for (uint32_t i = 0; i < expected.dataBytes; ++i)
            peak = std::max(peak, std::abs(w[44 + i] - 128));
        EXPECT_GT(peak, 60);
    }
}

TEST_F(Catalogue, ReelSoundLoopsWithoutAClickAndTheOthersEndInSilence) {
    std::vector<uint8_t> reel = bytes(u"WAVE", 104);
    ASSERT_EQ(reel.size(), 3344u);
    const uint8_t* s = reel.data() + 44;
    const int n = 3300;
    // The step from the last sample back to the first is no larger than the sound's usual steps.
    int wrap = std::abs(s[0] - s[n - 1]);
    long steps = 0;
    for (int i = 1; i < n; ++i)
        steps += std::abs(s[i] - s[i - 1]);
    double usual = static_cast<double>(steps) / (n - 1);
    EXPECT_LE(wrap, 3 * usual + 2) << "the loop clicks";
    for (uint16_t id : {uint16_t{105}, uint16_t{106}}) {
        std::vector<uint8_t> w = bytes(u"WAVE", id);
        uint32_t count = u32(w, 40);
        ASSERT_GE(w.size(), 44 + count);
        EXPECT_NEAR(w[44 + count - 1], 128, 3) << "wave " << id << " ends with a click";
        EXPECT_NEAR(w[44], 128, 12) << "wave " << id << " starts with a click";
    }
}

// ---- Icon --------------------------------------------------------------------------------------------

TEST_F(Catalogue, IconGroupNamesItsThreeImages) {
    std::vector<uint8_t> group = bytes(RT_GROUP_ICON, 101);
    ASSERT_EQ(group.size(), 6u + 3 * 14);
    EXPECT_EQ(u16(group, 0), 0u);
    EXPECT_EQ(u16(group, 2), 1u);
    EXPECT_EQ(u16(group, 4), 3u);
    const struct { int size, colours, bits; } images[3] = {{16, 16, 4}, {16, 0, 8}, {32, 0, 8}};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE("image " + std::to_string(i + 1));
        size_t e = 6 + 14 * static_cast<size_t>(i);
        EXPECT_EQ(group[e], images[i].size);
        EXPECT_EQ(group[e + 1], images[i].size);
        EXPECT_EQ(group[e + 2], images[i].colours);
        EXPECT_EQ(u16(group, e + 4), 1u);
        EXPECT_EQ(u16(group, e + 6), static_cast<uint32_t>(images[i].bits));
        uint16_t id = static_cast<uint16_t>(u16(group, e + 12));
        EXPECT_EQ(id, i + 1);
        std::vector<uint8_t> image = bytes(RT_ICON, id);
        EXPECT_EQ(image.size(), u32(group, e + 8));
        restest::DibHeader h = restest::dibHeader(image);
        EXPECT_EQ(h.headerSize, 40u);
        EXPECT_EQ(h.width, images[i].size);
        EXPECT_EQ(h.height, 2 * images[i].size);  // colours and mask
        EXPECT_EQ(h.bits, static_cast<uint32_t>(images[i].bits));
        size_t colourRow = ((static_cast<size_t>(h.width) * h.bits + 31) / 32) * 4;
        size_t maskRow = ((static_cast<size_t>(h.width) + 31) / 32) * 4;
        EXPECT_EQ(image.size(),
                  40 + 4 * (size_t{1} << h.bits) + (colourRow + maskRow) * static_cast<size_t>(h.width));
    }
    EXPECT_NE(LoadIconW(instance, MAKEINTRESOURCEW(101)), nullptr);
}

// ---- Strings ------------------------------------------------------------------------------------------

TEST_F(Catalogue, StringsNameTheWindowItsClassAndTheMenuButton) {
    const struct {
        UINT id;
        const char16_t* text;
    } strings[3] = {{1, u"dorurura"}, {3, u"DORURURA"}, {104, u"Options"}};
    for (const auto& s : strings) {
        WCHAR buffer[100] = {};
        int n = LoadStringW(instance, s.id, buffer, 100);
        EXPECT_EQ(std::u16string(buffer), std::u16string(s.text)) << "string " << s.id;
        EXPECT_EQ(n, static_cast<int>(std::u16string(s.text).size()));
    }
    WCHAR buffer[100] = {};
    EXPECT_EQ(LoadStringW(instance, 2, buffer, 100), 0) << "string 2 is not ours";
}

// ---- Menu and menu bar ---------------------------------------------------------------------------------

struct MenuItem {
    uint16_t flags;
    uint16_t id;
    std::u16string text;
};

// Reads one level of a menu template: popups give their own items in `children`.
std::vector<MenuItem> readMenu(const std::vector<uint8_t>& m, size_t& at,
                               std::vector<std::vector<MenuItem>>& children) {
    std::vector<MenuItem> items;
    for (;;) {
        if (at + 2 > m.size()) {
            ADD_FAILURE() << "menu runs past its end";
            return items;
        }
        MenuItem item{static_cast<uint16_t>(u16(m, at)), 0, u""};
        at += 2;
        if (!(item.flags & 0x10)) {
            item.id = static_cast<uint16_t>(u16(m, at));
            at += 2;
        }
        while (at + 2 <= m.size() && u16(m, at) != 0) {
            item.text += static_cast<char16_t>(u16(m, at));
            at += 2;
        }
        at += 2;
        items.push_back(item);
        if (item.flags & 0x10) children.push_back(readMenu(m, at, children));
        if (item.flags & 0x80) return items;
    }
}

TEST_F(Catalogue, OptionsMenuHasItsItemsInOrderWithTheStartingCheckMarks) {
    std::vector<uint8_t> m = bytes(RT_MENU, 102);
    ASSERT_GE(m.size(), 8u);
    EXPECT_EQ(u16(m, 0), 0u);  // version
    EXPECT_EQ(u16(m, 2), 0u);  // header size
    size_t at = 4;
    std::vector<std::vector<MenuItem>> popups;
    std::vector<MenuItem> bar = readMenu(m, at, popups);
    EXPECT_EQ(at, m.size());
    ASSERT_EQ(bar.size(), 1u);
    EXPECT_EQ(bar[0].text, u"Options");
    EXPECT_EQ(bar[0].flags, 0x10 | 0x80);  // the first and only popup
    ASSERT_EQ(popups.size(), 1u);
    const std::vector<MenuItem>& items = popups[0];
    const struct {
        const char16_t* text;
        uint16_t id;
        bool checked;
    } expected[13] = {
        {u"Please lend me $20", 40012, false},
        {nullptr, 0, false},
        {u"Reriv Eduvud", 40011, true},
        {u"Dodore du Zevud", 40010, false},
        {u"Dudavid Udidizo", 40009, false},
        {u"Rorav'i Rariv", 40008, false},
        {nullptr, 0, false},
        {u"Sound On", 40007, true},
        {u"Sound Off", 40006, false},
        {nullptr, 0, false},
        {u"About Dorurura", 40003, false},
        {nullptr, 0, false},
        {u"Exit", 40005, false},
    };
    ASSERT_EQ(items.size(), 13u);
    for (size_t i = 0; i < items.size(); ++i) {
        SCOPED_TRACE("item " + std::to_string(i + 1));
        const MenuItem& item = items[i];
        bool last = i + 1 == items.size();
        EXPECT_EQ((item.flags & 0x80) != 0, last);
        if (!expected[i].text) {  // a separator: no text, no id
            EXPECT_TRUE(item.flags & 0x800);
            EXPECT_EQ(item.id, 0);
            EXPECT_TRUE(item.text.empty());
            continue;
        }
        EXPECT_EQ(item.text, std::u16string(expected[i].text));
        EXPECT_EQ(item.id, expected[i].id);
        EXPECT_EQ((item.flags & 0x08) != 0, expected[i].checked);
        EXPECT_EQ(item.flags & ~0x88u, 0u);  // nothing greyed or broken
    }
}

TEST_F(Catalogue, MenuBarRecordIsOneTextButtonOpeningTheOptionsMenu) {
    std::vector<uint8_t> r = bytes(RT_RCDATA, 102);
    const uint16_t expected[9] = {102, 1, 65534, 40004, 4, 0x18, 104, 0, 0};
    ASSERT_EQ(r.size(), sizeof expected);
    for (size_t i = 0; i < 9; ++i)
        EXPECT_EQ(u16(r, 2 * i), expected[i]) << "value " << i;
}

TEST_F(Catalogue, TheShellBuildsTheMenuBarFromTheRecord) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = instance;
    wc.lpszClassName = u"RESTEST";
    ASSERT_NE(RegisterClassW(&wc), 0);
    HWND window = CreateWindowExW(0, u"RESTEST", u"restest", WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    ASSERT_NE(window, nullptr);
    SHMENUBARINFO info{};
    info.cbSize = 32;
    info.hwndParent = window;
    info.nToolBarId = 102;
    info.hInstRes = instance;
    ASSERT_TRUE(SHCreateMenuBar(&info));
    ASSERT_NE(info.hwndMB, nullptr);
    auto options = reinterpret_cast<HMENU>(SendMessageW(info.hwndMB, SHCMBM_GETSUBMENU, 0, 40004));
    ASSERT_NE(options, nullptr);
    // The marks the menu starts with: machine 0 and sound on.
    EXPECT_EQ(CheckMenuItem(options, 40011, MF_BYCOMMAND | MF_UNCHECKED), static_cast<DWORD>(MF_CHECKED));
    EXPECT_EQ(CheckMenuItem(options, 40007, MF_BYCOMMAND | MF_UNCHECKED), static_cast<DWORD>(MF_CHECKED));
    EXPECT_EQ(CheckMenuItem(options, 40010, MF_BYCOMMAND | MF_UNCHECKED), static_cast<DWORD>(MF_UNCHECKED));
    DestroyWindow(window);
}

// ---- About box -------------------------------------------------------------------------------------------

TEST_F(Catalogue, AboutBoxTemplateHasItsStylesFontTitleAndNineControls) {
    std::vector<uint8_t> d = bytes(RT_DIALOG, 103);
    ASSERT_GE(d.size(), 18u);
    EXPECT_EQ(u32(d, 0), WS_POPUP | WS_CAPTION | DS_SETFONT);
    EXPECT_EQ(u32(d, 4), WS_EX_CAPTIONOKBTN);
    EXPECT_EQ(u16(d, 8), 9u);
    EXPECT_EQ(u16(d, 10), 0u);
    EXPECT_EQ(u16(d, 12), 0u);
    EXPECT_EQ(u16(d, 14), 137u);
    EXPECT_EQ(u16(d, 16), 142u);
    size_t at = 18;
    auto text = [&]() {
        std::u16string s;
        while (at + 2 <= d.size() && u16(d, at) != 0) {
            s += static_cast<char16_t>(u16(d, at));
            at += 2;
        }
        at += 2;
        return s;
    };
    EXPECT_EQ(u16(d, at), 0u);  // no menu
    at += 2;
    EXPECT_EQ(u16(d, at), 0u);  // the standard class
    at += 2;
    EXPECT_EQ(text(), u"About Dorurura");
    EXPECT_EQ(u16(d, at), 8u);  // points
    at += 2;
    EXPECT_EQ(text(), u"System");

    const uint32_t child = WS_CHILD | WS_VISIBLE;
    const uint32_t line = child | WS_GROUP | SS_CENTER;
    const struct {
        int x, y, w, h;
        uint32_t style;
    } controls[9] = {
        {11, 17, 20, 20, child | SS_ICON},
        {45, 15, 77, 8, line | SS_NOPREFIX},
        {48, 28, 69, 8, line},
        {6, 49, 124, 10, line},
        {6, 61, 124, 8, line},
        {6, 73, 124, 9, line},
        {6, 86, 124, 10, line},
        {6, 99, 124, 10, line},
        {6, 111, 124, 9, line},
    };
    std::set<std::u16string> credits;
    for (int i = 0; i < 9; ++i) {
        SCOPED_TRACE("control " + std::to_string(i + 1));
        at = (at + 3) & ~size_t{3};  // each control starts on a 4-byte boundary
        ASSERT_LE(at + 22, d.size());
        EXPECT_EQ(u32(d, at), controls[i].style);
        EXPECT_EQ(u32(d, at + 4), 0u);
        EXPECT_EQ(u16(d, at + 8), static_cast<uint32_t>(controls[i].x));
        EXPECT_EQ(u16(d, at + 10), static_cast<uint32_t>(controls[i].y));
        EXPECT_EQ(u16(d, at + 12), static_cast<uint32_t>(controls[i].w));
        EXPECT_EQ(u16(d, at + 14), static_cast<uint32_t>(controls[i].h));
        EXPECT_EQ(u16(d, at + 16), 0xFFFFu);  // id -1
        EXPECT_EQ(u16(d, at + 18), 0xFFFFu);  // a class by number:
        EXPECT_EQ(u16(d, at + 20), 0x0082u);  // static
        at += 22;
        std::u16string title;
        if (i == 0) {
            EXPECT_EQ(u16(d, at), 0xFFFFu);  // the icon by number
            EXPECT_EQ(u16(d, at + 2), 101u);
            at += 4;
        } else {
            title = text();
        }
        if (i == 1) {
            EXPECT_EQ(title, u"About Dorurura");
        } else if (i == 2) {
            EXPECT_EQ(title, u"Dorurura");
        }
        if (i >= 3) {
            EXPECT_FALSE(title.empty());
            EXPECT_LE(title.size(), 34u) << "a credit line too long for its 124 units";
            credits.insert(title);
        }
        EXPECT_EQ(u16(d, at), 0u);  // no creation data
        at += 2;
    }
    EXPECT_EQ(credits.size(), 6u);
    EXPECT_EQ(at, d.size());
}

// ---- Accelerators -----------------------------------------------------------------------------------------

TEST_F(Catalogue, AcceleratorsAreControlAForAboutAndControlQToClose) {
    std::vector<uint8_t> a = bytes(RT_ACCELERATOR, 3);
    ASSERT_EQ(a.size(), 16u);
    const uint16_t expected[8] = {0x0B, 'A', 40003, 0, 0x8B, 'Q', 1, 0};  // virtual key, no invert, control
    for (size_t i = 0; i < 8; ++i)
        EXPECT_EQ(u16(a, 2 * i), expected[i]) << "word " << i;
    EXPECT_NE(LoadAcceleratorsW(instance, MAKEINTRESOURCEW(3)), nullptr);
}

// ---- Files beside the catalogue -------------------------------------------------------------------------

std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST_F(Catalogue, BuildLeavesEveryPictureAndSoundAsAFileByIdByteForByte) {
    int files = 0;
    for (uint32_t i = 0; i < dorururaCatalogue.count; ++i) {
        const ResourceEntry& e = dorururaCatalogue.entries[i];
        std::vector<uint8_t> data(e.data, e.data + e.size);
        if (e.type == 2) {
            std::vector<uint8_t> f =
                readFile(std::string(DORURURA_RES_DIR) + "/bitmap-" + std::to_string(e.id) + ".bmp");
            ASSERT_EQ(f.size(), 14 + data.size()) << "bitmap " << e.id;
            EXPECT_EQ(f[0], 'B');
            EXPECT_EQ(f[1], 'M');
            EXPECT_EQ(u32(f, 2), f.size());
            restest::DibHeader h = restest::dibHeader(data);
            EXPECT_EQ(u32(f, 10), 14 + 40 + 4 * h.tableEntries);
            EXPECT_TRUE(std::equal(data.begin(), data.end(), f.begin() + 14)) << "bitmap " << e.id;
            ++files;
        } else if (e.typeName && std::u16string(e.typeName) == u"WAVE") {
            std::vector<uint8_t> f =
                readFile(std::string(DORURURA_RES_DIR) + "/wave-" + std::to_string(e.id) + ".wav");
            EXPECT_EQ(f, data) << "wave " << e.id;
            ++files;
        }
    }
    EXPECT_EQ(files, 28);
    std::vector<uint8_t> sheet = readFile(std::string(DORURURA_RES_DIR) + "/contact-sheet.png");
    ASSERT_GT(sheet.size(), 8u);
    EXPECT_EQ(std::string(sheet.begin() + 1, sheet.begin() + 4), "PNG");
}

}  // namespace
