// Another client that holds Ctrl+Alt+Insert (with the lock variants): grabs it on the root
// window, prints "held" once the server has accepted the grab, and keeps it until killed.

#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <unistd.h>
#include <cstdio>
#include <initializer_list>

int main() {
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return 1;
    const KeyCode code = XKeysymToKeycode(display, XK_Insert);
    for (unsigned lock :
         {0u, unsigned(Mod2Mask), unsigned(LockMask), unsigned(Mod2Mask | LockMask)})
        XGrabKey(display, code, ControlMask | Mod1Mask | lock, DefaultRootWindow(display), False,
                 GrabModeAsync, GrabModeAsync);
    XSync(display, False);
    std::puts("held");
    std::fflush(stdout);
    for (;;) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
        }
        usleep(20000);
    }
}
