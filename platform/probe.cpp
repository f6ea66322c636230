// The read-backs of platform/probe.h, for tests only: no program links them.
#include "platform/probe.h"

#include "platform/internal.h"

using namespace plat;

int platformBitmapPixels(HBITMAP bitmap, const uint32_t** pixels, int* width, int* height) {
    int slot = gdiSlot(bitmap, Kind::Bitmap);
    if (slot < 0 || !pixels || !width || !height) return 0;
    const GdiObject& object = state().gdi[slot];
    *pixels = object.pixels.data();
    *width = object.width;
    *height = object.height;
    return 1;
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

bool platformMenuOpen() {
    return state().popup.open;
}

int platformMenuItemRect(UINT commandId, RECT* rect) {
    const PopupState& p = state().popup;
    int i = p.open && rect ? commandItem(state().menus[p.menu], commandId) : -1;
    if (i < 0) return 0;
    *rect = RECT{p.rect.left + 3, p.rect.top + p.itemTop[i], p.rect.right - 3,
                 p.rect.top + p.itemTop[i] + p.itemHeight[i]};
    return 1;
}

int platformDialogDepth() {
    return state().dialogDepth;
}

int platformDoneButtonRect(RECT* rect) {
    const int depth = state().dialogDepth;
    return rect && depth > 0 && okRect(depth - 1, rect) ? 1 : 0;
}
