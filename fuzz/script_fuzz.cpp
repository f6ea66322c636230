// Any bytes as a script of the headless runner: parsing gives commands or one clear problem, never
// a crash, and a problem names the file and a line of it, with nothing unprintable in it.
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
        return 0;
    }
    if (problem.rfind("fuzz.txt:", 0) != 0 || problem.size() > 1024) std::abort();
    for (unsigned char c : problem) {
        if (c < 0x20 || c == 0x7F) std::abort();
    }
    return 0;
}
