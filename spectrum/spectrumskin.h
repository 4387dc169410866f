#pragma once

// The picture behind the spectrum display, kept in the program's resources.

#include <QImage>

namespace tv::spectrum {

// Resource path of the 100 x 24 background picture.
inline constexpr const char* kBackgroundResource = ":/spectrum/spectrum-bg.jpg";

// Decodes the background picture (Qt's JPEG plugin). A null image when it cannot be decoded,
// in which case the display simply has a black background. UI thread only.
QImage LoadSpectrumBackground();

}  // namespace tv::spectrum
