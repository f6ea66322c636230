// The compiled catalogue against the code that uses it: every resource the code names is there with
// its type, and the generated pictures have the geometry the game draws with.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "gfx/glyphs.h"
#include "gfx/surface.h"
#include "platform/aygshell.h"
#include "platform/catalogue.h"
#include "platform/host.h"
#include "res/resource.h"
#include "rules/machines.h"
#include "shell/sound.h"
#include "tools/rescomp/contact_sheet.h"

namespace {

// A bitmap of the catalogue decoded to 0xAARRGGBB pixels, top row first; empty when missing.
struct Picture {
    int width = 0, height = 0;
    std::vector<uint32_t> px;
    uint32_t at(int x, int y) const { return px[static_cast<size_t>(y * width + x)]; }
};

Picture picture(uint32_t id) {
    Picture p;
    for (uint32_t i = 0; i < dorururaCatalogue.count; ++i) {
        const ResourceEntry& e = dorururaCatalogue.entries[i];
        if (e.type != rescomp::RtBitmap || e.id != id) continue;
        EXPECT_TRUE(rescomp::decodeDib({e.data, e.data + e.size}, false, p.width, p.height, p.px)) << id;
    }
    EXPECT_FALSE(p.px.empty()) << "no bitmap " << id;
    return p;
}

TEST(Catalogue, HoldsEveryResourceTheCodeNames) {
    platformReset();
    const HINSTANCE instance = instanceFromCatalogue(&dorururaCatalogue);
    const auto has = [&](LPCWSTR type, uint32_t id) {
        return FindResourceW(instance, MAKEINTRESOURCEW(id), type) != nullptr;
    };
    std::vector<uint32_t> bitmaps = {IDB_SPLASH};
    for (const MachineDef& d : machineDefs) {
        bitmaps.insert(bitmaps.end(), {d.backgroundBitmap, d.stripBitmap});
        if (d.payTablePicture != 0) bitmaps.push_back(d.payTablePicture);
    }
    for (const GlyphSheetDef& sheet : glyphSheetDefs)
        bitmaps.push_back(sheet.bitmapId);
    for (const MaskPair* pair = MaskTable; pair->bitmapId != 0xFFFFFFFFu; ++pair)
        bitmaps.insert(bitmaps.end(), {pair->bitmapId, pair->maskId});
    for (uint32_t id : bitmaps)
        EXPECT_TRUE(has(RT_BITMAP, id)) << "bitmap " << id;
    for (uint32_t id : soundTable)
        EXPECT_TRUE(has(u"WAVE", id)) << "wave " << id;
    EXPECT_TRUE(has(RT_DIALOG, IDD_ABOUT));
    EXPECT_NE(LoadIconW(instance, MAKEINTRESOURCEW(IDI_DORURURA)), nullptr);
    EXPECT_NE(LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCELERATORS)), nullptr);
    for (UINT id : {IDS_TITLE, IDS_CLASS, IDS_OPTIONS}) {
        WCHAR text[64] = {};
        EXPECT_GT(LoadStringW(instance, id, text, 64), 0) << "string " << id;
    }

    // The menu bar as the shell builds it, from its record and its menu: the Options button's menu
    // holds every command the shell handles.
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = u"CATALOGUETEST";
    ASSERT_NE(RegisterClassW(&windowClass), 0);
    SHMENUBARINFO info{};
    info.cbSize = 32;
    info.hwndParent = CreateWindowExW(0, u"CATALOGUETEST", u"", WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                                      CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    info.nToolBarId = IDR_MENUBAR;
    info.hInstRes = instance;
    ASSERT_TRUE(SHCreateMenuBar(&info));
    const auto options =
        reinterpret_cast<HMENU>(SendMessageW(info.hwndMB, SHCMBM_GETSUBMENU, 0, IDM_OPTIONS));
    ASSERT_NE(options, nullptr);
    std::vector<UINT> commands = {IDM_LEND, IDM_SOUND_ON, IDM_SOUND_OFF, IDM_ABOUT, IDM_EXIT};
    for (int m = 0; m < MachineCount; ++m)
        commands.push_back(static_cast<UINT>(IDM_RERIV - m));
    for (UINT command : commands)
        EXPECT_NE(CheckMenuItem(options, command, MF_BYCOMMAND), static_cast<DWORD>(-1)) << command;
    platformReset();
}

TEST(Catalogue, PicturesHaveTheGeometryTheGameDrawsWith) {
    for (const MachineDef& d : machineDefs) {
        SCOPED_TRACE("machine face " + std::to_string(d.backgroundBitmap));
        const Picture face = picture(d.backgroundBitmap);
        EXPECT_EQ(face.width, 240);
        EXPECT_EQ(face.height, 240);
        // A strip holds the cycle of stops and repeats its first window below it, so a reel
        // crossing the end of the cycle shows no seam.
        const Picture strip = picture(d.stripBitmap);
        const int h = d.reelRects[0].h, w = d.reelRects[0].w, cycle = h * d.stripLength / 4;
        ASSERT_GE(strip.width, w);
        ASSERT_EQ(strip.height, cycle + h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                ASSERT_EQ(strip.at(x, cycle + y), strip.at(x, y)) << "row " << y << " column " << x;
        // A window resting on a symbol stop shows the symbol in its middle row, one on a blank stop
        // shows the reel's paper there (the colour of the strip's top row, a band edge).
        for (int stop = 0; stop < d.stripLength; ++stop) {
            const int middle = stop * h / 4 + h / 2;
            bool paper = true;
            for (int x = 0; x < w; ++x)
                paper = paper && strip.at(x, middle) == strip.at(x, 0);
            EXPECT_EQ(paper, reelStrips[0][stop] == ' ') << "stop " << stop;
        }
    }
    // Every glyph sheet holds its grid of cells, and a mask covers its picture.
    for (const GlyphSheetDef& sheet : glyphSheetDefs) {
        int rows = 1, columns = 0, column = 0;
        for (const char* c = sheet.layout; *c != '\0'; ++c) {
            column = *c == '\n' ? 0 : column + 1;
            rows += *c == '\n';
            columns = std::max(columns, column);
        }
        const Picture p = picture(sheet.bitmapId);
        EXPECT_GE(p.width, columns * sheet.cell.w) << "sheet " << sheet.bitmapId;
        EXPECT_GE(p.height, rows * sheet.cell.h) << "sheet " << sheet.bitmapId;
    }
    for (const MaskPair* pair = MaskTable; pair->bitmapId != 0xFFFFFFFFu; ++pair) {
        const Picture image = picture(pair->bitmapId), mask = picture(pair->maskId);
        EXPECT_EQ(mask.width, image.width);
        EXPECT_EQ(mask.height, image.height);
    }
}

}  // namespace
