// Scripts of the headless runner: one command a line, run between passes of the main loop.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class ScriptOp : uint8_t {
    Tap,     // tap X Y: a pen-down and a pen-up at display (X, Y), run until both are taken
    Menu,    // menu ID: WM_COMMAND ID for the main window, run until it is taken
    Passes,  // passes N: N passes
    Wait,    // wait MS: passes until the clock has moved on by at least MS
    Until,   // until STATE [MS]: passes until gameState is STATE; more than MS of clock fails the run
    Shot,    // shot FILE.png: write the display
    State,   // state: one JSON line describing the game
};

struct ScriptCommand {
    ScriptOp op;
    int line;          // line number in the script, from 1
    int32_t a;         // X, ID, N, MS or the GameState value
    int32_t b;         // Y, or the limit of until in milliseconds
    std::string path;  // the PNG of shot
};

struct Script {
    std::string file;
    std::vector<ScriptCommand> commands;
};

// The largest script a file or a pipe may hold.
constexpr size_t MaxScriptBytes = size_t{64} << 20;

// Reads a script file (a regular file or a pipe, of at most MaxScriptBytes). On a problem, returns
// false with "FILE:LINE: reason" in problem.
bool loadScript(const std::string& file, Script& script, std::string& problem);

// Reads a script from text; file names it in messages.
bool parseScript(const std::string& file, const std::string& text, Script& script, std::string& problem);

// The names of the game states as scripts and state lines write them; nullptr for other values.
const char* gameStateName(int state);
