#pragma once

// The picture behind the spectrum display: a light, recessed display face, the same as the main
// window's other displays, on which the grey (64, 64, 64) bars and peaks stand out clearly.
// The skin generator draws it into the skin's pictures (at 1x and 2x, as a JPEG); the display
// uses that picture on the main window and this drawing wherever it stands alone.

#include <QImage>

class QPainter;

namespace tv::spectrum {

inline constexpr int kBackgroundWidth = 100;
inline constexpr int kBackgroundHeight = 24;

// Draws the background into the 100 x 24 logical pixels at the painter's origin (the painter's
// scale gives the 2x picture). Any thread that owns the painter.
void PaintSpectrumBackground(QPainter& painter);

// The background drawn into a 100 x 24 picture. UI thread only.
QImage LoadSpectrumBackground();

}  // namespace tv::spectrum
