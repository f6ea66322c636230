// The web backend: the display on a canvas, the pointer as the pen, Web Audio, and passes held to
// 60 a second by performance.now() while the page yields to the browser between them.
#include "platform/web.h"

#include <emscripten.h>

#include <cstdint>

// The JavaScript half, platform/web.js.
extern "C" {
void webStart();
void webStop();
// Shows 240 x 320 pixels, 0x00RRGGBB.
void webShow(const uint32_t* display);
// Yields to the browser until a frame at or after `wake` (performance.now() milliseconds) with the
// page visible. The one call that sleeps (ASYNCIFY).
void webWaitForFrame(double wake);
// A pass begins (the page counts them).
void webPassBegins();
// The oldest input event as kind << 20 | x << 10 | y, or -1: kind 0, 1, 2 the pen down, moved or
// up at (x, y); kind 3, 4 a key down or up, x 1 with Ctrl held, y the virtual-key code.
int webNextInput();
void webPlayWave(int id, int channels, int sampleRate, int bitsPerSample, const uint8_t* samples,
                 uint32_t bytes, int loop);
void webStopWave();
int webClockMinutes();
}

namespace {

constexpr double PassPeriod = 1000.0 / 60;

struct Web {
    bool running = false;
    double nextPass = -1;  // when the next pass is due (performance.now() milliseconds); -1: at once
    DWORD tick = 0;        // the clock as the pass began
};

Web web;

DWORD readClock() {
    return static_cast<DWORD>(static_cast<uint64_t>(emscripten_get_now()));
}

// The clock stands still within a pass: read once as the pass begins.
DWORD tickCount() {
    return web.tick;
}

// Waits for the pass to be due: by the clock, not by the frames, which come 120 times a second on
// some screens. A frame up to a quarter of a period early still takes the pass; passes more than
// four periods behind (the page was hidden) start the schedule afresh.
void pace() {
    double now = emscripten_get_now();
    if (web.nextPass >= 0 && now < web.nextPass) {
        webWaitForFrame(web.nextPass - PassPeriod / 4);
        now = emscripten_get_now();
    }
    if (web.nextPass < 0 || now > web.nextPass + 4 * PassPeriod) web.nextPass = now;
    web.nextPass += PassPeriod;
}

void takeInput() {
    constexpr HostEventKind kinds[] = {HostEventKind::PenDown, HostEventKind::PenMove, HostEventKind::PenUp,
                                       HostEventKind::KeyDown, HostEventKind::KeyUp};
    for (int input = webNextInput(); input >= 0; input = webNextInput()) {
        const auto kind = kinds[(input >> 20) % 5];
        const auto x = static_cast<int16_t>((input >> 10) & 0x3FF), y = static_cast<int16_t>(input & 0x3FF);
        const bool key = kind == HostEventKind::KeyDown || kind == HostEventKind::KeyUp;
        const HostEvent keyEvent{kind, x ? KeyControl : int16_t{0}, 0, static_cast<uint16_t>(y)};
        platformPushInput(key ? keyEvent : HostEvent{kind, x, y, 0});
    }
}

void beginPass(const uint32_t* display, bool changed) {
    if (changed && display) webShow(display);
    pace();
    web.tick = readClock();
    webPassBegins();
    takeInput();
}

void playWave(const WaveSound& wave, bool loop) {
    webPlayWave(wave.id, wave.channels, static_cast<int>(wave.sampleRate), wave.bitsPerSample, wave.samples,
                wave.sampleBytes, loop ? 1 : 0);
}

void stopWave() {
    webStopWave();
}

int clockMinutes() {
    return webClockMinutes();
}

void reset() {
    webStopWave();
    while (webNextInput() >= 0) {
    }
}

const PlatformBackend Backend = {.showsDisplay = true, .tickCount = tickCount, .beginPass = beginPass,
    .playWave = playWave, .stopWave = stopWave, .clockMinutes = clockMinutes, .reset = reset};

}  // namespace

void platformStartWeb() {
    if (web.running) return;
    web = Web{};
    web.running = true;
    web.tick = readClock();
    webStart();
    platformUseBackend(&Backend);
}

void platformStopWeb() {
    if (!web.running) return;
    if (platformBackend() == &Backend) platformUseBackend(nullptr);
    webStopWave();
    webStop();
    web = Web{};
}
