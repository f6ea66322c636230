// Sound, read from the platform's log: what plays when, with sound on and off.
#include <gtest/gtest.h>

#include "flow/betting.h"
#include "flow/game.h"
#include "platform/headless.h"
#include "platform/probe.h"
#include "rules/outcome.h"
#include "shell/sound.h"
#include "tests/flow/harness.h"

TEST(Sound, ASpinLoopsTheReelSoundStopsItAsTheLastReelSlowsAndEndsInSilenceOrTheWinSound) {
    harness::idleOn();
    for (int spin = 0; spin < 30; ++spin) {
        harness::clearSoundLog();
        harness::tapControl(2);
        ASSERT_GT(harness::runSpin(), 0);
        // The loop, then a stop on every pass while the last reel slows, then the win.
        const size_t count = headlessSoundEventCount();
        const bool won = wallet.lastWin != 0;
        ASSERT_GE(count, won ? 3u : 2u);
        EXPECT_EQ(headlessSoundEvent(0).kind, SoundEventKind::Loop);
        EXPECT_EQ(headlessSoundEvent(0).id, 104);
        for (size_t i = 1; i < count - (won ? 1 : 0); ++i)
            EXPECT_EQ(headlessSoundEvent(i).kind, SoundEventKind::Stop);
        WORD playing = 0;
        EXPECT_EQ(headlessSoundPlaying(&playing, nullptr), won);
        if (won) {
            EXPECT_EQ(headlessSoundEvent(count - 1).kind, SoundEventKind::Play);
            EXPECT_EQ(headlessSoundEvent(count - 1).id, 106);
            EXPECT_EQ(playing, 106);
        }
        if (gameState == Broke) lendMoney();
    }
}

TEST(Sound, ABetDuringTheWinSoundCutsItOff) {
    harness::idleOn();
    harness::tapControl(2);
    pendingMultiplier = 8;
    ASSERT_GT(harness::runSpin(), 0);
    harness::clearSoundLog();
    harness::tapControl(0);
    EXPECT_EQ(harness::soundLog(), "play 105");
    WORD playing = 0;
    ASSERT_TRUE(headlessSoundPlaying(&playing, nullptr));
    EXPECT_EQ(playing, 105);
}

TEST(Sound, OffSilencesASpinAndKeepsTheGameQuietButStillRecordsTheLastSound) {
    harness::idleOn();
    harness::tapControl(2);
    setSoundEnabled(0);
    EXPECT_FALSE(headlessSoundPlaying(nullptr, nullptr));
    EXPECT_EQ(harness::soundLog(), "loop 104, stop");
    harness::clearSoundLog();
    pendingMultiplier = 8;
    ASSERT_GT(harness::runSpin(), 0);
    EXPECT_EQ(currentSound, WinSound);
    harness::tapControl(0);
    EXPECT_EQ(currentSound, CoinSound);
    // Stops still reach the platform as the last reel slows; nothing is started.
    for (size_t i = 0; i < headlessSoundEventCount(); ++i)
        EXPECT_EQ(headlessSoundEvent(i).kind, SoundEventKind::Stop);
    harness::clearSoundLog();
    // On again, nothing comes back until the next sound.
    setSoundEnabled(1);
    harness::passes(20);
    EXPECT_FALSE(headlessSoundPlaying(nullptr, nullptr));
    harness::tapControl(2);
    EXPECT_EQ(harness::soundLog(), "loop 104");
}
