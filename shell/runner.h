// The headless runner: the real program (entry, window, menu bar, main loop and game) on the
// headless backend, driven by a script whose lines run between passes of the message loops.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>

#include "platform/host.h"
#include "shell/script.h"

struct RunSettings {
    std::optional<uint32_t> startTick;  // the command line's, over the script's start-tick (else 0)
    uint32_t msPerPass = 16;            // how far a pass moves the clock until the script says
    // The backend that shows the run: the desktop window replaying (platform/desktop.h), or null for
    // the headless one. Either way the clock is the headless backend's.
    const PlatformBackend* backend = nullptr;
    // Whether the host asked the program to end (a watcher closed the window): lines left then
    // are no error.
    bool (*hostEnded)() = nullptr;
};

// Runs the program under the script: the clock stands at the start tick until the first pass, and
// every pass moves it on by the step. State lines go to out; problems ("FILE:LINE: reason"), and a
// warning for a recording of another version, to err. Gives the program's exit code, or 1 when a
// line failed (an `until` past its time, an `expect` that does not hold, a shot that could not be
// written, a full input queue, lines left when the program ended).
// observer, when given, is called after each state line is written, with the line; tests use it to
// look at the platform (display, menus, dialogs) at that moment.
using StateObserver = std::function<void(const std::string& line)>;
int runScript(const Script& script, const RunSettings& settings, std::FILE* out, std::FILE* err,
              const StateObserver& observer = nullptr);

// The JSON state line of the game as it stands (pass and tick given), with the sound calls since
// the last state line has emptied the log, or without the field "sounds"; no newline.
std::string stateLine(uint32_t pass, uint32_t tick, bool withSounds = true);
