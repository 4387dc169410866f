#include "video/mpvvideoplugin.h"

#include "video/mpvlibrary.h"

#include <QEvent>
#include <QGuiApplication>
#include <QMetaObject>
#include <QPainter>
#include <QWidget>

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

// One core serves every video of the run: each new file is a `loadfile` into it, and freeing
// a stream only stops it. The core opens no window and no X connection of its own: it renders
// each frame into memory through its software render interface, and the panel paints that
// frame. (Its own X11 outputs, one per video, each brought up an X connection beside the
// program's, and a fatal X error or a descriptor closed twice on one of their threads ended
// the whole program.)
bool MpvVideoPlugin::EnsureCore(uintptr_t windowHandle) {
    if (m_mpv && m_window == windowHandle)
        return true;
    DestroyCore();
    m_panel = QWidget::find(static_cast<WId>(windowHandle));
    m_api = LoadMpv();
    if (!m_api || !m_panel)
        return false;
    // libmpv refuses to start under a locale whose decimal point is not '.'; Qt has set the
    // user's locale by now.
    std::setlocale(LC_NUMERIC, "C");
    m_mpv = m_api->create();
    if (!m_mpv)
        return false;
    const std::pair<const char*, const char*> options[] = {
        {"vo", "libmpv"},
        {"idle", "yes"},
        {"keep-open", "yes"},
        {"pause", "yes"},
        {"input-default-bindings", "no"},
        {"input-vo-keyboard", "no"},
        {"osc", "no"},
        {"terminal", "no"},
        {"config", "no"},
        {"load-scripts", "no"},
        // Nor the built-in scripts (each would be one more thread of the core).
        {"ytdl", "no"},
        {"load-stats-overlay", "no"},
        {"load-osd-console", "no"},
        {"load-auto-profiles", "no"}};
    for (const auto& [name, value] : options)
        m_api->setOptionString(m_mpv, name, value);
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        // Under a compositor the panel's native sub-surface is not painted from the frames, so
        // the picture does not show; the sound, the position, the end of the video and with it
        // the playlist go on as usual. Said once.
        static bool warned = false;
        if (!std::exchange(warned, true))
            std::fprintf(
                stderr, "torvanell: video pictures are not shown under Wayland; the sound plays\n");
    }
    if (!m_audioOutput.empty())
        m_api->setOptionString(m_mpv, "ao", m_audioOutput.c_str());
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_SW)},
        {MPV_RENDER_PARAM_INVALID, nullptr}};
    if (m_api->initialize(m_mpv) < 0 || m_api->renderCreate(&m_render, m_mpv, params) < 0) {
        m_api->terminateDestroy(m_mpv);
        m_mpv = nullptr;
        m_render = nullptr;
        return false;
    }
    m_window = windowHandle;
    m_panel->installEventFilter(this);
    // Both callbacks come on the core's threads: they only post work to the GUI thread.
    m_api->setWakeupCallback(
        m_mpv,
        [](void* self) {
            auto* plugin = static_cast<MpvVideoPlugin*>(self);
            if (!plugin->m_drainQueued.exchange(true))
                QMetaObject::invokeMethod(plugin, &MpvVideoPlugin::DrainEvents,
                                          Qt::QueuedConnection);
        },
        this);
    m_api->renderSetUpdateCallback(
        m_render,
        [](void* self) {
            auto* plugin = static_cast<MpvVideoPlugin*>(self);
            if (!plugin->m_renderQueued.exchange(true))
                QMetaObject::invokeMethod(
                    plugin, [plugin] { plugin->RenderFrame(false); }, Qt::QueuedConnection);
        },
        this);
    return true;
}

void MpvVideoPlugin::DestroyCore() {
    if (!m_mpv)
        return;
    if (m_render) {
        m_api->renderSetUpdateCallback(m_render, nullptr, nullptr);
        m_api->renderFree(m_render);  // before the core, as libmpv requires
        m_render = nullptr;
    }
    m_api->setWakeupCallback(m_mpv, nullptr, nullptr);
    m_api->terminateDestroy(m_mpv);  // waits for the core's threads
    m_mpv = nullptr;
    m_window = 0;
    if (m_panel)
        m_panel->removeEventFilter(this);
    m_panel = nullptr;
    m_frame = QImage();
    m_available = m_fileLoaded = false;
    m_loadsIssued = m_startsSeen = 0;
}

