// dorurura-soak: random sessions through the headless runner, each checked at every state line:
// money moves only by the rules. Meant for the sanitizer build, where a memory or arithmetic fault
// ends the run too.
//
//   dorurura-soak [--seconds N] [--seed N] [--dir DIR]
//
// Every session's script is written to DIR/soak-session.txt before it runs, so that a crash leaves
// it behind; a session that breaks a rule is kept as DIR/soak-fault-K.txt, with the command that
// replays it. Exit status: 0 no fault, 1 faults, 2 bad arguments.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>

#include "flow/game.h"
#include "platform/host.h"
#include "platform/text.h"
#include "res/resource.h"
#include "rules/machines.h"
#include "rules/outcome.h"
#include "rules/wallet.h"
#include "shell/runner.h"
#include "shell/script.h"

extern Wallet wallet;

namespace {

int pick(std::mt19937_64& random, int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
}

// A random session: taps on the machines' controls and anywhere (off the screen too), keys, raw pen
// presses, drags and lifts, menu commands real and unknown (machine switches mid-spin, loans, the
// About box), waits, passes listed one by one, and a state line after every command. Clocks start
// anywhere, near the 32-bit wrap often, and passes last from 0 ms to a minute, changing within a
// session. The script says its own start tick and first step, so it replays as it is.
std::string randomSession(std::mt19937_64& random) {
    const uint32_t startTick = pick(random, 0, 3) == 0 ? 0u - static_cast<uint32_t>(pick(random, 0, 200000))
                                                       : static_cast<uint32_t>(random());
    int msPerPass = 16;
    switch (pick(random, 0, 7)) {
        case 0: case 1: case 2: case 3: break;
        case 4: case 5: msPerPass = pick(random, 1, 100); break;
        case 6: msPerPass = pick(random, 100, 5000); break;
        default: msPerPass = pick(random, 5000, 60000); break;
    }
    std::string text =
        "start-tick " + std::to_string(startTick) + "\nstep " + std::to_string(msPerPass) + "\n";
    static constexpr int commands[] = {IDM_CLOSE,   IDM_ABOUT,   IDM_OPTIONS, IDM_EXIT,   IDM_SOUND_OFF,
                                       IDM_SOUND_ON, IDM_RORAVI, IDM_DUDAVID, IDM_DODORE, IDM_RERIV,
                                       IDM_LEND,    IDM_LEND,    IDM_LEND};
    const int count = pick(random, 20, 300);
    for (int i = 0; i < count; ++i) {
        const int kind = pick(random, 0, 99);
        if (kind < 45) {  // a control of one machine or another, a little off its centre at times
            const MachineDef& d = machineDefs[pick(random, 0, MachineCount - 1)];
            const Rect16& r = d.controlRects[pick(random, 0, MaxControls - 1)];
            text += "tap " + std::to_string(r.x + r.w / 2 + pick(random, -8, 8)) + " " +
                      std::to_string(NavBarHeight + r.y + r.h / 2 + pick(random, -8, 8)) + "\n";
        } else if (kind < 54) {
            text += "tap " + std::to_string(pick(random, -60, 300)) + " " + std::to_string(pick(random, -60, 380)) + "\n";
        } else if (kind < 60) {  // a key; Ctrl+Q, which ends the session, now and then
            const KeyName& key = keyNames()[static_cast<size_t>(pick(random, 0, static_cast<int>(keyNames().size()) - 1))];
            if (key.control && key.key == 'Q' && pick(random, 0, 20) != 0) continue;
            text += std::string("key ") + key.name + "\n";
        } else if (kind < 72) {
            const int id = pick(random, 0, 9) == 0 ? pick(random, 0, 65535)
                                                   : commands[pick(random, 0, std::size(commands) - 1)];
            if (id == IDM_EXIT || id == IDM_CLOSE) {
                if (pick(random, 0, 20) != 0) continue;  // the end of the session, now and then
            }
            text += "menu " + std::to_string(id) + "\n";
        } else if (kind < 76) {  // one press of the pen anywhere, dragged, lifted anywhere (or not)
            const auto at = [&] {
                return std::to_string(pick(random, -60, 300)) + " " + std::to_string(pick(random, -60, 380)) + "\n";
            };
            text += "pen down " + at();
            const int moves = pick(random, 0, 3);
            for (int k = moves; k > 0; --k)
                text += "pen move " + at();
            if (pick(random, 0, 5) != 0) text += "pen up " + at();
            // Passes enough for every event to be taken, and for what it chose from the Options menu
            // to be carried out, so that a loan never lands in the next command's stretch.
            text += "passes " + std::to_string(moves + 6 + pick(random, 0, 4)) + "\n";
        } else if (kind < 79) {  // passes of another length from here on
            text += "step " + std::to_string(pick(random, 0, 1) ? pick(random, 1, 100) : pick(random, 1, 60000)) + "\n";
        } else if (kind < 90) {
            text += "wait " + std::to_string(pick(random, 0, 4000)) + "\n";
        } else if (kind < 95) {
            text += "passes " + std::to_string(pick(random, 1, 200)) + "\n";
        } else {  // passes of listed lengths, as a recording lists them; the last is the step from then on
            text += "steps";
            for (int k = pick(random, 1, 40); k > 0; --k) {
                const int ms = k == 1 ? pick(random, 1, 100) : pick(random, 0, 1) ? pick(random, 0, 100) : pick(random, 0, 60000);
                text += " " + std::to_string(ms);
            }
            text += "\n";
        }
        text += "state\n";
    }
    return text;
}

// What the rules allow between two state lines, from one command.
struct Checker {
    int64_t lastMoney = 0;  // credits and held bet
    int lastBet = 0;
    bool lastSpinning = false;
    int lines = 0;
    uint64_t passes = 0;
    std::string fault;

