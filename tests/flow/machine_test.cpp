// Machine switching: a fresh machine with the held bet given back, the buttons the credits allow,
// switching in the splash, on the pay table and mid-spin, and choosing the machine in play.
#include <gtest/gtest.h>

#include "flow/betting.h"
#include "flow/buttons.h"
#include "flow/game.h"
#include "flow/machine.h"
#include "flow/reels.h"
#include "gfx/widgets.h"
#include "shell/sound.h"
#include "tests/flow/harness.h"

using namespace ButtonFlags;

TEST(MachineSwitch, EveryMachineStartsFreshWithTheHeldBetGivenBack) {
    harness::idleOn();
    for (int k : {1, 2, 3, 0}) {
        const auto m = static_cast<uint8_t>(k);
        SCOPED_TRACE(k);
        wallet = {10, 3, 8, 1};
        reels[0].stripWindow.y = 40;  // as a spin leaves it
        reels[0].speedStage = 8;
        selectMachine(m);
        EXPECT_EQ(currentMachine, m);
        EXPECT_EQ(gameState, Redraw);
        EXPECT_EQ(wallet.credits, 13);
        EXPECT_EQ(wallet.bet, 0);
        EXPECT_EQ(wallet.lastWin, 0);
        EXPECT_STREQ(textWidgets[BetDisplay].text, "    0");
        EXPECT_STREQ(textWidgets[WinDisplay].text, "    0");
        EXPECT_STREQ(textWidgets[CreditsDisplay].text, "   13");
        EXPECT_EQ(reels[0].stripWindow.y, 0);
        EXPECT_EQ(reels[0].speedStage, 0);
        for (int b = 0; b < 5; ++b)
            EXPECT_EQ(buttons[b].flags, b < 3 ? Enabled | Dirty | ShowUp : Enabled);
        harness::pass();
        EXPECT_EQ(gameState, Idle);
    }
}

TEST(MachineSwitch, NoCoinLeftIsBrokeAndFewerCreditsThanTheMaximumBetDisableOnlyMaxBet) {
    harness::idleOn();
    wallet = {0, 0, 0, 1};
    selectMachine(2);
    EXPECT_EQ(gameState, Broke);
    for (int b = 0; b < 3; ++b)
        EXPECT_EQ(buttons[b].flags & Enabled, 0) << b;
    EXPECT_NE(textWidgets[CashWarning].flags & TextWidgetFlags::Visible, 0);

    for (int32_t credits = 1; credits <= 4; ++credits) {
        harness::idleOn();
        wallet.credits = credits;
        selectMachine(3);
        EXPECT_EQ(gameState, Redraw);
        // Once Idle, BET 1 and SPIN blink; MAX does not, and a tap on it does nothing.
        harness::setClock(harness::clock() + 600);
        harness::passes(2);
        EXPECT_EQ(buttons[0].glyph, 'b');
        EXPECT_EQ(buttons[1].glyph, 'a');
        EXPECT_EQ(buttons[2].glyph, 'b');
        harness::tapControl(1);
        EXPECT_EQ(wallet.credits, credits);
        EXPECT_EQ(gameState, Idle);
        EXPECT_EQ(harness::soundLog(), "");
    }
}

TEST(MachineSwitch, ChoosingTheMachineInPlayChangesNothingEvenInTheSplash) {
    harness::startGame();
    selectMachine(0);
    EXPECT_EQ(gameState, Splash);
    EXPECT_NE(pictureSprite.image, nullptr);
    harness::idleOn();
    wallet = {18, 2, 0, 1};
    const HBITMAP background = backgroundSprite.image;
    selectMachine(0);
    EXPECT_EQ(backgroundSprite.image, background);
    EXPECT_EQ(wallet.bet, 2);
    EXPECT_EQ(wallet.credits, 18);
    EXPECT_EQ(gameState, Idle);
}

TEST(MachineSwitch, AnotherMachineEndsTheSplashAndThePayTable) {
    harness::startGame();
    selectMachine(3);
    EXPECT_EQ(gameState, Redraw);
    EXPECT_EQ(pictureSprite.image, nullptr);
    harness::setClock(harness::clock() + 5000);  // past the splash's deadline: it does not come back
    harness::passes(3);
    EXPECT_EQ(gameState, Idle);
    EXPECT_EQ(currentMachine, 3);

    harness::tapControl(3);
    ASSERT_EQ(gameState, PayTable);
    selectMachine(1);
    EXPECT_EQ(gameState, Redraw);
    EXPECT_EQ(pictureSprite.image, nullptr);
}

TEST(MachineSwitch, MidSpinTheSpinIsAbandonedAndTheStakeComesBack) {
    for (DWORD wait : {0u, 3000u}) {  // while Spinning, then while Stopping
        harness::idleOn();
        harness::tapControl(2);
        ASSERT_EQ(wallet.credits, 19);
        harness::setClock(harness::clock() + wait);
        harness::passes(3);
        ASSERT_EQ(gameState, wait == 0 ? Spinning : Stopping);
        harness::clearSoundLog();
        selectMachine(2);
        EXPECT_EQ(harness::soundLog(), "stop");
        EXPECT_EQ(currentSound, nullptr);
        EXPECT_EQ(wallet.credits, 20);
        EXPECT_EQ(wallet.bet, 0);
        // Nothing is ever settled for it.
        harness::setClock(harness::clock() + 10000);
        harness::passes(50);
        EXPECT_EQ(gameState, Idle);
        EXPECT_EQ(wallet.credits, 20);
        EXPECT_EQ(wallet.lastWin, 0);
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(reels[i].stripWindow.y, 0);
    }
}
