#include "ui/mainwindow.h"

#include <QCloseEvent>
#include <QCursor>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <QWheelEvent>

#include "effects/windows/tfrmequalizer.h"
#include "playlist/windows/tfrmopen.h"
#include "spectrum/widget/spectrumview.h"
#include "tags/windows/tfrmimpeg.h"
#include "tags/windows/tfrmmp3tag.h"
#include "tags/windows/tfrmoggtag.h"
#include "ui/aboutwindow.h"
#include "ui/globalhotkeys.h"
#include "ui/playlistview.h"
#include "ui/seekknobs.h"
#include "ui/skin/mainlayout.h"
#include "ui/skin/skinstore.h"
#include "ui/skin/snap.h"
#include "ui/videoframeskin.h"
#include "ui/waitwithevents.h"
#include "ui/warning.h"
#include "video/mpvvideoplugin.h"

namespace tv::ui {

namespace {

constexpr int kTrackLeft = layout::kImage4.x;
constexpr int kSettleSnapMs = 120;

}  // namespace

TfrmMain::TfrmMain(core::PlayerModel& model, QWidget* parent)
    : QWidget(parent), m_model(model), m_drag(*this) {
    setWindowTitle(QStringLiteral("Torvanell"));
    // No system frame; the window can still be minimised.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowMinimizeButtonHint);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window,
                 QColor(layout::kWindowColour.r, layout::kWindowColour.g, layout::kWindowColour.b));
    setPalette(pal);
    BuildControls();
    ConnectControls();
    resize(320, 480);
    setAcceptDrops(true);
    // A window manager that runs the move itself places the window after every pointer
    // motion and ignores a place we ask for in between, so the place it leaves the window
    // at is snapped once its moves have stopped for a moment.
    m_settleSnap = new QTimer(this);
    m_settleSnap->setSingleShot(true);
    m_settleSnap->setInterval(kSettleSnapMs);
    connect(m_settleSnap, &QTimer::timeout, this, &TfrmMain::SnapToEdges);
    m_frmVideo = std::make_unique<video::TfrmVideo>(
        std::make_unique<video::MpvVideoPlugin>(),
        video::VideoMainHooks{
            [this] { return Player().CurrentPath(); },
            [this](bool shown) { Image5->setVisible(shown), Image10->setVisible(shown); },
            [this] { Player().btnStopClick(); }, [this] { return frameGeometry(); },
            [this] { Advance().VideoEnded(); }},
        SkinnedVideoFrameLook(devicePixelRatioF()));
    CreateInformationWindows();
    m_model.applyViewSettings = [this](const core::MainSettings& s) { ApplySettings(s); };
    m_model.collectViewSettings = [this](core::MainSettings& s) { CollectSettings(s); };
    m_model.Playlist().SetListener(this);
    m_model.AttachViews(this, this);
}

TfrmMain::~TfrmMain() {
    m_frmVideo.reset();  // its stop path still reaches a whole player
    m_model.AttachViews(nullptr, nullptr);
    m_model.Playlist().SetListener(nullptr);
    m_model.applyViewSettings = nullptr;
    m_model.collectViewSettings = nullptr;
    m_model.SetTagWindows({});
}

void TfrmMain::ShowAbout() {
    if (m_frmAbout)
        m_frmAbout->ShowCentred();
}

void TfrmMain::SetOpenWindow(playlist::TfrmOpen* window) {
    if (m_frmOpen)
        m_frmOpen->SetStagingList(nullptr);
    m_frmOpen = window;
    if (m_frmOpen)
        m_frmOpen->SetStagingList(&m_model.StagingList());
}

// --- the window's life ---------------------------------------------------------------------

std::optional<int> TfrmMain::FormCreate() {
    m_hotkeys = CreateGlobalHotkeys();
    m_hotkeys->RegisterAll([this](int index) { m_model.RunHotkey(index); });
    return m_model.FormCreate();
}

void TfrmMain::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_life.BeginFirstShow())
        FormShow();
}

void TfrmMain::FormShow() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    std::vector<core::ScreenArea> screens;
    for (const QScreen* each : QGuiApplication::screens())
        screens.push_back({each->geometry().x(), each->geometry().y(), each->geometry().width(),
                           each->geometry().height()});
    std::vector<std::string> rest = m_model.FirstShow(area.width(), area.height(), screens);
    // Shown once the window stands, so the box does not open in the middle of the first show.
    if (std::string warning = m_model.TakeLoadWarning(); !warning.empty())
        QTimer::singleShot(0, this, [this, warning] { ShowWarning(warning); });
    PlayList->UpdateScrollerVisibility();
    PlayList->ScrollToCurrent();
    RepaintPlaylist();
    if (m_life.EndFirstShow()) {
        // A close asked for while the first show let events run (a termination signal at start):
        // carried out once the window stands, so that it really ends the program.
        QTimer::singleShot(0, this, [this] { close(); });
        return;
    }
    // The other command-line names are added once the event loop runs, like a drop, so the
    // window stays responsive meanwhile.
    if (!rest.empty()) {
        QTimer::singleShot(0, this,
                           [this, rest] { m_model.AddNames(core::NameSource::Drop, rest); });
    }
}

