#include "ui/videoframeskin.h"

#include <QGuiApplication>
#include <QScreen>

#include "ui/skin/skinstore.h"
#include "ui/skin/snap.h"

namespace tv::ui {

namespace {

QImage Piece(const QString& name, qreal devicePixelRatio) {
    return SkinStore::Instance().Picture(name, devicePixelRatio).toImage();
}

// The part (x, y, w, h) of `image` in logical pixels, at the image's own pixel ratio.
QImage Cut(const QImage& image, int x, int y, int w, int h) {
    const qreal r = image.devicePixelRatio();
    QImage part = image.copy(qRound(x * r), qRound(y * r), qRound(w * r), qRound(h * r));
    part.setDevicePixelRatio(r);
    return part;
}

}  // namespace

video::VideoFrameLook SkinnedVideoFrameLook(qreal devicePixelRatio) {
    const QImage title = Piece(QStringLiteral("videoTitle"), devicePixelRatio);
    const QImage bottom = Piece(QStringLiteral("videoBottom"), devicePixelRatio);
    if (title.isNull() || bottom.isNull())
        return video::VideoFrameLook::Placeholder();
    const int w = qRound(title.deviceIndependentSize().width());
    video::VideoFrameLook look;
    // The title bar: the lamp at the left, the grooves in the middle (one column of them is
    // stretched to any width), and a plain part under the buttons. The plain part is cut from
    // the groove-free end of the bar and widened: the bar is uniform along its width there.
    constexpr int kLeftCap = 24, kRightCap = 5, kPlainEnd = 36, kButtonsPart = 40;
    look.Image1 = Cut(title, 0, 0, kLeftCap, 25);
    look.Image3 = Cut(title, w / 2, 0, 1, 25);
    const QImage plain = Cut(title, w - kPlainEnd, 0, kPlainEnd - kRightCap, 25);
    look.Image9 = plain.scaled(qRound(kButtonsPart * plain.devicePixelRatio()), plain.height());
    look.Image9.setDevicePixelRatio(plain.devicePixelRatio());
    look.Image2 = Cut(title, w - kRightCap, 0, kRightCap, 25);
    look.Image5 = Cut(bottom, 0, 0, 5, 5);
    look.Image4 = Cut(bottom, w / 2, 0, 1, 5);
    look.Image6 = Cut(bottom, w - 5, 0, 5, 5);
    look.Image7 = Piece(QStringLiteral("videoLeft"), devicePixelRatio);
    look.Image8 = Piece(QStringLiteral("videoRight"), devicePixelRatio);
    look.exitNormal = Piece(QStringLiteral("iX1"), devicePixelRatio);
    look.exitPressed = Piece(QStringLiteral("iX2"), devicePixelRatio);
    look.minimizeNormal = Piece(QStringLiteral("i_1"), devicePixelRatio);
    look.minimizePressed = Piece(QStringLiteral("i_2"), devicePixelRatio);
    look.snap = [](QPoint proposed, QSize size) {
        const QScreen* screen = QGuiApplication::screenAt(proposed + QPoint(size.width() / 2, 0));
        if (!screen)
            screen = QGuiApplication::primaryScreen();
        if (!screen)
            return proposed;
        const QRect a = screen->availableGeometry();
        const SnapPoint p =
            SnapToWorkArea(proposed.x(), proposed.y(), size.width(), size.height(),
                           {a.left(), a.top(), a.left() + a.width(), a.top() + a.height()});
        return QPoint(p.x, p.y);
    };
    return look;
}

}  // namespace tv::ui
