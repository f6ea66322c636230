// The web backend: the display on a canvas, the pointer as the pen, Web Audio, and passes held to
// 60 a second by performance.now() while the page yields to the browser between them.
#include "platform/web.h"

#include <emscripten.h>

#include <cstdint>

// The JavaScript half, platform/web.js.
extern "C" {
// The display's size in pixels.
void webStart(int width, int height);
void webStop();
// Shows the display: its pixels, 0x00RRGGBB.
void webShow(const uint32_t* display);
// Yields to the browser until a frame at or after `wake` (performance.now() milliseconds) with the
// page visible. The one call that sleeps (ASYNCIFY).
void webWaitForFrame(double wake);
// A pass begins (the page counts them).
void webPassBegins();
// Takes the oldest input event into event[0..2] as kind, x, y and gives 1, or gives 0 for none:
// kind 0, 1, 2 the pen down, moved or up at display pixel (x, y), which may lie off the display;
// kind 3, 4 a key down or up, x 1 with Ctrl held, y the virtual-key code.
int webNextInput(int32_t* event);
void webPlayWave(int id, int channels, int sampleRate, int bitsPerSample, const uint8_t* samples,
                 uint32_t bytes, int loop);
void webStopWave();
}

namespace {

struct Web {
    bool running = false;
    Pacer pacer;  // in microseconds of performance.now()
};

Web web;

uint64_t now() {
    return static_cast<uint64_t>(emscripten_get_now() * 1000);
}

DWORD tickCount() {
    return static_cast<DWORD>(now() / 1000);
}

// Waits for the pass to be due: by the clock, not by the frames, which come 120 times a second on
// some screens. A frame up to a quarter of a period early still takes the pass; the schedule is
// the desktop's (passDue: after the page was hidden, it starts afresh).
void pace() {
    Pacer& pacer = web.pacer;
    if (pacer.nextPass != 0 && now() < pacer.nextPass)
        webWaitForFrame(static_cast<double>(pacer.nextPass - pacer.period / 4) / 1000);
    pacer.nextPass = passDue(pacer, now()) + pacer.period;
}

void takeInput() {
    constexpr HostEventKind kinds[] = {HostEventKind::PenDown, HostEventKind::PenMove, HostEventKind::PenUp,
                                       HostEventKind::KeyDown, HostEventKind::KeyUp};
    for (int32_t input[3]; webNextInput(input);) {
        const auto kind = kinds[input[0] % 5];
        const auto control = static_cast<int16_t>(input[1] ? KeyControl : 0);
        if (kind == HostEventKind::KeyDown || kind == HostEventKind::KeyUp) {
            platformPushInput(HostEvent{kind, control, 0, static_cast<uint16_t>(input[2])});
        } else {
            platformHostPen(kind, input[1], input[2]);
        }
    }
}

void beginPass(const uint32_t* display, bool changed) {
    if (changed && display) webShow(display);
    pace();
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

void reset() {
    webStopWave();
    for (int32_t input[3]; webNextInput(input);) {
    }
}

const PlatformBackend Backend = {.showsDisplay = true, .tickCount = tickCount, .beginPass = beginPass,
    .playWave = playWave, .stopWave = stopWave, .clockMinutes = localClockMinutes, .reset = reset};

}  // namespace

void platformStartWeb() {
    if (web.running) return;
    web = Web{};
    web.running = true;
    web.pacer.period = 1000000 / 60;
    webStart(DisplayWidth, DisplayHeight);
    platformUseBackend(&Backend);
}

void platformStopWeb() {
    if (!web.running) return;
    if (platformBackend() == &Backend) platformUseBackend(nullptr);
    webStopWave();
    webStop();
    web = Web{};
}
