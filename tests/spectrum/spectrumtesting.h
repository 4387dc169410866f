#pragma once

// Helpers shared by the spectrum tests: FFT frames, reading bar heights out of a frame image,
// and a count of heap allocations made by the whole test program.

#include <cstddef>

#include "allocationcounter.h"

#include <QColor>
#include <QImage>

#include "spectrum/spectrum.h"

namespace tv::spectrum::testing {

inline FftFrame FilledFrame(float magnitude) {
    FftFrame frame;
    frame.fill(magnitude);
    return frame;
}

// Magnitude that reaches exactly `pixels` of level (500 per unit, a hair above the edge).
inline float MagnitudeFor(int pixels) {
    return (static_cast<float>(pixels) + 0.5f) / 500.0f;
}

// Pixels of `color` stacked from the bottom row of column `x` up to the first other pixel.
inline int HeightFromBottom(const QImage& image, int x, QColor color) {
    int height = 0;
    for (int y = image.height() - 1; y >= 0 && image.pixelColor(x, y) == color; --y)
        ++height;
    return height;
}

// Number of pixels of `color` in column `x`.
inline int CountInColumn(const QImage& image, int x, QColor color) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        count += image.pixelColor(x, y) == color ? 1 : 0;
    return count;
}

// True when both images hold the same pixels (formats may differ).
inline bool SamePixels(const QImage& a, const QImage& b) {
    return a.size() == b.size() &&
           a.convertToFormat(QImage::Format_RGB32) == b.convertToFormat(QImage::Format_RGB32);
}

// Heap allocations through operator new since the program started.
inline std::size_t AllocationCount() {
    return tv::testing::TotalAllocations();
}

}  // namespace tv::spectrum::testing
