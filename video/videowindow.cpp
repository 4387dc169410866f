#include "video/videowindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWheelEvent>
#include <QWindow>

#include <algorithm>
#include <cstdlib>

namespace tv::video {

TfrmVideo::TfrmVideo(std::unique_ptr<VideoPlugin> plugin, VideoMainHooks hooks, VideoFrameLook look,
                     QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      m_plugin(std::move(plugin)),
      m_hooks(std::move(hooks)),
      m_look(std::move(look)),
      m_logic(*m_plugin, *this) {
    setObjectName(QStringLiteral("frmVideo"));
    setWindowTitle(QStringLiteral("Torvanell"));
    // Closing the main window ends the program even while a video is shown here.
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(kWidth, kHeight);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);

    // The plug-in draws into this panel's own native window.
    m_videoPnl = new QWidget(this);
    m_videoPnl->setObjectName(QStringLiteral("VideoPnl"));
    m_videoPnl->setAttribute(Qt::WA_NativeWindow);
    m_videoPnl->setAttribute(Qt::WA_DontCreateNativeAncestors);
    m_videoPnl->setPalette(black);
    m_videoPnl->setAutoFillBackground(true);
    m_videoPnl->installEventFilter(this);

    // Panel1 is never shown: its controls are the window's programmatic interface.
    m_panel1 = new QWidget(this);
    m_panel1->setObjectName(QStringLiteral("Panel1"));
    m_panel1->hide();
    m_btnPlay = new QPushButton(QStringLiteral("Play"), m_panel1);
    m_btnPause = new QPushButton(QStringLiteral("Pause"), m_panel1);
    m_btnStop = new QPushButton(QStringLiteral("Stop"), m_panel1);
    m_lblen = new QLabel(m_panel1);
    m_btnPlay->setObjectName(QStringLiteral("btnPlay"));
    m_btnPause->setObjectName(QStringLiteral("btnPause"));
    m_btnStop->setObjectName(QStringLiteral("btnStop"));
    m_lblen->setObjectName(QStringLiteral("lblen"));
    connect(m_btnPlay, &QPushButton::clicked, this, [this] {
        m_logic.btnPlayClick();
        WriteStatus("play");
    });
    connect(m_btnPause, &QPushButton::clicked, this, [this] { m_logic.btnPauseClick(); });
    connect(m_btnStop, &QPushButton::clicked, this, [this] { m_logic.btnStopClick(); });

    m_timer1.setInterval(100);
    connect(&m_timer1, &QTimer::timeout, this, [this] {
        m_logic.Timer1Timer();
        WriteStatus("tick");
    });

    if (const char* path = std::getenv("TORVANELL_VIDEO_STATUS"); path && *path)
        m_status = std::fopen(path, "a");
}

TfrmVideo::~TfrmVideo() {
    m_timer1.stop();
    m_logic.FormDestroy();
    // The plug-in goes before the panel whose window it renders into.
    m_plugin.reset();
    if (m_status)
        std::fclose(m_status);
}

namespace {

// The name after the last '/' (the status lines end with it).
const char* FileNameOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return path.c_str() + (slash == std::string::npos ? 0 : slash + 1);
}

}  // namespace

// With TORVANELL_VIDEO_STATUS naming a file, the window appends a line of what it shows and
// what the plug-in reports at every play, timer tick and close, so that a test driving the
// whole program from outside can follow the video. Nothing is written otherwise.
void TfrmVideo::WriteStatus(const char* event) {
    if (!m_status)
        return;
    const PositionBar& bar = m_logic.PosBar();
    std::fprintf(m_status,
                 "%s shown=%d played=%d pos=%d max=%d len=%s stream_pos=%lld stream_len=%lld "
                 "file=%s\n",
                 event, isVisible() ? 1 : 0, m_plugin->MediaStreamPlayed() ? 1 : 0, bar.Position(),
                 bar.Maximum(), m_lblen->text().toStdString().c_str(),
                 static_cast<long long>(m_plugin->getMediaStreamPos() / 10000),
                 static_cast<long long>(m_plugin->getMediaStreamDuration() / 10000),
                 FileNameOf(m_logic.VideoFileName()));
    std::fflush(m_status);
}

QRect TfrmVideo::ExitRect() const {
    return {width() - kBorderWidth - 18, 6, 14, 14};
}

