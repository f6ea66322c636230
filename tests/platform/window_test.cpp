// Windows and messages: creation and destruction order, the queue, paint requests, pen input in
// client coordinates, the clock and the pass hook.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/headless.h"
#include "platform/host.h"
#include "platform/windows.h"

namespace {

struct Logged {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<Logged> messages;
LRESULT createResult = 0;

LRESULT CALLBACK recordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    messages.push_back(Logged{window, message, wParam, lParam});
    if (message == WM_CREATE) return createResult;
    if (message == WM_DESTROY) {
        PostQuitMessage(7);
        return 0;
    }
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        EndPaint(window, &paint);
        return 0;
    }
    if (message == WM_USER) return static_cast<LRESULT>(wParam * 2);
    return DefWindowProcW(window, message, wParam, lParam);
}

std::vector<UINT> names() {
    std::vector<UINT> out;
    for (const Logged& m : messages)
        out.push_back(m.message);
    return out;
}

class Windows : public ::testing::Test {
protected:
    void SetUp() override {
        platformReset();
        messages.clear();
        createResult = 0;
        WNDCLASSW wc{};
        wc.style = CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = recordingProc;
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        wc.lpszClassName = u"DORURURA";
        ASSERT_NE(RegisterClassW(&wc), 0);
    }
    HWND create(DWORD style = WS_VISIBLE) {
        return CreateWindowExW(0, u"DORURURA", u"dorurura", style, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, nullptr, nullptr);
    }
    // Runs passes until the queue gives nothing, dispatching what it gives.
    int pump(int maxPasses = 100) {
        int taken = 0;
        MSG msg;
        for (int i = 0; i < maxPasses; ++i) {
            if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) break;
            ++taken;
            if (msg.message == WM_QUIT) break;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        return taken;
    }
};

TEST_F(Windows, CreationDeliversWmCreateBeforeReturning) {
    HWND window = create();
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(names(), std::vector<UINT>{WM_CREATE});
    const auto* info = reinterpret_cast<const CREATESTRUCTW*>(messages[0].lParam);
    EXPECT_EQ(messages[0].window, window);
    EXPECT_NE(info, nullptr);
    RECT rect;
    ASSERT_TRUE(GetWindowRect(window, &rect));
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 26);
    EXPECT_EQ(rect.right, 240);
    EXPECT_EQ(rect.bottom, 320);
    ASSERT_TRUE(GetClientRect(window, &rect));
    EXPECT_EQ(rect.right, 240);
    EXPECT_EQ(rect.bottom, 294);
    EXPECT_EQ(platformActiveWindow(), window);
}

TEST_F(Windows, FailedCreationGivesNoWindow) {
    createResult = -1;
    EXPECT_EQ(create(), nullptr);
    EXPECT_EQ(names(), (std::vector<UINT>{WM_CREATE, WM_DESTROY}));
    EXPECT_EQ(CreateWindowExW(0, u"NOSUCH", u"x", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr),
              nullptr);
    WNDCLASSW duplicate{};
    duplicate.lpfnWndProc = recordingProc;
    duplicate.lpszClassName = u"dorurura";
    EXPECT_EQ(RegisterClassW(&duplicate), 0) << "class names ignore case";
    EXPECT_EQ(RegisterClassW(nullptr), 0);
}

TEST_F(Windows, PaintComesFirstAfterCreationAndUpdateWindowSendsItAtOnce) {
    HWND window = create();
    messages.clear();
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    EXPECT_EQ(names(), (std::vector<UINT>{WM_PAINT, WM_ERASEBKGND}));
    messages.clear();
    UpdateWindow(window);
    EXPECT_TRUE(messages.empty()) << "nothing to paint any more";
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    // The class's black brush erased the client area.
    const uint32_t* display = platformDisplay();
    EXPECT_EQ(display[100 * 240 + 100], 0u);
    // Hidden and shown again, the window is painted again (its pixels count as lost).
    ShowWindow(window, SW_HIDE);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    ShowWindow(window, SW_SHOW);
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_PAINT);
}

