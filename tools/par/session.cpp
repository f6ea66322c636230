#include "tools/par/session.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "rules/outcome.h"
#include "rules/random.h"
#include "tools/par/parsheet.h"

// The exact figures. Call M the player's money after a spin is settled: the credits with the win paid
// in, before the next bet leaves them. At bet b, a spin of multiplier m turns M into M + b (m - 1), so
// from the start of 20 the money stays at base + b k (base = 20 mod b) while the bet is b. When M
// falls below b (k = 0, M = base) the game bets one coin from then on, or the player is broke when
// base is 0; at one coin M moves by m - 1 until it reaches 0. Both stretches are carried as arrays of
// chances indexed by k and by M. A spin loses at most one step, so money that cannot run out in the
// spins left is set aside as surviving; the few ends of the arrays whose chance falls below Tiny are
// left out too, and their sum bounds the error of every figure.

namespace {

constexpr double Tiny = 1e-18;
constexpr double Z95 = 1.959963984540054;

struct Step {
    int offset;  // m - 1
    double chance;
};

// The multipliers of the sheet's machine with their chances, a losing spin as multiplier 0.
std::vector<Step> stepsOf(const ParSheet& s) {
    std::map<int, uint64_t> byMultiplier;
    byMultiplier[0] = ChanceDenominator - s.hitChance;
    for (uint32_t k = 0; k < s.entryCount; ++k)
        byMultiplier[static_cast<int>(s.entries[k].multiplier)] += s.entries[k].chance;
    std::vector<Step> steps;
    for (const auto& [m, chance] : byMultiplier)
        if (chance > 0)
            steps.push_back({m - 1, static_cast<double>(chance) / static_cast<double>(ChanceDenominator)});
    return steps;
}

// Chances over a window [lo, hi] of cells; empty when lo > hi.
struct Cells {
    std::vector<double> p;
    int lo = 1, hi = 0;
    bool empty() const { return lo > hi; }
};

// One spin of a stretch: moves every cell by each step; returns the chance that lands on cell 0.
double spread(const Cells& from, Cells& to, const std::vector<Step>& steps, int maxOffset) {
    to.lo = from.lo - 1;
    to.hi = from.hi + maxOffset;
    std::fill(to.p.begin() + to.lo, to.p.begin() + to.hi + 1, 0.0);
    const size_t length = static_cast<size_t>(from.hi - from.lo + 1);
    const double* in = from.p.data() + from.lo;
    for (const Step& s : steps) {
        double* out = to.p.data() + (from.lo + s.offset);
        const double c = s.chance;
        for (size_t i = 0; i < length; ++i)
            out[i] += c * in[i];
    }
    double atZero = 0;
    if (to.lo == 0) {
        atZero = to.p[0];
        to.p[0] = 0;
        to.lo = 1;
    }
    return atZero;
}

// Sets aside the cells above `top` (they cannot run out in time) and drops the ends below Tiny.
void trim(Cells& c, int top, double& leftOut) {
    if (c.hi > top) c.hi = top;
    while (!c.empty() && c.p[c.lo] < Tiny)
        leftOut += c.p[c.lo++];
    while (!c.empty() && c.p[c.hi] < Tiny)
        leftOut += c.p[c.hi--];
}

// The chance to reach DoubleTarget before running out, from the start, by solving the chain of every
// money below the target (at bet b and then at one coin) with Gaussian elimination.
double doubleChance(const std::vector<Step>& steps, int bet) {
    const int start = InitialWallet.credits;
    const int base = start % bet;
    // Unknowns: money base + bet k (k >= 1) at the bet, then 1 to target - 1 at one coin.
    std::vector<int> money;
    std::vector<bool> atBet;
    std::map<std::pair<bool, int>, int> index;
    for (int k = 1; base + bet * k < DoubleTarget; ++k) {
        index[{true, base + bet * k}] = static_cast<int>(money.size());
        money.push_back(base + bet * k);
        atBet.push_back(true);
    }
    if (bet > 1 && base > 0)
        for (int m = 1; m < DoubleTarget; ++m) {
            index[{false, m}] = static_cast<int>(money.size());
            money.push_back(m);
            atBet.push_back(false);
        }
    const size_t n = money.size();
    std::vector<std::vector<double>> a(n, std::vector<double>(n + 1, 0.0));
    for (size_t i = 0; i < n; ++i) {
        a[i][i] += 1;
        const int stake = atBet[i] ? bet : 1;
        for (const Step& s : steps) {
            const int next = money[i] + stake * s.offset;
            if (next >= DoubleTarget) {
                a[i][n] += s.chance;
            } else if (next >= stake && (atBet[i] || next >= 1)) {
                a[i][static_cast<size_t>(index.at({atBet[i], next}))] -= s.chance;
            } else if (next >= 1) {
                a[i][static_cast<size_t>(index.at({false, next}))] -= s.chance;
            }
        }
    }
    for (size_t c = 0; c < n; ++c) {
        size_t pivot = c;
        for (size_t r = c + 1; r < n; ++r)
            if (std::fabs(a[r][c]) > std::fabs(a[pivot][c])) pivot = r;
        std::swap(a[c], a[pivot]);
        for (size_t r = 0; r < n; ++r) {
            if (r == c || a[r][c] == 0) continue;
            const double f = a[r][c] / a[c][c];
            for (size_t j = c; j <= n; ++j)
                a[r][j] -= f * a[c][j];
        }
    }
    const auto startIndex = static_cast<size_t>(index.at({true, start}));
    return a[startIndex][n] / a[startIndex][startIndex];
}

// The first n with still[n] at most one half, or 0 past the end.
double medianOf(const std::vector<double>& still) {
    for (size_t n = 0; n < still.size(); ++n)
        if (still[n] <= 0.5) return static_cast<double>(n);
    return 0;
}

Estimate exactly(double value) {
    return {value, value, value};
}

// The Wilson score interval of `hits` out of `n` at 95 %.
Estimate proportion(uint64_t hits, uint64_t n) {
    const double nn = static_cast<double>(n);
    const double p = static_cast<double>(hits) / nn;
    const double z2 = Z95 * Z95;
    const double centre = (p + z2 / (2 * nn)) / (1 + z2 / nn);
    const double half = Z95 * std::sqrt(p * (1 - p) / nn + z2 / (4 * nn * nn)) / (1 + z2 / nn);
    return {p, std::max(0.0, centre - half), std::min(1.0, centre + half)};
}

}  // namespace

