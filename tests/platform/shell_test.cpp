// The shell drawn by the platform: the menu bar and its popup menu worked by taps, check marks,
// modal dialogs closed by their Done button, and what the display shows.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/aygshell.h"
#include "platform/headless.h"
#include "platform/host.h"
#include "platform/windows.h"
#include "tests/platform/test_resources.h"

namespace {

using testres::MenuItemDesc;

HINSTANCE instance = nullptr;
HWND menuBar = nullptr;
std::vector<WORD> commands;
std::vector<INT_PTR> dialogResults;
std::vector<UINT> dialogMessages;

const DWORD ChildStatic = WS_CHILD | WS_VISIBLE | WS_GROUP | SS_CENTER;

void buildCatalogue(testres::Catalogue& c) {
    c.addString(1, u"dorurura");
    c.addString(3, u"DORURURA");
    c.addString(104, u"Options");
    std::vector<MenuItemDesc> items = {
        {u"Please lend me $20", 40012, 0, {}},
        {u"", 0, 0, {}},
        {u"Reriv Eduvud", 40011, MF_CHECKED, {}},
        {u"Dodore du Zevud", 40010, 0, {}},
        {u"Dudavid Udidizo", 40009, 0, {}},
        {u"Rorav'i Rariv", 40008, 0, {}},
        {u"", 0, 0, {}},
        {u"Sound On", 40007, MF_CHECKED, {}},
        {u"Sound Off", 40006, 0, {}},
        {u"", 0, 0, {}},
        {u"About Dorurura", 40003, 0, {}},
        {u"", 0, 0, {}},
        {u"Greyed", 40020, MF_GRAYED, {}},
        {u"Exit", 40005, 0, {}},
    };
    c.add(4, 102, testres::makeMenu({{u"Options", 0, 0, items}}));
    c.add(10, 102, testres::makeMenuBarRecord(102, {{40004, 104, 0}}));
    testres::DialogTemplate about;
    about.style = WS_POPUP | WS_CAPTION | DS_SETFONT;
    about.exStyle = WS_EX_CAPTIONOKBTN;
    about.cx = 137;
    about.cy = 142;
    about.title = u"About Dorurura";
    about.items = {
        {WS_CHILD | WS_VISIBLE | SS_ICON, 11, 17, 20, 20, 0xFFFF, 0x0082, u"", 101},
        {ChildStatic | SS_NOPREFIX, 45, 15, 77, 8, 0xFFFF, 0x0082, u"About Dorurura", 0},
        {ChildStatic, 48, 28, 69, 8, 0xFFFF, 0x0082, u"Dorurura", 0},
        {ChildStatic, 6, 49, 124, 10, 0xFFFF, 0x0082, u"A slot machine for the pen", 0},
        {ChildStatic, 6, 61, 124, 8, 0xFFFF, 0x0082, u"Four machines, one coin at a time", 0},
        {ChildStatic, 6, 73, 124, 9, 0xFFFF, 0x0082, u"Tap a sign for the pay table", 0},
    };
    c.add(5, 103, testres::makeDialog(about));
    c.add(3, 3, testres::makeIconImage(32, 0x00C02020, true));
    c.add(14, 101, testres::makeGroupIcon({{32, 3}}));
}

INT_PTR CALLBACK aboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    dialogMessages.push_back(message);
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
        case WM_COMMAND: {
            WORD id = LOWORD(wParam);
            commands.push_back(id);
            if (id == 40003) {
                HRSRC resource = FindResourceW(instance, MAKEINTRESOURCEW(103), RT_DIALOG);
                auto* dialogTemplate = static_cast<LPCDLGTEMPLATEW>(LoadResource(instance, resource));
                dialogResults.push_back(
                    DialogBoxIndirectParamW(instance, dialogTemplate, window, aboutProc, 0));
            }
            if (id == 40005) DestroyWindow(window);
            return 0;
        }
        case WM_PAINT: {
            PAINTSTRUCT paint;
            BeginPaint(window, &paint);
            EndPaint(window, &paint);
            return 0;
        }
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

// Steps run one per pass from the pass hook, in whichever loop runs then.
struct Script {
    std::vector<std::function<void(const PassInfo&)>> steps;
    size_t next = 0;
    std::vector<PassKind> kinds;
};

void runScript(const PassInfo& pass, void* user) {
    auto* script = static_cast<Script*>(user);
    script->kinds.push_back(pass.kind);
    if (script->next < script->steps.size()) script->steps[script->next++](pass);
}

RECT itemRect(UINT id) {
    RECT r{};
    EXPECT_EQ(platformMenuItemRect(id, &r), 1) << id;
    return r;
}
RECT optionsRect() {
    RECT r{};
    EXPECT_EQ(platformMenuBarButtonRect(0, &r), 1);
    return r;
}
void tapCentre(const RECT& r) {
    headlessTap((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

class Shell : public ::testing::Test {
protected:
    void SetUp() override {
        platformReset();
        commands.clear();
        dialogResults.clear();
        dialogMessages.clear();
        buildCatalogue(catalogue);
        instance = instanceFromCatalogue(catalogue.get());
        WNDCLASSW wc{};
        wc.style = CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = mainProc;
        wc.hInstance = instance;
        wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(101));
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        wc.lpszClassName = u"DORURURA";
        RegisterClassW(&wc);
        window = CreateWindowExW(0, u"DORURURA", u"dorurura", WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
        ASSERT_NE(window, nullptr);
        ASSERT_NE(menuBar, nullptr);
        ShowWindow(window, SW_SHOW);
        UpdateWindow(window);
        platformSetPassHook(runScript, &script);
    }
    void TearDown() override { platformSetPassHook(nullptr, nullptr); }

    // The main loop; gives the quit code, or -1 when it did not end within the passes.
    int loop(int passes) {
        MSG msg;
        for (int i = 0; i < passes; ++i) {
            if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_QUIT) return static_cast<int>(msg.wParam);
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
        return -1;
    }
    void step(std::function<void(const PassInfo&)> f) { script.steps.push_back(std::move(f)); }
    void idle(int passes = 1) {
        for (int i = 0; i < passes; ++i)
            step([](const PassInfo&) {});
    }

    testres::Catalogue catalogue;
    HWND window = nullptr;
    Script script;
};

TEST_F(Shell, TapOnAnItemClosesTheMenuAndSendsItsCommand) {
    step([](const PassInfo&) { tapCentre(optionsRect()); });
    idle();
    step([](const PassInfo& pass) {
        EXPECT_EQ(pass.kind, PassKind::Menu);
        EXPECT_TRUE(platformMenuOpen());
        tapCentre(itemRect(40010));
    });
    idle(3);
    step([](const PassInfo& pass) {
        EXPECT_EQ(pass.kind, PassKind::Main);
        EXPECT_FALSE(platformMenuOpen());
    });
    loop(10);
    EXPECT_EQ(commands, std::vector<WORD>{40010});
}

TEST_F(Shell, SeparatorsAndGreyedItemsAreNotChosenAndATapElsewhereCloses) {
    step([](const PassInfo&) { tapCentre(optionsRect()); });
    idle();
    step([](const PassInfo&) {
        RECT lend = itemRect(40012), machine = itemRect(40011);
        headlessTap((lend.left + lend.right) / 2,
                    (lend.bottom + machine.top) / 2);  // the separator between them
        tapCentre(itemRect(40020));
    });
    idle(4);
    step([](const PassInfo& pass) {
        EXPECT_EQ(pass.kind, PassKind::Menu);
        EXPECT_TRUE(platformMenuOpen());
        headlessTap(230, 40);  // over the game: closes the menu, reaches nothing
    });
    idle(3);
    step([](const PassInfo&) { EXPECT_FALSE(platformMenuOpen()); });
    loop(20);
    EXPECT_TRUE(commands.empty());
}

TEST_F(Shell, PenSlidesFromTheButtonOntoAnItem) {
    step([](const PassInfo&) {
        RECT options = optionsRect();
        headlessPenDown(options.left + 5, options.top + 5);
    });
    idle();
    step([](const PassInfo&) {
        RECT exitItem = itemRect(40005);
        headlessPenMove(exitItem.left + 10, exitItem.top + 3);
        headlessPenUp(exitItem.left + 10, exitItem.top + 3);
    });
    EXPECT_EQ(loop(20), 0) << "Exit destroyed the window, which ended the loop";
    EXPECT_EQ(commands, std::vector<WORD>{40005});
}

TEST_F(Shell, CheckMarksAreSetByCommandOnThePopup) {
    auto menu = reinterpret_cast<HMENU>(SendMessageW(menuBar, SHCMBM_GETSUBMENU, 0, 40004));
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(SendMessageW(menuBar, SHCMBM_GETSUBMENU, 0, 40005), 0);
    EXPECT_EQ(CheckMenuItem(menu, 40011, MF_BYCOMMAND | MF_UNCHECKED), MF_CHECKED);
    EXPECT_EQ(CheckMenuItem(menu, 40010, MF_BYCOMMAND | MF_CHECKED), MF_UNCHECKED);
    EXPECT_EQ(CheckMenuItem(menu, 40010, MF_BYCOMMAND | MF_CHECKED), MF_CHECKED);
    EXPECT_EQ(CheckMenuItem(menu, 12345, MF_BYCOMMAND | MF_CHECKED), static_cast<DWORD>(-1));
    EXPECT_EQ(CheckMenuItem(nullptr, 40010, MF_BYCOMMAND | MF_CHECKED), static_cast<DWORD>(-1));
    // What the open menu shows: a tick left of the checked item, none left of the others.
    auto tickPixels = [](UINT id) {
        RECT r = itemRect(id);
        const uint32_t* display = platformDisplay();
        int dark = 0;
        for (int y = r.top; y < r.bottom; ++y) {
            for (int x = r.left; x < r.left + 12; ++x)
                dark += display[y * 240 + x] == 0 ? 1 : 0;
        }
        return dark;
    };
    step([](const PassInfo&) { tapCentre(optionsRect()); });
    idle();
    step([&](const PassInfo&) {
        EXPECT_GT(tickPixels(40010), 10);
        EXPECT_EQ(tickPixels(40011), 0);
        EXPECT_GT(tickPixels(40007), 10);
        EXPECT_EQ(tickPixels(40006), 0);
        headlessTap(230, 40);
    });
    loop(10);
    EXPECT_FALSE(platformMenuOpen());
}

TEST_F(Shell, DialogRunsItsOwnLoopUntilDone) {
    step([](const PassInfo&) { tapCentre(optionsRect()); });
    idle();
    step([](const PassInfo&) { tapCentre(itemRect(40003)); });
    idle(3);
    step([](const PassInfo& pass) {
        EXPECT_EQ(pass.kind, PassKind::Dialog);
        EXPECT_EQ(platformDialogDepth(), 1);
        headlessTap(120, 150);   // the body: nothing happens
        headlessCommand(40005);  // a command goes to the dialog, which ignores it
    });
    idle(3);
    step([](const PassInfo& pass) {
        EXPECT_EQ(pass.kind, PassKind::Dialog);
        RECT done{};
        ASSERT_EQ(platformDoneButtonRect(&done), 1);
        EXPECT_LT(done.bottom, 27) << "the Done button stands in the navigation bar";
        tapCentre(done);
    });
    idle(3);
    step([](const PassInfo& pass) {
        EXPECT_EQ(pass.kind, PassKind::Main);
        EXPECT_EQ(platformDialogDepth(), 0);
    });
    EXPECT_EQ(loop(30), -1);
    EXPECT_EQ(commands, std::vector<WORD>{40003});
    EXPECT_EQ(dialogResults, std::vector<INT_PTR>{1});
    ASSERT_FALSE(dialogMessages.empty());
    EXPECT_EQ(dialogMessages.front(), WM_INITDIALOG);
    EXPECT_EQ(dialogMessages.back(), WM_DESTROY);
}

TEST_F(Shell, DonePressedAndReleasedElsewhereDoesNothing) {
    headlessCommand(40003);
    step([](const PassInfo&) {});
    step([](const PassInfo&) {
        RECT done{};
        ASSERT_EQ(platformDoneButtonRect(&done), 1);
        headlessPenDown(done.left + 2, done.top + 2);
        headlessPenUp(done.left - 30, done.top + 2);
    });
    idle(3);
    step([](const PassInfo&) {
        EXPECT_EQ(platformDialogDepth(), 1);
        headlessQuit();  // the host closes the program: the dialog ends, then the window
    });
    EXPECT_EQ(loop(30), 0);
    EXPECT_EQ(dialogResults, std::vector<INT_PTR>{0});
}

TEST_F(Shell, QuitWhileTheMenuIsOpenClosesItThenTheWindow) {
    step([](const PassInfo&) { tapCentre(optionsRect()); });
    idle();
    step([](const PassInfo&) {
        EXPECT_TRUE(platformMenuOpen());
        headlessQuit();
    });
    EXPECT_EQ(loop(20), 0);
    EXPECT_FALSE(platformMenuOpen());
}

TEST_F(Shell, MenuBarIsDrawnAndGoesWithItsWindow) {
    const uint32_t* display = platformDisplay();
    RECT options = optionsRect();
    EXPECT_EQ(options.top, 294);
    EXPECT_EQ(options.bottom, 320);
    EXPECT_EQ(options.left, 0);
    int dark = 0;
    for (int y = options.top; y < options.bottom; ++y) {
        for (int x = options.left; x < options.right; ++x)
            dark += display[y * 240 + x] == 0 ? 1 : 0;
    }
    EXPECT_GT(dark, 20) << "the label is drawn";
    EXPECT_EQ(display[300 * 240 + 230], 0x00D4D0C8u) << "a grey face";
    DestroyWindow(window);
    EXPECT_EQ(platformMenuBarButtonRect(0, &options), 0);
    EXPECT_FALSE(DestroyWindow(menuBar)) << "the window took its menu bar with it";
}

TEST_F(Shell, ShellIsRenderedToPng) {
    // Draw something of the game's in the window so the shell can be seen over it.
    HDC dc = GetDC(window);
    HBRUSH green = CreateSolidBrush(RGB(0, 96, 48));
    HGDIOBJ old = SelectObject(dc, green);
    Rectangle(dc, 0, 0, 240, 294);
    SelectObject(dc, old);
    DeleteObject(green);
    auto menu = reinterpret_cast<HMENU>(SendMessageW(menuBar, SHCMBM_GETSUBMENU, 0, 40004));
    CheckMenuItem(menu, 40011, MF_BYCOMMAND | MF_UNCHECKED);
    CheckMenuItem(menu, 40009, MF_BYCOMMAND | MF_CHECKED);
    EXPECT_EQ(platformWriteDisplayPng("platform-shell-window.png"), 1);
    step([](const PassInfo&) {
        RECT options = optionsRect();
        headlessPenDown(options.left + 5, options.top + 5);
    });
    idle();
    step([](const PassInfo&) {
        RECT item = itemRect(40009);
        headlessPenMove(item.left + 20, item.top + 5);
    });
    step([](const PassInfo&) {
        EXPECT_EQ(platformWriteDisplayPng("platform-shell-menu.png"), 1);
        RECT item = itemRect(40003);
        headlessPenMove(item.left + 20, item.top + 5);
        headlessPenUp(item.left + 20, item.top + 5);
    });
    idle(4);
    step([](const PassInfo& pass) {
        EXPECT_EQ(pass.kind, PassKind::Dialog);
        EXPECT_EQ(platformWriteDisplayPng("platform-shell-dialog.png"), 1);
        RECT done{};
        platformDoneButtonRect(&done);
        headlessPenDown(done.left + 3, done.top + 3);
    });
    step([](const PassInfo&) {
        EXPECT_EQ(platformWriteDisplayPng("platform-shell-dialog-done.png"), 1);
        RECT done{};
        platformDoneButtonRect(&done);
        headlessPenUp(done.left + 3, done.top + 3);
    });
    loop(30);
    EXPECT_EQ(dialogResults, std::vector<INT_PTR>{1});
}

}  // namespace
