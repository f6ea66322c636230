#include "flow/machine.h"

#include "flow/buttons.h"
#include "flow/game.h"
#include "flow/reels.h"
#include "gfx/frame.h"
#include "gfx/glyphs.h"
#include "gfx/widgets.h"
#include "flow/betting.h"
#include "rules/machines.h"
#include "rules/outcome.h"
#include "shell/sound.h"

using namespace ButtonFlags;

Sprite backgroundSprite = {};
Sprite stripSprite = {};
Rect16 reelUnionRect = {};

// Every machine's button sheets are rows of the glyph sheet table.
static_assert([] {
    for (const MachineDef& d : machineDefs)
        for (const int16_t row : d.buttonSheets)
            if (row < 0 || row >= GlyphSheetDefCount) return false;
    return true;
}());

void setupMachine(uint8_t n) {
    if (n >= MachineCount) return;
    const MachineDef& d = machineDefs[n];

    showLoadingScreen(&ScreenSurface);
    if (currentSound != nullptr) {
        stopSound(currentSound);
        currentSound = nullptr;
    }

    loadSprite(&backgroundSprite, d.backgroundBitmap, 0);
    loadSprite(&stripSprite, d.stripBitmap, 0);
    for (int i = 0; i < 3; ++i)
        loadGlyphSheet(&glyphSheets[FirstButtonSheet + i], &glyphSheetDefs[d.buttonSheets[i]], 0);

    blit(&StageSurface, &backgroundSprite, &pictureRect, nullptr, 0);
    blit(&BackBuffer, &backgroundSprite, &pictureRect, nullptr, 0);
    stageRefreshRect = {0, 0, static_cast<int16_t>(screenWidth), static_cast<int16_t>(screenHeight)};

    // A fresh machine: the bet already taken is given back.
    wallet.credits += heldStake(wallet);
    wallet.bet = 0;
    wallet.lastWin = 0;

    int left = screenWidth, top = screenHeight, right = 0, bottom = 0;
    for (ReelState& r : reels)
        r = {};
    for (int i = 0; i < d.reelCount; ++i) {
        const Rect16& rr = d.reelRects[i];
        reels[i].stripWindow = {0, 0, rr.w, rr.h};
        reels[i].screenRect = rr;
        reels[i].speedStage = 0;
        if (rr.x < left) left = rr.x;
        if (rr.y < top) top = rr.y;
        if (rr.x + rr.w > right) right = rr.x + rr.w;
        if (rr.y + rr.h > bottom) bottom = rr.y + rr.h;
    }
    reelUnionRect = {static_cast<int16_t>(left), static_cast<int16_t>(top),
                     static_cast<int16_t>(right - left), static_cast<int16_t>(bottom - top)};

    for (Button& b : buttons)
        b = {};
    for (int i = 0; i < d.buttonCount; ++i) {
        buttons[i].screenRect = d.controlRects[i];
        buttons[i].flags = Enabled | Dirty | ShowUp;
        buttons[i].glyph = 'a';
        buttons[i].blinkDeadline = 0;
    }
    for (int j = 0; j < d.hotAreaCount; ++j)
        buttons[d.buttonCount + j].flags = Enabled;

    if (wallet.credits < d.maxBet * wallet.coinValue) setButtonState(ButtonAction::BetMax, Dirty | ShowUp);
    if (wallet.credits < wallet.coinValue) {
        setButtonState(ButtonAction::BetOne, ShowUp);
        setButtonState(ButtonAction::Spin, ShowUp);
    }

    textWidgets[BetDisplay].rect = d.betRect;
    textWidgets[WinDisplay].rect = d.winRect;
    updateWidget(CreditsDisplay);
    updateWidget(BetDisplay);
    updateWidget(WinDisplay);
    updateWidget(CashWarning);

    gameState = wallet.credits < wallet.coinValue ? Broke : Redraw;
    useMachineRules(n);
    renderFrame(1);
}

void teardownMachine() {
    for (int i = 3; i < GlyphSheetCount; ++i)
        freeGlyphSheet(&glyphSheets[i]);
    freeSprite(&stripSprite);
    freeSprite(&backgroundSprite);
    if (gameState == Splash || gameState == PayTable) freeSprite(&pictureSprite);
}

void selectMachine(uint8_t n) {
    if (n >= MachineCount || n == currentMachine) return;
    teardownMachine();
    setupMachine(n);
}

void resetMachineState() {
    freeSprite(&backgroundSprite);
    freeSprite(&stripSprite);
    backgroundSprite = {};
    stripSprite = {};
    reelUnionRect = {};
}
