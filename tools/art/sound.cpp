// The three sounds, synthesised: the spinning reels, a coin dropping in, and a win fanfare.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "tools/art/art.h"

namespace art {
namespace {

constexpr double Pi = 3.14159265358979323846;

std::vector<uint8_t> toPcm(const std::vector<double>& wave, double gain) {
    std::vector<uint8_t> out(wave.size());
    for (size_t i = 0; i < wave.size(); ++i) {
        double v = std::clamp(wave[i] * gain, -1.0, 1.0);
        out[i] = static_cast<uint8_t>(std::lround(128.0 + v * 127.0));
    }
    return out;
}

double peak(const std::vector<double>& wave) {
    double p = 1e-9;
    for (double v : wave)
        p = std::max(p, std::abs(v));
    return p;
}

// A small deterministic noise source, so that every build makes the same bytes.
struct Noise {
    uint32_t state = 0x9E3779B9u;
    double next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<double>(state) / 4294967295.0 * 2.0 - 1.0;
    }
};

}  // namespace

// 3300 samples at 8000 Hz. Every part repeats a whole number of times in the buffer, so the end
// runs straight into the start: a low motor hum, a rumble of filtered noise, and the clack of the
// symbols passing the window twelve times per loop.
std::vector<uint8_t> reelSound() {
    constexpr int N = 3300;
    constexpr double Rate = 8000.0;
    std::vector<double> w(N, 0.0);
    // Motor hum: harmonics that complete whole cycles in the loop (period N / k samples).
    const int hum[] = {41, 82, 123, 164};
    const double humLevel[] = {0.20, 0.12, 0.06, 0.03};
    for (int h = 0; h < 4; ++h)
        for (int i = 0; i < N; ++i)
            w[static_cast<size_t>(i)] += humLevel[h] * std::sin(2 * Pi * hum[h] * i / N);
    // Rumble: noise low-passed around the loop (filtered twice around so that it is periodic).
    Noise noise;
    std::vector<double> raw(N);
    for (double& v : raw)
        v = noise.next();
    std::vector<double> rumble(N, 0.0);
    double state = 0.0;
    for (int pass = 0; pass < 3; ++pass)
        for (int i = 0; i < N; ++i) {
            state += 0.08 * (raw[static_cast<size_t>(i)] - state);
            rumble[static_cast<size_t>(i)] = state;
        }
    for (int i = 0; i < N; ++i)
        w[static_cast<size_t>(i)] += 0.9 * rumble[static_cast<size_t>(i)];
    // Clacks: 12 per loop (one every 275 samples), each a short burst of a resonant click.
    constexpr int Clacks = 12;
    for (int c = 0; c < Clacks; ++c) {
        int start = c * N / Clacks;
        double pitch = 1180.0 + 60.0 * (c % 3);
        for (int k = 0; k < 160; ++k) {
            double t = k / Rate;
            double env = std::exp(-t * 95.0);
            double v =
                env * (0.55 * std::sin(2 * Pi * pitch * t) + 0.25 * std::sin(2 * Pi * 2.7 * pitch * t));
            if (k < 6) v += 0.35 * noise.next() * (1.0 - k / 6.0);
            w[static_cast<size_t>((start + k) % N)] += v;
        }
    }
    return toPcm(w, 0.85 / peak(w));
}

// 489 samples at 11025 Hz: the bright ring of a coin, inharmonic partials dying away fast.
std::vector<uint8_t> coinSound() {
    constexpr int N = 489;
    constexpr double Rate = 11025.0;
    std::vector<double> w(N, 0.0);
    Noise noise;
    const double partials[] = {1975.0, 2637.0, 3520.0, 4186.0};
    const double levels[] = {0.5, 0.35, 0.25, 0.15};
    const double decay[] = {55.0, 70.0, 90.0, 120.0};
    for (int i = 0; i < N; ++i) {
        double t = i / Rate;
        double v = 0.0;
        for (int p = 0; p < 4; ++p)
            v += levels[p] * std::exp(-t * decay[p]) * std::sin(2 * Pi * partials[p] * t);
        if (i < 12) v += 0.4 * noise.next() * (1.0 - i / 12.0);  // the strike
        double attack = std::min(1.0, i / 4.0);
        double tail = std::min(1.0, (N - 1 - i) / 60.0);  // fades into silence at the end
        w[static_cast<size_t>(i)] = v * attack * tail;
    }
    return toPcm(w, 0.95 / peak(w));
}

// 2183 samples at 11025 Hz: a quick rising arpeggio of bell tones, the last one held.
std::vector<uint8_t> winSound() {
    constexpr int N = 2183;
    constexpr double Rate = 11025.0;
    std::vector<double> w(N, 0.0);
    const double notes[] = {1046.5, 1318.5, 1568.0, 2093.0};
    const int starts[] = {0, 330, 660, 990};
    for (int n = 0; n < 4; ++n) {
        double f = notes[n];
        bool last = n == 3;
        for (int i = starts[n]; i < N; ++i) {
            double t = (i - starts[n]) / Rate;
            double env = std::exp(-t * (last ? 9.0 : 22.0)) * std::min(1.0, (i - starts[n]) / 8.0);
            // A bell: the fundamental, a bright octave and a twelfth (left out where it would pass
            // half the sample rate and fold back), and a touch of vibrato on the held note.
            double vib = last ? 1.0 + 0.004 * std::sin(2 * Pi * 7.0 * t) : 1.0;
            double v = std::sin(2 * Pi * f * vib * t) + 0.35 * std::sin(2 * Pi * 2.0 * f * t);
            if (3.0 * f < 0.45 * Rate) v += 0.12 * std::sin(2 * Pi * 3.0 * f * t);
            w[static_cast<size_t>(i)] += 0.45 * env * v;
        }
    }
    for (int i = 0; i < N; ++i) {
        double tail = std::min(1.0, (N - 1 - i) / 200.0);
        w[static_cast<size_t>(i)] *= tail;
    }
    return toPcm(w, 0.95 / peak(w));
}

}  // namespace art
