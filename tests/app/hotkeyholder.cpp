// Another X client beside the player, for the hotkey test.
//   hotkeyholder hold KEYSYM   grabs Ctrl+Alt+KEYSYM on the root window (with the lock
//                              variants), prints "held" once the server has accepted the grab
//                              and keeps it until killed.
//   hotkeyholder probe KEYSYM  exits 0 when another client already holds Ctrl+Alt+KEYSYM, 1
//                              when it is free (the probe's own grab is released at once).

#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <unistd.h>
#include <cstdio>
#include <cstring>
#include <initializer_list>

namespace {

bool g_refused = false;
int CatchRefusal(Display*, XErrorEvent* error) {
    if (error->error_code == BadAccess)
        g_refused = true;
    return 0;
}

int Hold(Display* display, KeyCode code) {
    for (unsigned lock :
         {0u, unsigned(Mod2Mask), unsigned(LockMask), unsigned(Mod2Mask | LockMask)})
        XGrabKey(display, code, ControlMask | Mod1Mask | lock, DefaultRootWindow(display), False,
                 GrabModeAsync, GrabModeAsync);
    XSync(display, False);
    if (g_refused)
        return 1;
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

int Probe(Display* display, KeyCode code) {
    const Window root = DefaultRootWindow(display);
    XGrabKey(display, code, ControlMask | Mod1Mask, root, False, GrabModeAsync, GrabModeAsync);
    XSync(display, False);
    if (g_refused)
        return 0;
    XUngrabKey(display, code, ControlMask | Mod1Mask, root);
    XSync(display, False);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 || (std::strcmp(argv[1], "hold") != 0 && std::strcmp(argv[1], "probe") != 0)) {
        std::fprintf(stderr, "usage: %s hold|probe KEYSYM\n", argv[0]);
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return 2;
    const KeySym sym = XStringToKeysym(argv[2]);
    const KeyCode code = sym == NoSymbol ? 0 : XKeysymToKeycode(display, sym);
    if (code == 0)
        return 2;
    XSetErrorHandler(CatchRefusal);
    const int status =
        std::strcmp(argv[1], "hold") == 0 ? Hold(display, code) : Probe(display, code);
    // Closed, not left to the exit: the sanitizer build counts an open display as a leak and
    // would turn the probe's answer into its own failure status.
    XCloseDisplay(display);
    return status;
}
