#include "shell/window.h"

#include "flow/game.h"
#include "flow/input.h"
#include "gfx/frame.h"
#include "gfx/surface.h"
#include "res/resource.h"
#include "shell/app.h"
#include "shell/menu.h"

SHACTIVATEINFO activateInfo = {};

namespace {

constexpr int StringBufferLength = 100;

}  // namespace

ATOM registerMainClass(HINSTANCE instance, LPCWSTR className) {
    WNDCLASSW windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = mainWindowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_DORURURA));
    windowClass.hCursor = nullptr;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = className;
    return RegisterClassW(&windowClass);
}

int initInstance(HINSTANCE instance, int showCommand) {
    appInstance = instance;
    WCHAR className[StringBufferLength] = {};
    WCHAR title[StringBufferLength] = {};
    LoadStringW(instance, IDS_CLASS, className, StringBufferLength);
    LoadStringW(instance, IDS_TITLE, title, StringBufferLength);

    // One copy only: bring the running one forward instead.
    if (HWND running = FindWindowW(className, title)) {
        mainWindow = running;
        SetForegroundWindow(reinterpret_cast<HWND>(reinterpret_cast<ULONG_PTR>(running) | 1));
        return 0;
    }

    registerMainClass(instance, className);
    HWND window = CreateWindowExW(0, className, title, WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) return 0;
    mainWindow = window;
    RECT rect = {};
    GetWindowRect(window, &rect);
    // Make room for the menu bar: the window's bottom edge moves up by its height. The call takes
    // a width and a height where the rectangle has its right and bottom edges, as the device's
    // own start-up did.
    if (menuBar != nullptr) {
        MoveWindow(window, rect.left, rect.top, rect.right, rect.bottom - MenuBarHeight, FALSE);
    }
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    return 1;
}

HWND createMenuBar(HWND window) {
    SHMENUBARINFO info = {};
    info.cbSize = 32;
    info.hwndParent = window;
    info.dwFlags = 0;
    info.nToolBarId = IDR_MENUBAR;
    info.hInstRes = appInstance;
    info.nBmpId = 0;
    info.cBmpImages = 0;
    if (!SHCreateMenuBar(&info)) return nullptr;
    return info.hwndMB;
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            menuBar = createMenuBar(window);
            return 0;
        case WM_DESTROY:
            DestroyWindow(menuBar);
            PostQuitMessage(0);
            return 0;
        case WM_PAINT: {
            // The frame goes through the screen surface (the window's own context); BeginPaint
            // and EndPaint only validate the update region.
            PAINTSTRUCT paint;
            BeginPaint(window, &paint);
            RECT client = {};
            GetClientRect(window, &client);
            stageRefreshRect = {static_cast<int16_t>(client.left), static_cast<int16_t>(client.top),
                                static_cast<int16_t>(client.right - client.left),
                                static_cast<int16_t>(client.bottom - client.top)};
            renderFrame(1);
            EndPaint(window, &paint);
            return 0;
        }
        case WM_SETTINGCHANGE:
            SHHandleWMSettingChange(window, wParam, lParam, &activateInfo);
            return 0;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDM_CLOSE:
                    SendMessageW(window, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(window));
                    SendMessageW(window, WM_CLOSE, 0, 0);
                    break;
                case IDM_ABOUT:
                    showAboutBox(window);
                    break;
                case IDM_EXIT:
                    DestroyWindow(window);
                    break;
                default:
                    handleMenuCommand(LOWORD(wParam));
                    break;
            }
            return 0;
        case WM_MOUSEMOVE:
        case WM_LBUTTONUP:
            return 0;
        case WM_KEYDOWN:
            // The keys for the controls; the rest (the menu key among them) as any window takes them.
            if (GetKeyState(static_cast<int>(VK_CONTROL)) >= 0 && handleKey(static_cast<uint32_t>(wParam)))
                return 0;
            return DefWindowProcW(window, message, wParam, lParam);
        case WM_LBUTTONDOWN:
            handleTap(static_cast<int16_t>(LOWORD(lParam)), static_cast<int16_t>(HIWORD(lParam)));
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

void startProgram() {
    appAccelerators = LoadAcceleratorsW(appInstance, MAKEINTRESOURCEW(IDR_ACCELERATORS));
    initGraphics();
    gameInit();
    graphicsReady = 1;
}

int programPass(int* exitCode) {
    MSG message;
    if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            *exitCode = static_cast<int>(message.wParam);
            return 0;
        }
        if (!TranslateAcceleratorW(mainWindow, appAccelerators, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    renderFrame(0);
    gameTick();
    return 1;
}

void stopProgram() {
    resetGame();
    resetAppState();
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previousInstance*/, LPWSTR /*commandLine*/,
                   int showCommand) {
    if (!initInstance(instance, showCommand)) return 0;
    startProgram();
    int exitCode = 0;
    while (programPass(&exitCode)) {
    }
    return exitCode;
}
