// The Win32 desktop backend's own window, timer, wave device and mutex, on the real system calls.
#include "platform/win32_system.h"

#include <windows.h>
// after windows.h, whose types it uses
#include <mmsystem.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <iterator>
#include <vector>

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace win32 {
namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 strings pass to the system as they are");

constexpr int Width = 240, Height = 320;  // the display
constexpr int MaxScale = 3;
constexpr wchar_t ClassName[] = L"dorurura.desktop";
constexpr UINT FrontMessage = WM_APP + 1;    // another copy asks this one to come forward
constexpr LRESULT FrontAnswer = 0x64726E74;  // what the copy that plays answers
constexpr DWORD WindowStyle = WS_OVERLAPPEDWINDOW;

struct System {
    HWND window = nullptr;
    void (*handle)(const Event&) = nullptr;
    bool minimised = false;
    bool fullscreen = false;
    WINDOWPLACEMENT windowed{};  // the window's place before it went fullscreen
    uint32_t pixels[Width * Height] = {};
    BITMAPINFO picture{};
    HANDLE timer = nullptr;
    bool coarseTimer = false;  // the plain timer, with the system's timer resolution raised
    HWAVEOUT wave = nullptr;
    WAVEFORMATEX format{};  // the open device's
    WAVEHDR header{};
    std::vector<char> sound;  // what the device plays; grows to the longest sound, then stays
    HANDLE mutex = nullptr;
};

System* sys = nullptr;  // made at open, freed at close

// The display's place in the client area: the largest whole-number scale that fits, centred.
struct Placement {
    int scale, x, y;
};
Placement placement() {
    RECT client{};
    GetClientRect(sys->window, &client);
    const int scale = std::max(1L, std::min(client.right / Width, client.bottom / Height));
    return {scale, static_cast<int>(client.right - Width * scale) / 2,
            static_cast<int>(client.bottom - Height * scale) / 2};
}

void draw(HDC dc) {
    const Placement p = placement();
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchDIBits(dc, p.x, p.y, Width * p.scale, Height * p.scale, 0, 0, Width, Height, sys->pixels,
                  &sys->picture, DIB_RGB_COLORS, SRCCOPY);
}

void paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(sys->window, &ps);
    const Placement p = placement();
    RECT client{};
    GetClientRect(sys->window, &client);
    // The margins black, the picture over the rest.
    ExcludeClipRect(dc, p.x, p.y, p.x + Width * p.scale, p.y + Height * p.scale);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    SelectClipRgn(dc, nullptr);
    draw(dc);
    EndPaint(sys->window, &ps);
}

// A mouse position in display pixels (rounded down, so that left of the display is negative).
void button(EventKind kind, LPARAM where) {
    const Placement p = placement();
    const auto down = [&](int v, int offset) {
        const int d = v - offset;
        return (d >= 0 ? d : d - p.scale + 1) / p.scale;
    };
    const int x = static_cast<short>(LOWORD(where)), y = static_cast<short>(HIWORD(where));
    sys->handle({kind, down(x, p.x), down(y, p.y), 0, false});
}

void key(EventKind kind, WPARAM vk) {
    sys->handle({kind, 0, 0, static_cast<unsigned>(vk), GetKeyState(VK_CONTROL) < 0});
}

// Client size to window size for the style.
SIZE frameFor(int width, int height, DWORD style) {
    RECT r{0, 0, width, height};
    AdjustWindowRectEx(&r, style, FALSE, 0);
    return {r.right - r.left, r.bottom - r.top};
}

