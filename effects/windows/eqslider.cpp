#include "effects/windows/eqslider.h"

#include <algorithm>
#include <cstdlib>

#include <QLinearGradient>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>

namespace tv::effects {

namespace {

constexpr int kGrooveWidth = 4;
constexpr int kFillWidth = 4;
constexpr int kMarkWidth = 10;
constexpr int kKnobWidth = 14;
constexpr int kKnobHeight = 7;

}  // namespace

EqSlider::EqSlider(QWidget* parent) : QSlider(Qt::Vertical, parent) {
    setAttribute(Qt::WA_Hover, false);
}

QRect EqSlider::HandleRect() const {
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    return style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, this);
}

QRect EqSlider::GrooveRect() const {
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    return style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderGroove, this);
}

int EqSlider::KnobCentreAt(int v) const {
    // The same arithmetic the style uses for the knob, so the fill ends under the knob.
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    const QRect groove = GrooveRect();
    const int length = HandleRect().height();
    const int pos = QStyle::sliderPositionFromValue(minimum(), maximum(), v,
                                                    groove.height() - length, opt.upsideDown);
    return groove.top() + pos + length / 2;
}

int EqSlider::ZeroY() const {
    return KnobCentreAt(std::clamp(0, minimum(), maximum()));
}

QRect EqSlider::FillRect() const {
    const int zero = ZeroY();
    const int knob = KnobCentreAt(sliderPosition());
    const int x = (width() - kFillWidth) / 2;
    return QRect(x, std::min(zero, knob), kFillWidth, std::abs(knob - zero));
}

void EqSlider::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const bool on = isEnabled();
    const QPalette& pal = palette();
    const QRect handle = HandleRect();
    const qreal cx = width() / 2.0;

    // Groove: a recessed slot over the knob's whole travel.
    const qreal top = KnobCentreAt(minimum()) - 1;
    const qreal bottom = KnobCentreAt(maximum()) + 1;
    const QRectF groove(cx - kGrooveWidth / 2.0, std::min(top, bottom), kGrooveWidth,
                        std::abs(bottom - top));
    p.setPen(QPen(pal.color(QPalette::Disabled, QPalette::WindowText).darker(on ? 140 : 110), 1));
    p.setBrush(on ? pal.color(QPalette::Mid).darker(115) : pal.color(QPalette::Window).darker(110));
    p.drawRoundedRect(groove.adjusted(0.5, 0.5, -0.5, -0.5), 1.5, 1.5);

    // The 0 dB mark across the groove.
    const qreal zero = ZeroY() + 0.5;
    p.setPen(QPen(pal.color(on ? QPalette::Active : QPalette::Disabled, QPalette::WindowText), 1));
    p.setOpacity(on ? 0.75 : 0.45);
    p.drawLine(QPointF(cx - kMarkWidth / 2.0, zero), QPointF(cx + kMarkWidth / 2.0, zero));
    p.setOpacity(1.0);

    // Fill from the mark to the knob.
    const QRect fill = FillRect();
    if (on && fill.height() > 0)
        p.fillRect(fill, pal.color(QPalette::Active, QPalette::Highlight));

    // Knob: a small raised bar with a centre line, centred on the style's knob.
    const QRectF knob(cx - kKnobWidth / 2.0, handle.center().y() + 0.5 - kKnobHeight / 2.0,
                      kKnobWidth, kKnobHeight);
    QLinearGradient face(knob.topLeft(), knob.bottomLeft());
    const QColor base = pal.color(QPalette::Button);
    face.setColorAt(0, on ? base.lighter(112) : base);
    face.setColorAt(1, on ? base.darker(112) : base);
    p.setPen(QPen(on ? pal.color(QPalette::Shadow).lighter(180) : pal.color(QPalette::Mid), 1));
    p.setBrush(face);
    p.drawRoundedRect(knob.adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
    p.setPen(QPen(on ? pal.color(QPalette::Active, QPalette::Highlight)
                     : pal.color(QPalette::Disabled, QPalette::WindowText),
                  1));
    const qreal line = knob.center().y();
    p.drawLine(QPointF(knob.left() + 3, line), QPointF(knob.right() - 3, line));
    if (hasFocus()) {
        p.setPen(QPen(pal.color(QPalette::Highlight), 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(knob.adjusted(-1.5, -1.5, 1.5, 1.5), 3, 3);
    }
}

}  // namespace tv::effects
