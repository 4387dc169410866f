#pragma once

// The modulated delay that the chorus and the flanger share: a delay line with feedback
// whose left and right read taps swing around the base delay under a low-frequency
// oscillator. The two effects differ only in their parameter records and ranges.

#include <vector>

#include "core/audio/fx/fxutil.h"

namespace tv::audio::fx {

struct ModulationSettings {
    float wetDryMix = 50;  // %, 100 = all wet
    float depth = 10;      // % of the base delay that the taps swing
    float feedback = 25;   // %, may be negative
    float frequency = 1;   // Hz of the oscillator
    int waveform = 1;      // 0 triangle, 1 sine
    float delayMs = 16;    // base delay
    int phase = 2;         // 0 -180, 1 -90, 2 0, 3 +90, 4 +180 degrees, right against left
    // Weight of the wet path: false mixes dry + (wet - dry) x mix; true leaves the dry part as
    // it is and raises the wet part to min(1, 2 x mix), so an even mix keeps music at its level.
    bool fullWetAtHalfMix = false;
};

class ModulatedDelay {
public:
    // `maxDelayMs` is the largest base delay the effect accepts.
    ModulatedDelay(int sampleRate, float maxDelayMs);

    void Configure(const ModulationSettings& s, bool immediately);
    void Process(float* frames, int count);
    void Reset();

private:
    double Oscillator(double phase) const;
    template <bool kGliding>
    void Run(float* frames, int count);

    int m_sampleRate;
    std::vector<float> m_line[2];
    int m_mask = 0;
    int m_write = 0;
    double m_lfoPhase = 0;  // 0..1, left tap
    double m_lfoStep = 0;
    int m_waveform = 1;
    Smoothed m_mix, m_wetWeight, m_feedback, m_baseDelay, m_swing, m_rightOffset;
};

}  // namespace tv::audio::fx
