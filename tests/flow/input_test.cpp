// Pen input: the hit test on the edges of rectangles, disabled buttons, taps outside Idle, the pay
// table's opening, paging and closing.
#include <gtest/gtest.h>

#include "flow/buttons.h"
#include "flow/game.h"
#include "flow/input.h"
#include "flow/machine.h"
#include "rules/machines.h"
#include "flow/betting.h"
#include "tests/flow/harness.h"

using namespace ButtonFlags;

namespace {

void idleOn(uint8_t machine) {
    harness::startGame();
    harness::endSplash();
    selectMachine(machine);
    harness::pass();
    ASSERT_EQ(gameState, Idle);
}

}  // namespace

TEST(Taps, TheLeftAndTopEdgesAreInsideTheRightAndBottomOutside) {
    struct Case {
        int16_t x, y;
        bool spins;
    };
    for (Case c : {Case{156, 218, true}, Case{188, 235, true}, Case{189, 218, false}, Case{156, 236, false},
                   Case{155, 220, false}, Case{160, 217, false}}) {
        idleOn(0);
        handleTap(c.x, c.y);
        EXPECT_EQ(gameState == Spinning, c.spins) << c.x << ", " << c.y;
    }
}

TEST(Taps, ThroughTheWindowProcedure) {
    idleOn(0);
    harness::queueTap(100, 225);  // BetMax
    harness::pass();
    EXPECT_EQ(wallet.bet, 5);
    EXPECT_EQ(gameState, Spinning);
}

TEST(Taps, EachButtonRunsItsAction) {
    idleOn(1);
    handleTap(47, 227);
    EXPECT_EQ(wallet.bet, 1);
    handleTap(171 + 24, 52 + 20);  // the pay table sign, bottom-right pixel
    EXPECT_EQ(gameState, PayTable);
    handleTap(0, 300);
    EXPECT_EQ(gameState, Idle);
    handleTap(152, 227);
    EXPECT_EQ(gameState, Spinning);
}

TEST(Taps, ADisabledButtonDoesNothingEvenWhenItCouldPay) {
    idleOn(0);
    setButtonState(1, Dirty | ShowUp);
    handleTap(51, 218);
    EXPECT_EQ(wallet.bet, 0);
    EXPECT_EQ(wallet.credits, 20);
    setButtonState(3, ShowUp);
    handleTap(160, 220);
    EXPECT_EQ(gameState, Idle);
}

TEST(Taps, ButtonsAndThePayTableSignActOnlyInIdle) {
    for (GameState state : {Spinning, Stopping, Broke, Redraw}) {
        idleOn(0);
        gameState = state;
        handleTap(51, 218);
        handleTap(92, 218);
        handleTap(156, 218);
        handleTap(183, 30);
        EXPECT_EQ(gameState, state);
        EXPECT_EQ(wallet.bet, 0);
        EXPECT_EQ(wallet.credits, 20);
    }
    harness::startGame();  // the splash: no buttons yet
    handleTap(51, 218);
    handleTap(183, 30);
    handleTap(190, 250);
    EXPECT_EQ(gameState, Splash);
    EXPECT_EQ(payTablePage, 0);
}

TEST(Taps, OnThePayTableATapOnSpinOnlyCloses) {
    idleOn(0);
    handleTap(183, 30);
    ASSERT_EQ(gameState, PayTable);
    handleTap(160, 220);
    EXPECT_EQ(gameState, Idle);
    EXPECT_EQ(wallet.bet, 0);
    handleTap(160, 220);
    EXPECT_EQ(gameState, Spinning);
}

TEST(PayTablePages, FourteenEntriesPageZeroSixTwelveZero) {
    idleOn(0);
    handleTap(183, 30);
    ASSERT_EQ(gameState, PayTable);
    EXPECT_EQ(payTablePage, 0);
    for (int expected : {6, 12, 0, 6}) {
        handleTap(190, 250);
        EXPECT_EQ(payTablePage, expected);
        EXPECT_EQ(gameState, PayTable);
    }
    // The edges of "More": its last pixel still pages, the next one closes.
    handleTap(225, 258);
    EXPECT_EQ(payTablePage, 12);
    handleTap(226, 258);
    EXPECT_EQ(gameState, Idle);
    // Opening starts at the first page again.
    handleTap(183, 30);
    EXPECT_EQ(payTablePage, 0);
}

TEST(PayTablePages, TwelveEntriesPageZeroSixZero) {
    idleOn(1);
    doButtonAction(ButtonAction::OpenPayTable);
    for (int expected : {6, 0, 6, 0}) {
        handleTap(190, 250);
        EXPECT_EQ(payTablePage, expected);
    }
}

TEST(PayTablePages, MoreOutsideThePayTableOnlyMovesThePageAndTheDeadline) {
    idleOn(0);
    const Wallet before = wallet;
    harness::setClock(50000);
    handleTap(200, 255);
    EXPECT_EQ(payTablePage, 6);
    EXPECT_EQ(pictureDeadline, 80000u);
    EXPECT_EQ(gameState, Idle);
    EXPECT_EQ(wallet.credits, before.credits);
    handleTap(183, 30);
    EXPECT_EQ(payTablePage, 0);
}

TEST(PayTablePages, OtherActionValuesDoNothing) {
    idleOn(0);
    doButtonAction(static_cast<ButtonAction>(0));
    doButtonAction(static_cast<ButtonAction>(6));
    doButtonAction(static_cast<ButtonAction>(255));
    EXPECT_EQ(gameState, Idle);
    EXPECT_EQ(wallet.bet, 0);
    EXPECT_EQ(payTablePage, 0);
}
