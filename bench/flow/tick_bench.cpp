// The cost of the game's per-pass work on the headless platform: a tick while the reels turn, and
// a whole pass of the main loop (message poll, incremental frame, tick) through a game of spins.
#include <benchmark/benchmark.h>

#include "flow/betting.h"
#include "flow/game.h"
#include "flow/reels.h"
#include "tests/flow/harness.h"

namespace {

// gameTick while Spinning: every reel moves 16 rows.
void TickWhileSpinning(benchmark::State& state) {
    harness::idleOn();
    Spin();
    stopDeadline = 0xFFFFFFFFu;  // never stops
    for (auto _ : state)
        gameTick();
}

// Passes of the main loop through spin after spin, with a loan whenever the credits run out.
void MainLoopPassesThroughSpins(benchmark::State& state) {
    harness::idleOn();
    for (auto _ : state) {
        if (gameState == Idle) Spin();
        if (gameState == Broke) lendMoney();
        harness::pass();
    }
}

}  // namespace

BENCHMARK(TickWhileSpinning);
BENCHMARK(MainLoopPassesThroughSpins);
