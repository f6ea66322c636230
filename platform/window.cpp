// Window classes, windows, the message queue, input routing and paint requests.
#include <algorithm>
#include <cstring>

#include "platform/internal.h"

namespace plat {

namespace {

bool sameName(const WCHAR* a, const WCHAR* b) {
    for (;; ++a, ++b) {
        WCHAR ca = *a, cb = *b;
        if (ca >= u'a' && ca <= u'z') ca = static_cast<WCHAR>(ca - 32);
        if (cb >= u'a' && cb <= u'z') cb = static_cast<WCHAR>(cb - 32);
        if (ca != cb) return false;
        if (ca == 0) return true;
    }
}

void copyName(WCHAR* to, const WCHAR* from, int max) {
    int i = 0;
    if (from) {
        for (; i < max - 1 && from[i]; ++i)
            to[i] = from[i];
    }
    to[i] = 0;
}

int findClass(const WCHAR* name) {
    if (!name || IS_INTRESOURCE(name)) return -1;
    for (int i = 0; i < MaxClasses; ++i) {
        if (state().classes[i].used && sameName(state().classes[i].name, name)) return i;
    }
    return -1;
}

void removeFromZ(int slot) {
    State& s = state();
    int n = 0;
    for (int i = 0; i < s.zCount; ++i) {
        if (s.zOrder[i] != slot) s.zOrder[n++] = s.zOrder[i];
    }
    s.zCount = n;
}

bool inFilter(const MSG& msg, HWND window, UINT low, UINT high) {
    if (window && msg.hwnd != window) return false;
    if (low == 0 && high == 0) return true;
    return msg.message >= low && msg.message <= high;
}

LPARAM clientPoint(int slot, int x, int y) {
    const Window& w = state().windows[slot];
    return MAKELPARAM(x - w.rect.left, y - w.rect.top - w.clientTop);
}

bool insideWindow(const Window& w, int x, int y) {
    return x >= w.rect.left && x < w.rect.right && y >= w.rect.top && y < w.rect.bottom;
}

// Turns one raw input event into a posted message, or handles it, as the main loop sees it.
void routeMainInput(const HostEvent& event) {
    State& s = state();
    switch (event.kind) {
        case HostEventKind::PenDown: {
            s.lastPen = POINT{event.x, event.y};
            s.capture = CaptureKind::Nothing;
            s.captureWindow = -1;
            if (event.y >= 0 && event.y < NavBarHeight) {
                s.capture = CaptureKind::NavBar;
                return;
            }
            int target = -1;
            int top = topWindow();
            int bar = top >= 0 ? menuBarOf(top) : -1;
            if (bar >= 0 && s.windows[bar].visible && insideWindow(s.windows[bar], event.x, event.y)) {
                target = bar;
            } else {
                for (int z = s.zCount - 1; z >= 0; --z) {
                    const Window& w = s.windows[s.zOrder[z]];
                    if (w.visible && !w.destroying && insideWindow(w, event.x, event.y)) {
                        target = s.zOrder[z];
                        break;
                    }
                }
            }
            if (target < 0 || s.windows[target].disabled > 0 || (s.windows[target].style & WS_DISABLED))
                return;
            s.capture = CaptureKind::Window;
            s.captureWindow = target;
            postMessage(windowHandle(target), WM_LBUTTONDOWN, MK_LBUTTON,
                        clientPoint(target, event.x, event.y));
            return;
        }
        case HostEventKind::PenMove:
        case HostEventKind::PenUp: {
            s.lastPen = POINT{event.x, event.y};
            bool up = event.kind == HostEventKind::PenUp;
            if (s.capture == CaptureKind::Window && s.captureWindow >= 0 && s.windows[s.captureWindow].used) {
                int target = s.captureWindow;
                postMessage(windowHandle(target), up ? WM_LBUTTONUP : WM_MOUSEMOVE, up ? 0 : MK_LBUTTON,
                            clientPoint(target, event.x, event.y));
            }
            if (up) clearCapture();
            return;
        }
        case HostEventKind::KeyDown:
        case HostEventKind::KeyUp: {
            int top = topWindow();
            if (top < 0) return;
            bool down = event.kind == HostEventKind::KeyDown;
            postMessage(windowHandle(top), down ? WM_KEYDOWN : WM_KEYUP, event.key,
                        down ? 1 : static_cast<LPARAM>(0xC0000001u));
            return;
        }
        case HostEventKind::Command: {
            int top = topWindow();
            if (top >= 0) postMessage(windowHandle(top), WM_COMMAND, MAKEWPARAM(event.command, 0), 0);
            return;
        }
        case HostEventKind::Quit:
            routeQuit();
            return;
        case HostEventKind::Restore:
            routeRestore();
            return;
    }
}

uint16_t nextGeneration(uint16_t g) {
    return static_cast<uint16_t>(g == 0xFFFF ? 1 : g + 1);
}

constexpr int MaxWindowSide = 2048;

int clampSide(int v) {
    return v < 0 ? 0 : (v > MaxWindowSide ? MaxWindowSide : v);
}

}  // namespace

int windowSlot(HWND window) {
    uint32_t generation = 0;
    int slot = handleSlot(window, Kind::Window, &generation);
    if (slot < 0 || slot >= MaxWindows) return -1;
    const Window& w = state().windows[slot];
    if (!w.used || w.generation != generation) return -1;
    return slot;
}

HWND windowHandle(int slot) {
    if (slot < 0 || slot >= MaxWindows) return nullptr;
    return makeHandle<HWND>(Kind::Window, static_cast<uint32_t>(slot), state().windows[slot].generation);
}

int createWindowSlot(WindowKind kind) {
    State& s = state();
    for (int i = 0; i < MaxWindows; ++i) {
        Window& w = s.windows[i];
        if (w.used) continue;
        uint16_t generation = nextGeneration(w.generation);
        w.layer.clear();
        std::vector<uint32_t> keep = std::move(w.layer);
        w = Window{};
        w.layer = std::move(keep);
        w.used = true;
        w.generation = generation;
        w.kind = kind;
        return i;
    }
    return -1;
}

void freeWindowSlot(int slot) {
    State& s = state();
    Window& w = s.windows[slot];
    releaseWindowDc(slot);
    removeFromZ(slot);
    if (s.captureWindow == slot) clearCapture();
    w.used = false;
    w.layer.clear();
    w.layer.shrink_to_fit();
    w.layerWidth = w.layerHeight = 0;
    touchDisplay();
}

void resizeLayer(Window& w, int width, int height) {
    width = clampSide(width);
    height = clampSide(height);
    if (width == w.layerWidth && height == w.layerHeight && !w.layer.empty()) return;
    std::vector<uint32_t> old = std::move(w.layer);
    int oldWidth = w.layerWidth, oldHeight = w.layerHeight;
    w.layer.assign(static_cast<size_t>(width) * static_cast<size_t>(height), White);
    for (int y = 0; y < std::min(height, oldHeight); ++y) {
        for (int x = 0; x < std::min(width, oldWidth); ++x) {
            w.layer[static_cast<size_t>(y) * width + x] = old[static_cast<size_t>(y) * oldWidth + x];
        }
    }
    w.layerWidth = width;
    w.layerHeight = height;
    touchDisplay();
}

bool postMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    State& s = state();
    if (s.queueCount >= MaxQueue) return false;
    MSG& msg = s.queue[(s.queueHead + s.queueCount) % MaxQueue];
    msg = MSG{window, message, wParam, lParam, GetTickCount(), s.lastPen};
    ++s.queueCount;
    return true;
}

