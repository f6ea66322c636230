#include "tools/par/par_cli.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cinttypes>
#include <csignal>
#include <cstring>
#include <string>
#include <thread>

#include "platform/text.h"
#include "rules/outcome.h"
#include "rules/random.h"
#include "tools/par/parsheet.h"
#include "tools/par/simulate.h"

namespace {

constexpr const char* Usage =
    "usage: dorurura-par [--machine N]                       the PAR sheet of every machine, or of machine "
    "N\n"
    "       dorurura-par --simulate COUNT [--seed S] [--machine N] [--threads T]\n"
    "                                                        decide COUNT spins and compare with the sheet\n"
    "       dorurura-par --trace [--spins COUNT] [--seed S] [--machine N]\n"
    "                                                        one JSON line per spin, drawn as the game does\n"
    "       dorurura-par --help\n"
    "\n"
    "  N is a machine from 0 to 3: 0 Reriv Eduvud, 1 Dodore du Zevud, 2 Dudavid Udidizo, 3 Rorav'i Rariv.\n"
    "  COUNT is a positive whole number; S is a seed from 0 to 4294967295 (default 1).\n"
    "  --trace shows machine 0 and 10 spins unless told otherwise.\n"
    "  --simulate decides the spins the game would decide one after another from the seed, on T threads\n"
    "  (1 to 64, default one per processor); the figures for a seed are the same on any number of them.\n"
    "  It shows its progress while the error output is a terminal, ends with the spins per second on\n"
    "  the error output, and on Ctrl+C prints the report of the spins decided so far.\n";

struct Options {
    int machine = -1;  // -1: every machine
    uint64_t simulate = 0;
    bool trace = false;
    uint64_t spins = 0;
    uint32_t seed = 1;
    unsigned threads = 0;  // 0: one per processor
    bool help = false;
};

// Reads the command line into options; on a problem, writes one line naming it and returns false.
bool parseOptions(int argc, const char* const* argv, Options& o, std::string& problem) {
    constexpr uint64_t MaxCount = 1000000000000u;
    bool seenSimulate = false, seenSpins = false, seenThreads = false;
    for (int i = 1; i < argc; ++i) {
        const std::string flag = argv[i];
        const bool takesValue = flag == "--machine" || flag == "--simulate" || flag == "--seed" ||
                                flag == "--spins" || flag == "--threads";
        const char* value = nullptr;
        if (takesValue) {
            if (i + 1 >= argc) {
                problem = flag;
                problem.append(" needs a value");
                return false;
            }
            value = argv[++i];
        }
        uint64_t n = 0;
        if (flag == "--help" || flag == "-h") {
            o.help = true;
        } else if (flag == "--trace") {
            o.trace = true;
        } else if (flag == "--machine") {
            if (!parseDecimal(value, 1000, n) || n >= MachineCount) {
                problem = std::string("--machine takes a machine from 0 to 3, not '") + value + "'";
                return false;
            }
            o.machine = static_cast<int>(n);
        } else if (flag == "--simulate" || flag == "--spins") {
            if (!parseDecimal(value, MaxCount, n) || n == 0) {
                problem = flag;
                problem.append(" takes a positive whole number up to 10^12, not '").append(value).append("'");
                return false;
            }
            (flag == "--simulate" ? o.simulate : o.spins) = n;
            (flag == "--simulate" ? seenSimulate : seenSpins) = true;
        } else if (flag == "--threads") {
            if (!parseDecimal(value, 1000, n) || n == 0 || n > 64) {
                problem =
                    std::string("--threads takes a number of threads from 1 to 64, not '") + value + "'";
                return false;
            }
            o.threads = static_cast<unsigned>(n);
            seenThreads = true;
        } else if (flag == "--seed") {
            if (!parseDecimal(value, UINT32_MAX, n)) {
                problem =
                    std::string("--seed takes a whole number from 0 to 4294967295, not '") + value + "'";
                return false;
            }
            o.seed = static_cast<uint32_t>(n);
        } else {
            problem = "unknown option '";
            problem.append(flag).append("'");
            return false;
        }
    }
    if (seenSimulate && o.trace) {
        problem = "--simulate and --trace cannot be combined";
        return false;
    }
    if (seenSpins && !o.trace) {
        problem = "--spins goes with --trace (use --simulate COUNT for a simulation)";
        return false;
    }
    if (seenThreads && !seenSimulate) {
        problem = "--threads goes with --simulate";
        return false;
    }
    if (o.trace && !seenSpins) o.spins = 10;
    return true;
}

// 1234567 as "1,234,567".
std::string grouped(uint64_t value) {
    std::string digits = std::to_string(value);
    std::string result;
    const size_t lead = digits.size() % 3;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i != 0 && (i + 3 - lead) % 3 == 0) result += ',';
        result += digits[i];
    }
    return result;
}

