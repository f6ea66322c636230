#include "shell/runner.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "flow/betting.h"
#include "flow/buttons.h"
#include "flow/game.h"
#include "flow/input.h"
#include "flow/machine.h"
#include "flow/reels.h"
#include "gfx/widgets.h"
#include "platform/headless.h"
#include "platform/host.h"
#include "platform/text.h"
#include "rules/machines.h"
#include "shell/app.h"
#include "shell/sound.h"
#include "shell/window.h"

namespace {

// Where the script stands, kept between passes.
struct Runner {
    const Script* script;
    size_t next;    // the command to run, or the one running
    bool started;   // the running command has begun (input queued, clock noted)
    uint32_t mark;  // the pass or tick a running command counts from
    size_t at;      // a running steps line: its next step in the script's data
    uint32_t left;  // and how many are left
    bool failed;
    bool quitSent;    // the program is to close
    bool quitQueued;  // and has been asked to (the input queue had room)
    std::FILE* out;
    std::FILE* err;
    const StateObserver* observer;
};

Runner runner;

void failCommand(const ScriptCommand& c, const std::string& reason) {
    std::fprintf(runner.err, "%s:%u: %s\n", runner.script->file.c_str(), unsigned{c.line}, reason.c_str());
    runner.failed = true;
}

void endProgram() {
    if (!runner.quitQueued) runner.quitQueued = headlessQuit() != 0;
    runner.quitSent = true;
}

// Whether the state line's fields equal those an expect gives; when not, the run fails.
bool expectHolds(const ScriptCommand& c, const PassInfo& pass) {
    std::vector<ExpectedField> now;
    size_t end = 0;
    readStateFields(stateLine(pass.number, pass.tick), now, end);
    size_t at = c.value;
    for (uint32_t k = readDataNumber(*runner.script, at); k > 0; --k) {
        const auto field = static_cast<int>(readDataNumber(*runner.script, at));
        const std::string_view recorded = readDataText(*runner.script, at);
        for (const ExpectedField& is : now) {
            if (is.field != field || is.value == recorded) continue;
            failCommand(c, std::string("replay diverged: ") + stateFieldNames[is.field] + " is " + is.value +
                               ", recorded " + escapedText(recorded, 200));
            endProgram();
            return false;
        }
    }
    return true;
}

// Writes the display into the file: a regular one only, as a pipe without a reader or a device
// could hold the run forever. Gives "" or why it could not.
std::string writeShot(const std::string& path) {
    errno = 0;
    if (platformWriteDisplayPng(path.c_str())) return "";
    if (errno == EINVAL) return "not a regular file";
    return errno != 0 ? std::strerror(errno) : "the picture could not be made";
}

// A key event of a key line's value.
HostEvent keyEvent(HostEventKind kind, uint32_t value) {
    const auto control = static_cast<int16_t>((value & ScriptCommand::KeyWithControl) ? KeyControl : 0);
    return {kind, control, 0, static_cast<uint16_t>(value)};
}

// The raw event of a pen, key or host line.
HostEvent hostEvent(const ScriptCommand& c) {
    switch (c.op()) {
        case ScriptOp::PenDown:
            return {HostEventKind::PenDown, c.x(), c.y(), 0};
        case ScriptOp::PenMove:
            return {HostEventKind::PenMove, c.x(), c.y(), 0};
        case ScriptOp::PenUp:
            return {HostEventKind::PenUp, c.x(), c.y(), 0};
        case ScriptOp::HostQuit:
            return {HostEventKind::Quit, 0, 0, 0};
        case ScriptOp::HostRestore:
            return {HostEventKind::Restore, 0, 0, 0};
        case ScriptOp::KeyDown:
            return keyEvent(HostEventKind::KeyDown, c.value);
        case ScriptOp::KeyUp:
            return keyEvent(HostEventKind::KeyUp, c.value);
        default:
            return {HostEventKind::Command, 0, 0, static_cast<uint16_t>(c.value)};
    }
}

// Runs one command as far as it goes on this pass; true when it is complete.
bool step(const ScriptCommand& c, const PassInfo& pass) {
    switch (c.op()) {
        case ScriptOp::Tap:
        case ScriptOp::Key:
        case ScriptOp::Menu:
            if (!runner.started) {
                runner.started = true;
                if (c.op() == ScriptOp::Tap) {
                    headlessPenDown(c.x(), c.y());
                    headlessPenUp(c.x(), c.y());
                } else if (c.op() == ScriptOp::Key) {
                    platformPushInput(keyEvent(HostEventKind::KeyDown, c.value));
                    platformPushInput(keyEvent(HostEventKind::KeyUp, c.value));
                } else {
                    headlessPostCommand(mainWindow, static_cast<WORD>(c.value));
                }
                return false;
            }
            // Taken: the raw input and every message it turned into (a menu item's command, say).
            return platformInputPending() == 0 && platformPostedPending() == 0;
        case ScriptOp::Passes:
            if (!runner.started) {
                runner.started = true;
                runner.mark = pass.number;
            }
            return pass.number - runner.mark >= c.value;
        case ScriptOp::Wait:
            if (!runner.started) {
                runner.started = true;
                runner.mark = pass.tick;
            }
            return pass.tick - runner.mark >= c.value;
        case ScriptOp::Until:
            if (!runner.started) {
                runner.started = true;
                runner.mark = pass.tick;
            }
            if (gameState == c.untilState()) return true;
            if (pass.tick - runner.mark > c.untilLimit()) {
                const char* now = gameStateName(gameState);
                failCommand(c, std::string("still ") + (now != nullptr ? now : "?") + ", not " +
                                   gameStateName(c.untilState()) + ", after " +
                                   std::to_string(c.untilLimit()) + " ms");
                endProgram();
            }
            return false;
        case ScriptOp::Shot: {
            size_t at = c.value;
            const std::string path(readDataText(*runner.script, at));
            const std::string why = writeShot(path);
            if (!why.empty()) {
                failCommand(c, "cannot write " + escapedText(path, 4096) + ": " + why);
                endProgram();
                return false;
            }
            return true;
        }
        case ScriptOp::State: {
            const std::string line = stateLine(pass.number, pass.tick);
            headlessClearSoundLog();
            if (std::fprintf(runner.out, "%s\n", line.c_str()) < 0 || std::fflush(runner.out) != 0) {
                // Nobody reads what follows: the run stops.
                std::fprintf(runner.err, "dorurura: cannot write standard output: %s\n",
                             std::strerror(errno));
                runner.failed = true;
                endProgram();
                return false;
            }
            if (*runner.observer) (*runner.observer)(line);
            return true;
        }
        case ScriptOp::PenDown:
        case ScriptOp::PenMove:
        case ScriptOp::PenUp:
        case ScriptOp::HostQuit:
        case ScriptOp::HostRestore:
        case ScriptOp::HostCommand:
        case ScriptOp::KeyDown:
        case ScriptOp::KeyUp:
            if (!platformPushInput(hostEvent(c))) {
                failCommand(c, "the input queue is full: too many events for one pass");
                endProgram();
                return false;
            }
            return true;
        case ScriptOp::Step:
            headlessSetPassStep(c.value);
            return true;
        case ScriptOp::Steps:
            if (!runner.started) {
                runner.started = true;
                runner.at = c.value;
                runner.left = readDataNumber(*runner.script, runner.at);
            }
            if (runner.left == 0) return true;
            --runner.left;
            headlessSetPassStep(readDataNumber(*runner.script, runner.at));
            return false;
        case ScriptOp::Expect:
            return expectHolds(c, pass);
    }
    return true;
}

void onPass(const PassInfo& pass, void* /*user*/) {
    if (runner.quitSent) endProgram();  // once more, should the input queue have been full
    if (runner.failed || runner.quitSent) return;
    const auto& commands = runner.script->commands;
    while (runner.next < commands.size()) {
        if (!step(commands[runner.next], pass)) return;
        ++runner.next;
        runner.started = false;
    }
    endProgram();  // the script is done: the program closes as if the host asked it to
}

}  // namespace

