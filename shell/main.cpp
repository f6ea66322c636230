// The desktop program: the game in an SDL2 window (recorded, if asked), or a script on the headless
// backend, or a script shown in the window.
#include <cstdio>
#include <string>

#include "platform/catalogue.h"
#include "platform/host.h"
#include "platform/sdl.h"
#include "res/resource.h"
#include "shell/cli.h"
#include "shell/record.h"
#include "shell/runner.h"
#include "shell/script.h"
#include "shell/sound.h"
#include "shell/window.h"

int main(int argc, char** argv) {
    ProgramOptions options;
    std::string problem;
    if (!parseProgramOptions(argc, argv, options, problem)) {
        std::fprintf(stderr, "dorurura: %s\n%s", problem.c_str(), programUsage);
        return 2;
    }
    if (options.help) {
        std::fputs(programUsage, stdout);
        return 0;
    }
    if (options.version) {
        std::printf("%s\n", programVersion);
        return 0;
    }
    const bool replay = !options.replay.empty();
    Script script;
    RunSettings run;
    if (options.headless || replay) {
        if (!loadScript(options.headless ? options.script : options.replay, script, problem)) {
            std::fprintf(stderr, "%s\n", problem.c_str());
            return 2;
        }
        run.startTick = options.startTick;
        run.msPerPass = options.msPerPass;
        if (options.headless) return runScript(script, run, stdout, stderr);
    }

    SdlOptions sdl;
    sdl.scale = options.scale;
    sdl.fullscreen = options.fullscreen;
    sdl.passRate = options.passRate;
    sdl.replay = replay;
    sdl.notice = [](const char* line) { std::fprintf(stderr, "dorurura: %s\n", line); };
    char error[256] = {};
    if (!platformStartSdl(sdl, error, sizeof error)) {
        std::fprintf(stderr, "dorurura: %s (for a run without a display, see --headless --script FILE)\n",
                     error);
        return 1;
    }
    if (replay) {
        run.backend = platformBackend();
        run.hostEnded = platformSdlCloseAsked;
        const int code = runScript(script, run, stdout, stderr);
        platformStopSdl();
        return code;
    }
    if (!options.record.empty() && !startRecording(options.record, problem)) {
        std::fprintf(stderr, "dorurura: %s\n", problem.c_str());
        platformStopSdl();
        return 2;
    }
    if (options.mute) {
        // As if the player chose "Sound Off" before anything else: sound and check marks agree.
        platformPushInput({HostEventKind::Command, 0, 0, IDM_SOUND_OFF});
    }
    int code = WinMain(instanceFromCatalogue(&dorururaCatalogue), nullptr, nullptr, SW_SHOWNORMAL);
    stopRecording();
    if (platformSdlOtherCopySilent()) {
        std::fprintf(stderr, "dorurura: another copy is running but does not answer\n");
        code = 1;
    }
    platformStopSdl();
    return code;
}