// Draws the core's current frame at the panel's size into m_frame when the core has a new
// one (or always, with `force`, after the panel changed size), then repaints the panel.
void MpvVideoPlugin::RenderFrame(bool force) {
    m_renderQueued = false;
    if (!m_render || !m_panel)
        return;
    const bool fresh = m_api->renderUpdate(m_render) & MPV_RENDER_UPDATE_FRAME;
    if (!m_available || !(fresh || force))
        return;
    const QSize size = m_panel->size() * m_panel->devicePixelRatioF();
    if (size.isEmpty())
        return;
    if (m_frame.size() != size)
        m_frame = QImage(size, QImage::Format_RGB32);  // "bgr0" in memory order
    int pixels[2] = {size.width(), size.height()};
    size_t stride = static_cast<size_t>(m_frame.bytesPerLine());
    int block = 0;  // never wait here for the frame's display time
    mpv_render_param params[] = {{MPV_RENDER_PARAM_SW_SIZE, pixels},
                                 {MPV_RENDER_PARAM_SW_FORMAT, const_cast<char*>("bgr0")},
                                 {MPV_RENDER_PARAM_SW_STRIDE, &stride},
                                 {MPV_RENDER_PARAM_SW_POINTER, m_frame.bits()},
                                 {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &block},
                                 {MPV_RENDER_PARAM_INVALID, nullptr}};
    if (m_api->render(m_render, params) >= 0)
        m_panel->update();
}

bool MpvVideoPlugin::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_panel && event->type() == QEvent::Paint && m_available && !m_frame.isNull()) {
        QPainter painter(m_panel);
        painter.drawImage(m_panel->rect(), m_frame);
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void MpvVideoPlugin::DrainEvents() {
    m_drainQueued = false;
    while (m_mpv) {
        const mpv_event* event = m_api->waitEvent(m_mpv, 0);
        if (event->event_id == MPV_EVENT_NONE)
            break;
        // Events of a file replaced since are stale: only the newest load counts.
        if (event->event_id == MPV_EVENT_START_FILE)
            ++m_startsSeen;
        const bool current = m_startsSeen == m_loadsIssued;
        if (event->event_id == MPV_EVENT_FILE_LOADED && m_available && current) {
            m_fileLoaded = true;
            if (m_pendingSeek >= 0)
                setMediaStreamPos(m_pendingSeek);
            m_pendingSeek = -1;
        } else if (event->event_id == MPV_EVENT_END_FILE && current) {
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
    if (m_api->commandAsync(m_mpv, 0, cmd) < 0)
        return;
    ++m_loadsIssued;
    m_available = true;
    m_hasVideo = probe.hasVideo;
    m_probedDuration = probe.duration;
    m_pendingSeek = -1;
}

void MpvVideoPlugin::setVideoPos(int32_t, int32_t, int32_t, int32_t) {
    // Frames are drawn at the panel's size: redraw the current one at the new size.
    RenderFrame(true);
}

void MpvVideoPlugin::playMediaStream() {
    if (m_available)
        SetFlag("pause", false);
}

void MpvVideoPlugin::pauseMediaStream() {
    if (!m_available)
        return;
    const char* cmd[] = {"cycle", "pause", nullptr};
    m_api->commandAsync(m_mpv, 0, cmd);
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
    m_api->commandAsync(m_mpv, 0, cmd);
}

void MpvVideoPlugin::stopMediaStream() {
    if (m_available)
        SetFlag("pause", true);
}

bool MpvVideoPlugin::MediaStreamEnded() {
    if (!m_available || !m_fileLoaded)
        return false;
    int flag = 0;
    return m_api->getProperty(m_mpv, "eof-reached", MPV_FORMAT_FLAG, &flag) >= 0 && flag;
}

void MpvVideoPlugin::freeMediaStream() {
    if (!m_mpv || !m_available)
        return;
    // The core stays for the next video; only the file goes.
    const char* cmd[] = {"stop", nullptr};
    m_api->command(m_mpv, cmd);
    m_frame = QImage();  // the panel is black again
    if (m_panel)
        m_panel->update();
    m_available = m_fileLoaded = m_hasVideo = false;
    m_probedDuration = 0;
    m_pendingSeek = -1;
}

int32_t MpvVideoPlugin::getFullScreenVideo() {
    if (!m_mpv)
        return 0;
    int flag = 0;
    m_api->getProperty(m_mpv, "fullscreen", MPV_FORMAT_FLAG, &flag);
    return flag ? 1 : 0;
}

void MpvVideoPlugin::setFullScreenVideo(int32_t on) {
    if (m_mpv)
        SetFlag("fullscreen", on != 0);
}

void MpvVideoPlugin::SetFlag(const char* name, bool value) {
    int flag = value ? 1 : 0;
    m_api->setProperty(m_mpv, name, MPV_FORMAT_FLAG, &flag);
}

double MpvVideoPlugin::GetDouble(const char* name, double fallback) {
    double value = fallback;
    if (m_api->getProperty(m_mpv, name, MPV_FORMAT_DOUBLE, &value) < 0)
        return fallback;
    return value;
}

}  // namespace tv::video
