// How long 20 credits last: a session played as the game plays it, at one bet, until the money runs
// out. Exact by carrying the chance of every amount of money from spin to spin; simulated (with 95 %
// intervals) where that would not fit in the budget.
#pragma once

#include <cstdint>
#include <vector>

#include "rules/wallet.h"
#include "tools/par/parsheet.h"

// The spins after which the chance to be broke is given, and the last one looked at.
constexpr int HorizonCount = 4;
constexpr uint32_t Horizons[HorizonCount] = {10, 100, 1000, 10000};
constexpr uint32_t SessionSpins = 10000;
// The session ends well when the money (credits and the bet staked) reaches this: double the start.
constexpr int32_t DoubleTarget = 2 * InitialWallet.credits;
// The most work the exact figures may take (amounts of money carried, times spins) before they are
// simulated instead; the four machines take at most about a tenth of it.
constexpr uint64_t DefaultSessionBudget = 400000000;

// A figure with its 95 % interval; the interval is the figure itself when it is exact.
struct Estimate {
    double value = 0, low = 0, high = 0;
};

struct SessionFigures {
    int bet = 0;
    bool exact = false;
    Estimate brokeWithin[HorizonCount];
    // The median spins until broke: the fewest spins n with a chance of at least one half to be broke
    // after n; 0 when that takes more than SessionSpins (a simulated interval's ends likewise).
    Estimate medianSpins;
    Estimate doubleBeforeBroke;  // the chance that the money reaches DoubleTarget before it runs out
    // Exact only: the chance left out of the carried amounts (those too unlikely to matter), which
    // bounds the error of every exact figure. Simulated only: the sessions and their seed.
    double errorBound = 0;
    uint64_t sessions = 0;
    uint32_t seed = 0;
    // still[n]: the chance of still playing after n spins, n = 0 to SessionSpins (a simulation's
    // share of sessions).
    std::vector<double> still;
};

// One spin's settlement on the game's wallet, as the game settles it: pay bet x multiplier, then take
// the same bet again, one coin when the credits cannot cover it, or nothing when they cannot cover
// one coin. Returns false when the player is broke.
bool settleSessionSpin(Wallet& w, uint32_t multiplier);

// The money at the start of a session at bet b: InitialWallet with b coins staked.
Wallet sessionStart(int bet);

// The exact figures for the sheet's machine at bet 1 to its maximum, or, when the amounts to carry
// pass `budget` (cells times spins), simulated ones from `fallbackSessions` sessions and the seed.
// Safe to call from several threads at once.
SessionFigures sessionFigures(const ParSheet& sheet, int bet, uint64_t budget = DefaultSessionBudget,
                              uint64_t fallbackSessions = 20000, uint32_t seed = 1);

// `sessions` sessions of machine 0 to 3 at bet b, one after another from the seed as the game would
// decide their spins, each played until broke and until it has reached or missed DoubleTarget, with
// the 95 % interval of each figure.
SessionFigures simulateSessions(int machine, int bet, uint64_t sessions, uint32_t seed);
