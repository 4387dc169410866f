#pragma once

// TfrmVideo: the borderless video window. It owns the plug-in and the black panel the plug-in
// renders into, draws the frame it is given (VideoFrameLook) and forwards every event to
// VideoWindowLogic. What it needs from the main window comes in as plain callbacks.

#include <QLabel>
#include <QPushButton>
#include <QRect>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <functional>
#include <memory>

#include "video/videoframelook.h"
#include "video/videowindowlogic.h"

namespace tv::video {

struct VideoMainHooks {
    std::function<std::string()> selectedPath;
    std::function<void(bool)> showSeekKnobs;
    std::function<void()> clickMainStop;
    // The main window's frame on the screen: the first show places this window beside it.
    std::function<QRect()> mainWindowFrame;
    // The video played to its end (called from the event loop, after the tick that found it).
    std::function<void()> videoEnded;
};

class TfrmVideo : public QWidget, private VideoWindowHost {
    Q_OBJECT
public:
    static constexpr int kWidth = 610;
    static constexpr int kHeight = 368;
    static constexpr int kTitleHeight = 25;
    static constexpr int kBottomHeight = 5;
    static constexpr int kBorderWidth = 5;
    static constexpr int kMoveThreshold = 4;

    TfrmVideo(std::unique_ptr<VideoPlugin> plugin, VideoMainHooks hooks,
              VideoFrameLook look = VideoFrameLook::Placeholder(), QWidget* parent = nullptr);
    ~TfrmVideo() override;

    VideoWindowLogic& Logic() { return m_logic; }
    VideoPlugin& Plugin() { return *m_plugin; }
    QWidget* VideoPnl() const { return m_videoPnl; }
    QPushButton* btnPlay() const { return m_btnPlay; }
    QPushButton* btnPause() const { return m_btnPause; }
    QPushButton* btnStop() const { return m_btnStop; }
    QLabel* lblen() const { return m_lblen; }
    QTimer* Timer1() { return &m_timer1; }

protected:
    void paintEvent(QPaintEvent*) override;
    void showEvent(QShowEvent*) override;
    void closeEvent(QCloseEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void moveEvent(QMoveEvent*) override;
    void wheelEvent(QWheelEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // VideoWindowHost
    std::string SelectedPath() override;
    uintptr_t PanelHandle() override;
    Bounds PanelBounds() override;
    Bounds WindowBounds() override;
    void SetWindowBounds(const Bounds& b) override;
    Bounds ScreenBounds() override;
    void ProcessEvents() override;
    void ShowSeekKnobs(bool shown) override;
    void ClickMainStop() override;
    void SetTimerEnabled(bool on) override;
    void HideWindow() override;
    void LengthTextChanged(const std::string& text) override;
    void VideoEnded() override;

    QRect ExitRect() const;
    QRect MinimizeRect() const;
    // A left press on the title bar or the picture may become a move: it does once the
    // pointer has gone kMoveThreshold pixels with the button held, so clicks and
    // double-clicks stay clicks under a window manager too.
    void PressMayMove(QMouseEvent* event);
    void PointerMoved(QMouseEvent* event);
    void StartMove(QPoint globalPress);
    void PlaceBesideMainWindow();
    void WriteStatus(const char* event);

    std::unique_ptr<VideoPlugin> m_plugin;
    VideoMainHooks m_hooks;
    VideoFrameLook m_look;
    VideoWindowLogic m_logic;
    QWidget* m_videoPnl = nullptr;
    QWidget* m_panel1 = nullptr;
    QPushButton* m_btnPlay = nullptr;
    QPushButton* m_btnPause = nullptr;
    QPushButton* m_btnStop = nullptr;
    QLabel* m_lblen = nullptr;
    QTimer m_timer1;
    bool m_exitPressed = false;
    bool m_minimizePressed = false;
    bool m_hiding = false;
    bool m_ownDrag = false;
    bool m_movePending = false;
    QPoint m_pressAt;
    bool m_placed = false;
    QPoint m_dragOffset;
    std::FILE* m_status = nullptr;  // TORVANELL_VIDEO_STATUS, see WriteStatus
};

}  // namespace tv::video
