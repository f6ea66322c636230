// The headless backend: a clock moved by the passes, injected input, a log of sounds.
#include <algorithm>
#include <cstdio>

#include "platform/headless.h"
#include "platform/internal.h"
#include "platform/probe.h"

namespace {

constexpr size_t MaxSoundEvents = 16384;
constexpr int DefaultClock = 9 * 60 + 41;

struct Headless {
    DWORD tick = 0, startTick = 0, step = 16;
    SoundEvent log[MaxSoundEvents] = {};
    size_t logCount = 0;
    size_t dropped = 0;  // events that found the log full
    bool playing = false, looping = false;
    WORD playingId = 0;
    DWORD playStart = 0;
    uint64_t durationMs = 0;
};

Headless& headless() {
    static Headless* instance = new Headless();  // lives for the whole process
    return *instance;
}

void record(SoundEventKind kind, WORD id) {
    Headless& h = headless();
    if (h.logCount < MaxSoundEvents) {
        h.log[h.logCount++] = SoundEvent{kind, id, h.tick};
    } else {
        ++h.dropped;
    }
}

DWORD tickCount() {
    return headless().tick;
}

void beginPass(const uint32_t*, bool) {
    Headless& h = headless();
    h.tick += h.step;
}

void playWave(const WaveSound& wave, bool loop) {
    Headless& h = headless();
    record(loop ? SoundEventKind::Loop : SoundEventKind::Play, wave.id);
    h.playing = true;
    h.looping = loop;
    h.playingId = wave.id;
    h.playStart = h.tick;
    uint64_t bytesPerSecond =
        static_cast<uint64_t>(wave.sampleRate) * wave.channels * (wave.bitsPerSample / 8);
    h.durationMs = bytesPerSecond ? (static_cast<uint64_t>(wave.sampleBytes) * 1000 + bytesPerSecond - 1) /
                                        bytesPerSecond
                                  : 0;
}

void stopWave() {
    Headless& h = headless();
    record(SoundEventKind::Stop, 0);
    h.playing = h.looping = false;
    h.playingId = 0;
}

int clockMinutes() {
    Headless& h = headless();
    return static_cast<int>((static_cast<uint64_t>(DefaultClock) + (h.tick - h.startTick) / 60000u) %
                            (24 * 60));
}

void reset() {
    Headless& h = headless();
    h.tick = h.startTick = 0;
    h.step = 16;
    h.logCount = h.dropped = 0;
    h.playing = h.looping = false;
    h.playingId = 0;
    h.durationMs = h.playStart = 0;
}

const PlatformBackend Backend = {.showsDisplay = false, .tickCount = tickCount, .beginPass = beginPass,
    .playWave = playWave, .stopWave = stopWave, .clockMinutes = clockMinutes, .reset = reset};

int push(HostEventKind kind, int x, int y) {
    auto clamp = [](int v) { return static_cast<int16_t>(std::clamp(v, -32768, 32767)); };
    return platformPushInput(HostEvent{kind, clamp(x), clamp(y), 0});
}

}  // namespace

const PlatformBackend* headlessBackend() {
    return &Backend;
}

void headlessSetStartTick(DWORD tick) {
    headless().tick = headless().startTick = tick;
    plat::readClock();
}

void headlessSetPassStep(DWORD milliseconds) {
    headless().step = milliseconds;
}

int headlessPenDown(int x, int y) {
    return push(HostEventKind::PenDown, x, y);
}
int headlessPenUp(int x, int y) {
    return push(HostEventKind::PenUp, x, y);
}
int headlessPostCommand(HWND window, WORD id) {
    return plat::postMessage(window, WM_COMMAND, id, 0) ? 1 : 0;
}
int headlessQuit() {
    return platformPushInput(HostEvent{HostEventKind::Quit, 0, 0, 0});
}

size_t headlessSoundEventCount() {
    return headless().logCount;
}

SoundEvent headlessSoundEvent(size_t index) {
    const Headless& h = headless();
    return index < h.logCount ? h.log[index] : SoundEvent{SoundEventKind::Stop, 0, 0};
}

void headlessClearSoundLog() {
    headless().logCount = headless().dropped = 0;
}

size_t headlessSoundEventsDropped() {
    return headless().dropped;
}

int headlessFormatSoundEvent(const SoundEvent& event, char* text, size_t textSize) {
    if (!text || textSize == 0) return 0;
    const char* verb = event.kind == SoundEventKind::Play ? "play" : "loop";
    const int n = event.kind == SoundEventKind::Stop
                      ? std::snprintf(text, textSize, "stop")
                      : std::snprintf(text, textSize, "%s %u", verb, unsigned{event.id});
    if (n < 0) text[0] = 0;
    return n < 0 ? 0 : static_cast<size_t>(n) < textSize ? n : static_cast<int>(textSize - 1);
}

bool headlessSoundPlaying(WORD* id, bool* looping) {
    const Headless& h = headless();
    bool playing = h.playing && (h.looping || static_cast<uint64_t>(h.tick - h.playStart) < h.durationMs);
    if (id) *id = playing ? h.playingId : 0;
    if (looping) *looping = playing && h.looping;
    return playing;
}
