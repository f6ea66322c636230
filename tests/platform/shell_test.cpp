// The shell the platform draws, worked by taps as the program is: the menu bar and its popup menu,
// check marks, the About box with its Done button, and what the display shows before, during and
// after, read back exactly and as PNG.
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/aygshell.h"
#include "platform/headless.h"
#include "platform/host.h"
#include "platform/probe.h"
#include "platform/windows.h"
#include "tests/platform/support.h"

namespace {

HINSTANCE instance = nullptr;
HWND menuBar = nullptr;
std::vector<WORD> commands;
std::vector<INT_PTR> dialogResults;

// The sprite: 12 x 10 at 8 bits, stripes of palette colours 1 to 3 in a disc.
constexpr uint32_t Palette[4] = {0x000000, 0xE03020, 0x20A040, 0x3050F0};
uint32_t spriteIndex(int x, int y) {
    bool hole = (x - 6) * (x - 6) + (y - 5) * (y - 5) > 20;
    return hole ? 0u : static_cast<uint32_t>(1 + (x + y) % 3);
}

std::map<std::string, std::string> files() {
    support::Image sprite{12, 10, 8, std::vector<uint32_t>(Palette, Palette + 4), {}};
    for (int i = 0; i < 120; ++i)
        sprite.pixels.push_back(spriteIndex(i % 12, i / 12));
    support::Image icon{32, 32, 8, {0, 0xC02020}, std::vector<uint32_t>(1024, 1)};
    for (int y = 0; y < 4; ++y)
        std::fill_n(icon.pixels.begin() + y * 32, 4, 0u);  // a corner where the background shows
    support::Image small{16, 16, 8, {0, 0x0000FF}, std::vector<uint32_t>(256, 1)};  // not the standard size
    return {{"sprite.bmp", support::bmp(sprite)},
            {"i.ico", support::ico({small, icon})}};
}

const char* const Script = R"(
#define IDM_ABOUT 40003
102 MENU BEGIN POPUP "Options" BEGIN
        MENUITEM "Please lend me $20", 40012
        MENUITEM SEPARATOR
        MENUITEM "Reriv Eduvud", 40011, CHECKED
        MENUITEM "Dodore du Zevud", 40010
        MENUITEM "Sound On", 40007, CHECKED
        MENUITEM "Sound Off", 40006
        MENUITEM SEPARATOR
        MENUITEM "About Dorurura", IDM_ABOUT
        MENUITEM "Greyed", 40020, GRAYED
        MENUITEM "Exit", 40005
END END
102 RCDATA BEGIN 102, 1, 0xFFFE, 40004, 4, 0x18, 104, 0, 0 END
103 DIALOG 0, 0, 137, 142
STYLE WS_POPUP | WS_CAPTION | DS_SETFONT
EXSTYLE WS_EX_CAPTIONOKBTN
CAPTION "About Dorurura"
FONT 8, "System"
BEGIN
    CONTROL 101, -1, "Static", WS_CHILD | WS_VISIBLE | SS_ICON, 11, 17, 20, 20
    CONTROL "Dorurura", -1, "Static", WS_CHILD | WS_VISIBLE | SS_CENTER, 6, 49, 124, 10
END
101 ICON "i.ico"
113 BITMAP "sprite.bmp"
STRINGTABLE BEGIN 104, "Options" END
)";

INT_PTR CALLBACK aboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    SHINITDLGINFO info{SHIDIM_FLAGS, dialog, SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN};
    if (message == WM_INITDIALOG) return SHInitDialog(&info);
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) return EndDialog(dialog, 1);
    return FALSE;
}

LRESULT CALLBACK mainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: {
            SHMENUBARINFO info{32, window, 0, 102, instance, 0, 0, nullptr};
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
                auto* about = static_cast<LPCDLGTEMPLATEW>(
                    LoadResource(instance, FindResourceW(instance, MAKEINTRESOURCEW(103), RT_DIALOG)));
                dialogResults.push_back(DialogBoxIndirectParamW(instance, about, window, aboutProc, 0));
            }
            if (LOWORD(wParam) == 40005) DestroyWindow(window);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

// Steps run one a pass from the pass hook, in whichever loop runs then.
struct Steps {
    std::vector<std::function<void(const PassInfo&)>> steps;
    size_t next = 0;
};

void runStep(const PassInfo& pass, void* user) {
    auto* s = static_cast<Steps*>(user);
    if (s->next < s->steps.size()) s->steps[s->next++](pass);
}

