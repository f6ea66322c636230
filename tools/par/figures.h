// Every figure of a machine's PAR report in one place, for the text sheet, the JSON and CSV output
// and the printed report: the sheet, its confidence ranges, the top award and the sessions.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/par/parsheet.h"
#include "tools/par/session.h"

// The return after N spins falls into RTP +- z x sigma / sqrt(N) at these levels and spins.
constexpr int LevelCount = 3;
constexpr double ConfidenceLevels[LevelCount] = {0.90, 0.95, 0.99};
constexpr double ConfidenceZ[LevelCount] = {1.645, 1.960, 2.576};
constexpr int SpanCount = 6;
constexpr uint64_t ConfidenceSpins[SpanCount] = {100, 1000, 10000, 100000, 1000000, 10000000};

struct ConfidenceRange {
    uint64_t spins;
    double level;
    double low, high;  // the return per coin bet, as a fraction
};

struct MachineFigures {
    ParSheet sheet;
    double returnToPlayer;     // per coin bet, as a fraction
    double hitFrequency;       // as a fraction
    double overStake;          // as a fraction
    double volatilityIndex90;  // 1.645 x the standard deviation
    ConfidenceRange confidence[SpanCount * LevelCount];
    uint32_t topEntry;       // the first entry with the largest multiplier
    uint32_t topMultiplier;  // the largest single win per coin
    uint64_t topChance;      // of every entry paying it, out of ChanceDenominator
    int bets;                // 1 to the machine's maximum bet
    SessionFigures sessions[5];
};

// The figures of machines first to last, their sessions worked out on up to `threads` threads.
std::vector<MachineFigures> machineFigures(int first, int last, unsigned threads);

// A chance out of ChanceDenominator as a fraction.
double chanceFraction(uint64_t chance);
