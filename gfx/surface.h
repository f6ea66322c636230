// Drawing surfaces and bitmap sprites: every picture is made by copying rectangles between
// bitmaps held in drawing contexts.
#pragma once

#include <cstdint>

#include "platform/windows.h"
#include "rules/types.h"

// Something drawn onto (an offscreen bitmap in a memory context, or the window's own context) or
// drawn from (a bitmap resource, optionally with a 1-bit mask). An all-zero record is empty.
struct Surface {
    int16_t width;
    int16_t height;
    HBITMAP image;    // the bitmap selected into context; none for the screen and for an empty record
    HDC context;      // memory context holding image; the window's context for the screen
    HDC maskContext;  // memory context holding mask
    HBITMAP mask;     // 1-bit mask; a sprite is drawn masked only when it has one
};
using Sprite = Surface;

// Flags of loadSprite.
constexpr uint8_t WithMask = 64;
// Flags of blit.
constexpr uint8_t BlitCentre = 1;
constexpr uint8_t BlitMasked = 64;

// Bitmaps that have a mask bitmap, ended by a pair whose bitmap id is 0xFFFFFFFF.
struct MaskPair {
    uint32_t bitmapId;
    uint32_t maskId;
};
extern const MaskPair MaskTable[];

// The display and the two offscreen surfaces of its size.
extern Surface ScreenSurface;  // the display itself (the window's drawing context)
extern Surface BackBuffer;     // where frames are composed
extern Surface StageSurface;   // the still picture under every frame

// The display's size, measured once by initGraphics.
extern Rect16 fullScreenRect;
extern int32_t screenWidth;
extern int32_t screenHeight;
// 0 until the game has started; nothing is rendered before.
extern uint8_t graphicsReady;

// Takes the main window's drawing context and measures the display.
void initGraphics();

// Makes an offscreen surface of size w x h (x and y are not used) in the display's colour format,
// filled black. 1 on success, 0 with an empty record on failure.
int createSurface(Surface* surface, const Rect16* size);

// The mask bitmap of a bitmap, or 0xFFFFFFFF when it has none.
uint32_t findMask(uint32_t bitmapId);

// Loads a bitmap resource (and with WithMask its mask) into the record. 1 on success, 0 with an
// empty record on failure.
int loadSprite(Sprite* sprite, uint32_t bitmapId, uint8_t flags);

// Gives back a sprite's or offscreen surface's bitmaps and contexts; an empty record (or the
// screen, which has no bitmap) is left alone.
void freeSprite(Surface* record);

// Copies sourceRect of source (the whole source when none) to destRect of target (the whole
// target when none) at the source window's size; BlitCentre centres it in destRect on each axis,
// BlitMasked draws through the source's mask when it has one.
void blit(Surface* target, const Surface* source, const Rect16* destRect, const Rect16* sourceRect,
          uint8_t flags);

// Fills rect of the surface (the whole surface when none) with a solid colour (0x00BBGGRR); the
// outline is the context's default black pen.
void fillRect(Surface* surface, const Rect16* rect, COLORREF colour);
// The colour that clears the screen, and the loading screen's: red 7, practically black.
constexpr COLORREF DarkFill = 7;

// One block copy: w x h from (sx, sy) of source to (dx, dy) of target, clipped to both bitmaps;
// through the source's mask when masked is set and the source has one. Nothing is drawn when
// either record has no context.
void copyBlock(Surface* target, const Surface* source, int dx, int dy, int w, int h, int sx, int sy,
               bool masked);

// Back to program start: the offscreen surfaces given back, the screen record emptied, the display
// size forgotten and graphicsReady 0.
void resetGraphics();
