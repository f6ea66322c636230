#include "rules/outcome.h"

#include "rules/random.h"

char resultSymbols[MaxReels + 1] = {};
uint32_t pendingMultiplier = 0;
int16_t targetScroll[MaxReels] = {};
int16_t windowStart[MaxReels] = {};
int16_t windowEnd[MaxReels] = {};
int16_t slowdownDistance = 0;

namespace {

// The first of a table's first `count` entries whose cumulative weight is at least w; count when none.
constexpr uint32_t entryForDraw(const PayEntry* table, uint32_t count, uint32_t w) {
    uint32_t k = 0;
    while (k < count && table[k].cumulativeWeight < w)
        ++k;
    return k;
}

// The strip row at the top of a reel window of height h resting on stop s.
constexpr int16_t stopRow(int s, int h) {
    return static_cast<int16_t>(s * h / 4);
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

int firstMatchingEntry() {
    for (uint32_t e = 0; e < payEntryCount; ++e) {
        if (resultMatches(e)) return static_cast<int>(e);
    }
    return -1;
}

uint32_t payEntryForDraw(uint32_t w) {
    return entryForDraw(currentMachineDef().payTable, payEntryCount, w);
}

namespace {

// ---- The spin decision from tables worked out at compile time --------------------------------------
//
// Every spin takes its draws in this order: the win draw (below(DrawRange)); for a win, the entry
// draw (below(DrawRange)), then for each reel the stop draw (below(stripLength)), which rests the reel on
// that stop for a "?" and otherwise on that occurrence (counted from stop 0) of the pattern's
// character, again until no earlier entry matches; for a loss, a stop draw per reel, again until no
// entry matches. Everything that does not depend on a draw is looked up in tables made at compile
// time: the entry an entry draw picks, the stop each occurrence count of a pattern character
// reaches, and for every reel and stop the entries whose character there the stop shows.

constexpr int Stops = ReelStripLength;

struct FastRules {
    uint32_t entryCount;
    int reels;
    uint32_t threshold;
    uint32_t multiplier[MaxPayEntries + 1];               // per entry, then 0 for a losing spin
    uint8_t entryForDraw[DrawRange];                      // payEntryForDraw of every entry draw
    uint8_t stopFor[MaxPayEntries + 1][MaxReels][Stops];  // entry (then a loss), reel, draw: its stop
    uint32_t matches[MaxReels][Stops];  // bit e: entry e's character at the reel shows on the stop
    int16_t row[MaxReels][Stops];       // targetScroll of each stop
};

constexpr int findStopAt(const char* strip, char wanted, uint32_t count) {
    for (int p = 0;; p = (p + 1 == Stops) ? 0 : p + 1) {
        if (strip[p] == wanted && --count == 0) return p;
    }
}

constexpr FastRules makeFastRules(const MachineDef& d) {
    FastRules f = {};
    f.entryCount = countPayEntries(d.payTable);
    f.reels = d.reelCount;
    f.threshold = static_cast<uint32_t>(d.winThreshold);
    for (uint32_t w = 0; w < DrawRange; ++w)
        f.entryForDraw[w] = static_cast<uint8_t>(entryForDraw(d.payTable, f.entryCount, w));
    // A loss rests every reel on its draw, as a pattern of "?" would.
    for (int i = 0; i < d.reelCount; ++i)
        for (int draw = 0; draw < Stops; ++draw)
            f.stopFor[f.entryCount][i][draw] = static_cast<uint8_t>(draw);
    for (uint32_t e = 0; e < f.entryCount; ++e) {
        const char* pattern = d.payTable[e].pattern;
        f.multiplier[e] = readMultiplier(pattern);
        for (int i = 0; i < d.reelCount; ++i) {
            for (int draw = 0; draw < Stops; ++draw) {
                f.stopFor[e][i][draw] =
                    static_cast<uint8_t>(pattern[i] == '?' ? draw
                                                           : findStopAt(reelStrips[i], pattern[i],
                                                                        static_cast<uint32_t>(draw) + 1));
            }
            for (int s = 0; s < Stops; ++s) {
                if (pattern[i] == '?' || pattern[i] == reelStrips[i][s]) f.matches[i][s] |= 1u << e;
            }
        }
    }
    for (int i = 0; i < d.reelCount; ++i)
        for (int s = 0; s < Stops; ++s)
            f.row[i][s] = stopRow(s, d.reelRects[i].h);
    return f;
}

constexpr FastRules fastRules[MachineCount] = {
    makeFastRules(machineDefs[0]),
    makeFastRules(machineDefs[1]),
    makeFastRules(machineDefs[2]),
    makeFastRules(machineDefs[3]),
};

static_assert([] {
    for (const MachineDef& d : machineDefs)
        if (countPayEntries(d.payTable) > MaxPayEntries || d.stripLength != Stops) return false;
    return true;
}());

// One spin on f from the generator state s (advanced past the spin's draws): the stops of the reels,
// the entry chosen (entryCount for a loss), and the number of draws.
template <int Reels>
inline uint32_t decide(const FastRules& f, uint32_t& s, uint8_t* stops, uint32_t& draws) {
    s = RandomSource::step(s);
    uint32_t k = f.entryCount;
    uint32_t n = 1;
    if (s % DrawRange <= f.threshold) {
        s = RandomSource::step(s);
        ++n;
        k = f.entryForDraw[s % DrawRange];
    }
    // Entry k may show no entry before it; a loss (k = entryCount) no entry at all.
    const uint32_t earlier = (1u << k) - 1;
    const auto& stopFor = f.stopFor[k];
    uint32_t shown;
    do {
        shown = ~0u;
        for (int i = 0; i < Reels; ++i) {
            s = RandomSource::step(s);
            const uint8_t stop = stopFor[i][s % Stops];
            stops[i] = stop;
            shown &= f.matches[i][stop];
        }
        n += Reels;
    } while ((shown & earlier) != 0);
    draws = n;
    return k;
}

uint32_t decideOn(const FastRules& f, uint32_t& s, uint8_t* stops, uint32_t& draws) {
    switch (f.reels) {
        case 1:
            return decide<1>(f, s, stops, draws);
        case 2:
            return decide<2>(f, s, stops, draws);
        case 3:
            return decide<3>(f, s, stops, draws);
        case 4:
            return decide<4>(f, s, stops, draws);
        default:
            return decide<5>(f, s, stops, draws);
    }
}

}  // namespace

void chooseOutcome() {
    const FastRules& f = fastRules[currentMachine];
    const MachineDef& d = currentMachineDef();
    uint8_t stops[MaxReels];
    uint32_t draws = 0;
    uint32_t s = RandomSource::state;
    const uint32_t k = decideOn(f, s, stops, draws);
    RandomSource::state = s;
    pendingMultiplier = f.multiplier[k];
    const int reels = f.reels;
    for (int i = 0; i < reels; ++i) {
        const int stop = stops[i];
        resultSymbols[i] = reelStrips[i][stop];
        targetScroll[i] = f.row[i][stop];
        const int16_t cycle = static_cast<int16_t>(d.reelRects[i].h * d.stripLength / 4);
        windowStart[i] = static_cast<int16_t>(targetScroll[i] + slowdownDistance);
        windowEnd[i] = static_cast<int16_t>(windowStart[i] + speedTable[0]);
        if (windowStart[i] > cycle) windowStart[i] = static_cast<int16_t>(windowStart[i] - cycle);
        if (windowEnd[i] > cycle) windowEnd[i] = static_cast<int16_t>(windowEnd[i] - cycle);
    }
    resultSymbols[reels] = '\0';
}

uint32_t decideSpin(uint8_t machine, uint32_t& state, uint32_t& draws) {
    uint8_t stops[MaxReels];
    return decideOn(fastRules[machine < MachineCount ? machine : 0], state, stops, draws);
}

uint32_t entryMultiplier(uint8_t machine, uint32_t entry) {
    const FastRules& f = fastRules[machine < MachineCount ? machine : 0];
    return entry < f.entryCount ? f.multiplier[entry] : 0;
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
