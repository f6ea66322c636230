#include "shell/script.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "flow/game.h"
#include "platform/text.h"

namespace {

// The bytes of a word that an error message shows.
constexpr size_t MaxShown = 40;

struct StateName {
    GameState state;
    const char* name;
};

constexpr StateName stateNames[] = {{Idle, "Idle"},         {Redraw, "Redraw"}, {Spinning, "Spinning"},
                                    {Stopping, "Stopping"}, {Broke, "Broke"},   {Splash, "Splash"},
                                    {PayTable, "PayTable"}};

// A whole decimal number within [min, max], with an optional leading minus sign; read by value, so
// leading zeros are allowed.
bool readNumber(const std::string& word, int64_t min, int64_t max, int32_t& value) {
    const bool negative = !word.empty() && word[0] == '-';
    if (negative && min > 0) return false;
    const uint64_t most = negative ? static_cast<uint64_t>(-min) : static_cast<uint64_t>(max);
    uint64_t magnitude = 0;
    if (max < 0 || !parseDecimal(std::string_view(word).substr(negative ? 1 : 0), most, magnitude))
        return false;
    const int64_t n = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
    if (n < min || n > max) return false;
    value = static_cast<int32_t>(n);
    return true;
}

}  // namespace

const char* gameStateName(int state) {
    for (const StateName& s : stateNames) {
        if (s.state == state) return s.name;
    }
    return nullptr;
}

bool parseScript(const std::string& file, const std::string& text, Script& script, std::string& problem) {
    script.file = file;
    script.commands.clear();
    // A UTF-8 byte order mark at the very start is not part of the first line.
    constexpr std::string_view bom = "\xEF\xBB\xBF";
    std::istringstream lines(text.starts_with(bom) ? text.substr(bom.size()) : text);
    std::string lineText;
    for (int line = 1; std::getline(lines, lineText); ++line) {
        if (!lineText.empty() && lineText.back() == '\r') lineText.pop_back();
        std::istringstream words(lineText);
        std::vector<std::string> w;
        // A word that starts with '#' begins a comment, to the end of the line.
        for (std::string word; words >> word && word[0] != '#';)
            w.push_back(word);
        if (w.empty()) continue;

        const auto fail = [&](const std::string& reason) {
            problem = file + ":" + std::to_string(line) + ": " + reason;
            return false;
        };
        const auto arity = [&](size_t least, size_t most, const char* usage) {
            return w.size() - 1 >= least && w.size() - 1 <= most ? true
                                                                 : fail(std::string("usage: ") + usage);
        };
        ScriptCommand c{ScriptOp::State, line, 0, 0, {}};
        const std::string& op = w[0];
        if (op == "tap") {
            if (!arity(2, 2, "tap X Y")) return false;
            c.op = ScriptOp::Tap;
            if (!readNumber(w[1], -32768, 32767, c.a) || !readNumber(w[2], -32768, 32767, c.b)) {
                return fail("bad number in 'tap " + escapedText(w[1], MaxShown) + " " +
                            escapedText(w[2], MaxShown) + "'");
            }
        } else if (op == "menu") {
            if (!arity(1, 1, "menu ID")) return false;
            c.op = ScriptOp::Menu;
            if (!readNumber(w[1], 0, 65535, c.a))
                return fail("bad command id '" + escapedText(w[1], MaxShown) + "' (0 to 65535)");
        } else if (op == "passes" || op == "wait") {
            if (!arity(1, 1, op == "passes" ? "passes N" : "wait MS")) return false;
            c.op = op == "passes" ? ScriptOp::Passes : ScriptOp::Wait;
            if (!readNumber(w[1], 0, 100000000, c.a))
                return fail("bad number '" + escapedText(w[1], MaxShown) + "' (0 to 100000000)");
        } else if (op == "until") {
            if (!arity(1, 2, "until STATE [MS]")) return false;
            c.op = ScriptOp::Until;
            bool known = false;
            for (const StateName& s : stateNames) {
                if (w[1] == s.name) {
                    c.a = s.state;
                    known = true;
                }
            }
            if (!known) {
                return fail("unknown state '" + escapedText(w[1], MaxShown) +
                            "' (Idle, Redraw, Spinning, Stopping, Broke, Splash, PayTable)");
            }
            c.b = 60000;
            if (w.size() == 3 && !readNumber(w[2], 0, 100000000, c.b)) {
                return fail("bad number '" + escapedText(w[2], MaxShown) + "' (0 to 100000000)");
            }
        } else if (op == "shot") {
            if (!arity(1, 1, "shot FILE.png")) return false;
            c.op = ScriptOp::Shot;
            c.path = w[1];
        } else if (op == "state") {
            if (!arity(0, 0, "state")) return false;
            c.op = ScriptOp::State;
        } else {
            return fail("unknown command '" + escapedText(op, MaxShown) + "'");
        }
        script.commands.push_back(c);
    }
    return true;
}

bool loadScript(const std::string& file, Script& script, std::string& problem) {
    const auto refuse = [&](const char* reason) {
        problem = file + ":0: " + reason;
        return false;
    };
    // Only a regular file or a pipe: a folder cannot be read, and a device may never end.
    std::error_code error;
    const std::filesystem::file_type type = std::filesystem::status(file, error).type();
    if (type != std::filesystem::file_type::regular && type != std::filesystem::file_type::fifo) {
        const bool missing = error || type == std::filesystem::file_type::not_found;
        return refuse(missing ? "cannot read the script" : "cannot read the script: not a file or a pipe");
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) return refuse("cannot read the script");
    // Read in chunks, and stop one byte past the limit, so a pipe cannot fill the memory either.
    std::string text;
    std::vector<char> chunk(size_t{1} << 16);
    while (in) {
        in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        text.append(chunk.data(), static_cast<size_t>(in.gcount()));
        if (text.size() > MaxScriptBytes) return refuse("the script is larger than 64 MB");
    }
    if (in.bad()) return refuse("cannot read the script");
    return parseScript(file, text, script, problem);
}
