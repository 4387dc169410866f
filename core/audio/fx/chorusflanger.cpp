#include "core/audio/fx/chorusflanger.h"

namespace tv::audio::fx {
namespace {

constexpr float kChorusMaxDelayMs = 20.0f;
constexpr float kFlangerMaxDelayMs = 4.0f;

// Both records share their field names; only the delay range differs.
template <typename Params>
Params Limited(const Params& p, float maxDelayMs) {
    const Params defaults;
    Params out;
    out.fWetDryMix = ClampParam(p.fWetDryMix, 0.0f, 100.0f, defaults.fWetDryMix);
    out.fDepth = ClampParam(p.fDepth, 0.0f, 100.0f, defaults.fDepth);
    out.fFeedback = ClampParam(p.fFeedback, -99.0f, 99.0f, defaults.fFeedback);
    out.fFrequency = ClampParam(p.fFrequency, 0.0f, 10.0f, defaults.fFrequency);
    out.lWaveform = ClampParam(p.lWaveform, 0, 1);
    out.fDelay = ClampParam(p.fDelay, 0.0f, maxDelayMs, defaults.fDelay);
    out.lPhase = ClampParam(p.lPhase, 0, 4);
    return out;
}

// The chorus's long delay comb-filters the mix with notches among the notes of a chord, so its
// wet part is raised (see ModulationSettings); the flanger's sweep is meant to be heard.
template <typename Params>
ModulationSettings SettingsOf(const Params& p, bool fullWetAtHalfMix) {
    return {p.fWetDryMix, p.fDepth, p.fFeedback, p.fFrequency,
            p.lWaveform,  p.fDelay, p.lPhase,    fullWetAtHalfMix};
}

}  // namespace

Chorus::Chorus(int sampleRate) : m_delay(sampleRate, kChorusMaxDelayMs) {
    m_delay.Configure(SettingsOf(m_params, true), true);
}

bool Chorus::SetParams(const FxParams& params) {
    const auto* p = std::get_if<ChorusParams>(&params);
    if (!p)
        return false;
    m_params = Limited(*p, kChorusMaxDelayMs);
    m_delay.Configure(SettingsOf(m_params, true), false);
    return true;
}

Flanger::Flanger(int sampleRate) : m_delay(sampleRate, kFlangerMaxDelayMs) {
    m_delay.Configure(SettingsOf(m_params, false), true);
}

bool Flanger::SetParams(const FxParams& params) {
    const auto* p = std::get_if<FlangerParams>(&params);
    if (!p)
        return false;
    m_params = Limited(*p, kFlangerMaxDelayMs);
    m_delay.Configure(SettingsOf(m_params, false), false);
    return true;
}

}  // namespace tv::audio::fx
