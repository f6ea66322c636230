// PlaySoundW on the headless backend: wave resources played once or looping, one at a time,
// stopped by a call without a sound; each change written to the sound log.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/headless.h"
#include "platform/host.h"
#include "platform/probe.h"
#include "platform/windows.h"
#include "tests/platform/support.h"

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
        instance = catalogue.instance();
    }
    support::Catalogue catalogue{
        "104 WAVE \"reel.wav\"\n105 WAVE \"coin.wav\"\n107 RCDATA \"coin.wav\"\n"
        "108 WAVE BEGIN \"RIFX\" END\n",
        {{"reel.wav", support::wave(8000, 3300)}, {"coin.wav", support::wave(11025, 489)}}};
    HINSTANCE instance = nullptr;
};

TEST_F(Sound, OneSoundPlaysAtATimeOnceOrLooping) {
    EXPECT_TRUE(PlaySoundW(MAKEINTRESOURCEW(104), instance, SND_RESOURCE | SND_ASYNC | SND_LOOP));
    WORD id = 0;
    bool looping = false;
    passes(100);
    ASSERT_TRUE(headlessSoundPlaying(&id, &looping)) << "a loop plays on";
    EXPECT_EQ(id, 104);
    EXPECT_TRUE(looping);
    EXPECT_TRUE(PlaySoundW(MAKEINTRESOURCEW(105), instance, SND_RESOURCE | SND_ASYNC));
    ASSERT_TRUE(headlessSoundPlaying(&id, &looping));
    EXPECT_EQ(id, 105) << "the new sound ended the loop";
    EXPECT_FALSE(looping);
    passes(2);  // 32 ms of a 45 ms sound
    EXPECT_TRUE(headlessSoundPlaying(nullptr, nullptr));
    passes(1);
    EXPECT_FALSE(headlessSoundPlaying(&id, nullptr)) << "played once, it ends by itself";
    EXPECT_EQ(id, 0);
    EXPECT_TRUE(PlaySoundW(MAKEINTRESOURCEW(105), instance, SND_RESOURCE | SND_ASYNC));
    EXPECT_TRUE(PlaySoundW(nullptr, nullptr, 0));
    EXPECT_FALSE(headlessSoundPlaying(nullptr, nullptr)) << "stopped at once";
    EXPECT_EQ(soundLog(), (std::vector<std::string>{"loop 104", "play 105", "play 105", "stop"}));
    EXPECT_EQ(headlessSoundEvent(1).tick, 16u * 100);
}

TEST_F(Sound, AFailedPlayIsSilentAndEndsTheSoundPlaying) {
    PlaySoundW(MAKEINTRESOURCEW(104), instance, SND_RESOURCE | SND_ASYNC | SND_LOOP);
    EXPECT_FALSE(PlaySoundW(MAKEINTRESOURCEW(106), instance, SND_RESOURCE | SND_ASYNC)) << "missing";
    EXPECT_FALSE(headlessSoundPlaying(nullptr, nullptr));
    EXPECT_FALSE(PlaySoundW(MAKEINTRESOURCEW(107), instance, SND_RESOURCE | SND_ASYNC)) << "not a WAVE";
    EXPECT_FALSE(PlaySoundW(MAKEINTRESOURCEW(108), instance, SND_RESOURCE | SND_ASYNC)) << "not a wave";
    EXPECT_FALSE(PlaySoundW(MAKEINTRESOURCEW(104), instance, SND_RESOURCE | SND_LOOP))
        << "a loop must be async";
    EXPECT_FALSE(PlaySoundW(u"tada", instance, SND_ASYNC));
    EXPECT_FALSE(PlaySoundW(MAKEINTRESOURCEW(104), nullptr, SND_RESOURCE | SND_ASYNC));
    EXPECT_EQ(soundLog(),
              (std::vector<std::string>{"loop 104", "stop", "stop", "stop", "stop", "stop", "stop"}));
    // The log's text is cut to the buffer; an index past the log reads as a stop.
    char text[6];
    EXPECT_EQ(headlessFormatSoundEvent(headlessSoundEvent(0), text, sizeof text), 5);
    EXPECT_EQ(std::string(text), "loop ");
    EXPECT_EQ(headlessSoundEvent(99).kind, SoundEventKind::Stop);
    headlessClearSoundLog();
    EXPECT_EQ(headlessSoundEventCount(), 0u);
}

}  // namespace