bool takePosted(MSG* msg) {
    State& s = state();
    if (s.queueCount == 0) return false;
    *msg = s.queue[s.queueHead];
    s.queueHead = (s.queueHead + 1) % MaxQueue;
    --s.queueCount;
    return true;
}

void routeQuit() {
    State& s = state();
    int top = topWindow();
    if (top >= 0) {
        postMessage(windowHandle(top), WM_CLOSE, 0, 0);
    } else {
        s.quitPosted = true;
        s.quitCode = 0;
    }
}

void routeRestore() {
    State& s = state();
    for (int i = 0; i < MaxWindows; ++i) {
        Window& w = s.windows[i];
        if (w.used && w.kind == WindowKind::App && w.visible) w.needPaint = true;
    }
    touchDisplay();
}

void clearCapture() {
    State& s = state();
    s.capture = CaptureKind::None;
    s.captureWindow = -1;
}

int topWindow() {
    State& s = state();
    for (int z = s.zCount - 1; z >= 0; --z) {
        const Window& w = s.windows[s.zOrder[z]];
        if (w.used && w.visible && !w.destroying) return s.zOrder[z];
    }
    return -1;
}

int menuBarOf(int window) {
    State& s = state();
    for (int i = 0; i < MaxWindows; ++i) {
        const Window& w = s.windows[i];
        if (w.used && !w.destroying && w.kind == WindowKind::MenuBar && w.parent == window) return i;
    }
    return -1;
}

