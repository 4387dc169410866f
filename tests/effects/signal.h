#pragma once

// Test signals and level measurements shared by the DSP tests.

#include <cmath>
#include <complex>
#include <numbers>
#include <random>
#include <vector>

#include "core/audio/effect.h"

namespace tv::testing {

inline constexpr int kRate = 44100;

// `frames` stereo frames of a sine of `amplitude` at `hz` on both sides.
inline std::vector<float> StereoSine(double hz, int frames, double amplitude = 0.25) {
    std::vector<float> out(2 * static_cast<size_t>(frames));
    for (int i = 0; i < frames; ++i) {
        const float v =
            static_cast<float>(amplitude * std::sin(2 * std::numbers::pi * hz * i / kRate));
        out[2 * i] = out[2 * i + 1] = v;
    }
    return out;
}

// `frames` stereo frames of pink noise (equal power per octave, RMS `rms`), the same on
// both sides; a fixed seed keeps every run identical.
inline std::vector<float> StereoPinkNoise(int frames, double rms = 0.1, unsigned seed = 7) {
    std::mt19937 random(seed);
    std::normal_distribution<double> white(0.0, 1.0);
    // Three first-order sections whose sum follows 1/f within half a decibel over the audio
    // band (the usual economy filter).
    double b0 = 0, b1 = 0, b2 = 0;
    std::vector<double> mono(static_cast<size_t>(frames));
    double power = 0;
    for (auto& v : mono) {
        const double w = white(random);
        b0 = 0.99765 * b0 + w * 0.0990460;
        b1 = 0.96300 * b1 + w * 0.2965164;
        b2 = 0.57000 * b2 + w * 1.0526913;
        v = b0 + b1 + b2 + w * 0.1848;
        power += v * v;
    }
    const double scale = rms / std::sqrt(power / std::max(1, frames));
    std::vector<float> out(2 * mono.size());
    for (size_t i = 0; i < mono.size(); ++i)
        out[2 * i] = out[2 * i + 1] = static_cast<float>(mono[i] * scale);
    return out;
}

// RMS of one side over frames [from, to).
inline double Rms(const std::vector<float>& frames, int side, int from, int to) {
    double sum = 0;
    for (int i = from; i < to; ++i)
        sum += double(frames[2 * i + side]) * frames[2 * i + side];
    return std::sqrt(sum / std::max(1, to - from));
}

inline double ToDb(double ratio) {
    return 20.0 * std::log10(ratio);
}

// Runs `effect` over `frames` in blocks of 1024, as the mixing thread does.
inline void ProcessInBlocks(audio::Effect& effect, std::vector<float>& frames) {
    const int total = static_cast<int>(frames.size() / 2);
    for (int at = 0; at < total; at += 1024)
        effect.Process(frames.data() + 2 * at, std::min(1024, total - at));
}

// Magnitude in dB at `hz` of a cookbook peaking filter at `f0` (9 semitones unless told),
// evaluated independently of the effect's own code.
inline double PeakDb(double f0, double gainDb, double hz, double semitones = 9.0) {
    const double pi = std::numbers::pi;
    const double A = std::pow(10.0, gainDb / 40.0);
    const double w0 = 2 * pi * f0 / kRate;
    const double alpha =
        std::sin(w0) * std::sinh(std::log(2.0) / 2 * semitones / 12 * w0 / std::sin(w0));
    const std::complex<double> z = std::exp(std::complex<double>(0, -2 * pi * hz / kRate));
    const std::complex<double> num =
        (1 + alpha * A) - 2 * std::cos(w0) * z + (1 - alpha * A) * z * z;
    const std::complex<double> den =
        (1 + alpha / A) - 2 * std::cos(w0) * z + (1 - alpha / A) * z * z;
    return 20 * std::log10(std::abs(num / den));
}

}  // namespace tv::testing
