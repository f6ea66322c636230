// PlaySoundW on the headless backend: wave resources played once or looping, one at a time,
// stopped by a call without a sound; each change written to the sound log.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/headless.h"
#include "platform/host.h"
#include "platform/windows.h"
#include "tests/platform/test_resources.h"

namespace {

std::vector<std::string> soundLog() {
    std::vector<std::string> out;
    for (size_t i = 0; i < headlessSoundEventCount(); ++i) {
        char text[32];
        headlessFormatSoundEvent(headlessSoundEvent(i), text, sizeof text);
        out.emplace_back(text);
    }
    return out;
}

void passes(int n) {
    MSG msg;
    for (int i = 0; i < n; ++i)
        PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);
}

class Sound : public ::testing::Test {
protected:
    void SetUp() override {
        platformReset();
        catalogue.addWave(104, testres::makeWave(8000, 3300));
        catalogue.addWave(105, testres::makeWave(11025, 489));
        catalogue.addWave(106, testres::makeWave(11025, 2183));
        testres::Bytes broken = testres::makeWave(8000, 100);
        broken[8] = 'X';
        catalogue.addWave(107, broken);
        instance = instanceFromCatalogue(catalogue.get());
    }
    testres::Catalogue catalogue;
    HINSTANCE instance = nullptr;
};

TEST_F(Sound, OneSoundAtATimeOnceOrLooping) {
    EXPECT_TRUE(PlaySoundW(MAKEINTRESOURCEW(104), instance, SND_RESOURCE | SND_ASYNC | SND_LOOP));
    WORD id = 0;
    bool looping = false;
    ASSERT_TRUE(headlessSoundPlaying(&id, &looping));
    EXPECT_EQ(id, 104);
    EXPECT_TRUE(looping);
    passes(100);
    EXPECT_TRUE(headlessSoundPlaying(&id, &looping)) << "a loop plays on";
    EXPECT_TRUE(PlaySoundW(MAKEINTRESOURCEW(105), instance, SND_RESOURCE | SND_ASYNC));
    ASSERT_TRUE(headlessSoundPlaying(&id, &looping));
    EXPECT_EQ(id, 105) << "the new sound ended the loop";
    EXPECT_FALSE(looping);
    passes(2);  // 32 ms of a 45 ms sound
    EXPECT_TRUE(headlessSoundPlaying(nullptr, nullptr));
    passes(1);
    EXPECT_FALSE(headlessSoundPlaying(&id, nullptr)) << "played once, it ends by itself";
    EXPECT_EQ(id, 0);
    EXPECT_TRUE(PlaySoundW(nullptr, nullptr, 0));
    EXPECT_EQ(soundLog(), (std::vector<std::string>{"loop 104", "play 105", "stop"}));
    EXPECT_EQ(headlessSoundEvent(1).tick, 16u * 100);
}

TEST_F(Sound, StopEndsAPlayingSoundAtOnce) {
    PlaySoundW(MAKEINTRESOURCEW(106), instance, SND_RESOURCE | SND_ASYNC);
    EXPECT_TRUE(headlessSoundPlaying(nullptr, nullptr));
    PlaySoundW(nullptr, nullptr, 0);
    EXPECT_FALSE(headlessSoundPlaying(nullptr, nullptr));
    EXPECT_EQ(soundLog(), (std::vector<std::string>{"play 106", "stop"}));
}

TEST_F(Sound, FailedPlaysAreSilentAndEndTheSoundPlaying) {
    PlaySoundW(MAKEINTRESOURCEW(104), instance, SND_RESOURCE | SND_ASYNC | SND_LOOP);
    EXPECT_FALSE(PlaySoundW(MAKEINTRESOURCEW(108), instance, SND_RESOURCE | SND_ASYNC)) << "missing";
    EXPECT_FALSE(headlessSoundPlaying(nullptr, nullptr));
    EXPECT_FALSE(PlaySoundW(MAKEINTRESOURCEW(107), instance, SND_RESOURCE | SND_ASYNC)) << "not a wave";
    EXPECT_FALSE(PlaySoundW(MAKEINTRESOURCEW(104), instance, SND_RESOURCE | SND_LOOP))
        << "a loop must be async";
    EXPECT_FALSE(PlaySoundW(u"tada", instance, SND_ALIAS | SND_ASYNC));
    EXPECT_FALSE(PlaySoundW(MAKEINTRESOURCEW(104), nullptr, SND_RESOURCE | SND_ASYNC));
    EXPECT_EQ(soundLog(), (std::vector<std::string>{"loop 104", "stop", "stop", "stop", "stop", "stop"}));
    headlessClearSoundLog();
    EXPECT_EQ(headlessSoundEventCount(), 0u);
}

TEST_F(Sound, LogTextsAreShortAndSafe) {
    char text[6];
    EXPECT_EQ(headlessFormatSoundEvent(SoundEvent{SoundEventKind::Loop, 104, 0}, text, sizeof text), 5);
    EXPECT_EQ(std::string(text), "loop ");
    EXPECT_EQ(headlessFormatSoundEvent(SoundEvent{SoundEventKind::Stop, 0, 0}, text, 0), 0);
    SoundEvent outside = headlessSoundEvent(999);
    EXPECT_EQ(outside.kind, SoundEventKind::Stop);
}

}  // namespace
