// How a program runs on a host: the instance handle made from a resource catalogue, the backend
// that supplies time, input, the display and sound, a hook run at the start of every message-loop
// pass, and read-back of what the platform shows.
//
// Starting a program:
//   headless (the default backend; tests and scripts):
//       platformReset();                       // clean state, headless backend
//       HINSTANCE instance = instanceFromCatalogue(&catalogue);
//       ... create windows, or call the program's entry with the instance ...
//   desktop: see platform/desktop.h (platformStartDesktop, the program's entry, platformStopDesktop).
#pragma once

#include <cstdint>
#include <cstdio>

#include "platform/aygshell.h"
#include "platform/catalogue.h"
#include "platform/windows.h"

// The display the platform composes: navigation bar, the windows, the menu bar, then an open
// popup menu or dialog.
constexpr int DisplayWidth = 240;
constexpr int DisplayHeight = 320;
constexpr int NavBarHeight = 26;                // display rows 0 to 25
constexpr int MenuBarTop = DisplayHeight - MenuBarHeight;  // the menu bar: display rows 294 to 319

// ---- Instances --------------------------------------------------------------------------------

// The instance whose resources are the catalogue's. The same catalogue gives the same handle
// until the next platformReset. Gives no handle for a null catalogue or when too many catalogues
// are in use.
HINSTANCE instanceFromCatalogue(const ResourceCatalogue* catalogue);

// ---- Raw host input ---------------------------------------------------------------------------

enum class HostEventKind : uint8_t {
    PenDown,  // x, y: display coordinates
    PenMove,
    PenUp,
    Command,  // command: a WM_COMMAND id for the active window (a dialog when one is open)
    Quit,     // the host wants the program to end: modal loops end, the main window gets WM_CLOSE
    Restore,  // the host window came back: every visible window gets WM_PAINT
    KeyDown,  // command: a virtual-key code; x: KeyControl when Ctrl is held (never a repeat)
    KeyUp,
};
constexpr int16_t KeyControl = 1;

struct HostEvent {
    HostEventKind kind;
    int16_t x, y;
    uint16_t command;
};

// Queue one raw input event; message loops take it on a following pass. Gives 0 when the input
// queue is full.
int platformPushInput(const HostEvent& event);
// The host's pen (PenDown, PenMove or PenUp) at raw display coordinates, queued as the pen on the
// display: it goes down only on the display and moves only while down and on it; lifted outside
// the display (or taken away), it comes up where it last was on it.
void platformHostPen(HostEventKind kind, int x, int y);
// How many raw input events wait to be taken.
int platformInputPending();
// How many posted messages wait in the queue (the messages that input and menus turn into).
int platformPostedPending();

// ---- Backend ----------------------------------------------------------------------------------

// A wave resource's format, checked and found by PlaySoundW.
struct WaveSound {
    uint16_t id;             // resource number
    uint16_t channels;       // 1 or 2
    uint32_t sampleRate;     // samples per second
    uint16_t bitsPerSample;  // 8 or 16
    const uint8_t* samples;  // PCM data
    uint32_t sampleBytes;
};

// The local time of day (in a browser, the browser's), in minutes after midnight: a backend's clockMinutes.
int localClockMinutes();

// What a host provides. Every member may be null, except tickCount.
struct PlatformBackend {
    // Whether beginPass wants the composed display (the headless backend does not).
    bool showsDisplay = false;
    // The host's clock now, in milliseconds (an unsigned 32-bit count). The platform reads it as the
    // backend is selected and after each beginPass; GetTickCount gives that reading until the next.
    DWORD (*tickCount)() = nullptr;
    // A message-loop pass begins (PeekMessageW, or a pass of a modal loop): show the display when
    // `changed` (240 x 320 pixels, 0x00RRGGBB, rows top to bottom), hold the passes to the host's
    // rate, and hand the host's input to platformPushInput. Never waits for input.
    void (*beginPass)(const uint32_t* display, bool changed) = nullptr;
    // Sound: one at a time; a new one ends the one playing.
    void (*playWave)(const WaveSound& wave, bool loop) = nullptr;
    void (*stopWave)() = nullptr;
    // Time of day for the navigation bar's clock, in minutes after midnight.
    int (*clockMinutes)() = nullptr;
    // A single running copy per user: whether another process runs a window of this class and
    // title, and bringing that process's window to the front.
    bool (*findOtherCopy)(const WCHAR* className, const WCHAR* title) = nullptr;
    bool (*bringOtherCopyToFront)() = nullptr;
    // A top-level window of this class and title was created (claims the single-copy lock).
    void (*windowCreated)(const WCHAR* className, const WCHAR* title) = nullptr;
    // platformReset is resetting the host's own state.
    void (*reset)() = nullptr;
};

