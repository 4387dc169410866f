#pragma once

// The window manager's move of a window on X, asked for as the desktop's window managers
// expect (_NET_WM_MOVERESIZE).
//
// Threads: user-interface thread only.

#include <QPoint>

class QWidget;

namespace tv::ui {

// Hands the move of `window` to the X window manager, measured from the press at `press`
// (global, logical pixels): the window manager moves the window by the pointer's travel from
// that point until the left button is released, so the pixels the pointer travelled before the
// drag started count too. Returns false, doing nothing, on another window system or without
// a window manager that offers the move.
bool AskX11WindowManagerToMove(QWidget& window, QPoint press);

}  // namespace tv::ui
