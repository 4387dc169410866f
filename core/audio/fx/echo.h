#pragma once

// The echo: one delay line per side. Each side stores its input, scaled so that the whole
// loop keeps its energy, plus the delayed signal times the feedback, and plays the input mixed
// with the delayed signal. With pan delay each side reads the other side's line, so the
// repeats swap sides.

#include <vector>

#include "core/audio/effect.h"
#include "core/audio/fx/fxutil.h"

namespace tv::audio::fx {

class Echo final : public Effect {
public:
    explicit Echo(int sampleRate);

    void Process(float* frames, int count) override;
    void Reset() override;
    bool SetParams(const FxParams& params) override;
    FxParams GetParams() const override { return m_params; }

private:
    void Configure(bool immediately);
    float Tap(int line, int delay) const;

    int m_sampleRate;
    EchoParams m_params;
    std::vector<float> m_line[2];
    int m_size = 0;
    int m_write = 0;
    bool m_pan = false;
    Smoothed m_mix, m_feedback;
    double m_inScale = 0;  // sqrt(1 - feedback^2) of the settled feedback
    // A new delay is reached by cross-fading from the old read position.
    int m_delay[2] = {0, 0};
    int m_oldDelay[2] = {0, 0};
    int m_fadeLeft = 0;
    int m_fadeLength;
};

}  // namespace tv::audio::fx