// Selects the backend every call uses from now on (null: the headless backend).
void platformUseBackend(const PlatformBackend* backend);
const PlatformBackend* platformBackend();

// ---- Pacing -----------------------------------------------------------------------------------

// How a host holds message-loop passes to their rate, apart from its system so that a test can
// drive it with a fake clock. Times are counts of a clock of `frequency` counts a second.
struct PaceClock {
    uint64_t (*now)();
    void (*sleep)(uint32_t milliseconds);
    uint64_t frequency;
};
struct Pacer {
    uint64_t period = 0;    // counts a pass
    bool vsync = false;     // this pass presented, waiting for a screen refreshing at the pass rate
    uint64_t nextPass = 0;  // when the next pass may begin, without vsync (0: at once)
    uint64_t lastPass = 0;  // when the last pass began
};
// When the next pass on the pacer's schedule is due, at `now`: nextPass, or now when there is none
// yet or it is over four passes behind (after a stall the schedule starts afresh: no burst).
uint64_t passDue(const Pacer& pacer, uint64_t now);
// Waits until the next pass may begin. With vsync, presenting has waited for the screen; a floor
// of nine tenths of a pass still holds when it did not (a hidden or minimised window). Without
// vsync, passes keep to the schedule (the next due a pass after one with vsync). Sleeps whole
// milliseconds and never spins: the schedule makes up for less than a millisecond early or late,
// so the rate holds on average.
void pace(Pacer& pacer, const PaceClock& clock);

// A replaying pass: it is due `step` milliseconds (a second at most: a recorded pause of a
// suspended machine is cut short) after the one before, whose due time `last` holds (0 before the
// first, which does not wait); more than a tenth of a second late, the schedule starts afresh.
void paceReplay(uint64_t& last, uint32_t step, const PaceClock& clock);

// ---- Reset ------------------------------------------------------------------------------------

// Puts the whole platform back to a clean state: windows, classes, menus, the message and input
// queues, drawing objects, instances, modal loops, the display, the hooks and the headless
// backend's clock and sound log. Selects the headless backend. No window procedure is called.
// Must not be called from inside a window procedure or a pass hook.
void platformReset();

// ---- Passes -----------------------------------------------------------------------------------

enum class PassKind : uint8_t {
    Main,    // PeekMessageW
    Menu,    // the popup menu's modal loop
    Dialog,  // a modal dialog's loop
};

struct PassInfo {
    PassKind kind;
    DWORD tick;       // GetTickCount at this pass, after the clock has advanced
    uint32_t number;  // passes since platformReset, counting from 1
};

// Called at the start of every message-loop pass (PeekMessageW and the modal loops alike), after
// the clock has advanced and host input has been gathered, before the pass looks at its queue.
// It may push input, read the display or write it as PNG. Null removes the hook.
using PassHook = void (*)(const PassInfo& pass, void* user);
void platformSetPassHook(PassHook hook, void* user);

// Called for every raw input event a message loop takes, as it takes it (after the pass hook of
// the pass that takes it) and before the event is carried out. Null removes the hook.
using InputHook = void (*)(const HostEvent& event, void* user);
void platformSetInputHook(InputHook hook, void* user);

// ---- Reading back what the platform shows -----------------------------------------------------

// The composed display: DisplayWidth x DisplayHeight pixels, 0x00RRGGBB, rows top to bottom. Valid
// until the next platform call that draws or changes windows.
const uint32_t* platformDisplay();

// Creates or empties a regular file and opens it for writing, never waiting on a pipe without a
// reader nor opening a device; null with errno when it cannot (EINVAL: no regular file).
std::FILE* platformCreateFile(const char* path);

// Writes pixels (0x00RRGGBB, rows top to bottom) as an 8-bit RGB PNG file. Gives 1/0.
int platformWritePng(const char* path, const uint32_t* pixels, int width, int height);
int platformWriteDisplayPng(const char* path);
