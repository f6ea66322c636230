// The desktop program: the game in a desktop window (recorded, if asked), or a script on the headless
// backend, or a script shown in the window.
#if defined(_WIN32)
#include "platform/win32_stdio.h"
#else
#include <fcntl.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/catalogue.h"
#include "platform/desktop.h"
#include "platform/host.h"
#include "res/resource.h"
#include "shell/cli.h"
#include "shell/record.h"
#include "shell/runner.h"
#include "shell/script.h"
#include "shell/sound.h"
#include "shell/window.h"

namespace {

constexpr const char* SilentCopy = "dorurura: another copy is running but does not answer\n";

#if !defined(_WIN32)
// A standard stream that is closed gets /dev/null, opened the other way round: a file the program
// opens later (a recording, a shot) cannot take its number, and writing to it still fails.
void holdClosedStreams() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        const int held = open("/dev/null", (fd == 0 ? O_WRONLY : O_RDONLY) | O_CLOEXEC);
        if (held >= 0 && held != fd) {
            dup2(held, fd);
            close(held);
        }
    }
}
#endif

// Writes text to the standard output; gives the exit code, 1 (said on stderr) when it could not.
int writeOut(const std::string& text) {
    if (std::fputs(text.c_str(), stdout) >= 0 && std::fflush(stdout) == 0) return 0;
    std::fprintf(stderr, "dorurura: cannot write standard output: %s\n", std::strerror(errno));
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
#if defined(_WIN32)
    win32PrepareStandardStreams();
#else
    holdClosedStreams();
#endif
    ProgramOptions options;
    std::string problem;
    if (!parseProgramOptions(argc, argv, options, problem)) {
        std::fprintf(stderr, "dorurura: %s\n%s", problem.c_str(), programUsage);
        return 2;
    }
    if (options.help) return writeOut(programUsage);
    if (options.version) return writeOut(std::string(programVersion) + "\n");
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

    DesktopOptions desktop;
    desktop.scale = options.scale;
    desktop.fullscreen = options.fullscreen;
    desktop.passRate = options.passRate;
    desktop.replay = replay;
    desktop.notice = [](const char* line) { std::fprintf(stderr, "dorurura: %s\n", line); };
    char error[256] = {};
    if (!platformStartDesktop(desktop, error, sizeof error)) {
        std::fprintf(stderr, "dorurura: %s (for a run without a display, see --headless --script FILE)\n",
                     error);
        return 1;
    }
    if (replay) {
        run.backend = platformBackend();
        run.hostEnded = platformDesktopCloseAsked;
        const int code = runScript(script, run, stdout, stderr);
        platformStopDesktop();
        return code;
    }
    // Only the copy that plays makes a recording, and that is settled before the file
    // is touched (without a recording, the main window's creation settles it).
    HINSTANCE instance = instanceFromCatalogue(&dorururaCatalogue);
    WCHAR className[100] = {};
    LoadStringW(instance, IDS_CLASS, className, 100);
    int code = 0;
    if (options.record.empty() || platformDesktopClaimOneCopy(className)) {
        if (!options.record.empty() && !startRecording(options.record, problem)) {
            std::fprintf(stderr, "dorurura: %s\n", problem.c_str());
            platformStopDesktop();
            return 2;
        }
        if (options.mute) {
            // As if the player chose "Sound Off" before anything else: sound and check marks agree.
            platformPushInput({HostEventKind::Command, 0, 0, IDM_SOUND_OFF});
        }
        code = WinMain(instance, nullptr, nullptr, SW_SHOWNORMAL);
        stopRecording();
    }
    if (platformDesktopOtherCopySilent()) {
        std::fputs(SilentCopy, stderr);
        code = 1;
    }
    platformStopDesktop();
    return code;
}
