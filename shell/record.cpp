#include "shell/record.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "flow/game.h"
#include "platform/host.h"
#include "platform/text.h"
#include "rules/machines.h"
#include "shell/runner.h"
#include "shell/script.h"

namespace {

// Writes the listed steps as one `steps` line.
bool writeListed(StepLines& lines, std::FILE* file) {
    if (lines.listedCount == 0) return true;
    bool ok = std::fputs("steps", file) >= 0;
    for (int k = 0; k < lines.listedCount; ++k)
        ok = std::fprintf(file, " %u", lines.listed[k]) > 0 && ok;
    ok = std::fputc('\n', file) != EOF && ok;
    lines.step = lines.listed[lines.listedCount - 1];
    lines.listedCount = 0;
    return ok;
}

// Writes the run of equal steps: as `passes N` when long enough, else into the list.
bool writeRun(StepLines& lines, std::FILE* file) {
    bool ok = true;
    if (lines.runLength >= StepLines::RunLines) {
        ok = writeListed(lines, file);
        if (lines.runStep != lines.step) ok = std::fprintf(file, "step %u\n", lines.runStep) > 0 && ok;
        ok = std::fprintf(file, "passes %u\n", lines.runLength) > 0 && ok;
        lines.step = lines.runStep;
    } else {
        for (uint32_t k = 0; k < lines.runLength; ++k) {
            lines.listed[lines.listedCount++] = lines.runStep;
            if (lines.listedCount == StepLines::ListedSteps) ok = writeListed(lines, file) && ok;
        }
    }
    lines.runLength = 0;
    return ok;
}

struct Recorder {
    std::FILE* file = nullptr;
    std::string path;
    long whole = 0;  // the file's length as it stood after the last whole line
    StepLines steps = stepLinesFrom(0);
    DWORD startTick = 0;
    PassInfo last = {};  // the latest pass begun
    GameState state = Idle;
    uint8_t machine = 0;
};

Recorder recorder;

// "cannot write PATH: why", the why from errno.
std::string cannotWrite(const std::string& path) {
    return "cannot write " + escapedText(path, 4096) + ": " + std::strerror(errno);
}

// Closes the file and cuts it back to its last whole line: what the stream still held may have
// been written in part meanwhile.
void closeCutBack() {
    const int fd = dup(fileno(recorder.file));
    std::fclose(recorder.file);
    recorder.file = nullptr;
    if (fd < 0) return;
    if (ftruncate(fd, recorder.whole) != 0)
        std::fprintf(stderr, "dorurura: the recording ends in part of a line: %s\n",
                     cannotWrite(recorder.path).c_str());
    close(fd);
}

// Gives up on a file that cannot be written; the game goes on. What the file holds is cut back to
// its last whole line, as a line cut short would not replay, or replay as another.
void check(bool written) {
    if (written && std::fflush(recorder.file) == 0) {
        recorder.whole = std::max(std::ftell(recorder.file), recorder.whole);
        return;
    }
    std::fprintf(stderr, "dorurura: the recording stops: %s\n", cannotWrite(recorder.path).c_str());
    closeCutBack();
    platformSetPassHook(nullptr, nullptr);
    platformSetInputHook(nullptr, nullptr);
}

// The check of the game's state at the last pass begun: its state line but the sounds, which
// only the headless backend logs.
void writeExpect() {
    const std::string line = stateLine(recorder.last.number, recorder.last.tick, false);
    check(flushSteps(recorder.steps, recorder.file) &&
          std::fprintf(recorder.file, "expect %s\n", line.c_str()) > 0);
}

void onPass(const PassInfo& pass, void*) {
    const DWORD before = recorder.last.number == 0 ? recorder.startTick : recorder.last.tick;
    if (pass.number == 1) {
        // The first step goes before every other line, so that it holds from the first pass.
        recorder.steps = stepLinesFrom(pass.tick - before);
        check(std::fprintf(recorder.file, "step %u\n", pass.tick - before) > 0);
        recorder.state = gameState;
        recorder.machine = currentMachine;
    } else {
        check(addStep(recorder.steps, pass.tick - before, recorder.file));
    }
    recorder.last = pass;
    if (!recorder.file) return;
    const bool settled = recorder.state == Stopping && gameState != Stopping;
    const bool switched = recorder.machine != currentMachine;
    recorder.state = gameState;
    recorder.machine = currentMachine;
    if (settled || switched) writeExpect();
}

void onInput(const HostEvent& event, void*) {
    bool ok = flushSteps(recorder.steps, recorder.file);
    switch (event.kind) {
        case HostEventKind::PenDown:
        case HostEventKind::PenMove:
        case HostEventKind::PenUp: {
            const char* how = event.kind == HostEventKind::PenDown   ? "down"
                              : event.kind == HostEventKind::PenMove ? "move"
                                                                     : "up";
            ok = std::fprintf(recorder.file, "pen %s %d %d\n", how, event.x, event.y) > 0 && ok;
            break;
        }
        case HostEventKind::Command:
            ok = std::fprintf(recorder.file, "host command %u\n", unsigned{event.command}) > 0 && ok;
            break;
        case HostEventKind::Quit:
            ok = std::fputs("host quit\n", recorder.file) >= 0 && ok;
            break;
        case HostEventKind::Restore:
            ok = std::fputs("host restore\n", recorder.file) >= 0 && ok;
            break;
        case HostEventKind::KeyDown:
        case HostEventKind::KeyUp:
            // Only the keys that do something; any other changes nothing, so a replay needs none.
            if (const KeyName* key = keyNameOf(event.command, (event.x & KeyControl) != 0)) {
                ok = std::fprintf(recorder.file, "key %s %s\n",
                                  event.kind == HostEventKind::KeyDown ? "down" : "up", key->name) > 0 &&
                     ok;
            }
            break;
    }
    check(ok);
}

}  // namespace

