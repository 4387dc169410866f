#pragma once

// The music reverb: four feedback delay lines of 45 ms times powers of the fourth root of two,
// mixed through an orthogonal matrix, each loop scaled for -60 dB after the reverb time and
// damped by a one-pole low-pass set from the high-frequency ratio; then two allpass stages per
// side. The reverb mix sets the dry and wet shares at constant power; the wet path is made up
// to unity for a steady signal, so the reverb keeps the loudness of the music.

#include <array>
#include <vector>

#include "core/audio/effect.h"
#include "core/audio/fx/fxutil.h"

namespace tv::audio::fx {

class Reverb final : public Effect {
public:
    static constexpr int kLines = 4;

    explicit Reverb(int sampleRate);

    void Process(float* frames, int count) override;
    void Reset() override;
    bool SetParams(const FxParams& params) override;
    FxParams GetParams() const override { return m_params; }

private:
    struct Allpass {
        std::vector<float> buffer;
        int pos = 0;
        float Run(float x);
    };
    void Configure(bool immediately);
    template <bool kGliding>
    void Run(float* frames, int count);

    int m_sampleRate;
    ReverbParams m_params;
    std::array<std::vector<float>, kLines> m_lines;
    std::array<int, kLines> m_pos{};
    std::array<float, kLines> m_damped{};  // low-pass state of each loop
    std::array<Smoothed, kLines> m_loopGain, m_damping;
    std::array<std::array<Allpass, 2>, 2> m_allpass;  // [side][stage]
    Smoothed m_dry, m_wet;
};

}  // namespace tv::audio::fx
