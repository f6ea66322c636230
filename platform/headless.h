// The headless backend: a clock that moves only with the passes, input injected by the caller,
// sounds written to a log instead of played. Selected by platformReset (platform/host.h).
//
// The clock stands at the start tick until the first pass; every pass (PeekMessageW or a pass of
// a modal loop) advances it by the step before the pass looks at its queue. Nothing ever waits.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/host.h"

const PlatformBackend* headlessBackend();

// Clock. Defaults after platformReset: start tick 0, step 16 ms, clock face 9:41.
void headlessSetStartTick(DWORD tick);  // sets the clock to this value now
void headlessSetPassStep(DWORD milliseconds);

// Input, in display coordinates (other raw input goes through platformPushInput). Each gives 0
// when the input queue is full.
int headlessPenDown(int x, int y);
int headlessPenUp(int x, int y);
// Posts WM_COMMAND id to this window's queue directly, whatever menu or dialog is open (their
// loops dispatch posted messages too). Gives 0 for no such window or a full queue.
int headlessPostCommand(HWND window, WORD id);
int headlessQuit();

// The sound log: every PlaySoundW call, in order (a call without a sound logs a Stop even when
// nothing plays).
enum class SoundEventKind : uint8_t {
    Play,  // a wave started, once
    Loop,  // a wave started, looping
    Stop,  // the playing wave was stopped (a call without a sound, or a failed play)
};
struct SoundEvent {
    SoundEventKind kind;
    WORD id;     // the wave's resource number; 0 for Stop
    DWORD tick;  // GetTickCount when it happened
};
size_t headlessSoundEventCount();
SoundEvent headlessSoundEvent(size_t index);  // index out of range gives a Stop at tick 0
void headlessClearSoundLog();
// How many events found the log full (it holds 16384) since it was last cleared.
size_t headlessSoundEventsDropped();
// "play 105", "loop 104" or "stop", written into text (always NUL-terminated); gives the length.
int headlessFormatSoundEvent(const SoundEvent& event, char* text, size_t textSize);
