#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "rules/outcome.h"
#include "rules/random.h"

namespace {

constexpr uint64_t Modulus = 2147483647u;
constexpr uint64_t InverseMultiplier = 1407677000u;  // 16807 x 1407677000 = 1 (mod 2^31 - 1)

uint32_t previous(uint64_t value) {
    return static_cast<uint32_t>(value * InverseMultiplier % Modulus);
}

// A generator state from which the next two below(10000) draws are first and second.
uint32_t stateForDraws(uint32_t first, uint32_t second) {
    for (uint64_t x2 = second; x2 < Modulus; x2 += 10000) {
        if (x2 == 0) continue;
        const uint32_t x1 = previous(x2);
        if (x1 % 10000 == first) return previous(x1);
    }
    ADD_FAILURE() << "no state gives draws " << first << ", " << second;
    return 1;
}

uint32_t stateForDraw(uint32_t first) {
    for (uint64_t x1 = first == 0 ? 10000 : first;; x1 += 10000)
        return previous(x1);
}

// The entry that a win draw w picks by the weights alone.
int entryForWeight(uint32_t w) {
    const MachineDef& d = currentMachineDef();
    uint32_t k = 0;
    while (d.payTable[k].cumulativeWeight < w)
        ++k;
    return static_cast<int>(k);
}

int16_t wrapped(int value, int cycle) {
    return static_cast<int16_t>(value > cycle ? value - cycle : value);
}

class Outcome : public ::testing::Test {
protected:
    void SetUp() override { resetOutcomeState(); }
};

TEST_F(Outcome, SlowdownDistanceComesFromTheSpeedTable) {
    EXPECT_EQ(computeSlowdownDistance(), 36);
    useMachineRules(2);
    EXPECT_EQ(currentMachine, 2);
    EXPECT_EQ(payEntryCount, 14u);
    EXPECT_EQ(slowdownDistance, 36);
}

TEST_F(Outcome, WinThresholdIsInclusive) {
    for (uint8_t m = 0; m < MachineCount; ++m) {
        useMachineRules(m);
        const uint32_t threshold = static_cast<uint32_t>(machineDefs[m].winThreshold);
        RandomSource::state = stateForDraws(threshold, 5000);
        chooseOutcome();
        EXPECT_GT(pendingMultiplier, 0u) << "machine " << int(m) << ": a draw at the threshold wins";
        EXPECT_GE(firstMatchingEntry(), 0);
        RandomSource::state = stateForDraw(threshold + 1);
        chooseOutcome();
        EXPECT_EQ(pendingMultiplier, 0u) << "machine " << int(m) << ": a draw past the threshold loses";
        EXPECT_EQ(firstMatchingEntry(), -1);
    }
}

TEST_F(Outcome, EntryDrawPicksTheFirstEntryReachingIt) {
    useMachineRules(0);
    const struct {
        uint32_t w;
        int entry;
    } cases[] = {{0, 0},    {20, 0},   {21, 1},    {400, 1},   {401, 2},   {2400, 2}, {2401, 3},
                 {2415, 3}, {2416, 4}, {3160, 12}, {3161, 13}, {5000, 13}, {9999, 13}};
    for (const auto& c : cases) {
        RandomSource::state = stateForDraws(0, c.w);
        chooseOutcome();
        EXPECT_EQ(firstMatchingEntry(), c.entry) << "w = " << c.w;
        EXPECT_EQ(pendingMultiplier, readMultiplier(machineDefs[0].payTable[c.entry].pattern))
            << "w = " << c.w;
    }
}

TEST_F(Outcome, TopPrizeStopsEveryReelOnItsSymbol) {
    useMachineRules(0);
    const uint32_t start = stateForDraws(100, 7);
    RandomSource::state = start;
    chooseOutcome();
    EXPECT_STREQ(resultSymbols, "EEE");
    EXPECT_EQ(pendingMultiplier, 30u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(targetScroll[i], 153);
        EXPECT_EQ(windowStart[i], 189);
        EXPECT_EQ(windowEnd[i], 205);
    }
    // d, w, then one count per reel: five draws in all.
    const uint32_t after = RandomSource::state;
    RandomSource::state = start;
    for (int i = 0; i < 5; ++i)
        RandomSource::next();
    EXPECT_EQ(after, RandomSource::state);
}

TEST_F(Outcome, AllBlankWinShowsRandomBlankStops) {
    useMachineRules(0);
    std::set<int> blanksSeen;
    for (uint32_t w = 3161; w < 3161 + 400; ++w) {
        RandomSource::state = stateForDraws(w % 5000, w);
        chooseOutcome();
        ASSERT_EQ(std::strlen(resultSymbols), 3u);
        EXPECT_STREQ(resultSymbols, "   ");
        EXPECT_EQ(pendingMultiplier, 1u);
        for (int i = 0; i < 3; ++i) {
            ASSERT_EQ(targetScroll[i] % 34, 0) << "blank stops are even, at rows 34 x k";
            blanksSeen.insert(targetScroll[i] / 17);
        }
    }
    EXPECT_EQ(blanksSeen, (std::set<int>{0, 2, 4, 6, 8, 10, 12, 14, 16}));
}

TEST_F(Outcome, EverySpinShowsWhatItPays) {
    // Over many seeds and every machine: a loss matches no entry; a win shows exactly the entry its
    // weight draw chose as the first match; each reel rests on a stop that shows its symbol, with the
    // stop window placed after the target, wrapped around the strip.
    for (uint8_t m = 0; m < MachineCount; ++m) {
        useMachineRules(m);
        const MachineDef& d = machineDefs[m];
        RandomSource::seed(1000u + m);
        int wins = 0;
        for (int spin = 0; spin < 20000; ++spin) {
            const uint32_t before = RandomSource::state;
            const uint32_t draw = RandomSource::below(10000);
            const int expected = draw <= static_cast<uint32_t>(d.winThreshold)
                                     ? entryForWeight(RandomSource::below(10000))
                                     : -1;
            RandomSource::state = before;
            chooseOutcome();
            ASSERT_EQ(std::strlen(resultSymbols), static_cast<size_t>(d.reelCount));
            ASSERT_EQ(firstMatchingEntry(), expected) << "machine " << int(m) << " spin " << spin;
            if (expected >= 0) {
                ++wins;
                ASSERT_EQ(pendingMultiplier, readMultiplier(d.payTable[expected].pattern));
            } else {
                ASSERT_EQ(pendingMultiplier, 0u);
            }
            for (int i = 0; i < d.reelCount; ++i) {
                const int h = d.reelRects[i].h;
                const int cycle = h * d.stripLength / 4;
                bool onStop = false;
                for (int s = 0; s < d.stripLength; ++s) {
                    onStop |= reelStrips[i][s] == resultSymbols[i] && s * h / 4 == targetScroll[i];
                }
                ASSERT_TRUE(onStop) << "machine " << int(m) << " reel " << i;
                ASSERT_EQ(windowStart[i], wrapped(targetScroll[i] + 36, cycle));
                ASSERT_EQ(windowEnd[i], wrapped(targetScroll[i] + 36 + 16, cycle));
            }
        }
        const double rate = wins / 20000.0;
        const double chance = (d.winThreshold + 1) / 10000.0;
        EXPECT_NEAR(rate, chance, 0.02) << "machine " << int(m);
    }
}

TEST_F(Outcome, LosingSpinsAvoidEveryPattern) {
    const char forbiddenFirst[] = {'E', 'I', 'G', 'A'};
    for (uint8_t m = 0; m < MachineCount; ++m) {
        useMachineRules(m);
        RandomSource::seed(77u + m);
        int losses = 0;
        for (int spin = 0; spin < 20000; ++spin) {
            const uint32_t before = RandomSource::state;
            const bool lose = RandomSource::below(10000) > static_cast<uint32_t>(machineDefs[m].winThreshold);
            RandomSource::state = before;
            chooseOutcome();
            if (!lose) continue;
            ++losses;
            ASSERT_EQ(pendingMultiplier, 0u);
            ASSERT_NE(resultSymbols[0], forbiddenFirst[m]) << "machine " << int(m);
            ASSERT_FALSE(matchesEarlierEntry(payEntryCount + 10));
            if (m == 0 || m == 3) {
                ASSERT_FALSE(resultSymbols[0] == resultSymbols[1] && resultSymbols[1] == resultSymbols[2])
                    << resultSymbols;
            }
        }
        EXPECT_GT(losses, 5000);
    }
}

TEST_F(Outcome, SecondPlacePatternNeverShowsTheHigherPrize) {
    useMachineRules(0);
    for (uint32_t w = 401; w <= 2400; w += 3) {
        RandomSource::state = stateForDraws(w % 5000, w);
        chooseOutcome();
        ASSERT_EQ(resultSymbols[0], 'E');
        ASSERT_NE(resultSymbols[1], 'E') << "E E ? would pay the higher prize";
        ASSERT_EQ(pendingMultiplier, 2u);
    }
}

TEST_F(Outcome, StopWindowsWrapAroundTheStrip) {
    // Machine 0: "III * 10" rests every reel on stop 17 (row 289); its window wraps to 19 .. 35.
    useMachineRules(0);
    RandomSource::state = stateForDraws(0, 2650);
    chooseOutcome();
    EXPECT_STREQ(resultSymbols, "III");
    EXPECT_EQ(targetScroll[0], 289);
    EXPECT_EQ(windowStart[0], 19);
    EXPECT_EQ(windowEnd[0], 35);
    // "HHH * 12": stop 15, row 255, window 291 .. 1.
    RandomSource::state = stateForDraws(0, 2600);
    chooseOutcome();
    EXPECT_STREQ(resultSymbols, "HHH");
    EXPECT_EQ(targetScroll[1], 255);
    EXPECT_EQ(windowStart[1], 291);
    EXPECT_EQ(windowEnd[1], 1);
    // Machine 3 (window height 66): "III *  6" is stop 17, row 280, window 19 .. 35.
    useMachineRules(3);
    RandomSource::state = stateForDraws(0, 3250);
    chooseOutcome();
    EXPECT_STREQ(resultSymbols, "III");
    EXPECT_EQ(targetScroll[2], 280);
    EXPECT_EQ(windowStart[2], 19);
    EXPECT_EQ(windowEnd[2], 35);
}

TEST_F(Outcome, MatchTest) {
    useMachineRules(0);
    std::strcpy(resultSymbols, "EAB");
    EXPECT_FALSE(matchesEarlierEntry(2));  // entry 2 ("E??") is skipped, nothing before it matches
    EXPECT_TRUE(matchesEarlierEntry(3));
    std::strcpy(resultSymbols, "A  ");
    EXPECT_FALSE(matchesEarlierEntry(100));
    std::strcpy(resultSymbols, "   ");
    EXPECT_FALSE(matchesEarlierEntry(13));
    EXPECT_TRUE(matchesEarlierEntry(14));
    payEntryCount = 0;
    std::strcpy(resultSymbols, "EEE");
    EXPECT_FALSE(matchesEarlierEntry(100));
}

}  // namespace
