#include "ui/skin/imagebutton.h"

#include <QMouseEvent>
#include <QPainter>

#include "ui/skin/skinstore.h"

namespace tv::ui {

ImageButton::ImageButton(const QString& normal, const QString& pressed, const QString& hint,
                         QWidget* parent)
    : QWidget(parent), m_normal(normal), m_pressed(pressed) {
    setToolTip(hint);
    setFocusPolicy(Qt::NoFocus);
    Show(m_normal);
}

void ImageButton::SetPictures(const QString& normal, const QString& pressed) {
    m_normal = normal;
    m_pressed = pressed;
    Show(m_leftHeld ? m_pressed : m_normal);
}

void ImageButton::ShowNormal() {
    Show(m_normal);
}

void ImageButton::Show(const QString& picture) {
    m_shown = picture;
    setProperty("picture", picture);
    update();
}

void ImageButton::click() {
    if (onClick)
        onClick();
    Show(m_normal);
}

void ImageButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(0, 0, SkinStore::Instance().Picture(m_shown, devicePixelRatioF()));
}

void ImageButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    m_leftHeld = true;
    Show(m_pressed);
}

void ImageButton::mouseReleaseEvent(QMouseEvent* event) {
    const bool clicked = m_leftHeld && event->button() == Qt::LeftButton &&
                         rect().contains(event->position().toPoint());
    if (event->button() == Qt::LeftButton)
        m_leftHeld = false;
    if (clicked && onClick)
        onClick();  // may change the pictures (mode buttons)
    Show(m_normal);
}

}  // namespace tv::ui
