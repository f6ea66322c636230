#include "shell/script.h"

#include <cctype>
#include <cstring>
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

// JSON read value by value, copied without the spaces between tokens.
struct JsonReader {
    static constexpr int MaxDepth = 8;
    std::string_view text;
    size_t at = 0;
    std::string out;

    static bool anyMember(std::string_view, std::string_view) { return true; }

    bool more() const { return at < text.size(); }
    char next() const { return more() ? text[at] : '\0'; }
    bool take(char c) {
        if (!more() || text[at] != c) return false;
        out += c;
        ++at;
        return true;
    }
    void space() {
        while (next() == ' ' || next() == '\t' || next() == '\r' || next() == '\n')
            ++at;
    }
    bool digits() {
        const size_t from = at;
        while (next() >= '0' && next() <= '9')
            take(next());
        return at > from;
    }
    bool string() {
        if (!take('"')) return false;
        while (more() && next() != '"') {
            const auto c = static_cast<unsigned char>(next());
            if (c < 0x20) return false;
            take(next());
            if (c != '\\') continue;
            if (next() == 'u') {
                take('u');
                for (int k = 0; k < 4; ++k)
                    if (!std::isxdigit(static_cast<unsigned char>(next())) || !take(next())) return false;
            } else if (next() == '\0' || std::strchr("\"\\/bfnrt", next()) == nullptr || !take(next())) {
                return false;
            }
        }
        return take('"');
    }
    bool number() {
        take('-');
        if (!take('0') && !digits()) return false;
        if (take('.') && !digits()) return false;
        if (take('e') || take('E')) {
            if (!take('+')) take('-');
            if (!digits()) return false;
        }
        return true;
    }
    bool word(std::string_view w) {
        if (text.substr(at, w.size()) != w) return false;
        out += w;
        at += w.size();
        return true;
    }
    // The members of an object or the items of an array, after its opening bracket. Each member's
    // key (without its quotes) and value, as written, go to member(), which may stop the reading.
    template <typename Member>
    bool items(char close, bool members, int depth, const Member& member) {
        space();
        if (take(close)) return true;
        do {
            space();
            const size_t key = out.size();
            if (members && !(string() && (space(), take(':')))) return false;
            const size_t keyEnd = out.size() - (members ? 2 : 0);  // before the closing quote and ':'
            space();
            const size_t item = out.size();
            if (!value(depth + 1)) return false;
            if (members && !member(std::string_view(out).substr(key + 1, keyEnd - key - 1),
                                   std::string_view(out).substr(item)))
                return false;
            space();
        } while (take(','));
        return take(close);
    }
    bool value(int depth) {
        if (depth > MaxDepth) return false;
        switch (next()) {
            case '"':
                return string();
            case '{':
                return take('{') && items('}', true, depth, anyMember);
            case '[':
                return take('[') && items(']', false, depth, anyMember);
            case 't':
                return word("true");
            case 'f':
                return word("false");
            case 'n':
                return word("null");
            default:
                return number();
        }
    }
};

}  // namespace

std::string readStateFields(std::string_view text, std::vector<ExpectedField>& fields, size_t& end) {
    JsonReader json{text, 0, {}};
    fields.clear();
    std::string problem;
    const auto member = [&](std::string_view key, std::string_view value) {
        int field = 0;
        while (field < StateFieldCount && key != stateFieldNames[field])
            ++field;
        if (field == StateFieldCount) {
            problem = "unknown field '" + escapedText(key, MaxShown) + "'";
            return false;
        }
        for (const ExpectedField& f : fields) {
            if (f.field != field) continue;
            problem = "field '" + std::string(key) + "' given twice";
            return false;
        }
        fields.push_back({field, std::string(value)});
        return true;
    };
    json.space();
    if (!json.take('{') || !json.items('}', true, 0, member)) {
        if (problem.empty())
            problem = "not a JSON object of state fields at '" + escapedText(text.substr(json.at), 20) + "'";
        return problem;
    }
    end = json.at;
    return "";
}

std::string recordingHeader(std::string_view version) {
    return "# dorurura " + std::string(version) + " recording";
}

const char* gameStateName(int state) {
    for (const StateName& s : stateNames) {
        if (s.state == state) return s.name;
    }
    return nullptr;
}

