#pragma once

// The video plug-in on libmpv, opened by the first video (mpvlibrary.h). One core plays every
// video of the run. Its frames are rendered in memory (libmpv's software render interface) at
// the size of the widget whose native window is given to loadMediaFile, and painted there; the
// core itself opens no window and no X connection. Whether a
// file is playable is decided at load by a short probe of its streams, so no call waits for
// the player core longer than a property read; the core's events are drained on the GUI
// thread after its wakeup callback has posted a queued call. GUI thread only.

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <atomic>
#include <cstdint>
#include <string>

#include "video/videoplugin.h"

struct mpv_handle;
struct mpv_render_context;

namespace tv::video {
struct MpvApi;
}

namespace tv::video {

class MpvVideoPlugin : public QObject, public VideoPlugin {
    Q_OBJECT
public:
    // `audioOutput` is libmpv's audio output list ("null" keeps tests silent).
    explicit MpvVideoPlugin(std::string audioOutput = {});
    ~MpvVideoPlugin() override;

    void loadMediaFile(const std::string& path, uintptr_t windowHandle) override;
    bool MediaStreamAvailable() override { return m_available; }
    bool VideoAvailable() override { return m_available && m_hasVideo; }
    void setVideoPos(int32_t x, int32_t y, int32_t width, int32_t height) override;
    void playMediaStream() override;
    void pauseMediaStream() override;
    int64_t getMediaStreamDuration() override;
    int64_t getMediaStreamPos() override;
    void setMediaStreamPos(int64_t position) override;
    bool MediaStreamPlayed() override { return m_available; }
    void stopMediaStream() override;
    void freeMediaStream() override;
    bool MediaStreamEnded() override;
    int32_t getFullScreenVideo() override;
    void setFullScreenVideo(int32_t on) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void RenderFrame(bool force);
    bool EnsureCore(uintptr_t windowHandle);
    void DestroyCore();
    void DrainEvents();
    void SetFlag(const char* name, bool value);
    double GetDouble(const char* name, double fallback);

    std::string m_audioOutput;
    const MpvApi* m_api = nullptr;  // libmpv, opened by the first video
    mpv_handle* m_mpv = nullptr;    // one core for the whole run
    mpv_render_context* m_render = nullptr;
    QPointer<QWidget> m_panel;  // where the frames are painted
    QImage m_frame;             // the last frame, at the panel's size
    uintptr_t m_window = 0;
    bool m_available = false;
    bool m_hasVideo = false;
    bool m_fileLoaded = false;  // the core has opened the file (seeks go straight to it)
    int64_t m_probedDuration = 0;
    int64_t m_pendingSeek = -1;
    // Files asked for and files the core has started: its events count only when they match.
    uint64_t m_loadsIssued = 0;
    uint64_t m_startsSeen = 0;
    std::atomic<bool> m_drainQueued{false};
    std::atomic<bool> m_renderQueued{false};
};

}  // namespace tv::video
