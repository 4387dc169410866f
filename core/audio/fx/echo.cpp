#include "core/audio/fx/echo.h"

#include <algorithm>
#include <cmath>

namespace tv::audio::fx {
namespace {
constexpr float kMaxDelayMs = 2000.0f;
}

Echo::Echo(int sampleRate) : m_sampleRate(sampleRate), m_fadeLength(std::max(1, sampleRate / 50)) {
    m_size = static_cast<int>(std::ceil(kMaxDelayMs * sampleRate / 1000.0)) + 2;
    for (auto& line : m_line)
        line.assign(m_size, 0.0f);
    m_mix.Init(sampleRate);
    m_feedback.Init(sampleRate);
    Configure(true);
}

void Echo::Configure(bool immediately) {
    const double mix = m_params.fWetDryMix / 100.0;
    const double feedback = m_params.fFeedback / 100.0;
    if (immediately) {
        m_mix.Jump(mix);
        m_feedback.Jump(feedback);
    } else {
        m_mix.SetTarget(mix);
        m_feedback.SetTarget(feedback);
    }
    const int delays[2] = {
        static_cast<int>(std::lround(m_params.fLeftDelay * m_sampleRate / 1000.0)),
        static_cast<int>(std::lround(m_params.fRightDelay * m_sampleRate / 1000.0))};
    const bool changed = delays[0] != m_delay[0] || delays[1] != m_delay[1];
    if (changed && !immediately) {
        m_oldDelay[0] = m_delay[0];
        m_oldDelay[1] = m_delay[1];
        m_fadeLeft = m_fadeLength;
    }
    m_delay[0] = std::clamp(delays[0], 1, m_size - 1);
    m_delay[1] = std::clamp(delays[1], 1, m_size - 1);
    m_pan = m_params.lPanDelay != 0;
    if (immediately)
        m_inScale = std::sqrt(std::max(0.0, 1.0 - feedback * feedback));
}

float Echo::Tap(int line, int delay) const {
    int pos = m_write - delay;
    if (pos < 0)
        pos += m_size;
    return m_line[line][pos];
}

void Echo::Process(float* frames, int count) {
    const DenormalGuard flushSubnormals;
    const bool settled = m_mix.Settled() && m_feedback.Settled();
    for (int i = 0; i < count; ++i) {
        const double mix = settled ? m_mix.Value() : m_mix.Next();
        const double feedback = settled ? m_feedback.Value() : m_feedback.Next();
        const double inScale =
            settled ? m_inScale : std::sqrt(std::max(0.0, 1.0 - feedback * feedback));
        float delayed[2];
        for (int ch = 0; ch < 2; ++ch) {
            const int line = m_pan ? 1 - ch : ch;
            delayed[ch] = Tap(line, m_delay[line]);
            if (m_fadeLeft > 0) {
                const float w = static_cast<float>(m_fadeLeft) / static_cast<float>(m_fadeLength);
                delayed[ch] += (Tap(line, m_oldDelay[line]) - delayed[ch]) * w;
            }
        }
        if (m_fadeLeft > 0)
            --m_fadeLeft;
        for (int ch = 0; ch < 2; ++ch) {
            const float in = frames[2 * i + ch];
            m_line[ch][m_write] = static_cast<float>(in * inScale + delayed[ch] * feedback);
            frames[2 * i + ch] = static_cast<float>(in + (delayed[ch] - in) * mix);
        }
        if (++m_write == m_size)
            m_write = 0;
    }
    const double fb = m_feedback.Value();
    m_inScale = std::sqrt(std::max(0.0, 1.0 - fb * fb));
}

void Echo::Reset() {
    for (auto& line : m_line)
        std::fill(line.begin(), line.end(), 0.0f);
    m_write = 0;
    m_fadeLeft = 0;
}

bool Echo::SetParams(const FxParams& params) {
    const auto* p = std::get_if<EchoParams>(&params);
    if (!p)
        return false;
    const EchoParams defaults;
    m_params.fWetDryMix = ClampParam(p->fWetDryMix, 0.0f, 100.0f, defaults.fWetDryMix);
    m_params.fFeedback = ClampParam(p->fFeedback, 0.0f, 100.0f, defaults.fFeedback);
    m_params.fLeftDelay = ClampParam(p->fLeftDelay, 1.0f, kMaxDelayMs, defaults.fLeftDelay);
    m_params.fRightDelay = ClampParam(p->fRightDelay, 1.0f, kMaxDelayMs, defaults.fRightDelay);
    m_params.lPanDelay = ClampParam(p->lPanDelay, 0, 1);
    Configure(false);
    return true;
}

}  // namespace tv::audio::fx
