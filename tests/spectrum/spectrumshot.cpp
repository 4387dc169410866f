// Renders the spectrum display offscreen, fed with the FFT of a synthetic loud multi-tone
// signal, and saves what the widget shows as a PNG.
//
//   tv_spectrum_screenshot OUTPUT.png [mode] [peaks]     (defaults: mode 1, peaks 1)

#include <cmath>
#include <cstdio>
#include <numbers>
#include <vector>

extern "C" {
#include <libavutil/tx.h>
}

#include <QApplication>
#include <QImage>

#include "spectrum/widget/spectrumview.h"
#include "spectrumfake.h"

namespace {

constexpr int kSize = 1024;

struct Tone {
    double hz;
    double amplitude;
};

// The library's analysis: Hann window, 1024-point FFT, magnitudes scaled so that a full-scale
// sine at a bin centre reads about 1.0.
class ToneLibrary : public tv::testing::FakeAudioLibrary {
public:
    ToneLibrary() {
        float scale = 1.0f;
        av_tx_init(&m_tx, &m_fn, AV_TX_FLOAT_FFT, 0, kSize, &scale, 0);
    }
    ~ToneLibrary() override { av_tx_uninit(&m_tx); }

    std::vector<Tone> tones;
    unsigned frame = 0;

    int32_t ChannelGetData(tv::audio::Handle, float* buffer, uint32_t) override {
        std::vector<AVComplexFloat> in(kSize), out(kSize);
        double windowSum = 0.0;
        for (int n = 0; n < kSize; ++n) {
            const double t = (frame * 2205.0 + n) / 44100.0;  // 50 ms between frames
            double sample = 0.0;
            for (const Tone& tone : tones)
                sample += tone.amplitude * std::sin(2.0 * std::numbers::pi * tone.hz * t);
            const double w = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * n / kSize);
            windowSum += w;
            in[n] = {static_cast<float>(sample * w), 0.0f};
        }
        m_fn(m_tx, out.data(), in.data(), sizeof(AVComplexFloat));
        for (int k = 0; k < kSize / 2; ++k)
            buffer[k] = static_cast<float>(std::hypot(out[k].re, out[k].im) * 2.0 / windowSum);
        ++frame;
        return 4096;
    }

private:
    AVTXContext* m_tx = nullptr;
    av_tx_fn m_fn = nullptr;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.png [mode] [peaks]\n", argv[0]);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ToneLibrary lib;
    lib.liveChannels.insert(1);
    tv::spectrum::SpectrumView view(
        lib, [] { return 11; }, [] { return tv::audio::Handle{1}; });
    view.Controller().SetTimerEnabled(false);  // frames are driven below, one per tick
    view.Controller().ApplySpectrumMode(argc > 2 ? std::atoi(argv[2]) : 1);
    view.Controller().ApplyPeak(argc > 3 ? std::atoi(argv[3]) != 0 : true);

    // A chord with a bass line and harmonics, loud for 20 frames, then softer for 4 so that
    // the bars fall below their peaks.
    const std::vector<Tone> loud = {{220, 0.06},   {277, 0.04},   {330, 0.05},   {440, 0.035},
                                    {554, 0.02},   {660, 0.03},   {740, 0.015},  {880, 0.018},
                                    {990, 0.012},  {1100, 0.01},  {1175, 0.012}, {1320, 0.008},
                                    {1760, 0.006}, {2640, 0.004}, {3520, 0.003}};
    for (int i = 0; i < 24; ++i) {
        lib.tones = loud;
        const double gain = i < 20 ? 1.0 + 0.2 * std::sin(i * 0.9) : 0.55;
        for (Tone& t : lib.tones)
            t.amplitude *= gain;
        view.Controller().tmrFFTTimer();
    }
    const QImage shot = view.grab().toImage();
    if (!shot.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
