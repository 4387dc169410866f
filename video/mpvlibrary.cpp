#include "video/mpvlibrary.h"

#include <dlfcn.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

namespace tv::video {

namespace {

std::atomic<bool> g_loaded{false};

template <typename F>
bool Resolve(void* library, const char* name, F& slot) {
    slot = reinterpret_cast<F>(dlsym(library, name));
    return slot != nullptr;
}

// Opens the library and fills `api`; what went wrong when that fails, empty otherwise.
std::string Open(MpvApi& api) {
    void* library = nullptr;
    if (const char* name = std::getenv("TORVANELL_LIBMPV"); name && *name) {
        library = dlopen(name, RTLD_NOW | RTLD_LOCAL);
    } else {
        for (const char* name : {"libmpv.so.2", "libmpv.so"})
            if ((library = dlopen(name, RTLD_NOW | RTLD_LOCAL)))
                break;
    }
    if (!library) {
        const char* reason = dlerror();
        return reason ? reason : "libmpv not found";
    }
    const bool all =
        Resolve(library, "mpv_create", api.create) &&
        Resolve(library, "mpv_initialize", api.initialize) &&
        Resolve(library, "mpv_terminate_destroy", api.terminateDestroy) &&
        Resolve(library, "mpv_set_option", api.setOption) &&
        Resolve(library, "mpv_set_option_string", api.setOptionString) &&
        Resolve(library, "mpv_set_property", api.setProperty) &&
        Resolve(library, "mpv_get_property", api.getProperty) &&
        Resolve(library, "mpv_command", api.command) &&
        Resolve(library, "mpv_command_async", api.commandAsync) &&
        Resolve(library, "mpv_wait_event", api.waitEvent) &&
        Resolve(library, "mpv_set_wakeup_callback", api.setWakeupCallback) &&
        Resolve(library, "mpv_render_context_create", api.renderCreate) &&
        Resolve(library, "mpv_render_context_set_update_callback", api.renderSetUpdateCallback) &&
        Resolve(library, "mpv_render_context_update", api.renderUpdate) &&
        Resolve(library, "mpv_render_context_render", api.render) &&
        Resolve(library, "mpv_render_context_free", api.renderFree);
    if (!all) {
        dlclose(library);
        return "libmpv lacks a function the video window needs";
    }
    return {};
}

}  // namespace

const MpvApi* LoadMpv() {
    static MpvApi api;
    static bool ok = false;
    static std::once_flag once;
    std::call_once(once, [] {
        if (const std::string failure = Open(api); !failure.empty()) {
            std::fprintf(stderr, "Torvanell: videos stay black: %s\n", failure.c_str());
            api = MpvApi{};
            return;
        }
        ok = true;
        g_loaded = true;
    });
    return ok ? &api : nullptr;
}

bool MpvLoaded() {
    return g_loaded;
}

}  // namespace tv::video
