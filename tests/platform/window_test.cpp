// Windows and messages on the headless platform: creation and destruction, the queue and paint
// requests, pen input in client coordinates, the clock and the pass hook, another process's copy.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/headless.h"
#include "platform/host.h"
#include "platform/windows.h"

namespace {

std::vector<MSG> seen;  // what the window procedure was given
LRESULT createResult = 0;

LRESULT CALLBACK recordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    seen.push_back(MSG{window, message, wParam, lParam, 0, {}});
    if (message == WM_CREATE) return createResult;
    if (message == WM_DESTROY) PostQuitMessage(7);
    if (message == WM_USER) return static_cast<LRESULT>(wParam * 2);
    return DefWindowProcW(window, message, wParam, lParam);
}

std::vector<UINT> messages() {
    std::vector<UINT> out;
    for (const MSG& m : seen)
        out.push_back(m.message);
    seen.clear();
    return out;
}

void push(HostEventKind kind, int x = 0, int y = 0, WORD command = 0) {
    platformPushInput(HostEvent{kind, static_cast<int16_t>(x), static_cast<int16_t>(y), command});
}

MSG taken;  // what peek took
// One pass of the main loop: the message it takes (not dispatched), or 0.
UINT peek() {
    return PeekMessageW(&taken, nullptr, 0, 0, PM_REMOVE) ? taken.message : 0;
}

// Passes until one takes nothing, dispatching what they take.
void pump() {
    for (int i = 0; i < 100 && peek() && taken.message != WM_QUIT; ++i)
        DispatchMessageW(&taken);
}

class Windows : public ::testing::Test {
protected:
    void SetUp() override {
        platformReset();
        seen.clear();
        createResult = 0;
        WNDCLASSW wc{};
        wc.lpfnWndProc = recordingProc;
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        wc.lpszClassName = u"DORURURA";
        ASSERT_NE(RegisterClassW(&wc), 0);
    }
    static HWND create(LPCWSTR title = u"dorurura") {
        return CreateWindowExW(0, u"DORURURA", title, WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, nullptr, nullptr, nullptr, nullptr);
    }
};

TEST_F(Windows, CreationFillsTheScreenBelowTheNavigationBarOrFailsCleanly) {
    HWND window = create();
    EXPECT_EQ(messages(), std::vector<UINT>{WM_CREATE});
    RECT w, c;
    ASSERT_TRUE(GetWindowRect(window, &w) && GetClientRect(window, &c));
    EXPECT_EQ((std::vector<LONG>{w.left, w.top, w.right, w.bottom, c.right, c.bottom}),
              (std::vector<LONG>{0, 26, 240, 320, 240, 294}));
    // WM_CREATE refusing the window destroys it; unknown and duplicate classes are refused.
    createResult = -1;
    EXPECT_EQ(create(), nullptr);
    EXPECT_EQ(messages(), (std::vector<UINT>{WM_CREATE, WM_DESTROY}));
    EXPECT_EQ(CreateWindowExW(0, u"NOSUCH", u"", 0, 0, 0, 9, 9, nullptr, nullptr, nullptr, nullptr), nullptr);
    WNDCLASSW again{};
    again.lpfnWndProc = recordingProc;
    again.lpszClassName = u"dorurura";
    EXPECT_EQ(RegisterClassW(&again), 0) << "class names ignore case";
}

TEST_F(Windows, APaintIsAskedForUntilTheWindowIsPainted) {
    HWND window = create();
    EXPECT_EQ(peek(), WM_PAINT);
    EXPECT_EQ(peek(), WM_PAINT) << "not dispatched, so asked for again";
    messages();
    UpdateWindow(window);
    EXPECT_EQ(messages(), (std::vector<UINT>{WM_PAINT, WM_ERASEBKGND}));
    EXPECT_EQ(platformDisplay()[100 * 240 + 100], 0u) << "erased with the black class brush";
    EXPECT_EQ(peek(), 0u);
    ShowWindow(window, SW_HIDE);
    EXPECT_EQ(peek(), 0u);
    ShowWindow(window, SW_SHOW);
    EXPECT_EQ(peek(), WM_PAINT) << "shown again, its pixels count as lost";
    UpdateWindow(window);
    // The program's menu-bar adjustment passes the rectangle's right and bottom edges as width and
    // height; not grown, the window needs no paint. Grown, it does.
    RECT r;
    GetWindowRect(window, &r);
    EXPECT_TRUE(MoveWindow(window, r.left, r.top, r.right, r.bottom - 26, FALSE));
    GetWindowRect(window, &r);
    EXPECT_EQ((std::vector<LONG>{r.top, r.bottom}), (std::vector<LONG>{26, 320}));
    EXPECT_EQ(peek(), 0u);
    EXPECT_TRUE(MoveWindow(window, 10, 40, 300, 50, FALSE));
    EXPECT_EQ(peek(), WM_PAINT);
}

TEST_F(Windows, CloseDestroysAndTheQuitEndsTheLoopOnce) {
    HWND window = create();
    pump();
    messages();
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(messages(), (std::vector<UINT>{WM_CLOSE, WM_DESTROY}));
    RECT r;
    EXPECT_FALSE(GetWindowRect(window, &r)) << "the window is gone";
    EXPECT_EQ(peek(), WM_QUIT);
    EXPECT_EQ(taken.wParam, 7u);
    EXPECT_EQ(peek(), 0u);
    // A quit from the host closes the active window first.
    window = create();
    pump();
    push(HostEventKind::Quit);
    EXPECT_EQ(peek(), WM_CLOSE);
    EXPECT_EQ(taken.hwnd, window);
}

