#include "video/mpvvideoplugin.h"

#include <mpv/client.h>

#include <QGuiApplication>
#include <QMetaObject>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <utility>

extern "C" {
#include <libavformat/avformat.h>
}

namespace tv::video {

namespace {

struct Probe {
    bool playable = false;
    bool hasVideo = false;
    int64_t duration = 0;  // 100 ns
};

// A file counts as a video stream when the demuxer finds a real picture stream in it (cover
// art of an audio file does not count); anything else leaves nothing loaded.
Probe ProbeFile(const std::string& path) {
    Probe probe;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return probe;
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0)
        return probe;
    if (avformat_find_stream_info(format, nullptr) >= 0) {
        for (unsigned i = 0; i < format->nb_streams; ++i) {
            const AVStream* s = format->streams[i];
            if (s->codecpar->codec_type == AVMEDIA_TYPE_VIDEO &&
                !(s->disposition & AV_DISPOSITION_ATTACHED_PIC))
                probe.hasVideo = true;
        }
        probe.playable = probe.hasVideo;
        if (format->duration > 0)
            probe.duration = format->duration * 10;  // microseconds -> 100 ns
    }
    avformat_close_input(&format);
    return probe;
}

}  // namespace

MpvVideoPlugin::MpvVideoPlugin(std::string audioOutput) : m_audioOutput(std::move(audioOutput)) {}

MpvVideoPlugin::~MpvVideoPlugin() {
    DestroyCore();
}

bool MpvVideoPlugin::EnsureCore(uintptr_t windowHandle) {
    if (m_mpv && m_window == windowHandle)
        return true;
    DestroyCore();
    // libmpv refuses to start under a locale whose decimal point is not '.'; Qt has set the
    // user's locale by now.
    std::setlocale(LC_NUMERIC, "C");
    m_mpv = mpv_create();
    if (!m_mpv)
        return false;
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        // libmpv draws into a window given by its X11 id, which a Wayland client does not
        // have; its own Wayland window was measured blank on a compositor. So the picture is
        // not drawn (the panel stays black) while the sound, the position and the end of the
        // video, and with them the playlist, go on as usual.
        static bool warned = false;
        if (!std::exchange(warned, true))
            std::fprintf(
                stderr, "torvanell: video pictures are not shown under Wayland; the sound plays\n");
        mpv_set_option_string(m_mpv, "vo", "null");
    } else {
        int64_t wid = static_cast<int64_t>(windowHandle);
        mpv_set_option(m_mpv, "wid", MPV_FORMAT_INT64, &wid);
        mpv_set_option_string(m_mpv, "vo", "gpu,x11");
    }
    if (!m_audioOutput.empty())
        mpv_set_option_string(m_mpv, "ao", m_audioOutput.c_str());
    mpv_set_option_string(m_mpv, "idle", "yes");
    mpv_set_option_string(m_mpv, "keep-open", "yes");
    mpv_set_option_string(m_mpv, "pause", "yes");
    mpv_set_option_string(m_mpv, "input-default-bindings", "no");
    mpv_set_option_string(m_mpv, "input-vo-keyboard", "no");
    mpv_set_option_string(m_mpv, "input-cursor", "no");
    mpv_set_option_string(m_mpv, "osc", "no");
    mpv_set_option_string(m_mpv, "terminal", "no");
    mpv_set_option_string(m_mpv, "config", "no");
    mpv_set_option_string(m_mpv, "load-scripts", "no");
    // Nor the built-in scripts (each would be one more thread started with every video).
    for (const char* builtin :
         {"ytdl", "load-stats-overlay", "load-osd-console", "load-auto-profiles"})
        mpv_set_option_string(m_mpv, builtin, "no");
    if (mpv_initialize(m_mpv) < 0) {
        mpv_terminate_destroy(m_mpv);
        m_mpv = nullptr;
        return false;
    }
    m_window = windowHandle;
    mpv_set_wakeup_callback(
        m_mpv,
        [](void* self) {
            // Called on one of the core's threads: only post the drain to the GUI thread.
            auto* plugin = static_cast<MpvVideoPlugin*>(self);
            if (!plugin->m_drainQueued.exchange(true))
                QMetaObject::invokeMethod(plugin, &MpvVideoPlugin::DrainEvents,
                                          Qt::QueuedConnection);
        },
        this);
    return true;
}

