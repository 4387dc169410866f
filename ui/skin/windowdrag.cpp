#include "ui/skin/windowdrag.h"

#include <QWidget>
#include <QWindow>

namespace tv::ui {

WindowDrag::WindowDrag(QWidget& window, MoveTo moveTo)
    : m_window(window), m_moveTo(std::move(moveTo)) {}

bool WindowDrag::Press(QPoint pointer, QPoint local) {
    QWindow* handle = m_window.windowHandle();
    // The window manager is told where the pointer grabbed the window from the place Qt
    // believes the window is. Right after the first show that belief can still be the place
    // the window was mapped at (a configure event reordered by the window manager), and the
    // window would jump away from the pointer. The press itself says where the window is: a
    // frameless window's top left is the pointer minus the press's local position.
    const QPoint origin = pointer - local;
    if (handle && handle->position() != origin)
        handle->setPosition(origin);
    if (handle && handle->startSystemMove()) {
        m_ownLoop = false;
        return true;
    }
    m_ownLoop = true;
    m_offset = pointer - m_window.pos();
    return false;
}

void WindowDrag::Move(QPoint pointer) {
    if (!m_ownLoop)
        return;
    const QPoint to = pointer - m_offset;
    if (m_moveTo)
        m_moveTo(to);
    else
        m_window.move(to);
}

void WindowDrag::Release() {
    m_ownLoop = false;
}

}  // namespace tv::ui
