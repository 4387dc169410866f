#pragma once

// The parametric equalizer: one peaking biquad per side, after the well-known cookbook
// formulas, with the bandwidth given in semitones.

#include <array>

#include "core/audio/effect.h"

namespace tv::audio::fx {

// Peaking-filter coefficients, normalised so that a0 = 1.
struct BiquadCoeffs {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
};

// Coefficients for a peak of `gainDb` at `centerHz` (limited to a third of the rate) that is
// `bandwidthSemitones` wide, at `sampleRate`.
BiquadCoeffs PeakingCoeffs(double centerHz, double bandwidthSemitones, double gainDb,
                           int sampleRate);

// Magnitude of the filter's response at `hz`, in dB.
double ResponseDb(const BiquadCoeffs& c, double hz, int sampleRate);

class ParamEq final : public Effect {
public:
    explicit ParamEq(int sampleRate);

    void Process(float* frames, int count) override;
    void Reset() override;
    bool SetParams(const FxParams& params) override;
    FxParams GetParams() const override { return m_params; }

private:
    struct State {
        double z1 = 0, z2 = 0;
    };
    static float Run(const BiquadCoeffs& c, State& s, float x);

    int m_sampleRate;
    ParamEqParams m_params;
    BiquadCoeffs m_coeffs;
    std::array<State, 2> m_state;
    // A change of parameters cross-fades from the old filter to the new one over a short
    // ramp; both filters run from the same state during it.
    BiquadCoeffs m_oldCoeffs;
    std::array<State, 2> m_oldState;
    int m_fadeLeft = 0;
    int m_fadeLength;
};

}  // namespace tv::audio::fx
