// Money: the three betting actions, settlement, the buttons the credits allow, going broke and
// the loan, and the top of the credits.
#include <gtest/gtest.h>

#include <cstdint>

#include "flow/buttons.h"
#include "flow/game.h"
#include "flow/machine.h"
#include "flow/reels.h"
#include "gfx/widgets.h"
#include "rules/machines.h"
#include "rules/outcome.h"
#include "flow/betting.h"
#include "shell/sound.h"
#include "tests/flow/harness.h"

using namespace ButtonFlags;

namespace {

// The game started and machine n in play, Idle, with the given money.
void idleWith(uint8_t machine, int32_t credits, int16_t bet) {
    harness::startGame();
    harness::endSplash();
    selectMachine(machine);
    harness::pass();
    ASSERT_EQ(gameState, Idle);
    wallet.credits = credits;
    wallet.bet = bet;
    harness::clearSoundLog();
}

}  // namespace

TEST(Betting, BetOneRunsUpToTheMaximumAndGivesTheBetBack) {
    idleWith(0, 20, 0);
    const int16_t bets[] = {1, 2, 3, 4, 5, 0, 1};
    const int32_t credits[] = {19, 18, 17, 16, 15, 20, 19};
    for (int i = 0; i < 7; ++i) {
        BetOne();
        EXPECT_EQ(wallet.bet, bets[i]) << "tap " << i + 1;
        EXPECT_EQ(wallet.credits, credits[i]) << "tap " << i + 1;
        EXPECT_EQ(gameState, Idle);
    }
    EXPECT_EQ(harness::soundLog(), "play 105, play 105, play 105, play 105, play 105, play 105, play 105");
    EXPECT_EQ(currentSound, CoinSound);
    EXPECT_STREQ(textWidgets[BetDisplay].text, "    1");
    EXPECT_STREQ(textWidgets[CreditsDisplay].text, "   19");
    EXPECT_NE(textWidgets[BetDisplay].flags & TextWidgetFlags::Dirty, 0);
}

TEST(Betting, BetOneWithoutCreditsForACoinGivesTheBetBack) {
    idleWith(0, 0, 3);
    BetOne();
    EXPECT_EQ(wallet.credits, 3);
    EXPECT_EQ(wallet.bet, 0);
    BetOne();
    EXPECT_EQ(wallet.credits, 2);
    EXPECT_EQ(wallet.bet, 1);
}

TEST(Betting, BetMaxThatCannotPayChangesNothing) {
    idleWith(0, 2, 2);
    BetMax();
    EXPECT_EQ(wallet.credits, 2);
    EXPECT_EQ(wallet.bet, 2);
    EXPECT_EQ(gameState, Idle);
    EXPECT_EQ(harness::soundLog(), "");
}

TEST(Betting, BetMaxPaysTheDifferenceAndSpinsWithoutACoinSound) {
    idleWith(0, 3, 2);
    BetMax();
    EXPECT_EQ(wallet.credits, 0);
    EXPECT_EQ(wallet.bet, 5);
    EXPECT_EQ(gameState, Spinning);
    EXPECT_EQ(harness::soundLog(), "loop 104");
    EXPECT_EQ(currentSound, ReelSound);
}

TEST(Betting, BetMaxAtTheMaximumSpinsAtOnceForNothing) {
    idleWith(0, 7, 5);
    BetMax();
    EXPECT_EQ(wallet.credits, 7);
    EXPECT_EQ(wallet.bet, 5);
    EXPECT_EQ(gameState, Spinning);
}

TEST(Betting, SpinWithoutABetTakesOneCoin) {
    idleWith(0, 20, 0);
    const uint32_t before = GetTickCount();
    Spin();
    EXPECT_EQ(wallet.credits, 19);
    EXPECT_EQ(wallet.bet, 1);
    EXPECT_EQ(gameState, Spinning);
    EXPECT_GE(stopDeadline, before + 1500);
    EXPECT_LE(stopDeadline, before + 2999);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(reels[i].speedStage, 0);
    EXPECT_EQ(harness::soundLog(), "loop 104");
}

TEST(Betting, SpinWithABetKeepsIt) {
    idleWith(0, 17, 3);
    Spin();
    EXPECT_EQ(wallet.credits, 17);
    EXPECT_EQ(wallet.bet, 3);
    EXPECT_EQ(gameState, Spinning);
}

TEST(Betting, NothingHappensOutsideIdle) {
    for (GameState state : {Redraw, Spinning, Stopping, Broke, Splash, PayTable}) {
        idleWith(0, 20, 2);
        gameState = state;
        BetOne();
        BetMax();
        Spin();
        EXPECT_EQ(wallet.credits, 20) << int(state);
        EXPECT_EQ(wallet.bet, 2) << int(state);
        EXPECT_EQ(gameState, state);
        EXPECT_EQ(harness::soundLog(), "") << int(state);
    }
}

TEST(Settlement, AWinIsPaidAndTheSameBetTakenAgain) {
    idleWith(0, 10, 3);
    gameState = Stopping;
    pendingMultiplier = 8;
    EXPECT_EQ(settleSpin(), Idle);
    EXPECT_EQ(wallet.lastWin, 24);
    EXPECT_EQ(wallet.credits, 31);
    EXPECT_EQ(wallet.bet, 3);
    EXPECT_EQ(harness::soundLog(), "play 106");
    EXPECT_EQ(currentSound, WinSound);
    EXPECT_STREQ(textWidgets[WinDisplay].text, "   24");
    EXPECT_STREQ(textWidgets[CreditsDisplay].text, "   31");
}