QRect TfrmVideo::MinimizeRect() const {
    return {width() - kBorderWidth - 34, 6, 14, 14};
}

namespace {

// Pictures may come at a device pixel ratio above 1; the frame is laid out in logical pixels.
int LogicalWidth(const QImage& image) {
    return qRound(image.deviceIndependentSize().width());
}

}  // namespace

void TfrmVideo::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const int w = width(), h = height();
    const VideoFrameLook& l = m_look;
    // Title bar: caps at both ends, the right part before the right cap, the middle stretched.
    const int leftCap = LogicalWidth(l.Image1);
    const int rightCap = w - LogicalWidth(l.Image2);
    const int right = rightCap - LogicalWidth(l.Image9);
    p.drawImage(QRect(0, 0, leftCap, kTitleHeight), l.Image1);
    p.drawImage(QRect(leftCap, 0, std::max(0, right - leftCap), kTitleHeight), l.Image3);
    p.drawImage(QRect(right, 0, LogicalWidth(l.Image9), kTitleHeight), l.Image9);
    p.drawImage(QRect(rightCap, 0, w - rightCap, kTitleHeight), l.Image2);
    p.drawImage(ExitRect(), m_exitPressed ? l.exitPressed : l.exitNormal);
    p.drawImage(MinimizeRect(), m_minimizePressed ? l.minimizePressed : l.minimizeNormal);
    // Side borders and bottom bar.
    const int sideHeight = h - kTitleHeight - kBottomHeight;
    p.drawImage(QRect(0, kTitleHeight, kBorderWidth, sideHeight), l.Image7);
    p.drawImage(QRect(w - kBorderWidth, kTitleHeight, kBorderWidth, sideHeight), l.Image8);
    const int bottom = h - kBottomHeight;
    const int bottomLeft = LogicalWidth(l.Image5), bottomRight = LogicalWidth(l.Image6);
    p.drawImage(QRect(0, bottom, bottomLeft, kBottomHeight), l.Image5);
    p.drawImage(QRect(bottomLeft, bottom, w - bottomLeft - bottomRight, kBottomHeight), l.Image4);
    p.drawImage(QRect(w - bottomRight, bottom, bottomRight, kBottomHeight), l.Image6);
}

void TfrmVideo::showEvent(QShowEvent*) {
    if (!m_placed) {
        m_placed = true;
        PlaceBesideMainWindow();
    }
    m_logic.FormShow();
}

void TfrmVideo::closeEvent(QCloseEvent* event) {
    m_logic.FormClose();
    event->accept();  // hidden, not destroyed
    WriteStatus("closed");
}

void TfrmVideo::resizeEvent(QResizeEvent*) {
    m_videoPnl->setGeometry(kBorderWidth, kTitleHeight, width() - 2 * kBorderWidth,
                            height() - kTitleHeight - kBottomHeight);
    m_logic.FormResize();
}

void TfrmVideo::moveEvent(QMoveEvent*) {
    if (!m_look.snap)
        return;
    const QPoint snapped = m_look.snap(pos(), size());
    if (snapped != pos())
        move(snapped);
}

void TfrmVideo::wheelEvent(QWheelEvent* event) {
    const int notches = event->angleDelta().y() / 120;
    if (notches != 0)
        m_logic.FormMouseWheel(notches);
    event->accept();
}

// The first show puts the window beside the main window, whole on the screen (see
// PlaceBesideMain). Later shows keep the place the user gave it.
void TfrmVideo::PlaceBesideMainWindow() {
    const QRect main = m_hooks.mainWindowFrame ? m_hooks.mainWindowFrame() : QRect();
    const QScreen* s = main.isEmpty() ? nullptr : QGuiApplication::screenAt(main.center());
    if (!s)
        s = QGuiApplication::primaryScreen();
    if (!s)
        return;
    const QRect a = s->availableGeometry();
    const Bounds placed = PlaceBesideMain({main.x(), main.y(), main.width(), main.height()},
                                          {a.x(), a.y(), a.width(), a.height()}, width(), height());
    move(placed.left, placed.top);
}

void TfrmVideo::StartMove(QPoint globalPress) {
    // The window manager runs the move where it can; without one, our own loop moves us.
    if (QWindow* window = windowHandle(); window && window->startSystemMove())
        return;
    m_ownDrag = true;
    m_dragOffset = globalPress - pos();
}