Wallet sessionStart(int bet) {
    Wallet w = InitialWallet;
    w.credits -= bet * w.coinValue;
    w.bet = static_cast<int16_t>(bet);
    return w;
}

bool settleSessionSpin(Wallet& w, uint32_t multiplier) {
    w.lastWin = payoutThatFits(w, multiplier);
    w.credits += w.lastWin;
    if (w.credits >= heldStake(w)) {
        w.credits -= heldStake(w);
        return true;
    }
    if (w.credits >= w.coinValue) {
        w.credits -= w.coinValue;
        w.bet = 1;
        return true;
    }
    w.bet = 0;
    return false;
}

SessionFigures sessionFigures(const ParSheet& sheet, int bet, uint64_t budget, uint64_t fallbackSessions,
                              uint32_t seed) {
    const std::vector<Step> steps = stepsOf(sheet);
    int maxOffset = 0;
    for (const Step& s : steps)
        maxOffset = std::max(maxOffset, s.offset);
    const int start = InitialWallet.credits;
    const int base = start % bet;
    const auto horizon = static_cast<int>(SessionSpins);
    const size_t size = static_cast<size_t>(horizon + maxOffset + start + 2);

    SessionFigures f;
    f.bet = bet;
    f.exact = true;
    f.still.assign(SessionSpins + 1, 1.0);
    Cells atBet[2], oneCoin[2];
    for (Cells* c : {&atBet[0], &atBet[1], &oneCoin[0], &oneCoin[1]})
        c->p.assign(size, 0.0);
    atBet[0].lo = atBet[0].hi = (start - base) / bet;
    atBet[0].p[static_cast<size_t>(atBet[0].lo)] = 1.0;
    double broke = 0, leftOut = 0;
    uint64_t work = 0;
    for (int n = 1; n <= horizon; ++n) {
        const Cells& a = atBet[(n - 1) & 1];
        const Cells& o = oneCoin[(n - 1) & 1];
        Cells& a2 = atBet[n & 1];
        Cells& o2 = oneCoin[n & 1];
        work += static_cast<uint64_t>(std::max(0, a.hi - a.lo + 1) + std::max(0, o.hi - o.lo + 1));
        if (work > budget) return simulateSessions(sheet.machine, bet, fallbackSessions, seed);
        double fallen = 0;
        if (!a.empty()) {
            fallen = spread(a, a2, steps, maxOffset);
        } else {
            a2.lo = 1;
            a2.hi = 0;
        }
        if (!o.empty()) {
            broke += spread(o, o2, steps, maxOffset);
        } else {
            o2.lo = 1;
            o2.hi = 0;
        }
        if (base == 0) {
            broke += fallen;
        } else if (fallen > 0) {
            // The money that fell below the bet joins the one-coin stretch at base.
            if (o2.empty()) o2.lo = o2.hi = base + 1;
            for (int m = base; m < o2.lo; ++m)
                o2.p[static_cast<size_t>(m)] = 0;
            for (int m = o2.hi + 1; m <= base; ++m)
                o2.p[static_cast<size_t>(m)] = 0;
            o2.lo = std::min(o2.lo, base);
            o2.hi = std::max(o2.hi, base);
            o2.p[static_cast<size_t>(base)] += fallen;
        }
        const int left = horizon - n;
        trim(a2, left - base, leftOut);
        trim(o2, left, leftOut);
        f.still[static_cast<size_t>(n)] = 1.0 - broke;
    }
    for (int h = 0; h < HorizonCount; ++h)
        f.brokeWithin[h] = exactly(1.0 - f.still[Horizons[h]]);
    f.medianSpins = exactly(medianOf(f.still));
    f.doubleBeforeBroke = exactly(doubleChance(steps, bet));
    f.errorBound = leftOut;
    return f;
}

