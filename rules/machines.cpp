#include "rules/machines.h"

// ---- Facts of the tables that the code relies on ----------------------------------------------

namespace {

constexpr bool allMachines(bool (*fact)(const MachineDef&)) {
    for (const MachineDef& d : machineDefs)
        if (!fact(d)) return false;
    return true;
}

constexpr bool onEveryStrip(char c) {
    for (const char* strip : reelStrips) {
        bool found = false;
        for (int p = 0; p < ReelStripLength; ++p)
            found = found || strip[p] == c;
        if (!found) return false;
    }
    return true;
}

}  // namespace

// Reel loops and the per-reel arrays need 1 to MaxReels reels, and no window past the last reel.
static_assert(allMachines([](const MachineDef& d) {
    if (d.reelCount < 1 || d.reelCount > MaxReels) return false;
    for (int i = d.reelCount; i < MaxReels; ++i)
        if (d.reelRects[i].w != 0 || d.reelRects[i].h != 0) return false;
    return true;
}));

// Button records and control rectangles hold at most MaxControls; three visible buttons have sheets.
static_assert(allMachines([](const MachineDef& d) {
    return d.buttonCount >= 0 && d.buttonCount <= 3 && d.hotAreaCount >= 0 &&
           d.buttonCount + d.hotAreaCount <= MaxControls;
}));

// Every strip is the strip text, so a stop index is a character of it.
static_assert(allMachines([](const MachineDef& d) { return d.stripLength == ReelStripLength; }));

// A draw from 0 to 9999 either wins or loses, and the bet can always hold the maximum.
static_assert(allMachines([](const MachineDef& d) {
    return d.winThreshold >= 0 && static_cast<uint32_t>(d.winThreshold) < DrawRange && d.maxBet >= 1;
}));

// Weights run up to exactly DrawRange without falling, so every winning draw finds its entry.
static_assert(allMachines([](const MachineDef& d) {
    uint32_t previous = 0;
    const uint32_t n = countPayEntries(d.payTable);
    for (uint32_t e = 0; e < n; ++e) {
        if (d.payTable[e].cumulativeWeight < previous) return false;
        previous = d.payTable[e].cumulativeWeight;
    }
    return n > 0 && previous == DrawRange;
}));

// A pattern is one character per reel, " * " and a two-character multiplier; each of its reel
// characters is "?" or occurs on every strip, so a win can always be shown.
static_assert(allMachines([](const MachineDef& d) {
    for (const PayEntry* e = d.payTable; e->pattern != nullptr; ++e) {
        int length = 0;
        while (e->pattern[length] != '\0')
            ++length;
        if (length != d.reelCount + 5 || readMultiplier(e->pattern) == 0) return false;
        for (int i = 0; i < d.reelCount; ++i)
            if (e->pattern[i] != '?' && !onEveryStrip(e->pattern[i])) return false;
    }
    return true;
}));

// The reels slow down stage by stage and the last stage stops them.
static_assert([] {
    for (int i = 1; i < SpeedStageCount; ++i)
        if (speedTable[i] >= speedTable[i - 1]) return false;
    return speedTable[SpeedStageCount - 1] == 0;
}());

uint8_t currentMachine = 0;
uint32_t payEntryCount = 0;
