// The headless runner: the real program (entry, window, menu bar, main loop and game) on the
// headless backend, driven by a script whose lines run between passes of the message loops.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

#include "shell/script.h"

// Runs the program under the script: the clock stands at startTick until the first pass, and every
// pass moves it on by msPerPass. State lines go to out, problems ("FILE:LINE: reason") to err.
// Gives the program's exit code, or 1 when a line failed (an `until` past its time, a shot that
// could not be written, lines left when the program ended).
// observer, when given, is called after each state line is written, with the line; tests use it to
// look at the platform (display, menus, dialogs) at that moment.
using StateObserver = std::function<void(const std::string& line)>;
int runScript(const Script& script, uint32_t startTick, uint32_t msPerPass, std::FILE* out, std::FILE* err,
              const StateObserver& observer = nullptr);

// The JSON state line of the game as it stands (pass and tick given), with the sound calls since
// the last state line; no newline.
std::string stateLine(uint32_t pass, uint32_t tick);
