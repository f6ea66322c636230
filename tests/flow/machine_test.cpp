// Machine setup and switching: what a fresh machine looks like, the refund, switching in every
// state, and choosing the machine already in play.
#include <gtest/gtest.h>

#include "flow/buttons.h"
#include "flow/game.h"
#include "flow/input.h"
#include "flow/machine.h"
#include "flow/reels.h"
#include "gfx/glyphs.h"
#include "gfx/widgets.h"
#include "rules/machines.h"
#include "rules/outcome.h"
#include "flow/betting.h"
#include "shell/sound.h"
#include "tests/flow/harness.h"

using namespace ButtonFlags;

namespace {

void idle() {
    harness::startGame();
    harness::endSplash();
    ASSERT_EQ(gameState, Idle);
}

bool sameRect(const Rect16& a, const Rect16& b) {
    return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h;
}

}  // namespace

TEST(MachineSetup, EveryMachineIsLaidOutFromItsDefinition) {
    const uint32_t entries[] = {14, 12, 14, 14};
    const Rect16 unions[] = {{56, 79, 98, 68}, {48, 86, 122, 68}, {32, 87, 137, 68}, {56, 89, 98, 66}};
    idle();
    for (int m : {1, 2, 3, 0}) {
        const auto n = static_cast<uint8_t>(m);
        selectMachine(n);
        const MachineDef& d = machineDefs[n];
        EXPECT_EQ(currentMachine, n);
        EXPECT_EQ(gameState, Redraw);
        EXPECT_EQ(payEntryCount, entries[n]);
        EXPECT_TRUE(sameRect(reelUnionRect, unions[n])) << "machine " << int(n);
        EXPECT_EQ(backgroundSprite.width, 240);
        EXPECT_EQ(stripSprite.height, n == 3 ? 363 : 374);
        for (int i = 0; i < d.reelCount; ++i) {
            EXPECT_EQ(reels[i].stripWindow.y, 0);
            EXPECT_EQ(reels[i].stripWindow.h, d.reelRects[i].h);
            EXPECT_TRUE(sameRect(reels[i].screenRect, d.reelRects[i]));
            EXPECT_EQ(reels[i].speedStage, 0);
        }
        for (int b = 0; b < 3; ++b) {
            EXPECT_EQ(buttons[b].glyph, 'a');
            EXPECT_EQ(buttons[b].flags, Enabled | Dirty | ShowUp);
            EXPECT_TRUE(sameRect(buttons[b].screenRect, d.controlRects[b]));
            EXPECT_EQ(glyphSheets[3 + b].layout, glyphSheetDefs[d.buttonSheets[b]].layout);
            EXPECT_EQ(glyphSheets[3 + b].sprite.width, 68);
        }
        EXPECT_EQ(buttons[3].flags, Enabled);
        EXPECT_EQ(buttons[4].flags, Enabled);
        EXPECT_EQ(buttons[3].glyph, '\0');
        EXPECT_TRUE(sameRect(textWidgets[BetDisplay].rect, d.betRect));
        EXPECT_TRUE(sameRect(textWidgets[WinDisplay].rect, d.winRect));
        harness::pass();
    }
    // After the five-reel machine, a three-reel machine leaves the records past its reels clear.
    EXPECT_EQ(reels[3].screenRect.w, 0);
}

TEST(MachineSetup, SwitchingGivesTheHeldBetBack) {
    idle();
    wallet.credits = 10;
    wallet.bet = 3;
    wallet.lastWin = 8;
    selectMachine(1);
    EXPECT_EQ(wallet.credits, 13);
    EXPECT_EQ(wallet.bet, 0);
    EXPECT_EQ(wallet.lastWin, 0);
    EXPECT_STREQ(textWidgets[BetDisplay].text, "    0");
    EXPECT_STREQ(textWidgets[WinDisplay].text, "    0");
    EXPECT_STREQ(textWidgets[CreditsDisplay].text, "   13");
}

TEST(MachineSetup, NoCreditsAfterTheRefundIsBroke) {
    idle();
    wallet.credits = 0;
    wallet.bet = 0;
    selectMachine(2);
    EXPECT_EQ(gameState, Broke);
    for (int b = 0; b < 3; ++b) {
        EXPECT_EQ(buttons[b].flags & Enabled, 0) << b;
        EXPECT_EQ(buttons[b].glyph, 'a') << b;
    }
    EXPECT_NE(textWidgets[CashWarning].flags & TextWidgetFlags::Visible, 0);
}