TEST_F(Windows, PaintIsRepeatedUntilValidated) {
    HWND window = create();
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_PAINT);
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_PAINT) << "not dispatched, so still pending";
    DispatchMessageW(&msg);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    (void)window;
}

TEST_F(Windows, CloseDestroysThenQuitEndsTheLoop) {
    HWND window = create();
    pump();
    messages.clear();
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(names(), (std::vector<UINT>{WM_CLOSE, WM_DESTROY}));
    EXPECT_FALSE(GetWindowRect(window, nullptr));
    RECT rect;
    EXPECT_FALSE(GetWindowRect(window, &rect)) << "the window is gone";
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, 7u);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) << "the quit is taken once";
    EXPECT_FALSE(DestroyWindow(window));
    EXPECT_EQ(platformActiveWindow(), nullptr);
}

TEST_F(Windows, SendIsSynchronousAndPeekTakesOneMessageAPass) {
    HWND window = create();
    pump();
    EXPECT_EQ(SendMessageW(window, WM_USER, 21, 0), 42);
    EXPECT_EQ(SendMessageW(nullptr, WM_USER, 21, 0), 0);
    headlessCommand(40004);
    headlessCommand(40005);
    EXPECT_EQ(platformInputPending(), 2);
    headlessSetPassStep(10);
    DWORD before = GetTickCount();
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_COMMAND);
    EXPECT_EQ(LOWORD(msg.wParam), 40004);
    EXPECT_EQ(platformInputPending(), 1);
    EXPECT_EQ(msg.hwnd, window);
    EXPECT_EQ(GetTickCount(), before + 10);
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(LOWORD(msg.wParam), 40005);
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(LOWORD(msg.wParam), 40005);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(GetTickCount(), before + 40);
}

TEST_F(Windows, ClockStandsUntilTheFirstPassThenStepsEachPass) {
    headlessSetStartTick(0xFFFFFFF0u);
    headlessSetPassStep(16);
    EXPECT_EQ(GetTickCount(), 0xFFFFFFF0u);
    EXPECT_EQ(GetTickCount(), 0xFFFFFFF0u);
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);
    EXPECT_EQ(GetTickCount(), 0u) << "the count wraps as an unsigned 32-bit value";
    PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);
    EXPECT_EQ(GetTickCount(), 16u);
}

struct HookLog {
    std::vector<PassInfo> passes;
};

void recordPass(const PassInfo& pass, void* user) {
    static_cast<HookLog*>(user)->passes.push_back(pass);
}

TEST_F(Windows, HookRunsAtTheStartOfEveryPassAfterTheClock) {
    HookLog log;
    headlessSetStartTick(1000);
    headlessSetPassStep(5);
    platformSetPassHook(recordPass, &log);
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);
    PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);
    ASSERT_EQ(log.passes.size(), 2u);
    EXPECT_EQ(log.passes[0].kind, PassKind::Main);
    EXPECT_EQ(log.passes[0].tick, 1005u);
    EXPECT_EQ(log.passes[1].tick, 1010u);
    EXPECT_EQ(log.passes[1].number, log.passes[0].number + 1);
    platformSetPassHook(nullptr, nullptr);
    PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);
    EXPECT_EQ(log.passes.size(), 2u);
}

void injectTap(const PassInfo& pass, void* user) {
    uint32_t& first = *static_cast<uint32_t*>(user);
    if (first == 0) first = pass.number;
    if (pass.number == first + 2) headlessTap(50, 126);
}

TEST_F(Windows, HookInputIsSeenByThePassThatRanIt) {
    HWND window = create();
    pump();
    uint32_t first = 0;
    platformSetPassHook(injectTap, &first);
    MSG msg;
    std::vector<uint32_t> passes;
    for (int i = 0; i < 5; ++i) {
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE) && msg.message == WM_LBUTTONDOWN)
            passes.push_back(1);
        else
            passes.push_back(0);
    }
    EXPECT_EQ(passes, (std::vector<uint32_t>{0, 0, 1, 0, 0}));
    (void)window;
}

