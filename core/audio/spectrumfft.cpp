#include "core/audio/spectrumfft.h"

#include <cmath>
#include <numbers>

extern "C" {
#include <libavutil/mem.h>
}

namespace tv::audio {

SpectrumFft::SpectrumFft()
    : m_window(kSize),
      m_in(static_cast<AVComplexFloat*>(av_malloc_array(kSize, sizeof(AVComplexFloat)))),
      m_out(static_cast<AVComplexFloat*>(av_malloc_array(kSize, sizeof(AVComplexFloat)))) {
    const float scale = 1.0f;
    if (!m_in || !m_out || av_tx_init(&m_tx, &m_fn, AV_TX_FLOAT_FFT, 0, kSize, &scale, 0) < 0)
        m_tx = nullptr;
    for (int i = 0; i < kSize; ++i)
        m_window[static_cast<size_t>(i)] =
            0.5f * (1.0f - std::cos(2.0f * std::numbers::pi_v<float> * i / kSize));
}

SpectrumFft::~SpectrumFft() {
    av_tx_uninit(&m_tx);
    av_free(m_in);
    av_free(m_out);
}

bool SpectrumFft::Compute(const float* mono, float* magnitudes) {
    if (!m_tx)
        return false;
    for (size_t i = 0; i < kSize; ++i)
        m_in[i] = AVComplexFloat{mono[i] * m_window[i], 0.0f};
    m_fn(m_tx, m_out, m_in, sizeof(AVComplexFloat));
    // The window's sum is kSize / 2; a sine of amplitude 1 puts half its energy in each of
    // its two mirrored bins, so |X| * 2 / (kSize / 2) gives 1.0 at the bin centre.
    constexpr float kScale = 4.0f / kSize;
    for (size_t k = 0; k < kBins; ++k)
        magnitudes[k] = std::hypot(m_out[k].re, m_out[k].im) * kScale;
    return true;
}

}  // namespace tv::audio
