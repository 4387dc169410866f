#pragma once

// Moving a frameless window by a part of its skin (the main window's background, the About
// window's title bar). Only a left press that then travels a few pixels moves the window: a
// plain click, a right or middle press never does. Once the drag starts, the window manager
// runs the move where it supports it; without one (a bare X server) the window follows the
// pointer in our own loop.
//
// Threads: user-interface thread only.

#include <QPoint>
#include <functional>

class QWidget;

namespace tv::ui {

// How far (Manhattan length, logical pixels) a left press travels before it becomes a drag.
inline constexpr int kDragStartDistance = 4;

// The decision alone, without a window: which presses, moves and releases start a drag.
class DragGesture {
public:
    enum class Step {
        Nothing,  // nothing to do
        Start,    // the drag starts now
        Follow,   // the drag goes on: the window follows the pointer
    };

    explicit DragGesture(int startDistance = kDragStartDistance) : m_startDistance(startDistance) {}

    // A press with `left` true arms the gesture; any other press disarms it.
    void Press(bool left, QPoint pointer);
    // A move of the pointer with the press held.
    Step Move(QPoint pointer);
    // The release of the button: the gesture ends.
    void Release() { m_state = State::Idle; }
    bool Dragging() const { return m_state == State::Dragging; }

private:
    enum class State { Idle, Armed, Dragging };
    int m_startDistance;
    State m_state = State::Idle;
    QPoint m_pressAt;
};

class WindowDrag {
public:
    // Moves `window` to a proposed top left; the default is QWidget::move.
    using MoveTo = std::function<void(QPoint)>;

    explicit WindowDrag(QWidget& window, MoveTo moveTo = {});

    // A press at the global position `pointer`, `local` inside the window. `left` is false for
    // any other button and for a press on a control with a meaning of its own: such a press
    // never moves the window.
    void Press(bool left, QPoint pointer, QPoint local);
    // The pointer moved with the button held. Returns true when this move started the drag.
    bool Move(QPoint pointer);
    void Release();
    bool OwnLoop() const { return m_ownLoop; }

private:
    void Start(QPoint pointer);

    QWidget& m_window;
    MoveTo m_moveTo;
    DragGesture m_gesture;
    bool m_ownLoop = false;
    QPoint m_offset;   // the press's position inside the window
    QPoint m_pressAt;  // the press's global position
};

}  // namespace tv::ui
