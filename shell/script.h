// Scripts of the headless runner: one command a line, run between passes of the main loop.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/host.h"

enum class ScriptOp : uint8_t {
    Tap,     // tap X Y: a pen-down and a pen-up at display (X, Y), run until both are taken
    Menu,    // menu ID: WM_COMMAND ID for the main window, run until it is taken
    Passes,  // passes N: N passes
    Wait,    // wait MS: passes until the clock has moved on by at least MS
    Until,   // until STATE [MS]: passes until gameState is STATE; more than MS of clock fails the run
    Shot,    // shot FILE.png: write the display
    State,   // state: one JSON line describing the game
    Input,   // pen down|move|up X Y, host quit|restore|command ID: one raw event queued, no pass run
    Step,    // step MS: every pass from now on moves the clock by MS
    Steps,   // steps MS...: one pass for each MS, which moves the clock by it (and stays the step)
    Expect,  // expect {JSON}: the fields given equal the state line's, or the replay diverged
};

struct ScriptCommand {
    ScriptOp op;
    int line;              // line number in the script, from 1
    int32_t a;             // X, ID, N, MS, the GameState value, or where Step, Steps or Expect start
    int32_t b;             // Y, the limit of until in milliseconds, or how many Steps or Expect hold
    std::string path;      // the PNG of shot
    HostEvent event = {};  // Input's event, with the position or the command id
};

// The fields of a state line, in its order; an expect names some of them.
constexpr const char* stateFieldNames[] = {"pass", "tick",    "state", "machine", "credits",
                                           "bet",  "lastWin", "reels", "buttons", "warning",
                                           "page", "sound",   "sounds"};
constexpr int StateFieldCount = sizeof stateFieldNames / sizeof stateFieldNames[0];

struct ExpectedField {
    int field;          // index into stateFieldNames
    std::string value;  // its JSON, without the spaces between tokens
};

struct Script {
    std::string file;
    std::vector<ScriptCommand> commands;
    std::vector<uint32_t> steps;          // the clock steps of step and steps lines
    std::vector<ExpectedField> expected;  // the fields of expect lines
    std::optional<uint32_t> startTick;    // a start-tick line's
    std::string recordedBy;               // a recording's first line: the version that wrote it
};

// The largest script a file or a pipe may hold.
constexpr size_t MaxScriptBytes = size_t{64} << 20;

// Reads a script file (a regular file or a pipe, of at most MaxScriptBytes). On a problem, returns
// false with "FILE:LINE: reason" in problem.
bool loadScript(const std::string& file, Script& script, std::string& problem);

// Reads a script from text (of at most MaxScriptBytes); file names it in messages.
bool parseScript(const std::string& file, const std::string& text, Script& script, std::string& problem);

// The names of the game states as scripts and state lines write them; nullptr for other values.
const char* gameStateName(int state);

// Reads a JSON object whose members are state fields from the start of text (spaces first are
// skipped): each value's JSON without the spaces between tokens, in the object's order, and where
// the object ends in `end`. Gives "" or the problem: not such an object, a field that is no state
// field, or one given twice. Values nest at most 8 deep.
std::string readStateFields(std::string_view text, std::vector<ExpectedField>& fields, size_t& end);

// The first line of a recording: a comment naming the program's version.
std::string recordingHeader(std::string_view version);
