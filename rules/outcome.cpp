#include "rules/outcome.h"

#include "rules/random.h"

char resultSymbols[MaxReels + 1] = {};
uint32_t pendingMultiplier = 0;
int16_t targetScroll[MaxReels] = {};
int16_t windowStart[MaxReels] = {};
int16_t windowEnd[MaxReels] = {};
int16_t slowdownDistance = 0;

namespace {

// The strip row at the top of a reel window of height h resting on stop s.
int16_t stopRow(int s, int h) {
    return static_cast<int16_t>(s * h / 4);
}

// Where a reel comes to rest on a symbol or blank: the count-th occurrence of wanted (count 1 or
// more), counting from stop 0 around and around the strip. Every character a pattern names occurs
// on every strip, so the search ends.
int findStop(const char* strip, int stripLength, char wanted, uint32_t count) {
    for (int p = 0;; p = (p + 1 == stripLength) ? 0 : p + 1) {
        if (strip[p] == wanted && --count == 0) return p;
    }
}

}  // namespace

int16_t computeSlowdownDistance() {
    int sum = 0;
    for (int i = 1; i < SpeedStageCount && speedTable[i] != 0; ++i)
        sum += speedTable[i];
    return static_cast<int16_t>(sum);
}

namespace {

// True when the spin's symbols show pay entry e: "?" matches any stop, anything else only itself.
bool resultMatches(uint32_t e) {
    const MachineDef& d = currentMachineDef();
    const char* pattern = d.payTable[e].pattern;
    for (int i = 0; i < d.reelCount; ++i) {
        if (pattern[i] != '?' && pattern[i] != resultSymbols[i]) return false;
    }
    return true;
}

}  // namespace

bool matchesEarlierEntry(uint32_t k) {
    // Only entries before k count, so entry k itself is never looked at.
    for (uint32_t e = 0; e < payEntryCount && e < k; ++e) {
        if (resultMatches(e)) return true;
    }
    return false;
}

int firstMatchingEntry() {
    for (uint32_t e = 0; e < payEntryCount; ++e) {
        if (resultMatches(e)) return static_cast<int>(e);
    }
    return -1;
}

uint32_t payEntryForDraw(uint32_t w) {
    const PayEntry* table = currentMachineDef().payTable;
    uint32_t k = 0;
    while (k < payEntryCount && table[k].cumulativeWeight < w)
        ++k;
    return k;
}

void chooseOutcome() {
    const MachineDef& d = currentMachineDef();
    const int reels = d.reelCount;
    const auto length = static_cast<uint32_t>(d.stripLength);

    const uint32_t draw = RandomSource::below(10000);
    uint32_t k = payEntryCount;
    if (draw <= static_cast<uint32_t>(d.winThreshold)) {
        k = payEntryForDraw(RandomSource::below(10000));
    }

    if (k < payEntryCount) {
        // A win: show entry k, and nothing that an earlier entry would pay instead.
        const char* pattern = d.payTable[k].pattern;
        pendingMultiplier = readMultiplier(pattern);
        do {
            for (int i = 0; i < reels; ++i)
                resultSymbols[i] = pattern[i];
            for (int i = 0; i < reels; ++i) {
                const char* strip = reelStrips[i];
                int s;
                if (resultSymbols[i] == '?') {
                    s = static_cast<int>(RandomSource::below(length));
                    resultSymbols[i] = strip[s];
                } else {
                    s = findStop(strip, static_cast<int>(length), resultSymbols[i],
                                 RandomSource::below(length) + 1);
                }
                targetScroll[i] = stopRow(s, d.reelRects[i].h);
            }
        } while (matchesEarlierEntry(k));
    } else {
        // A loss: any stops that no entry pays.
        pendingMultiplier = 0;
        do {
            for (int i = 0; i < reels; ++i) {
                const int s = static_cast<int>(RandomSource::below(length));
                resultSymbols[i] = reelStrips[i][s];
                targetScroll[i] = stopRow(s, d.reelRects[i].h);
            }
        } while (matchesEarlierEntry(payEntryCount + 10));
    }

    for (int i = 0; i < reels; ++i) {
        const int16_t cycle = static_cast<int16_t>(d.reelRects[i].h * d.stripLength / 4);
        windowStart[i] = static_cast<int16_t>(targetScroll[i] + slowdownDistance);
        windowEnd[i] = static_cast<int16_t>(windowStart[i] + speedTable[0]);
        if (windowStart[i] > cycle) windowStart[i] = static_cast<int16_t>(windowStart[i] - cycle);
        if (windowEnd[i] > cycle) windowEnd[i] = static_cast<int16_t>(windowEnd[i] - cycle);
    }
    resultSymbols[reels] = '\0';
}

void useMachineRules(uint8_t n) {
    currentMachine = n < MachineCount ? n : 0;
    payEntryCount = countPayEntries(currentMachineDef().payTable);
    slowdownDistance = computeSlowdownDistance();
}

void resetOutcomeState() {
    for (char& c : resultSymbols)
        c = '\0';
    pendingMultiplier = 0;
    for (int i = 0; i < MaxReels; ++i)
        targetScroll[i] = windowStart[i] = windowEnd[i] = 0;
    slowdownDistance = 0;
    currentMachine = 0;
    payEntryCount = 0;
    RandomSource::state = 1;
}