void pen(HostEventKind kind, int x, int y) {
    platformPushInput(HostEvent{kind, static_cast<int16_t>(x), static_cast<int16_t>(y), 0});
}
void tap(int x, int y) {
    pen(HostEventKind::PenDown, x, y);
    pen(HostEventKind::PenUp, x, y);
}
void tap(const RECT& r) {
    tap((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}
RECT item(UINT id) {
    RECT r{};
    EXPECT_EQ(platformMenuItemRect(id, &r), 1) << id;
    return r;
}
RECT done() {
    RECT r{};
    EXPECT_EQ(platformDoneButtonRect(&r), 1);
    return r;
}
constexpr int OptionsX = 10, OptionsY = 307;  // on the menu bar's Options button

class Shell : public ::testing::Test {
protected:
    void SetUp() override {
        platformReset();
        commands.clear();
        dialogResults.clear();
        instance = catalogue.instance();
        WNDCLASSW wc{};
        wc.lpfnWndProc = mainProc;
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        wc.lpszClassName = u"DORURURA";
        RegisterClassW(&wc);
        window = CreateWindowExW(0, u"DORURURA", u"dorurura", WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
        ASSERT_NE(menuBar, nullptr);
        MoveWindow(window, 0, 26, 240, 268, FALSE);
        UpdateWindow(window);
        platformSetPassHook(runStep, &steps);
    }
    void TearDown() override { platformSetPassHook(nullptr, nullptr); }

    // A step, then passes without one.
    void step(int idleAfter, std::function<void(const PassInfo&)> f) {
        steps.steps.push_back(std::move(f));
        steps.steps.resize(steps.steps.size() + idleAfter, [](const PassInfo&) {});
    }
    void openMenu() {
        step(1, [](const PassInfo&) { tap(OptionsX, OptionsY); });
    }

    support::Catalogue catalogue{Script, files()};
    HWND window = nullptr;
    Steps steps;
};

// Whether a tick stands left of the open menu's item.
bool ticked(UINT id) {
    RECT r = item(id);
    int dark = 0;
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.left + 12; ++x)
            dark += platformDisplay()[y * 240 + x] == 0 ? 1 : 0;
    }
    return dark > 10;
}

TEST_F(Shell, TheMenuIsWorkedByTapsAndShowsItsCheckMarks) {
    auto menu = reinterpret_cast<HMENU>(SendMessageW(menuBar, SHCMBM_GETSUBMENU, 0, 40004));
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(SendMessageW(menuBar, SHCMBM_GETSUBMENU, 0, 40005), 0);
    EXPECT_EQ(CheckMenuItem(menu, 40011, MF_BYCOMMAND | MF_UNCHECKED), MF_CHECKED);
    EXPECT_EQ(CheckMenuItem(menu, 40010, MF_BYCOMMAND | MF_CHECKED), MF_UNCHECKED);
    EXPECT_EQ(CheckMenuItem(menu, 12345, MF_BYCOMMAND | MF_CHECKED), static_cast<DWORD>(-1));
    openMenu();
    step(4, [](const PassInfo& pass) {
        EXPECT_EQ(pass.kind, PassKind::Menu);
        EXPECT_EQ((std::vector<bool>{ticked(40010), ticked(40011), ticked(40007), ticked(40006)}),
                  (std::vector<bool>{true, false, true, false}));
        RECT lend = item(40012), first = item(40011);
        tap(lend.left + 10, (lend.bottom + first.top) / 2);  // the separator
        tap(item(40020));                                    // greyed
    });
    step(2, [](const PassInfo& pass) {
        EXPECT_EQ(pass.kind, PassKind::Menu) << "still open";
        tap(230, 40);  // over the window: closes the menu and goes no further
    });
    step(1, [](const PassInfo&) {
        EXPECT_FALSE(platformMenuOpen());
        tap(OptionsX, OptionsY);
    });
    step(3, [](const PassInfo&) { tap(item(40010)); });
    step(1, [](const PassInfo& pass) {
        EXPECT_EQ(pass.kind, PassKind::Main) << "the item closed the menu";
        pen(HostEventKind::PenDown, OptionsX, OptionsY);
    });
    step(0, [](const PassInfo&) {  // the pen slides from the button onto Exit
        RECT exit = item(40005);
        pen(HostEventKind::PenMove, exit.left + 10, exit.top + 3);
        pen(HostEventKind::PenUp, exit.left + 10, exit.top + 3);
    });
    EXPECT_EQ(support::mainLoop(40), 0) << "Exit destroyed the window, which ended the loop";
    EXPECT_EQ(commands, (std::vector<WORD>{40010, 40005}));
}

TEST_F(Shell, AQuitEndsAnOpenMenuOrDialogThenTheWindow) {
    for (bool dialog : {false, true}) {
        steps = Steps{};
        SetUp();
        if (dialog) platformPushInput(HostEvent{HostEventKind::Command, 0, 0, 40003});
        step(1, [dialog](const PassInfo&) {
            if (!dialog) tap(OptionsX, OptionsY);
        });
        step(0, [dialog](const PassInfo&) {
            EXPECT_EQ(platformMenuOpen(), !dialog);
            EXPECT_EQ(platformDialogDepth(), dialog ? 1 : 0);
            headlessQuit();
        });
        EXPECT_EQ(support::mainLoop(20), 0) << dialog;
        EXPECT_FALSE(platformMenuOpen());
        EXPECT_EQ(dialogResults, std::vector<INT_PTR>(dialog ? 1 : 0, 0));
        platformSetPassHook(nullptr, nullptr);
    }
}

std::vector<uint32_t> readPng(const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> bytes(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, bytes.data(), 0, nullptr)) return {};
    std::vector<uint32_t> out;
    for (size_t i = 0; i + 2 < bytes.size(); i += 3)
        out.push_back(uint32_t{bytes[i]} << 16 | uint32_t{bytes[i + 1]} << 8 | bytes[i + 2]);
    return out;
}

