// The Pocket PC shell calls: the menu bar, full-screen dialogs with a Done button, and the
// input panel's settings-change handling. The platform draws the shell itself (navigation bar,
// menu bar, popup menus and dialogs) into the 240 x 320 display.
#pragma once

#include "platform/windows.h"

// The menu bar's height: it takes the display's bottom rows.
constexpr int MenuBarHeight = 26;

// The menu bar, made from a menu bar record (RT_RCDATA) and its menu resource. This is the
// 32-byte form of the record, without a background colour; cbSize is 32 or
// sizeof(SHMENUBARINFO). No flags are offered.
struct SHMENUBARINFO {
    DWORD cbSize;
    HWND hwndParent;
    DWORD dwFlags;
    UINT nToolBarId;
    HINSTANCE hInstRes;
    int nBmpId;
    int cBmpImages;
    HWND hwndMB;  // the menu bar's window, filled in by SHCreateMenuBar
};

// Sent to the menu bar: lParam is a button's command id; the result is that button's popup
// menu (HMENU), or 0.
constexpr UINT SHCMBM_GETSUBMENU = WM_USER + 401;  // 0x591

BOOL SHCreateMenuBar(SHMENUBARINFO* info);

// Full-screen dialogs.
struct SHINITDLGINFO {
    DWORD dwMask;
    HWND hDlg;
    DWORD dwFlags;
};
using PSHINITDLGINFO = SHINITDLGINFO*;

constexpr DWORD SHIDIM_FLAGS = 0x0001;
constexpr DWORD SHIDIF_DONEBUTTON = 0x0001;
constexpr DWORD SHIDIF_SIZEDLGFULLSCREEN = 0x0004;
constexpr DWORD SHIDIF_SIPDOWN = 0x0008;

// An "ok" button for the dialog, which sends IDOK; it stands in the navigation bar.
constexpr DWORD WS_EX_CAPTIONOKBTN = 0x80000000;

BOOL SHInitDialog(PSHINITDLGINFO info);

// The shell's activation record for the input panel (its flags are not looked at).
struct SHACTIVATEINFO {
    DWORD cbSize;
    HWND hwndLastFocus;
    UINT flags;
};
using PSHACTIVATEINFO = SHACTIVATEINFO*;

// There is no input panel here, so there is nothing to adjust; gives TRUE.
BOOL SHHandleWMSettingChange(HWND window, WPARAM wParam, LPARAM lParam, PSHACTIVATEINFO info);
