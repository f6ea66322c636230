// The desktop system on Win32 (platform/desktop_system.h): the display scaled by a whole number
// with sharp pixels, the left mouse button as the pen, waves through the wave device, passes held
// to their rate on a high-resolution timer, one running copy per user session. The system calls
// themselves are in win32_system.cpp.
#include <algorithm>
#include <iterator>

#include "platform/desktop_system.h"
#include "platform/win32_system.h"
#include "platform/windows.h"

namespace {

uint64_t started = 0;  // the counter when the window opened

DWORD tickCount() {
    const uint64_t elapsed = win32::counter() - started, frequency = win32::counterFrequency();
    return static_cast<DWORD>(elapsed / frequency * 1000 + elapsed % frequency * 1000 / frequency);
}

// Whether the platform passes a key on: the ones the game takes.
bool passedOn(unsigned vk) {
    constexpr WPARAM named[] = {VK_RETURN, VK_ESCAPE, VK_SPACE, VK_UP, VK_RIGHT, VK_DOWN, VK_F10, VK_APPS};
    return (vk >= 'A' && vk <= 'Z') || std::find(std::begin(named), std::end(named), vk) != std::end(named);
}

// The window's input into the platform's input queue.
void onEvent(const win32::Event& event) {
    using win32::EventKind;
    const bool replay = desktopReplaying();
    switch (event.kind) {
        case EventKind::Close:
            desktopCloseAsked();
            break;
        case EventKind::Restored:
            if (!replay) platformPushInput(HostEvent{HostEventKind::Restore, 0, 0, 0});
            break;
        case EventKind::ButtonDown:
        case EventKind::ButtonMove:
        case EventKind::ButtonUp:
            if (replay) break;
            platformHostPen(event.kind == EventKind::ButtonDown   ? HostEventKind::PenDown
                            : event.kind == EventKind::ButtonMove ? HostEventKind::PenMove
                                                                  : HostEventKind::PenUp,
                            event.x, event.y);
            break;
        case EventKind::KeyDown:
        case EventKind::KeyUp:
            if (replay || !passedOn(event.key)) break;
            platformPushInput(HostEvent{
                event.kind == EventKind::KeyDown ? HostEventKind::KeyDown : HostEventKind::KeyUp,
                static_cast<int16_t>(event.control ? KeyControl : 0), 0, static_cast<uint16_t>(event.key)});
            break;
    }
}

bool open(const DesktopOptions& options, char* error, size_t errorSize) {
    started = win32::counter();
    return win32::open(options.scale, options.fullscreen, onEvent, error, errorSize);
}

const PaceClock& paceClock() {
    static const PaceClock clock{win32::counter, win32::sleep, win32::counterFrequency()};
    return clock;
}

bool present(const uint32_t* display, bool changed) {
    if (changed) win32::present(display);  // the window repaints itself when the system asks
    return false;                          // no waiting for the screen: the pacer's own schedule
}

void show(const WCHAR* title) {
    win32::show(title);
}

void playWave(const WaveSound& wave, bool loop) {
    win32::playSound(wave.channels, wave.sampleRate, wave.bitsPerSample, wave.samples, wave.sampleBytes,
                     loop);
}

// The window of the copy holding the mutex answers requests whenever it runs.
int claim(const WCHAR* className, bool, char* why, size_t whySize) {
    return win32::claimCopy(className, why, whySize);
}

bool askOtherForward() {
    return win32::askOtherCopyForward(FrontPatienceMs);
}

}  // namespace

const DesktopSystem desktopSystem = {.open = open, .close = win32::close, .clock = paceClock,
    .present = present, .poll = win32::pump, .show = show, .tickCount = tickCount, .playWave = playWave,
    .stopWave = win32::stopSound, .claim = claim, .askOtherForward = askOtherForward, .reset = nullptr};