TEST_F(Windows, PenReachesTheWindowInClientCoordinates) {
    HWND window = create();
    ASSERT_NE(window, nullptr);
    pump();
    messages.clear();
    headlessPenDown(10, 26);
    headlessPenMove(-5, 20);  // dragged out over the navigation bar: still the window's
    headlessPenUp(239, 319);
    headlessTap(5, 10);  // the navigation bar: not the window's
    pump();
    ASSERT_EQ(names(), (std::vector<UINT>{WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_LBUTTONUP}));
    EXPECT_EQ(messages[0].window, window);
    EXPECT_EQ(messages[0].lParam, MAKELPARAM(10, 0));
    EXPECT_EQ(messages[0].wParam, MK_LBUTTON);
    EXPECT_EQ(GET_X_LPARAM(messages[1].lParam), -5);
    EXPECT_EQ(GET_Y_LPARAM(messages[1].lParam), -6);
    EXPECT_EQ(static_cast<int16_t>(HIWORD(static_cast<DWORD_PTR>(messages[1].lParam))), -6);
    EXPECT_EQ(messages[2].lParam, MAKELPARAM(239, 293));
    EXPECT_EQ(messages[2].wParam, 0u);
}

TEST_F(Windows, QuitFromTheHostClosesTheActiveWindow) {
    HWND window = create();
    ASSERT_NE(window, nullptr);
    pump();
    messages.clear();
    headlessQuit();
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_CLOSE);
    EXPECT_EQ(msg.hwnd, window);
    DispatchMessageW(&msg);
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_QUIT);
}

TEST_F(Windows, WindowContextDrawsTheClientAreaClipped) {
    HWND window = create();
    ASSERT_NE(window, nullptr);
    pump();
    HDC dc = GetDC(window);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(GetDC(window), dc) << "the window keeps one context";
    HDC memory = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 240, 320);
    SelectObject(memory, bitmap);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    HGDIOBJ old = SelectObject(memory, red);
    Rectangle(memory, -1, -1, 241, 321);  // the whole bitmap red, outline outside
    SelectObject(memory, old);
    EXPECT_TRUE(BitBlt(dc, 0, 0, 240, 320, memory, 0, 0, SRCCOPY));
    const uint32_t* display = platformDisplay();
    EXPECT_EQ(display[26 * 240], 0x00FF0000u) << "client (0, 0) is display (0, 26)";
    EXPECT_EQ(display[293 * 240 + 239], 0x00FF0000u);
    EXPECT_NE(display[10 * 240 + 100], 0x00FF0000u) << "the navigation bar stays";
    const uint32_t* client = nullptr;
    int w = 0, h = 0;
    ASSERT_EQ(platformWindowPixels(window, &client, &w, &h), 1);
    EXPECT_EQ(w, 240);
    EXPECT_EQ(h, 294);
    // Reading from the window's context works too.
    HDC copyDc = CreateCompatibleDC(nullptr);
    HBITMAP copy = CreateCompatibleBitmap(dc, 4, 4);
    SelectObject(copyDc, copy);
    BitBlt(copyDc, 0, 0, 4, 4, dc, 236, 290, SRCCOPY);
    const uint32_t* p = nullptr;
    platformBitmapPixels(copy, &p, &w, &h);
    EXPECT_EQ(p[0], 0x00FF0000u);
    EXPECT_EQ(DeleteObject(red), TRUE);
}

TEST_F(Windows, MoveWindowPlacesAndSizes) {
    HWND window = create();
    pump();
    RECT r;
    GetWindowRect(window, &r);
    // The menu-bar adjustment the program makes: right and bottom stand for width and height.
    EXPECT_TRUE(MoveWindow(window, r.left, r.top, r.right, r.bottom - 26, FALSE));
    GetWindowRect(window, &r);
    EXPECT_EQ(r.top, 26);
    EXPECT_EQ(r.bottom, 320);
    EXPECT_TRUE(MoveWindow(window, 10, 40, 100, 50, TRUE));
    GetClientRect(window, &r);
    EXPECT_EQ(r.right, 100);
    EXPECT_EQ(r.bottom, 50);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_PAINT);
}

