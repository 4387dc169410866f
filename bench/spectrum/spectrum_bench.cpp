// One painter frame against the floor of any painter of this box: clearing a 100 x 24 image
// and copying the background picture onto it. Both run with painters kept open, as in the
// program, so the figures compare drawing work only.

#include <array>
#include <random>

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "spectrum/spectrum.h"
#include "spectrum/spectrumskin.h"

namespace {

using tv::spectrum::FftFrame;
using tv::spectrum::TSpectrum;

constexpr int kWidth = 100;
constexpr int kHeight = 24;

// Eight frames of music-like magnitudes (loud lows, quieter highs) so that bars rise and
// fall from frame to frame.
const std::array<FftFrame, 8>& Frames() {
    static const std::array<FftFrame, 8> frames = [] {
        std::array<FftFrame, 8> out{};
        std::mt19937 random(42);
        std::uniform_real_distribution<float> jitter(0.2f, 1.0f);
        for (FftFrame& f : out)
            for (size_t i = 0; i < f.size(); ++i)
                f[i] = 0.06f * jitter(random) / (1.0f + i / 40.0f);
        return out;
    }();
    return frames;
}

void SpectrumDraw(benchmark::State& state) {
    TSpectrum spectrum(kWidth, kHeight);
    spectrum.SetBackground(true, tv::spectrum::LoadSpectrumBackground());
    spectrum.MaxLevel = kHeight;
    spectrum.BarColor = QColor(64, 64, 64);
    spectrum.PeakColor = QColor(64, 64, 64);
    spectrum.BarFall = 2;
    spectrum.Mode = static_cast<int>(state.range(0));
    spectrum.ShowPeaks = state.range(1) != 0;
    QImage box(kWidth, kHeight, QImage::Format_RGB32);
    QPainter target(&box);
    size_t n = 0;
    for (auto _ : state) {
        spectrum.Draw(&target, Frames()[n++ % Frames().size()], 0, 0);
        benchmark::DoNotOptimize(box.constBits());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(SpectrumDraw)
    ->ArgNames({"mode", "peaks"})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Args({0, 1})
    ->Args({2, 0});

// The peer: QImage::fill and one QPainter::drawImage of the background.
void FillAndDrawBackground(benchmark::State& state) {
    const QImage background =
        tv::spectrum::LoadSpectrumBackground().convertToFormat(QImage::Format_RGB32);
    QImage frame(kWidth, kHeight, QImage::Format_RGB32);
    QPainter painter(&frame);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    for (auto _ : state) {
        frame.fill(Qt::black);
        painter.drawImage(QPoint(0, 0), background);
        benchmark::DoNotOptimize(frame.constBits());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(FillAndDrawBackground);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);  // for the JPEG plugin that decodes the background
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
