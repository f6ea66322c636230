// Window classes, windows, the message queue, input routing and paint requests.
#include <algorithm>
#include <string_view>

#include "platform/internal.h"

namespace plat {

namespace {

void copyName(WCHAR* to, const WCHAR* from, int max) {
    to[from ? std::u16string_view(from).copy(to, static_cast<size_t>(max - 1)) : 0] = 0;
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
    s.zCount = static_cast<int>(std::remove(s.zOrder, s.zOrder + s.zCount, slot) - s.zOrder);
}

// The topmost application window that passes the test, or -1.
template <typename Test>
int topmost(Test test) {
    const State& s = state();
    for (int z = s.zCount - 1; z >= 0; --z) {
        if (test(s.windows[s.zOrder[z]])) return s.zOrder[z];
    }
    return -1;
}

LPARAM clientPoint(int slot, int x, int y) {
    const Window& w = state().windows[slot];
    return MAKELPARAM(x - w.rect.left, y - w.rect.top);
}

// Turns one raw input event into a posted message, as the main loop sees it.
void routeMainInput(const HostEvent& event) {
    State& s = state();
    switch (event.kind) {
        case HostEventKind::PenDown: {
            s.captureWindow = -1;
            if (event.y >= 0 && event.y < NavBarHeight) return;  // the navigation bar takes it
            int target = menuBarOf(topWindow());                 // the menu bar is above every window
            if (target < 0 || !s.windows[target].visible ||
                !inside(s.windows[target].rect, event.x, event.y)) {
                target = topmost([&event](const Window& w) {
                    return w.visible && !w.destroying && inside(w.rect, event.x, event.y);
                });
            }
            if (target < 0) return;
            s.captureWindow = target;
            postMessage(windowHandle(target), WM_LBUTTONDOWN, MK_LBUTTON,
                        clientPoint(target, event.x, event.y));
            return;
        }
        case HostEventKind::PenMove:
        case HostEventKind::PenUp: {
            bool up = event.kind == HostEventKind::PenUp;
            if (const int target = s.captureWindow; target >= 0 && s.windows[target].used)
                postMessage(windowHandle(target), up ? WM_LBUTTONUP : WM_MOUSEMOVE, up ? 0 : MK_LBUTTON,
                            clientPoint(target, event.x, event.y));
            if (up) clearCapture();
            return;
        }
        case HostEventKind::Command:
            if (int top = topWindow(); top >= 0)
                postMessage(windowHandle(top), WM_COMMAND, MAKEWPARAM(event.command, 0), 0);
            return;
        case HostEventKind::KeyDown:
        case HostEventKind::KeyUp: {
            // Keys go to the active window; F10 is a system key, as it opens the menu.
            const bool down = event.kind == HostEventKind::KeyDown, system = event.command == VK_F10;
            const UINT message = system ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : down ? WM_KEYDOWN : WM_KEYUP;
            if (int top = topWindow(); top >= 0) postMessage(windowHandle(top), message, event.command, 1);
            return;
        }
        default:  // a quit or restore, already carried out
            return;
    }
}

// The window of another process's copy, found by FindWindowW: no window of this process.
const HWND OtherCopy = makeHandle<HWND>(Kind::Window, MaxWindows, 1);

constexpr int MaxWindowSide = 2048;

// Places an application window; its client area is the whole window.
void place(Window& w, int x, int y, int width, int height) {
    width = std::clamp(width, 0, MaxWindowSide);
    height = std::clamp(height, 0, MaxWindowSide);
    w.rect = RECT{x, y, static_cast<LONG>(static_cast<int64_t>(x) + width),
                  static_cast<LONG>(static_cast<int64_t>(y) + height)};
    resizeLayer(w, width, height);
}

// The live window a handle names, or null.
Window* windowOf(HWND handle) {
    const int slot = windowSlot(handle);
    return slot < 0 ? nullptr : &state().windows[slot];
}

}  // namespace

HWND windowHandle(int slot) {
    if (slot < 0 || slot >= MaxWindows) return nullptr;
    return slotHandle<HWND>(Kind::Window, state().windows, slot);
}

int createWindowSlot(WindowKind kind) {
    int slot = takeSlot(state().windows);
    if (slot >= 0) state().windows[slot].kind = kind;
    return slot;
}

void resizeLayer(Window& w, int width, int height) {
    width = std::clamp(width, 0, MaxWindowSide);
    height = std::clamp(height, 0, MaxWindowSide);
    if (width == w.layerWidth && height == w.layerHeight && !w.layer.empty()) return;
    Pixels old = std::move(w.layer);
    int oldWidth = w.layerWidth, oldHeight = w.layerHeight;
    w.layer.assign(static_cast<size_t>(width) * static_cast<size_t>(height), White);
    for (int y = 0; y < std::min(height, oldHeight); ++y)
        std::copy_n(old.begin() + y * oldWidth, std::min(width, oldWidth), w.layer.begin() + y * width);
    w.layerWidth = width;
    w.layerHeight = height;
    touchDisplay();
}

bool postMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    State& s = state();
    return s.queue.push(MSG{window, message, wParam, lParam, GetTickCount(), s.lastPen});
}

