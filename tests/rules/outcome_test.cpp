// The spin decision: which draws win, which entry a win shows, where each reel comes to rest and the
// window in which it stops.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>

#include "rules/outcome.h"
#include "rules/random.h"
#include "tests/rules/draws.h"

namespace {

using draws::stateForDraws;

class Outcome : public ::testing::Test {
protected:
    void SetUp() override { resetOutcomeState(); }

    // Decides a spin whose first two draws are win and entry.
    static void spin(uint32_t win, uint32_t entry) {
        RandomSource::state = stateForDraws(win, entry);
        chooseOutcome();
    }
};

TEST_F(Outcome, ThresholdWinsAndEachEntryCoversItsRunOfDraws) {
    for (uint8_t m = 0; m < MachineCount; ++m) {
        SCOPED_TRACE("machine " + std::to_string(m));
        const MachineDef& d = machineDefs[m];
        useMachineRules(m);
        const auto threshold = static_cast<uint32_t>(d.winThreshold);
        spin(threshold, 5000);
        EXPECT_GT(pendingMultiplier, 0u) << "a draw at the threshold wins";
        spin(threshold + 1, 5000);
        EXPECT_EQ(pendingMultiplier, 0u) << "a draw past the threshold loses";
        EXPECT_EQ(firstMatchingEntry(), -1);
        // Entry k shows for the entry draws past the previous entry's weight up to its own.
        for (uint32_t k = 0; k < payEntryCount; ++k) {
            const uint32_t first = k == 0 ? 0 : d.payTable[k - 1].cumulativeWeight + 1;
            for (uint32_t w : {first, std::min(d.payTable[k].cumulativeWeight, 9999u)}) {
                spin(0, w);
                EXPECT_EQ(firstMatchingEntry(), static_cast<int>(k)) << "entry draw " << w;
                EXPECT_EQ(pendingMultiplier, readMultiplier(d.payTable[k].pattern)) << "entry draw " << w;
            }
        }
    }
}

TEST_F(Outcome, StopWindowsWrapAroundTheStrip) {
    useMachineRules(0);
    spin(0, 2650);  // "III * 10": stop 17, row 289; the window passes the 306-row cycle
    EXPECT_STREQ(resultSymbols, "III");
    EXPECT_EQ(targetScroll[0], 289);
    EXPECT_EQ(windowStart[0], 19);
    EXPECT_EQ(windowEnd[0], 35);
    spin(0, 2600);  // "HHH * 12": stop 15, row 255; only the window's end wraps
    EXPECT_STREQ(resultSymbols, "HHH");
    EXPECT_EQ(targetScroll[1], 255);
    EXPECT_EQ(windowStart[1], 291);
    EXPECT_EQ(windowEnd[1], 1);
    useMachineRules(3);
    spin(0, 3250);  // "III *  6" on 66-row windows: stop 17, row 280, cycle 297
    EXPECT_STREQ(resultSymbols, "III");
    EXPECT_EQ(targetScroll[2], 280);
    EXPECT_EQ(windowStart[2], 19);
    EXPECT_EQ(windowEnd[2], 35);
}

TEST_F(Outcome, RandomStopsReachEveryStopTheyMay) {
    useMachineRules(0);
    std::set<int> second, third, blanks;
    for (uint32_t w = 401; w <= 2400; ++w) {  // "E?? *  2": any stops, but no E second ("EE? *  8")
        spin(w % 5000, w);
        second.insert(targetScroll[1] / 17);
        third.insert(targetScroll[2] / 17);
    }
    EXPECT_EQ(second.size(), 17u);
    EXPECT_EQ(third.size(), 18u);
    for (uint32_t w = 3161; w < 3161 + 400; ++w) {  // "    *  1": blank stops, the even ones
        spin(w % 5000, w);
        ASSERT_STREQ(resultSymbols, "   ");
        for (int i = 0; i < 3; ++i)
            blanks.insert(targetScroll[i] / 17);
    }
    EXPECT_EQ(blanks, (std::set<int>{0, 2, 4, 6, 8, 10, 12, 14, 16}));
}

TEST_F(Outcome, EverySpinShowsWhatItPays) {
    // Over many spins of every machine: a loss matches no entry; a win shows exactly the entry its
    // entry draw chose, as the first match; each reel rests on a stop showing its symbol.
    for (uint8_t m = 0; m < MachineCount; ++m) {
        useMachineRules(m);
        const MachineDef& d = machineDefs[m];
        RandomSource::seed(1000u + m);
        int wins = 0;
        for (int spin = 0; spin < 20000; ++spin) {
            const uint32_t before = RandomSource::state;
            const bool win = RandomSource::below(10000) <= static_cast<uint32_t>(d.winThreshold);
            int expected = -1;
            if (win) {
                const uint32_t w = RandomSource::below(10000);
                for (expected = 0; d.payTable[expected].cumulativeWeight < w;)
                    ++expected;
            }
            RandomSource::state = before;
            chooseOutcome();
            ASSERT_EQ(std::strlen(resultSymbols), static_cast<size_t>(d.reelCount));
            ASSERT_EQ(firstMatchingEntry(), expected) << "machine " << int(m) << " spin " << spin;
            ASSERT_EQ(pendingMultiplier, win ? readMultiplier(d.payTable[expected].pattern) : 0u);
            wins += win;
            for (int i = 0; i < d.reelCount; ++i) {
                bool onStop = false;
                for (int s = 0; s < d.stripLength; ++s)
                    onStop |=
                        reelStrips[i][s] == resultSymbols[i] && s * d.reelRects[i].h / 4 == targetScroll[i];
                ASSERT_TRUE(onStop) << "machine " << int(m) << " reel " << i;
            }
        }
        EXPECT_NEAR(wins / 20000.0, (d.winThreshold + 1) / 10000.0, 0.02) << "machine " << int(m);
    }
}

// ---- The spin decision as first written, kept here to hold the game's to it ------------------------

namespace reference {

uint32_t state = 1;

// The device's step, in 16-bit halves.
uint32_t next() {
    return state = draws::halfWordStep(state);
}

uint32_t below(uint32_t n) {
    if (n == 0) return 0;
    return next() % n;
}

struct Result {
    char symbols[MaxReels + 1] = {};
    uint32_t multiplier = 0;
    int16_t target[MaxReels] = {}, start[MaxReels] = {}, end[MaxReels] = {};
};

bool matchesEarlier(const MachineDef& d, uint32_t entries, const char* symbols, uint32_t k) {
    for (uint32_t e = 0; e < entries && e < k; ++e) {
        const char* pattern = d.payTable[e].pattern;
        bool all = true;
        for (int i = 0; i < d.reelCount; ++i)
            all = all && (pattern[i] == '?' || pattern[i] == symbols[i]);
        if (all) return true;
    }
    return false;
}

// Decides a spin on d with `entries` pay entries in play, starting from r's fields (left as they
// were past the machine's reels).
void choose(const MachineDef& d, uint32_t entries, int16_t slowdown, Result& r) {
    const int reels = d.reelCount;
    const auto length = static_cast<uint32_t>(d.stripLength);
    const uint32_t draw = below(10000);
    uint32_t k = entries;
    if (draw <= static_cast<uint32_t>(d.winThreshold)) {
        const uint32_t w = below(10000);
        k = 0;
        while (k < entries && d.payTable[k].cumulativeWeight < w)
            ++k;
    }
    const auto stopRow = [&](int s, int i) { return static_cast<int16_t>(s * d.reelRects[i].h / 4); };
    if (k < entries) {
        const char* pattern = d.payTable[k].pattern;
        r.multiplier = readMultiplier(pattern);
        do {
            for (int i = 0; i < reels; ++i)
                r.symbols[i] = pattern[i];
            for (int i = 0; i < reels; ++i) {
                const char* strip = reelStrips[i];
                int s;
                if (r.symbols[i] == '?') {
                    s = static_cast<int>(below(length));
                    r.symbols[i] = strip[s];
                } else {
                    uint32_t count = below(length) + 1;
                    for (s = 0;; s = (s + 1 == static_cast<int>(length)) ? 0 : s + 1)
                        if (strip[s] == r.symbols[i] && --count == 0) break;
                }
                r.target[i] = stopRow(s, i);
            }
        } while (matchesEarlier(d, entries, r.symbols, k));
    } else {
        r.multiplier = 0;
        do {
            for (int i = 0; i < reels; ++i) {
                const int s = static_cast<int>(below(length));
                r.symbols[i] = reelStrips[i][s];
                r.target[i] = stopRow(s, i);
            }
        } while (matchesEarlier(d, entries, r.symbols, entries + 10));
    }
    for (int i = 0; i < reels; ++i) {
        const int16_t cycle = static_cast<int16_t>(d.reelRects[i].h * d.stripLength / 4);
        r.start[i] = static_cast<int16_t>(r.target[i] + slowdown);
        r.end[i] = static_cast<int16_t>(r.start[i] + speedTable[0]);
        if (r.start[i] > cycle) r.start[i] = static_cast<int16_t>(r.start[i] - cycle);
        if (r.end[i] > cycle) r.end[i] = static_cast<int16_t>(r.end[i] - cycle);
    }
    r.symbols[reels] = '\0';
}

}  // namespace reference

// Runs `spins` spins of the game's chooseOutcome and of the reference from the same state and
// stops at the first difference in any output or in the generator's state.
void expectSameAsReference(uint8_t machine, uint32_t entries, int16_t slowdown, uint32_t start, int spins) {
    const MachineDef& d = machineDefs[machine];
    currentMachine = machine;
    payEntryCount = entries;
    slowdownDistance = slowdown;
    RandomSource::state = start;
    reference::state = start;
    reference::Result r;
    for (int i = 0; i < MaxReels; ++i) {
        r.symbols[i] = resultSymbols[i];
        r.target[i] = targetScroll[i];
        r.start[i] = windowStart[i];
        r.end[i] = windowEnd[i];
    }
    r.symbols[MaxReels] = resultSymbols[MaxReels];
    for (int spin = 0; spin < spins; ++spin) {
        chooseOutcome();
        reference::choose(d, entries, slowdown, r);
        const auto where = [&] {
            return "machine " + std::to_string(machine) + ", " + std::to_string(entries) +
                   " entries, from state " + std::to_string(start) + ", spin " + std::to_string(spin);
        };
        ASSERT_EQ(RandomSource::state, reference::state) << where();
        ASSERT_EQ(pendingMultiplier, r.multiplier) << where();
        ASSERT_EQ(std::memcmp(resultSymbols, r.symbols, sizeof resultSymbols), 0) << where();
        for (int i = 0; i < MaxReels; ++i) {
            ASSERT_EQ(targetScroll[i], r.target[i]) << where() << " reel " << i;
            ASSERT_EQ(windowStart[i], r.start[i]) << where() << " reel " << i;
            ASSERT_EQ(windowEnd[i], r.end[i]) << where() << " reel " << i;
        }
    }
}

TEST_F(Outcome, DrawsAndDecidesExactlyAsTheStraightforwardAlgorithm) {
    // Many seeds on every machine, with its rules in play, then spins straight after each other.
    for (uint8_t m = 0; m < MachineCount; ++m) {
        useMachineRules(m);
        const uint32_t entries = payEntryCount;
        const int16_t slowdown = slowdownDistance;
        for (uint32_t seed = 1; seed <= 400; ++seed) {
            expectSameAsReference(m, entries, slowdown, RandomSource::seededState(seed * 2654435761u), 250);
            if (HasFatalFailure()) return;
        }
        // Every win draw and every entry draw, to reach every entry and its retries.
        for (uint32_t w = 0; w < 10000; w += 7) {
            expectSameAsReference(m, entries, slowdown, draws::stateForDraws(w % 7000, w), 1);
            if (HasFatalFailure()) return;
        }
    }
}

}  // namespace
