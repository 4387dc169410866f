// The peer of the video benchmark: a bare X window of the video panel's size (600 x 338) in
// which libmpv plays a file with the plain X11 output and no sound, the same core settings
// the video window uses. It prints "started" when the first frame is shown and exits at the
// end of the file.
// usage: tv_video_peer FILE

#include <X11/Xlib.h>
#include <mpv/client.h>

#include <clocale>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "no X display\n");
        return 1;
    }
    const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 600, 338,
                                              0, 0, BlackPixel(display, 0));
    XMapWindow(display, window);
    XFlush(display);

    std::setlocale(LC_NUMERIC, "C");
    mpv_handle* mpv = mpv_create();
    int64_t wid = static_cast<int64_t>(window);
    mpv_set_option(mpv, "wid", MPV_FORMAT_INT64, &wid);
    const char* const options[][2] = {{"vo", "x11"},
                                      {"ao", "null"},
                                      {"input-default-bindings", "no"},
                                      {"input-vo-keyboard", "no"},
                                      {"input-cursor", "no"},
                                      {"osc", "no"},
                                      {"terminal", "no"},
                                      {"config", "no"},
                                      {"load-scripts", "no"},
                                      {"ytdl", "no"},
                                      {"load-stats-overlay", "no"},
                                      {"load-osd-console", "no"},
                                      {"load-auto-profiles", "no"}};
    for (const auto& option : options)
        mpv_set_option_string(mpv, option[0], option[1]);
    if (mpv_initialize(mpv) < 0)
        return 1;
    const char* cmd[] = {"loadfile", argv[1], nullptr};
    mpv_command(mpv, cmd);
    bool started = false;
    for (;;) {
        const mpv_event* event = mpv_wait_event(mpv, 1.0);
        if (event->event_id == MPV_EVENT_PLAYBACK_RESTART && !started) {
            started = true;
            std::printf("started\n");
            std::fflush(stdout);
        } else if (event->event_id == MPV_EVENT_END_FILE || event->event_id == MPV_EVENT_SHUTDOWN) {
            break;
        }
    }
    mpv_terminate_destroy(mpv);
    XCloseDisplay(display);
    return 0;
}
