#include "tools/par/parsheet.h"

#include <cmath>

#include "rules/outcome.h"

ParSheet computeParSheet(int machine) {
    ParSheet sheet = {};
    const MachineDef& d = machineDefs[machine];
    sheet.machine = machine;
    sheet.winChances = static_cast<uint32_t>(d.winThreshold) + 1;
    sheet.entryCount = countPayEntries(d.payTable);

    // How many of the DrawRange entry draws pick each entry, by the game's own choice.
    useMachineRules(static_cast<uint8_t>(machine));
    for (uint32_t w = 0; w < DrawRange; ++w) {
        const uint32_t k = payEntryForDraw(w);
        if (k < sheet.entryCount) ++sheet.entries[k].weight;
    }
    double meanSquare = 0;
    for (uint32_t k = 0; k < sheet.entryCount; ++k) {
        ParEntry& e = sheet.entries[k];
        e.pattern = d.payTable[k].pattern;
        e.multiplier = readMultiplier(e.pattern);
        e.chance = static_cast<uint64_t>(sheet.winChances) * e.weight;
        sheet.returnNumerator += e.chance * e.multiplier;
        if (e.multiplier > 0) sheet.hitChance += e.chance;
        if (e.multiplier > 1) sheet.overStakeChance += e.chance;
        meanSquare += static_cast<double>(e.chance) * e.multiplier * e.multiplier;
    }
    const double mean = static_cast<double>(sheet.returnNumerator) / ChanceDenominator;
    meanSquare /= ChanceDenominator;
    sheet.standardDeviation = std::sqrt(meanSquare - mean * mean);
    return sheet;
}

uint64_t greatestCommonDivisor(uint64_t a, uint64_t b) {
    while (b != 0) {
        const uint64_t r = a % b;
        a = b;
        b = r;
    }
    return a;
}

namespace {

// Regularized lower incomplete gamma P(a, x) by its series, for x < a + 1.
double lowerGammaSeries(double a, double x) {
    double term = 1.0 / a;
    double sum = term;
    for (int n = 1; n < 10000; ++n) {
        term *= x / (a + n);
        sum += term;
        if (std::fabs(term) < std::fabs(sum) * 1e-15) break;
    }
    return sum * std::exp(-x + a * std::log(x) - std::lgamma(a));
}

// Regularized upper incomplete gamma Q(a, x) by its continued fraction (modified Lentz), x >= a + 1.
double upperGammaFraction(double a, double x) {
    constexpr double Tiny = 1e-300;
    double b = x + 1.0 - a;
    double c = 1.0 / Tiny;
    double dd = 1.0 / b;
    double h = dd;
    for (int i = 1; i < 10000; ++i) {
        const double an = -i * (i - a);
        b += 2.0;
        dd = an * dd + b;
        if (std::fabs(dd) < Tiny) dd = Tiny;
        c = b + an / c;
        if (std::fabs(c) < Tiny) c = Tiny;
        dd = 1.0 / dd;
        const double delta = dd * c;
        h *= delta;
        if (std::fabs(delta - 1.0) < 1e-15) break;
    }
    return std::exp(-x + a * std::log(x) - std::lgamma(a)) * h;
}

}  // namespace

double chiSquareTail(double x, int degreesOfFreedom) {
    if (degreesOfFreedom <= 0) return 1.0;
    if (x <= 0) return 1.0;
    const double a = degreesOfFreedom / 2.0;
    const double half = x / 2.0;
    if (half < a + 1.0) return 1.0 - lowerGammaSeries(a, half);
    return upperGammaFraction(a, half);
}
