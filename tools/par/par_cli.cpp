#include "tools/par/par_cli.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cinttypes>
#include <cmath>
#include <csignal>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/text.h"
#include "rules/outcome.h"
#include "rules/random.h"
#include "tools/par/figures.h"
#include "tools/par/parsheet.h"
#include "tools/par/report.h"
#include "tools/par/session.h"
#include "tools/par/simulate.h"

namespace {

constexpr const char* Usage =
    "usage: dorurura-par [--machine N] [--format text|json|csv]\n"
    "                                                        the PAR sheet of every machine, or of machine "
    "N\n"
    "       dorurura-par --report FILE.pdf|FILE.svg [--machine N] [--seed S]\n"
    "                                                        the report as a printable document\n"
    "       dorurura-par --simulate COUNT [--seed S] [--machine N] [--threads T]\n"
    "                                                        decide COUNT spins and compare with the sheet\n"
    "       dorurura-par --simulate COUNT --bet B [--seed S] [--machine N]\n"
    "                                                        play COUNT sessions of 20 credits at bet B\n"
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
    "  the error output, and on Ctrl+C prints the report of the spins decided so far.\n"
    "  With --bet B (1 to 5) it plays sessions instead, each until broke, and sets their figures\n"
    "  beside the exact ones. --report draws the PDF, or one SVG file a page (FILE-0.svg to\n"
    "  FILE-3.svg beside FILE.svg, the summary, for every machine); S seeds its simulated run.\n";

enum class Format { Text, Json, Csv };

struct Options {
    int machine = -1;  // -1: every machine
    uint64_t simulate = 0;
    bool trace = false;
    uint64_t spins = 0;
    uint32_t seed = 1;
    unsigned threads = 0;  // 0: one per processor
    bool help = false;
    Format format = Format::Text;
    std::string report;  // the report's file, if any
    int bet = 0;         // 0: a spin simulation, not sessions
};

// Reads the command line into options; on a problem, writes one line naming it and returns false.
bool parseOptions(int argc, const char* const* argv, Options& o, std::string& problem) {
    constexpr uint64_t MaxCount = 1000000000000u;
    bool seenSimulate = false, seenSpins = false, seenThreads = false, seenFormat = false;
    for (int i = 1; i < argc; ++i) {
        const std::string flag = argv[i];
        const bool takesValue = flag == "--machine" || flag == "--simulate" || flag == "--seed" ||
                                flag == "--spins" || flag == "--threads" || flag == "--format" ||
                                flag == "--report" || flag == "--bet";
        std::string value;
        if (takesValue) {
            if (i + 1 >= argc) {
                problem = escapedText(flag);
                problem.append(" needs a value");
                return false;
            }
            value = argv[++i];
        }
        const std::string shown = escapedText(value, 200);
        uint64_t n = 0;
        if (flag == "--help" || flag == "-h") {
            o.help = true;
        } else if (flag == "--trace") {
            o.trace = true;
        } else if (flag == "--machine") {
            if (!parseDecimal(value, 1000, n) || n >= MachineCount) {
                problem = "--machine takes a machine from 0 to 3, not '" + shown + "'";
                return false;
            }
            o.machine = static_cast<int>(n);
        } else if (flag == "--simulate" || flag == "--spins") {
            if (!parseDecimal(value, MaxCount, n) || n == 0) {
                problem = flag;
                problem.append(" takes a positive whole number up to 10^12, not '").append(shown).append("'");
                return false;
            }
            (flag == "--simulate" ? o.simulate : o.spins) = n;
            (flag == "--simulate" ? seenSimulate : seenSpins) = true;
        } else if (flag == "--threads") {
            if (!parseDecimal(value, 1000, n) || n == 0 || n > 64) {
                problem = "--threads takes a number of threads from 1 to 64, not '" + shown + "'";
                return false;
            }
            o.threads = static_cast<unsigned>(n);
            seenThreads = true;
        } else if (flag == "--seed") {
            if (!parseDecimal(value, UINT32_MAX, n)) {
                problem = "--seed takes a whole number from 0 to 4294967295, not '" + shown + "'";
                return false;
            }
            o.seed = static_cast<uint32_t>(n);
        } else if (flag == "--format") {
            if (value != "text" && value != "json" && value != "csv") {
                problem = "--format takes text, json or csv, not '" + shown + "'";
                return false;
            }
            o.format = value == "json" ? Format::Json : value == "csv" ? Format::Csv : Format::Text;
            seenFormat = true;
        } else if (flag == "--report") {
            const auto endsWith = [&](const char* tail) {
                const size_t t = std::strlen(tail);
                return value.size() > t && value.compare(value.size() - t, t, tail) == 0;
            };
            if (!endsWith(".pdf") && !endsWith(".svg")) {
                problem = "--report takes a file name ending in .pdf or .svg, not '" + shown + "'";
                return false;
            }
            o.report = value;
        } else if (flag == "--bet") {
            if (!parseDecimal(value, 1000, n) || n == 0 || n > 5) {
                problem = "--bet takes a bet from 1 to 5 coins, not '" + shown + "'";
                return false;
            }
            o.bet = static_cast<int>(n);
        } else {
            problem = "unknown option '";
            problem.append(escapedText(flag, 200)).append("'");
            return false;
        }
    }
    if (!o.report.empty() && (seenSimulate || o.trace || seenFormat)) {
        problem = "--report goes with --machine and --seed only";
        return false;
    }
    if (seenFormat && (seenSimulate || o.trace)) {
        problem = "--format goes with the sheets (not with --simulate or --trace)";
        return false;
    }
    if (o.bet != 0 && !seenSimulate) {
        problem = "--bet goes with --simulate (the sheets give every bet)";
        return false;
    }
    if (o.bet != 0 && seenThreads) {
        problem = "--threads goes with a simulation of spins, not with --bet";
        return false;
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

// A chance as a percentage with three decimals.
std::string percentText(double fraction) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f%%", 100.0 * fraction);
    return text;
}

// The median spins to broke: a number, or "more than 10,000".
std::string medianText(double spins) {
    if (spins == 0) return "more than " + grouped(SessionSpins);
    return grouped(static_cast<uint64_t>(spins));
}

void printConfidence(std::FILE* out, const MachineFigures& f) {
    const ParEntry& top = f.sheet.entries[f.topEntry];
    std::fprintf(out,
                 "\nVolatility index          %.4f: 1.645 standard deviations, the 90%% range of one spin\n",
                 f.volatilityIndex90);
    std::fprintf(out, "Top award                 \"%s\", %s (its cycle)\n", top.pattern,
                 oneIn(f.topChance).c_str());
    std::fprintf(out, "Largest win               %u coins per coin bet\n", f.topMultiplier);
    std::fprintf(out, "\nThe return after N spins lies, with the chance shown, between\n");
    std::fprintf(out, "%14s", "Spins");
    for (const double level : ConfidenceLevels)
        std::fprintf(out, "  %22.0f%%", 100 * level);
    std::fputc('\n', out);
    for (int i = 0; i < SpanCount; ++i) {
        std::fprintf(out, "%14s", grouped(ConfidenceSpins[i]).c_str());
        for (int l = 0; l < LevelCount; ++l) {
            const ConfidenceRange& r = f.confidence[i * LevelCount + l];
            std::fprintf(out, "  %10s to %9s", percentText(r.low).c_str(), percentText(r.high).c_str());
        }
        std::fputc('\n', out);
    }
}

void printSessions(std::FILE* out, const MachineFigures& f) {
    std::fprintf(out,
                 "\nSessions of %d credits: after every spin the same bet again, one coin once the credits\n"
                 "cannot cover it, broke when they cannot cover one coin\n",
                 InitialWallet.credits);
    std::fprintf(out, "       Chance to be broke within N spins        Median spins  Reaches %d before\n",
                 DoubleTarget);
    std::fprintf(out, "  Bet");
    for (const uint32_t n : Horizons)
        std::fprintf(out, " %9s", grouped(n).c_str());
    std::fprintf(out, "  %18s  %17s  Method\n", "to broke", "going broke");
    double bound = 0;
    bool simulated = false;
    for (int b = 0; b < f.bets; ++b) {
        const SessionFigures& s = f.sessions[b];
        std::fprintf(out, "  %3d", s.bet);
        for (const Estimate& e : s.brokeWithin)
            std::fprintf(out, " %9s", percentText(e.value).c_str());
        std::fprintf(out, "  %18s  %17s  %s\n", medianText(s.medianSpins.value).c_str(),
                     percentText(s.doubleBeforeBroke.value).c_str(), s.exact ? "exact" : "simulated");
        if (s.exact) {
            bound = std::max(bound, s.errorBound);
            continue;
        }
        simulated = true;
        std::string interval = "       95% intervals:";
        for (int h = 0; h < HorizonCount; ++h)
            interval +=
                " " + percentText(s.brokeWithin[h].low) + " to " + percentText(s.brokeWithin[h].high) + ",";
        interval += " " + medianText(s.medianSpins.low) + " to " + medianText(s.medianSpins.high) + ", " +
                    percentText(s.doubleBeforeBroke.low) + " to " + percentText(s.doubleBeforeBroke.high);
        std::fprintf(out, "%s\n", interval.c_str());
    }
    if (bound > 0 || !simulated)
        std::fprintf(
            out,
            "Exact: the chance of every amount of money carried from spin to spin (amounts too unlikely\n"
            "to matter left out, %.0e at most in all).\n",
            bound);
    if (simulated)
        std::fprintf(out, "Simulated: %s sessions from seed %u, with 95%% intervals.\n",
                     grouped(f.sessions[0].sessions).c_str(), f.sessions[0].seed);
}

// JSON and CSV numbers: the shortest text that reads back as the same double.
std::string number(double value) {
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

std::string quotedJson(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string quotedCsv(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

void printJson(std::FILE* out, const std::vector<MachineFigures>& all) {
    std::fputs("{\"machines\": [", out);
    for (size_t i = 0; i < all.size(); ++i) {
        const MachineFigures& f = all[i];
        const ParSheet& s = f.sheet;
        const MachineDef& d = machineDefs[s.machine];
        std::string j = i == 0 ? "\n  {" : ",\n  {";
        j += "\"index\": " + std::to_string(s.machine) + ", \"name\": " + quotedJson(machineNames[s.machine]);
        j += ", \"reels\": " + std::to_string(d.reelCount) + ", \"maxBet\": " + std::to_string(d.maxBet);
        j += ",\n   \"winChance\": " + number(static_cast<double>(s.winChances) / DrawRange);
        j += ", \"returnToPlayer\": " + number(f.returnToPlayer);
        j += ", \"hitFrequency\": " + number(f.hitFrequency);
        j += ", \"paysMoreThanStake\": " + number(f.overStake);
        j += ",\n   \"standardDeviation\": " + number(s.standardDeviation);
        j += ", \"volatilityIndex90\": " + number(f.volatilityIndex90);
        j += ", \"topAward\": {\"pattern\": " + quotedJson(s.entries[f.topEntry].pattern) +
             ", \"multiplier\": " + std::to_string(f.topMultiplier) +
             ", \"cycle\": " + number(1.0 / chanceFraction(f.topChance)) + "}";
        j += ", \"largestWinPerCoin\": " + std::to_string(f.topMultiplier);
        j += ",\n   \"confidence\": [";
        for (int c = 0; c < SpanCount * LevelCount; ++c) {
            const ConfidenceRange& r = f.confidence[c];
            j += std::string(c == 0 ? "" : ", ") + "{\"spins\": " + std::to_string(r.spins) +
                 ", \"level\": " + number(r.level) + ", \"low\": " + number(r.low) +
                 ", \"high\": " + number(r.high) + "}";
        }
        j += "],\n   \"entries\": [";
        for (uint32_t k = 0; k < s.entryCount; ++k) {
            const ParEntry& e = s.entries[k];
            j += std::string(k == 0 ? "\n    " : ",\n    ") + "{\"pattern\": " + quotedJson(e.pattern) +
                 ", \"multiplier\": " + std::to_string(e.multiplier) +
                 ", \"weight\": " + std::to_string(e.weight) +
                 ", \"chance\": " + number(chanceFraction(e.chance)) +
                 ", \"return\": " + number(chanceFraction(e.chance * e.multiplier)) + "}";
        }
        j += "],\n   \"sessions\": [";
        for (int b = 0; b < f.bets; ++b) {
            const SessionFigures& ss = f.sessions[b];
            const auto interval = [&](const Estimate& e) {
                return ss.exact ? std::string()
                                : ", \"low\": " + number(e.low) + ", \"high\": " + number(e.high);
            };
            const auto median = [](double m) { return m == 0 ? std::string("null") : number(m); };
            j += std::string(b == 0 ? "\n    " : ",\n    ") + "{\"bet\": " + std::to_string(ss.bet) +
                 ", \"brokeWithin\": [";
            for (int h = 0; h < HorizonCount; ++h)
                j += std::string(h == 0 ? "" : ", ") + "{\"spins\": " + std::to_string(Horizons[h]) +
                     ", \"chance\": " + number(ss.brokeWithin[h].value) + interval(ss.brokeWithin[h]) + "}";
            j += "], \"medianSpinsToBroke\": " + median(ss.medianSpins.value);
            if (!ss.exact)
                j += ", \"medianLow\": " + median(ss.medianSpins.low) +
                     ", \"medianHigh\": " + median(ss.medianSpins.high);
            j += ", \"doubleBeforeBroke\": " + number(ss.doubleBeforeBroke.value);
            if (!ss.exact)
                j += ", \"doubleLow\": " + number(ss.doubleBeforeBroke.low) +
                     ", \"doubleHigh\": " + number(ss.doubleBeforeBroke.high);
            j += std::string(", \"method\": \"") + (ss.exact ? "exact" : "simulated") + "\"";
            j += ss.exact ? ", \"errorBound\": " + number(ss.errorBound)
                          : ", \"sessions\": " + std::to_string(ss.sessions) +
                                ", \"seed\": " + std::to_string(ss.seed);
            j += "}";
        }
        j += "]}";
        std::fputs(j.c_str(), out);
    }
    std::fputs("\n]}\n", out);
}

void printCsv(std::FILE* out, const std::vector<MachineFigures>& all) {
    std::fputs(
        "machine,name,returnToPlayer,hitFrequency,paysMoreThanStake,standardDeviation,volatilityIndex90,"
        "topAwardCycle,largestWinPerCoin\n",
        out);
    for (const MachineFigures& f : all)
        std::fprintf(out, "%d,%s,%s,%s,%s,%s,%s,%s,%u\n", f.sheet.machine,
                     quotedCsv(machineNames[f.sheet.machine]).c_str(), number(f.returnToPlayer).c_str(),
                     number(f.hitFrequency).c_str(), number(f.overStake).c_str(),
                     number(f.sheet.standardDeviation).c_str(), number(f.volatilityIndex90).c_str(),
                     number(1.0 / chanceFraction(f.topChance)).c_str(), f.topMultiplier);
    std::fputs("\nmachine,entry,pattern,multiplier,weight,chance,return\n", out);
    for (const MachineFigures& f : all)
        for (uint32_t k = 0; k < f.sheet.entryCount; ++k) {
            const ParEntry& e = f.sheet.entries[k];
            std::fprintf(out, "%d,%u,%s,%u,%u,%s,%s\n", f.sheet.machine, k, quotedCsv(e.pattern).c_str(),
                         e.multiplier, e.weight, number(chanceFraction(e.chance)).c_str(),
                         number(chanceFraction(e.chance * e.multiplier)).c_str());
        }
    std::fputs("\nmachine,spins,level,low,high\n", out);
    for (const MachineFigures& f : all)
        for (const ConfidenceRange& r : f.confidence)
            std::fprintf(out, "%d,%" PRIu64 ",%s,%s,%s\n", f.sheet.machine, r.spins, number(r.level).c_str(),
                         number(r.low).c_str(), number(r.high).c_str());
    std::fputs("\nmachine,bet,figure,spins,value,low,high,method\n", out);
    for (const MachineFigures& f : all)
        for (int b = 0; b < f.bets; ++b) {
            const SessionFigures& s = f.sessions[b];
            const auto row = [&](const char* figure, const std::string& spins, const Estimate& e,
                                 bool median) {
                const auto value = [&](double v) { return median && v == 0 ? std::string() : number(v); };
                std::fprintf(out, "%d,%d,%s,%s,%s,%s,%s,%s\n", f.sheet.machine, s.bet, figure, spins.c_str(),
                             value(e.value).c_str(), value(e.low).c_str(), value(e.high).c_str(),
                             s.exact ? "exact" : "simulated");
            };
            for (int h = 0; h < HorizonCount; ++h)
                row("brokeWithin", std::to_string(Horizons[h]), s.brokeWithin[h], false);
            row("medianSpinsToBroke", "", s.medianSpins, true);
            row("doubleBeforeBroke", "", s.doubleBeforeBroke, false);
        }
}

void printSheet(std::FILE* out, const MachineFigures& f) {
    const ParSheet& s = f.sheet;
    printHeader(out, s.machine);
    std::fprintf(out, "Win chance      %u in %u (%.2f%%): a draw from 0 to %u of at most %u wins\n\n",
                 s.winChances, DrawRange, s.winChances / 100.0, DrawRange - 1, s.winChances - 1);
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
    printConfidence(out, f);
    printSessions(out, f);
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

// Flushes the output; when it, or a write before, failed, says why and returns false.
bool outputWritten(std::FILE* out, std::FILE* err) {
    const int earlier = errno;  // a write that failed inside an earlier print left its reason here
    errno = 0;
    if (std::fflush(out) == 0 && std::ferror(out) == 0) return true;
    const int e = errno != 0 ? errno : earlier;
    std::fprintf(err, "dorurura-par: cannot write standard output: %s\n",
                 e != 0 ? std::strerror(e) : "write error");
    return false;
}

// Returns false when the output fails (said on err): the trace stops there.
bool trace(std::FILE* out, std::FILE* err, int machine, uint64_t spins, uint32_t seed) {
    const MachineDef& d = machineDefs[machine];
    useMachineRules(static_cast<uint8_t>(machine));
    RandomSource::seed(seed);
    for (uint64_t i = 1; i <= spins; ++i) {
        const uint32_t before = RandomSource::state;
        const uint32_t draw = RandomSource::below(DrawRange);  // the win draw, read ahead and put back
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
        if (std::fputs(line.c_str(), out) == EOF || (i % 4096 == 0 && std::fflush(out) != 0))
            return outputWritten(out, err);
    }
    return true;
}

// The figures of `sessions` simulated sessions beside the exact ones, with whether each lies inside
// the simulation's 95 % interval.
void printSessionSimulation(std::FILE* out, std::FILE* err, int machine, uint64_t sessions, int bet,
                            uint32_t seed) {
    const auto began = std::chrono::steady_clock::now();
    const SessionFigures sim = simulateSessions(machine, bet, sessions, seed);
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    const SessionFigures exact = sessionFigures(computeParSheet(machine), bet);
    printHeader(out, machine);
    std::fprintf(out, "%s sessions of %d credits at bet %d from seed %u, each played until broke\n\n",
                 grouped(sessions).c_str(), InitialWallet.credits, bet, seed);
    std::fprintf(out, "%-32s %11s  %-26s %18s\n", "", "Simulated", "95% interval",
                 exact.exact ? "Exact" : "Simulated again");
    const auto row = [&](const std::string& what, const std::string& value, const std::string& low,
                         const std::string& high, const std::string& truth, bool inside) {
        std::fprintf(out, "%-32s %11s  %-26s %18s  %s\n", what.c_str(), value.c_str(),
                     (low + " to " + high).c_str(), truth.c_str(), inside ? "inside" : "OUTSIDE");
    };
    for (int h = 0; h < HorizonCount; ++h) {
        const Estimate& e = sim.brokeWithin[h];
        const double t = exact.brokeWithin[h].value;
        row("Broke within " + grouped(Horizons[h]) + " spins", percentText(e.value), percentText(e.low),
            percentText(e.high), percentText(t), t >= e.low - 1e-12 && t <= e.high + 1e-12);
    }
    const auto beyond = [](double v) { return v == 0 ? 1e18 : v; };  // "more than 10,000" sorts last
    const double m = exact.medianSpins.value;
    row("Median spins to broke", medianText(sim.medianSpins.value), medianText(sim.medianSpins.low),
        medianText(sim.medianSpins.high), medianText(m),
        beyond(m) >= beyond(sim.medianSpins.low) && beyond(m) <= beyond(sim.medianSpins.high));
    const Estimate& d = sim.doubleBeforeBroke;
    const double t = exact.doubleBeforeBroke.value;
    row("Reaches " + std::to_string(DoubleTarget) + " before going broke", percentText(d.value),
        percentText(d.low), percentText(d.high), percentText(t), t >= d.low - 1e-12 && t <= d.high + 1e-12);
    std::fflush(out);
    std::fprintf(err, "dorurura-par: %s sessions in %.3f s\n", grouped(sessions).c_str(), elapsed);
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
        return outputWritten(out, err) ? 0 : 1;
    }
    if (o.trace)
        return trace(out, err, o.machine < 0 ? 0 : o.machine, o.spins, o.seed) && outputWritten(out, err) ? 0
                                                                                                          : 1;
    const int first = o.machine < 0 ? 0 : o.machine;
    const int last = o.machine < 0 ? MachineCount - 1 : o.machine;
    unsigned threads = o.threads;
    if (threads == 0) threads = std::clamp(std::thread::hardware_concurrency(), 1u, 64u);
    if (o.simulate == 0) {
        const std::vector<MachineFigures> all = machineFigures(first, last, threads);
        if (!o.report.empty()) {
            if (!writeReport(o.report, all, o.machine < 0, o.seed, problem)) {
                std::fprintf(err, "dorurura-par: %s\n", problem.c_str());
                return 1;
            }
            return 0;
        }
        if (o.format == Format::Json) {
            printJson(out, all);
        } else if (o.format == Format::Csv) {
            printCsv(out, all);
        } else {
            for (size_t i = 0; i < all.size(); ++i) {
                if (i != 0) std::fputc('\n', out);
                printSheet(out, all[i]);
                if (!outputWritten(out, err)) return 1;
            }
        }
        return outputWritten(out, err) ? 0 : 1;
    }
    for (int m = first; m <= last; ++m) {
        if (m != first) std::fputc('\n', out);
        if (o.bet != 0) {
            printSessionSimulation(out, err, m, o.simulate, o.bet, o.seed);
        } else {
            const bool complete = simulate(out, err, m, o.simulate, o.seed, threads);
            if (!complete || interrupted.load()) {
                interrupted.store(false);
                return outputWritten(out, err) ? 130 : 1;
            }
        }
        if (!outputWritten(out, err)) return 1;
    }
    return 0;
}
