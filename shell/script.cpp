#include "shell/script.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "flow/game.h"
#include "platform/text.h"
#include "platform/windows.h"

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

constexpr KeyName namedKeys[] = {
    {"space", VK_SPACE, false}, {"enter", VK_RETURN, false}, {"escape", VK_ESCAPE, false},
    {"up", VK_UP, false},       {"down", VK_DOWN, false},    {"right", VK_RIGHT, false},
    {"f10", VK_F10, false},     {"menu", VK_APPS, false},    {"b", 'B', false},
    {"m", 'M', false},          {"p", 'P', false},           {"ctrl+a", 'A', true},
    {"ctrl+q", 'Q', true},
};

// The bytes of a file name that a message shows.
constexpr size_t MaxShownPath = 4096;

// The most words after its name that a command takes (pen down X Y).
constexpr size_t MaxWords = 3;

// A command's line number has 26 bits: a line with a command holds at least five bytes, so even
// the largest script's last command has a smaller number.
static_assert(MaxScriptBytes <= size_t{1} << 26);

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The words of a line one by one, split at white space; a word that starts with '#' begins a
// comment, to the end of the line.
struct Words {
    std::string_view rest;
    bool next(std::string_view& word) {
        size_t at = 0;
        while (at < rest.size() && isSpace(rest[at]))
            ++at;
        size_t end = at;
        while (end < rest.size() && !isSpace(rest[end]))
            ++end;
        word = rest.substr(at, end - at);
        rest.remove_prefix(end);
        if (word.empty() || word[0] != '#') return !word.empty();
        rest = {};
        return false;
    }
};

// Appends a number to the script's data (see Script::data).
void putNumber(std::string& data, uint64_t n) {
    for (; n >= 0x80; n >>= 7)
        data += static_cast<char>((n & 0x7F) | 0x80);
    data += static_cast<char>(n);
}

void putText(std::string& data, std::string_view text) {
    putNumber(data, text.size());
    data += text;
}

