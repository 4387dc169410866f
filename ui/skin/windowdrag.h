#pragma once

// Moving a frameless window by a part of its skin (the main window's background, the About
// window's title bar): a press hands the move to the window manager where it supports it;
// without one (a bare X server) the window follows the pointer in our own loop.
//
// Threads: user-interface thread only.

#include <QPoint>
#include <functional>

class QWidget;

namespace tv::ui {

class WindowDrag {
public:
    // Moves `window` to a proposed top left; the default is QWidget::move.
    using MoveTo = std::function<void(QPoint)>;

    explicit WindowDrag(QWidget& window, MoveTo moveTo = {});

    // A press at the global position `pointer`, `local` inside the window. Returns true when
    // the window manager runs the move, false when our own loop follows the pointer until
    // Release.
    bool Press(QPoint pointer, QPoint local);
    void Move(QPoint pointer);
    void Release();
    bool OwnLoop() const { return m_ownLoop; }

private:
    QWidget& m_window;
    MoveTo m_moveTo;
    bool m_ownLoop = false;
    QPoint m_offset;  // pointer minus window position at the press
};

}  // namespace tv::ui
