#include "flow/game.h"

#include "flow/betting.h"
#include "flow/buttons.h"
#include "flow/input.h"
#include "flow/machine.h"
#include "flow/reels.h"
#include "gfx/frame.h"
#include "gfx/glyphs.h"
#include "gfx/widgets.h"
#include "platform/windows.h"
#include "rules/machines.h"
#include "rules/outcome.h"
#include "rules/random.h"
#include "shell/sound.h"

using namespace ButtonFlags;

GameState gameState = Idle;
uint32_t pictureDeadline = 0;
Sprite pictureSprite = {};
Rect16 stageRefreshRect = {};

namespace {

constexpr uint32_t SplashDuration = 3000;

void blinkButtons() {
    const int count = currentMachineDef().buttonCount;
    for (int i = 0; i < count; ++i) {
        const Button& b = buttons[i];
        if ((b.flags & Enabled) == 0 || b.blinkDeadline > GetTickCount()) continue;
        if ((b.flags & ShowUp) != 0) {
            setButtonState(controlAction(i), Enabled | Dirty | ShowDown);
        } else if ((b.flags & ShowDown) != 0) {
            setButtonState(controlAction(i), Enabled | Dirty | ShowUp);
        }
    }
}

}  // namespace

void markStageRefresh() {
    stageRefreshRect = {0, 0, static_cast<int16_t>(screenWidth), static_cast<int16_t>(screenHeight)};
}

void gameInit() {
    const Rect16 screen = {0, 0, static_cast<int16_t>(screenWidth), static_cast<int16_t>(screenHeight)};
    loadGlyphSheet(&glyphSheets[0], &glyphSheetDefs[0], WithMask);
    loadGlyphSheet(&glyphSheets[1], &glyphSheetDefs[1], 0);
    loadGlyphSheet(&glyphSheets[2], &glyphSheetDefs[2], 0);
    createSurface(&StageSurface, &screen);
    createSurface(&BackBuffer, &screen);
    showLoadingScreen(&ScreenSurface);
    showPicture(IDB_SPLASH, SplashDuration, Splash);
    RandomSource::seed(GetTickCount());
}

void showPicture(uint32_t bitmapId, uint32_t durationMs, GameState state) {
    if (loadSprite(&pictureSprite, bitmapId, 0) != 0) {
        pictureDeadline = GetTickCount() + durationMs;
        blit(&StageSurface, &pictureSprite, &pictureRect, nullptr, BlitCentre);
        blit(&ScreenSurface, &pictureSprite, &pictureRect, nullptr, BlitCentre);
        markStageRefresh();
    }
    gameState = state;
    renderFrame(1);
}

void closePicture(uint8_t restore) {
    freeSprite(&pictureSprite);
    if (restore != 1) return;
    fillRect(&ScreenSurface, nullptr, DarkFill);
    markStageRefresh();
    blit(&StageSurface, &backgroundSprite, &pictureRect, nullptr, BlitCentre);
    gameState = Idle;
    renderFrame(1);
}

void gameTick() {
    const GameState state = gameState;
    if (state == Idle) {
        blinkButtons();
    } else if (state == Redraw) {
        gameState = Idle;
    } else if (state == Spinning) {
        advanceReels();
        if (GetTickCount() > stopDeadline) gameState = Stopping;
    } else if (state == Stopping) {
        if (!stepStopping()) {
            gameState = settleSpin();
        } else {
            advanceReels();
        }
    } else if (state == Broke) {
        TextWidget& warning = textWidgets[CashWarning];
        const uint32_t now = GetTickCount();
        if (now >= warning.nextBlink) toggleBlink(warning, now);
    } else if (state == Splash) {
        if (GetTickCount() > pictureDeadline) {
            closePicture(0);
            setupMachine(currentMachine);
        }
    }
}

void resetGame() {
    freeSprite(&pictureSprite);
    pictureSprite = {};
    gameState = Idle;
    pictureDeadline = 0;
    stageRefreshRect = {};
    resetMachineState();
    resetGlyphSheets();
    resetGraphics();
    resetWidgets();
    resetButtons();
    resetReels();
    resetInput();
    resetWallet();
    resetOutcomeState();
    resetSound();
}
