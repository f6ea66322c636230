// Sound: what plays when, with sound on and off, and the sound last requested.
#include <gtest/gtest.h>

#include "flow/game.h"
#include "flow/machine.h"
#include "platform/headless.h"
#include "rules/outcome.h"
#include "flow/betting.h"
#include "shell/sound.h"
#include "tests/flow/harness.h"

namespace {

void idle() {
    harness::startGame();
    harness::endSplash();
    ASSERT_EQ(gameState, Idle);
    harness::clearSoundLog();
}

}  // namespace

TEST(Sound, TheTableNamesTheThreeWaves) {
    EXPECT_EQ(*ReelSound, 104u);
    EXPECT_EQ(*CoinSound, 105u);
    EXPECT_EQ(*WinSound, 106u);
    harness::resetAll();
    EXPECT_EQ(soundEnabled, 1);
    EXPECT_EQ(currentSound, nullptr);
}

TEST(Sound, WithSoundOffNothingIsHeardButTheLastSoundIsRecorded) {
    idle();
    setSoundEnabled(0);
    EXPECT_EQ(harness::soundLog(), "stop");
    harness::clearSoundLog();
    BetOne();
    EXPECT_EQ(currentSound, CoinSound);
    Spin();
    EXPECT_EQ(currentSound, ReelSound);
    EXPECT_EQ(playSound(WinSound, 1), 0);
    EXPECT_EQ(harness::soundLog(), "");
    EXPECT_FALSE(headlessSoundPlaying(nullptr, nullptr));
}

TEST(Sound, SwitchingOffDuringASpinSilencesItAndOnDoesNotBringItBack) {
    idle();
    Spin();
    WORD id = 0;
    bool looping = false;
    ASSERT_TRUE(headlessSoundPlaying(&id, &looping));
    EXPECT_EQ(id, 104);
    EXPECT_TRUE(looping);
    setSoundEnabled(0);
    EXPECT_FALSE(headlessSoundPlaying(nullptr, nullptr));
    setSoundEnabled(1);
    harness::passes(20);
    EXPECT_FALSE(headlessSoundPlaying(nullptr, nullptr));
    EXPECT_EQ(harness::soundLog(), "loop 104, stop");
}

TEST(Sound, StopSoundStopsWhateverPlays) {
    idle();
    BetOne();
    stopSound(ReelSound);  // the entry is not looked at
    EXPECT_EQ(harness::soundLog(), "play 105, stop");
    EXPECT_EQ(playSound(nullptr, 1), 0);
    EXPECT_EQ(harness::soundLog(), "play 105, stop");
}

TEST(Sound, ABetDuringTheWinSoundCutsItOff) {
    idle();
    wallet.bet = 1;
    wallet.credits = 19;
    pendingMultiplier = 8;
    gameState = settleSpin();
    BetOne();
    EXPECT_EQ(harness::soundLog(), "play 106, play 105");
    WORD id = 0;
    ASSERT_TRUE(headlessSoundPlaying(&id, nullptr));
    EXPECT_EQ(id, 105);
}

TEST(Sound, ASpinEndsInSilenceOrWithTheWinSound) {
    idle();
    for (int spin = 0; spin < 30; ++spin) {
        harness::clearSoundLog();
        Spin();
        ASSERT_GT(harness::runSpin(), 0);
        // The reel sound, then its stop on every pass while the last reel slows, then the win.
        const size_t count = headlessSoundEventCount();
        const bool won = pendingMultiplier != 0;
        ASSERT_GE(count, won ? 3u : 2u);
        EXPECT_EQ(headlessSoundEvent(0).kind, SoundEventKind::Loop);
        EXPECT_EQ(headlessSoundEvent(0).id, 104);
        for (size_t i = 1; i < count - (won ? 1 : 0); ++i)
            EXPECT_EQ(headlessSoundEvent(i).kind, SoundEventKind::Stop);
        WORD id = 0;
        if (won) {
            EXPECT_EQ(headlessSoundEvent(count - 1).kind, SoundEventKind::Play);
            EXPECT_EQ(headlessSoundEvent(count - 1).id, 106);
            EXPECT_EQ(currentSound, WinSound);
            EXPECT_TRUE(headlessSoundPlaying(&id, nullptr));
        } else {
            EXPECT_EQ(currentSound, nullptr);
            EXPECT_FALSE(headlessSoundPlaying(&id, nullptr));
        }
        if (gameState == Broke) lendMoney();
    }
}
