// Reel motion and stopping: pixels per pass, the stop window, the slowdown and creep onto the
// target, strict left-to-right order, the reel sound and settlement on the following pass.
#include <gtest/gtest.h>

#include <vector>

#include "flow/game.h"
#include "flow/machine.h"
#include "flow/reels.h"
#include "rules/machines.h"
#include "rules/outcome.h"
#include "rules/random.h"
#include "flow/betting.h"
#include "shell/sound.h"
#include "tests/flow/harness.h"

namespace {

void idleOn(uint8_t machine) {
    harness::startGame();
    harness::endSplash();
    selectMachine(machine);
    harness::pass();
    ASSERT_EQ(gameState, Idle);
}

// Reel i made to stop at target with the window the outcome would give it.
void aimReel(int i, int16_t y, int16_t target) {
    const int period = machineDefs[currentMachine].reelRects[i].h * ReelStripLength / 4;
    reels[i].stripWindow.y = y;
    reels[i].speedStage = 0;
    targetScroll[i] = target;
    int start = target + 36;
    int end = start + 16;
    if (start > period) start -= period;
    if (end > period) end -= period;
    windowStart[i] = static_cast<int16_t>(start);
    windowEnd[i] = static_cast<int16_t>(end);
}

void standStill(int i, int16_t y) {
    reels[i].stripWindow.y = y;
    reels[i].speedStage = 8;
    targetScroll[i] = y;
}

}  // namespace

TEST(ReelMotion, FullSpeedIsSixteenPixelsAndWrapsOverThePeriod) {
    idleOn(0);
    EXPECT_EQ(stripPeriod(0), 306);
    for (int i = 0; i < 3; ++i)
        reels[i].stripWindow.y = static_cast<int16_t>(5 + i * 16);
    advanceReels();
    EXPECT_EQ(reels[0].stripWindow.y, 295);  // 5 - 16 + 306
    EXPECT_EQ(reels[1].stripWindow.y, 5);
    EXPECT_EQ(reels[2].stripWindow.y, 21);
    reels[1].speedStage = 8;
    advanceReels();
    EXPECT_EQ(reels[1].stripWindow.y, 5);  // a stopped reel stays put
}

TEST(ReelMotion, RoraviRarivRunsOverItsOwnPeriod) {
    idleOn(3);
    EXPECT_EQ(stripPeriod(0), 297);
    reels[0].stripWindow.y = 0;
    advanceReels();
    EXPECT_EQ(reels[0].stripWindow.y, 281);
}

TEST(ReelStopping, TheWorkedStopTakesNineteenPasses) {
    idleOn(0);
    gameState = Stopping;
    aimReel(0, 200, 153);
    ASSERT_EQ(windowStart[0], 189);
    ASSERT_EQ(windowEnd[0], 205);
    aimReel(1, 0, 0);
    aimReel(2, 0, 0);
    const int expected[] = {188, 180, 174, 170, 167, 165, 164, 163, 162, 161,
                            160, 159, 158, 157, 156, 155, 154, 153, 153};
    for (int tick = 0; tick < 19; ++tick) {
        gameTick();
        EXPECT_EQ(reels[0].stripWindow.y, expected[tick]) << "pass " << tick + 1;
        EXPECT_EQ(reels[0].speedStage, tick < 7 ? tick + 1 : (tick < 18 ? 7 : 8)) << "pass " << tick + 1;
        // The reels to its right keep turning at full speed and are not looked at.
        EXPECT_EQ(reels[1].speedStage, 0);
        EXPECT_EQ(reels[2].speedStage, 0);
    }
    EXPECT_EQ(gameState, Stopping);
}

TEST(ReelStopping, AFullSpeedReelPassesItsTargetOutsideTheWindow) {
    idleOn(0);
    gameState = Stopping;
    aimReel(0, 153, 153);  // on the target, but the window is 189 to 205
    standStill(1, 0);
    standStill(2, 0);
    gameTick();
    EXPECT_EQ(reels[0].speedStage, 0);
    EXPECT_EQ(reels[0].stripWindow.y, 137);
}

TEST(ReelStopping, AReelAlreadyInsideItsWindowSlowsOnTheFirstPass) {
    idleOn(0);
    gameState = Stopping;
    aimReel(0, 189, 153);
    standStill(1, 0);
    standStill(2, 0);
    gameTick();
    EXPECT_EQ(reels[0].speedStage, 1);
    EXPECT_EQ(reels[0].stripWindow.y, 177);
}

