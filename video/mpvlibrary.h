#pragma once

// libmpv opened on first use: an audio-only run never maps it. The library is looked up by its
// run-time name (TORVANELL_LIBMPV names another file to open instead); when it is missing or
// lacks a function the video window needs, one warning goes to standard error and every video
// stays black while sound plays on.

#include <mpv/client.h>
#include <mpv/render.h>

namespace tv::video {

// The libmpv functions the video plug-in calls, resolved from the opened library.
struct MpvApi {
    decltype(&mpv_create) create = nullptr;
    decltype(&mpv_initialize) initialize = nullptr;
    decltype(&mpv_terminate_destroy) terminateDestroy = nullptr;
    decltype(&mpv_set_option) setOption = nullptr;
    decltype(&mpv_set_option_string) setOptionString = nullptr;
    decltype(&mpv_set_property) setProperty = nullptr;
    decltype(&mpv_get_property) getProperty = nullptr;
    decltype(&mpv_command) command = nullptr;
    decltype(&mpv_command_async) commandAsync = nullptr;
    decltype(&mpv_wait_event) waitEvent = nullptr;
    decltype(&mpv_set_wakeup_callback) setWakeupCallback = nullptr;
    decltype(&mpv_render_context_create) renderCreate = nullptr;
    decltype(&mpv_render_context_set_update_callback) renderSetUpdateCallback = nullptr;
    decltype(&mpv_render_context_update) renderUpdate = nullptr;
    decltype(&mpv_render_context_render) render = nullptr;
    decltype(&mpv_render_context_free) renderFree = nullptr;
};

// The functions of libmpv, opening it at the first call; nullptr when it cannot be opened (the
// warning is written once). Any thread; the library stays open for the rest of the run.
const MpvApi* LoadMpv();

// True once LoadMpv has opened the library (for tests that check nothing opened it).
bool MpvLoaded();

}  // namespace tv::video
