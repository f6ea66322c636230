// A long randomized game with a fixed seed: taps anywhere on and off the controls, loans, machine
// switches, sound switching and jumps of the clock, checking the books at every settlement.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "flow/betting.h"
#include "flow/game.h"
#include "flow/machine.h"
#include "flow/reels.h"
#include "rules/machines.h"
#include "rules/outcome.h"
#include "shell/sound.h"
#include "tests/flow/harness.h"

namespace {

constexpr int Passes = 1000000;

bool knownState(uint8_t s) {
    return s == Idle || s == Redraw || s == Spinning || s == Stopping || s == Broke || s == Splash ||
           s == PayTable;
}

int64_t wholeMoney() {
    return static_cast<int64_t>(wallet.credits) + int64_t{wallet.bet} * wallet.coinValue;
}

}  // namespace

TEST(Stress, AMillionPassesKeepTheBooks) {
    harness::startGame(1000, 16);
    std::mt19937 rng(20240611u);
    auto chance = [&rng](uint32_t oneIn) { return rng() % oneIn == 0; };
    auto between = [&rng](int lo, int hi) {
        return lo + static_cast<int>(rng() % static_cast<uint32_t>(hi - lo + 1));
    };

    int64_t loans = 0, payouts = 0, stakes = 0;
    int settlements = 0, wins = 0, brokes = 0, switches = 0;
    for (int p = 0; p < Passes; ++p) {
        // What the player does between two passes.
        if (chance(120)) {
            if (chance(3)) {
                harness::queueTap(between(-30, 270), between(-30, 330));
            } else {
                // On or just around one of the machine's controls.
                const Rect16& r = currentMachineDef().controlRects[between(0, MaxControls - 1)];
                harness::queueTap(between(r.x - 1, r.x + r.w), between(r.y - 1, r.y + r.h));
            }
        }
        if (chance(60000) || (gameState == Broke && chance(300))) {
            const int64_t before = wholeMoney();
            lendMoney();
            const int64_t added = wholeMoney() - before;
            EXPECT_TRUE(added == 20 || added == 0);
            loans += added;
        }
        if (chance(8000)) {
            const int64_t before = wholeMoney();
            selectMachine(static_cast<uint8_t>(between(0, MachineCount - 1)));
            EXPECT_EQ(wholeMoney(), before);  // an abandoned spin's stake comes back
            ++switches;
        }
        if (chance(5000)) setSoundEnabled(static_cast<uint8_t>(between(0, 1)));
        if (chance(4000)) harness::setClock(harness::clock() + static_cast<DWORD>(between(1, 120000)));

        const uint8_t before = gameState;
        const int16_t stake = wallet.bet;
        harness::pass();
        ASSERT_TRUE(knownState(gameState)) << "pass " << p << ": " << int(gameState);

        if (before == Stopping && (gameState == Idle || gameState == Broke)) {
            ++settlements;
            stakes += int64_t{stake} * wallet.coinValue;
            payouts += wallet.lastWin;
            wins += wallet.lastWin != 0;
            brokes += gameState == Broke;
            ASSERT_EQ(wholeMoney(), 20 + loans + payouts - stakes) << "settlement " << settlements;
            const MachineDef& d = currentMachineDef();
            for (int i = 0; i < d.reelCount; ++i) {
                ASSERT_EQ(reels[i].stripWindow.y, targetScroll[i]) << "reel " << i;
                ASSERT_EQ(reels[i].speedStage, 8) << "reel " << i;
            }
        }
    }
    // The run really played: many spins, wins, losses to broke and switches.
    EXPECT_GT(settlements, 1000);
    EXPECT_GT(wins, 100);
    EXPECT_GT(brokes, 0);
    EXPECT_GT(switches, 50);
}
