// The window manager, graphics, resource, time and sound calls the game makes, under their
// Windows CE names, types and numeric values. Only what the game uses is here.
//
// Drawing is done in software on 32-bit pixels (24-bit colour); the display is 240 x 320.
// Strings are 16-bit (WCHAR is char16_t, literals are u"...").
#pragma once

#include <cstdint>

#define CALLBACK
#define WINAPI

using BOOL = int;
using BYTE = uint8_t;
using SHORT = int16_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using UINT = unsigned int;
using LONG = int32_t;
using INT_PTR = intptr_t;
using ULONG_PTR = uintptr_t;
using DWORD_PTR = uintptr_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using ATOM = WORD;
using COLORREF = DWORD;
using WCHAR = char16_t;
using LPWSTR = WCHAR*;
using LPCWSTR = const WCHAR*;
using LPVOID = void*;

constexpr BOOL FALSE = 0;
constexpr BOOL TRUE = 1;

// Handles: distinct opaque pointer types. HGDIOBJ is untyped, as on the platform, so every drawing
// object passes to SelectObject and DeleteObject without a cast.
using HGDIOBJ = void*;
using HGLOBAL = void*;
using HWND = struct HWND__*;
using HDC = struct HDC__*;
using HBITMAP = struct HBITMAP__*;
using HBRUSH = struct HBRUSH__*;
using HICON = struct HICON__*;
using HMENU = struct HMENU__*;
using HINSTANCE = struct HINSTANCE__*;
using HRSRC = struct HRSRC__*;
using HACCEL = struct HACCEL__*;
using HMODULE = HINSTANCE;
using HCURSOR = HICON;

constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) {
    return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) | (static_cast<COLORREF>(b) << 16);
}

constexpr WORD LOWORD(DWORD_PTR l) {
    return static_cast<WORD>(l & 0xFFFF);
}
constexpr WORD HIWORD(DWORD_PTR l) {
    return static_cast<WORD>((l >> 16) & 0xFFFF);
}
// Each part is cut to 16 bits, so negative coordinates arrive as signed 16-bit values.
constexpr LPARAM MAKELPARAM(int low, int high) {
    return static_cast<LPARAM>(static_cast<WORD>(low) | (static_cast<DWORD>(static_cast<WORD>(high)) << 16));
}
constexpr WPARAM MAKEWPARAM(int low, int high) {
    return static_cast<WPARAM>(MAKELPARAM(low, high));
}
constexpr int GET_X_LPARAM(LPARAM l) {
    return static_cast<int16_t>(LOWORD(static_cast<DWORD_PTR>(l)));
}
constexpr int GET_Y_LPARAM(LPARAM l) {
    return static_cast<int16_t>(HIWORD(static_cast<DWORD_PTR>(l)));
}

// A resource number in place of a resource name.
inline LPWSTR MAKEINTRESOURCEW(ULONG_PTR id) {
    return reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(static_cast<WORD>(id)));
}
inline bool IS_INTRESOURCE(LPCWSTR name) {
    return (reinterpret_cast<ULONG_PTR>(name) >> 16) == 0;
}

#define RT_BITMAP MAKEINTRESOURCEW(2)
#define RT_ICON MAKEINTRESOURCEW(3)
#define RT_MENU MAKEINTRESOURCEW(4)
#define RT_DIALOG MAKEINTRESOURCEW(5)
#define RT_STRING MAKEINTRESOURCEW(6)
#define RT_ACCELERATOR MAKEINTRESOURCEW(9)
#define RT_RCDATA MAKEINTRESOURCEW(10)
#define RT_GROUP_ICON MAKEINTRESOURCEW(14)

struct RECT {
    LONG left, top, right, bottom;
};
using LPRECT = RECT*;

struct POINT {
    LONG x, y;
};

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;  // the pen's last place
};
using LPMSG = MSG*;

struct PAINTSTRUCT {
    HDC hdc;
    BOOL fErase;
    RECT rcPaint;
};
using LPPAINTSTRUCT = PAINTSTRUCT*;

struct BITMAP {
    LONG bmType, bmWidth, bmHeight, bmWidthBytes;
    WORD bmPlanes, bmBitsPixel;
    LPVOID bmBits;
};

using WNDPROC = LRESULT(CALLBACK*)(HWND, UINT, WPARAM, LPARAM);
using DLGPROC = INT_PTR(CALLBACK*)(HWND, UINT, WPARAM, LPARAM);

// Of a class, the platform uses the window procedure and the background brush.
struct WNDCLASSW {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra, cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCWSTR lpszMenuName, lpszClassName;
};

// A dialog template as stored in an RT_DIALOG resource: a packed header followed by parts of
// varying length, read byte by byte.
struct DLGTEMPLATE;
using LPCDLGTEMPLATEW = const DLGTEMPLATE*;

// Messages.
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_ACTIVATE = 0x0006;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_ERASEBKGND = 0x0014;
constexpr UINT WM_SETTINGCHANGE = 0x001A;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_SYSKEYDOWN = 0x0104;  // F10, and keys with Alt
constexpr UINT WM_SYSKEYUP = 0x0105;
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_USER = 0x0400;

constexpr WPARAM WA_INACTIVE = 0;
constexpr WPARAM MK_LBUTTON = 0x0001;