std::string fraction(uint64_t numerator, uint64_t denominator) {
    const uint64_t g = greatestCommonDivisor(numerator, denominator);
    if (g == 0) return "0";
    return std::to_string(numerator / g) + "/" + std::to_string(denominator / g);
}

double percent(uint64_t chance) {
    return 100.0 * static_cast<double>(chance) / ChanceDenominator;
}

std::string oneIn(uint64_t chance) {
    if (chance == 0) return "never";
    char text[32];
    std::snprintf(text, sizeof text, "1 in %.2f",
                  static_cast<double>(ChanceDenominator) / static_cast<double>(chance));
    return text;
}

void printHeader(std::FILE* out, int machine) {
    const MachineDef& d = machineDefs[machine];
    const std::string title = std::string(machineNames[machine]) + "  (machine " + std::to_string(machine) +
                              ", " + std::to_string(d.reelCount) + " reels, bet 1 to " +
                              std::to_string(d.maxBet) + " coins)";
    std::fprintf(out, "%s\n%s\n", title.c_str(), std::string(title.size(), '=').c_str());
}

void printSheet(std::FILE* out, int machine) {
    const ParSheet s = computeParSheet(machine);
    printHeader(out, machine);
    std::fprintf(out, "Win chance      %u in 10000 (%.2f%%): a draw from 0 to 9999 of at most %u wins\n\n",
                 s.winChances, s.winChances / 100.0, s.winChances - 1);
    std::fprintf(out, "  #  %-12s %5s %7s  %-20s %9s %14s %9s\n", "Pattern", "Pays", "Weight",
                 "Chance (exact)", "Chance", "Frequency", "Return");
    for (uint32_t k = 0; k < s.entryCount; ++k) {
        const ParEntry& e = s.entries[k];
        const std::string quoted = std::string("\"") + e.pattern + "\"";
        std::fprintf(out, " %2u  %-12s %4ux %7u  %-20s %8.4f%% %14s %8.3f%%\n", k, quoted.c_str(),
                     e.multiplier, e.weight, fraction(e.chance, ChanceDenominator).c_str(), percent(e.chance),
                     oneIn(e.chance).c_str(), percent(e.chance * e.multiplier));
    }
    const uint64_t loss = ChanceDenominator - s.hitChance;
    std::fprintf(out, "  -  %-12s %4ux %7s  %-20s %8.4f%% %14s %8.3f%%\n\n", "no win", 0u, "-",
                 fraction(loss, ChanceDenominator).c_str(), percent(loss), oneIn(loss).c_str(), 0.0);
    std::fprintf(out, "Return to player          %s = %.3f%%\n",
                 fraction(s.returnNumerator, ChanceDenominator).c_str(), percent(s.returnNumerator));
    std::fprintf(out, "Hit frequency             %.3f%% (%s): spins that pay anything\n",
                 percent(s.hitChance), oneIn(s.hitChance).c_str());
    std::fprintf(out, "Pays more than the stake  %.3f%% (%s)\n", percent(s.overStakeChance),
                 oneIn(s.overStakeChance).c_str());
    std::fprintf(out, "Standard deviation        %.4f coins per coin bet\n", s.standardDeviation);
    std::fprintf(out,
                 "Exact chances take each draw of 0 to 9999 as equally likely. The generator's remainders\n"
                 "come within 1 part in 214,748 of that (draws 1 to 3646 are that much likelier).\n");
}

