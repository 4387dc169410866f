#include "video/videowindowlogic.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <exception>

namespace tv::video {

bool PositionBar::SetPosition(int64_t p) {
    const int clamped = static_cast<int>(std::clamp<int64_t>(p, 0, m_maximum));
    if (clamped == m_position)
        return false;
    m_position = clamped;
    return true;
}

void PositionBar::SetMaximum(int64_t m) {
    m_maximum = static_cast<int>(std::clamp<int64_t>(m, 0, INT32_MAX));
    m_position = std::min(m_position, m_maximum);
}

Bounds PlaceBesideMain(const Bounds& main, const Bounds& area, int width, int height) {
    const int areaRight = area.left + area.width;
    const int areaBottom = area.top + area.height;
    const int mainRight = main.left + main.width;
    Bounds placed{0, 0, width, height};
    if (mainRight >= area.left && mainRight + width <= areaRight) {
        placed.left = mainRight;
        placed.top = main.top;
    } else if (main.left - width >= area.left && main.left <= areaRight) {
        placed.left = main.left - width;
        placed.top = main.top;
    } else {
        placed.left = area.left + (area.width - width) / 2;
        placed.top = area.top + (area.height - height) / 2;
    }
    placed.left = std::clamp(placed.left, area.left, std::max(area.left, areaRight - width));
    placed.top = std::clamp(placed.top, area.top, std::max(area.top, areaBottom - height));
    return placed;
}

void VideoWindowLogic::btnPlayClick() {
    // No cut at 255 characters: a long path must still open.
    m_videoFileName = m_host.SelectedPath();
    m_endReported = false;
    m_plugin.loadMediaFile(m_videoFileName, m_host.PanelHandle());
    if (!m_plugin.MediaStreamAvailable())
        return;  // nothing reported; the window stays black
    try {
        if (m_plugin.VideoAvailable()) {
            m_host.ProcessEvents();
            SetVideoPosToPanel();
            m_host.ProcessEvents();
        }
        m_host.ProcessEvents();
        m_plugin.playMediaStream();
        m_host.ShowSeekKnobs(true);
        // A bar left at a later position by the previous video seeks this one back to 0.
        SetPosBarPosition(0);
        const int64_t maximum = m_plugin.getMediaStreamDuration() / 10000;
        m_posBar.SetMaximum(maximum);
        m_lblen = std::to_string(maximum);
        m_lengthMs = maximum;
        m_host.LengthTextChanged(m_lblen);
    } catch (const std::exception&) {
        // the start sequence swallows every failure
    }
}

void VideoWindowLogic::btnPauseClick() {
    m_plugin.pauseMediaStream();
}

void VideoWindowLogic::btnStopClick() {
    if (m_plugin.MediaStreamPlayed()) {
        m_plugin.stopMediaStream();
        m_plugin.freeMediaStream();
        m_host.ShowSeekKnobs(false);
        if (m_plugin.getFullScreenVideo() != 0)
            m_plugin.setFullScreenVideo(0);
    } else {
        FormClose();
    }
}

void VideoWindowLogic::SetPosBarPosition(int64_t ms) {
    if (m_posBar.SetPosition(ms))
        PosBarChange();
}

void VideoWindowLogic::StepPosBar(bool forward) {
    constexpr int kStepMs = 5000;
    const int p = m_posBar.Position();
    if (forward)
        SetPosBarPosition(p + kStepMs > m_posBar.Maximum() ? m_posBar.Maximum() - 1 : p + kStepMs);
    else
        SetPosBarPosition(p > kStepMs ? p - kStepMs : 0);
}

void VideoWindowLogic::SetPosBarFraction(int x, int travel) {
    if (travel <= 0)
        return;
    const double length = m_lblen.empty() ? 0.0 : std::strtod(m_lblen.c_str(), nullptr);
    // nearbyint rounds halves to even in the default rounding mode.
    SetPosBarPosition(static_cast<int64_t>(std::nearbyint(length * x / travel)));
}

void VideoWindowLogic::PosBarChange() {
    if (m_positionUpdating)
        return;
    m_plugin.setMediaStreamPos(static_cast<int64_t>(m_posBar.Position()) * 10000);
}

void VideoWindowLogic::Timer1Timer() {
    m_positionUpdating = true;
    try {
        if (m_plugin.getMediaStreamDuration() > 0)
            SetPosBarPosition(m_plugin.getMediaStreamPos() / 10000);
    } catch (const std::exception&) {
    }
    m_positionUpdating = false;
    // A video's end moves the playlist on as a track's end does.
    if (!m_endReported && m_plugin.MediaStreamEnded()) {
        m_endReported = true;
        m_host.VideoEnded();
    }
}

void VideoWindowLogic::FormShow() {
    m_host.SetTimerEnabled(true);
}

void VideoWindowLogic::FormClose() {
    m_host.SetTimerEnabled(false);
    // The main stop closes this window again while a video is its state; that nested close
    // finds the player stopped and goes no further.
    m_host.ClickMainStop();
    m_plugin.freeMediaStream();
    m_host.HideWindow();
}

void VideoWindowLogic::FormDestroy() {
    btnStopClick();
}

void VideoWindowLogic::FormResize() {
    try {
        if (m_plugin.VideoAvailable())
            SetVideoPosToPanel();
    } catch (const std::exception&) {
    }
}

void VideoWindowLogic::SetVideoPosToPanel() {
    const Bounds panel = m_host.PanelBounds();
    m_plugin.setVideoPos(0, 0, panel.width, panel.height);
}

void VideoWindowLogic::FormMouseWheel(int notches) {
    try {
        Bounds b = m_host.WindowBounds();
        b.width += kWheelWidth * notches;
        b.height += kWheelHeight * notches;
        m_host.SetWindowBounds(b);
    } catch (const std::exception&) {
    }
}

void VideoWindowLogic::VideoPnlDblClick() {
    if (m_fillScreen == 0) {
        m_savedBounds = m_host.WindowBounds();
        const Bounds screen = m_host.ScreenBounds();
        m_host.SetWindowBounds({0, 0, screen.width, screen.height});
        m_fillScreen = -1;
    } else {
        m_host.SetWindowBounds(m_savedBounds);
        m_fillScreen = 0;
    }
}

}  // namespace tv::video
