#include "ui/skin/skinpicture.h"

#include <QPainter>

#include "ui/skin/skinstore.h"

namespace tv::ui {

SkinPicture::SkinPicture(const QString& picture, QWidget* parent)
    : QWidget(parent), m_picture(picture) {}

void SkinPicture::SetPicture(const QString& picture) {
    if (picture == m_picture)
        return;
    m_picture = picture;
    update();
}

void SkinPicture::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(0, 0, SkinStore::Instance().Picture(m_picture, devicePixelRatioF()));
}

}  // namespace tv::ui
