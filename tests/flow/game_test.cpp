// The state machine and its tick: every transition, deadlines at exact equality, blinking, the
// splash, the pay table that never closes by itself.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "flow/buttons.h"
#include "flow/game.h"
#include "flow/input.h"
#include "flow/machine.h"
#include "flow/reels.h"
#include "gfx/glyphs.h"
#include "gfx/surface.h"
#include "gfx/widgets.h"
#include "platform/catalogue.h"
#include "platform/headless.h"
#include "platform/host.h"
#include "rules/machines.h"
#include "rules/outcome.h"
#include "rules/random.h"
#include "flow/betting.h"
#include "shell/app.h"
#include "shell/sound.h"
#include "tests/flow/harness.h"

using namespace ButtonFlags;

namespace {

void idle() {
    harness::startGame(1000, 1);
    harness::endSplash();
    ASSERT_EQ(gameState, Idle);
}

}  // namespace

TEST(GameStart, InitPutsUpTheSplashAndSeedsFromTheClock) {
    harness::startGame(5000, 16);
    EXPECT_EQ(gameState, Splash);
    EXPECT_EQ(pictureDeadline, 8000u);
    EXPECT_EQ(RandomSource::state, 5000u);
    EXPECT_NE(pictureSprite.image, nullptr);
    EXPECT_NE(glyphSheets[0].sprite.mask, nullptr);
    EXPECT_EQ(glyphSheets[1].sprite.mask, nullptr);
    EXPECT_NE(glyphSheets[2].layout, nullptr);
    EXPECT_EQ(glyphSheets[3].layout, nullptr);  // no machine yet
    EXPECT_EQ(BackBuffer.width, 240);
    EXPECT_EQ(StageSurface.height, 320);
    // No buttons before the first machine: taps do nothing.
    for (const Button& b : buttons)
        EXPECT_EQ(b.flags, 0);
}

TEST(GameStart, TheSplashLastsUntilTheClockIsStrictlyPastItsDeadline) {
    harness::startGame(1000, 1);
    harness::setClock(3999);
    harness::pass();  // reads 4000, the deadline itself
    EXPECT_EQ(gameState, Splash);
    harness::pass();  // 4001
    EXPECT_EQ(gameState, Redraw);
    EXPECT_EQ(currentMachine, 0);
    EXPECT_EQ(pictureSprite.image, nullptr);
    harness::pass();
    EXPECT_EQ(gameState, Idle);
}

TEST(GameStart, WithTwentyCreditsTheFirstMachineIsReady) {
    idle();
    EXPECT_EQ(wallet.credits, 20);
    EXPECT_EQ(payEntryCount, 14u);
    EXPECT_EQ(slowdownDistance, 36);
    for (int b = 0; b < 3; ++b)
        EXPECT_NE(buttons[b].flags & Enabled, 0);
}

TEST(GameStart, AMissingSplashEndsOnTheFirstTick) {
    // The game's resources without the splash bitmap.
    std::vector<ResourceEntry> entries;
    for (uint32_t i = 0; i < dorururaCatalogue.count; ++i) {
        const ResourceEntry& e = dorururaCatalogue.entries[i];
        if (!(e.type == 2 && e.id == 108)) entries.push_back(e);
    }
    const ResourceCatalogue withoutSplash = {entries.data(), static_cast<uint32_t>(entries.size())};
    harness::resetAll(1000, 16);
    appInstance = instanceFromCatalogue(&withoutSplash);
    initGraphics();
    gameInit();
    graphicsReady = 1;
    EXPECT_EQ(gameState, Splash);
    EXPECT_EQ(pictureDeadline, 0u);
    EXPECT_EQ(pictureSprite.image, nullptr);
    harness::pass();
    EXPECT_EQ(gameState, Redraw);
}

TEST(GameTick, RedrawLastsOneTick) {
    idle();
    selectMachine(1);
    EXPECT_EQ(gameState, Redraw);
    gameTick();
    EXPECT_EQ(gameState, Idle);
}