void clearCapture() {
    state().captureWindow = -1;
}

int topWindow() {
    return topmost([](const Window& w) { return w.visible && !w.destroying; });
}

int menuBarOf(int window) {
    State& s = state();
    for (int i = 0; i < MaxWindows; ++i) {
        const Window& w = s.windows[i];
        if (w.used && !w.destroying && w.kind == WindowKind::MenuBar && w.parent == window) return i;
    }
    return -1;
}

// The topmost window that waits to be painted, or -1.
int paintPending() {
    return topmost([](const Window& w) { return w.visible && w.needPaint && !w.destroying; });
}

bool dispatchPaint() {
    int slot = paintPending();
    if (slot >= 0) SendMessageW(windowHandle(slot), WM_PAINT, 0, 0);
    return slot >= 0;
}

}  // namespace plat

using namespace plat;

ATOM RegisterClassW(const WNDCLASSW* windowClass) {
    const WCHAR* name = windowClass ? windowClass->lpszClassName : nullptr;
    if (!windowClass || !windowClass->lpfnWndProc || !name || IS_INTRESOURCE(name) || !name[0]) return 0;
    if (findClass(name) >= 0) return 0;
    WindowClass* const classes = state().classes;
    WindowClass* c =
        std::find_if(classes, classes + MaxClasses, [](const WindowClass& k) { return !k.used; });
    if (c == classes + MaxClasses) return 0;
    c->used = true;
    copyName(c->name, name, MaxTitle);
    c->info = *windowClass;
    c->info.lpszClassName = c->name;
    c->info.lpszMenuName = nullptr;
    return static_cast<ATOM>(0xC000 + (c - classes));
}

HWND CreateWindowExW(DWORD, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU, HINSTANCE, LPVOID) {
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
    w.parent = parent ? windowSlot(parent) : -1;
    copyName(w.title, windowName && !IS_INTRESOURCE(windowName) ? windowName : u"", MaxTitle);
    // A default place is below the navigation bar, filling the rest of the screen.
    const bool defaultPlace = x == CW_USEDEFAULT, defaultSize = width == CW_USEDEFAULT;
    place(w, defaultPlace ? 0 : x, defaultPlace ? NavBarHeight : y, defaultSize ? DisplayWidth : width,
          defaultSize ? DisplayHeight - NavBarHeight : height);
    w.visible = (style & WS_VISIBLE) != 0;
    w.needPaint = w.needErase = true;
    s.zOrder[s.zCount++] = slot;
    touchDisplay();
    HWND handle = windowHandle(slot);
    if (s.backend->windowCreated) s.backend->windowCreated(c.name, w.title);
    if (SendMessageW(handle, WM_CREATE, 0, 0) == -1) DestroyWindow(handle);
    return windowSlot(handle) < 0 ? nullptr : handle;  // it may have been destroyed while created
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
    if (w.kind == WindowKind::MenuBar) destroyMenuBar(slot);
    if (w.kind == WindowKind::Dialog) dialogDestroyed(slot);
    SendMessageW(handle, WM_DESTROY, 0, 0);
    // Then the windows it owns: its menu bar, its dialogs.
    for (int i = 0; i < MaxWindows; ++i) {
        if (s.windows[i].used && !s.windows[i].destroying && s.windows[i].parent == slot)
            DestroyWindow(windowHandle(i));
    }
    // Then the window itself.
    releaseWindowDc(slot);
    removeFromZ(slot);
    if (s.captureWindow == slot) clearCapture();
    freeSlot(w);
    touchDisplay();
    return TRUE;
}

HWND FindWindowW(LPCWSTR className, LPCWSTR windowName) {
    State& s = state();
    const WCHAR* cls = className && !IS_INTRESOURCE(className) ? className : nullptr;
    const WCHAR* title = windowName && !IS_INTRESOURCE(windowName) ? windowName : nullptr;
    int found = topmost([&](const Window& w) {
        return !w.destroying && (!cls || sameName(s.classes[w.windowClass].name, cls)) &&
               (!title || sameName(w.title, title));
    });
    if (found >= 0) return windowHandle(found);
    // Another process may run it.
    bool other = (cls || title) && s.backend->findOtherCopy &&
                 s.backend->findOtherCopy(cls ? cls : u"", title ? title : u"");
    return other ? OtherCopy : nullptr;
}

BOOL SetForegroundWindow(HWND handle) {
    // The low bit asks for the window's owned windows to come forward too; they come with it.
    auto window = reinterpret_cast<HWND>(reinterpret_cast<uintptr_t>(handle) & ~static_cast<uintptr_t>(1));
    State& s = state();
    if (window == OtherCopy) return s.backend->bringOtherCopyToFront && s.backend->bringOtherCopyToFront();
    int slot = windowSlot(window);
    if (slot < 0 || s.windows[slot].kind != WindowKind::App || s.windows[slot].destroying) return FALSE;
    removeFromZ(slot);
    s.zOrder[s.zCount++] = slot;
    touchDisplay();
    return TRUE;
}

