// The state machine and its tick: start-up, every transition at its moment, blinking, and the
// deadlines of a clock that comes to the end of its 32 bits.
#include <gtest/gtest.h>

#include <vector>

#include "flow/betting.h"
#include "flow/buttons.h"
#include "flow/game.h"
#include "flow/machine.h"
#include "flow/reels.h"
#include "gfx/widgets.h"
#include "rules/outcome.h"
#include "rules/random.h"
#include "tests/flow/harness.h"

using namespace ButtonFlags;

namespace {

constexpr DWORD LastTick = 0xFFFFFFFFu;

bool warningShown() {
    return (textWidgets[CashWarning].flags & TextWidgetFlags::Visible) != 0;
}

// Runs passes until the clock has wrapped to 0 and gone on to `until`, and gives the clock of
// every pass after which shown() had changed.
template <typename Shown>
std::vector<DWORD> changesUntilAfterTheWrap(Shown shown, DWORD until) {
    std::vector<DWORD> ticks;
    bool wrapped = false;
    while (!wrapped || harness::clock() < until) {
        const DWORD before = harness::clock();
        const auto was = shown();
        harness::pass();
        wrapped = wrapped || harness::clock() < before;
        if (shown() != was) ticks.push_back(harness::clock());
    }
    return ticks;
}

// Every clock value from `from` on, a pass of 16 ms apart, up to the counter's last one.
void everyPassUntilTheWrap(std::vector<DWORD>& ticks, DWORD from) {
    for (DWORD t = from; t >= from; t += 16)
        ticks.push_back(t);
}

}  // namespace

TEST(GameStart, TheSplashIsSeededFromTheClockAndEndsStrictlyAfterItsThreeSeconds) {
    harness::startGame(5000, 1);
    EXPECT_EQ(gameState, Splash);
    EXPECT_EQ(RandomSource::state, 5000u);
    harness::setClock(7999);
    harness::pass();  // reads 8000, the deadline itself
    EXPECT_EQ(gameState, Splash);
    harness::pass();
    EXPECT_EQ(gameState, Redraw);
    EXPECT_EQ(currentMachine, 0);
    EXPECT_EQ(pictureSprite.image, nullptr);
    harness::pass();
    EXPECT_EQ(gameState, Idle);
    EXPECT_EQ(wallet.credits, 20);
}

TEST(GameTick, EveryTransitionAtItsMoment) {
    harness::idleOn(0, 1000, 1);
    harness::tapControl(2);  // Idle -> Spinning
    ASSERT_EQ(gameState, Spinning);
    harness::setClock(stopDeadline - 1);
    harness::pass();  // reads the deadline itself
    EXPECT_EQ(gameState, Spinning);
    harness::pass();  // Spinning -> Stopping strictly after it
    EXPECT_EQ(gameState, Stopping);
    ASSERT_GT(harness::runSpin(), 0);  // Stopping -> Idle when the last reel has stopped
    EXPECT_EQ(gameState, Idle);
    harness::tapControl(3);  // Idle -> PayTable
    EXPECT_EQ(gameState, PayTable);
    harness::setClock(harness::clock() + 3600000);
    harness::passes(10);
    EXPECT_EQ(gameState, PayTable);  // it never closes by itself
    harness::tapControl(2);          // PayTable -> Idle
    EXPECT_EQ(gameState, Idle);
    selectMachine(2);  // any -> Redraw for one pass
    EXPECT_EQ(gameState, Redraw);
    harness::pass();
    EXPECT_EQ(gameState, Idle);
    wallet.credits = 0;
    selectMachine(3);  // -> Broke when no coin is left
    EXPECT_EQ(gameState, Broke);
    lendMoney();  // Broke -> Idle
    EXPECT_EQ(gameState, Idle);
}

TEST(Blinking, EnabledButtonsFlipEvery500MsInIdleOnly) {
    harness::idleOn(0, 1000, 1);  // the first blink made: every button shows 'b'
    const DWORD due = buttons[0].blinkDeadline;
    harness::setClock(due - 2);
    harness::pass();  // reads due - 1
    EXPECT_EQ(buttons[0].glyph, 'b');
    harness::pass();  // reads due
    for (int b = 0; b < 3; ++b) {
        EXPECT_EQ(buttons[b].glyph, 'a');
        EXPECT_EQ(buttons[b].flags, Enabled | Dirty | ShowUp);
        EXPECT_EQ(buttons[b].blinkDeadline, due + 500);
    }
    // Not while the reels turn.
    harness::tapControl(2);
    harness::setClock(stopDeadline - 1);
    harness::pass();
    EXPECT_EQ(buttons[0].glyph, 'a');
}

TEST(Blinking, TheWarningFlipsWhenTheClockReachesItsDeadline) {
    harness::idleOn(0, 1000, 1);
    wallet.credits = 0;
    selectMachine(1);
    ASSERT_EQ(gameState, Broke);
    EXPECT_TRUE(warningShown());
    const DWORD due = textWidgets[CashWarning].nextBlink;
    harness::setClock(due - 2);
    harness::pass();
    EXPECT_TRUE(warningShown());
    harness::pass();  // reads due
    EXPECT_FALSE(warningShown());
}

// Deadlines are a tick count plus a duration, compared unsigned: one that lands past 2^32 - 1
// wraps to a small number, which the clock has already passed until the clock wraps too.
TEST(ClockWrap, TheSplashEndsAtOnceAndBlinkingFlipsOnEveryPassUntilTheCounterWraps) {
    const DWORD start = LastTick - 2000;
    harness::startGame(start, 16);
    EXPECT_EQ(pictureDeadline, 999u);  // start + 3000
    harness::pass();
    EXPECT_EQ(gameState, Redraw);
    harness::pass();
    ASSERT_EQ(gameState, Idle);
    const std::vector<DWORD> flips = changesUntilAfterTheWrap([] { return buttons[0].glyph; }, 1100);
    // Every 500 ms (32 passes) while the next deadline fits; from the flip at start + 1584, whose
    // deadline wraps to 83, on every pass; after the wrap every 500 ms again, from the last
    // deadline set, 499.
    std::vector<DWORD> expected = {start + 48, start + 560, start + 1072};
    everyPassUntilTheWrap(expected, start + 1584);
    expected.insert(expected.end(), {511, 1023});
    EXPECT_EQ(flips, expected);
    EXPECT_EQ(buttons[2].glyph, buttons[0].glyph);

    // The warning likewise (every 1000 ms otherwise): shown at start + 64, it first flips at
    // start + 1072, whose next deadline wraps already; after the wrap it flips at the first pass
    // past the last deadline set (999), then 1000 ms later.
    harness::idleOn(0, start, 16);
    wallet.credits = 0;
    selectMachine(1);
    ASSERT_EQ(gameState, Broke);
    expected.clear();
    everyPassUntilTheWrap(expected, start + 1072);
    expected.insert(expected.end(), {1007, 2015});
    EXPECT_EQ(changesUntilAfterTheWrap(warningShown, 2100), expected);
}

TEST(ClockWrap, ASpinWhoseStopDeadlineWrapsStopsOnThePassThatStartsItAndLandsOnItsTargets) {
    harness::idleOn(0, LastTick - 1400, 16);  // the splash deadline wrapped too
    harness::queueTap(170, 225);              // SPIN
    harness::pass();
    EXPECT_LT(stopDeadline, harness::clock());  // 1500 to 2999 ms ahead, wrapped
    EXPECT_EQ(gameState, Stopping);
    EXPECT_GT(harness::runSpin(), 0);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(reels[i].stripWindow.y, targetScroll[i]);
}
