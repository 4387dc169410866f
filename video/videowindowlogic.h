#pragma once

// The video window's behaviour without any widget: Play, Pause, Stop, the position bar and its
// seeks, the 100 ms timer, close and destroy, resize, the wheel and the fill-screen toggle.
// The Qt window forwards its events here and draws what this says; tests drive it with a fake
// plug-in and a fake host. Everything runs on the GUI thread; no failure is ever shown.

#include <cstdint>
#include <optional>
#include <string>

#include "video/videoplugin.h"

namespace tv::video {

struct Bounds {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const Bounds&) const = default;
};

// Where a window of `width` × `height` first opens so that it is whole on the work area `area`:
// right of the main window's frame `main` where it fits there, else left of it, else centred
// on the area; top edge level with the main window's, moved down or up into the area.
Bounds PlaceBesideMain(const Bounds& main, const Bounds& area, int width, int height);

// What the logic needs from the window around it and from the main window.
class VideoWindowHost {
public:
    virtual ~VideoWindowHost() = default;
    virtual std::string SelectedPath() = 0;  // the path of the playlist's focused entry
    virtual uintptr_t PanelHandle() = 0;     // native window of the video panel
    virtual Bounds PanelBounds() = 0;        // the panel inside the window
    virtual Bounds WindowBounds() = 0;
    virtual void SetWindowBounds(const Bounds& b) = 0;
    virtual Bounds ScreenBounds() = 0;
    virtual void ProcessEvents() = 0;  // let pending window events run once
    virtual void ShowSeekKnobs(bool shown) = 0;
    virtual void ClickMainStop() = 0;  // the main window's stop (closes this window)
    virtual void SetTimerEnabled(bool on) = 0;
    virtual void HideWindow() = 0;
    virtual void LengthTextChanged(const std::string&) {}
    // The playing video reached its end (once per Play).
    virtual void VideoEnded() {}
};

// The hidden position bar: milliseconds, clamped to 0 … maximum.
class PositionBar {
public:
    int Position() const { return m_position; }
    int Maximum() const { return m_maximum; }
    // Returns whether the position changed.
    bool SetPosition(int64_t p);
    void SetMaximum(int64_t m);

private:
    int m_position = 0;
    int m_maximum = 100;
};

class VideoWindowLogic {
public:
    static constexpr int kWheelWidth = 32;
    static constexpr int kWheelHeight = 24;

    VideoWindowLogic(VideoPlugin& plugin, VideoWindowHost& host) : m_plugin(plugin), m_host(host) {}

    void btnPlayClick();
    void btnPauseClick();
    void btnStopClick();
    // Sets the position bar (as the main timer, the keys and the slider do); a change seeks.
    void SetPosBarPosition(int64_t ms);
    // The playlist's Left and Right: 5 s back (not below 0) or on (not past maximum - 1).
    void StepPosBar(bool forward);
    // The main seek slider released at x of `travel` pixels: the bar goes to the length in
    // lblen times x / travel, nearest integer with halves to even.
    void SetPosBarFraction(int x, int travel);
    // Also reports the end of the video to the host, once per Play.
    void Timer1Timer();
    void FormShow();
    void FormClose();
    void FormDestroy();
    void FormResize();
    // Positive notches grow the window, negative ones shrink it.
    void FormMouseWheel(int notches);
    void VideoPnlDblClick();

    const PositionBar& PosBar() const { return m_posBar; }
    const std::string& lblen() const { return m_lblen; }
    // The length lblen shows, in ms; nullopt until a video has started.
    std::optional<int64_t> LengthMs() const { return m_lengthMs; }
    const std::string& VideoFileName() const { return m_videoFileName; }
    int32_t FillScreen() const { return m_fillScreen; }
    const Bounds& SavedBounds() const { return m_savedBounds; }

private:
    void PosBarChange();
    void SetVideoPosToPanel();

    VideoPlugin& m_plugin;
    VideoWindowHost& m_host;
    PositionBar m_posBar;
    std::string m_lblen;
    std::optional<int64_t> m_lengthMs;
    std::string m_videoFileName;
    bool m_positionUpdating = false;
    bool m_endReported = false;
    int32_t m_fillScreen = 0;
    Bounds m_savedBounds;
};

}  // namespace tv::video