// Fullscreen: borderless over the whole monitor; back: the frame, size and place it had.
void setFullscreen(bool on) {
    if (on == sys->fullscreen) return;
    const LONG_PTR style = GetWindowLongPtrW(sys->window, GWL_STYLE);
    if (on) {
        sys->windowed.length = sizeof sys->windowed;
        GetWindowPlacement(sys->window, &sys->windowed);
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        GetMonitorInfoW(MonitorFromWindow(sys->window, MONITOR_DEFAULTTONEAREST), &monitor);
        const RECT& m = monitor.rcMonitor;
        SetWindowLongPtrW(sys->window, GWL_STYLE, (style & ~LONG_PTR{WindowStyle}) | WS_POPUP);
        SetWindowPos(sys->window, HWND_TOP, m.left, m.top, m.right - m.left, m.bottom - m.top,
                     SWP_NOOWNERZORDER | SWP_FRAMECHANGED);
    } else {
        SetWindowLongPtrW(sys->window, GWL_STYLE, (style & ~LONG_PTR{WS_POPUP}) | WindowStyle);
        SetWindowPos(sys->window, nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_FRAMECHANGED);
        UINT& show = sys->windowed.showCmd;  // as it was, unless it went fullscreen hidden (at start)
        show = !IsWindowVisible(sys->window) ? SW_HIDE : show == SW_SHOWMAXIMIZED ? show : SW_SHOWNORMAL;
        SetWindowPlacement(sys->window, &sys->windowed);
    }
    sys->fullscreen = on;
    InvalidateRect(sys->window, nullptr, FALSE);
}

// Keys: F11 and Alt+Enter toggle fullscreen; other keys with Alt are the system's (Alt+F4, Alt+Space);
// the rest are reported, each press once.
bool keyMessage(UINT message, WPARAM vk, LPARAM flags) {
    const bool alt = (flags & (1 << 29)) != 0, repeat = (flags & (1 << 30)) != 0;
    const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
    if (vk == VK_F11 || (vk == VK_RETURN && alt)) {
        if (down && !repeat) setFullscreen(!sys->fullscreen);
        return true;
    }
    if (alt) return false;
    if (!(down && repeat)) key(down ? EventKind::KeyDown : EventKind::KeyUp, vk);
    return true;
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!sys || window != sys->window) return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
        case WM_CLOSE:
            sys->handle({EventKind::Close, 0, 0, 0, false});
            return 0;
        case WM_SIZE:
            if (wParam == SIZE_MINIMIZED) {
                sys->minimised = true;
            } else if (sys->minimised) {
                sys->minimised = false;
                sys->handle({EventKind::Restored, 0, 0, 0, false});
            }
            InvalidateRect(window, nullptr, FALSE);
            return 0;
        case WM_GETMINMAXINFO: {
            const SIZE least =
                frameFor(Width, Height, static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)));
            reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {least.cx, least.cy};
            return 0;
        }
        case WM_DPICHANGED: {
            const RECT* r = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(window, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;  // painting covers it all
        case WM_PAINT:
            paint();
            return 0;
        case WM_LBUTTONDOWN:
            SetCapture(window);
            button(EventKind::ButtonDown, lParam);
            return 0;
        case WM_MOUSEMOVE:
            if (GetCapture() == window) button(EventKind::ButtonMove, lParam);
            return 0;
        case WM_LBUTTONUP:
            button(EventKind::ButtonUp, lParam);
            ReleaseCapture();
            return 0;
        case WM_CAPTURECHANGED:
            sys->handle({EventKind::ButtonUp, -1, -1, 0, false});
            return 0;
        case WM_KEYDOWN:
        case WM_KEYUP:
        case WM_SYSKEYDOWN:
        case WM_SYSKEYUP:
            if (keyMessage(message, wParam, lParam)) return 0;
            break;
        case WM_SYSCHAR:
            if (wParam == VK_RETURN) return 0;  // Alt+Enter, without the system's beep
            break;
        case FrontMessage:
            if (!sys->mutex) return 0;  // only the copy that plays answers
            if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
            SetForegroundWindow(window);
            return FrontAnswer;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

int chooseScale(int requested) {
    if (requested > 0) return std::min(requested, 16);
    RECT work{};
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) return 1;
    int scale = MaxScale;
    for (SIZE s = frameFor(Width * scale, Height * scale, WindowStyle);
         scale > 1 && (s.cx > work.right - work.left || s.cy > work.bottom - work.top);
         s = frameFor(Width * scale, Height * scale, WindowStyle))
        --scale;
    return scale;
}

void say(char* text, size_t size, const char* what) {
    const DWORD error = GetLastError();
    if (text && size > 0 && error) std::snprintf(text, size, "%s (error %lu)", what, error);
    else if (text && size > 0) std::snprintf(text, size, "%s", what);
}

}  // namespace

