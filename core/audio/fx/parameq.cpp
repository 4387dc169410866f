#include "core/audio/fx/parameq.h"

#include <cmath>
#include <complex>
#include <numbers>

#include "core/audio/fx/fxutil.h"

namespace tv::audio::fx {

BiquadCoeffs PeakingCoeffs(double centerHz, double bandwidthSemitones, double gainDb,
                           int sampleRate) {
    const double fs = sampleRate;
    const double f0 = std::min(centerHz, fs / 3.0);
    const double a = std::pow(10.0, gainDb / 40.0);
    const double w0 = 2.0 * std::numbers::pi * f0 / fs;
    const double bwOctaves = bandwidthSemitones / 12.0;
    const double sinW0 = std::sin(w0);
    const double alpha = sinW0 * std::sinh(std::numbers::ln2 / 2.0 * bwOctaves * w0 / sinW0);
    const double cosW0 = std::cos(w0);
    const double a0 = 1.0 + alpha / a;
    BiquadCoeffs c;
    c.b0 = (1.0 + alpha * a) / a0;
    c.b1 = -2.0 * cosW0 / a0;
    c.b2 = (1.0 - alpha * a) / a0;
    c.a1 = -2.0 * cosW0 / a0;
    c.a2 = (1.0 - alpha / a) / a0;
    return c;
}

double ResponseDb(const BiquadCoeffs& c, double hz, int sampleRate) {
    const std::complex<double> z1 = std::polar(1.0, -2.0 * std::numbers::pi * hz / sampleRate);
    const std::complex<double> z2 = z1 * z1;
    const std::complex<double> h = (c.b0 + c.b1 * z1 + c.b2 * z2) / (1.0 + c.a1 * z1 + c.a2 * z2);
    return 20.0 * std::log10(std::abs(h));
}

ParamEq::ParamEq(int sampleRate)
    : m_sampleRate(sampleRate), m_fadeLength(std::max(1, sampleRate / 200)) {
    m_coeffs = PeakingCoeffs(m_params.fCenter, m_params.fBandwidth, m_params.fGain, sampleRate);
}

// Transposed direct form II in double precision: low centres at high rates need it.
float ParamEq::Run(const BiquadCoeffs& c, State& s, float x) {
    const double y = c.b0 * x + s.z1;
    s.z1 = c.b1 * x - c.a1 * y + s.z2;
    s.z2 = c.b2 * x - c.a2 * y;
    return static_cast<float>(y);
}

void ParamEq::Process(float* frames, int count) {
    const DenormalGuard flushSubnormals;
    int i = 0;
    for (; i < count && m_fadeLeft > 0; ++i, --m_fadeLeft) {
        const float w = static_cast<float>(m_fadeLeft) / static_cast<float>(m_fadeLength);
        for (int ch = 0; ch < 2; ++ch) {
            float& s = frames[2 * i + ch];
            const float fresh = Run(m_coeffs, m_state[ch], s);
            const float old = Run(m_oldCoeffs, m_oldState[ch], s);
            s = fresh + (old - fresh) * w;
        }
    }
    const BiquadCoeffs c = m_coeffs;
    State l = m_state[0], r = m_state[1];
    for (; i < count; ++i) {
        frames[2 * i] = Run(c, l, frames[2 * i]);
        frames[2 * i + 1] = Run(c, r, frames[2 * i + 1]);
    }
    m_state = {l, r};
}

void ParamEq::Reset() {
    m_state = {};
    m_oldState = {};
    m_fadeLeft = 0;
}

bool ParamEq::SetParams(const FxParams& params) {
    const auto* p = std::get_if<ParamEqParams>(&params);
    if (!p)
        return false;
    ParamEqParams next;
    next.fCenter = ClampParam(p->fCenter, 80.0f, 16000.0f, 8000.0f);
    next.fBandwidth = ClampParam(p->fBandwidth, 1.0f, 36.0f, 12.0f);
    next.fGain = ClampParam(p->fGain, -15.0f, 15.0f, 0.0f);
    m_params = next;
    m_oldCoeffs = m_coeffs;
    m_oldState = m_state;
    m_coeffs = PeakingCoeffs(next.fCenter, next.fBandwidth, next.fGain, m_sampleRate);
    m_fadeLeft = m_fadeLength;
    return true;
}

}  // namespace tv::audio::fx
