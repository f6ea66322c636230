// Money, played through taps and the main loop: the three betting actions, settlement, the buttons
// the credits allow, going broke, the loan, and the top of the money.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "flow/betting.h"
#include "flow/buttons.h"
#include "flow/game.h"
#include "flow/reels.h"
#include "gfx/widgets.h"
#include "rules/outcome.h"
#include "shell/sound.h"
#include "tests/flow/harness.h"

using namespace ButtonFlags;

namespace {

constexpr int BetOneControl = 0, BetMaxControl = 1, SpinControl = 2;

// A tap on SPIN, the outcome made to pay `multiplier`, and the main loop until the spin is over.
void spinPaying(uint32_t multiplier) {
    harness::tapControl(SpinControl);
    pendingMultiplier = multiplier;
    ASSERT_GT(harness::runSpin(), 0);
}

bool enabled(int button) {
    return (buttons[button].flags & Enabled) != 0;
}

}  // namespace

TEST(Betting, BetOneAddsACoinUpToTheMaximumThenGivesTheBetBack) {
    harness::idleOn();
    const int16_t bets[] = {1, 2, 3, 4, 5, 0, 1};
    const int32_t credits[] = {19, 18, 17, 16, 15, 20, 19};
    for (int i = 0; i < 7; ++i) {
        harness::tapControl(BetOneControl);
        EXPECT_EQ(wallet.bet, bets[i]) << "tap " << i + 1;
        EXPECT_EQ(wallet.credits, credits[i]) << "tap " << i + 1;
    }
    EXPECT_EQ(gameState, Idle);
    EXPECT_EQ(harness::soundLog(), "play 105, play 105, play 105, play 105, play 105, play 105, play 105");
    EXPECT_STREQ(textWidgets[BetDisplay].text, "    1");
    EXPECT_STREQ(textWidgets[CreditsDisplay].text, "   19");
    // Without the credits for one more coin the bet comes back too.
    wallet = {0, 3, 0, 1};
    harness::tapControl(BetOneControl);
    EXPECT_EQ(wallet.credits, 3);
    EXPECT_EQ(wallet.bet, 0);
}

TEST(Betting, MaxBetRaisesTheBetToTheMachineMaximumAndSpinsWithoutACoinSound) {
    for (Wallet before : {Wallet{3, 2, 0, 1}, Wallet{7, 5, 0, 1}}) {
        harness::idleOn();
        wallet = before;
        harness::tapControl(BetMaxControl);
        EXPECT_EQ(wallet.credits, before.credits - (5 - before.bet));
        EXPECT_EQ(wallet.bet, 5);
        EXPECT_EQ(gameState, Spinning);
        EXPECT_EQ(harness::soundLog(), "loop 104");
    }
}

TEST(Betting, SpinTakesOneCoinWhenNoBetStandsAndStopsOneAndAHalfToThreeSecondsLater) {
    harness::idleOn();
    harness::tapControl(SpinControl);
    EXPECT_EQ(wallet.credits, 19);
    EXPECT_EQ(wallet.bet, 1);
    EXPECT_EQ(gameState, Spinning);
    EXPECT_EQ(harness::soundLog(), "loop 104");
    // Settled, the same bet is taken again: the next spins take nothing more. Over many spins the
    // stop deadline lies 1500 to 2999 ms after the pass that took the tap, the whole range used.
    DWORD shortest = 3000, longest = 0;
    for (int spin = 0; spin < 300; ++spin) {
        ASSERT_GT(harness::runSpin(), 0);
        if (gameState == Broke) lendMoney();
        const int32_t expected = wallet.credits - (wallet.bet == 0 ? 1 : 0);  // after a loan
        const DWORD tapped = harness::clock() + 16;
        harness::tapControl(SpinControl);
        EXPECT_EQ(wallet.credits, expected);
        shortest = std::min(shortest, stopDeadline - tapped);
        longest = std::max(longest, stopDeadline - tapped);
    }
    EXPECT_GE(shortest, 1500u);
    EXPECT_LT(shortest, 1530u);
    EXPECT_GT(longest, 2970u);
    EXPECT_LE(longest, 2999u);
}

