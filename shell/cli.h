// The desktop program's command line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

struct ProgramOptions {
    bool help = false;
    bool version = false;
    bool fullscreen = false;
    bool mute = false;
    int scale = 0;          // whole-number window scale; 0 picks the largest that fits (at most 3)
    int passRate = 60;      // main loop passes per second on the desktop
    std::string record;     // the desktop session is recorded into this file
    bool headless = false;  // run a script on the headless backend instead of opening a window
    std::string script;     // the script of a headless run
    std::string replay;     // the script the window plays, for watching
    std::optional<uint32_t> startTick;  // a script's run: the clock before the first pass
    uint32_t msPerPass = 16;            // a script's run: how far each pass moves the clock
};

// Reads the command line. On a problem, returns false with one line naming it in problem.
bool parseProgramOptions(int argc, const char* const* argv, ProgramOptions& options, std::string& problem);

extern const char* const programUsage;
extern const char* const programVersion;
