#include "ui/skin/x11windowmove.h"

#include <QtGui/qguiapplication_platform.h>
#include <QGuiApplication>
#include <QWidget>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace tv::ui {
namespace {

// Whether the window manager running on `display` announces the atom `wanted`.
bool WindowManagerSupports(Display* display, Atom wanted) {
    const Atom supported = XInternAtom(display, "_NET_SUPPORTED", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, DefaultRootWindow(display), supported, 0, 4096, False, XA_ATOM,
                           &type, &format, &count, &after, &data) != Success ||
        !data)
        return false;
    bool found = false;
    if (format == 32) {
        const auto* atoms = reinterpret_cast<const Atom*>(data);
        for (unsigned long i = 0; i < count && !found; ++i)
            found = atoms[i] == wanted;
    }
    XFree(data);
    return found;
}

}  // namespace

bool AskX11WindowManagerToMove(QWidget& window, QPoint press) {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (!display)
        return false;
    const Atom moveResize = XInternAtom(display, "_NET_WM_MOVERESIZE", False);
    if (!WindowManagerSupports(display, moveResize))
        return false;
    const double ratio = window.devicePixelRatioF();  // the root window counts device pixels
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = static_cast<Window>(window.winId());
    event.xclient.message_type = moveResize;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(press.x() * ratio);
    event.xclient.data.l[1] = static_cast<long>(press.y() * ratio);
    event.xclient.data.l[2] = 8;  // move
    event.xclient.data.l[3] = Button1;
    event.xclient.data.l[4] = 1;  // asked by an application
    // The window manager can grab the pointer only once our implicit grab of the press ends.
    XUngrabPointer(display, CurrentTime);
    XSendEvent(display, DefaultRootWindow(display), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XFlush(display);
    return true;
}

}  // namespace tv::ui
