#pragma once

// The spectrum painter: turns one FFT frame of the playing channel into falling bars or lines
// with optional peak markers. Every frame is composed in an off-screen image of its own and
// then copied to the target in one block, so the display never shows a half-drawn frame.
//
// Threads: user-interface thread only (QPainter on QImage).
// Allocation: the constructor allocates both images and opens one painter on the frame image
// for the painter's whole life; Draw allocates nothing.

#include <array>
#include <cstdint>

#include <QColor>
#include <QImage>
#include <QPainter>

namespace tv::spectrum {

// One FFT frame as the audio library delivers it: 512 magnitudes of a 1024-sample FFT plus
// one spare element that is never filled and never read.
inline constexpr int kFftFrameSize = 513;
using FftFrame = std::array<float, kFftFrameSize>;

// The display shows bins 0..128, bin i being FFT element kFirstShownElement + i; the lowest
// five elements (DC and the rumble below about 200 Hz) are left out.
inline constexpr int kBinCount = 129;
inline constexpr int kFirstShownElement = 5;
// A magnitude of 1/kLevelScale is one pixel of level.
inline constexpr double kLevelScale = 500.0;

// Drawing modes of the painter (the setting "SpectrumMode").
inline constexpr int kModeLines = 0;     // one pixel column per bin ("Lines")
inline constexpr int kModeBigLines = 1;  // bars of BarWidth with a one-pixel gap ("Big Lines")
inline constexpr int kModeNone = 2;      // background only, levels still move ("None")

class TSpectrum {
public:
    // Creates the frame and background images at width x height (both filled with black)
    // and sets the defaults below. Sizes below 1 are taken as 1.
    TSpectrum(int width, int height);
    TSpectrum(const TSpectrum&) = delete;
    TSpectrum& operator=(const TSpectrum&) = delete;

    // Sets UseBackground to `use` and draws `picture` into the background image at (0, 0),
    // unscaled; parts of the image it does not cover keep what they had.
    void SetBackground(bool use, const QImage& picture);

    // Moves every bin's bar and peak level by one frame of `fft` and composes the frame:
    // BackgroundColor, then the background picture when UseBackground, then the bins drawn
    // for Mode, offset by (x, y) and clipped to the frame. Then, when `target` is given, the
    // whole frame is copied onto it at (0, 0) in one block. Levels are updated in every
    // mode, including modes that draw nothing. Magnitudes that are not finite count as 0.
    void Draw(QPainter* target, const FftFrame& fft, int x, int y);

    // Level in pixels that a magnitude reaches before clamping to MaxLevel (never negative).
    int LevelOf(float magnitude) const;

    const QImage& FrameBitmap() const { return m_frameBitmap; }
    const QImage& BackgroundBitmap() const { return m_backgroundBitmap; }

    QColor BackgroundColor{0, 0, 0};  // fill of each frame before the picture
    int32_t MaxLevel = 100;           // highest level of a bin, in pixels
    QColor BarColor{0, 0, 0};         // bars and lines, and peak dots in mode 0
    QColor PeakColor{255, 255, 255};  // peak strokes in mode 1
    int32_t Mode = kModeBigLines;
    bool UseBackground = false;
    int32_t PeakFall = 1;  // pixels a peak marker drops per frame
    int32_t BarFall = 3;   // pixels a bar drops per frame
    int32_t BarWidth = 3;  // bar width in mode 1
    bool ShowPeaks = true;
    // Current heights in pixels; they persist from frame to frame and track to track.
    std::array<int32_t, kBinCount> PeakLevels{};
    std::array<int32_t, kBinCount> BarLevels{};

private:
    void UpdateLevels(const FftFrame& fft);
    void DrawBin(int bin, int x, int y);

    QImage m_frameBitmap;
    QImage m_backgroundBitmap;
    // Kept open on m_frameBitmap so that a frame costs no painter set-up (and no allocation).
    // Declared after the images: it is destroyed, and so ended, before them.
    QPainter m_painter;
};

}  // namespace tv::spectrum