void TfrmMain::ApplySettings(const core::MainSettings& s) {
    resize(s.mainWidth, s.mainHeight);
    move(s.mainPosX, s.mainPosY);
    if (m_frmEqualizer)
        m_frmEqualizer->SetEqualizerChecked(s.equalizer);  // the chain follows
    ApplyModeLooks();
    // From here on the display holds the spectrum values; CollectSettings reads them back.
    spectrum::SpectrumController& display = boxPaint->Controller();
    display.ApplySpectrumMode(s.spectrumMode);
    display.ApplySpectrumSpeed(s.spectrumSpeed);
    display.ApplyPeak(s.peak);
}

void TfrmMain::CollectSettings(core::MainSettings& s) const {
    s.mainWidth = width();
    s.mainHeight = height();
    s.mainPosX = x();
    s.mainPosY = y();
    s.spectrumMode = boxPaint->Controller().SpectrumMode();
    s.spectrumSpeed = boxPaint->Controller().SpectrumSpeed();
    s.peak = boxPaint->Controller().Peak();
    if (m_frmEqualizer)
        s.equalizer = m_frmEqualizer->EqualizerChecked();
}

void TfrmMain::FormDestroy() {
    m_model.SaveState();
    if (m_hotkeys)
        m_hotkeys->UnregisterAll();
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    if (m_life.RequestClose(m_model.Closing()) != WindowLife::CloseAnswer::Accept) {
        event->ignore();  // after the first show, or the first close is still fading out
        return;
    }
    m_model.BeginClose();
    event->accept();
}

// --- the player's view ------------------------------------------------------------------

void TfrmMain::ShowButtonNormal(core::TransportButton button) {
    ImageButton* b = button == core::TransportButton::Play    ? bPlay
                     : button == core::TransportButton::Pause ? bPause
                                                              : bStop;
    b->ShowNormal();
}

void TfrmMain::ShowPlayMenu() {
    m_playMenu.PlayMenu->popup(QCursor::pos());
}

void TfrmMain::RepaintPlaylist() {
    PlayList->update();
}

void TfrmMain::ShowTitle(const std::string& title) {
    lbTitle->setText(QString::fromStdString(title));
}

void TfrmMain::SetMainTimer(bool on) {
    if (on)
        StartMainTimer();
    else
        tmrMain->stop();
}

void TfrmMain::StartMainTimer() {
    tmrMain->setInterval(core::MainTimerIntervalMs(Player().PlayState()));
    tmrMain->start();
}

void TfrmMain::SetSpectrumTimer(bool on) {
    boxPaint->Controller().SetTimerEnabled(on);
}

void TfrmMain::SetSpectrumVisible(bool visible) {
    boxPaint->setVisible(visible);
}

void TfrmMain::SetKnobsVisible(bool visible) {
    Image5->setVisible(visible);
    Image10->setVisible(visible);
}

void TfrmMain::ClearTrackDisplay() {
    imgTrack->resize(0, imgTrack->height());
    lbPosLen->clear();
    lbBitRate->clear();
    lbBitRate->setToolTip(QString());
    lbChannelMode->clear();
    lbTitle->clear();
}

void TfrmMain::RefreshStreamInfo(const std::string& path) {
    lbBitRate->clear();
    lbBitRate->setToolTip(QString());
    lbChannelMode->clear();
    if (const auto shown = m_frmiMpeg->Analyse(path)) {  // from the MPEG headers of the file
        lbBitRate->setText(shown->bitRate);
        lbBitRate->setToolTip(shown->bitRateHint);
        lbChannelMode->setText(shown->channelMode);
    }
}

void TfrmMain::PlayVideo(const std::string&) {
    m_frmVideo->show();
    m_frmVideo->btnPlay()->click();
    activateWindow();
}
void TfrmMain::PauseVideo() {
    m_frmVideo->btnPause()->click();
}
void TfrmMain::CloseVideo() {
    m_frmVideo->close();
}

void TfrmMain::ProcessEventsOnce() {
    tv::ui::ProcessEventsOnce();
}

void TfrmMain::WaitWithEvents(int ms) {
    tv::ui::WaitWithEvents(ms);
}

void TfrmMain::ShowWarning(const std::string& text) {
    tv::ui::ShowWarning(text, this);
}

void TfrmMain::PlaylistChanged() {
    PlayList->UpdateScrollerVisibility();
    PlayList->update();
}

// --- adding files ---------------------------------------------------------------------

void TfrmMain::N2Click() {
    m_model.AddNames(core::NameSource::OpenDialog, playlist::ShowOpenDialog(this));
}

