#include "core/audio/fx/modulateddelay.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace tv::audio::fx {
namespace {

// One turn of a sine, read with linear interpolation: the oscillator is slow, and a table
// is much cheaper than two sine calls per frame.
constexpr int kSineSteps = 2048;
const std::array<double, kSineSteps + 1>& SineTable() {
    static const auto table = [] {
        std::array<double, kSineSteps + 1> t{};
        for (int i = 0; i <= kSineSteps; ++i)
            t[i] = std::sin(2.0 * std::numbers::pi * i / kSineSteps);
        return t;
    }();
    return table;
}

}  // namespace

ModulatedDelay::ModulatedDelay(int sampleRate, float maxDelayMs) : m_sampleRate(sampleRate) {
    // The taps reach at most one and a half base delays back, plus room for interpolation.
    const int needed = static_cast<int>(std::ceil(maxDelayMs * 1.5 * sampleRate / 1000.0)) + 4;
    int size = 1;
    while (size < needed)
        size <<= 1;
    m_mask = size - 1;
    for (auto& line : m_line)
        line.assign(size, 0.0f);
    for (Smoothed* s : {&m_mix, &m_wetWeight, &m_feedback, &m_rightOffset})
        s->Init(sampleRate);
    // Moving taps change the pitch while they move; a slow glide keeps that inaudible.
    m_baseDelay.Init(sampleRate, 0.05);
    m_swing.Init(sampleRate, 0.05);
    SineTable();
}

void ModulatedDelay::Configure(const ModulationSettings& s, bool immediately) {
    const double base = s.delayMs * m_sampleRate / 1000.0;
    const double mix = s.wetDryMix / 100.0;
    // Half dry and half of a moving, delayed copy comb-filters steady music: its partials fall
    // on average 3 dB, and 6 dB on the notches. With the wet part at full weight from an even
    // mix up, a chord lands within 3 dB of dry wherever its partials fall, and noise 1.5 dB up.
    const double wetWeight = s.fullWetAtHalfMix ? std::min(1.0, 2.0 * mix) : mix;
    // The right tap's oscillator runs a number of quarter turns ahead of the left one.
    const double targets[] = {mix,
                              wetWeight,
                              s.feedback / 100.0,
                              base,
                              s.depth / 100.0 * base / 2.0,
                              (s.phase - 2) * 0.25};
    Smoothed* smoothers[] = {&m_mix,       &m_wetWeight, &m_feedback,
                             &m_baseDelay, &m_swing,     &m_rightOffset};
    for (int i = 0; i < 6; ++i) {
        if (immediately)
            smoothers[i]->Jump(targets[i]);
        else
            smoothers[i]->SetTarget(targets[i]);
    }
    m_lfoStep = s.frequency / m_sampleRate;
    m_waveform = s.waveform;
}

double ModulatedDelay::Oscillator(double phase) const {
    phase -= std::floor(phase);
    if (m_waveform == 0)
        return 1.0 - 4.0 * std::abs(phase - 0.5);  // triangle, -1..1
    const double x = phase * kSineSteps;
    const int i = static_cast<int>(x);
    const auto& t = SineTable();
    return t[i] + (t[i + 1] - t[i]) * (x - i);
}

void ModulatedDelay::Process(float* frames, int count) {
    const DenormalGuard flushSubnormals;
    const bool settled = m_mix.Settled() && m_wetWeight.Settled() && m_feedback.Settled() &&
                         m_baseDelay.Settled() && m_swing.Settled() && m_rightOffset.Settled();
    if (settled)
        Run<false>(frames, count);
    else
        Run<true>(frames, count);
}

template <bool kGliding>
void ModulatedDelay::Run(float* frames, int count) {
    const int size = m_mask + 1;
    double mix = m_mix.Value(), wetWeight = m_wetWeight.Value();
    double feedback = m_feedback.Value(), base = m_baseDelay.Value();
    double swing = m_swing.Value(), offset = m_rightOffset.Value();
    for (int i = 0; i < count; ++i) {
        if constexpr (kGliding) {
            mix = m_mix.Next();
            wetWeight = m_wetWeight.Next();
            feedback = m_feedback.Next();
            base = m_baseDelay.Next();
            swing = m_swing.Next();
            offset = m_rightOffset.Next();
        }
        const double lfo[2] = {Oscillator(m_lfoPhase), Oscillator(m_lfoPhase + offset + 1.0)};
        // The feedback is taken at the base delay, at least one sample back.
        const int fbDelay = std::max(1, static_cast<int>(base + 0.5));
        for (int ch = 0; ch < 2; ++ch) {
            float* line = m_line[ch].data();
            const float in = frames[2 * i + ch];
            const float fed = line[(m_write - fbDelay + size) & m_mask];
            line[m_write] = in + static_cast<float>(feedback) * fed;
            const double delay = std::clamp(base + lfo[ch] * swing, 0.0, size - 2.0);
            const int whole = static_cast<int>(delay);
            const double frac = delay - whole;
            const float a = line[(m_write - whole + size) & m_mask];
            const float b = line[(m_write - whole - 1 + size) & m_mask];
            const double wet = a + (b - a) * frac;
            frames[2 * i + ch] = static_cast<float>(in * (1.0 - mix) + wet * wetWeight);
        }
        m_write = (m_write + 1) & m_mask;
        m_lfoPhase += m_lfoStep;
        if (m_lfoPhase >= 1.0)
            m_lfoPhase -= 1.0;
    }
}

void ModulatedDelay::Reset() {
    for (auto& line : m_line)
        std::fill(line.begin(), line.end(), 0.0f);
    m_write = 0;
    m_lfoPhase = 0;
}

}  // namespace tv::audio::fx
