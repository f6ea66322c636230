// The whole platform at once, as the program will use it: a window with a menu bar from a
// catalogue, drawing with every raster operation into its context through offscreen bitmaps,
// the menu and a dialog worked by taps, and the display read back exactly.
#include <gtest/gtest.h>
#include <png.h>

#include <cstring>
#include <vector>

#include "platform/aygshell.h"
#include "platform/headless.h"
#include "platform/host.h"
#include "platform/windows.h"
#include "tests/platform/test_resources.h"

namespace {

HINSTANCE instance = nullptr;
HWND menuBar = nullptr;
std::vector<WORD> commands;

INT_PTR CALLBACK aboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        SHINITDLGINFO info{SHIDIM_FLAGS, dialog,
                           SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN};
        SHInitDialog(&info);
        return TRUE;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
        EndDialog(dialog, 1);
        return TRUE;
    }
    return FALSE;
}

LRESULT CALLBACK mainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: {
            SHMENUBARINFO info{};
            info.cbSize = 32;
            info.hwndParent = window;
            info.nToolBarId = 102;
            info.hInstRes = instance;
            menuBar = SHCreateMenuBar(&info) ? info.hwndMB : nullptr;
            return 0;
        }
        case WM_DESTROY:
            DestroyWindow(menuBar);
            PostQuitMessage(0);
            return 0;
        case WM_COMMAND:
            commands.push_back(LOWORD(wParam));
            if (LOWORD(wParam) == 40003) {
                auto* dialogTemplate = static_cast<LPCDLGTEMPLATEW>(
                    LoadResource(instance, FindResourceW(instance, MAKEINTRESOURCEW(103), RT_DIALOG)));
                DialogBoxIndirectParamW(instance, dialogTemplate, window, aboutProc, 0);
            }
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

constexpr uint32_t Palette[4] = {0x000000, 0xE03020, 0x20A040, 0x3050F0};

// The sprite: 12 x 10 at 8 bits, stripes of palette colours 1 to 3, black where its mask is white.
uint32_t spriteIndex(int x, int y) {
    bool hole = (x - 6) * (x - 6) + (y - 5) * (y - 5) > 20;
    return hole ? 0u : static_cast<uint32_t>(1 + (x + y) % 3);
}

void buildCatalogue(testres::Catalogue& c) {
    c.addString(104, u"Options");
    std::vector<testres::MenuItemDesc> items = {{u"First", 40011, MF_CHECKED, {}},
                                                {u"", 0, 0, {}},
                                                {u"About", 40003, 0, {}},
                                                {u"Exit", 40005, 0, {}}};
    c.add(4, 102, testres::makeMenu({{u"Options", 0, 0, items}}));
    c.add(10, 102, testres::makeMenuBarRecord(102, {{40004, 104, 0}}));
    testres::DialogTemplate about;
    about.style = WS_POPUP | WS_CAPTION | DS_SETFONT;
    about.exStyle = WS_EX_CAPTIONOKBTN;
    about.cx = 137;
    about.cy = 142;
    about.title = u"About";
    about.items = {{WS_CHILD | WS_VISIBLE | SS_CENTER, 6, 49, 124, 10, 0xFFFF, 0x0082, u"Dorurura", 0}};
    c.add(5, 103, testres::makeDialog(about));
    testres::Dib sprite{12, 10, 8, std::vector<uint32_t>(256, 0), {}};
    for (int i = 0; i < 4; ++i)
        sprite.palette[i] = Palette[i];
    testres::Dib mask{12, 10, 1, {0x000000, 0xFFFFFF}, {}};
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 12; ++x) {
            sprite.pixels.push_back(spriteIndex(x, y));
            mask.pixels.push_back(spriteIndex(x, y) == 0 ? 1u : 0u);
        }
    }
    c.add(2, 113, testres::makeDib(sprite));
    c.add(2, 114, testres::makeDib(mask));
}

