// What the platform holds, read back for tests: the pixels of bitmaps and windows, the shell's open
// menus and dialogs and where their items stand, and the headless backend's playing sound. The
// program itself never needs these; only tests include this header.
#pragma once

#include <cstdint>

#include "platform/windows.h"

// The pixels of a bitmap (0x00RRGGBB, width x height, rows top to bottom), or of a window's
// client area. Give 1/0; the pointer stays valid until the object is deleted or resized.
int platformBitmapPixels(HBITMAP bitmap, const uint32_t** pixels, int* width, int* height);
int platformWindowPixels(HWND window, const uint32_t** pixels, int* width, int* height);

// Whether the popup menu is open, and how many modal dialogs are open.
bool platformMenuOpen();
int platformDialogDepth();

// Where things of the shell stand on the display, for tests and scripts that tap them. Each
// gives 1 and fills rect (display coordinates, right and bottom outside), or 0.
int platformMenuItemRect(UINT commandId, RECT* rect);  // an item of the open popup menu
int platformDoneButtonRect(RECT* rect);                // the "ok" button of the open dialog

// Whether a wave plays now, which, and whether it loops. A wave played once ends after its
// duration on the clock.
bool headlessSoundPlaying(WORD* id, bool* looping);
