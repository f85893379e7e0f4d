// Synthesis of the demo clip (see DemoClip.h): two bars at 112 beats per minute, then a short
// rest so that the dry signal has stopped well before the file ends.
#include "tools/demo/DemoClip.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kBeatSeconds = 60.0 / 112.0;
constexpr double kStepSeconds = kBeatSeconds / 4.0;  // sixteenth notes
constexpr int kSteps = 32;                           // two bars
constexpr double kRestSeconds = 0.6;

// A small deterministic noise source (linear congruential, upper bits).
class Noise {
public:
    double Next() {
        state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<double>(state_ >> 11) / 4503599627370496.0 - 1.0;  // [-1, 1)
    }

private:
    std::uint64_t state_ = 0x2545F4914F6CDD1Dull;
};

struct Canvas {
    int rate;
    std::vector<double> left, right;

    // Adds a mono voice at `start` seconds, panned from -1 (left) to 1 (right).
    template <typename Voice>
    void Add(double start, double seconds, double pan, Voice voice) {
        const auto first = static_cast<size_t>(start * rate);
        const auto count = static_cast<size_t>(seconds * rate);
        const double gainL = std::cos((pan + 1.0) * kPi / 4.0);
        const double gainR = std::sin((pan + 1.0) * kPi / 4.0);
        for (size_t i = 0; i < count && first + i < left.size(); ++i) {
            const double v = voice(static_cast<double>(i) / rate);
            left[first + i] += v * gainL;
            right[first + i] += v * gainR;
        }
    }
};

void Kick(Canvas& canvas, double start) {
    double phase = 0.0;
    const double dt = 1.0 / canvas.rate;
    canvas.Add(start, 0.45, 0.0, [&](double t) {
        const double frequency = 45.0 + 85.0 * std::exp(-t * 28.0);
        phase += 2.0 * kPi * frequency * dt;
        const double click = t < 0.004 ? (1.0 - t / 0.004) * 0.4 : 0.0;
        return (std::sin(phase) * std::exp(-t * 7.5) + click) * 0.9;
    });
}

void Snare(Canvas& canvas, double start, Noise& noise) {
    double low = 0.0;
    canvas.Add(start, 0.3, 0.1, [&](double t) {
        const double n = noise.Next();
        low += (n - low) * 0.35;  // soften the top of the noise
        const double body = std::sin(2.0 * kPi * 185.0 * t) * std::exp(-t * 30.0);
        return (low * 1.3 * std::exp(-t * 16.0) + body * 0.6) * 0.6;
    });
}

void Hat(Canvas& canvas, double start, double level, Noise& noise) {
    double previous = 0.0;
    canvas.Add(start, 0.06, 0.45, [&](double t) {
        const double n = noise.Next();
        const double high = n - previous;  // first difference: a gentle high-pass
        previous = n;
        return high * std::exp(-t * 70.0) * level;
    });
}

// A plucked string (Karplus-Strong): a burst of noise recirculating through a damped delay.
void Pluck(Canvas& canvas, double start, double frequency, double pan, Noise& noise) {
    const auto period = static_cast<size_t>(canvas.rate / frequency);
    std::vector<double> loop(std::max<size_t>(period, 2));
    for (double& v : loop) v = noise.Next() * 0.5;
    size_t at = 0;
    double previous = 0.0;
    canvas.Add(start, 1.2, pan, [&](double) {
        const double out = loop[at];
        loop[at] = 0.996 * 0.5 * (out + previous);
        previous = out;
        at = (at + 1) % loop.size();
        return out;
    });
}

}  // namespace

std::vector<double> GenerateDemoClip(int sampleRate) {
    Canvas canvas{sampleRate, {}, {}};
    const auto frames = static_cast<size_t>((kSteps * kStepSeconds + kRestSeconds) * sampleRate);
    canvas.left.assign(frames, 0.0);
    canvas.right.assign(frames, 0.0);
    Noise noise;

    const bool kickSteps[16] = {1, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0};
    const bool snareSteps[16] = {0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 1};
    // A minor-pentatonic line, one note per eighth on some steps (Hz, 0 = rest).
    const double line[kSteps] = {220.0, 0, 261.6, 0,     293.7, 0,     0, 329.6, 0, 0, 392.0, 0, 0,
                                 329.6, 0, 293.7, 220.0, 0,     261.6, 0, 293.7, 0, 0, 392.0, 0, 0,
                                 440.0, 0, 392.0, 0,     0,     0};
    for (int step = 0; step < kSteps; ++step) {
        const double t = step * kStepSeconds;
        if (kickSteps[step % 16]) Kick(canvas, t);
        if (snareSteps[step % 16]) Snare(canvas, t, noise);
        Hat(canvas, t, step % 2 == 0 ? 0.35 : 0.18, noise);
        if (line[step] > 0.0) {
            Pluck(canvas, t, line[step], step % 4 < 2 ? -0.5 : 0.5, noise);
        }
    }

    double peak = 0.0;
    for (size_t i = 0; i < frames; ++i) {
        peak = std::max({peak, std::abs(canvas.left[i]), std::abs(canvas.right[i])});
    }
    const double scale = peak > 0.0 ? 0.5 / peak : 0.0;  // -6 dBFS
    std::vector<double> stereo(2 * frames);
    for (size_t i = 0; i < frames; ++i) {
        stereo[2 * i] = canvas.left[i] * scale;
        stereo[2 * i + 1] = canvas.right[i] * scale;
    }
    return stereo;
}
