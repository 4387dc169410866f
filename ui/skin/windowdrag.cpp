#include "ui/skin/windowdrag.h"

#include <QWidget>
#include <QWindow>

#include "ui/skin/x11windowmove.h"

namespace tv::ui {

void DragGesture::Press(bool left, QPoint pointer) {
    m_state = left ? State::Armed : State::Idle;
    m_pressAt = pointer;
}

DragGesture::Step DragGesture::Move(QPoint pointer) {
    switch (m_state) {
        case State::Idle:
            return Step::Nothing;
        case State::Armed:
            if ((pointer - m_pressAt).manhattanLength() < m_startDistance)
                return Step::Nothing;
            m_state = State::Dragging;
            return Step::Start;
        case State::Dragging:
            return Step::Follow;
    }
    return Step::Nothing;
}

WindowDrag::WindowDrag(QWidget& window, MoveTo moveTo)
    : m_window(window), m_moveTo(std::move(moveTo)) {}

void WindowDrag::Press(bool left, QPoint pointer, QPoint local) {
    m_ownLoop = false;
    m_offset = local;
    m_pressAt = pointer;
    m_gesture.Press(left, pointer);
}

bool WindowDrag::Move(QPoint pointer) {
    const DragGesture::Step step = m_gesture.Move(pointer);
    if (step == DragGesture::Step::Start) {
        Start(pointer);
        return true;
    }
    if (step == DragGesture::Step::Follow && m_ownLoop) {
        const QPoint to = pointer - m_offset;
        if (m_moveTo)
            m_moveTo(to);
        else
            m_window.move(to);
    }
    return false;
}

void WindowDrag::Start(QPoint pointer) {
    if (AskX11WindowManagerToMove(m_window, m_pressAt))
        return;  // the window manager runs the move until the release
    // Elsewhere the window system moves the window from where the pointer is now; the window
    // first catches up with the few pixels the pointer travelled before the drag started.
    // The place comes from the press, not from where Qt believes the window is: right after
    // the first show that belief can still be the place the window was mapped at.
    const QPoint origin = pointer - m_offset;
    QWindow* handle = m_window.windowHandle();
    if (handle && handle->position() != origin)
        handle->setPosition(origin);
    if (handle && handle->startSystemMove())
        return;
    m_ownLoop = true;  // no window manager: our own loop follows the pointer
    if (m_moveTo)
        m_moveTo(origin);
    else
        m_window.move(origin);
}

void WindowDrag::Release() {
    m_gesture.Release();
    m_ownLoop = false;
}

}  // namespace tv::ui
