// Scripts of the headless runner: one command a line, run between passes of the main loop.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

enum class ScriptOp : uint8_t {
    Tap,          // tap X Y: a pen-down and a pen-up at display (X, Y), run until both are taken
    Menu,         // menu ID: WM_COMMAND ID for the main window, run until it is taken
    Passes,       // passes N: N passes
    Wait,         // wait MS: passes until the clock has moved on by at least MS
    Until,        // until STATE [MS]: passes until gameState is STATE; more than MS of clock fails the run
    Shot,         // shot FILE.png: write the display
    State,        // state: one JSON line describing the game
    // pen down|move|up X Y, host quit|restore|command ID: one raw event queued, no pass run
    PenDown,
    PenMove,
    PenUp,
    HostQuit,
    HostRestore,
    HostCommand,
    Step,         // step MS: every pass from now on moves the clock by MS
    Steps,        // steps MS...: one pass for each MS, which moves the clock by it (and stays the step)
    Expect,       // expect {JSON}: the fields given equal the state line's, or the replay diverged
    Key,          // key NAME: the key pressed and released, run until both are taken
    KeyDown,      // key down|up NAME: one raw key event queued, no pass run
    KeyUp,
};

// One command in eight bytes, so that a script of many short lines fits in about its own size
// again (in the browser too). What does not fit in `value` (a shot's file, a steps line's numbers,
// an expect's fields) is kept in the script's `data`, and `value` says where.
struct ScriptCommand {
    uint32_t opBits : 6;  // the ScriptOp
    uint32_t line : 26;   // line number in the script, from 1
    // By op: Tap and Pen*: X in the low 16 bits, Y in the high ones; Menu, HostCommand: the id;
    // Passes: N; Wait, Step: MS; Until: the limit in MS, and the state from bit UntilStateShift;
    // Key*: the virtual-key code, with KeyWithControl when Ctrl is held;
    // Shot, Steps, Expect: where their data starts.
    uint32_t value;

    static constexpr int UntilStateShift = 27;
    static constexpr uint32_t KeyWithControl = 1u << 16;
    ScriptOp op() const { return static_cast<ScriptOp>(opBits); }
    int16_t x() const { return static_cast<int16_t>(value & 0xFFFF); }
    int16_t y() const { return static_cast<int16_t>(value >> 16); }
    int untilState() const { return static_cast<int>(value >> UntilStateShift); }
    uint32_t untilLimit() const { return value & ((1u << UntilStateShift) - 1); }
};
static_assert(sizeof(ScriptCommand) == 8);

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
    std::string file;  // as messages show it
    // A deque grows without copying, so that its peak is its size.
    std::deque<ScriptCommand> commands;
    // Numbers as variable-length bytes (7 bits a byte, low first, the top bit set on all but the
    // last) and text as its length so written, then its bytes. A shot: its file. A steps line: how
    // many steps, then each. An expect: how many fields, then each field's index and value.
    std::string data;
    std::optional<uint32_t> startTick;  // a start-tick line's
    std::string recordedBy;             // a recording's first line: the version that wrote it
};

// Reads a number of the script's data at `at`, and moves `at` past it.
uint32_t readDataNumber(const Script& script, size_t& at);
// Reads a text of the script's data at `at`, and moves `at` past it.
std::string_view readDataText(const Script& script, size_t& at);

// The largest script a file or a pipe may hold.
constexpr size_t MaxScriptBytes = size_t{64} << 20;

// Reads a script file (a regular file or a pipe, of at most MaxScriptBytes). On a problem, returns
// false with "FILE:LINE: reason" in problem.
bool loadScript(const std::string& file, Script& script, std::string& problem);

// Reads a script from text (of at most MaxScriptBytes); file names it in messages. A line is
// refused as soon as it has more words than its command takes, and the script holds its commands
// in about as many bytes as their text, or fewer.
bool parseScript(std::string_view file, std::string_view text, Script& script, std::string& problem);

// The keys that scripts and recordings name: every key that does something in the game, Ctrl+A
// and Ctrl+Q with Ctrl held, the others without. A key event not among them changes nothing.
struct KeyName {
    const char* name;
    uint16_t key;  // virtual-key code
    bool control;
};
// Every key with a name; the key of this name, or nullptr; the name of this key, or nullptr.
std::span<const KeyName> keyNames();
const KeyName* keyNamed(std::string_view name);
const KeyName* keyNameOf(uint16_t key, bool control);

// The names of the game states as scripts and state lines write them; nullptr for other values.
const char* gameStateName(int state);

// Reads a JSON object whose members are state fields from the start of text (spaces first are
// skipped): each value's JSON without the spaces between tokens, in the object's order, and where
// the object ends in `end`. Gives "" or the problem: not such an object, a field that is no state
// field, or one given twice. Values nest at most 8 deep.
std::string readStateFields(std::string_view text, std::vector<ExpectedField>& fields, size_t& end);

// The first line of a recording: a comment naming the program's version.
std::string recordingHeader(std::string_view version);