TEST_F(Shell, TheMenuAndTheAboutBoxLeaveTheGameExactlyAsItWas) {
    // A frame composed offscreen, a filled background and the sprite, copied to the window. (The
    // game's golden frames hold every kind of copy to its pixels.)
    HDC screen = GetDC(window);
    HDC back = CreateCompatibleDC(screen), spriteDc = CreateCompatibleDC(screen);
    SelectObject(back, CreateCompatibleBitmap(screen, 240, 268));
    HBRUSH brush = CreateSolidBrush(RGB(0x40, 0x30, 0x20));
    HGDIOBJ oldBrush = SelectObject(back, brush);
    Rectangle(back, 0, 0, 240, 268);
    DeleteObject(SelectObject(back, oldBrush));
    ASSERT_NE(SelectObject(spriteDc, LoadBitmapW(instance, MAKEINTRESOURCEW(113))), nullptr);
    BitBlt(back, 20, 30, 12, 10, spriteDc, 0, 0, SRCCOPY);
    BitBlt(screen, 0, 0, 240, 268, back, 0, 0, SRCCOPY);
    const uint32_t* display = platformDisplay();
    EXPECT_EQ(display[(26 + 35) * 240 + 26], Palette[spriteIndex(6, 5)]);
    const std::vector<uint32_t> before(display, display + 240 * 320);
    EXPECT_EQ(before[300 * 240 + 230], 0x00D4D0C8u) << "the menu bar's grey face";
    EXPECT_GT(std::count(before.begin() + 308 * 240, before.begin() + 309 * 240, 0u), 2) << "its label";
    // The menu over part of the game, then the About box over all of it, in a loop of its own
    // until its Done button is tapped: a tap elsewhere, a command, or Done let go off it do not end it.
    std::vector<uint32_t> menuOpen, dialogOpen;
    const std::string written = (std::filesystem::temp_directory_path() / "dorurura-shell-about.png").string();
    openMenu();
    step(3, [&](const PassInfo&) {
        menuOpen.assign(platformDisplay(), platformDisplay() + 240 * 320);
        tap(item(40003));
    });
    step(6, [&](const PassInfo& pass) {
        EXPECT_EQ(pass.kind, PassKind::Dialog);
        EXPECT_EQ(platformDialogDepth(), 1);
        EXPECT_LT(done().bottom, 27) << "in the navigation bar";
        dialogOpen.assign(platformDisplay(), platformDisplay() + 240 * 320);
        EXPECT_EQ(platformWriteDisplayPng(written.c_str()), 1);
        tap(120, 150);
        platformPushInput(HostEvent{HostEventKind::Command, 0, 0, 40005});
        pen(HostEventKind::PenDown, done().left + 2, done().top + 2);
        pen(HostEventKind::PenUp, done().left - 30, done().top + 2);
    });
    step(3, [](const PassInfo& pass) {
        EXPECT_EQ(pass.kind, PassKind::Dialog) << "still open";
        tap(done());
    });
    step(0, [](const PassInfo& pass) {
        EXPECT_EQ(pass.kind, PassKind::Main);
        EXPECT_EQ(platformDialogDepth(), 0);
    });
    EXPECT_EQ(support::mainLoop(30), -1);
    EXPECT_EQ(commands, std::vector<WORD>{40003});
    ASSERT_EQ(dialogResults, std::vector<INT_PTR>{1});
    // The shell's look, pixel for pixel, as the pictures in tests/platform/golden show it (with
    // DORURURA_UPDATE_GOLDEN=1 in the environment, this run's pictures are written there instead).
    const char* update = std::getenv("DORURURA_UPDATE_GOLDEN");
    for (const auto& [name, shown] : {std::pair{"menu", &menuOpen}, std::pair{"about", &dialogOpen}}) {
        const std::string path = std::string(DORURURA_PLATFORM_GOLDEN) + "/shell-" + name + ".png";
        if (update && *update && *update != '0') platformWritePng(path.c_str(), shown->data(), 240, 320);
        EXPECT_EQ(readPng(path), *shown) << path;
    }
    EXPECT_EQ(readPng(written), dialogOpen) << "the display as written";
    std::filesystem::remove(written);
    // Nothing underneath was lost: the display is as before, without a repaint.
    EXPECT_EQ(std::vector<uint32_t>(platformDisplay(), platformDisplay() + 240 * 320), before);
    EXPECT_EQ(platformWritePng("/nonexistent-folder/x.png", before.data(), 240, 320), 0);
    EXPECT_EQ(platformWritePng("x.png", before.data(), 0, 320), 0);
}

}  // namespace