// A whole decimal number within [min, max], with an optional leading minus sign; read by value, so
// leading zeros are allowed.
bool readNumber(std::string_view word, int64_t min, int64_t max, int32_t& value) {
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

std::span<const KeyName> keyNames() {
    return namedKeys;
}

const KeyName* keyNamed(std::string_view name) {
    for (const KeyName& k : namedKeys)
        if (name == k.name) return &k;
    return nullptr;
}

const KeyName* keyNameOf(uint16_t key, bool control) {
    for (const KeyName& k : namedKeys)
        if (k.key == key && k.control == control) return &k;
    return nullptr;
}

const char* gameStateName(int state) {
    for (const StateName& s : stateNames) {
        if (s.state == state) return s.name;
    }
    return nullptr;
}

uint32_t readDataNumber(const Script& script, size_t& at) {
    uint32_t n = 0;
    for (int shift = 0; at < script.data.size(); shift += 7) {
        const auto byte = static_cast<uint8_t>(script.data[at++]);
        n |= static_cast<uint32_t>(byte & 0x7F) << shift;
        if (byte < 0x80) break;
    }
    return n;
}

std::string_view readDataText(const Script& script, size_t& at) {
    const size_t length = readDataNumber(script, at);
    const std::string_view text = std::string_view(script.data).substr(at, length);
    at += text.size();
    return text;
}

bool parseScript(std::string_view file, std::string_view text, Script& script, std::string& problem) {
    script = Script{};
    script.file = escapedText(file, MaxShownPath);
    if (text.size() > MaxScriptBytes) {
        problem = script.file + ":0: the script is larger than 64 MB";
        return false;
    }
    // A UTF-8 byte order mark at the very start is not part of the first line.
    constexpr std::string_view bom = "\xEF\xBB\xBF";
    if (text.starts_with(bom)) text.remove_prefix(bom.size());
    bool stepIsZero = false;            // wait and until would never end
    std::vector<ExpectedField> fields;  // an expect's, the same for every one
    int line = 0;
    for (size_t from = 0; from < text.size(); ++line) {
        const size_t end = std::min(text.find('\n', from), text.size());
        std::string_view lineText = text.substr(from, end - from);
        from = end + 1;
        if (!lineText.empty() && lineText.back() == '\r') lineText.remove_suffix(1);
        if (line == 0) {
            // A recording's first line names the version that wrote it, one word.
            constexpr std::string_view head = "# dorurura ", tail = " recording";
            if (lineText.size() > head.size() + tail.size() && lineText.starts_with(head) &&
                lineText.ends_with(tail)) {
                const std::string_view version =
                    lineText.substr(head.size(), lineText.size() - head.size() - tail.size());
                if (std::none_of(version.begin(), version.end(), isSpace))
                    script.recordedBy = escapedText(version, MaxShown);
            }
        }
        Words words{lineText};
        std::string_view op;
        if (!words.next(op)) continue;
        // The words after the command's name, as many as any command takes and one more: a line
        // with more is refused before the rest is read. A steps line reads its own.
        std::string_view w[MaxWords + 1];
        size_t count = 0;
        if (op != "steps") {
            while (count < std::size(w) && words.next(w[count]))
                ++count;
        }

        const auto fail = [&](const std::string& reason) {
            problem = script.file + ":" + std::to_string(line + 1) + ": " + reason;
            return false;
        };
        const auto arity = [&](size_t least, size_t most, const char* usage) {
            return count >= least && count <= most ? true : fail(std::string("usage: ") + usage);
        };
        ScriptCommand c{0, static_cast<uint32_t>(line + 1) & ((1u << 26) - 1), 0};
        const auto position = [&](std::string_view x, std::string_view y, std::string_view what) {
            int32_t a = 0, b = 0;
            if (!readNumber(x, -32768, 32767, a) || !readNumber(y, -32768, 32767, b))
                return fail("bad number in '" + std::string(what) + " " + escapedText(x, MaxShown) + " " +
                            escapedText(y, MaxShown) + "'");
            c.value = static_cast<uint16_t>(a) | static_cast<uint32_t>(static_cast<uint16_t>(b)) << 16;
            return true;
        };
        const auto setOp = [&c](ScriptOp is) { c.opBits = static_cast<uint32_t>(is) & 0x3F; };
        int32_t n = 0;
        if (op == "tap") {
            if (!arity(2, 2, "tap X Y") || !position(w[0], w[1], "tap")) return false;
            setOp(ScriptOp::Tap);
        } else if (op == "menu") {
            if (!arity(1, 1, "menu ID")) return false;
            setOp(ScriptOp::Menu);
            if (!readNumber(w[0], 0, 65535, n))
                return fail("bad command id '" + escapedText(w[0], MaxShown) + "' (0 to 65535)");
            c.value = static_cast<uint32_t>(n);
        } else if (op == "passes" || op == "wait") {
            if (!arity(1, 1, op == "passes" ? "passes N" : "wait MS")) return false;
            setOp(op == "passes" ? ScriptOp::Passes : ScriptOp::Wait);
            if (!readNumber(w[0], 0, 100000000, n))
                return fail("bad number '" + escapedText(w[0], MaxShown) + "' (0 to 100000000)");
            c.value = static_cast<uint32_t>(n);
            if (op == "wait" && stepIsZero) return fail("wait never ends: the step is 0");
        } else if (op == "until") {
            if (!arity(1, 2, "until STATE [MS]")) return false;
            setOp(ScriptOp::Until);
            const StateName* state = std::find_if(std::begin(stateNames), std::end(stateNames),
                                                  [&](const StateName& s) { return w[0] == s.name; });
            if (state == std::end(stateNames)) {
                return fail("unknown state '" + escapedText(w[0], MaxShown) +
                            "' (Idle, Redraw, Spinning, Stopping, Broke, Splash, PayTable)");
            }
            n = 60000;
            if (count == 2 && !readNumber(w[1], 0, 100000000, n)) {
                return fail("bad number '" + escapedText(w[1], MaxShown) + "' (0 to 100000000)");
            }
            c.value = static_cast<uint32_t>(n) | uint32_t{state->state} << ScriptCommand::UntilStateShift;
            if (stepIsZero) return fail("until may never end: the step is 0");
        } else if (op == "shot") {
            if (!arity(1, 1, "shot FILE.png")) return false;
            setOp(ScriptOp::Shot);
            c.value = static_cast<uint32_t>(script.data.size());
            putText(script.data, w[0]);
        } else if (op == "state") {
            if (!arity(0, 0, "state")) return false;
            setOp(ScriptOp::State);
        } else if (op == "pen") {
            constexpr const char* usage = "pen down|move|up X Y";
            if (!arity(3, 3, usage)) return false;
            const std::string_view how = w[0];
            if (how != "down" && how != "move" && how != "up") return fail(std::string("usage: ") + usage);
            setOp(how == "down" ? ScriptOp::PenDown : how == "move" ? ScriptOp::PenMove : ScriptOp::PenUp);
            if (!position(w[1], w[2], "pen " + std::string(how))) return false;
        } else if (op == "host") {
            constexpr const char* usage = "host quit|restore|command ID";
            if (count == 1 && (w[0] == "quit" || w[0] == "restore")) {
                setOp(w[0] == "quit" ? ScriptOp::HostQuit : ScriptOp::HostRestore);
            } else if (count == 2 && w[0] == "command") {
                setOp(ScriptOp::HostCommand);
                if (!readNumber(w[1], 0, 65535, n))
                    return fail("bad command id '" + escapedText(w[1], MaxShown) + "' (0 to 65535)");
                c.value = static_cast<uint32_t>(n);
            } else {
                return fail(std::string("usage: ") + usage);
            }
        } else if (op == "key") {
            constexpr const char* usage = "key [down|up] NAME";
            if (count == 2 && w[0] != "down" && w[0] != "up") return fail(std::string("usage: ") + usage);
            if (!arity(1, 2, usage)) return false;
            setOp(count == 1 ? ScriptOp::Key : w[0] == "down" ? ScriptOp::KeyDown : ScriptOp::KeyUp);
            const KeyName* key = keyNamed(w[count - 1]);
            if (!key) {
                std::string names;
                for (const KeyName& k : namedKeys)
                    names += std::string(names.empty() ? "" : ", ") + k.name;
                return fail("unknown key '" + escapedText(w[count - 1], MaxShown) + "' (" + names + ")");
            }
            c.value = key->key | (key->control ? ScriptCommand::KeyWithControl : 0);
        } else if (op == "step") {
            if (!arity(1, 1, "step MS")) return false;
            setOp(ScriptOp::Step);
            uint64_t ms = 0;
            if (!parseDecimal(w[0], UINT32_MAX, ms))
                return fail("bad step '" + escapedText(w[0], MaxShown) + "' (0 to 4294967295)");
            c.value = static_cast<uint32_t>(ms);
            stepIsZero = ms == 0;
        } else if (op == "steps") {
            // Counted first, then read into the data one by one: no word is held on its own.
            Words counting = words;
            for (std::string_view word; counting.next(word);)
                ++count;
            if (!arity(1, count, "steps MS...")) return false;
            setOp(ScriptOp::Steps);
            c.value = static_cast<uint32_t>(script.data.size());
            putNumber(script.data, count);
            uint64_t ms = 0;
            for (std::string_view word; words.next(word);) {
                if (!parseDecimal(word, UINT32_MAX, ms))
                    return fail("bad step '" + escapedText(word, MaxShown) + "' (0 to 4294967295)");
                putNumber(script.data, ms);
            }
            stepIsZero = ms == 0;
        } else if (op == "expect") {
            setOp(ScriptOp::Expect);
            const std::string_view rest =
                lineText.substr(static_cast<size_t>(op.data() + op.size() - lineText.data()));
            size_t objectEnd = 0;
            const std::string wrong = readStateFields(rest, fields, objectEnd);
            if (!wrong.empty()) return fail("expect: " + wrong);
            const size_t after = rest.find_first_not_of(" \t\v\f", objectEnd);
            if (after != std::string_view::npos && rest[after] != '#')
                return fail("expect: more after the object: '" + escapedText(rest.substr(after), MaxShown) +
                            "'");
            c.value = static_cast<uint32_t>(script.data.size());
            putNumber(script.data, fields.size());
            for (const ExpectedField& f : fields) {
                putNumber(script.data, static_cast<uint64_t>(f.field));
                putText(script.data, f.value);
            }
        } else if (op == "start-tick") {
            if (!arity(1, 1, "start-tick T")) return false;
            uint64_t tick = 0;
            if (!parseDecimal(w[0], UINT32_MAX, tick))
                return fail("bad start tick '" + escapedText(w[0], MaxShown) + "' (0 to 4294967295)");
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
        problem = escapedText(file, MaxShownPath) + ":0: " + reason;
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
    // the memory either. A file's text is read into room made for it at once.
    std::string text;
    if (type == std::filesystem::file_type::regular) {
        const uintmax_t size = std::min<uintmax_t>(std::filesystem::file_size(file, error), MaxScriptBytes);
        text.reserve(static_cast<size_t>(size) + 1);
    }
    std::vector<char> chunk(size_t{1} << 16);
    while (in && text.size() <= MaxScriptBytes) {
        in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        text.append(chunk.data(), static_cast<size_t>(in.gcount()));
    }
    if (in.bad()) return refuse("cannot read the script");
    return parseScript(file, text, script, problem);
}