SessionFigures simulateSessions(int machine, int bet, uint64_t sessions, uint32_t seed) {
    const auto m = static_cast<uint8_t>(machine);
    SessionFigures f;
    f.bet = bet;
    f.sessions = sessions;
    f.seed = seed;
    std::vector<uint64_t> brokeAfter(SessionSpins + 1, 0);  // sessions broke after exactly n spins
    std::vector<uint32_t> spinsToBroke;                     // SessionSpins + 1 for "not by then"
    spinsToBroke.reserve(sessions);
    uint64_t doubled = 0;
    uint32_t state = RandomSource::seededState(seed);
    constexpr uint64_t MostSpins = 100000000;  // a session still undecided then counts as not doubled
    for (uint64_t s = 0; s < sessions; ++s) {
        Wallet w = sessionStart(bet);
        bool decided = false;
        uint32_t brokeAt = SessionSpins + 1;
        for (uint64_t n = 1; n <= MostSpins; ++n) {
            uint32_t draws = 0;
            const uint32_t entry = decideSpin(m, state, draws);
            state = RandomSource::step(state);  // the stop delay, which the game draws next
            const bool playing = settleSessionSpin(w, entryMultiplier(m, entry));
            if (!decided && w.credits + heldStake(w) >= DoubleTarget) {
                decided = true;
                ++doubled;
            }
            if (!playing) {
                if (n <= SessionSpins) brokeAt = static_cast<uint32_t>(n);
                break;
            }
            if (decided && n >= SessionSpins) break;
        }
        if (brokeAt <= SessionSpins) ++brokeAfter[brokeAt];
        spinsToBroke.push_back(brokeAt);
    }
    f.still.assign(SessionSpins + 1, 1.0);
    uint64_t brokeSoFar = 0;
    for (uint32_t n = 1; n <= SessionSpins; ++n) {
        brokeSoFar += brokeAfter[n];
        f.still[n] = 1.0 - static_cast<double>(brokeSoFar) / static_cast<double>(sessions);
    }
    uint64_t cumulative = 0;
    int h = 0;
    for (uint32_t n = 1; n <= SessionSpins && h < HorizonCount; ++n) {
        cumulative += brokeAfter[n];
        if (n == Horizons[h]) f.brokeWithin[h++] = proportion(cumulative, sessions);
    }
    f.doubleBeforeBroke = proportion(doubled, sessions);
    // The median is the sessions' middle spins to broke; its interval, the order statistics whose
    // ranks lie 1.96 standard deviations of a fair count either side of the middle.
    std::sort(spinsToBroke.begin(), spinsToBroke.end());
    const auto at = [&](double rank) {
        const auto i = static_cast<size_t>(std::clamp(rank, 1.0, static_cast<double>(sessions))) - 1;
        return spinsToBroke[i] > SessionSpins ? 0.0 : static_cast<double>(spinsToBroke[i]);
    };
    const double half = static_cast<double>(sessions) / 2;
    const double spread95 = Z95 * std::sqrt(static_cast<double>(sessions)) / 2;
    f.medianSpins = {at(std::ceil(half)), at(std::floor(half - spread95)),
                     at(std::ceil(half + spread95) + 1)};
    return f;
}