bool open(int scale, bool fullscreen, void (*handle)(const Event&), char* error, size_t errorSize) {
    if (sys) return true;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));         // the program's icon, when it has one
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // the arrow
    wc.lpszClassName = ClassName;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        say(error, errorSize, "cannot register the window class");
        return false;
    }
    sys = new System;
    sys->handle = handle;
    BITMAPINFOHEADER& h = sys->picture.bmiHeader;
    h.biSize = sizeof h;
    h.biWidth = Width;
    h.biHeight = -Height;  // rows top to bottom
    h.biPlanes = 1;
    h.biBitCount = 32;
    h.biCompression = BI_RGB;
    const int s = chooseScale(scale);
    const SIZE frame = frameFor(Width * s, Height * s, WindowStyle);
    RECT work{0, 0, frame.cx, frame.cy};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int x = std::max(work.left, (work.left + work.right - frame.cx) / 2);
    const int y = std::max(work.top, (work.top + work.bottom - frame.cy) / 2);
    sys->window = CreateWindowExW(0, ClassName, L"dorurura", WindowStyle, x, y, frame.cx, frame.cy, nullptr,
                                  nullptr, instance, nullptr);
    if (!sys->window) {
        say(error, errorSize, "cannot open a window");
        close();
        return false;
    }
    if (fullscreen) setFullscreen(true);
    sys->timer =
        CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS);
    if (!sys->timer) {
        // An older system: the plain timer, with the system's timer ticking every millisecond.
        sys->timer = CreateWaitableTimerW(nullptr, TRUE, nullptr);
        sys->coarseTimer = timeBeginPeriod(1) == TIMERR_NOERROR;
    }
    return true;
}

void close() {
    if (!sys) return;
    stopSound();
    if (sys->wave) waveOutClose(sys->wave);
    if (sys->coarseTimer) timeEndPeriod(1);
    if (sys->timer) CloseHandle(sys->timer);
    if (sys->mutex) CloseHandle(sys->mutex);
    if (sys->window) DestroyWindow(sys->window);
    delete sys;
    sys = nullptr;
    pump();  // what the window's end left in the queue
}

void show(const char16_t* title) {
    if (!sys) return;
    if (title && *title) SetWindowTextW(sys->window, reinterpret_cast<const wchar_t*>(title));
    ShowWindow(sys->window, SW_SHOW);
    SetForegroundWindow(sys->window);
}

void present(const uint32_t* display) {
    if (!sys || !display) return;
    std::memcpy(sys->pixels, display, sizeof sys->pixels);
    if (IsIconic(sys->window) || !IsWindowVisible(sys->window)) return;
    HDC dc = GetDC(sys->window);
    draw(dc);
    ReleaseDC(sys->window, dc);
}

void pump() {
    // Asked every pass, even with nothing waiting: a thread that has not asked for a message in 5 s
    // is one the system takes as not responding (and other copies then do not wait for an answer).
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

uint64_t counter() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<uint64_t>(now.QuadPart);
}

uint64_t counterFrequency() {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<uint64_t>(frequency.QuadPart);
}

void sleep(uint32_t milliseconds) {
    LARGE_INTEGER due;
    due.QuadPart = -static_cast<LONGLONG>(milliseconds) * 10000;  // relative, in 100 ns
    if (sys && sys->timer && SetWaitableTimer(sys->timer, &due, 0, nullptr, nullptr, FALSE))
        WaitForSingleObject(sys->timer, milliseconds + 1000);
    else
        Sleep(milliseconds);
}

