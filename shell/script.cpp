#include "shell/script.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "flow/game.h"

namespace {

struct StateName {
    GameState state;
    const char* name;
};

constexpr StateName stateNames[] = {{Idle, "Idle"},         {Redraw, "Redraw"}, {Spinning, "Spinning"},
                                    {Stopping, "Stopping"}, {Broke, "Broke"},   {Splash, "Splash"},
                                    {PayTable, "PayTable"}};

// A whole decimal number within [min, max], with an optional leading minus sign.
bool readNumber(const std::string& word, int64_t min, int64_t max, int32_t& value) {
    if (word.empty() || word.size() > 12) return false;
    size_t i = word[0] == '-' ? 1 : 0;
    if (i == word.size()) return false;
    int64_t n = 0;
    for (; i < word.size(); ++i) {
        if (word[i] < '0' || word[i] > '9') return false;
        n = n * 10 + (word[i] - '0');
    }
    if (word[0] == '-') n = -n;
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
    std::istringstream lines(text);
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
                return fail("bad number in '" + lineText + "'");
            }
        } else if (op == "menu") {
            if (!arity(1, 1, "menu ID")) return false;
            c.op = ScriptOp::Menu;
            if (!readNumber(w[1], 0, 65535, c.a)) return fail("bad command id '" + w[1] + "' (0 to 65535)");
        } else if (op == "passes" || op == "wait") {
            if (!arity(1, 1, op == "passes" ? "passes N" : "wait MS")) return false;
            c.op = op == "passes" ? ScriptOp::Passes : ScriptOp::Wait;
            if (!readNumber(w[1], 0, 100000000, c.a))
                return fail("bad number '" + w[1] + "' (0 to 100000000)");
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
                return fail("unknown state '" + w[1] +
                            "' (Idle, Redraw, Spinning, Stopping, Broke, Splash, PayTable)");
            }
            c.b = 60000;
            if (w.size() == 3 && !readNumber(w[2], 0, 100000000, c.b)) {
                return fail("bad number '" + w[2] + "' (0 to 100000000)");
            }
        } else if (op == "shot") {
            if (!arity(1, 1, "shot FILE.png")) return false;
            c.op = ScriptOp::Shot;
            c.path = w[1];
        } else if (op == "state") {
            if (!arity(0, 0, "state")) return false;
            c.op = ScriptOp::State;
        } else {
            return fail("unknown command '" + op + "'");
        }
        script.commands.push_back(c);
    }
    return true;
}

bool loadScript(const std::string& file, Script& script, std::string& problem) {
    std::error_code error;
    std::ifstream in(file, std::ios::binary);
    if (!in || std::filesystem::is_directory(file, error)) {
        problem = file + ":0: cannot read the script";
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        problem = file + ":0: cannot read the script";
        return false;
    }
    return parseScript(file, text.str(), script, problem);
}
