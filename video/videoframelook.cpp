#include "video/videoframelook.h"

#include <QPainter>

namespace tv::video {

namespace {

QImage Filled(int w, int h, QColor colour) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

QImage Button(QColor face, QColor mark) {
    QImage image = Filled(14, 14, face);
    QPainter p(&image);
    p.setPen(mark);
    p.drawRect(0, 0, 13, 13);
    return image;
}

}  // namespace

VideoFrameLook VideoFrameLook::Placeholder() {
    // Plain greys in the frame's sizes, so the window is usable before the skin's pictures
    // are given to it.
    const QColor bar(0x40, 0x40, 0x48), edge(0x30, 0x30, 0x36);
    VideoFrameLook look;
    look.Image1 = Filled(25, 25, edge);
    look.Image3 = Filled(1, 25, bar);
    look.Image9 = Filled(40, 25, bar);
    look.Image2 = Filled(5, 25, edge);
    look.Image5 = Filled(5, 5, edge);
    look.Image4 = Filled(1, 5, edge);
    look.Image6 = Filled(5, 5, edge);
    look.Image7 = Filled(5, 1, edge);
    look.Image8 = Filled(5, 1, edge);
    look.exitNormal = Button(QColor(0x70, 0x70, 0x78), Qt::white);
    look.exitPressed = Button(QColor(0x50, 0x50, 0x58), Qt::white);
    look.minimizeNormal = Button(QColor(0x70, 0x70, 0x78), Qt::lightGray);
    look.minimizePressed = Button(QColor(0x50, 0x50, 0x58), Qt::lightGray);
    look.snap = [](QPoint proposed, QSize) { return proposed; };
    return look;
}

}  // namespace tv::video
