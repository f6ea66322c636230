// The math of a machine as its designer describes it in a PAR sheet: every figure is computed from
// the built-in tables, with the same code the game uses to decide a spin.
#pragma once

#include <cstdint>

#include "rules/machines.h"

// Chances are exact fractions over DrawRange x DrawRange: the win draw, then the entry draw.
constexpr uint64_t ChanceDenominator = uint64_t{DrawRange} * DrawRange;

struct ParEntry {
    const char* pattern;
    uint32_t multiplier;
    uint32_t weight;  // how many of the DrawRange entry draws pick this entry
    uint64_t chance;  // spins out of ChanceDenominator that show this entry
};

struct ParSheet {
    int machine;
    uint32_t winChances;  // winThreshold + 1, out of DrawRange
    uint32_t entryCount;
    ParEntry entries[MaxPayEntries];
    uint64_t returnNumerator;  // return to player = returnNumerator / ChanceDenominator
    uint64_t hitChance;        // spins that pay anything, out of ChanceDenominator
    uint64_t overStakeChance;  // spins that pay more than the stake, out of ChanceDenominator
    double standardDeviation;  // of the payout per coin bet
};

// Builds the sheet of machine 0 to 3 (and leaves that machine's rules in play).
ParSheet computeParSheet(int machine);

uint64_t greatestCommonDivisor(uint64_t a, uint64_t b);

// The chance that a chi-square statistic with the given degrees of freedom is at least x
// (the regularized upper incomplete gamma function Q(df / 2, x / 2)).
double chiSquareTail(double x, int degreesOfFreedom);
