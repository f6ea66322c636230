// The four slot machines: built-in, read-only data.
#pragma once

#include <cstdint>

#include "rules/types.h"

constexpr int MachineCount = 4;
constexpr int MaxReels = 5;
constexpr int MaxControls = 5;

// One line of a pay table. A list ends with an entry whose pattern is null.
struct PayEntry {
    const char* pattern;        // reel characters, " * ", then the multiplier in two characters
    uint32_t cumulativeWeight;  // running total of the chances, out of 10000
};

struct MachineDef {
    uint32_t backgroundBitmap;         // 240 x 240 background bitmap
    Rect16 betRect;                    // where the bet display stands
    Rect16 winRect;                    // where the win display stands
    uint32_t payTablePicture;          // bitmap shown with the pay table; 0 for none
    const PayEntry* payTable;          // first entry of the machine's list
    int16_t winThreshold;              // a spin wins when a draw from 0 to 9999 is at most this
    int16_t maxBet;                    // largest bet in coins
    int16_t reelCount;                 // 1 to 5
    uint32_t stripBitmap;              // reel strip bitmap shared by all reels
    int16_t stripLength;               // stops on each strip
    Rect16 reelRects[MaxReels];        // screen window of each reel; zero past reelCount
    int16_t buttonCount;               // visible buttons drawn from glyph sheets
    int16_t hotAreaCount;              // invisible tap areas after the buttons
    int16_t buttonSheets[3];           // glyph sheet rows of buttons 1, 2 and 3
    Rect16 controlRects[MaxControls];  // BetOne, BetMax, Spin, pay table area, More area
};

extern const MachineDef machineDefs[MachineCount];

// The machine names, as the Options menu shows them.
extern const char* const machineNames[MachineCount];

// The Options menu command that selects machine n is 40011 - n.
constexpr uint16_t FirstMachineCommand = 40011;
constexpr uint16_t machineCommand(int n) {
    return static_cast<uint16_t>(FirstMachineCommand - n);
}

// The strip texts of reel positions 0 to 4: stop p of a reel is character p of its text.
constexpr int ReelStripLength = 18;
extern const char* const reelStrips[MaxReels];

// Reel speed stages in pixel rows per pass, ending with 0. Stage 0 is full speed.
constexpr int SpeedStageCount = 9;
extern const int16_t speedTable[SpeedStageCount];

// The machine in play (0 to 3) and the number of entries in its pay table.
// Machine setup writes both; everything else reads them.
extern uint8_t currentMachine;
extern uint32_t payEntryCount;

inline const MachineDef& currentMachineDef() {
    return machineDefs[currentMachine];
}

// Number of entries of a pay table before its end marker.
uint32_t countPayEntries(const PayEntry* table);

// The multiplier at the end of a pattern text: the decimal number formed by its trailing digits.
uint32_t readMultiplier(const char* pattern);