// Set by Ctrl+C while a simulation runs; a lock-free atomic, so the handler may set it.
std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void onInterrupt(int) {
    interrupted.store(true);
}

// "12 s", "3 min 20 s", "2 h 05 min".
std::string duration(double seconds) {
    const auto s = static_cast<uint64_t>(seconds + 0.5);
    char text[48];
    if (s < 60) {
        std::snprintf(text, sizeof text, "%u s", static_cast<unsigned>(s));
    } else if (s < 3600) {
        std::snprintf(text, sizeof text, "%u min %02u s", static_cast<unsigned>(s / 60),
                      static_cast<unsigned>(s % 60));
    } else {
        std::snprintf(text, sizeof text, "%" PRIu64 " h %02u min", s / 3600,
                      static_cast<unsigned>(s / 60 % 60));
    }
    return text;
}

// Prints the report of a simulation; returns false when it was interrupted before its end.
bool simulate(std::FILE* out, std::FILE* err, int machine, uint64_t spins, uint32_t seed, unsigned threads) {
    const ParSheet s = computeParSheet(machine);
    const bool terminal = isatty(fileno(err)) == 1;
    const auto began = std::chrono::steady_clock::now();
    const auto secondsSince = [](std::chrono::steady_clock::time_point t) {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
    };
    SimulationControl control;
    control.threads = threads;
    control.stop = &interrupted;
    if (terminal) {
        control.progress = [&](uint64_t done) {
            const double elapsed = secondsSince(began);
            std::string line = "\rdorurura-par: machine " + std::to_string(machine) + ", ";
            line.append(grouped(done)).append(" of ").append(grouped(spins)).append(" spins");
            if (done > 0 && elapsed > 0) {
                const double left =
                    elapsed * static_cast<double>(spins - std::min(done, spins)) / static_cast<double>(done);
                line.append(", ").append(duration(left)).append(" left");
            }
            line.append("   ");
            std::fputs(line.c_str(), err);
            std::fflush(err);
        };
    }
    void (*previous)(int) = std::signal(SIGINT, onInterrupt);
    const SimulationTally tally = simulateSpins(machine, spins, seed, control);
    std::signal(SIGINT, previous == SIG_ERR ? SIG_DFL : previous);
    const double elapsed = secondsSince(began);
    if (terminal) std::fputs("\r\033[K", err);
    const bool complete = tally.spins == spins;
    const uint64_t* observed = tally.observed;
    const uint64_t paid = tally.paid;
    spins = tally.spins;

    printHeader(out, machine);
    std::fprintf(out, "%s spins from seed %u\n\n", grouped(spins).c_str(), seed);
    std::fprintf(out, "  #  %-12s %15s %17s %9s\n", "Pattern", "Observed", "Expected", "Ratio");
    double chiSquare = 0;
    int categories = 0;
    for (uint32_t k = 0; k <= s.entryCount; ++k) {
        const uint64_t chance = k < s.entryCount ? s.entries[k].chance : ChanceDenominator - s.hitChance;
        const double expected = static_cast<double>(spins) * static_cast<double>(chance) / ChanceDenominator;
        const double diff = static_cast<double>(observed[k]) - expected;
        if (expected > 0) {
            chiSquare += diff * diff / expected;
            ++categories;
        }
        const std::string label =
            k < s.entryCount ? std::string("\"") + s.entries[k].pattern + "\"" : "no win";
        const std::string number = k < s.entryCount ? std::to_string(k) : "-";
        std::fprintf(out, " %2s  %-12s %15s %17.1f %9.4f\n", number.c_str(), label.c_str(),
                     grouped(observed[k]).c_str(), expected,
                     expected > 0 ? static_cast<double>(observed[k]) / expected : 0.0);
    }
    const int freedom = categories - 1;
    std::fprintf(out, "\nChi-square                %.3f with %d degrees of freedom, p-value %.4f\n",
                 chiSquare, freedom, chiSquareTail(chiSquare, freedom));
    std::fprintf(out, "Observed return           %.3f%% (expected %.3f%%)\n",
                 spins > 0 ? 100.0 * static_cast<double>(paid) / static_cast<double>(spins) : 0.0,
                 percent(s.returnNumerator));
    if (!complete)
        std::fprintf(out, "Interrupted: the report covers the first %s spins\n", grouped(spins).c_str());
    std::fflush(out);
    std::fprintf(err, "dorurura-par: %s spins in %.3f s, %.1f M spins/s on %u thread%s\n",
                 grouped(spins).c_str(), elapsed,
                 elapsed > 0 ? static_cast<double>(spins) / elapsed / 1e6 : 0.0, threads,
                 threads == 1 ? "" : "s");
    return complete;
}

