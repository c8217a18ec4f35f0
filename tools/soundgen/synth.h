#pragma once
// Small synthesis kit for the game's sounds: oscillators, noise, filters and
// envelopes, all working on mono float samples at 44100 Hz in -1..1.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace soundgen {

constexpr int kRate = 44100;
constexpr double kTwoPi = 2.0 * std::numbers::pi;

using Samples = std::vector<float>;

inline int frames_for(double seconds) {
    return static_cast<int>(std::lround(seconds * kRate));
}
inline double time_of(int frame) {
    return static_cast<double>(frame) / kRate;
}

// Deterministic white noise, so that a rebuild gives the same sounds.
class Noise {
  public:
    explicit Noise(std::uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
    float next() {
        state_ ^= state_ >> 12;
        state_ ^= state_ << 25;
        state_ ^= state_ >> 27;
        const std::uint64_t bits = state_ * 0x2545F4914F6CDD1Dull;
        return static_cast<float>(static_cast<double>(bits >> 11) / 4503599627370496.0 - 1.0);
    }
    // Uniform in [lo, hi).
    double uniform(double lo, double hi) { return lo + (hi - lo) * (next() * 0.5 + 0.5); }

  private:
    std::uint64_t state_;
};

// A second-order filter (the usual audio-cookbook forms). Coefficients may be
// changed every sample for sweeps; the state carries over.
class Biquad {
  public:
    void lowpass(double freq, double q) { design(freq, q, Kind::kLow); }
    void highpass(double freq, double q) { design(freq, q, Kind::kHigh); }
    void bandpass(double freq, double q) { design(freq, q, Kind::kBand); }
    float process(float in) {
        const double out = b0_ * in + b1_ * x1_ + b2_ * x2_ - a1_ * y1_ - a2_ * y2_;
        x2_ = x1_;
        x1_ = in;
        y2_ = y1_;
        y1_ = out;
        return static_cast<float>(out);
    }

  private:
    enum class Kind { kLow, kHigh, kBand };
    void design(double freq, double q, Kind kind) {
        const double w = kTwoPi * std::min(freq, kRate * 0.45) / kRate;
        const double alpha = std::sin(w) / (2.0 * q);
        const double c = std::cos(w);
        const double a0 = 1.0 + alpha;
        switch (kind) {
            case Kind::kLow:
                b0_ = (1.0 - c) / 2.0;
                b1_ = 1.0 - c;
                b2_ = b0_;
                break;
            case Kind::kHigh:
                b0_ = (1.0 + c) / 2.0;
                b1_ = -(1.0 + c);
                b2_ = b0_;
                break;
            case Kind::kBand:  // 0 dB at the centre
                b0_ = alpha;
                b1_ = 0.0;
                b2_ = -alpha;
                break;
        }
        b0_ /= a0;
        b1_ /= a0;
        b2_ /= a0;
        a1_ = -2.0 * c / a0;
        a2_ = (1.0 - alpha) / a0;
    }
    double b0_ = 1, b1_ = 0, b2_ = 0, a1_ = 0, a2_ = 0;
    double x1_ = 0, x2_ = 0, y1_ = 0, y2_ = 0;
};

// A phase accumulator in cycles; frequency may change every sample.
class Phase {
  public:
    double advance(double freq) {
        const double now = phase_;
        phase_ += freq / kRate;
        phase_ -= std::floor(phase_);
        return now;
    }

  private:
    double phase_ = 0.0;
};

inline double sine(double phase) {
    return std::sin(kTwoPi * phase);
}

// A rounder, toy-like tone than a square: odd harmonics falling fast.
inline double soft_square(double phase, double freq) {
    double sum = 0.0;
    for (int k = 1; k <= 9 && k * freq < kRate * 0.4; k += 2) {
        sum += sine(phase * k) / (k * k * 0.6 + 0.4);
    }
    return sum;
}

// A band-limited sawtooth (harmonics up to 8 kHz), for brassy toy horns.
inline double soft_saw(double phase, double freq) {
    double sum = 0.0;
    for (int k = 1; k <= 30 && k * freq < 8000.0; ++k) sum += sine(phase * k) / k;
    return sum * 0.6;
}

inline double exp_decay(double t, double tau) {
    return t < 0.0 ? 0.0 : std::exp(-t / tau);
}

// 0 before `start`, rising smoothly to 1 over `length` seconds.
inline double ramp_up(double t, double start, double length) {
    if (t <= start) return 0.0;
    if (t >= start + length) return 1.0;
    const double x = (t - start) / length;
    return x * x * (3.0 - 2.0 * x);
}

// 1 until `start`, falling smoothly to 0 over `length` seconds.
inline double ramp_down(double t, double start, double length) {
    return 1.0 - ramp_up(t, start, length);
}

// An exponential glide from `from` to `to` over `length` seconds, then held.
inline double glide(double t, double from, double to, double length) {
    const double x = std::clamp(t / length, 0.0, 1.0);
    return from * std::pow(to / from, x);
}

// Adds `source` into `target` starting at `offset` seconds, scaled by `gain`.
inline void mix_into(Samples& target, const Samples& source, double offset, double gain) {
    const int start = frames_for(offset);
    if (target.size() < start + source.size()) target.resize(start + source.size(), 0.0f);
    for (std::size_t i = 0; i < source.size(); ++i) {
        target[start + i] += static_cast<float>(source[i] * gain);
    }
}

// A gentle saturation that rounds the loudest peaks off instead of clipping.
inline float saturate(float x, float drive) {
    return static_cast<float>(std::tanh(x * drive) / std::tanh(drive));
}

}  // namespace soundgen
