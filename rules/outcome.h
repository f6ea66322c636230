// The spin decision: every spin is decided in full the moment it starts.
#pragma once

#include <cstdint>

#include "rules/machines.h"

// The outcome of the last spin, kept until the next one.
extern char resultSymbols[MaxReels + 1];  // strip character at each reel's stop, then a terminator
extern uint32_t pendingMultiplier;        // multiplier of the chosen entry; 0 for a losing spin
extern int16_t targetScroll[MaxReels];    // strip row at the top of the window when the reel rests
extern int16_t windowStart[MaxReels];     // the stop window, inclusive at both ends, in strip rows;
extern int16_t windowEnd[MaxReels];       // start > end when it wraps past the end of the strip

// Rows a reel covers while slowing from full speed to rest: the speed stages after the first,
// up to the first 0. Machine setup works it out from the speed table.
extern int16_t slowdownDistance;
int16_t computeSlowdownDistance();

// Decides the next spin on the machine in play, with its whole pay table, and writes the outcome
// above.
void chooseOutcome();

// The spin chooseOutcome decides on machine m (with its whole pay table in play) from generator state
// `state`, without touching the outcome or the generator: state moves on past the spin's draws, draws
// becomes their number, and the result is the entry shown (the one firstMatchingEntry finds), or the
// entry count for a losing spin. Safe to call from several threads at once.
uint32_t decideSpin(uint8_t machine, uint32_t& state, uint32_t& draws);

// What entry e of machine m pays per coin: its multiplier, or 0 past the last entry (a losing spin).
uint32_t entryMultiplier(uint8_t machine, uint32_t entry);

// The pay entry that a winning spin's entry draw w (0 to 9999) picks on the machine in play: the first
// whose cumulative weight is at least w; payEntryCount when there is none.
uint32_t payEntryForDraw(uint32_t w);

// Index of the first pay entry that resultSymbols match, or -1 when they match none (a losing spin).
// For a winning spin this is always the entry that chooseOutcome chose.
int firstMatchingEntry();

// Puts the rules for machine n in play without any graphics: the machine, its pay entry count and the
// slowdown distance. Machine setup does the same as part of its work.
void useMachineRules(uint8_t n);

// Back to the state at program start (outcome cleared, machine 0 not yet set up).
void resetOutcomeState();
