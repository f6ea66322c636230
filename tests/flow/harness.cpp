#include "tests/flow/harness.h"

#include "flow/game.h"
#include "flow/input.h"
#include "gfx/frame.h"
#include "gfx/surface.h"
#include "platform/catalogue.h"
#include "platform/headless.h"
#include "platform/host.h"
#include "shell/app.h"
#include "shell/sound.h"

namespace harness {

namespace {

constexpr const WCHAR* TestClass = u"DORURURATEST";

// What the program's window procedure does with the pen and with paint requests.
LRESULT CALLBACK testWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_LBUTTONDOWN:
            handleTap(static_cast<int16_t>(GET_X_LPARAM(lParam)), static_cast<int16_t>(GET_Y_LPARAM(lParam)));
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            BeginPaint(window, &paint);
            RECT client;
            GetClientRect(window, &client);
            stageRefreshRect = {static_cast<int16_t>(client.left), static_cast<int16_t>(client.top),
                                static_cast<int16_t>(client.right - client.left),
                                static_cast<int16_t>(client.bottom - client.top)};
            renderFrame(1);
            EndPaint(window, &paint);
            return 0;
        }
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

void resetAll(DWORD startTick, DWORD stepMs) {
    // The game first: it gives its drawing objects back while the platform still knows them.
    resetGame();
    resetAppState();
    platformReset();
    headlessSetStartTick(startTick);
    headlessSetPassStep(stepMs);

    appInstance = instanceFromCatalogue(&dorururaCatalogue);
    WNDCLASSW windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = testWindowProc;
    windowClass.hInstance = appInstance;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = TestClass;
    RegisterClassW(&windowClass);
    mainWindow = CreateWindowExW(0, TestClass, u"dorurura", WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, appInstance, nullptr);
}

void startGame(DWORD startTick, DWORD stepMs) {
    resetAll(startTick, stepMs);
    initGraphics();
    gameInit();
    graphicsReady = 1;
}

void pass() {
    MSG message;
    if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    renderFrame(0);
    gameTick();
}

void passes(int count) {
    for (int i = 0; i < count; ++i)
        pass();
}

void endSplash() {
    for (int i = 0; i < 100000 && gameState == Splash; ++i)
        pass();
    pass();
}

int runSpin(int limit) {
    int count = 0;
    while (gameState == Spinning || gameState == Stopping) {
        if (count >= limit) return -1;
        pass();
        ++count;
    }
    return count;
}

void setClock(DWORD t) {
    headlessSetStartTick(t);
}

DWORD clock() {
    return GetTickCount();
}

void queueTap(int x, int y) {
    RECT rect;
    GetWindowRect(mainWindow, &rect);
    headlessPenDown(rect.left + x, clientTop() + y);
    headlessPenUp(rect.left + x, clientTop() + y);
}

int clientTop() {
    RECT window;
    GetWindowRect(mainWindow, &window);
    RECT client;
    GetClientRect(mainWindow, &client);
    // The client area fills the window below its caption, if any.
    return window.bottom - (client.bottom - client.top);
}

Pixels windowPixels() {
    Pixels p = {};
    platformWindowPixels(mainWindow, &p.data, &p.width, &p.height);
    return p;
}

Pixels bitmapPixels(HBITMAP bitmap) {
    Pixels p = {};
    platformBitmapPixels(bitmap, &p.data, &p.width, &p.height);
    return p;
}

std::string soundLog() {
    std::string log;
    for (size_t i = 0; i < headlessSoundEventCount(); ++i) {
        char text[32];
        headlessFormatSoundEvent(headlessSoundEvent(i), text, sizeof text);
        if (!log.empty()) log += ", ";
        log += text;
    }
    return log;
}

void clearSoundLog() {
    headlessClearSoundLog();
}

}  // namespace harness
