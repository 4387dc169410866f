#include "core/audio/fx/reverb.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tv::audio::fx {
namespace {

constexpr double kBaseDelayMs = 45.0;
constexpr float kAllpassCoeff = 0.618f;
// Allpass lengths per side and stage; the sides differ slightly so the tail is wide.
constexpr double kAllpassMs[2][2] = {{5.1, 1.7}, {5.7, 1.3}};
// The darkest damping still lets the body of the sound through the loops.
constexpr double kMaxDamping = 0.7;

double LineDelaySamples(int k, int sampleRate) {
    return std::round(kBaseDelayMs * std::pow(2.0, k / 4.0) * sampleRate / 1000.0);
}

// Power gain of the wet path for a steady signal with equal power per octave (pink noise),
// from 20 Hz to the top of the band. Each side feeds two of the lines at half level and reads
// two at half level, so the first pass carries 1/8 of the power; the orthogonal mixing keeps
// the energy in the network, which each pass then scales by the loop's |G(w)|^2, so the tail
// sums to 1/8 / (1 - |G(w)|^2) at each frequency. The allpass stages keep the power.
double PinkWetPowerGain(const double (&gain)[Reverb::kLines],
                        const double (&damping)[Reverb::kLines], int sampleRate) {
    constexpr int kPoints = 64;
    const double low = 20.0, high = 0.45 * sampleRate;
    double sum = 0.0;
    for (int i = 0; i < kPoints; ++i) {
        const double hz = low * std::pow(high / low, (i + 0.5) / kPoints);
        const double c = std::cos(2.0 * std::numbers::pi * hz / sampleRate);
        double lines = 0.0;
        for (int k = 0; k < Reverb::kLines; ++k) {
            const double a = damping[k];
            const double loop =
                gain[k] * gain[k] * (1.0 - a) * (1.0 - a) / (1.0 - 2.0 * a * c + a * a);
            lines += 0.125 / std::max(1e-6, 1.0 - loop);
        }
        sum += lines / Reverb::kLines;
    }
    return sum / kPoints;
}

}  // namespace

float Reverb::Allpass::Run(float x) {
    const float delayed = buffer[pos];
    const float w = x + kAllpassCoeff * delayed;
    buffer[pos] = w;
    if (++pos == static_cast<int>(buffer.size()))
        pos = 0;
    return delayed - kAllpassCoeff * w;
}

Reverb::Reverb(int sampleRate) : m_sampleRate(sampleRate) {
    for (int k = 0; k < kLines; ++k) {
        m_lines[k].assign(static_cast<size_t>(LineDelaySamples(k, sampleRate)), 0.0f);
        m_loopGain[k].Init(sampleRate);
        m_damping[k].Init(sampleRate);
    }
    for (int side = 0; side < 2; ++side)
        for (int stage = 0; stage < 2; ++stage)
            m_allpass[side][stage].buffer.assign(
                std::max<size_t>(1, std::lround(kAllpassMs[side][stage] * sampleRate / 1000.0)),
                0.0f);
    m_dry.Init(sampleRate);
    m_wet.Init(sampleRate);
    Configure(true);
}

void Reverb::Configure(bool immediately) {
    const double seconds = m_params.fReverbTime / 1000.0;
    auto set = [immediately](Smoothed& s, double v) {
        if (immediately)
            s.Jump(v);
        else
            s.SetTarget(v);
    };
    double gains[kLines], dampings[kLines];
    for (int k = 0; k < kLines; ++k) {
        const double d = static_cast<double>(m_lines[k].size());
        const double gain = std::pow(10.0, -3.0 * d / (m_sampleRate * seconds));
        const double highGain =
            std::pow(10.0, -3.0 * d / (m_sampleRate * seconds * m_params.fHighFreqRTRatio));
        // One-pole low-pass (1-a)/(1 - a z^-1): unity at DC, (1-a)/(1+a) at Nyquist, which is
        // where the loop should lose the extra (highGain / gain).
        const double q = gain > 0.0 ? highGain / gain : 0.0;
        gains[k] = gain;
        dampings[k] = std::min(kMaxDamping, (1.0 - q) / (1.0 + q));
        set(m_loopGain[k], gains[k]);
        set(m_damping[k], dampings[k]);
    }
    // The wet path is brought to unity for a steady signal, so fully wet sounds as loud as dry.
    const double wetMakeUp = 1.0 / std::sqrt(PinkWetPowerGain(gains, dampings, m_sampleRate));
    const double in = DbToGain(m_params.fInGain);
    const double m = std::pow(10.0, m_params.fReverbMix / 10.0);
    set(m_dry, std::sqrt(std::max(0.0, 1.0 - m)) * in);
    set(m_wet, std::sqrt(m) * in * wetMakeUp);
}

