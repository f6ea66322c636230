// Runs the game on the headless platform the way the program does: a main window whose paint
// requests, pen and menu commands go to the program's own window procedure, graphics and the game
// started, then passes of the main loop (one message, an incremental frame, one tick) on the
// platform's fake clock.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/windows.h"

namespace harness {

// Puts the platform and every game record back to program start, makes the instance from the
// game's resources and a main window, and with startGame also runs initGraphics and gameInit and
// sets graphicsReady, as the program's entry does. The clock stands at startTick and moves by
// stepMs on every pass.
void resetAll(DWORD startTick = 1000, DWORD stepMs = 16);
void startGame(DWORD startTick = 1000, DWORD stepMs = 16);

// The game started, the splash run to its end, machine `machine` chosen, then two passes more:
// Idle, with the buttons' first blink made, and the sound log empty. Aborts when it is not Idle.
void idleOn(uint8_t machine = 0, DWORD startTick = 1000, DWORD stepMs = 16);

// One pass of the main loop: PeekMessageW (the clock moves on), dispatch of the message taken,
// renderFrame(0), gameTick().
void pass();
void passes(int count);

// Passes until the state is not Spinning or Stopping any more; gives the number of passes, or -1
// if it takes more than limit.
int runSpin(int limit = 100000);

// Sets the clock to t now; the next pass reads t + step.
void setClock(DWORD t);
DWORD clock();

// A pen-down and pen-up at (x, y) in the window's client coordinates, queued for the next pass.
void queueTap(int x, int y);
// A tap at (x, y) and the two passes that take its pen-down (the tap) and its pen-up.
void tap(int x, int y);
// A tap on the middle of control k of the machine in play (0 BET 1, 1 MAX, 2 SPIN, 3 the pay
// table sign, 4 "More").
void tapControl(int k);

// Pixels (0x00RRGGBB, rows top to bottom) of the window's client area or of a bitmap.
struct Pixels {
    const uint32_t* data;
    int width;
    int height;
    uint32_t at(int x, int y) const { return data[y * width + x]; }
    std::vector<uint32_t> copy() const { return {data, data + width * height}; }
};
Pixels windowPixels();
Pixels bitmapPixels(HBITMAP bitmap);

// Whether the w x h block at (x, y) of a equals the block at (bx, by) of b.
bool sameBlock(const Pixels& a, int x, int y, const Pixels& b, int bx, int by, int w, int h);

// The sound log as text, one "play 105" / "loop 104" / "stop" per event, separated by ", ".
std::string soundLog();
void clearSoundLog();

}  // namespace harness