void stopSound() {
    if (!sys || !sys->wave || !(sys->header.dwFlags & WHDR_PREPARED)) return;  // none handed over
    waveOutReset(sys->wave);
    waveOutUnprepareHeader(sys->wave, &sys->header, sizeof sys->header);
    sys->header = WAVEHDR{};
}

void playSound(uint16_t channels, uint32_t sampleRate, uint16_t bitsPerSample, const uint8_t* samples,
               uint32_t bytes, bool loop) {
    if (!sys) return;
    stopSound();
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = channels;
    format.nSamplesPerSec = static_cast<DWORD>(sampleRate);
    format.wBitsPerSample = bitsPerSample;
    format.nBlockAlign = static_cast<WORD>(channels * bitsPerSample / 8);
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
    bytes -= format.nBlockAlign ? bytes % format.nBlockAlign : bytes;
    if (bytes == 0) return;
    if (sys->wave && std::memcmp(&format, &sys->format, sizeof format) != 0) {
        waveOutClose(sys->wave);
        sys->wave = nullptr;
    }
    if (!sys->wave) {
        if (waveOutOpen(&sys->wave, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) {
            sys->wave = nullptr;  // no device: silence
            return;
        }
        sys->format = format;
    }
    sys->sound.assign(samples, samples + bytes);
    sys->header.lpData = sys->sound.data();
    sys->header.dwBufferLength = bytes;
    if (loop) {
        sys->header.dwFlags = WHDR_BEGINLOOP | WHDR_ENDLOOP;
        sys->header.dwLoops = 0x7FFFFFFF;  // years of the reels' hum
    }
    if (waveOutPrepareHeader(sys->wave, &sys->header, sizeof sys->header) == MMSYSERR_NOERROR)
        waveOutWrite(sys->wave, &sys->header, sizeof sys->header);
}

int claimCopy(const char16_t* className, char* why, size_t whySize) {
    if (!sys) {
        std::snprintf(why, whySize, "no window");
        return -1;
    }
    if (sys->mutex) return 1;
    wchar_t name[128] = L"Local\\dorurura-";
    size_t length = std::wcslen(name);
    for (const char16_t* c = className; c && *c && length + 1 < std::size(name); ++c)
        if ((*c >= u'0' && *c <= u'9') || (*c >= u'A' && *c <= u'Z') || (*c >= u'a' && *c <= u'z'))
            name[length++] = static_cast<wchar_t>(*c);
    name[length] = 0;
    HANDLE mutex = CreateMutexW(nullptr, FALSE, name);
    if (!mutex) {
        say(why, whySize, "cannot make the mutex");
        return -1;
    }
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return 0;
    }
    sys->mutex = mutex;
    return 1;
}

bool askOtherCopyForward(int patienceMs) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(std::max(0, patienceMs));
    for (ULONGLONG now = GetTickCount64(); now < deadline; Sleep(20), now = GetTickCount64()) {
        // The other copy's window may not be there yet: it claims before it shows itself.
        for (HWND other = nullptr; (other = FindWindowExW(nullptr, other, ClassName, nullptr)) != nullptr;) {
            if ((sys && other == sys->window) || !IsWindowVisible(other)) continue;
            DWORD process = 0;
            GetWindowThreadProcessId(other, &process);
            AllowSetForegroundWindow(process);  // this copy was started by the user: it may lend that
            DWORD_PTR answer = 0;
            const UINT left = static_cast<UINT>(deadline - std::min(deadline, GetTickCount64()));
            if (SendMessageTimeoutW(other, FrontMessage, 0, 0, SMTO_ABORTIFHUNG, left, &answer) &&
                static_cast<LRESULT>(answer) == FrontAnswer)
                return true;
        }
    }
    return false;
}

}  // namespace win32
