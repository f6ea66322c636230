#include "tools/par/simulate.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "rules/machines.h"
#include "rules/outcome.h"
#include "rules/random.h"

// How the spins are shared out. A spin takes a varying number of draws (a win draw, perhaps an entry
// draw, then one draw per reel for as many tries as it needs), so where spin k starts in the
// generator's stream is known only once the spins before it are decided. Each round therefore gives
// thread t the stretch of D draws that starts t x D draws ahead of the last spin known for certain;
// the generator jumps there at once (16807^(t x D) mod 2^31 - 1). Thread 0 starts on a spin, so its
// spins are the true ones. Every other thread starts at a draw that may fall inside a spin; it decides
// spins from there anyway and keeps where its first few thousand started. The true spins then run on
// from the end of the stretch before until one starts where one of the thread's started: from that
// draw on both are the same spins, so the thread's counts, less those of its spins before the meeting,
// are the true ones. Spins of different lengths meet within a few spins; a thread whose spins do not
// meet the true ones in time (or that stopped early) simply leaves the rest to the next round.

namespace {

struct Stretch {
    // Given
    uint32_t state = 0;  // the generator's state at `start`
    uint64_t start = 0;  // draw index in the stream
    uint64_t end = 0;    // decide spins that start before this draw
    uint64_t cap = 0;    // and at most this many
    bool join = false;   // keep the first spins' starts and entries
    // Found
    uint64_t observed[MaxPayEntries + 1] = {};
    uint64_t spins = 0;
    uint64_t reached = 0;  // draw index after the last spin
    uint32_t endState = 0;
    std::vector<uint64_t> starts;
    std::vector<uint8_t> entries;
};

void decideStretch(uint8_t machine, Stretch& w, uint32_t joinSpins, const std::atomic<bool>* stop,
                   std::atomic<uint64_t>& decided) {
    uint32_t s = w.state;
    uint64_t pos = w.start;
    uint64_t n = 0;
    uint32_t draws = 0;
    if (w.join) {
        const uint64_t keep = std::min<uint64_t>(joinSpins, w.cap);
        w.starts.reserve(keep);
        w.entries.reserve(keep);
        for (; n < keep && pos < w.end; ++n) {
            w.starts.push_back(pos);
            const uint32_t e = decideSpin(machine, s, draws);
            w.entries.push_back(static_cast<uint8_t>(e));
            ++w.observed[e];
            pos += draws;
        }
    }
    constexpr uint64_t Chunk = 4096;
    while (n < w.cap && pos < w.end) {
        const uint64_t chunkEnd = std::min(w.cap, n + Chunk);
        const uint64_t before = n;
        for (; n < chunkEnd && pos < w.end; ++n) {
            const uint32_t e = decideSpin(machine, s, draws);
            ++w.observed[e];
            pos += draws;
        }
        decided.fetch_add(n - before, std::memory_order_relaxed);
        if (stop != nullptr && stop->load(std::memory_order_relaxed)) break;
    }
    w.spins = n;
    w.reached = pos;
    w.endState = s;
}

}  // namespace

SimulationTally simulateSpins(int machine, uint64_t spins, uint32_t seed, const SimulationControl& control) {
    const auto m = static_cast<uint8_t>(machine);
    const uint32_t entryCount = countPayEntries(machineDefs[m].payTable);
    const unsigned threads = std::max(1u, control.threads);
    SimulationTally total;
    uint32_t state = RandomSource::seededState(seed);
    uint64_t pos = 0;  // draws of the spins counted so far
    std::atomic<uint64_t> decided{0};
    const auto stopped = [&] { return control.stop != nullptr && control.stop->load(); };

    while (total.spins < spins) {
        const uint64_t left = spins - total.spins;
        const bool ahead = threads > 1 && left >= control.aloneBelow && total.spins > 0;
        std::vector<Stretch> work(ahead ? threads : 1);
        if (!ahead) {
            // One thread alone: a first stretch to learn the draws per spin, or the last spins.
            work[0].state = state;
            work[0].start = pos;
            work[0].end = UINT64_MAX;
            work[0].cap = threads > 1 && total.spins == 0 ? std::min(left, control.aloneBelow) : left;
        } else {
            const double drawsPerSpin = static_cast<double>(pos) / static_cast<double>(total.spins);
            // Aim a little short of the spins left, so that the stretches seldom decide more than needed.
            const double aim = static_cast<double>(left) * drawsPerSpin * 0.97 / threads;
            const uint64_t d = std::clamp<uint64_t>(static_cast<uint64_t>(aim), 1, control.roundDraws);
            for (unsigned t = 0; t < threads; ++t) {
                Stretch& w = work[t];
                w.start = pos + t * d;
                w.state = RandomSource::jump(state, t * d);
                w.end = w.start + d;
                w.cap = left;
                w.join = t > 0;
            }
        }

        decided.store(0);
        std::mutex mutex;
        std::condition_variable finished;
        unsigned running = static_cast<unsigned>(work.size());
        std::vector<std::thread> pool;
        pool.reserve(work.size());
        for (Stretch& w : work) {
            pool.emplace_back([&, wp = &w] {
                decideStretch(m, *wp, control.joinSpins, control.stop, decided);
                const std::lock_guard<std::mutex> lock(mutex);
                --running;
                finished.notify_one();
            });
        }
        {
            std::unique_lock<std::mutex> lock(mutex);
            while (running > 0) {
                if (!finished.wait_for(lock, std::chrono::milliseconds(250), [&] { return running == 0; }) &&
                    control.progress) {
                    const uint64_t guess =
                        total.spins + std::min(left, decided.load(std::memory_order_relaxed));
                    lock.unlock();
                    control.progress(guess);
                    lock.lock();
                }
            }
        }
        for (std::thread& t : pool)
            t.join();

        // Thread 0's spins are the true ones.
        const Stretch& first = work[0];
        for (uint32_t e = 0; e <= entryCount; ++e)
            total.observed[e] += first.observed[e];
        total.spins += first.spins;
        pos = first.reached;
        state = first.endState;
        bool onward = pos >= first.end;
        for (size_t t = 1; t < work.size() && onward; ++t) {
            const Stretch& w = work[t];
            // The true spins run on until one starts where one of the thread's spins started.
            size_t i = 0;
            bool met = false;
            while (total.spins < spins) {
                while (i < w.starts.size() && w.starts[i] < pos)
                    ++i;
                if (i == w.starts.size()) break;
                if (w.starts[i] == pos) {
                    met = true;
                    break;
                }
                uint32_t draws = 0;
                ++total.observed[decideSpin(m, state, draws)];
                ++total.spins;
                pos += draws;
            }
            if (!met) break;
            const uint64_t need = spins - total.spins;
            if (w.spins - i <= need) {
                for (uint32_t e = 0; e <= entryCount; ++e)
                    total.observed[e] += w.observed[e];
                for (size_t j = 0; j < i; ++j)
                    --total.observed[w.entries[j]];
                total.spins += w.spins - i;
                pos = w.reached;
                state = w.endState;
                onward = pos >= w.end;
            } else if (i + need <= w.entries.size()) {
                // The last spins: the thread's first few after the meeting.
                for (size_t j = i; j < i + need; ++j)
                    ++total.observed[w.entries[j]];
                total.spins = spins;
            } else {
                break;  // the next round decides the rest
            }
        }
        if (stopped()) break;
    }
    for (uint32_t e = 0; e < entryCount; ++e)
        total.paid += total.observed[e] * entryMultiplier(m, e);
    return total;
}