void TfrmMain::N3Click() {
    if (!m_frmOpen)
        return;
    m_frmOpen->show();
    m_frmOpen->raise();
    m_frmOpen->activateWindow();
}

void TfrmMain::OpenNames(const std::vector<std::string>& names) {
    if (Closing())
        return;
    RaiseWindow();
    m_model.AddNames(core::NameSource::SecondStart, names);
}

void TfrmMain::RaiseWindow() {
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
}

void TfrmMain::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TfrmMain::dropEvent(QDropEvent* event) {
    std::vector<std::string> names;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            names.push_back(QFile::encodeName(url.toLocalFile()).toStdString());
    if (names.empty())
        return;
    event->acceptProposedAction();
    // Added once the drop has ended, so the source is not kept waiting while titles fill in.
    QTimer::singleShot(0, this, [this, names] { m_model.AddNames(core::NameSource::Drop, names); });
}

// --- position display ----------------------------------------------------------------------

void TfrmMain::tmrMainTimer() {
    Advance().tmrMainTimer();
    // A pause or a change between sound and video inside the tick keeps the timer running.
    const int interval = core::MainTimerIntervalMs(Player().PlayState());
    if (tmrMain->isActive() && tmrMain->interval() != interval)
        tmrMain->setInterval(interval);
}

void TfrmMain::ResetPositionDisplay() {
    imgTrack->resize(0, imgTrack->height());
    Image5->move(kTrackLeft, Image5->y());
    Image10->move(kTrackLeft, Image10->y());
}

void TfrmMain::ShowPosition(const core::PositionDisplay& display, bool moveDragKnob) {
    imgTrack->resize(display.fillWidth, imgTrack->height());
    Image5->move(display.knobLeft, Image5->y());
    if (moveDragKnob)
        Image10->move(display.knobLeft, Image10->y());
    if (display.label)
        lbPosLen->setText(QString::fromStdString(*display.label));
}

void TfrmMain::ScrollToCurrent() {
    PlayList->ScrollToCurrent();
    PlayList->update();
}

void TfrmMain::FocusMainControl() {
    PlayList->setFocus();
}

void TfrmMain::ShowNextBackNormal(bool next) {
    (next ? bNext : bBack)->ShowNormal();
}

std::optional<std::pair<uint32_t, uint32_t>> TfrmMain::VideoLengthAndPosition() {
    const std::optional<int64_t> length =
        m_frmVideo ? m_frmVideo->Logic().LengthMs() : std::nullopt;
    if (!length)
        return std::nullopt;
    return std::make_pair(static_cast<uint32_t>(*length),
                          static_cast<uint32_t>(m_frmVideo->Logic().PosBar().Position()));
}

bool TfrmMain::KnobDragging() const {
    return m_seekKnobs && m_seekKnobs->Dragging();
}

void TfrmMain::ShowRandomLook(const std::string&, const std::string&) {
    ApplyModeLooks();  // the pictures and hint of the mode it is in now
}

void TfrmMain::ShowReplayLook(const std::string&, const std::string&) {
    ApplyModeLooks();
}

void TfrmMain::wheelEvent(QWheelEvent* event) {
    // The playlist half of the wheel: notches with the pointer over the playlist area, edges
    // included, scroll it by 8 rows.
    const QPoint global = event->globalPosition().toPoint();
    const QRect area(MainPanel->mapToGlobal(QPoint(0, 0)), MainPanel->size());
    if (!area.adjusted(0, 0, 1, 1).contains(global)) {
        // The volume half: only over the hidden volume slider's rectangle, edges included.
        const layout::Place& v = layout::kPanel6;
        const QRect strip(mapToGlobal(QPoint(v.x, v.y)), QSize(v.w + 1, v.h + 1));
        if (strip.contains(global) && event->angleDelta().y() != 0)
            m_model.Volume().Notch(event->angleDelta().y() > 0);
        return;
    }
    if (event->angleDelta().y() > 0)
        PlayList->FormMouseWheelUp();
    else if (event->angleDelta().y() < 0)
        PlayList->FormMouseWheelDown();
}

// --- the skinned frame ---------------------------------------------------------------------

void TfrmMain::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(
        0, 0, SkinStore::Instance().Picture(QStringLiteral("mainBackground"), devicePixelRatioF()));
}

void TfrmMain::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (m_snapping)
        return;
    SnapToEdges();
    if (isVisible())
        m_settleSnap->start();
}

void TfrmMain::SnapToEdges() {
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect a = screen->availableGeometry();
    const SnapPoint p =
        SnapToWorkArea(x(), y(), width(), height(),
                       {a.left(), a.top(), a.left() + a.width(), a.top() + a.height()});
    if (p.x != x() || p.y != y()) {
        m_snapping = true;
        move(p.x, p.y);
        m_snapping = false;
    }
}

}  // namespace tv::ui
