// Recording a desktop session as a script for the headless runner, which replays it exactly: the
// start tick, every pass's clock step, every raw input event at the pass that takes it, and a check
// of the game's state (an `expect` line) after every settled spin, every machine switch and at the
// end. The file is written as the session goes.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// Starts recording into path from the clock as it stands now (the start tick): writes the first
// lines and hooks the passes and the input. Gives false with a one-line problem when the file
// cannot be written.
bool startRecording(const std::string& path, std::string& problem);

// Writes what is left and the check at the end, unhooks and closes the file.
void stopRecording();

// The clock steps of the passes as script lines. A run of at least RunLines equal steps becomes
// `passes N` (after `step MS` when the step changes); shorter runs are listed on `steps` lines of
// at most ListedSteps. A run is written when it reaches MaxRun, so fewer than MaxRun +
// ListedSteps passes wait to be written.
struct StepLines {
    static constexpr int ListedSteps = 16;
    static constexpr uint32_t RunLines = 8;
    static constexpr uint32_t MaxRun = 60;
    uint32_t step;  // the step the lines written so far leave
    uint32_t runStep = 0;
    uint32_t runLength = 0;
    uint32_t listed[ListedSteps] = {};
    int listedCount = 0;
};
// Lines begin from `step`, the step already in force.
StepLines stepLinesFrom(uint32_t step);
// The next pass's step; writes the lines it completes. Gives false when writing failed.
bool addStep(StepLines& lines, uint32_t step, std::FILE* file);
// Writes every step still held. Gives false when writing failed.
bool flushSteps(StepLines& lines, std::FILE* file);
