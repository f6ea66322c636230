// Any bytes as a script of the headless runner: parsing gives commands or one clear problem, never
// a crash, and a problem names the file and a line of it, with nothing unprintable in it. What the
// commands keep in the script's data reads back within it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "shell/script.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    Script script;
    std::string problem;
    if (parseScript("fuzz.txt", text, script, problem)) {
        if (!problem.empty()) std::abort();
        for (const ScriptCommand& c : script.commands) {
            if (c.line == 0) std::abort();
            const ScriptOp op = c.op();
            if (op != ScriptOp::Shot && op != ScriptOp::Steps && op != ScriptOp::Expect) continue;
            size_t at = c.value;
            if (at >= script.data.size()) std::abort();
            if (op == ScriptOp::Shot && readDataText(script, at).empty()) std::abort();
            for (uint32_t k = op == ScriptOp::Shot ? 0 : readDataNumber(script, at); k > 0; --k) {
                if (at >= script.data.size()) std::abort();
                const uint32_t n = readDataNumber(script, at);
                if (op == ScriptOp::Expect && (n >= StateFieldCount || readDataText(script, at).empty()))
                    std::abort();
            }
        }
        return 0;
    }
    if (problem.rfind("fuzz.txt:", 0) != 0 || problem.size() > 1024) std::abort();
    for (unsigned char c : problem) {
        if (c < 0x20 || c == 0x7F) std::abort();
    }
    return 0;
}