TEST(MachineSetup, CreditsBelowTheMaximumBetDisableOnlyBetMax) {
    for (int32_t credits = 1; credits <= 4; ++credits) {
        idle();
        wallet.credits = credits;
        wallet.bet = 0;
        selectMachine(3);
        EXPECT_EQ(gameState, Redraw);
        EXPECT_EQ(buttons[1].flags & Enabled, 0);
        EXPECT_NE(buttons[0].flags & Enabled, 0);
        EXPECT_NE(buttons[2].flags & Enabled, 0);
        // Buttons 1 and 3 blink once the state is Idle; button 2 does not.
        harness::setClock(harness::clock() + 600);
        harness::passes(2);
        EXPECT_EQ(buttons[0].glyph, 'b');
        EXPECT_EQ(buttons[2].glyph, 'b');
        EXPECT_EQ(buttons[1].glyph, 'a');
    }
}

TEST(MachineSwitch, ChoosingTheMachineInPlayChangesNothing) {
    idle();
    wallet.bet = 2;
    wallet.credits = 18;
    const HBITMAP background = backgroundSprite.image;
    selectMachine(0);
    EXPECT_EQ(backgroundSprite.image, background);
    EXPECT_EQ(wallet.bet, 2);
    EXPECT_EQ(wallet.credits, 18);
    EXPECT_EQ(gameState, Idle);
}

TEST(MachineSwitch, MidSpinTheSpinIsAbandonedAndTheStakeComesBack) {
    for (GameState during : {Spinning, Stopping}) {
        idle();
        Spin();
        ASSERT_EQ(wallet.credits, 19);
        if (during == Stopping) {
            harness::setClock(stopDeadline + 1);
            harness::passes(3);
            ASSERT_EQ(gameState, Stopping);
        } else {
            harness::passes(3);
        }
        harness::clearSoundLog();
        selectMachine(2);
        EXPECT_EQ(harness::soundLog(), "stop");
        EXPECT_EQ(currentSound, nullptr);
        EXPECT_EQ(wallet.credits, 20);
        EXPECT_EQ(wallet.bet, 0);
        EXPECT_EQ(gameState, Redraw);
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(reels[i].stripWindow.y, 0);
        // Nothing is ever settled for it.
        harness::setClock(harness::clock() + 10000);
        harness::passes(50);
        EXPECT_EQ(gameState, Idle);
        EXPECT_EQ(wallet.credits, 20);
        EXPECT_EQ(wallet.lastWin, 0);
    }
}

TEST(MachineSwitch, DuringTheSplashAnotherMachineEndsIt) {
    harness::startGame();
    selectMachine(0);  // the machine already in play: the splash runs on
    EXPECT_EQ(gameState, Splash);
    EXPECT_NE(pictureSprite.image, nullptr);
    selectMachine(3);
    EXPECT_EQ(gameState, Redraw);
    EXPECT_EQ(currentMachine, 3);
    EXPECT_EQ(pictureSprite.image, nullptr);
    harness::setClock(harness::clock() + 5000);
    harness::passes(3);
    EXPECT_EQ(gameState, Idle);
    EXPECT_EQ(currentMachine, 3);
}

TEST(MachineSwitch, OnThePayTableItClosesIt) {
    idle();
    doButtonAction(ButtonAction::OpenPayTable);
    ASSERT_EQ(gameState, PayTable);
    selectMachine(1);
    EXPECT_EQ(gameState, Redraw);
    EXPECT_EQ(currentMachine, 1);
    handleTap(0, 0);  // an ordinary tap now, not a pay table close
    EXPECT_EQ(gameState, Redraw);
}

TEST(MachineSwitch, OutOfRangeMachinesAreIgnored) {
    idle();
    selectMachine(4);
    selectMachine(255);
    EXPECT_EQ(currentMachine, 0);
    EXPECT_EQ(gameState, Idle);
}

TEST(MachineSwitch, TeardownGivesEverythingBack) {
    idle();
    teardownMachine();
    EXPECT_EQ(backgroundSprite.image, nullptr);
    EXPECT_EQ(stripSprite.image, nullptr);
    for (int i = 3; i < 6; ++i)
        EXPECT_EQ(glyphSheets[i].layout, nullptr);
    EXPECT_NE(glyphSheets[0].layout, nullptr);
    teardownMachine();  // twice is harmless
    setupMachine(0);
    EXPECT_NE(backgroundSprite.image, nullptr);
}
