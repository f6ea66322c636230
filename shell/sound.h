// The game's three sounds: wave resources played asynchronously, one at a time.
#pragma once

#include <cstdint>

#include "res/resource.h"

// The wave resources. A sound is named by a pointer to its entry.
inline constexpr uint32_t soundTable[3] = {IDW_REEL, IDW_COIN, IDW_WIN};
inline constexpr const uint32_t* ReelSound = &soundTable[0];  // loops while the reels spin
inline constexpr const uint32_t* CoinSound = &soundTable[1];  // a bet
inline constexpr const uint32_t* WinSound = &soundTable[2];   // a payout

// The only option of playSound that counts: play the sound over and over until stopped.
constexpr int16_t SoundLoop = 2;

// 1 while sound is on (the start), 0 when off. Only setSoundEnabled writes it.
extern uint8_t soundEnabled;

// The sound last started, or none. The game records a sound here before it plays it (also with
// sound off) and sets it to none when it stops it.
extern const uint32_t* currentSound;

// Starts a sound, once or (with SoundLoop in options) looping; nothing when sound is off or the
// entry is none. Gives the platform's result.
int playSound(const uint32_t* entry, int16_t options);

// Stops whatever sound is playing; the entry is not looked at.
void stopSound(const uint32_t* entry);

// Switches sound on (1) or off (0); switching off stops the sound that is playing.
void setSoundEnabled(uint8_t on);

// Back to program start: sound on, no current sound.
void resetSound();