TEST(ReelStopping, AWrappedWindowIsCyclic) {
    idleOn(0);
    gameState = Stopping;
    standStill(1, 0);
    standStill(2, 0);
    aimReel(0, 0, 255);
    ASSERT_EQ(windowStart[0], 291);
    ASSERT_EQ(windowEnd[0], 1);
    for (int y : {291, 300, 305, 0, 1}) {
        reels[0].stripWindow.y = static_cast<int16_t>(y);
        reels[0].speedStage = 0;
        ASSERT_TRUE(stepStopping());
        EXPECT_EQ(reels[0].speedStage, 1) << "y " << y;
    }
    for (int y : {290, 2, 150}) {
        reels[0].stripWindow.y = static_cast<int16_t>(y);
        reels[0].speedStage = 0;
        ASSERT_TRUE(stepStopping());
        EXPECT_EQ(reels[0].speedStage, 0) << "y " << y;
    }
}

TEST(ReelStopping, TheStoppedStageWaitsForTheTarget) {
    idleOn(0);
    standStill(1, 0);
    standStill(2, 0);
    aimReel(0, 160, 153);
    reels[0].speedStage = 7;
    ASSERT_TRUE(stepStopping());
    EXPECT_EQ(reels[0].speedStage, 7);  // 160 is not the target: speed 1 stays
    reels[0].stripWindow.y = 153;
    ASSERT_TRUE(stepStopping());
    EXPECT_EQ(reels[0].speedStage, 8);
    EXPECT_FALSE(stepStopping());  // no reel moves any more
}

// A whole spin played out through the main loop, recording every pass.
TEST(ReelStopping, ReelsStopStrictlyLeftToRightOnTheirTargetsAndSettleOnTheNextPass) {
    for (uint8_t machine = 0; machine < MachineCount; ++machine) {
        idleOn(machine);
        RandomSource::seed(12345u + machine);
        const int n = machineDefs[machine].reelCount;
        Spin();
        harness::clearSoundLog();
        std::vector<int> stopPass(n, -1);
        int lastStopped = -1, soundStop = -1, settled = -1, slowPass = -1;
        for (int p = 0; p < 5000 && settled < 0; ++p) {
            harness::pass();
            for (int i = 0; i < n; ++i) {
                if (stopPass[i] < 0 && reels[i].speedStage == 8) stopPass[i] = p;
                // A reel to the right of a moving reel is never slowed.
                if (i > 0 && stopPass[i - 1] < 0) {
                    EXPECT_EQ(reels[i].speedStage, 0) << "machine " << int(machine);
                }
                // A reel leaves full speed only after the pass on which its left neighbour stopped.
                if (i > 0 && reels[i].speedStage > 0) {
                    EXPECT_LT(stopPass[i - 1], p);
                }
            }
            if (slowPass < 0 && reels[n - 1].speedStage >= 4) slowPass = p;
            if (soundStop < 0 && harness::soundLog().rfind("stop", 0) == 0) soundStop = p;
            if (lastStopped < 0 && stopPass[n - 1] >= 0) lastStopped = p;
            if (gameState != Spinning && gameState != Stopping) settled = p;
        }
        ASSERT_GE(settled, 0);
        for (int i = 1; i < n; ++i)
            EXPECT_LT(stopPass[i - 1], stopPass[i]);
        EXPECT_EQ(settled, lastStopped + 1) << "settled on the pass after the last reel stopped";
        // The reel sound goes when the last reel slows below speed 5, before it stops.
        EXPECT_EQ(soundStop, slowPass);
        EXPECT_LT(soundStop, lastStopped);
        EXPECT_EQ(currentSound, pendingMultiplier != 0 ? WinSound : nullptr);
        for (int i = 0; i < n; ++i) {
            EXPECT_EQ(reels[i].stripWindow.y, targetScroll[i]) << "reel " << i;
            EXPECT_EQ(reels[i].speedStage, 8);
        }
    }
}

TEST(ReelStopping, TheFirstReelsSlowingDoNotStopTheSound) {
    idleOn(0);
    Spin();
    gameState = Stopping;
    harness::clearSoundLog();
    aimReel(0, 189, 153);
    for (int i = 0; i < 7; ++i)
        stepStopping();
    EXPECT_EQ(reels[0].speedStage, 7);
    EXPECT_EQ(harness::soundLog(), "");
    EXPECT_EQ(currentSound, ReelSound);
    standStill(0, 153);
    standStill(1, 0);
    reels[2].speedStage = 3;
    ASSERT_TRUE(stepStopping());
    EXPECT_EQ(reels[2].speedStage, 4);
    EXPECT_EQ(harness::soundLog(), "stop");
    EXPECT_EQ(currentSound, nullptr);
}