TEST_F(Windows, FindWindowAndForeground) {
    HWND window = create();
    EXPECT_EQ(FindWindowW(u"DORURURA", u"dorurura"), window);
    EXPECT_EQ(FindWindowW(u"DORURURA", nullptr), window);
    EXPECT_EQ(FindWindowW(u"DORURURA", u"other"), nullptr);
    EXPECT_EQ(FindWindowW(u"OTHER", u"dorurura"), nullptr);
    HWND second = CreateWindowExW(0, u"DORURURA", u"second", WS_VISIBLE, CW_USEDEFAULT, 0, CW_USEDEFAULT, 0,
                                  nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(platformActiveWindow(), second);
    auto ored = reinterpret_cast<HWND>(reinterpret_cast<uintptr_t>(window) | 1);
    EXPECT_TRUE(SetForegroundWindow(ored));
    EXPECT_EQ(platformActiveWindow(), window);
    EXPECT_FALSE(SetForegroundWindow(nullptr));
}

int frontRequests = 0;
bool otherCopyFound(const WCHAR* className, const WCHAR* title) {
    return std::u16string(className) == u"DORURURA" && std::u16string(title) == u"dorurura";
}
bool bringFront() {
    ++frontRequests;
    return true;
}
DWORD fixedTick() {
    return 5;
}

TEST_F(Windows, AnotherProcessCopyIsFoundAndBroughtForward) {
    PlatformBackend other{};
    other.name = "other-process";
    other.tickCount = fixedTick;
    other.findOtherCopy = otherCopyFound;
    other.bringOtherCopyToFront = bringFront;
    platformUseBackend(&other);
    frontRequests = 0;
    HWND running = FindWindowW(u"DORURURA", u"dorurura");
    ASSERT_NE(running, nullptr);
    EXPECT_EQ(FindWindowW(u"DORURURA", u"someone else"), nullptr);
    RECT r;
    EXPECT_FALSE(GetWindowRect(running, &r));
    EXPECT_EQ(GetDC(running), nullptr);
    EXPECT_TRUE(SetForegroundWindow(reinterpret_cast<HWND>(reinterpret_cast<uintptr_t>(running) | 1)));
    EXPECT_EQ(frontRequests, 1);
    EXPECT_EQ(GetTickCount(), 5u);
    platformUseBackend(nullptr);
    EXPECT_STREQ(platformBackend()->name, "headless");
}

TEST_F(Windows, StaleAndForeignHandlesAreRefused) {
    HWND window = create();
    DestroyWindow(window);
    HWND next = create();
    EXPECT_NE(next, window) << "a reused slot gives a new handle";
    RECT r;
    EXPECT_FALSE(GetWindowRect(window, &r));
    EXPECT_EQ(GetDC(window), nullptr);
    EXPECT_EQ(SendMessageW(reinterpret_cast<HWND>(0x1234560), WM_USER, 1, 0), 0);
    EXPECT_FALSE(ShowWindow(reinterpret_cast<HWND>(0x10), SW_SHOW));
    EXPECT_EQ(DispatchMessageW(nullptr), 0);
    EXPECT_FALSE(PeekMessageW(nullptr, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(Windows, ResetCleansEverything) {
    HWND window = create();
    ASSERT_NE(window, nullptr);
    headlessCommand(1);
    platformReset();
    RECT r;
    EXPECT_FALSE(GetWindowRect(window, &r));
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(GetTickCount(), 16u);
    EXPECT_EQ(FindWindowW(u"DORURURA", nullptr), nullptr);
    const uint32_t* display = platformDisplay();
    EXPECT_EQ(display[200 * 240 + 120], 0x00FFFFFFu) << "an empty desktop";
}

}  // namespace
