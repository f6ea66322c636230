// What a desktop system (SDL2 in platform/sdl.cpp, Win32 in platform/win32.cpp) gives the desktop
// layer that they share (platform/desktop.cpp): the desktop interface (platform/desktop.h), the
// backend and the replaying backend, the pacing of the passes and the single-copy rule's course.
// Each desktop backend defines desktopSystem; a program links one.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/desktop.h"

struct DesktopSystem {
    // Opens the window (hidden) and the sound device (none: silent). Gives true, or false with a
    // one-line reason, having closed what it opened.
    bool (*open)(const DesktopOptions& options, char* error, size_t errorSize);
    void (*close)();  // closes all and gives up the single-copy claim
    const PaceClock& (*clock)();
    // Shows the display when `changed` or the window needs it again; gives whether presenting
    // waited for a screen refreshing at the pass rate.
    bool (*present)(const uint32_t* display, bool changed);
    // Hands the host's input to the platform (without the player's pen, keys and restores while
    // replaying: desktopReplaying).
    void (*poll)();
    void (*show)(const WCHAR* title);  // titles and shows the window
    DWORD (*tickCount)();
    void (*playWave)(const WaveSound& wave, bool loop);
    void (*stopWave)();
    // Claims the single-copy lock for the class (already held: 1), and with `listen` answers
    // requests to come forward from then on. Gives 1 when held, 0 when another copy holds it, -1
    // with a reason in why when the rule cannot be kept.
    int (*claim)(const WCHAR* className, bool listen, char* why, size_t whySize);
    bool (*askOtherForward)();  // asks the copy holding the lock to come forward; gives whether it answered
    void (*reset)();            // may be null
};
extern const DesktopSystem desktopSystem;

// For the system: whether a script's run is shown, and the host's request to close the window.
bool desktopReplaying();
void desktopCloseAsked();
