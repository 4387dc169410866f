#pragma once

// An image button: shows a normal and a pressed picture from the skin store. A left press
// shows the pressed picture; a release of any button shows the normal one; other buttons than
// the left change nothing on press. A left press released over the button clicks it, and the
// click runs before the release picture is chosen, so a mode button whose click changes its
// pictures shows the normal picture of its new mode. The hint is the tool tip.

#include <QString>
#include <QWidget>
#include <functional>

namespace tv::ui {

class ImageButton : public QWidget {
public:
    ImageButton(const QString& normal, const QString& pressed, const QString& hint,
                QWidget* parent);

    std::function<void()> onClick;

    // New pictures; the button shows the normal one unless it is held down.
    void SetPictures(const QString& normal, const QString& pressed);
    // Shows the normal picture (the "released" look), whatever the mouse does.
    void ShowNormal();
    // Runs the click as a release over the button would, then shows the normal picture.
    void click();
    // The picture on screen now (also the "picture" property).
    const QString& PictureName() const { return m_shown; }
    bool IsShownPressed() const { return m_shown == m_pressed && m_pressed != m_normal; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void Show(const QString& picture);

    QString m_normal;
    QString m_pressed;
    QString m_shown;
    bool m_leftHeld = false;
};

}  // namespace tv::ui
