// The cost of a frame on the headless platform with the real resources, beside a plain memcpy of
// as many bytes as the frame copies: the counter x_memcpy is the frame's time over the memcpy's,
// measured in the same run (both in the thread's processor time, which other processes on a busy
// machine do not inflate), so it shows how far a frame is from the memory-copy limit.
#include <benchmark/benchmark.h>

#include <ctime>
#include <cstring>
#include <vector>

#include "flow/betting.h"
#include "flow/buttons.h"
#include "flow/game.h"
#include "flow/machine.h"
#include "flow/reels.h"
#include "gfx/frame.h"
#include "gfx/glyphs.h"
#include "gfx/surface.h"
#include "gfx/widgets.h"
#include "rules/machines.h"
#include "tests/flow/harness.h"

namespace {

constexpr int64_t PixelBytes = 4;

// The processor time this thread has used, in nanoseconds.
double threadNanoseconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e9 + static_cast<double>(t.tv_nsec);
}

int64_t area(const Rect16& r) {
    return int64_t{r.w} * r.h;
}

// The game in Idle on machine 0 with everything drawn and no flag pending.
void idleGame() {
    harness::idleOn();
    for (TextWidget& w : textWidgets)
        w.flags &= static_cast<uint16_t>(~(TextWidgetFlags::Dirty | TextWidgetFlags::Erase));
    for (Button& b : buttons)
        b.flags &= static_cast<uint16_t>(~ButtonFlags::Dirty);
}

// Bytes a spinning frame copies: every reel window into the back buffer, then the reels' bounding
// box to the screen.
int64_t spinningBytes() {
    int64_t pixels = area(reelUnionRect);
    for (int i = 0; i < currentMachineDef().reelCount; ++i)
        pixels += area(reels[i].screenRect);
    return pixels * PixelBytes;
}

// Bytes a full machine frame copies: the stage into the back buffer, the reels, the glyphs of the
// in-frame widgets, then the back buffer to the screen.
int64_t fullFrameBytes() {
    int64_t pixels = 2 * area(fullScreenRect);
    for (int i = 0; i < currentMachineDef().reelCount; ++i)
        pixels += area(reels[i].screenRect);
    for (const TextWidget& w : textWidgets) {
        if ((w.flags & TextWidgetFlags::InFrame) == 0) continue;
        pixels +=
            int64_t{glyphSheets[w.sheet].cell->w} * w.rect.h * static_cast<int64_t>(std::strlen(w.text));
    }
    return pixels * PixelBytes;
}

// Nanoseconds of one memcpy of this many bytes, between two buffers of the display's size.
double memcpyNanoseconds(int64_t bytes) {
    static std::vector<uint8_t> from(1 << 21, 1), to(1 << 21, 0);
    const size_t n = static_cast<size_t>(bytes);
    const int rounds = 2000;
    const double start = threadNanoseconds();
    for (int i = 0; i < rounds; ++i) {
        std::memcpy(to.data(), from.data(), n);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    return (threadNanoseconds() - start) / rounds;
}

// Runs frame() for the benchmark's iterations and reports bytes and the ratio to memcpy.
template <typename Frame>
void measure(benchmark::State& state, int64_t bytes, Frame frame) {
    const double copyNs = memcpyNanoseconds(bytes);
    const double start = threadNanoseconds();
    for (auto _ : state)
        frame();
    const double frameNs = (threadNanoseconds() - start) / static_cast<double>(state.iterations());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * bytes);
    state.counters["bytes"] = static_cast<double>(bytes);
    state.counters["memcpy_ns"] = copyNs;
    state.counters["x_memcpy"] = copyNs > 0 ? frameNs / copyNs : 0;
}

void memcpyOf(benchmark::State& state, int64_t bytes) {
    std::vector<uint8_t> from(static_cast<size_t>(bytes) + 1, 1), to(static_cast<size_t>(bytes) + 1, 0);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), static_cast<size_t>(bytes));
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * bytes);
}

void IdleFrameNothingDirty(benchmark::State& state) {
    idleGame();
    // Nothing to draw: the frame only tests flags. Its memcpy partner copies nothing, the cost of a call.
    measure(state, 0, [] { renderFrame(0); });
}

void IdleFrameNothingDirtyMemcpy(benchmark::State& state) {
    memcpyOf(state, 0);
}

void SpinningFrame(benchmark::State& state) {
    idleGame();
    Spin();
    measure(state, spinningBytes(), [] {
        advanceReels();
        renderFrame(0);
    });
}

void SpinningFrameMemcpy(benchmark::State& state) {
    idleGame();
    memcpyOf(state, spinningBytes());
}

void FullFrame(benchmark::State& state) {
    idleGame();
    measure(state, fullFrameBytes(), [] { renderFrame(1); });
}

void FullFrameMemcpy(benchmark::State& state) {
    idleGame();
    memcpyOf(state, fullFrameBytes());
}

}  // namespace

BENCHMARK(IdleFrameNothingDirty);
BENCHMARK(IdleFrameNothingDirtyMemcpy);
BENCHMARK(SpinningFrame);
BENCHMARK(SpinningFrameMemcpy);
BENCHMARK(FullFrame);
BENCHMARK(FullFrameMemcpy);