// Virtual-key codes (letters and digits are their upper-case ASCII codes).
constexpr WPARAM VK_RETURN = 0x0D;
constexpr WPARAM VK_CONTROL = 0x11;
constexpr WPARAM VK_ESCAPE = 0x1B;
constexpr WPARAM VK_SPACE = 0x20;
constexpr WPARAM VK_UP = 0x26;
constexpr WPARAM VK_RIGHT = 0x27;
constexpr WPARAM VK_DOWN = 0x28;
constexpr WPARAM VK_APPS = 0x5D;  // the context-menu key
constexpr WPARAM VK_F10 = 0x79;

// Accelerator table entries (RT_ACCELERATOR): the key is a virtual-key code, with Ctrl held.
constexpr uint16_t FVIRTKEY = 0x01;
constexpr uint16_t FSHIFT = 0x04;
constexpr uint16_t FCONTROL = 0x08;
constexpr uint16_t FALT = 0x10;

// PeekMessageW: the message is always taken from the queue.
constexpr UINT PM_REMOVE = 0x0001;

// Raster operations.
constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr DWORD SRCAND = 0x008800C6;
constexpr DWORD SRCPAINT = 0x00EE0086;

// GetDeviceCaps.
constexpr int HORZRES = 8;
constexpr int VERTRES = 10;

// GetStockObject: brushes 0 (white) to 4 (black).
constexpr int WHITE_BRUSH = 0;
constexpr int BLACK_BRUSH = 4;

// Windows, classes and dialogs.
constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000u);
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_GROUP = 0x00020000;
constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;
constexpr DWORD DS_SETFONT = 0x0040;
constexpr DWORD SS_CENTER = 0x0001;
constexpr DWORD SS_RIGHT = 0x0002;
constexpr DWORD SS_ICON = 0x0003;
constexpr DWORD SS_NOPREFIX = 0x0080;
constexpr int IDOK = 1;

// ShowWindow.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_RESTORE = 9;

// Menus.
constexpr UINT MF_BYCOMMAND = 0x0000;
constexpr UINT MF_UNCHECKED = 0x0000;
constexpr UINT MF_GRAYED = 0x0001;
constexpr UINT MF_DISABLED = 0x0002;
constexpr UINT MF_CHECKED = 0x0008;
constexpr UINT MF_POPUP = 0x0010;
constexpr UINT MF_END = 0x0080;
constexpr UINT MF_SEPARATOR = 0x0800;

// PlaySoundW.
constexpr DWORD SND_ASYNC = 0x00000001;
constexpr DWORD SND_LOOP = 0x00000008;
constexpr DWORD SND_RESOURCE = 0x00040004;

// Time.
DWORD GetTickCount();

// Graphics.
HDC GetDC(HWND window);
int GetDeviceCaps(HDC dc, int index);
HDC CreateCompatibleDC(HDC dc);
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
BOOL DeleteObject(HGDIOBJ object);
BOOL DeleteDC(HDC dc);
int GetObjectW(HGDIOBJ object, int bufferSize, LPVOID buffer);
HGDIOBJ GetStockObject(int index);
BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY, DWORD rop);
HBRUSH CreateSolidBrush(COLORREF colour);
BOOL Rectangle(HDC dc, int left, int top, int right, int bottom);

// Resources.
HBITMAP LoadBitmapW(HINSTANCE instance, LPCWSTR name);
HICON LoadIconW(HINSTANCE instance, LPCWSTR name);
int LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int bufferMax);
HACCEL LoadAcceleratorsW(HINSTANCE instance, LPCWSTR name);
// A key-down matching a virtual-key entry of the table, Ctrl and all (entries with Shift or Alt
// never match), is sent to window as WM_COMMAND (the entry's id, 1): gives 1; anything else, 0.
int TranslateAcceleratorW(HWND window, HACCEL table, LPMSG msg);
HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type);
HGLOBAL LoadResource(HMODULE module, HRSRC resource);

// Windows and messages.
ATOM RegisterClassW(const WNDCLASSW* windowClass);
// WM_CREATE comes with lParam 0; the menu, instance and parameter are not kept.
HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
BOOL DestroyWindow(HWND window);
HWND FindWindowW(LPCWSTR className, LPCWSTR windowName);
BOOL SetForegroundWindow(HWND window);
BOOL GetWindowRect(HWND window, LPRECT rect);
BOOL GetClientRect(HWND window, LPRECT rect);
BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint);
BOOL ShowWindow(HWND window, int command);
BOOL UpdateWindow(HWND window);
// Takes the next message for any window of the thread; the filters are not offered.
BOOL PeekMessageW(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT removeMsg);
BOOL TranslateMessage(const MSG* msg);  // no character messages are made: gives FALSE
// Whether a key is held, as of the message the loop last took: the high bit. Only VK_CONTROL is
// followed; other keys read as up.
SHORT GetKeyState(int key);
LRESULT DispatchMessageW(const MSG* msg);
LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
HDC BeginPaint(HWND window, LPPAINTSTRUCT paint);
BOOL EndPaint(HWND window, const PAINTSTRUCT* paint);

// Dialogs and menus.
INT_PTR DialogBoxIndirectParamW(HINSTANCE instance, LPCDLGTEMPLATEW dialogTemplate, HWND owner,
                                DLGPROC dialogProc, LPARAM initParam);
BOOL EndDialog(HWND dialog, INT_PTR result);
DWORD CheckMenuItem(HMENU menu, UINT item, UINT check);

// Sound.
BOOL PlaySoundW(LPCWSTR sound, HMODULE module, DWORD flags);
