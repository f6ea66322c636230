// The program in a web page (Emscripten): the game on the web backend for index.html, and the
// headless script runner for runner.html. The pages call these through the module (web/); each
// page makes a fresh module for each game or script, as a process would be.
#include <emscripten.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/catalogue.h"
#include "platform/host.h"
#include "platform/web.h"
#include "shell/runner.h"
#include "shell/script.h"
#include "shell/window.h"

namespace {

// What the last script run wrote: its standard output and error streams.
std::string runOutput[2];

// The text a memory stream holds, and the stream closed.
std::string drain(std::FILE* stream, char*& buffer, size_t& size) {
    std::fclose(stream);
    std::string text(buffer ? buffer : "", size);
    std::free(buffer);
    return text;
}

}  // namespace

extern "C" {

// Plays the game until it ends; gives its exit code. The page calls it async: every pass yields to
// the browser.
EMSCRIPTEN_KEEPALIVE int webPlay() {
    platformStartWeb();
    const int code = WinMain(instanceFromCatalogue(&dorururaCatalogue), nullptr, nullptr, SW_SHOWNORMAL);
    platformStopWeb();
    return code;
}

// Runs a script (size bytes of text) as `dorurura --headless --script` does, with --start-tick
// when startTick is 0 or more and --ms-per-pass; gives the exit code without yielding, and leaves
// what it wrote for webRunOutput. Shots go to the module's `shots`.
EMSCRIPTEN_KEEPALIVE int webRunScript(const char* text, size_t size, double startTick, uint32_t msPerPass) {
    char* buffers[2] = {};
    size_t sizes[2] = {};
    std::FILE* out = open_memstream(&buffers[0], &sizes[0]);
    std::FILE* err = open_memstream(&buffers[1], &sizes[1]);
    if (!out || !err) std::abort();
    Script script;
    std::string problem;
    int code = 2;
    if (parseScript("script", std::string_view(text, size), script, problem)) {
        RunSettings settings;
        if (startTick >= 0) settings.startTick = static_cast<uint32_t>(std::min(startTick, 4294967295.0));
        settings.msPerPass = std::clamp<uint32_t>(msPerPass, 1, 60000);  // as the command line allows
        code = runScript(script, settings, out, err);
    } else {
        std::fprintf(err, "%s\n", problem.c_str());
    }
    runOutput[0] = drain(out, buffers[0], sizes[0]);
    runOutput[1] = drain(err, buffers[1], sizes[1]);
    return code;
}

// What the last script run wrote to its standard output (0) or error (1) stream, and its size.
EMSCRIPTEN_KEEPALIVE const char* webRunOutput(int stream) {
    return runOutput[stream != 0].data();
}
EMSCRIPTEN_KEEPALIVE size_t webRunOutputSize(int stream) {
    return runOutput[stream != 0].size();
}
}
