// Pen input through the window procedure: the hit test on the edges of the controls, taps outside
// Idle, and the pay table's opening, paging and closing.
#include <gtest/gtest.h>

#include "flow/betting.h"
#include "flow/game.h"
#include "flow/input.h"
#include "flow/machine.h"
#include "tests/flow/harness.h"

using harness::tap;

TEST(Taps, TheLeftAndTopEdgesOfAControlAreInsideTheRightAndBottomOutside) {
    struct Case {
        int x, y;
        bool spins;
    };
    // SPIN of the first machine covers x 156 to 188 and y 218 to 235.
    for (Case c : {Case{156, 218, true}, Case{188, 235, true}, Case{189, 218, false}, Case{156, 236, false},
                   Case{155, 220, false}, Case{160, 217, false}}) {
        harness::idleOn();
        tap(c.x, c.y);
        EXPECT_EQ(gameState == Spinning, c.spins) << c.x << ", " << c.y;
    }
}

TEST(Taps, ControlsActOnlyInIdle) {
    harness::startGame();  // the splash: no controls yet
    for (int k = 0; k < 5; ++k)
        harness::tapControl(k);
    EXPECT_EQ(gameState, Splash);
    EXPECT_EQ(payTablePage, 0);

    harness::idleOn();
    selectMachine(1);
    harness::tapControl(2);  // taken while Redraw
    EXPECT_EQ(wallet.credits, 20);
    harness::tapControl(2);
    ASSERT_EQ(gameState, Spinning);
    for (GameState state : {Spinning, Stopping}) {
        gameState = state;
        for (int k = 0; k < 4; ++k)
            harness::tapControl(k);
        EXPECT_EQ(wallet.credits, 19);
        EXPECT_EQ(wallet.bet, 1);
        EXPECT_EQ(gameState, state);
    }

    harness::idleOn();
    wallet.credits = 0;
    selectMachine(2);
    harness::tapControl(3);  // the pay table sign still takes taps when Broke
    EXPECT_EQ(gameState, Broke);
}

TEST(PayTable, MorePagesBySixEntriesAndAnyOtherTapCloses) {
    harness::idleOn(0);  // 14 entries
    harness::tapControl(3);
    ASSERT_EQ(gameState, PayTable);
    for (int expected : {6, 12, 0, 6}) {
        tap(200, 255);
        EXPECT_EQ(payTablePage, expected);
        EXPECT_EQ(gameState, PayTable);
    }
    tap(225, 258);  // the last pixel of "More"
    EXPECT_EQ(payTablePage, 12);
    tap(226, 258);
    EXPECT_EQ(gameState, Idle);
    harness::tapControl(3);  // opens on the first page again
    EXPECT_EQ(payTablePage, 0);
    harness::tapControl(2);  // SPIN only closes it
    EXPECT_EQ(gameState, Idle);
    EXPECT_EQ(wallet.bet, 0);
    // In Idle "More" is an invisible control that turns the closed pay table's page.
    harness::tapControl(4);
    EXPECT_EQ(payTablePage, 6);
    EXPECT_EQ(gameState, Idle);
    EXPECT_EQ(wallet.credits, 20);

    harness::idleOn(1);  // 12 entries
    harness::tapControl(3);
    for (int expected : {6, 0, 6, 0}) {
        tap(200, 255);
        EXPECT_EQ(payTablePage, expected);
    }
}