struct Step {
    std::vector<uint32_t> menuOpen, dialogOpen;
    int stage = 0;
};

void script(const PassInfo& pass, void* user) {
    auto* s = static_cast<Step*>(user);
    RECT r{};
    switch (s->stage) {
        case 0:  // tap Options
            platformMenuBarButtonRect(0, &r);
            headlessTap(r.left + 4, r.top + 4);
            s->stage = 1;
            break;
        case 1:  // the menu is open: keep its picture, tap About
            if (pass.kind != PassKind::Menu || !platformMenuOpen()) break;
            s->menuOpen.assign(platformDisplay(), platformDisplay() + 240 * 320);
            platformMenuItemRect(40003, &r);
            headlessTap(r.left + 4, r.top + 4);
            s->stage = 2;
            break;
        case 2:  // the dialog is open: keep its picture, tap Done
            if (pass.kind != PassKind::Dialog) break;
            s->dialogOpen.assign(platformDisplay(), platformDisplay() + 240 * 320);
            platformDoneButtonRect(&r);
            headlessTap(r.left + 4, r.top + 4);
            s->stage = 3;
            break;
        default:
            break;
    }
}

std::vector<uint32_t> readPng(const char* path, int* width, int* height) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    std::vector<uint32_t> out;
    if (!png_image_begin_read_from_file(&image, path)) return out;
    image.format = PNG_FORMAT_BGRA;
    std::vector<uint8_t> bytes(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, bytes.data(), 0, nullptr)) return out;
    *width = static_cast<int>(image.width);
    *height = static_cast<int>(image.height);
    for (size_t i = 0; i + 3 < bytes.size(); i += 4) {
        out.push_back(static_cast<uint32_t>(bytes[i]) | (static_cast<uint32_t>(bytes[i + 1]) << 8) |
                      (static_cast<uint32_t>(bytes[i + 2]) << 16));
    }
    return out;
}