void trace(std::FILE* out, int machine, uint64_t spins, uint32_t seed) {
    const MachineDef& d = machineDefs[machine];
    useMachineRules(static_cast<uint8_t>(machine));
    RandomSource::seed(seed);
    for (uint64_t i = 1; i <= spins; ++i) {
        const uint32_t before = RandomSource::state;
        const uint32_t draw = RandomSource::below(10000);  // the win draw, read ahead and put back
        RandomSource::state = before;
        chooseOutcome();
        const uint32_t delay = 1500 + RandomSource::below(1500);  // the spin's stop delay, drawn next
        const int entry = firstMatchingEntry();
        std::string line = "{\"spin\":" + std::to_string(i) + ",\"draw\":" + std::to_string(draw) +
                           ",\"entry\":" + (entry < 0 ? std::string("null") : std::to_string(entry)) +
                           ",\"multiplier\":" + std::to_string(pendingMultiplier) + ",\"symbols\":\"" +
                           resultSymbols + "\",\"targets\":[";
        std::string windows = "],\"windows\":[";
        for (int r = 0; r < d.reelCount; ++r) {
            if (r != 0) {
                line += ',';
                windows += ',';
            }
            line += std::to_string(targetScroll[r]);
            windows.append(1, '[').append(std::to_string(windowStart[r])).append(1, ',');
            windows.append(std::to_string(windowEnd[r])).append(1, ']');
        }
        line += windows + "],\"delay\":" + std::to_string(delay) + "}\n";
        std::fputs(line.c_str(), out);
    }
}

}  // namespace

int parMain(int argc, const char* const* argv, std::FILE* out, std::FILE* err) {
    Options o;
    std::string problem;
    if (!parseOptions(argc, argv, o, problem)) {
        std::fprintf(err, "dorurura-par: %s\n%s", problem.c_str(), Usage);
        return 2;
    }
    if (o.help) {
        std::fputs(Usage, out);
        return 0;
    }
    if (o.trace) {
        trace(out, o.machine < 0 ? 0 : o.machine, o.spins, o.seed);
        return 0;
    }
    const int first = o.machine < 0 ? 0 : o.machine;
    const int last = o.machine < 0 ? MachineCount - 1 : o.machine;
    unsigned threads = o.threads;
    if (threads == 0) threads = std::clamp(std::thread::hardware_concurrency(), 1u, 64u);
    for (int m = first; m <= last; ++m) {
        if (m != first) std::fputc('\n', out);
        if (o.simulate > 0) {
            const bool complete = simulate(out, err, m, o.simulate, o.seed, threads);
            if (!complete || interrupted.load()) {
                interrupted.store(false);
                return 130;
            }
        } else {
            printSheet(out, m);
        }
    }
    return 0;
}
