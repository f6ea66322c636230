// The desktop backend (target dorurura_platform_sdl): a window showing the 240 x 320 display
// scaled by a whole number, the left mouse button as the pen, sound through SDL audio, passes held
// to a steady rate, and one running copy per user. The clock stands still within a pass: it is
// read as the pass begins (and once at start, for the time before the first pass).
//
// Replaying, the window shows a script's run instead: the clock is the headless backend's, which
// the script moves (platform/headless.h), each pass waits until as much real time has passed as
// that clock moved, the player's pen and the window's restores are left out (closing the window
// still asks the program to end), sounds are logged as headless ones are as well as played, and
// the single-copy lock is neither claimed nor asked about.
//
// A program starts it (platformStartSdl), runs its entry, and stops it (platformStopSdl).
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/host.h"

struct SdlOptions {
    int scale = 0;            // whole-number scale of the display; 0: the largest that fits, at most 3
    bool fullscreen = false;  // start fullscreen (Alt+Enter and F11 toggle it)
    int passRate = 60;        // message-loop passes per second
    bool replay = false;      // show a script's run (above)
    // Told in one line when the single-copy rule cannot be kept in this run; the program goes on.
    void (*notice)(const char* line) = nullptr;
};

// Opens the window and the audio device (no audio device: silent) and selects the backend.
// Gives true, or false with a one-line reason in error (no display, for example).
bool platformStartSdl(const SdlOptions& options, char* error, size_t errorSize);

// Decides now, before the program touches any file, whether this is the copy that plays: takes the
// single-copy lock for the main window's class, which the window's own check then finds held. False
// when another copy runs: it has been asked to come forward (platformSdlOtherCopySilent tells
// whether it answered).
bool platformSdlClaimOneCopy(const WCHAR* className);

// Whether another copy holds the single-copy lock but did not answer when asked to come forward.
bool platformSdlOtherCopySilent();

// Closes the window and audio, gives up the single-copy lock and selects the headless backend.
void platformStopSdl();

// Whether the host asked the window to close (its close button, the desktop's quit) since it started.
bool platformSdlCloseAsked();

// How the desktop holds message-loop passes to their rate, apart from SDL so that a test can drive
// it with a fake clock. Times are counts of a clock of `frequency` counts a second.
struct PaceClock {
    uint64_t (*now)();
    void (*sleep)(uint32_t milliseconds);
    uint64_t frequency;
};
struct Pacer {
    uint64_t period = 0;    // counts a pass
    bool vsync = false;     // this pass presented, waiting for a screen refreshing at the pass rate
    uint64_t nextPass = 0;  // when the next pass may begin, without vsync
    uint64_t lastPass = 0;  // when the last pass began
};
// Waits until the next pass may begin. With vsync, presenting has waited for the screen; a floor
// of nine tenths of a pass still holds when it did not (a hidden or minimised window). Without
// vsync, passes keep to a schedule of their own (the next due a pass after one with vsync), started
// afresh after a stall of over four passes. Sleeps whole milliseconds and never spins: the schedule
// makes up for less than a millisecond early or late, so the rate holds on average.
void pace(Pacer& pacer, const PaceClock& clock);

// A replaying pass: it is due `step` milliseconds (a second at most: a recorded pause of a
// suspended machine is cut short) after the one before, whose due time `last` holds (0 before the
// first, which does not wait); more than a tenth of a second late, the schedule starts afresh.
void paceReplay(uint64_t& last, uint32_t step, const PaceClock& clock);