void Reverb::Process(float* frames, int count) {
    const DenormalGuard flushSubnormals;
    bool settled = m_dry.Settled() && m_wet.Settled();
    for (int k = 0; k < kLines; ++k)
        settled = settled && m_loopGain[k].Settled() && m_damping[k].Settled();
    if (settled)
        Run<false>(frames, count);
    else
        Run<true>(frames, count);
}

template <bool kGliding>
void Reverb::Run(float* frames, int count) {
    float gain[kLines], damping[kLines];
    for (int k = 0; k < kLines; ++k) {
        gain[k] = static_cast<float>(m_loopGain[k].Value());
        damping[k] = static_cast<float>(m_damping[k].Value());
    }
    float dry = static_cast<float>(m_dry.Value()), wet = static_cast<float>(m_wet.Value());
    for (int i = 0; i < count; ++i) {
        if constexpr (kGliding) {
            for (int k = 0; k < kLines; ++k) {
                gain[k] = static_cast<float>(m_loopGain[k].Next());
                damping[k] = static_cast<float>(m_damping[k].Next());
            }
            dry = static_cast<float>(m_dry.Next());
            wet = static_cast<float>(m_wet.Next());
        }
        const float inL = frames[2 * i], inR = frames[2 * i + 1];
        float out[kLines];
        for (int k = 0; k < kLines; ++k)
            out[k] = m_lines[k][m_pos[k]];
        // Hadamard mixing (orthogonal after the 1/2), so the loop gains alone set the decay.
        const float h[kLines] = {
            0.5f * (out[0] + out[1] + out[2] + out[3]), 0.5f * (out[0] - out[1] + out[2] - out[3]),
            0.5f * (out[0] + out[1] - out[2] - out[3]), 0.5f * (out[0] - out[1] - out[2] + out[3])};
        const float feed[kLines] = {inL, inR, inL, inR};
        for (int k = 0; k < kLines; ++k) {
            m_damped[k] = (1.0f - damping[k]) * h[k] + damping[k] * m_damped[k];
            m_lines[k][m_pos[k]] = 0.5f * feed[k] + gain[k] * m_damped[k];
            if (++m_pos[k] == static_cast<int>(m_lines[k].size()))
                m_pos[k] = 0;
        }
        float wetL = 0.5f * (out[0] + out[2]);
        float wetR = 0.5f * (out[1] + out[3]);
        for (int stage = 0; stage < 2; ++stage) {
            wetL = m_allpass[0][stage].Run(wetL);
            wetR = m_allpass[1][stage].Run(wetR);
        }
        frames[2 * i] = inL * dry + wetL * wet;
        frames[2 * i + 1] = inR * dry + wetR * wet;
    }
}

void Reverb::Reset() {
    for (auto& line : m_lines)
        std::fill(line.begin(), line.end(), 0.0f);
    m_pos.fill(0);
    m_damped.fill(0.0f);
    for (auto& side : m_allpass)
        for (auto& ap : side) {
            std::fill(ap.buffer.begin(), ap.buffer.end(), 0.0f);
            ap.pos = 0;
        }
}

bool Reverb::SetParams(const FxParams& params) {
    const auto* p = std::get_if<ReverbParams>(&params);
    if (!p)
        return false;
    const ReverbParams defaults;
    m_params.fInGain = ClampParam(p->fInGain, -96.0f, 0.0f, defaults.fInGain);
    m_params.fReverbMix = ClampParam(p->fReverbMix, -96.0f, 0.0f, defaults.fReverbMix);
    m_params.fReverbTime = ClampParam(p->fReverbTime, 0.001f, 3000.0f, defaults.fReverbTime);
    m_params.fHighFreqRTRatio =
        ClampParam(p->fHighFreqRTRatio, 0.001f, 0.999f, defaults.fHighFreqRTRatio);
    Configure(false);
    return true;
}

}  // namespace tv::audio::fx