TEST(Settlement, PaysTheWinJudgesTheButtonsThenTakesTheBetAgainOrWhatIsLeft) {
    struct Case {
        Wallet before;
        uint32_t multiplier;
        Wallet after;
        GameState state;
        bool maxBetEnabled;  // judged on the credits before the next bet is taken
    };
    const Case cases[] = {
        {{10, 3, 0, 1}, 8, {31, 3, 24, 1}, Idle, true}, {{4, 1, 0, 1}, 1, {4, 1, 1, 1}, Idle, true},
        {{3, 3, 0, 1}, 0, {0, 3, 0, 1}, Idle, false},  // just enough for the same bet
        {{3, 5, 0, 1}, 0, {2, 1, 0, 1}, Idle, false},  // short credits: one coin
        {{0, 1, 0, 1}, 0, {0, 0, 0, 1}, Broke, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.before.credits);
        harness::idleOn();
        wallet = c.before;
        spinPaying(c.multiplier);
        EXPECT_EQ(wallet.credits, c.after.credits);
        EXPECT_EQ(wallet.bet, c.after.bet);
        EXPECT_EQ(wallet.lastWin, c.after.lastWin);
        EXPECT_EQ(gameState, c.state);
        EXPECT_EQ(enabled(1), c.maxBetEnabled);
        EXPECT_EQ(enabled(0), c.state == Idle);
        EXPECT_EQ(enabled(2), c.state == Idle);
        EXPECT_EQ(currentSound, c.after.lastWin != 0 ? WinSound : nullptr);
        EXPECT_EQ(std::atoi(textWidgets[WinDisplay].text), wallet.lastWin);
        if (c.state == Idle) {  // Broke leaves the display as the stake left it
            EXPECT_EQ(std::atoi(textWidgets[CreditsDisplay].text), wallet.credits);
        }
    }
}

TEST(Loan, EndsBrokeAddsTwentyInAnyStateAndTheNextSpinTakesACoin) {
    harness::idleOn();
    wallet = {0, 1, 0, 1};
    spinPaying(0);
    ASSERT_EQ(gameState, Broke);
    EXPECT_EQ(std::string({buttons[0].glyph, buttons[1].glyph, buttons[2].glyph}), "aaa");
    lendMoney();
    EXPECT_EQ(wallet.credits, 20);
    EXPECT_EQ(gameState, Idle);
    EXPECT_EQ(textWidgets[CashWarning].flags & (TextWidgetFlags::Visible | TextWidgetFlags::Erase),
              TextWidgetFlags::Erase);
    for (int b = 0; b < 3; ++b)
        EXPECT_TRUE(enabled(b));
    harness::tapControl(SpinControl);
    EXPECT_EQ(wallet.credits, 19);
    EXPECT_EQ(wallet.bet, 1);
    lendMoney();  // while the reels turn
    EXPECT_EQ(wallet.credits, 39);
    EXPECT_EQ(gameState, Spinning);
}

TEST(MoneyLimit, LoansAndPayoutsStopAtTheTopAndTheDisplaysShowTheMostTheyCan) {
    harness::idleOn();
    wallet = {MoneyLimit - 25, 5, 0, 1};
    lendMoney();
    EXPECT_EQ(wallet.credits, MoneyLimit - 5);  // the whole money is exactly the limit
    lendMoney();
    EXPECT_EQ(wallet.credits, MoneyLimit - 5);  // one more would pass it: nothing is added
    EXPECT_STREQ(textWidgets[CreditsDisplay].text, "9999999");
    harness::tapControl(BetOneControl);  // the bet back reaches the top exactly
    EXPECT_EQ(wallet.credits, MoneyLimit);
    EXPECT_EQ(wallet.bet, 0);

    // 150 won, 10 paid: the credits hold no more, and the win shown is what was paid.
    wallet = {MoneyLimit - 10, 5, 0, 1};
    spinPaying(30);
    EXPECT_EQ(wallet.lastWin, 10);
    EXPECT_EQ(wallet.credits, MoneyLimit - 5);
    EXPECT_EQ(wallet.bet, 5);
    EXPECT_STREQ(textWidgets[WinDisplay].text, "   10");
}
