#pragma once

// The chorus and the flanger: the same modulated delay behind two parameter records.

#include "core/audio/effect.h"
#include "core/audio/fx/modulateddelay.h"

namespace tv::audio::fx {

class Chorus final : public Effect {
public:
    explicit Chorus(int sampleRate);
    void Process(float* frames, int count) override { m_delay.Process(frames, count); }
    void Reset() override { m_delay.Reset(); }
    bool SetParams(const FxParams& params) override;
    FxParams GetParams() const override { return m_params; }

private:
    ChorusParams m_params;
    ModulatedDelay m_delay;
};

class Flanger final : public Effect {
public:
    explicit Flanger(int sampleRate);
    void Process(float* frames, int count) override { m_delay.Process(frames, count); }
    void Reset() override { m_delay.Reset(); }
    bool SetParams(const FxParams& params) override;
    FxParams GetParams() const override { return m_params; }

private:
    FlangerParams m_params;
    ModulatedDelay m_delay;
};

}  // namespace tv::audio::fx