TEST(Acceptance, WindowDrawingMenuAndDialogReadBackExactly) {
    platformReset();
    commands.clear();
    testres::Catalogue catalogue;
    buildCatalogue(catalogue);
    instance = instanceFromCatalogue(catalogue.get());

    WNDCLASSW wc{};
    wc.lpfnWndProc = mainProc;
    wc.hInstance = instance;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = u"DORURURA";
    ASSERT_NE(RegisterClassW(&wc), 0);
    HWND window = CreateWindowExW(0, u"DORURURA", u"dorurura", WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    ASSERT_NE(window, nullptr);
    ASSERT_NE(menuBar, nullptr);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);

    // Compose a frame offscreen: a filled background, a plain copy and masked copies of the sprite
    // (one cut by the left edge), then copy it to the window's context.
    HDC screen = GetDC(window);
    HDC back = CreateCompatibleDC(nullptr);
    HBITMAP backBitmap =
        CreateCompatibleBitmap(screen, GetDeviceCaps(screen, HORZRES), GetDeviceCaps(screen, VERTRES));
    SelectObject(back, backBitmap);
    HBRUSH brush = CreateSolidBrush(RGB(0x40, 0x30, 0x20));
    HGDIOBJ oldBrush = SelectObject(back, brush);
    Rectangle(back, 0, 0, 240, 320);
    SelectObject(back, oldBrush);
    DeleteObject(brush);
    HDC spriteDc = CreateCompatibleDC(nullptr);
    HDC maskDc = CreateCompatibleDC(nullptr);
    HBITMAP sprite = LoadBitmapW(instance, MAKEINTRESOURCEW(113));
    HBITMAP mask = LoadBitmapW(instance, MAKEINTRESOURCEW(114));
    ASSERT_NE(sprite, nullptr);
    ASSERT_NE(mask, nullptr);
    SelectObject(spriteDc, sprite);
    SelectObject(maskDc, mask);
    BitBlt(back, 20, 30, 12, 10, spriteDc, 0, 0, SRCCOPY);
    BitBlt(back, 100, 200, 12, 10, maskDc, 0, 0, SRCAND);
    BitBlt(back, 100, 200, 12, 10, spriteDc, 0, 0, SRCPAINT);
    BitBlt(back, -5, 100, 12, 10, maskDc, 0, 0, SRCAND);
    BitBlt(back, -5, 100, 12, 10, spriteDc, 0, 0, SRCPAINT);
    BitBlt(screen, 0, 0, 240, 320, back, 0, 0, SRCCOPY);

    // What the client area must show, worked out here from the sprite's own definition.
    auto expectedClient = [](int x, int y) -> uint32_t {
        // RGB(0x40, 0x30, 0x20) inside the black outline of the rectangle.
        uint32_t c = (x == 0 || y == 0 || x == 239 || y == 319) ? 0u : 0x00403020u;
        if (x >= 20 && x < 32 && y >= 30 && y < 40) c = Palette[spriteIndex(x - 20, y - 30)];
        if (x >= 100 && x < 112 && y >= 200 && y < 210 && spriteIndex(x - 100, y - 200) != 0) {
            c = Palette[spriteIndex(x - 100, y - 200)];
        }
        if (x >= 0 && x < 7 && y >= 100 && y < 110 && spriteIndex(x + 5, y - 100) != 0) {
            c = Palette[spriteIndex(x + 5, y - 100)];
        }
        return c;
    };
    const uint32_t* display = platformDisplay();
    for (int y = 26; y < 294; ++y) {
        for (int x = 0; x < 240; ++x) {
            ASSERT_EQ(display[y * 240 + x], expectedClient(x, y - 26)) << "display " << x << "," << y;
        }
    }
    std::vector<uint32_t> before(display, display + 240 * 320);

    // Open the menu, then the About box, and close it with Done, all by taps.
    Step step;
    platformSetPassHook(script, &step);
    MSG msg;
    for (int i = 0; i < 50 && step.stage < 3; ++i) {
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    for (int i = 0; i < 5; ++i) {
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    platformSetPassHook(nullptr, nullptr);
    ASSERT_EQ(step.stage, 3);
    EXPECT_EQ(commands, std::vector<WORD>{40003});
    EXPECT_FALSE(platformMenuOpen());
    EXPECT_EQ(platformDialogDepth(), 0);

    // The menu covered part of the game, the dialog all of it; both showed the shell's colours.
    ASSERT_EQ(step.menuOpen.size(), before.size());
    int menuDiffers = 0, dialogWhite = 0;
    for (size_t i = 0; i < before.size(); ++i) {
        menuDiffers += step.menuOpen[i] != before[i] ? 1 : 0;
        dialogWhite += (i >= 26 * 240 && step.dialogOpen[i] == 0x00FFFFFFu) ? 1 : 0;
    }
    EXPECT_GT(menuDiffers, 2000);
    EXPECT_GT(dialogWhite, 240 * 250);
    EXPECT_EQ(step.menuOpen[(293 - 20) * 240 + 200], before[(293 - 20) * 240 + 200]) << "right of the menu";

    // Nothing underneath was lost: the display is exactly as before, without a repaint.
    display = platformDisplay();
    for (size_t i = 0; i < before.size(); ++i)
        ASSERT_EQ(display[i], before[i]) << "pixel " << i;

    // The display written as PNG reads back the same.
    ASSERT_EQ(platformWriteDisplayPng("platform-acceptance.png"), 1);
    int w = 0, h = 0;
    std::vector<uint32_t> png = readPng("platform-acceptance.png", &w, &h);
    ASSERT_EQ(w, 240);
    ASSERT_EQ(h, 320);
    EXPECT_EQ(png, before);
    EXPECT_EQ(platformWritePng("/nonexistent-folder/x.png", display, 240, 320), 0);
    EXPECT_EQ(platformWritePng("x.png", display, 0, 320), 0);
}

}  // namespace
