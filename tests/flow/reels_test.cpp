// Reel motion and stopping (full speed on the first machine is in the golden spinning frame): a
// strip's own period, the stop window, the slowdown onto the target, strict left-to-right order,
// the reel sound and settlement on the following pass.
#include <gtest/gtest.h>

#include <vector>

#include "flow/betting.h"
#include "flow/game.h"
#include "flow/reels.h"
#include "rules/machines.h"
#include "rules/outcome.h"
#include "rules/random.h"
#include "shell/sound.h"
#include "tests/flow/harness.h"

namespace {

// Reel 0 at y on its way to target with the stop window [start, end]; the others stopped.
void aimFirstReel(int16_t y, int16_t target, int16_t start, int16_t end) {
    for (int i = 1; i < 3; ++i) {
        reels[i].speedStage = 8;
        targetScroll[i] = reels[i].stripWindow.y;
    }
    reels[0].stripWindow.y = y;
    reels[0].speedStage = 0;
    targetScroll[0] = target;
    windowStart[0] = start;
    windowEnd[0] = end;
}

}  // namespace

TEST(ReelMotion, RoraviRarivsStripWrapsOverItsOwnPeriod) {
    harness::idleOn(3);
    reels[0].stripWindow.y = 0;
    advanceReels();
    EXPECT_EQ(reels[0].stripWindow.y, 281);  // 0 - 16 + 297
}

TEST(ReelStopping, AReelSlowsStageByStageFromItsWindowAndCreepsOntoItsTarget) {
    harness::idleOn(0);
    gameState = Stopping;
    aimFirstReel(200, 153, 189, 205);
    reels[1].speedStage = 0;  // the reels to its right still turn, unlooked at
    const int expected[] = {188, 180, 174, 170, 167, 165, 164, 163, 162, 161,
                            160, 159, 158, 157, 156, 155, 154, 153, 153};
    for (int tick = 0; tick < 19; ++tick) {
        gameTick();
        EXPECT_EQ(reels[0].stripWindow.y, expected[tick]) << "pass " << tick + 1;
        EXPECT_EQ(reels[0].speedStage, tick < 7 ? tick + 1 : (tick < 18 ? 7 : 8)) << "pass " << tick + 1;
        EXPECT_EQ(reels[1].speedStage, 0);
    }
}

TEST(ReelStopping, TheStopWindowIsCyclicAndTheLastStageWaitsForTheTarget) {
    harness::idleOn(0);
    for (int y : {291, 300, 305, 0, 1, 290, 2, 150}) {
        aimFirstReel(static_cast<int16_t>(y), 255, 291, 1);
        ASSERT_TRUE(stepStopping());
        EXPECT_EQ(reels[0].speedStage, y >= 291 || y <= 1 ? 1 : 0) << "y " << y;
    }
    aimFirstReel(160, 153, 189, 205);
    reels[0].speedStage = 7;
    ASSERT_TRUE(stepStopping());
    EXPECT_EQ(reels[0].speedStage, 7);  // one row a pass until the target
    reels[0].stripWindow.y = 153;
    ASSERT_TRUE(stepStopping());
    EXPECT_EQ(reels[0].speedStage, 8);
    EXPECT_FALSE(stepStopping());  // no reel moves any more
}

// Whole spins played out through the main loop on every machine, recording every pass.
TEST(ReelStopping, ReelsStopStrictlyLeftToRightOnTheirTargetsAndSettleOnTheNextPass) {
    for (uint8_t machine = 0; machine < MachineCount; ++machine) {
        harness::idleOn(machine);
        RandomSource::seed(12345u + machine);
        const int n = machineDefs[machine].reelCount;
        harness::tapControl(2);
        std::vector<int> stopPass(n, -1);
        int lastStopped = -1, soundStop = -1, settled = -1, slowPass = -1;
        for (int p = 0; p < 5000 && settled < 0; ++p) {
            harness::pass();
            for (int i = 0; i < n; ++i) {
                if (stopPass[i] < 0 && reels[i].speedStage == 8) stopPass[i] = p;
                // A reel leaves full speed only after the pass on which its left neighbour stopped.
                if (i > 0 && reels[i].speedStage > 0) {
                    EXPECT_LT(stopPass[i - 1], p) << int(machine);
                }
            }
            if (slowPass < 0 && reels[n - 1].speedStage >= 4) slowPass = p;
            if (soundStop < 0 && harness::soundLog().find("stop") != std::string::npos) soundStop = p;
            if (lastStopped < 0 && stopPass[n - 1] >= 0) lastStopped = p;
            if (gameState != Spinning && gameState != Stopping) settled = p;
        }
        ASSERT_GE(settled, 0);
        EXPECT_EQ(settled, lastStopped + 1) << "settled on the pass after the last reel stopped";
        // The reel sound goes when the last reel slows below speed 5, before it stops.
        EXPECT_EQ(soundStop, slowPass);
        EXPECT_LT(soundStop, lastStopped);
        for (int i = 0; i < n; ++i) {
            EXPECT_EQ(reels[i].stripWindow.y, targetScroll[i]) << "reel " << i;
            EXPECT_EQ(reels[i].speedStage, 8);
        }
    }
}
