// The reels: strip bitmaps seen through fixed windows, moved by pixels per pass and brought to
// rest one after another, each exactly on the row the spin outcome chose.
#pragma once

#include <cstdint>

#include "rules/machines.h"
#include "rules/types.h"

struct ReelState {
    Rect16 stripWindow;  // source window in the strip bitmap; y is the reel's scroll offset
    Rect16 screenRect;   // where the window is drawn: the machine's reel rectangle
    int16_t speedStage;  // index into the speed table: 0 full speed to 8 stopped
};

extern ReelState reels[MaxReels];

// When the reels begin to stop: the tick count that Spinning must pass.
extern uint32_t stopDeadline;

// The strip rows a reel's scroll offset runs over: the strip bitmap's height less the window's.
int stripPeriod(int reel);

// True while reel i turns (its stage's speed is not 0).
bool reelMoving(int reel);

// Moves every reel of the machine in play up its strip by its current speed, wrapping at the end.
void advanceReels();

// One pass of stopping: the leftmost moving reel waits for its stop window, then slows stage by
// stage and takes the stopped stage only on its target; the reel sound stops once the last reel
// is slower than 5. False when no reel moves any more.
bool stepStopping();

// Back to program start: every record clear, no stop deadline.
void resetReels();