bool dispatchPaint() {
    State& s = state();
    for (int z = s.zCount - 1; z >= 0; --z) {
        const Window& w = s.windows[s.zOrder[z]];
        if (w.visible && w.needPaint && !w.destroying) {
            SendMessageW(windowHandle(s.zOrder[z]), WM_PAINT, 0, 0);
            return true;
        }
    }
    return false;
}

}  // namespace plat

using namespace plat;

ATOM RegisterClassW(const WNDCLASSW* windowClass) {
    if (!windowClass || !windowClass->lpfnWndProc || !windowClass->lpszClassName ||
        IS_INTRESOURCE(windowClass->lpszClassName) || !windowClass->lpszClassName[0]) {
        return 0;
    }
    if (findClass(windowClass->lpszClassName) >= 0) return 0;
    State& s = state();
    for (int i = 0; i < MaxClasses; ++i) {
        WindowClass& c = s.classes[i];
        if (c.used) continue;
        c.used = true;
        copyName(c.name, windowClass->lpszClassName, MaxTitle);
        c.info = *windowClass;
        c.info.lpszClassName = c.name;
        c.info.lpszMenuName = nullptr;
        return static_cast<ATOM>(0xC000 + i);
    }
    return 0;
}

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
    int windowClass = findClass(className);
    if (windowClass < 0 || (style & WS_CHILD)) return nullptr;
    if (parent && windowSlot(parent) < 0) return nullptr;
    int slot = createWindowSlot(WindowKind::App);
    if (slot < 0) return nullptr;
    State& s = state();
    Window& w = s.windows[slot];
    const WindowClass& c = s.classes[windowClass];
    w.windowClass = windowClass;
    w.proc = c.info.lpfnWndProc;
    w.style = style;
    w.exStyle = exStyle;
    w.parent = parent ? windowSlot(parent) : -1;
    w.instance = instance;
    copyName(w.title, windowName && !IS_INTRESOURCE(windowName) ? windowName : u"", MaxTitle);
    // A default place is below the navigation bar, filling the rest of the screen.
    if (x == CW_USEDEFAULT) {
        x = 0;
        y = NavBarHeight;
    }
    if (width == CW_USEDEFAULT) {
        width = DisplayWidth;
        height = DisplayHeight - NavBarHeight;
    }
    width = clampSide(width);
    height = clampSide(height);
    w.rect = RECT{x, y, static_cast<LONG>(static_cast<int64_t>(x) + width),
                  static_cast<LONG>(static_cast<int64_t>(y) + height)};
    resizeLayer(w, width, height);
    w.visible = (style & WS_VISIBLE) != 0;
    w.needPaint = w.needErase = true;
    s.zOrder[s.zCount++] = slot;
    touchDisplay();
    HWND handle = windowHandle(slot);
    if (s.backend->windowCreated) s.backend->windowCreated(c.name, w.title);
    CREATESTRUCTW create{param,      instance,  menu,   parent, height, width, y, x, static_cast<LONG>(style),
                         windowName, className, exStyle};
    LRESULT result = SendMessageW(handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create));
    if (windowSlot(handle) < 0) return nullptr;  // destroyed while being created
    if (result == -1) {
        DestroyWindow(handle);
        return nullptr;
    }
    return handle;
}

BOOL DestroyWindow(HWND handle) {
    int slot = windowSlot(handle);
    if (slot < 0) return FALSE;
    State& s = state();
    Window& w = s.windows[slot];
    if (w.destroying) return FALSE;
    w.destroying = true;
    w.visible = false;
    touchDisplay();
    switch (w.kind) {
        case WindowKind::App:
            if (w.proc) w.proc(handle, WM_DESTROY, 0, 0);
            break;
        case WindowKind::MenuBar:
            destroyMenuBar(slot);
            break;
        case WindowKind::Dialog:
            dialogDestroyed(slot);
            if (w.dialogProc) w.dialogProc(handle, WM_DESTROY, 0, 0);
            break;
        case WindowKind::Remote:
            break;
    }
    // Then the windows it owns: its menu bar, its dialogs.
    for (int i = 0; i < MaxWindows; ++i) {
        if (s.windows[i].used && !s.windows[i].destroying && s.windows[i].parent == slot)
            DestroyWindow(windowHandle(i));
    }
    freeWindowSlot(slot);
    return TRUE;
}