    // Whether a win of w on the machine could be some bet times one of its multipliers.
    static bool possibleWin(int64_t w, int64_t stake, const MachineDef& d) {
        if (w == 0) return true;
        for (const PayEntry* e = d.payTable; e->pattern; ++e) {
            if (w == stake * readMultiplier(e->pattern)) return true;
        }
        return false;
    }

    void check(const std::string& line) {
        const MachineDef& d = currentMachineDef();
        const int64_t money = int64_t{wallet.credits} + heldStake(wallet);
        const size_t at = line.find("\"pass\":");
        if (at != std::string::npos) passes = std::strtoull(line.c_str() + at + 7, nullptr, 10);
        if (wallet.credits < 0 || wallet.bet < 0 || wallet.bet > d.maxBet || money > MoneyLimit ||
            wallet.lastWin < 0) {
            fault = "money out of bounds";
        } else if (lines++ > 0) {
            // A loan adds 20; a settlement moves the money by the win less the stake, and the win
            // is the stake times one of the machine's multipliers, or what still fitted.
            // The stake of a spin that settled since: the bet held while it ran, or, when none ran,
            // the bet of a spin started since (one coin when none was held, or the largest bet).
            const int64_t moved = money - lastMoney;
            bool allowed = moved == 0 || moved == LoanAmount;
            const int64_t stakes[] = {lastSpinning || lastBet > 0 ? lastBet : 1, lastSpinning ? lastBet : d.maxBet};
            for (int64_t stake : stakes) {
                const bool fits = possibleWin(wallet.lastWin, stake, d) || money == MoneyLimit;
                allowed = allowed || (fits && (moved == wallet.lastWin - stake ||
                                               moved == LoanAmount + wallet.lastWin - stake));
            }
            if (!allowed) fault = "money moved by " + std::to_string(moved) + " (win " + std::to_string(wallet.lastWin) + ")";
        }
        if (!fault.empty()) fault = "state line " + std::to_string(lines) + ": " + fault + ": " + line;
        lastMoney = money;
        lastBet = wallet.bet;
        lastSpinning = gameState == Spinning || gameState == Stopping;
    }
};

}  // namespace

int main(int argc, char** argv) {
    uint64_t seconds = 60, seed = std::random_device{}();
    std::string dir = ".";
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const bool number = option == "--seconds" || option == "--seed";
        if (i + 1 >= argc || (!number && option != "--dir")) {
            std::fprintf(stderr, "usage: dorurura-soak [--seconds N] [--seed N] [--dir DIR]\n");
            return 2;
        }
        const std::string value = argv[++i];
        if (option == "--dir") {
            dir = value;
        } else if (!parseDecimal(value, option == "--seconds" ? 31536000 : UINT64_MAX, option == "--seconds" ? seconds : seed)) {
            std::fprintf(stderr, "dorurura-soak: bad number '%s'\n", escapedText(value, 40).c_str());
            return 2;
        }
    }
    std::mt19937_64 random(seed);
    const auto begun = std::chrono::steady_clock::now();
    const auto end = begun + std::chrono::seconds(seconds);
    uint64_t sessions = 0, passes = 0, lines = 0, faults = 0;
    std::FILE* quiet = std::fopen("/dev/null", "w");
    if (!quiet) {
        std::perror("dorurura-soak: /dev/null");
        return 1;
    }
    const std::string current = dir + "/soak-session.txt";
    do {
        const std::string text = randomSession(random);
        std::ofstream(current, std::ios::trunc) << text;
        Script script;
        std::string problem;
        if (!parseScript(current, text, script, problem)) {
            std::fprintf(stderr, "dorurura-soak: %s\n", problem.c_str());
            return 1;
        }
        Checker checker;
        runScript(script, RunSettings{}, quiet, quiet, [&checker](const std::string& line) {
            if (checker.fault.empty()) checker.check(line);
        });
        ++sessions;
        passes += checker.passes;
        lines += static_cast<uint64_t>(checker.lines);
        if (!checker.fault.empty()) {
            const std::string kept = dir + "/soak-fault-" + std::to_string(++faults) + ".txt";
            std::rename(current.c_str(), kept.c_str());
            std::fprintf(stderr, "dorurura-soak: %s\n  replay: dorurura --headless --script %s\n",
                         checker.fault.c_str(), kept.c_str());
        }
    } while (std::chrono::steady_clock::now() < end);
    std::remove(current.c_str());
    std::fclose(quiet);
    const double taken = std::chrono::duration<double>(std::chrono::steady_clock::now() - begun).count();
    std::printf("soak: seed %llu, %llu sessions, %llu passes, %llu state lines checked, %llu faults in %.0f s\n",
                static_cast<unsigned long long>(seed), static_cast<unsigned long long>(sessions),
                static_cast<unsigned long long>(passes), static_cast<unsigned long long>(lines),
                static_cast<unsigned long long>(faults), taken);
    return faults == 0 ? 0 : 1;
}