void recordPass(const PassInfo& pass, void* user) {
    auto& passes = *static_cast<std::vector<PassInfo>*>(user);
    passes.push_back(pass);
    if (passes.size() == 4) push(HostEventKind::Command, 0, 0, 40005);
}

TEST_F(Windows, EachPassAdvancesTheClockRunsTheHookAndTakesOneMessage) {
    HWND window = create();
    pump();
    EXPECT_EQ(SendMessageW(window, WM_USER, 21, 0), 42) << "sent at once";
    headlessSetStartTick(0xFFFFFFF0u);
    EXPECT_EQ(GetTickCount(), 0xFFFFFFF0u) << "the clock stands between passes";
    std::vector<PassInfo> passes;
    platformSetPassHook(recordPass, &passes);
    push(HostEventKind::Command, 0, 0, 40004);
    push(HostEventKind::Command, 0, 0, 40003);
    std::vector<WORD> commands;
    for (int i = 0; i < 5; ++i)
        commands.push_back(peek() ? LOWORD(taken.wParam) : 0);
    platformSetPassHook(nullptr, nullptr);
    EXPECT_EQ(commands, (std::vector<WORD>{40004, 40003, 0, 40005, 0}))
        << "the hook's input, in its own pass";
    ASSERT_EQ(passes.size(), 5u);
    EXPECT_EQ(passes[0].tick, 0u) << "the count wraps as an unsigned 32-bit value";
    EXPECT_EQ(passes[4].tick, 64u);
    EXPECT_EQ(passes[4].number, passes[0].number + 4);
    EXPECT_EQ(passes[0].kind, PassKind::Main);
    peek();
    EXPECT_EQ(passes.size(), 5u) << "the hook is gone";
}

TEST_F(Windows, PenGoesToTheWindowItWentDownOnInClientCoordinates) {
    HWND window = create();
    pump();
    seen.clear();
    push(HostEventKind::PenDown, 10, 26);
    push(HostEventKind::PenMove, -5, 20);  // dragged out over the navigation bar: still the window's
    push(HostEventKind::PenUp, 239, 319);
    push(HostEventKind::PenDown, 5, 10);  // the navigation bar's
    push(HostEventKind::PenUp, 5, 10);
    pump();
    std::vector<LPARAM> places;
    for (const MSG& m : seen)
        places.push_back(m.lParam);
    EXPECT_EQ(places, (std::vector<LPARAM>{MAKELPARAM(10, 0), MAKELPARAM(-5, -6), MAKELPARAM(239, 293)}));
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen[0].hwnd, window);
    EXPECT_EQ(messages(), (std::vector<UINT>{WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_LBUTTONUP}));
}

bool otherCopy(const WCHAR* className, const WCHAR* title) {
    return std::u16string(className) == u"DORURURA" && std::u16string(title) == u"dorurura";
}
int frontRequests = 0;
bool bringFront() {
    return ++frontRequests > 0;
}
DWORD fixedTick() {
    return 5;
}

TEST_F(Windows, FindWindowFindsThisProcesssWindowsThenAnotherCopy) {
    HWND first = create();
    HWND second = create(u"second");
    EXPECT_EQ(FindWindowW(u"dorurura", u"DORURURA"), first) << "names ignore case";
    EXPECT_EQ(FindWindowW(u"DORURURA", nullptr), second) << "the topmost";
    EXPECT_EQ(FindWindowW(u"OTHER", nullptr), nullptr);
    EXPECT_TRUE(SetForegroundWindow(reinterpret_cast<HWND>(reinterpret_cast<uintptr_t>(first) | 1)));
    EXPECT_EQ(FindWindowW(u"DORURURA", nullptr), first);
    DestroyWindow(first);
    DestroyWindow(second);
    // With another process's copy running, its window is found and brought forward only.
    PlatformBackend other{};
    other.tickCount = fixedTick;
    other.findOtherCopy = otherCopy;
    other.bringOtherCopyToFront = bringFront;
    platformUseBackend(&other);
    HWND running = FindWindowW(u"DORURURA", u"dorurura");
    ASSERT_NE(running, nullptr);
    EXPECT_EQ(FindWindowW(u"DORURURA", u"someone else"), nullptr);
    RECT r;
    EXPECT_FALSE(GetWindowRect(running, &r));
    EXPECT_EQ(GetDC(running), nullptr);
    EXPECT_TRUE(SetForegroundWindow(running));
    EXPECT_EQ(frontRequests, 1);
    EXPECT_EQ(GetTickCount(), 5u);
    platformUseBackend(nullptr);
    EXPECT_EQ(platformBackend(), headlessBackend());
}

TEST_F(Windows, StaleAndForeignHandlesAreRefusedAndResetLeavesNothing) {
    HWND window = create();
    DestroyWindow(window);
    HWND next = create();
    EXPECT_NE(next, window) << "a reused slot gives a new handle";
    RECT r;
    EXPECT_FALSE(GetWindowRect(window, &r));
    EXPECT_EQ(GetDC(window), nullptr);
    EXPECT_EQ(SendMessageW(reinterpret_cast<HWND>(0x1234560), WM_USER, 1, 0), 0);
    EXPECT_FALSE(ShowWindow(reinterpret_cast<HWND>(0x10), SW_SHOW));
    push(HostEventKind::Command, 0, 0, 1);
    platformReset();
    EXPECT_FALSE(GetWindowRect(next, &r));
    EXPECT_EQ(FindWindowW(u"DORURURA", nullptr), nullptr);
    EXPECT_EQ(peek(), 0u);
    EXPECT_EQ(GetTickCount(), 16u);
    EXPECT_EQ(platformDisplay()[200 * 240 + 120], 0x00FFFFFFu) << "an empty desktop";
}

}  // namespace