TEST(Settlement, ShortCreditsDropTheBetToOneCoin) {
    idleWith(0, 3, 5);
    gameState = Stopping;
    pendingMultiplier = 0;
    EXPECT_EQ(settleSpin(), Idle);
    EXPECT_EQ(wallet.lastWin, 0);
    EXPECT_EQ(wallet.credits, 2);
    EXPECT_EQ(wallet.bet, 1);
    EXPECT_EQ(harness::soundLog(), "");
    EXPECT_EQ(buttons[1].flags & Enabled, 0);  // BetMax
    EXPECT_NE(buttons[0].flags & Enabled, 0);  // BetOne
    EXPECT_NE(buttons[2].flags & Enabled, 0);  // Spin
    EXPECT_STREQ(textWidgets[BetDisplay].text, "    1");
}

TEST(Settlement, TheLastCoinLostGoesBroke) {
    idleWith(0, 0, 1);
    gameState = Stopping;
    pendingMultiplier = 0;
    EXPECT_EQ(settleSpin(), Broke);
    EXPECT_EQ(wallet.bet, 0);
    EXPECT_EQ(wallet.credits, 0);
    const uint16_t warning = textWidgets[CashWarning].flags;
    EXPECT_EQ(warning & (TextWidgetFlags::Visible | TextWidgetFlags::Dirty),
              TextWidgetFlags::Visible | TextWidgetFlags::Dirty);
    for (int b : {0, 1, 2}) {
        EXPECT_EQ(buttons[b].flags & Enabled, 0) << b;
        EXPECT_EQ(buttons[b].glyph, 'a') << b;
    }
}

TEST(Settlement, AnAllBlankWinGivesTheStakeBack) {
    idleWith(0, 18, 2);
    gameState = Stopping;
    pendingMultiplier = readMultiplier(machineDefs[0].payTable[13].pattern);
    EXPECT_EQ(settleSpin(), Idle);
    EXPECT_EQ(wallet.lastWin, 2);
    EXPECT_EQ(wallet.credits, 18);
    EXPECT_EQ(wallet.bet, 2);
}

TEST(Settlement, ButtonsAreJudgedBeforeTheNextBetIsTaken) {
    // 5 credits after the payout: BetMax stays enabled although the next bet of 1 leaves 4.
    idleWith(0, 4, 1);
    pendingMultiplier = 1;
    gameState = Stopping;
    EXPECT_EQ(settleSpin(), Idle);
    EXPECT_EQ(wallet.credits, 4);
    EXPECT_NE(buttons[1].flags & Enabled, 0);
}

TEST(Loan, EndsBrokeAndLetsTheNextSpinTakeACoin) {
    idleWith(0, 0, 1);
    gameState = Stopping;
    pendingMultiplier = 0;
    gameState = settleSpin();
    ASSERT_EQ(gameState, Broke);
    lendMoney();
    EXPECT_EQ(wallet.credits, 20);
    EXPECT_EQ(wallet.bet, 0);
    EXPECT_EQ(gameState, Idle);
    EXPECT_NE(textWidgets[CashWarning].flags & TextWidgetFlags::Erase, 0);
    EXPECT_EQ(textWidgets[CashWarning].flags & TextWidgetFlags::Visible, 0);
    for (int b : {0, 1, 2})
        EXPECT_EQ(buttons[b].flags & (Enabled | ShowUp), Enabled | ShowUp) << b;
    Spin();
    EXPECT_EQ(wallet.credits, 19);
    EXPECT_EQ(wallet.bet, 1);
    EXPECT_EQ(gameState, Spinning);
}

TEST(Loan, DuringASpinOnlyAddsTwenty) {
    idleWith(0, 20, 0);
    Spin();
    lendMoney();
    EXPECT_EQ(wallet.credits, 39);
    EXPECT_EQ(wallet.bet, 1);
    EXPECT_EQ(gameState, Spinning);
    lendMoney();
    EXPECT_EQ(wallet.credits, 59);
}

TEST(Loan, LoansHaveNoLimitButTheCreditsStopBelowTheTop) {
    idleWith(0, MoneyLimit - 25, 5);
    lendMoney();
    EXPECT_EQ(wallet.credits, MoneyLimit - 5);  // the whole money is exactly the limit
    lendMoney();
    EXPECT_EQ(wallet.credits, MoneyLimit - 5);  // one more would pass it: nothing is added
    EXPECT_EQ(gameState, Idle);
    // The displays show the most they can.
    EXPECT_STREQ(textWidgets[CreditsDisplay].text, "9999999");
    // Giving the bet back reaches the top exactly and no further.
    BetOne();
    EXPECT_EQ(wallet.credits, MoneyLimit);
    EXPECT_EQ(wallet.bet, 0);
}

TEST(Loan, APayoutStopsAtTheTopAndTheBooksStillBalance) {
    idleWith(0, MoneyLimit - 10, 5);
    gameState = Stopping;
    pendingMultiplier = 30;
    EXPECT_EQ(settleSpin(), Idle);
    EXPECT_EQ(wallet.lastWin, 10);  // 150 won, 10 paid: the credits hold no more
    EXPECT_EQ(wallet.credits, MoneyLimit - 5);
    EXPECT_EQ(wallet.bet, 5);
    EXPECT_STREQ(textWidgets[WinDisplay].text, "   10");
}
