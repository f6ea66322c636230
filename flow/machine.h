// Putting a machine in play: its artwork, reel strip and button sheets loaded, its reels, buttons
// and displays laid out, and the wallet settled for a fresh start.
#pragma once

#include <cstdint>

#include "gfx/surface.h"
#include "rules/types.h"

// The machine's 240 x 240 background and its reel strip.
extern Sprite backgroundSprite;
extern Sprite stripSprite;

// The bounding box of the machine's reel windows: what a spinning frame copies to the screen.
extern Rect16 reelUnionRect;

// Sets up machine n (0 to 3): loading screen, sound stopped, bitmaps and button sheets loaded,
// reels and buttons laid out, the held bet given back, then Redraw (or Broke when the credits do
// not cover a coin) and a full frame. Other n do nothing.
void setupMachine(uint8_t n);

// Gives back what the machine in play loaded (and the full-screen picture in Splash or PayTable).
void teardownMachine();

// The machine switch of the Options menu: tears down and sets up n when it is not the machine in
// play; otherwise nothing.
void selectMachine(uint8_t n);

// Back to program start: no machine loaded.
void resetMachineState();