HWND FindWindowW(LPCWSTR className, LPCWSTR windowName) {
    State& s = state();
    const WCHAR* cls = className && !IS_INTRESOURCE(className) ? className : nullptr;
    const WCHAR* title = windowName && !IS_INTRESOURCE(windowName) ? windowName : nullptr;
    for (int z = s.zCount - 1; z >= 0; --z) {
        const Window& w = s.windows[s.zOrder[z]];
        if (!w.used || w.destroying || w.kind != WindowKind::App) continue;
        if (cls && !sameName(s.classes[w.windowClass].name, cls)) continue;
        if (title && !sameName(w.title, title)) continue;
        return windowHandle(s.zOrder[z]);
    }
    // Another process may run it.
    if ((cls || title) && s.backend->findOtherCopy &&
        s.backend->findOtherCopy(cls ? cls : u"", title ? title : u"")) {
        for (int i = 0; i < MaxWindows; ++i) {
            if (s.windows[i].used && s.windows[i].kind == WindowKind::Remote) return windowHandle(i);
        }
        int slot = createWindowSlot(WindowKind::Remote);
        if (slot < 0) return nullptr;
        copyName(s.windows[slot].title, title ? title : u"", MaxTitle);
        return windowHandle(slot);
    }
    return nullptr;
}

BOOL SetForegroundWindow(HWND handle) {
    // The low bit asks for the window's owned windows to come forward too; they come with it.
    auto value = reinterpret_cast<uintptr_t>(handle) & ~static_cast<uintptr_t>(1);
    int slot = windowSlot(reinterpret_cast<HWND>(value));
    if (slot < 0) return FALSE;
    State& s = state();
    Window& w = s.windows[slot];
    if (w.kind == WindowKind::Remote) {
        return s.backend->bringOtherCopyToFront && s.backend->bringOtherCopyToFront() ? TRUE : FALSE;
    }
    if (w.kind != WindowKind::App || w.destroying) return FALSE;
    removeFromZ(slot);
    s.zOrder[s.zCount++] = slot;
    touchDisplay();
    return TRUE;
}

BOOL GetWindowRect(HWND handle, LPRECT rect) {
    int slot = windowSlot(handle);
    if (slot < 0 || !rect || state().windows[slot].kind == WindowKind::Remote) return FALSE;
    *rect = state().windows[slot].rect;
    return TRUE;
}

BOOL GetClientRect(HWND handle, LPRECT rect) {
    int slot = windowSlot(handle);
    if (slot < 0 || !rect) return FALSE;
    const Window& w = state().windows[slot];
    if (w.kind == WindowKind::Remote) return FALSE;
    if (w.kind == WindowKind::MenuBar) {
        *rect = RECT{0, 0, w.rect.right - w.rect.left, w.rect.bottom - w.rect.top};
    } else {
        *rect = RECT{0, 0, w.layerWidth, w.layerHeight};
    }
    return TRUE;
}

BOOL MoveWindow(HWND handle, int x, int y, int width, int height, BOOL repaint) {
    int slot = windowSlot(handle);
    if (slot < 0) return FALSE;
    Window& w = state().windows[slot];
    if (w.kind != WindowKind::App && w.kind != WindowKind::Dialog) return FALSE;
    width = clampSide(width);
    height = clampSide(height);
    int oldWidth = w.layerWidth, oldHeight = w.layerHeight + w.clientTop;
    w.rect = RECT{x, y, static_cast<LONG>(static_cast<int64_t>(x) + width),
                  static_cast<LONG>(static_cast<int64_t>(y) + height)};
    resizeLayer(w, width, std::max(0, height - w.clientTop));
    if (w.kind == WindowKind::Dialog) {
        renderDialog(slot);
    } else if (repaint || width > oldWidth || height > oldHeight) {
        w.needPaint = true;
        w.needErase = true;
    }
    touchDisplay();
    return TRUE;
}

BOOL ShowWindow(HWND handle, int command) {
    int slot = windowSlot(handle);
    if (slot < 0) return FALSE;
    Window& w = state().windows[slot];
    if (w.kind == WindowKind::Remote || w.destroying) return FALSE;
    BOOL wasVisible = w.visible ? TRUE : FALSE;
    bool show = command != SW_HIDE && command != SW_MINIMIZE;
    if (show && (!w.visible || command == SW_RESTORE)) w.needPaint = true;
    w.visible = show;
    touchDisplay();
    return wasVisible;
}

BOOL UpdateWindow(HWND handle) {
    int slot = windowSlot(handle);
    if (slot < 0) return FALSE;
    const Window& w = state().windows[slot];
    if (w.kind == WindowKind::App && w.visible && w.needPaint && !w.destroying) {
        SendMessageW(handle, WM_PAINT, 0, 0);
    }
    return TRUE;
}

