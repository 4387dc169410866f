#include "spectrum/spectrum.h"

#include <algorithm>
#include <cmath>

namespace tv::spectrum {

TSpectrum::TSpectrum(int width, int height)
    : m_frameBitmap(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32),
      m_backgroundBitmap(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32) {
    m_frameBitmap.fill(Qt::black);
    m_backgroundBitmap.fill(Qt::black);
    m_painter.begin(&m_frameBitmap);
    // Every primitive below is an opaque rectangle or an opaque picture: a plain copy is
    // what is meant, and it lets the raster engine take its fastest path.
    m_painter.setCompositionMode(QPainter::CompositionMode_Source);
}

void TSpectrum::SetBackground(bool use, const QImage& picture) {
    UseBackground = use;
    if (picture.isNull())
        return;
    QPainter painter(&m_backgroundBitmap);
    painter.drawImage(QPoint(0, 0), picture);
}

int TSpectrum::LevelOf(float magnitude) const {
    // Garbage from the data request must not turn into a huge or undefined integer: NaN is
    // silence, and anything at or beyond MaxLevel is clamped before the conversion.
    if (std::isnan(magnitude))
        return 0;
    const double scaled = std::fabs(static_cast<double>(magnitude)) * kLevelScale;
    if (!(scaled < static_cast<double>(MaxLevel)))
        return MaxLevel;
    return static_cast<int>(scaled);  // truncation toward zero
}

void TSpectrum::UpdateLevels(const FftFrame& fft) {
    for (int i = 0; i < kBinCount; ++i) {
        const int level = LevelOf(fft[static_cast<size_t>(kFirstShownElement + i)]);
        int32_t& peak = PeakLevels[static_cast<size_t>(i)];
        int32_t& bar = BarLevels[static_cast<size_t>(i)];
        peak = level >= peak ? level : peak - PeakFall;
        bar = level >= bar ? level : bar - BarFall;
        peak = std::max(peak, 0);
        bar = std::max(bar, 0);
    }
}

void TSpectrum::DrawBin(int bin, int x, int y) {
    const int bottom = y + m_frameBitmap.height();
    const int bar = BarLevels[static_cast<size_t>(bin)];
    const int peak = PeakLevels[static_cast<size_t>(bin)];
    // A peak marker inside the bar is covered by it, and one outside the frame (level 0
    // without an offset) is clipped: skip both.
    const int peakRow = bottom - peak;
    const bool drawPeak =
        ShowPeaks && (peak > bar || peak <= 0) && peakRow >= 0 && peakRow < m_frameBitmap.height();
    if (Mode == kModeLines) {
        const int cx = x + bin;
        if (cx < 0 || cx >= m_frameBitmap.width())
            return;  // clipped anyway
        if (bar > 0)
            m_painter.fillRect(QRect(cx, bottom - bar, 1, bar), BarColor);
        // A peak at level 0 lands on the row just below the frame and stays invisible.
        if (drawPeak)
            m_painter.fillRect(QRect(cx, peakRow, 1, 1), BarColor);
        return;
    }
    // Big lines: bars of BarWidth pixels with a one-pixel gap.
    const int cx = x + bin * (BarWidth + 1);
    if (BarWidth <= 0 || cx >= m_frameBitmap.width() || cx + BarWidth <= 0)
        return;
    if (drawPeak)
        m_painter.fillRect(QRect(cx, peakRow, BarWidth, 1), PeakColor);
    if (bar > 0)
        m_painter.fillRect(QRect(cx, bottom - bar, BarWidth, bar), BarColor);
}

void TSpectrum::Draw(QPainter* target, const FftFrame& fft, int x, int y) {
    m_painter.fillRect(m_frameBitmap.rect(), BackgroundColor);
    if (UseBackground)
        m_painter.drawImage(QPoint(0, 0), m_backgroundBitmap);
    UpdateLevels(fft);
    if (Mode == kModeLines || Mode == kModeBigLines) {
        for (int i = 0; i < kBinCount; ++i)
            DrawBin(i, x, y);
    }
    if (target != nullptr)
        target->drawImage(QPoint(0, 0), m_frameBitmap);
}

}  // namespace tv::spectrum
