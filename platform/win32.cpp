// The desktop backend on Win32: the display scaled by a whole number with sharp pixels, the left
// mouse button as the pen, waves through the wave device, passes held to a steady rate on a
// high-resolution timer, one running copy per user session; or a script's run shown at its own
// pace. The system calls themselves are in win32_system.cpp.
#include <algorithm>
#include <cstdio>
#include <iterator>

#include "platform/desktop.h"
#include "platform/headless.h"
#include "platform/win32_system.h"
#include "platform/windows.h"

namespace {

struct Desktop {
    bool running = false;
    bool replay = false;      // showing a script's run (platform/desktop.h)
    bool closeAsked = false;  // the system asked the window to close
    uint64_t start = 0;       // the counter when the backend started
    uint64_t replayDue = 0;   // replaying: when the last pass was due
    Pacer pacer;
    bool otherFound = false;   // another copy holds the single-copy mutex
    bool otherSilent = false;  // and did not answer
    void (*notice)(const char* line) = nullptr;
    bool noticeGiven = false;
};

Desktop desk;

DWORD tickCount() {
    const uint64_t elapsed = win32::counter() - desk.start, frequency = win32::counterFrequency();
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
    switch (event.kind) {
        case EventKind::Close:
            desk.closeAsked = true;
            platformPushInput(HostEvent{HostEventKind::Quit, 0, 0, 0});
            break;
        case EventKind::Restored:
            if (!desk.replay) platformPushInput(HostEvent{HostEventKind::Restore, 0, 0, 0});
            break;
        case EventKind::ButtonDown:
        case EventKind::ButtonMove:
        case EventKind::ButtonUp:
            if (desk.replay) break;
            platformHostPen(event.kind == EventKind::ButtonDown   ? HostEventKind::PenDown
                            : event.kind == EventKind::ButtonMove ? HostEventKind::PenMove
                                                                  : HostEventKind::PenUp,
                            event.x, event.y);
            break;
        case EventKind::KeyDown:
        case EventKind::KeyUp:
            if (desk.replay || !passedOn(event.key)) break;
            platformPushInput(HostEvent{
                event.kind == EventKind::KeyDown ? HostEventKind::KeyDown : HostEventKind::KeyUp,
                static_cast<int16_t>(event.control ? KeyControl : 0), 0, static_cast<uint16_t>(event.key)});
            break;
    }
}

void present(const uint32_t* display, bool changed) {
    if (changed) win32::present(display);
}

const PaceClock& paceClock() {
    static const PaceClock clock{win32::counter, win32::sleep, win32::counterFrequency()};
    return clock;
}

void beginPass(const uint32_t* display, bool changed) {
    present(display, changed);
    pace(desk.pacer, paceClock());
    win32::pump();
}

void playWave(const WaveSound& wave, bool loop) {
    win32::playSound(wave.channels, wave.sampleRate, wave.bitsPerSample, wave.samples, wave.sampleBytes,
                     loop);
}

void stopWave() {
    win32::stopSound();
}

// Tells the program, once, that the single-copy rule cannot be kept.
void cannotKeepOneCopy(const char* why) {
    char line[600];
    std::snprintf(line, sizeof line, "cannot keep to one running copy (%s); starting anyway", why);
    if (desk.notice && !desk.noticeGiven) desk.notice(line);
    desk.noticeGiven = true;
}

// Claims the single-copy mutex; gives what win32::claimCopy gives, having said why it cannot.
int claim(const WCHAR* className) {
    char why[200] = {};
    const int claimed = win32::claimCopy(className, why, sizeof why);
    if (claimed < 0) cannotKeepOneCopy(why);
    return claimed;
}

bool findOtherCopy(const WCHAR* className, const WCHAR*) {
    // Holding the mutex, this process is the running copy.
    desk.otherFound = !win32::holdsCopy() && claim(className) == 0;
    return desk.otherFound;
}

bool bringOtherCopyToFront() {
    if (!desk.otherFound) return false;
    desk.otherSilent = !win32::askOtherCopyForward(FrontPatienceMs);
    return !desk.otherSilent;
}

void windowCreated(const WCHAR* className, const WCHAR* title) {
    win32::show(title);
    if (!win32::holdsCopy() && claim(className) == 0)
        cannotKeepOneCopy("another copy started at the same moment");
}

void reset() {
    stopWave();
    desk.replayDue = 0;
}

const PlatformBackend Backend = {.showsDisplay = true, .tickCount = tickCount, .beginPass = beginPass,
    .playWave = playWave, .stopWave = stopWave, .clockMinutes = localClockMinutes,
    .findOtherCopy = findOtherCopy, .bringOtherCopyToFront = bringOtherCopyToFront,
    .windowCreated = windowCreated, .reset = reset};

// Showing a script's run: its clock and sound log are the headless backend's, which the script
// moves; the window shows it at the script's pace and plays its sounds, takes no pen, and is not
// the running copy.
DWORD replayTickCount() {
    return headlessBackend()->tickCount();
}

void replayBeginPass(const uint32_t* display, bool changed) {
    present(display, changed);
    const DWORD before = replayTickCount();
    headlessBackend()->beginPass(nullptr, false);  // the script's step
    paceReplay(desk.replayDue, replayTickCount() - before, paceClock());
    win32::pump();
}

void replayPlayWave(const WaveSound& wave, bool loop) {
    headlessBackend()->playWave(wave, loop);
    playWave(wave, loop);
}

void replayStopWave() {
    headlessBackend()->stopWave();
    stopWave();
}

void replayWindowCreated(const WCHAR*, const WCHAR* title) {
    win32::show(title);
}

const PlatformBackend ReplayBackend = {.showsDisplay = true, .tickCount = replayTickCount,
    .beginPass = replayBeginPass, .playWave = replayPlayWave, .stopWave = replayStopWave,
    .clockMinutes = localClockMinutes, .windowCreated = replayWindowCreated, .reset = reset};

}  // namespace

bool platformStartDesktop(const DesktopOptions& options, char* error, size_t errorSize) {
    if (error && errorSize > 0) error[0] = 0;
    if (desk.running) return true;
    desk = Desktop{};
    desk.notice = options.notice;
    if (!win32::open(options.scale, options.fullscreen, onEvent, error, errorSize)) return false;
    const int passRate = options.passRate > 0 ? std::min(options.passRate, 1000) : 60;
    desk.pacer.period = win32::counterFrequency() / static_cast<uint64_t>(passRate);
    desk.start = win32::counter();
    desk.running = true;
    desk.replay = options.replay;
    platformUseBackend(desk.replay ? &ReplayBackend : &Backend);
    return true;
}

bool platformDesktopClaimOneCopy(const WCHAR* className) {
    if (desk.replay || !findOtherCopy(className, nullptr)) return true;
    bringOtherCopyToFront();
    return false;
}

bool platformDesktopOtherCopySilent() {
    return desk.otherSilent;
}

void platformStopDesktop() {
    if (!desk.running) return;
    if (platformBackend() == &Backend || platformBackend() == &ReplayBackend) platformUseBackend(nullptr);
    win32::close();
    desk = Desktop{};
}

bool platformDesktopCloseAsked() {
    return desk.closeAsked;
}
