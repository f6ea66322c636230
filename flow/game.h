// The game's state machine and its one step, run once per pass of the main loop; the start-up of
// the game and the full-screen pictures (the splash, the pay table).
#pragma once

#include <cstdint>

#include "gfx/surface.h"
#include "rules/types.h"

// The game's state byte. No value other than these seven is ever stored.
enum GameState : uint8_t {
    Idle = 0,
    Redraw = 2,
    Spinning = 4,
    Stopping = 5,
    Broke = 7,
    Splash = 9,
    PayTable = 10,
};

// The state byte: one of the seven GameState values; Idle until gameInit puts up the splash.
extern GameState gameState;

// When the splash ends (read in Splash only).
extern uint32_t pictureDeadline;

// The picture shown full-screen (splash or pay table picture); empty otherwise.
extern Sprite pictureSprite;

// Where machine backgrounds and full-screen pictures are placed.
constexpr Rect16 pictureRect = {0, 15, 240, 240};

// The region of the back buffer that the next frame refreshes from the stage first; nothing when
// its w or h is 0. The frame empties it.
extern Rect16 stageRefreshRect;

// Start-up, after initGraphics: the text sheets, the two offscreen surfaces, the loading screen,
// the splash for 3000 ms and the random seed.
void gameInit();

// One step of the game: blinks, reel motion and stopping, settlement, the end of the splash.
void gameTick();

// Puts bitmap bitmapId up full-screen (if it loads) for durationMs and enters state.
void showPicture(uint32_t bitmapId, uint32_t durationMs, GameState state);

// Takes the full-screen picture down; with restore 1 the machine comes back and the game is Idle.
void closePicture(uint8_t restore);

// Asks the next frame to refresh the whole back buffer from the stage.
void markStageRefresh();

// Back to program start: every game record of every layer (state, wallet, outcome, reels, buttons,
// widgets, glyph sheets, surfaces, sprites, sound setting) as before gameInit, with everything
// they held given back to the platform.
void resetGame();