void MpvVideoPlugin::DestroyCore() {
    if (!m_mpv)
        return;
    mpv_set_wakeup_callback(m_mpv, nullptr, nullptr);
    mpv_terminate_destroy(m_mpv);
    m_mpv = nullptr;
    m_window = 0;
    m_available = m_fileLoaded = false;
}

void MpvVideoPlugin::DrainEvents() {
    m_drainQueued = false;
    while (m_mpv) {
        const mpv_event* event = mpv_wait_event(m_mpv, 0);
        if (event->event_id == MPV_EVENT_NONE)
            break;
        if (event->event_id == MPV_EVENT_FILE_LOADED && m_available) {
            m_fileLoaded = true;
            if (m_pendingSeek >= 0)
                setMediaStreamPos(m_pendingSeek);
            m_pendingSeek = -1;
        } else if (event->event_id == MPV_EVENT_END_FILE) {
            m_fileLoaded = false;
        }
    }
}

void MpvVideoPlugin::loadMediaFile(const std::string& path, uintptr_t windowHandle) {
    freeMediaStream();
    const Probe probe = ProbeFile(path);
    if (!probe.playable || !EnsureCore(windowHandle))
        return;
    SetFlag("pause", true);
    const char* cmd[] = {"loadfile", path.c_str(), "replace", nullptr};
    if (mpv_command_async(m_mpv, 0, cmd) < 0)
        return;
    m_available = true;
    m_hasVideo = probe.hasVideo;
    m_probedDuration = probe.duration;
    m_pendingSeek = -1;
}

void MpvVideoPlugin::setVideoPos(int32_t, int32_t, int32_t, int32_t) {
    // The core follows the size of the window it renders into; nothing to do.
}

void MpvVideoPlugin::playMediaStream() {
    if (m_available)
        SetFlag("pause", false);
}

void MpvVideoPlugin::pauseMediaStream() {
    if (!m_available)
        return;
    const char* cmd[] = {"cycle", "pause", nullptr};
    mpv_command_async(m_mpv, 0, cmd);
}

int64_t MpvVideoPlugin::getMediaStreamDuration() {
    if (!m_available)
        return 0;
    const double seconds = GetDouble("duration", -1.0);
    return seconds > 0 ? std::llround(seconds * 1e7) : m_probedDuration;
}

int64_t MpvVideoPlugin::getMediaStreamPos() {
    if (!m_available)
        return 0;
    if (!m_fileLoaded && m_pendingSeek >= 0)
        return m_pendingSeek;
    return std::llround(std::max(0.0, GetDouble("time-pos", 0.0)) * 1e7);
}

void MpvVideoPlugin::setMediaStreamPos(int64_t position) {
    if (!m_available)
        return;
    if (!m_fileLoaded) {
        m_pendingSeek = position;  // applied when the core has opened the file
        return;
    }
    const std::string seconds = std::to_string(static_cast<double>(position) / 1e7);
    const char* cmd[] = {"seek", seconds.c_str(), "absolute", nullptr};
    mpv_command_async(m_mpv, 0, cmd);
}

void MpvVideoPlugin::stopMediaStream() {
    if (m_available)
        SetFlag("pause", true);
}

void MpvVideoPlugin::freeMediaStream() {
    if (!m_mpv || !m_available)
        return;
    // The core goes with the stream, at once and on this thread: its picture window is a
    // child of the panel, and a core left to wind down on its own threads could still be
    // unmapping that window after the panel's window is gone (a fatal X error at exit).
    DestroyCore();
    m_available = m_fileLoaded = m_hasVideo = false;
    m_probedDuration = 0;
    m_pendingSeek = -1;
}

int32_t MpvVideoPlugin::getFullScreenVideo() {
    if (!m_mpv)
        return 0;
    int flag = 0;
    mpv_get_property(m_mpv, "fullscreen", MPV_FORMAT_FLAG, &flag);
    return flag ? 1 : 0;
}

void MpvVideoPlugin::setFullScreenVideo(int32_t on) {
    if (m_mpv)
        SetFlag("fullscreen", on != 0);
}

void MpvVideoPlugin::SetFlag(const char* name, bool value) {
    int flag = value ? 1 : 0;
    mpv_set_property(m_mpv, name, MPV_FORMAT_FLAG, &flag);
}

double MpvVideoPlugin::GetDouble(const char* name, double fallback) {
    double value = fallback;
    if (mpv_get_property(m_mpv, name, MPV_FORMAT_DOUBLE, &value) < 0)
        return fallback;
    return value;
}

}  // namespace tv::video
