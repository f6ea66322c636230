#include "shell/cli.h"
#include "platform/text.h"

#include <cstring>

const char* const programVersion = "dorurura " DORURURA_VERSION;

const char* const programUsage =
    "usage: dorurura [--scale N] [--fullscreen] [--pass-rate N] [--mute] [--record FILE]\n"
    "       dorurura --headless --script FILE [--start-tick T] [--ms-per-pass N]\n"
    "       dorurura --replay FILE [--scale N] [--fullscreen] [--start-tick T] [--ms-per-pass N]\n"
    "       dorurura --help | --version\n"
    "\n"
    "  --scale N        draw each screen pixel as N x N (1 to 8; default: the largest that fits, at most 3)\n"
    "  --fullscreen     start in fullscreen (Alt+Enter or F11 toggles it)\n"
    "  --pass-rate N    main loop passes per second (10 to 1000, default 60)\n"
    "  --mute           start with the sound off (as Options, Sound Off)\n"
    "  --record FILE    write the session into FILE, a script that replays it exactly\n"
    "  --headless       play a script without a window (see README)\n"
    "  --script FILE    the script of a headless run\n"
    "  --replay FILE    play a script or a recording in the window at its pace, for watching\n"
    "  --start-tick T   a script's clock in milliseconds before the first pass (default: the\n"
    "                   script's start-tick, else 0)\n"
    "  --ms-per-pass N  milliseconds each pass moves a script's clock on until it says\n"
    "                   (1 to 60000, default 16)\n";

namespace {

// The bytes of a word from the command line that a message shows.
constexpr size_t MaxShown = 40;

struct NumberOption {
    const char* flag;
    uint64_t min;
    uint64_t max;
};

}  // namespace

bool parseProgramOptions(int argc, const char* const* argv, ProgramOptions& o, std::string& problem) {
    bool msPerPassGiven = false, passRateGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string flag = argv[i];
        if (flag == "--help" || flag == "-h") {
            o.help = true;
        } else if (flag == "--version") {
            o.version = true;
        } else if (flag == "--fullscreen") {
            o.fullscreen = true;
        } else if (flag == "--mute") {
            o.mute = true;
        } else if (flag == "--headless") {
            o.headless = true;
        } else if (flag == "--script" || flag == "--record" || flag == "--replay") {
            if (i + 1 >= argc || argv[i + 1][0] == '\0') {
                problem = flag + " needs a file";
                return false;
            }
            std::string& file = flag == "--script" ? o.script : flag == "--record" ? o.record : o.replay;
            file = argv[++i];
        } else if (flag == "--scale" || flag == "--pass-rate" || flag == "--start-tick" ||
                   flag == "--ms-per-pass") {
            static const NumberOption limits[] = {{"--scale", 1, 8},
                                                  {"--pass-rate", 10, 1000},
                                                  {"--start-tick", 0, UINT32_MAX},
                                                  {"--ms-per-pass", 1, 60000}};
            const NumberOption* limit = limits;
            while (flag != limit->flag)
                ++limit;
            if (i + 1 >= argc) {
                problem = flag + " needs a value";
                return false;
            }
            uint64_t n = 0;
            const char* value = argv[++i];
            if (!parseDecimal(value, limit->max, n) || n < limit->min) {
                problem = flag + " takes a whole number from " + std::to_string(limit->min) + " to " +
                          std::to_string(limit->max) + ", not '" + escapedText(value, MaxShown) + "'";
                return false;
            }
            if (flag == "--scale") o.scale = static_cast<int>(n);
            if (flag == "--pass-rate") {
                o.passRate = static_cast<int>(n);
                passRateGiven = true;
            }
            if (flag == "--start-tick") o.startTick = static_cast<uint32_t>(n);
            if (flag == "--ms-per-pass") {
                o.msPerPass = static_cast<uint32_t>(n);
                msPerPassGiven = true;
            }
        } else {
            problem = "unknown option '" + escapedText(flag, MaxShown) + "'";
            return false;
        }
    }
    if (o.help || o.version) return true;
    const bool replay = !o.replay.empty();
    const auto refuse = [&](const char* why) {
        problem = why;
        return false;
    };
    if (o.headless && o.script.empty()) return refuse("--headless needs --script FILE");
    if (o.headless &&
        (o.scale != 0 || o.fullscreen || passRateGiven || o.mute || !o.record.empty() || replay))
        return refuse(
            "--scale, --fullscreen, --pass-rate, --mute, --record and --replay go without --headless");
    if (!o.headless && !o.script.empty()) return refuse("--script goes with --headless");
    if (replay && (passRateGiven || o.mute || !o.record.empty()))
        return refuse("--pass-rate, --mute and --record go without --replay: it plays at the script's pace");
    if (!o.headless && !replay && (o.startTick || msPerPassGiven))
        return refuse("--start-tick and --ms-per-pass go with --headless or --replay");
    return true;
}
