#include "gfx/surface.h"

#include "res/resource.h"
#include "shell/app.h"

const MaskPair MaskTable[] = {
    {IDB_FONT_TEXT, IDB_FONT_TEXT_MASK},
    {0xFFFFFFFFu, 0},
};

Surface ScreenSurface = {};
Surface BackBuffer = {};
Surface StageSurface = {};

Rect16 fullScreenRect = {};
int32_t screenWidth = 0;
int32_t screenHeight = 0;
uint8_t graphicsReady = 0;

namespace {

// A bitmap resource by its 16-bit number.
HBITMAP loadBitmapResource(uint32_t id) {
    return LoadBitmapW(appInstance, MAKEINTRESOURCEW(static_cast<WORD>(id & 0xFFFF)));
}

// Gives back a memory context and the bitmap selected into it, the context first so that the
// bitmap is no longer selected when it goes.
void releasePair(HDC& context, HBITMAP& bitmap) {
    if (context != nullptr) DeleteDC(context);
    if (bitmap != nullptr) DeleteObject(bitmap);
    context = nullptr;
    bitmap = nullptr;
}

// A rectangle in int, or the whole surface when there is none.
struct Box {
    int x, y, w, h;
};
Box rectOrWhole(const Rect16* rect, const Surface& surface) {
    if (rect == nullptr) return {0, 0, surface.width, surface.height};
    return {rect->x, rect->y, rect->w, rect->h};
}

}  // namespace

void initGraphics() {
    // Without a main window there is nothing to draw on.
    if (mainWindow == nullptr) return;
    HDC dc = GetDC(mainWindow);
    if (dc == nullptr) return;
    const auto w = static_cast<int16_t>(GetDeviceCaps(dc, HORZRES));
    const auto h = static_cast<int16_t>(GetDeviceCaps(dc, VERTRES));
    fullScreenRect = {0, 0, w, h};
    screenWidth = w;
    screenHeight = h;
    ScreenSurface = {};
    ScreenSurface.width = w;
    ScreenSurface.height = h;
    ScreenSurface.context = dc;
}

int createSurface(Surface* surface, const Rect16* size) {
    if (surface == nullptr || size == nullptr) return 0;
    // A surface made again gives back what it held, so nothing is lost.
    freeSprite(surface);
    *surface = {};
    const int w = size->w;
    const int h = size->h;
    if (w * h < 0) return 0;  // exactly one of the two is negative; a zero size goes on
    HDC context = CreateCompatibleDC(nullptr);
    if (context == nullptr) return 0;
    HBITMAP image = CreateCompatibleBitmap(ScreenSurface.context, w, h);
    if (image == nullptr) {
        DeleteDC(context);
        return 0;
    }
    surface->width = size->w;
    surface->height = size->h;
    surface->image = image;
    surface->context = context;
    SelectObject(context, image);
    fillRect(surface, nullptr, 0);
    return 1;
}

uint32_t findMask(uint32_t bitmapId) {
    for (const MaskPair* pair = MaskTable; pair->bitmapId != 0xFFFFFFFFu; ++pair) {
        if (pair->bitmapId == bitmapId) return pair->maskId;
    }
    return 0xFFFFFFFFu;
}

int loadSprite(Sprite* sprite, uint32_t bitmapId, uint8_t flags) {
    if (sprite == nullptr) return 0;
    // Loading over a loaded sprite gives the old bitmaps back first.
    freeSprite(sprite);
    *sprite = {};
    HBITMAP image = loadBitmapResource(bitmapId);
    if (image == nullptr) return 0;
    HDC context = CreateCompatibleDC(nullptr);
    if (context == nullptr) {
        DeleteObject(image);
        return 0;
    }
    BITMAP info = {};
    GetObjectW(image, sizeof info, &info);
    sprite->width = static_cast<int16_t>(info.bmWidth);
    sprite->height = static_cast<int16_t>(info.bmHeight);
    sprite->image = image;
    sprite->context = context;
    SelectObject(context, image);
    if ((flags & WithMask) == 0) return 1;

    HBITMAP mask = loadBitmapResource(findMask(bitmapId));
    HDC maskContext = mask != nullptr ? CreateCompatibleDC(nullptr) : nullptr;
    if (maskContext == nullptr) {
        if (mask != nullptr) DeleteObject(mask);
        releasePair(sprite->context, sprite->image);
        *sprite = {};
        return 0;
    }
    sprite->mask = mask;
    sprite->maskContext = maskContext;
    SelectObject(maskContext, mask);
    return 1;
}

void freeSprite(Surface* record) {
    if (record == nullptr || record->image == nullptr) return;
    releasePair(record->context, record->image);
    if (record->mask != nullptr) releasePair(record->maskContext, record->mask);
}

void copyBlock(Surface* target, const Surface* source, int dx, int dy, int w, int h, int sx, int sy,
               bool masked) {
    if (target == nullptr || source == nullptr) return;
    if (target->context == nullptr || source->context == nullptr) return;
    // BitBlt clips the copy at the edges of both bitmaps.
    if (w <= 0 || h <= 0) return;
    if (masked && source->mask != nullptr && source->maskContext != nullptr) {
        BitBlt(target->context, dx, dy, w, h, source->maskContext, sx, sy, SRCAND);
        BitBlt(target->context, dx, dy, w, h, source->context, sx, sy, SRCPAINT);
    } else {
        BitBlt(target->context, dx, dy, w, h, source->context, sx, sy, SRCCOPY);
    }
}

void blit(Surface* target, const Surface* source, const Rect16* destRect, const Rect16* sourceRect,
          uint8_t flags) {
    if (target == nullptr || source == nullptr) return;
    auto [sx, sy, sw, sh] = rectOrWhole(sourceRect, *source);
    auto [dx, dy, dw, dh] = rectOrWhole(destRect, *target);
    if (sw <= 0 || sh <= 0) return;
    if (dx >= target->width || dx + dw <= 0) return;
    if (dy >= target->height || dy + dh <= 0) return;
    if ((flags & BlitCentre) != 0) {
        if (sw <= dw) {
            dx += (dw - sw) / 2;
        } else {
            sx += (sw - dw) / 2;
            sw = dw;
        }
        if (sh <= dh) {
            dy += (dh - sh) / 2;
        } else {
            sy += (sh - dh) / 2;
            sh = dh;
        }
    }
    copyBlock(target, source, dx, dy, sw, sh, sx, sy, (flags & BlitMasked) != 0);
}

void fillRect(Surface* surface, const Rect16* rect, COLORREF colour) {
    if (surface == nullptr || surface->context == nullptr) return;
    HBRUSH brush = CreateSolidBrush(colour);
    if (brush == nullptr) return;
    HGDIOBJ previous = SelectObject(surface->context, brush);
    if (rect != nullptr) {
        Rectangle(surface->context, rect->x, rect->y, rect->x + rect->w, rect->y + rect->h);
    } else {
        Rectangle(surface->context, 0, 0, surface->width, surface->height);
    }
    SelectObject(surface->context, previous);
    DeleteObject(brush);
}

void resetGraphics() {
    freeSprite(&StageSurface);
    freeSprite(&BackBuffer);
    StageSurface = {};
    BackBuffer = {};
    ScreenSurface = {};
    fullScreenRect = {};
    screenWidth = 0;
    screenHeight = 0;
    graphicsReady = 0;
}