std::string stateLine(uint32_t pass, uint32_t tick, bool withSounds) {
    std::string s =
        "{\"pass\":" + std::to_string(pass) + ",\"tick\":" + std::to_string(tick) + ",\"state\":\"";
    const char* name = gameStateName(gameState);
    s += name != nullptr ? name : "?";
    s += "\",\"machine\":" + std::to_string(currentMachine) +
         ",\"credits\":" + std::to_string(wallet.credits) + ",\"bet\":" + std::to_string(wallet.bet) +
         ",\"lastWin\":" + std::to_string(wallet.lastWin) + ",\"reels\":[";
    // Reel records stay clear until the first machine is set up.
    const MachineDef& d = currentMachineDef();
    if (reels[0].stripWindow.h != 0) {
        for (int i = 0; i < d.reelCount; ++i) {
            if (i != 0) s += ',';
            s += "{\"y\":" + std::to_string(reels[i].stripWindow.y) +
                 ",\"stage\":" + std::to_string(reels[i].speedStage) + "}";
        }
    }
    s += "],\"buttons\":[";
    for (int k = 0; k < MaxControls; ++k) {
        if (k != 0) s += ',';
        s += std::to_string(buttons[k].flags);
    }
    s += "],\"warning\":" + std::to_string(textWidgets[CashWarning].flags) +
         ",\"page\":" + std::to_string(payTablePage) + ",\"sound\":" + (soundEnabled ? "true" : "false");
    if (!withSounds) return s + "}";
    s += ",\"sounds\":[";
    // The log holds the sounds since the last state line, which emptied it.
    const size_t count = headlessSoundEventCount();
    for (size_t i = 0; i < count; ++i) {
        char event[32];
        headlessFormatSoundEvent(headlessSoundEvent(i), event, sizeof event);
        if (i != 0) s += ',';
        s += std::string("\"") + event + "\"";
    }
    if (const size_t dropped = headlessSoundEventsDropped()) {
        s += (count != 0 ? ",\"" : "\"") + std::to_string(dropped) + " more\"";
    }
    s += "]}";
    return s;
}

