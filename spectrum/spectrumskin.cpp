#include "spectrum/spectrumskin.h"

#include <QLinearGradient>
#include <QPainter>

namespace tv::spectrum {

void PaintSpectrumBackground(QPainter& p) {
    const QRectF face(0, 0, kBackgroundWidth, kBackgroundHeight);
    // The face of the displays around it: lit at the top, a shade darker at the bottom.
    QLinearGradient g(face.topLeft(), face.bottomLeft());
    g.setColorAt(0, QColor(184, 198, 190));
    g.setColorAt(1, QColor(160, 175, 167));
    p.fillRect(face, g);
    // Faint dotted level rows at a quarter, half and three quarters of the height. The dots
    // sit in the one-pixel gaps between the bars (every fourth column), so they never break up
    // a bar and never read as one.
    const QColor dot(140, 155, 147);
    for (int y : {6, 12, 18}) {
        for (int x = 3; x < kBackgroundWidth; x += 4)
            p.fillRect(QRectF(x, y, 1, 1), dot);
    }
}

QImage LoadSpectrumBackground() {
    QImage picture(kBackgroundWidth, kBackgroundHeight, QImage::Format_RGB32);
    picture.fill(Qt::black);
    QPainter painter(&picture);
    PaintSpectrumBackground(painter);
    return picture;
}

}  // namespace tv::spectrum
