// Runs the game on the headless platform the way the program does: a main window of a test class,
// graphics and the game started, then passes of the main loop (one message, an incremental frame,
// one tick) on the platform's fake clock.
#pragma once

#include <cstdint>
#include <string>

#include "platform/windows.h"

namespace harness {

// Puts the platform and every game record back to program start, makes the instance from the
// game's resources and a main window, and with startGame also runs initGraphics and gameInit and
// sets graphicsReady, as the program's entry does. The clock stands at startTick and moves by
// stepMs on every pass.
void resetAll(DWORD startTick = 1000, DWORD stepMs = 16);
void startGame(DWORD startTick = 1000, DWORD stepMs = 16);

// One pass of the main loop: PeekMessageW (the clock moves on), dispatch of the message taken,
// renderFrame(0), gameTick().
void pass();
void passes(int count);

// Passes until the splash is over (the first machine set up), then one more so that Redraw
// turns to Idle.
void endSplash();

// Passes until the state is not Spinning or Stopping any more; gives the number of passes, or -1
// if it takes more than limit.
int runSpin(int limit = 100000);

// Sets the clock to t now; the next pass reads t + step.
void setClock(DWORD t);
DWORD clock();

// A pen-down at (x, y) in the window's client coordinates, queued for the next pass.
void queueTap(int x, int y);

// The main window's client area: its top-left corner on the display.
int clientTop();

// The pixels of the window's client area (0x00RRGGBB, rows top to bottom).
struct Pixels {
    const uint32_t* data;
    int width;
    int height;
    uint32_t at(int x, int y) const { return data[y * width + x]; }
};
Pixels windowPixels();
// The pixels of a bitmap.
Pixels bitmapPixels(HBITMAP bitmap);

// The sound log as text, one "play 105" / "loop 104" / "stop" per event, separated by ", ".
std::string soundLog();
void clearSoundLog();

}  // namespace harness