TEST(GameTick, TheSpinTimeEndsStrictlyAfterItsDeadline) {
    idle();
    Spin();
    ASSERT_EQ(gameState, Spinning);
    harness::setClock(stopDeadline - 1);
    harness::pass();  // reads the deadline
    EXPECT_EQ(gameState, Spinning);
    harness::pass();
    EXPECT_EQ(gameState, Stopping);
}

TEST(GameTick, SpinningMovesEveryReelSixteenPixelsPerPass) {
    idle();
    Spin();
    int16_t before[3];
    for (int i = 0; i < 3; ++i)
        before[i] = reels[i].stripWindow.y;
    gameTick();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ((before[i] - reels[i].stripWindow.y + 306) % 306, 16);
}

TEST(GameTick, AClockJumpPastTheSpinTimeStopsOnTheNextTick) {
    // As after the About box: no passes for a while, the deadline passes meanwhile.
    idle();
    Spin();
    harness::setClock(stopDeadline + 60000);
    gameTick();
    EXPECT_EQ(gameState, Stopping);
}

TEST(GameTick, EnabledButtonsBlinkEvery500MsInIdleOnly) {
    idle();
    // Each button flips when the clock reaches its deadline, not before.
    for (int b = 0; b < 3; ++b)
        buttons[b].blinkDeadline = 5000;
    harness::setClock(4999);
    gameTick();
    for (int b = 0; b < 3; ++b)
        EXPECT_EQ(buttons[b].glyph, 'a');
    harness::setClock(5000);
    gameTick();
    for (int b = 0; b < 3; ++b) {
        EXPECT_EQ(buttons[b].glyph, 'b');
        EXPECT_EQ(buttons[b].flags, Enabled | Dirty | ShowDown);
        EXPECT_EQ(buttons[b].blinkDeadline, 5500u);
    }
    harness::setClock(5499);
    gameTick();
    EXPECT_EQ(buttons[0].glyph, 'b');
    harness::setClock(5500);
    gameTick();
    EXPECT_EQ(buttons[0].glyph, 'a');
    EXPECT_EQ(buttons[0].blinkDeadline, 6000u);

    // Not while the reels turn.
    Spin();
    const char glyph = buttons[0].glyph;
    harness::setClock(9000);
    gameTick();
    EXPECT_EQ(buttons[0].glyph, glyph);
    // Hot areas are never touched.
    EXPECT_EQ(buttons[3].flags, Enabled);
    EXPECT_EQ(buttons[4].flags, Enabled);
}

TEST(GameTick, DisabledButtonsNeverBlink) {
    idle();
    wallet.credits = 2;
    wallet.bet = 0;
    refreshButtons();  // BetMax disabled
    for (int i = 0; i < 40; ++i) {
        harness::setClock(harness::clock() + 250);
        harness::pass();
        EXPECT_EQ(buttons[1].glyph, 'a');
        EXPECT_EQ(buttons[1].flags & Enabled, 0);
    }
}

TEST(GameTick, TheWarningBlinksEverySecondWhileBroke) {
    idle();
    wallet.credits = 0;
    wallet.bet = 0;
    teardownMachine();
    setupMachine(1);
    ASSERT_EQ(gameState, Broke);
    TextWidget& w = textWidgets[CashWarning];
    EXPECT_NE(w.flags & TextWidgetFlags::Visible, 0);
    const uint32_t due = w.nextBlink;
    harness::setClock(due - 1);
    gameTick();
    EXPECT_NE(w.flags & TextWidgetFlags::Visible, 0);
    harness::setClock(due + 7);  // the first Broke step at or after the deadline
    gameTick();
    EXPECT_EQ(w.flags & TextWidgetFlags::Visible, 0);
    EXPECT_NE(w.flags & TextWidgetFlags::Erase, 0);
    EXPECT_EQ(w.nextBlink, due + 7 + 1000);  // after the step, not after the deadline
    harness::setClock(due + 1007);
    gameTick();
    EXPECT_NE(w.flags & TextWidgetFlags::Visible, 0);
    EXPECT_NE(w.flags & TextWidgetFlags::Dirty, 0);
    // The buttons do not blink meanwhile.
    for (int b = 0; b < 3; ++b)
        EXPECT_EQ(buttons[b].glyph, 'a');
}

