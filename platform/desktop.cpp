// The desktop layer that the desktop systems share (platform/desktop_system.h): the desktop
// interface, the backend and the replaying backend over the system's calls.
#include <algorithm>
#include <cstdio>

#include "platform/desktop_system.h"
#include "platform/headless.h"

namespace {

struct Desktop {
    bool running = false;
    bool replay = false;      // showing a script's run (platform/desktop.h)
    bool closeAsked = false;  // the host asked the window to close
    uint64_t replayDue = 0;   // replaying: when the last pass was due
    Pacer pacer;
    bool otherFound = false;   // another copy holds the single-copy lock
    bool otherSilent = false;  // and did not answer
    void (*notice)(const char* line) = nullptr;
    bool noticeGiven = false;
};

Desktop desk;
const DesktopSystem& sys = desktopSystem;

void beginPass(const uint32_t* display, bool changed) {
    desk.pacer.vsync = sys.present(display, changed);  // else the pacer's own schedule
    pace(desk.pacer, sys.clock());
    sys.poll();
}

// Tells the program, once, that the single-copy rule cannot be kept.
void cannotKeepOneCopy(const char* why) {
    char line[600];
    std::snprintf(line, sizeof line, "cannot keep to one running copy (%s); starting anyway", why);
    if (desk.notice && !desk.noticeGiven) desk.notice(line);
    desk.noticeGiven = true;
}

// Claims the single-copy lock; gives what the system's claim gives, having said why it cannot.
int claim(const WCHAR* className, bool listen) {
    char why[512] = {};  // with the rest of the notice, within its 600
    const int claimed = sys.claim(className, listen, why, sizeof why);
    if (claimed < 0) cannotKeepOneCopy(why);
    return claimed;
}

bool findOtherCopy(const WCHAR* className, const WCHAR*) {
    desk.otherFound = claim(className, false) == 0;  // holding the lock, this is the running copy
    return desk.otherFound;
}

bool bringOtherCopyToFront() {
    if (!desk.otherFound) return false;
    desk.otherSilent = !sys.askOtherForward();
    return !desk.otherSilent;
}

void windowCreated(const WCHAR* className, const WCHAR* title) {
    sys.show(title);
    if (claim(className, true) == 0) cannotKeepOneCopy("another copy started at the same moment");
}

void reset() {
    sys.stopWave();
    desk.replayDue = 0;
    if (sys.reset) sys.reset();
}

const PlatformBackend Backend = {.showsDisplay = true, .tickCount = sys.tickCount, .beginPass = beginPass,
    .playWave = sys.playWave, .stopWave = sys.stopWave, .clockMinutes = localClockMinutes,
    .findOtherCopy = findOtherCopy, .bringOtherCopyToFront = bringOtherCopyToFront,
    .windowCreated = windowCreated, .reset = reset};

// Showing a script's run: its clock and sound log are the headless backend's, which the script
// moves; the window shows it at the script's pace and plays its sounds, takes no pen, and is not
// the running copy.
DWORD replayTickCount() {
    return headlessBackend()->tickCount();
}

void replayBeginPass(const uint32_t* display, bool changed) {
    sys.present(display, changed);
    const DWORD before = replayTickCount();
    headlessBackend()->beginPass(nullptr, false);  // the script's step
    paceReplay(desk.replayDue, replayTickCount() - before, sys.clock());
    sys.poll();
}

void replayPlayWave(const WaveSound& wave, bool loop) {
    headlessBackend()->playWave(wave, loop);
    sys.playWave(wave, loop);
}

void replayStopWave() {
    headlessBackend()->stopWave();
    sys.stopWave();
}

void replayWindowCreated(const WCHAR*, const WCHAR* title) {
    sys.show(title);
}

const PlatformBackend ReplayBackend = {.showsDisplay = true, .tickCount = replayTickCount,
    .beginPass = replayBeginPass, .playWave = replayPlayWave, .stopWave = replayStopWave,
    .clockMinutes = localClockMinutes, .windowCreated = replayWindowCreated, .reset = reset};

}  // namespace

bool desktopReplaying() {
    return desk.replay;
}

void desktopCloseAsked() {
    desk.closeAsked = true;
    platformPushInput(HostEvent{HostEventKind::Quit, 0, 0, 0});
}

bool platformStartDesktop(const DesktopOptions& options, char* error, size_t errorSize) {
    if (error && errorSize > 0) error[0] = 0;
    if (desk.running) return true;
    desk = Desktop{};
    desk.notice = options.notice;
    desk.replay = options.replay;
    if (!sys.open(options, error, errorSize)) {
        desk = Desktop{};
        return false;
    }
    const int passRate = options.passRate > 0 ? std::min(options.passRate, 1000) : 60;
    desk.pacer.period = sys.clock().frequency / static_cast<uint64_t>(passRate);
    desk.running = true;
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
    sys.close();
    desk = Desktop{};
}

bool platformDesktopCloseAsked() {
    return desk.closeAsked;
}