BOOL PeekMessageW(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT removeMsg) {
    beginPass(PassKind::Main);
    if (!msg) return FALSE;
    State& s = state();
    bool remove = (removeMsg & PM_REMOVE) != 0;
    for (;;) {
        for (int n = 0; n < s.queueCount; ++n) {
            int index = (s.queueHead + n) % MaxQueue;
            if (!inFilter(s.queue[index], window, filterMin, filterMax)) continue;
            *msg = s.queue[index];
            if (remove) {
                for (int m = n; m + 1 < s.queueCount; ++m) {
                    s.queue[(s.queueHead + m) % MaxQueue] = s.queue[(s.queueHead + m + 1) % MaxQueue];
                }
                --s.queueCount;
            }
            return TRUE;
        }
        if (s.quitPosted &&
            (filterMin == 0 && filterMax == 0 ? true : WM_QUIT >= filterMin && WM_QUIT <= filterMax)) {
            *msg = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(s.quitCode), 0, GetTickCount(), s.lastPen};
            if (remove) s.quitPosted = false;
            return TRUE;
        }
        HostEvent event;
        if (!popInput(&event)) break;
        routeMainInput(event);
    }
    for (int z = s.zCount - 1; z >= 0; --z) {
        const Window& w = s.windows[s.zOrder[z]];
        if (!w.visible || !w.needPaint || w.destroying) continue;
        MSG paint{windowHandle(s.zOrder[z]), WM_PAINT, 0, 0, GetTickCount(), s.lastPen};
        if (!inFilter(paint, window, filterMin, filterMax)) continue;
        *msg = paint;
        return TRUE;
    }
    return FALSE;
}

BOOL TranslateMessage(const MSG* msg) {
    return msg && (msg->message == WM_KEYDOWN || msg->message == WM_KEYUP);
}

LRESULT DispatchMessageW(const MSG* msg) {
    if (!msg || !msg->hwnd) return 0;
    return SendMessageW(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

LRESULT SendMessageW(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    int slot = windowSlot(handle);
    if (slot < 0) return 0;
    Window& w = state().windows[slot];
    switch (w.kind) {
        case WindowKind::App:
            return w.proc ? w.proc(handle, message, wParam, lParam) : 0;
        case WindowKind::MenuBar:
            return menuBarProc(slot, message, wParam, lParam);
        case WindowKind::Dialog:
            return dialogSend(slot, message, wParam, lParam);
        case WindowKind::Remote:
            return 0;
    }
    return 0;
}

LRESULT DefWindowProcW(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    (void)lParam;
    int slot = windowSlot(handle);
    if (slot < 0) return 0;
    State& s = state();
    Window& w = s.windows[slot];
    switch (message) {
        case WM_CLOSE:
            DestroyWindow(handle);
            return 0;
        case WM_ERASEBKGND: {
            if (w.kind != WindowKind::App) return 0;
            uint32_t colour = 0;
            if (!brushColour(s.classes[w.windowClass].info.hbrBackground, &colour)) return 0;
            Canvas canvas = windowCanvas(slot);
            fillRect(canvas, 0, 0, w.layerWidth, w.layerHeight, colour);
            (void)wParam;
            return 1;
        }
        case WM_PAINT: {
            PAINTSTRUCT paint;
            BeginPaint(handle, &paint);
            EndPaint(handle, &paint);
            return 0;
        }
        default:
            return 0;
    }
}

void PostQuitMessage(int exitCode) {
    State& s = state();
    s.quitPosted = true;
    s.quitCode = exitCode;
}

HDC BeginPaint(HWND handle, LPPAINTSTRUCT paint) {
    int slot = windowSlot(handle);
    if (slot < 0 || !paint) return nullptr;
    Window& w = state().windows[slot];
    if (w.kind != WindowKind::App) return nullptr;
    HDC dc = GetDC(handle);
    std::memset(paint, 0, sizeof *paint);
    paint->hdc = dc;
    paint->rcPaint = RECT{0, 0, w.layerWidth, w.layerHeight};
    w.needPaint = false;
    if (w.needErase) {
        w.needErase = false;
        paint->fErase = SendMessageW(handle, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) ? FALSE : TRUE;
    }
    return dc;
}

BOOL EndPaint(HWND handle, const PAINTSTRUCT* paint) {
    return windowSlot(handle) >= 0 && paint ? TRUE : FALSE;
}

int platformWindowPixels(HWND window, const uint32_t** pixels, int* width, int* height) {
    int slot = windowSlot(window);
    if (slot < 0 || !pixels || !width || !height) return 0;
    const Window& w = state().windows[slot];
    if (w.kind != WindowKind::App && w.kind != WindowKind::Dialog) return 0;
    *pixels = w.layer.data();
    *width = w.layerWidth;
    *height = w.layerHeight;
    return 1;
}

HWND platformActiveWindow() {
    return windowHandle(topWindow());
}
