#pragma once

// The spectrum of the last 1024 output frames: a Hann window, a 1024-point FFT through
// libavutil's av_tx, and 512 magnitudes scaled so that a full-scale sine centred on a bin
// reads 1.0 there.
//
// Threads: one user at a time (the engine calls it from the user-interface thread).

#include <vector>

extern "C" {
#include <libavutil/tx.h>
}

namespace tv::audio {

class SpectrumFft {
public:
    static constexpr int kSize = 1024;
    static constexpr int kBins = kSize / 2;

    SpectrumFft();
    ~SpectrumFft();
    SpectrumFft(const SpectrumFft&) = delete;
    SpectrumFft& operator=(const SpectrumFft&) = delete;

    // `mono` holds kSize samples, oldest first; writes kBins magnitudes to `magnitudes`.
    // false when the transform could not be set up (the output is then untouched).
    bool Compute(const float* mono, float* magnitudes);

private:
    AVTXContext* m_tx = nullptr;
    av_tx_fn m_fn = nullptr;
    std::vector<float> m_window;
    // av_tx's SIMD code wants its buffers aligned as av_malloc aligns them.
    AVComplexFloat* m_in = nullptr;
    AVComplexFloat* m_out = nullptr;
};

}  // namespace tv::audio