StepLines stepLinesFrom(uint32_t step) {
    StepLines lines;
    lines.step = step;
    return lines;
}

bool addStep(StepLines& lines, uint32_t step, std::FILE* file) {
    bool ok = true;
    if (lines.runLength > 0 && step != lines.runStep) ok = writeRun(lines, file);
    lines.runStep = step;
    if (++lines.runLength == StepLines::MaxRun) ok = writeRun(lines, file) && ok;
    return ok;
}

bool flushSteps(StepLines& lines, std::FILE* file) {
    const bool ok = writeRun(lines, file);
    return writeListed(lines, file) && ok;
}

bool startRecording(const std::string& path, std::string& problem) {
    recorder = Recorder{};
    // A regular file only, never waited on: a pipe without a reader would hold the program.
    recorder.file = platformCreateFile(path.c_str());
    if (!recorder.file) {
        problem = errno == EINVAL ? "cannot write " + escapedText(path, 4096) + ": not a regular file"
                                  : cannotWrite(path);
        return false;
    }
    recorder.path = path;
    recorder.startTick = GetTickCount();
    if (std::fprintf(recorder.file, "%s\nstart-tick %u\n", recordingHeader(DORURURA_VERSION).c_str(),
                     recorder.startTick) < 0 ||
        std::fflush(recorder.file) != 0) {
        problem = cannotWrite(path);
        closeCutBack();
        return false;
    }
    recorder.whole = std::ftell(recorder.file);
    platformSetPassHook(onPass, nullptr);
    platformSetInputHook(onInput, nullptr);
    return true;
}

void stopRecording() {
    if (!recorder.file) return;
    platformSetPassHook(nullptr, nullptr);
    platformSetInputHook(nullptr, nullptr);
    if (recorder.last.number > 0) writeExpect();
    if (recorder.file) std::fclose(recorder.file);
    recorder.file = nullptr;
}