TEST(GameTick, ThePayTableNeverClosesByItself) {
    idle();
    doButtonAction(ButtonAction::OpenPayTable);
    ASSERT_EQ(gameState, PayTable);
    const Button before = buttons[0];
    harness::setClock(harness::clock() + 3600000);
    harness::passes(10);
    EXPECT_EQ(gameState, PayTable);
    EXPECT_EQ(buttons[0].glyph, before.glyph);
    EXPECT_EQ(buttons[0].blinkDeadline, before.blinkDeadline);
}

TEST(GameTick, EveryTransitionOfTheStateTable) {
    idle();
    // Idle -> Spinning -> Stopping -> Idle.
    Spin();
    EXPECT_EQ(gameState, Spinning);
    harness::setClock(stopDeadline + 1);
    harness::pass();
    EXPECT_EQ(gameState, Stopping);
    ASSERT_GT(harness::runSpin(), 0);
    EXPECT_TRUE(gameState == Idle || gameState == Broke);
    if (gameState == Broke) lendMoney();
    // Idle -> PayTable -> Idle.
    doButtonAction(ButtonAction::OpenPayTable);
    EXPECT_EQ(gameState, PayTable);
    handleTap(0, 0);
    EXPECT_EQ(gameState, Idle);
    // any -> Redraw on a switch; Redraw -> Idle.
    selectMachine(2);
    EXPECT_EQ(gameState, Redraw);
    harness::pass();
    EXPECT_EQ(gameState, Idle);
    // a switch with no money -> Broke; Broke -> Idle on a loan.
    wallet.credits = 0;
    selectMachine(3);
    EXPECT_EQ(gameState, Broke);
    lendMoney();
    EXPECT_EQ(gameState, Idle);
}

TEST(GameTick, ALoanInBrokeEndsItOnlyAboveOneCoin) {
    idle();
    wallet.credits = 0;
    selectMachine(1);
    ASSERT_EQ(gameState, Broke);
    wallet.coinValue = 20;  // nothing in the game changes the coin value; here it shows the rule
    lendMoney();            // 20 credits: not more than a coin
    EXPECT_EQ(gameState, Broke);
    lendMoney();
    EXPECT_EQ(gameState, Idle);
}

TEST(Pictures, ClosingWithRestoreBringsTheMachineBack) {
    idle();
    const harness::Pixels back = harness::bitmapPixels(BackBuffer.image);
    const std::vector<uint32_t> machine(back.data, back.data + back.width * back.height);
    doButtonAction(ButtonAction::OpenPayTable);
    ASSERT_NE(std::memcmp(back.data, machine.data(), machine.size() * 4), 0);  // the pay table
    closePicture(1);
    EXPECT_EQ(gameState, Idle);
    // The machine frame is composed again and shown whole.
    EXPECT_EQ(std::memcmp(back.data, machine.data(), machine.size() * 4), 0);
    const harness::Pixels screen = harness::windowPixels();
    int differing = 0;
    for (int y = 0; y < screen.height; ++y) {
        for (int x = 0; x < screen.width; ++x)
            differing += screen.at(x, y) != back.at(x, y);
    }
    EXPECT_EQ(differing, 0);
}

TEST(Pictures, ClosingWithoutRestoreOnlyFreesThePicture) {
    harness::startGame();
    closePicture(0);
    EXPECT_EQ(pictureSprite.image, nullptr);
    EXPECT_EQ(gameState, Splash);
    closePicture(0);  // freeing twice is harmless
}
