#include "video/videowindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWheelEvent>
#include <QWindow>

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
    connect(m_btnPlay, &QPushButton::clicked, this, [this] { m_logic.btnPlayClick(); });
    connect(m_btnPause, &QPushButton::clicked, this, [this] { m_logic.btnPauseClick(); });
    connect(m_btnStop, &QPushButton::clicked, this, [this] { m_logic.btnStopClick(); });

    m_timer1.setInterval(100);
    connect(&m_timer1, &QTimer::timeout, this, [this] { m_logic.Timer1Timer(); });
}

TfrmVideo::~TfrmVideo() {
    m_timer1.stop();
    m_logic.FormDestroy();
    // The plug-in goes before the panel whose window it renders into.
    m_plugin.reset();
}

QRect TfrmVideo::ExitRect() const {
    return {width() - kBorderWidth - 18, 6, 14, 14};
}

QRect TfrmVideo::MinimizeRect() const {
    return {width() - kBorderWidth - 34, 6, 14, 14};
}

void TfrmVideo::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int w = width(), h = height();
    const VideoFrameLook& l = m_look;
    // Title bar: caps at both ends, the right part before the right cap, the middle stretched.
    const int rightCap = w - l.Image2.width();
    const int right = rightCap - l.Image9.width();
    p.drawImage(0, 0, l.Image1);
    p.drawImage(QRect(l.Image1.width(), 0, std::max(0, right - l.Image1.width()), kTitleHeight),
                l.Image3);
    p.drawImage(right, 0, l.Image9);
    p.drawImage(rightCap, 0, l.Image2);
    p.drawImage(ExitRect(), m_exitPressed ? l.exitPressed : l.exitNormal);
    p.drawImage(MinimizeRect(), m_minimizePressed ? l.minimizePressed : l.minimizeNormal);
    // Side borders and bottom bar.
    const int sideHeight = h - kTitleHeight - kBottomHeight;
    p.drawImage(QRect(0, kTitleHeight, kBorderWidth, sideHeight), l.Image7);
    p.drawImage(QRect(w - kBorderWidth, kTitleHeight, kBorderWidth, sideHeight), l.Image8);
    const int bottom = h - kBottomHeight;
    p.drawImage(0, bottom, l.Image5);
    p.drawImage(
        QRect(l.Image5.width(), bottom, w - l.Image5.width() - l.Image6.width(), kBottomHeight),
        l.Image4);
    p.drawImage(w - l.Image6.width(), bottom, l.Image6);
}

void TfrmVideo::showEvent(QShowEvent*) {
    m_logic.FormShow();
}

void TfrmVideo::closeEvent(QCloseEvent* event) {
    m_logic.FormClose();
    event->accept();  // hidden, not destroyed
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

void TfrmVideo::StartMove() {
    if (QWindow* window = windowHandle())
        window->startSystemMove();
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
        StartMove();  // Image3MouseDown, Image9MouseDown: any button
    }
}

void TfrmVideo::mouseReleaseEvent(QMouseEvent* event) {
    const bool clickOnExit = m_exitPressed && ExitRect().contains(event->position().toPoint());
    m_exitPressed = m_minimizePressed = false;
    update();
    if (clickOnExit)
        close();  // imgXClick
}

bool TfrmVideo::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_videoPnl) {
        if (event->type() == QEvent::MouseButtonDblClick) {
            m_logic.VideoPnlDblClick();
            return true;
        }
        if (event->type() == QEvent::MouseButtonPress) {
            StartMove();
            return true;
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

void TfrmVideo::LengthTextChanged(const std::string& text) {
    m_lblen->setText(QString::fromStdString(text));
}

}  // namespace tv::video