BOOL GetWindowRect(HWND handle, LPRECT rect) {
    const Window* w = windowOf(handle);
    if (!w || !rect) return FALSE;
    *rect = w->rect;
    return TRUE;
}

BOOL GetClientRect(HWND handle, LPRECT rect) {
    const Window* w = windowOf(handle);
    if (!w || !rect) return FALSE;
    *rect = RECT{0, 0, w->layerWidth, w->layerHeight};
    return TRUE;
}

BOOL MoveWindow(HWND handle, int x, int y, int width, int height, BOOL repaint) {
    Window* w = windowOf(handle);
    if (!w || w->kind != WindowKind::App) return FALSE;
    int oldWidth = w->layerWidth, oldHeight = w->layerHeight;
    place(*w, x, y, width, height);
    if (repaint || w->layerWidth > oldWidth || w->layerHeight > oldHeight) w->needPaint = w->needErase = true;
    touchDisplay();
    return TRUE;
}

BOOL ShowWindow(HWND handle, int command) {
    Window* w = windowOf(handle);
    if (!w || w->destroying) return FALSE;
    BOOL wasVisible = w->visible ? TRUE : FALSE;
    bool show = command != SW_HIDE && command != SW_MINIMIZE;
    if (show && (!w->visible || command == SW_RESTORE)) w->needPaint = true;
    w->visible = show;
    touchDisplay();
    return wasVisible;
}

BOOL UpdateWindow(HWND handle) {
    const Window* w = windowOf(handle);
    if (!w) return FALSE;
    if (w->kind == WindowKind::App && w->visible && w->needPaint && !w->destroying)
        SendMessageW(handle, WM_PAINT, 0, 0);
    return TRUE;
}

BOOL PeekMessageW(LPMSG msg, HWND, UINT, UINT, UINT) {
    beginPass(PassKind::Main);
    if (!msg) return FALSE;
    State& s = state();
    for (HostEvent event;;) {
        if (s.queue.pop(msg)) return TRUE;
        if (s.quitPosted) {
            *msg = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(s.quitCode), 0, GetTickCount(), s.lastPen};
            s.quitPosted = false;
            return TRUE;
        }
        if (!popInput(&event)) break;
        routeMainInput(event);
    }
    // Nothing posted: a paint, left waiting until the window is painted.
    int slot = paintPending();
    if (slot < 0) return FALSE;
    *msg = MSG{windowHandle(slot), WM_PAINT, 0, 0, GetTickCount(), s.lastPen};
    return TRUE;
}

BOOL TranslateMessage(const MSG*) {
    return FALSE;
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
            return w.proc(handle, message, wParam, lParam);
        case WindowKind::MenuBar:
            return menuBarProc(slot, message, lParam);
        case WindowKind::Dialog:
            return w.dialogProc(handle, message, wParam, lParam);
    }
    return 0;
}

LRESULT DefWindowProcW(HWND handle, UINT message, WPARAM wParam, LPARAM) {
    int slot = windowSlot(handle);
    if (slot < 0) return 0;
    State& s = state();
    Window& w = s.windows[slot];
    if (message == WM_CLOSE) {
        DestroyWindow(handle);
    } else if (message == WM_SYSKEYDOWN || message == WM_KEYDOWN) {
        // F10 and the context-menu key open the window's menu bar menu.
        if (int bar = menuBarOf(slot);
            bar >= 0 && !s.controlHeld && wParam == (message == WM_SYSKEYDOWN ? VK_F10 : VK_APPS))
            menuBarProc(bar, WM_SYSKEYDOWN, 0);
    } else if (message == WM_ERASEBKGND) {
        uint32_t colour = 0;
        if (w.kind != WindowKind::App || !brushColour(s.classes[w.windowClass].info.hbrBackground, &colour))
            return 0;
        fillPixels(windowCanvas(slot), 0, 0, w.layerWidth, w.layerHeight, colour);
        return 1;
    } else if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        BeginPaint(handle, &paint);
        EndPaint(handle, &paint);
    }
    return 0;
}

void PostQuitMessage(int exitCode) {
    State& s = state();
    s.quitPosted = true;
    s.quitCode = exitCode;
}

HDC BeginPaint(HWND handle, LPPAINTSTRUCT paint) {
    Window* w = windowOf(handle);
    if (!w || !paint || w->kind != WindowKind::App) return nullptr;
    HDC dc = GetDC(handle);
    *paint = PAINTSTRUCT{dc, FALSE, RECT{0, 0, w->layerWidth, w->layerHeight}};
    w->needPaint = false;
    if (w->needErase) {
        w->needErase = false;
        paint->fErase = SendMessageW(handle, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) ? FALSE : TRUE;
    }
    return dc;
}

BOOL EndPaint(HWND handle, const PAINTSTRUCT* paint) {
    return windowSlot(handle) >= 0 && paint ? TRUE : FALSE;
}
