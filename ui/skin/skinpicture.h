#pragma once

// A control that shows one picture of the skin store at its top left, cut to its own size
// (so the progress fill shows as much of its picture as its width allows).

#include <QString>
#include <QWidget>

namespace tv::ui {

class SkinPicture : public QWidget {
public:
    SkinPicture(const QString& picture, QWidget* parent);
    void SetPicture(const QString& picture);
    const QString& PictureName() const { return m_picture; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_picture;
};

}  // namespace tv::ui