bool parseScript(const std::string& file, const std::string& text, Script& script, std::string& problem) {
    script = Script{};
    script.file = file;
    if (text.size() > MaxScriptBytes) {
        problem = file + ":0: the script is larger than 64 MB";
        return false;
    }
    // A UTF-8 byte order mark at the very start is not part of the first line.
    constexpr std::string_view bom = "\xEF\xBB\xBF";
    std::istringstream lines(text.starts_with(bom) ? text.substr(bom.size()) : text);
    std::string lineText;
    bool stepIsZero = false;  // wait and until would never end
    for (int line = 1; std::getline(lines, lineText); ++line) {
        if (!lineText.empty() && lineText.back() == '\r') lineText.pop_back();
        std::istringstream words(lineText);
        std::vector<std::string> w;
        // A word that starts with '#' begins a comment, to the end of the line.
        for (std::string word; words >> word && word[0] != '#';)
            w.push_back(word);
        if (line == 1) {
            // A recording's first line names the version that wrote it.
            std::istringstream header(lineText);
            std::string hash, name, version;
            if (header >> hash >> name >> version && lineText == recordingHeader(version))
                script.recordedBy = escapedText(version, MaxShown);
        }
        if (w.empty()) continue;

        const auto fail = [&](const std::string& reason) {
            problem = file + ":" + std::to_string(line) + ": " + reason;
            return false;
        };
        const auto arity = [&](size_t least, size_t most, const char* usage) {
            return w.size() - 1 >= least && w.size() - 1 <= most ? true
                                                                 : fail(std::string("usage: ") + usage);
        };
        const auto position = [&](const std::string& x, const std::string& y, const std::string& what,
                                  int32_t& a, int32_t& b) {
            return readNumber(x, -32768, 32767, a) && readNumber(y, -32768, 32767, b)
                       ? true
                       : fail("bad number in '" + what + " " + escapedText(x, MaxShown) + " " +
                              escapedText(y, MaxShown) + "'");
        };
        ScriptCommand c{ScriptOp::State, line, 0, 0, {}, {}};
        const std::string& op = w[0];
        if (op == "tap") {
            if (!arity(2, 2, "tap X Y") || !position(w[1], w[2], "tap", c.a, c.b)) return false;
            c.op = ScriptOp::Tap;
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
            if (c.op == ScriptOp::Wait && stepIsZero) return fail("wait never ends: the step is 0");
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
            if (stepIsZero) return fail("until may never end: the step is 0");
        } else if (op == "shot") {
            if (!arity(1, 1, "shot FILE.png")) return false;
            c.op = ScriptOp::Shot;
            c.path = w[1];
        } else if (op == "state") {
            if (!arity(0, 0, "state")) return false;
            c.op = ScriptOp::State;
        } else if (op == "pen") {
            constexpr const char* usage = "pen down|move|up X Y";
            if (!arity(3, 3, usage)) return false;
            c.op = ScriptOp::Input;
            const std::string& how = w[1];
            if (how != "down" && how != "move" && how != "up") return fail(std::string("usage: ") + usage);
            c.event.kind = how == "down"   ? HostEventKind::PenDown
                           : how == "move" ? HostEventKind::PenMove
                                           : HostEventKind::PenUp;
            if (!position(w[2], w[3], "pen " + how, c.a, c.b)) return false;
            c.event.x = static_cast<int16_t>(c.a);
            c.event.y = static_cast<int16_t>(c.b);
        } else if (op == "host") {
            constexpr const char* usage = "host quit|restore|command ID";
            c.op = ScriptOp::Input;
            if (w.size() == 2 && (w[1] == "quit" || w[1] == "restore")) {
                c.event.kind = w[1] == "quit" ? HostEventKind::Quit : HostEventKind::Restore;
            } else if (w.size() == 3 && w[1] == "command") {
                c.event.kind = HostEventKind::Command;
                if (!readNumber(w[2], 0, 65535, c.a))
                    return fail("bad command id '" + escapedText(w[2], MaxShown) + "' (0 to 65535)");
                c.event.command = static_cast<uint16_t>(c.a);
            } else {
                return fail(std::string("usage: ") + usage);
            }
        } else if (op == "step" || op == "steps") {
            if (op == "step" ? !arity(1, 1, "step MS") : !arity(1, w.size(), "steps MS...")) return false;
            c.op = op == "step" ? ScriptOp::Step : ScriptOp::Steps;
            c.a = static_cast<int32_t>(script.steps.size());
            c.b = static_cast<int32_t>(w.size() - 1);
            for (size_t k = 1; k < w.size(); ++k) {
                uint64_t ms = 0;
                if (!parseDecimal(w[k], UINT32_MAX, ms))
                    return fail("bad step '" + escapedText(w[k], MaxShown) + "' (0 to 4294967295)");
                script.steps.push_back(static_cast<uint32_t>(ms));
            }
            stepIsZero = script.steps.back() == 0;
        } else if (op == "expect") {
            c.op = ScriptOp::Expect;
            const std::string_view rest = std::string_view(lineText).substr(lineText.find("expect") + 6);
            std::vector<ExpectedField> fields;
            size_t end = 0;
            const std::string wrong = readStateFields(rest, fields, end);
            if (!wrong.empty()) return fail("expect: " + wrong);
            const size_t after = rest.find_first_not_of(" \t\v\f", end);
            if (after != std::string_view::npos && rest[after] != '#')
                return fail("expect: more after the object: '" + escapedText(rest.substr(after), MaxShown) +
                            "'");
            c.a = static_cast<int32_t>(script.expected.size());
            c.b = static_cast<int32_t>(fields.size());
            script.expected.insert(script.expected.end(), fields.begin(), fields.end());
        } else if (op == "start-tick") {
            if (!arity(1, 1, "start-tick T")) return false;
            uint64_t tick = 0;
            if (!parseDecimal(w[1], UINT32_MAX, tick))
                return fail("bad start tick '" + escapedText(w[1], MaxShown) + "' (0 to 4294967295)");
            if (script.startTick || !script.commands.empty())
                return fail("start-tick comes once, before every command");
            script.startTick = static_cast<uint32_t>(tick);
            continue;
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
    // Read in chunks, and stop past the limit (which parseScript refuses), so a pipe cannot fill
    // the memory either.
    std::string text;
    std::vector<char> chunk(size_t{1} << 16);
    while (in && text.size() <= MaxScriptBytes) {
        in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        text.append(chunk.data(), static_cast<size_t>(in.gcount()));
    }
    if (in.bad()) return refuse("cannot read the script");
    return parseScript(file, text, script, problem);
}
