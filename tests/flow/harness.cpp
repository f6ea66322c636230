#include "tests/flow/harness.h"

#include <cstdio>
#include <cstdlib>

#include "flow/game.h"
#include "flow/machine.h"
#include "gfx/frame.h"
#include "gfx/surface.h"
#include "platform/catalogue.h"
#include "platform/headless.h"
#include "platform/host.h"
#include "platform/probe.h"
#include "rules/machines.h"
#include "shell/app.h"
#include "shell/window.h"

namespace harness {

namespace {

constexpr const WCHAR* TestClass = u"DORURURATEST";

// The program's own window procedure, but for the menu bar it would make and the quit it would post.
LRESULT CALLBACK testWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE || message == WM_DESTROY) return DefWindowProcW(window, message, wParam, lParam);
    return mainWindowProc(window, message, wParam, lParam);
}

}  // namespace

void resetAll(DWORD startTick, DWORD stepMs) {
    // The program first: it gives its drawing objects back while the platform still knows them.
    stopProgram();
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
    startProgram();
}

void idleOn(uint8_t machine, DWORD startTick, DWORD stepMs) {
    startGame(startTick, stepMs);
    for (int i = 0; i < 100000 && gameState == Splash; ++i)
        pass();
    pass();  // Redraw to Idle
    selectMachine(machine);
    passes(2);
    if (gameState != Idle) {
        std::fprintf(stderr, "harness::idleOn(%d): the game is not Idle but in state %d\n", machine,
                     gameState);
        std::abort();
    }
    clearSoundLog();
}

void pass() {
    int exitCode = 0;
    programPass(&exitCode);  // the test window never quits
}

void passes(int count) {
    for (int i = 0; i < count; ++i)
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
    RECT window, client;
    GetWindowRect(mainWindow, &window);
    GetClientRect(mainWindow, &client);
    // The client area fills the window below its caption, if any.
    const int top = window.bottom - (client.bottom - client.top);
    headlessPenDown(window.left + x, top + y);
    headlessPenUp(window.left + x, top + y);
}

void tap(int x, int y) {
    queueTap(x, y);
    passes(2);
}

void tapControl(int k) {
    const Rect16& r = currentMachineDef().controlRects[k];
    tap(r.x + r.w / 2, r.y + r.h / 2);
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

bool sameBlock(const Pixels& a, int x, int y, const Pixels& b, int bx, int by, int w, int h) {
    for (int j = 0; j < h; ++j) {
        for (int i = 0; i < w; ++i) {
            if (a.at(x + i, y + j) != b.at(bx + i, by + j)) return false;
        }
    }
    return true;
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