int runScript(const Script& script, const RunSettings& settings, std::FILE* out, std::FILE* err,
              const StateObserver& observer) {
    if (!script.recordedBy.empty() && script.recordedBy != DORURURA_VERSION) {
        std::fprintf(err, "%s:1: recorded by dorurura %s, replayed by dorurura %s: it may diverge\n",
                     script.file.c_str(), script.recordedBy.c_str(), DORURURA_VERSION);
    }
    stopProgram();  // gives back what an earlier run held, while its handles are still valid
    platformReset();
    if (settings.backend) platformUseBackend(settings.backend);
    headlessSetStartTick(settings.startTick.value_or(script.startTick.value_or(0)));
    headlessSetPassStep(settings.msPerPass);
    runner = {&script, 0, false, 0, 0, 0, false, false, false, out, err, &observer};
    // A step before every other line holds from the first pass.
    for (; runner.next < script.commands.size() && script.commands[runner.next].op() == ScriptOp::Step;
         ++runner.next)
        headlessSetPassStep(script.commands[runner.next].value);
    platformSetPassHook(onPass, nullptr);

    const int code = WinMain(instanceFromCatalogue(&dorururaCatalogue), nullptr, nullptr, SW_SHOW);

    platformSetPassHook(nullptr, nullptr);
    const bool hostEnded = settings.hostEnded && settings.hostEnded();
    // A tap, key or menu line whose input ended the program is done.
    if (runner.started && runner.next < script.commands.size()) {
        const ScriptOp op = script.commands[runner.next].op();
        if (op == ScriptOp::Tap || op == ScriptOp::Key || op == ScriptOp::Menu) ++runner.next;
    }
    if (!runner.failed && runner.next < script.commands.size() && !runner.quitSent && !hostEnded) {
        failCommand(script.commands[runner.next], "the program ended before this line");
    }
    return runner.failed ? 1 : code;
}