void TfrmVideo::PressMayMove(QMouseEvent* event) {
    m_movePending = event->button() == Qt::LeftButton;
    m_pressAt = event->globalPosition().toPoint();
}

void TfrmVideo::PointerMoved(QMouseEvent* event) {
    const QPoint at = event->globalPosition().toPoint();
    if (m_ownDrag) {
        move(at - m_dragOffset);  // moveEvent snaps
    } else if (m_movePending && (event->buttons() & Qt::LeftButton) &&
               (at - m_pressAt).manhattanLength() >= kMoveThreshold) {
        m_movePending = false;
        StartMove(m_pressAt);
        if (m_ownDrag)
            move(at - m_dragOffset);
    }
}

void TfrmVideo::mouseMoveEvent(QMouseEvent* event) {
    PointerMoved(event);
}

void TfrmVideo::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::LeftButton && ExitRect().contains(at)) {
        m_exitPressed = true;  // imgXMouseDown
        update();
    } else if (event->button() == Qt::LeftButton && MinimizeRect().contains(at)) {
        m_minimizePressed = true;  // img_MouseDown
        update();
    } else if (at.y() < kTitleHeight) {
        PressMayMove(event);  // Image3MouseDown, Image9MouseDown
    }
}

void TfrmVideo::mouseReleaseEvent(QMouseEvent* event) {
    const bool clickOnExit = m_exitPressed && ExitRect().contains(event->position().toPoint());
    m_exitPressed = m_minimizePressed = m_ownDrag = m_movePending = false;
    update();
    if (clickOnExit)
        close();  // imgXClick
}

bool TfrmVideo::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_videoPnl) {
        switch (event->type()) {  // only a mouse event may be taken as one
            case QEvent::MouseButtonDblClick:
                m_movePending = m_ownDrag = false;
                if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
                    m_logic.VideoPnlDblClick();
                return true;
            case QEvent::MouseButtonPress:
                PressMayMove(static_cast<QMouseEvent*>(event));
                return true;
            case QEvent::MouseMove:
                PointerMoved(static_cast<QMouseEvent*>(event));
                return true;
            case QEvent::MouseButtonRelease:
                m_ownDrag = m_movePending = false;
                return true;
            default:
                break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

std::string TfrmVideo::SelectedPath() {
    return m_hooks.selectedPath ? m_hooks.selectedPath() : std::string();
}

uintptr_t TfrmVideo::PanelHandle() {
    return static_cast<uintptr_t>(m_videoPnl->winId());
}

Bounds TfrmVideo::PanelBounds() {
    const QRect r = m_videoPnl->geometry();
    return {r.x(), r.y(), r.width(), r.height()};
}

Bounds TfrmVideo::WindowBounds() {
    return {x(), y(), width(), height()};
}

void TfrmVideo::SetWindowBounds(const Bounds& b) {
    setGeometry(b.left, b.top, b.width, b.height);
}

Bounds TfrmVideo::ScreenBounds() {
    QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    const QRect r = s ? s->geometry() : QRect(0, 0, kWidth, kHeight);
    return {r.x(), r.y(), r.width(), r.height()};
}

void TfrmVideo::ProcessEvents() {
    QCoreApplication::processEvents();
}

void TfrmVideo::ShowSeekKnobs(bool shown) {
    if (m_hooks.showSeekKnobs)
        m_hooks.showSeekKnobs(shown);
}

void TfrmVideo::ClickMainStop() {
    if (m_hooks.clickMainStop)
        m_hooks.clickMainStop();
}

void TfrmVideo::SetTimerEnabled(bool on) {
    if (on)
        m_timer1.start();
    else
        m_timer1.stop();
}

void TfrmVideo::HideWindow() {
    hide();
}

void TfrmVideo::VideoEnded() {
    // Not inside the tick: what the main window does next may start another video here.
    if (m_hooks.videoEnded)
        QTimer::singleShot(0, this, [this] {
            if (m_hooks.videoEnded)
                m_hooks.videoEnded();
        });
}

void TfrmVideo::LengthTextChanged(const std::string& text) {
    m_lblen->setText(QString::fromStdString(text));
}

}  // namespace tv::video
