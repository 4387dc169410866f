#include "ui/mainwindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QCursor>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/startup.h"
#include "core/trackentry.h"
#include "effects/effectchain.h"
#include "effects/windows/tfrmequalizer.h"
#include "playlist/dropplan.h"
#include "playlist/m3u.h"
#include "playlist/scandir.h"
#include "playlist/windows/insertfiles.h"
#include "playlist/windows/tfrmopen.h"
#include "spectrum/widget/spectrumview.h"
#include "ui/playlistview.h"
#include "ui/waitwithevents.h"
#include "ui/warning.h"

namespace tv::ui {

namespace {

constexpr int kTrackLeft = 10;  // Image4
constexpr int kTrackWidth = 300;
constexpr int kKnobWidth = 20;  // Image5, Image10
constexpr int kKnobTravel = kTrackWidth - kKnobWidth;
const QColor kInk(64, 64, 64);

// Kept absolute, so default.m3u still finds the file from another working folder.
std::string AbsolutePath(const std::string& name) {
    return QFile::encodeName(QFileInfo(QFile::decodeName(name.c_str())).absoluteFilePath())
        .toStdString();
}

QLabel* MakeLabel(QWidget* parent, int x, int y, int w, int h, int px, bool bold) {
    auto* label = new QLabel(parent);
    label->setGeometry(x, y, w, h);
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(px);
    f.setBold(bold);
    label->setFont(f);
    label->setAlignment(Qt::AlignCenter);
    label->setTextFormat(Qt::PlainText);  // an ampersand stays an ampersand
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, kInk);
    label->setPalette(pal);
    return label;
}

QPushButton* MakeButton(QWidget* parent, int x, int y, int w, int h, const QString& text,
                        const QString& hint) {
    auto* b = new QPushButton(text, parent);
    b->setGeometry(x, y, w, h);
    b->setToolTip(hint);
    b->setFocusPolicy(Qt::NoFocus);
    QFont f = b->font();
    f.setPixelSize(h >= 20 ? 11 : 9);
    b->setFont(f);
    return b;
}

QFrame* MakeBar(QWidget* parent, int x, int y, int w, int h, const QColor& color) {
    auto* bar = new QFrame(parent);
    bar->setGeometry(x, y, w, h);
    bar->setAutoFillBackground(true);
    QPalette pal = bar->palette();
    pal.setColor(QPalette::Window, color);
    bar->setPalette(pal);
    return bar;
}

}  // namespace

TfrmMain::TfrmMain(audio::AudioLibrary& library, core::EffectHooks& effects,
                   core::TrackInfoReader& trackInfo, std::filesystem::path programFolder,
                   std::string firstArgument, QWidget* parent)
    : QWidget(parent),
      m_library(library),
      m_programFolder(std::move(programFolder)),
      m_firstArgument(std::move(firstArgument)) {
    m_player = std::make_unique<core::Player>(library, m_playlist, *this, effects, trackInfo);
    m_advance = std::make_unique<core::TrackAdvance>(
        *m_player, m_playlist, *this, *this, m_modes,
        core::TrackGeometry{kTrackLeft, kTrackWidth, kKnobWidth});
    m_playlist.SetListener(this);
    setWindowTitle(QStringLiteral("Torvanell"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(168, 168, 168));
    setPalette(pal);
    BuildControls();
    resize(320, 480);
    setAcceptDrops(true);
}

TfrmMain::~TfrmMain() {
    m_playlist.SetListener(nullptr);
}

void TfrmMain::BuildControls() {
    imgi = MakeButton(this, 275, 3, 14, 14, QStringLiteral("i"), QStringLiteral("Information"));
    img_ = MakeButton(this, 289, 3, 14, 14, QStringLiteral("_"), QStringLiteral("Minimize"));
    imgX = MakeButton(this, 303, 3, 14, 14, QStringLiteral("x"), QStringLiteral("Exit"));
    lbPosLen = MakeLabel(this, 10, 30, 95, 24, 16, true);
    boxPaint = new spectrum::SpectrumView(
        m_library, [this] { return m_player->PlayState(); }, [this] { return m_player->Channel(); },
        this);
    boxPaint->move(111, 30);
    boxPaint->hide();
    tmrFFT = &boxPaint->tmrFFT();
    lbBitRate = MakeLabel(this, 215, 30, 95, 12, 11, false);
    lbChannelMode = MakeLabel(this, 215, 40, 95, 12, 11, false);
    lbTitle = MakeLabel(this, 10, 59, 300, 24, 16, true);
    Image4 = MakeBar(this, kTrackLeft, 93, kTrackWidth, 9, QColor(150, 150, 150));
    Image4->setCursor(Qt::SizeHorCursor);
    imgTrack = MakeBar(this, kTrackLeft, 95, 0, 5, QColor(0, 32, 64));
    Image5 = MakeBar(this, kTrackLeft, 93, kKnobWidth, 9, QColor(96, 96, 96));
    Image10 = MakeBar(this, kTrackLeft, 93, kKnobWidth, 9, kInk);
    Image10->setCursor(Qt::SizeHorCursor);
    Image5->hide();
    Image10->hide();
    Image4->installEventFilter(this);
    Image10->installEventFilter(this);
    lbPosLen->installEventFilter(this);

    btnrnd = MakeButton(this, 10, 110, 21, 15, QStringLiteral("R"), QString());
    btnrpl = MakeButton(this, 31, 110, 21, 15, QStringLiteral("L"), QString());
    bBack = MakeButton(this, 73, 105, 35, 25, QStringLiteral("|<"), QStringLiteral("Previous"));
    bPlay = MakeButton(this, 108, 105, 35, 25, QStringLiteral(">"), QStringLiteral("Play"));
    bPause = MakeButton(this, 143, 105, 35, 25, QStringLiteral("||"), QStringLiteral("Pause"));
    bStop = MakeButton(this, 178, 105, 35, 25, QStringLiteral("[]"), QStringLiteral("Stop"));
    bNext = MakeButton(this, 213, 105, 35, 25, QStringLiteral(">|"), QStringLiteral("Next"));
    bEject =
        MakeButton(this, 268, 110, 21, 15, QStringLiteral("^"), QStringLiteral("Insert / Eject"));
    bEQ = MakeButton(this, 289, 110, 21, 15, QStringLiteral("EQ"), QStringLiteral("Equalizer"));
    ApplyModeLooks();
    connect(bNext, &QPushButton::clicked, this, [this] { m_advance->btnNextClick(); });
    connect(bBack, &QPushButton::clicked, this, [this] { m_advance->btnBackClick(); });
    // The mode buttons show their pressed picture while held; the release runs the click.
    connect(btnrnd, &QPushButton::pressed, this, [this] { m_advance->btnrndMouseDown(); });
    connect(btnrnd, &QPushButton::released, this, [this] { m_advance->btnrndMouseUp(); });
    connect(btnrpl, &QPushButton::pressed, this, [this] { m_advance->btnrplMouseDown(); });
    connect(btnrpl, &QPushButton::released, this, [this] { m_advance->btnrplMouseUp(); });

    auto* mainPanel = MakeBar(this, 5, 145, 296, 294, QColor(0, 32, 64));
    MainPanel = mainPanel;
    PlayList = new PlaylistView(m_playlist, mainPanel, this);
    PlayList->setGeometry(0, 0, PlaylistView::kTextWidth + PlaylistView::kTimeWidth, 294);
    PlayList->Scroller()->setGeometry(305, 145, 10, 294);
    PlayList->AttachPlayer(m_player.get());
    PlayList->onActivate = [this] { m_advance->PlayListDblClick(); };
    PlayList->onPause = [this] { m_player->btnPauseClick(); };
    PlayList->onMinimise = [this] { showMinimized(); };
    PlayList->onAbout = [] {};      // the About window comes later
    PlayList->onTags = [](int) {};  // so do the tag windows (they write Label2)
    PlayList->onInsertFile = [this] { N2Click(); };
    PlayList->onInsertFolder = [this] { N3Click(); };
    Label1 = new QLabel(QStringLiteral("Search:"), this);
    Label1->move(10, 455);
    Label2 = new QLabel(this);
    Label2->hide();
    Search = new QLineEdit(this);
    Search->setGeometry(60, 455, 200, 13);
    Search->setFrame(false);
    Search->setMaxLength(256);
    Search->setPlaceholderText(QStringLiteral("Search"));
    Search->setToolTip(QStringLiteral("Search"));
    Search->setStyleSheet(QStringLiteral("background: silver; font-size: 10px;"));
    PlayList->AttachSearch(Search);

    tmrMain = new QTimer(this);
    tmrMain->setInterval(10);
    connect(tmrMain, &QTimer::timeout, this, &TfrmMain::tmrMainTimer);

    connect(bPlay, &QPushButton::clicked, this, [this] { m_player->btnPlayClick(); });
    connect(bPause, &QPushButton::clicked, this, [this] { m_player->btnPauseClick(); });
    connect(bStop, &QPushButton::clicked, this, [this] { m_player->btnStopClick(); });
    connect(imgX, &QPushButton::clicked, this, &QWidget::close);
    m_playMenu = playlist::CreatePlayMenu(
        this, [this] { N2Click(); }, [this] { N3Click(); });
    connect(bEject, &QPushButton::clicked, this, [this] { ShowPlayMenu(); });
    connect(bEQ, &QPushButton::clicked, this, [this] {
        if (!m_frmEqualizer)
            return;
        m_frmEqualizer->CentreOn(*this);
        m_frmEqualizer->show();
        m_frmEqualizer->raise();
        m_frmEqualizer->activateWindow();
    });
    connect(img_, &QPushButton::clicked, this, &QWidget::showMinimized);
}

std::filesystem::path TfrmMain::SettingsPath() const {
    return m_programFolder / core::kSettingsFileName;
}

std::filesystem::path TfrmMain::PlaylistPath() const {
    return m_programFolder / "default.m3u";
}

std::optional<int> TfrmMain::FormCreate() {
    const core::StartUpResult start = core::StartUp(m_library, *this);
    m_outputVolume = start.outputVolume;
    return start.exitStatus;
}

void TfrmMain::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_firstShow)
        FormShow();
}

void TfrmMain::FormShow() {
    m_firstShow = false;
    m_player->ResetState();
    playlist::LoadPlaylistFile(m_playlist, PlaylistPath().string());
    LoadSettings();
    m_playlist.SetFocused(m_playlist.Current());
    if (!m_firstArgument.empty()) {
        // A first media file plays at once; a first folder or playlist is added like the rest.
        if (playlist::ClassifyDroppedName(AbsolutePath(m_firstArgument)) ==
            playlist::DroppedKind::File)
            AppendCommandLineFile();
        else
            m_moreArguments.insert(m_moreArguments.begin(), m_firstArgument);
    }
    m_playlist.RebuildRandomOrder();
    PlayList->UpdateScrollerVisibility();
    PlayList->ScrollToCurrent();
    RepaintPlaylist();
    if (!m_moreArguments.empty()) {
        QTimer::singleShot(0, this, [this] {
            std::vector<std::string> names = std::exchange(m_moreArguments, {});
            for (std::string& name : names)
                name = AbsolutePath(name);
            AddDroppedNames(names);
        });
    }
}

void TfrmMain::AppendCommandLineFile() {
    const std::string path = AbsolutePath(m_firstArgument);
    const int n = m_playlist.Count();
    m_playlist.SetEntryCounter(n);
    m_playlist.AppendPath(path);
    m_player->BuildTrackEntry(path, n);
    if (n >= m_playlist.Count())
        return;  // removed while events ran
    m_playlist.ClearSelection();
    m_playlist.Select(n);
    m_playlist.SetFocused(n);
    m_player->btnPlayClick();
}

void TfrmMain::LoadSettings() {
    core::IniFile ini;
    ini.Load(SettingsPath());
    const QRect screen = QGuiApplication::primaryScreen()
                             ? QGuiApplication::primaryScreen()->geometry()
                             : QRect(0, 0, 1024, 768);
    m_modes = core::LoadMainSettings(ini, screen.width(), screen.height());
    resize(m_modes.mainWidth, m_modes.mainHeight);
    move(m_modes.mainPosX, m_modes.mainPosY);
    m_player->SetChannelVolume(m_modes.volume);
    const int track = m_modes.trackPos;
    m_playlist.SetCurrent(track >= 0 && track < m_playlist.Count() ? track : -1);
    if (m_frmEqualizer)
        m_frmEqualizer->SetEqualizerChecked(m_modes.equalizer);  // the chain follows
    else if (m_effectChain)
        m_effectChain->SetEqualizerChecked(m_modes.equalizer);
    ApplyModeLooks();
    // From here on the display holds the spectrum values; SaveSettings reads them back.
    spectrum::SpectrumController& display = boxPaint->Controller();
    display.ApplySpectrumMode(m_modes.spectrumMode);
    display.ApplySpectrumSpeed(m_modes.spectrumSpeed);
    display.ApplyPeak(m_modes.peak);
}

void TfrmMain::ApplyModeLooks() {
    const core::ButtonLook rnd = core::RandomButtonLook(m_modes.random);
    btnrnd->setProperty("picture", QString::fromStdString(rnd.picture));
    btnrnd->setToolTip(QString::fromStdString(rnd.hint));
    btnrnd->setDown(m_modes.random);
    if (auto rpl = core::ReplayButtonLook(m_modes.replay)) {
        btnrpl->setProperty("picture", QString::fromStdString(rpl->picture));
        btnrpl->setToolTip(QString::fromStdString(rpl->hint));
        btnrpl->setText(m_modes.replay == 2 ? QStringLiteral("L1") : QStringLiteral("L"));
        btnrpl->setDown(m_modes.replay != 0);
    }
}

std::vector<std::string> TfrmMain::TickedSpectrumItems() const {
    std::vector<std::string> out;
    for (int i = 0; i < spectrum::kSpectrumMenuItemCount; ++i) {
        const auto item = static_cast<spectrum::SpectrumMenuItem>(i);
        if (boxPaint->Controller().Menu().Checked(item))
            out.emplace_back(spectrum::SpectrumMenuModel::Caption(item));
    }
    std::sort(out.begin(), out.end());
    return out;
}

void TfrmMain::SaveSettings() {
    core::IniFile ini;
    ini.Load(SettingsPath());
    core::MainSettings s = m_modes;
    s.mainWidth = width();
    s.mainHeight = height();
    s.mainPosX = x();
    s.mainPosY = y();
    s.volume = m_player->ChannelVolume();
    s.trackPos = m_playlist.Current();
    s.spectrumMode = boxPaint->Controller().SpectrumMode();
    s.spectrumSpeed = boxPaint->Controller().SpectrumSpeed();
    s.peak = boxPaint->Controller().Peak();
    if (m_frmEqualizer)
        s.equalizer = m_frmEqualizer->EqualizerChecked();
    else if (m_effectChain)
        s.equalizer = m_effectChain->EqualizerChecked();
    core::StoreMainSettings(ini, s);
    std::string error;
    if (!ini.Save(SettingsPath(), &error))
        std::fprintf(stderr, "Torvanell: settings not saved: %s\n", error.c_str());
}

void TfrmMain::FormDestroy() {
    SaveSettings();
    if (!playlist::SavePlaylistFile(m_playlist, PlaylistPath().string()))
        std::fprintf(stderr, "Torvanell: playlist not saved: %s\n", PlaylistPath().c_str());
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    if (m_closing) {
        event->ignore();  // the first close is still fading out; it closes the window
        return;
    }
    m_closing = true;
    m_player->FormClose();
    event->accept();
}

// --- the player's view ------------------------------------------------------------------

void TfrmMain::ShowButtonNormal(core::TransportButton button) {
    QPushButton* b = button == core::TransportButton::Play    ? bPlay
                     : button == core::TransportButton::Pause ? bPause
                                                              : bStop;
    b->setDown(false);
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
        tmrMain->start();
    else
        tmrMain->stop();
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
    lbChannelMode->clear();
    lbTitle->clear();
}

void TfrmMain::RefreshStreamInfo(const std::string&) {
    // The stream information window fills these from the file's headers once it exists.
    lbBitRate->clear();
    lbChannelMode->clear();
}

void TfrmMain::PlayVideo(const std::string&) {}
void TfrmMain::PauseVideo() {}
void TfrmMain::CloseVideo() {}

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

const std::vector<std::string>& TfrmMain::Masks() const {
    static const std::vector<std::string> standard = playlist::MaskList();
    return m_frmOpen ? m_frmOpen->Masks() : standard;
}

playlist::AppendCallbacks TfrmMain::AppendHooks() {
    playlist::AppendCallbacks hooks;
    hooks.buildTrackEntry = [this](const std::string& path, int row) {
        m_player->BuildTrackEntry(path, row);
    };
    hooks.processEvents = [this] { ProcessEventsOnce(); };
    hooks.terminating = [this] { return m_closing; };  // what exists by then is saved
    return hooks;
}

int TfrmMain::AppendStaged(const std::vector<std::string>& staged) {
    return playlist::AppendStagedFiles(m_playlist, staged, AppendHooks());
}

void TfrmMain::btnOpenClick() {
    AppendStaged(m_frmOpen ? m_frmOpen->StagingList() : m_ownStaging);
}

void TfrmMain::N2Click() {
    const std::vector<std::string> names = playlist::ShowOpenDialog(this);
    if (names.empty())
        return;
    std::vector<std::string> staging;  // the command's own list: see AppendStaged
    playlist::InsertCallbacks callbacks;
    callbacks.append = AppendHooks();
    callbacks.playState = [this] { return m_player->PlayState(); };
    callbacks.play = [this] { m_player->btnPlayClick(); };
    playlist::InsertFiles(names, staging, m_playlist, Masks(), callbacks);
    (m_frmOpen ? m_frmOpen->StagingList() : m_ownStaging) = std::move(staging);
}

void TfrmMain::N3Click() {
    if (!m_frmOpen)
        return;
    m_frmOpen->show();
    m_frmOpen->raise();
    m_frmOpen->activateWindow();
}

int TfrmMain::AddDroppedNames(const std::vector<std::string>& names) {
    const playlist::DropPlan plan = playlist::PlanDrop(names);
    int added = 0;
    for (const std::string& list : plan.playlists)
        added += playlist::LoadPlaylistFile(m_playlist, list);
    std::vector<std::string>& staging = m_frmOpen ? m_frmOpen->StagingList() : m_ownStaging;
    staging = playlist::StagePlan(plan, Masks());
    return added + AppendStaged(staging);
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
    QTimer::singleShot(0, this, [this, names] { AddDroppedNames(names); });
}

// --- position display and seek track ------------------------------------------------------

void TfrmMain::tmrMainTimer() {
    m_advance->tmrMainTimer();
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
    (next ? bNext : bBack)->setDown(false);
}

std::optional<std::pair<uint32_t, uint32_t>> TfrmMain::VideoLengthAndPosition() {
    return std::nullopt;  // the video window reports its length and position once it exists
}

void TfrmMain::ShowRandomLook(const std::string& picture, const std::string& hint) {
    if (!hint.empty())
        btnrnd->setToolTip(QString::fromStdString(hint));
    if (!picture.empty()) {
        btnrnd->setProperty("picture", QString::fromStdString(picture));
        btnrnd->setDown(picture == "iRnd3" || picture == "iRnd2" || picture == "iRnd4");
    }
}

void TfrmMain::ShowReplayLook(const std::string& picture, const std::string& hint) {
    if (!hint.empty())
        btnrpl->setToolTip(QString::fromStdString(hint));
    if (!picture.empty()) {
        btnrpl->setProperty("picture", QString::fromStdString(picture));
        btnrpl->setText(m_modes.replay == 2 ? QStringLiteral("L1") : QStringLiteral("L"));
        btnrpl->setDown(picture != "iRpl1");
    }
}

void TfrmMain::PlaceKnob(int x) {
    Image10->move(kTrackLeft + std::clamp(x, 0, kKnobTravel), Image10->y());
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
        type != QEvent::MouseButtonRelease)
        return QWidget::eventFilter(watched, event);
    auto* me = static_cast<QMouseEvent*>(event);
    if (watched == lbPosLen) {
        if (type == QEvent::MouseButtonPress && me->button() == Qt::LeftButton)
            m_advance->lbPosLenClick();
        return QWidget::eventFilter(watched, event);
    }
    const int windowX = mapFromGlobal(me->globalPosition().toPoint()).x();
    if (type == QEvent::MouseButtonPress && me->button() == Qt::LeftButton) {
        if (watched == Image10 && m_player->PlayState() != core::kStopped) {
            m_knobDrag = true;
            m_dragStartX = windowX;
            m_dragStartKnob = Image10->x() - kTrackLeft;
        } else if (watched == Image4) {
            m_trackDrag = true;
            PlaceKnob(windowX - kTrackLeft - kKnobWidth / 2);
        }
        return true;
    }
    if (type == QEvent::MouseMove) {
        if (m_trackDrag)
            PlaceKnob(windowX - kTrackLeft - kKnobWidth / 2);
        if (m_knobDrag)
            PlaceKnob(m_dragStartKnob + windowX - m_dragStartX);
        return m_trackDrag || m_knobDrag;
    }
    if (type == QEvent::MouseButtonRelease && (m_trackDrag || m_knobDrag)) {
        m_trackDrag = m_knobDrag = false;
        SeekRelease();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TfrmMain::wheelEvent(QWheelEvent* event) {
    // The playlist half of the wheel: notches with the pointer over the playlist area, edges
    // included, scroll it by 8 rows.
    const QPoint global = event->globalPosition().toPoint();
    const QRect area(MainPanel->mapToGlobal(QPoint(0, 0)), MainPanel->size());
    if (!area.adjusted(0, 0, 1, 1).contains(global)) {
        // Elsewhere on the window a notch moves the output volume by one step, 0 to 100.
        const int step = event->angleDelta().y() > 0 ? 1 : event->angleDelta().y() < 0 ? -1 : 0;
        const int volume = m_library.GetVolume();
        if (step != 0 && volume >= 0)
            m_library.SetVolume(std::clamp(volume + step, 0, 100));
        return;
    }
    if (event->angleDelta().y() > 0)
        PlayList->FormMouseWheelUp();
    else if (event->angleDelta().y() < 0)
        PlayList->FormMouseWheelDown();
}

void TfrmMain::SeekRelease() {
    const int state = m_player->PlayState();
    if ((state != core::kAudioPlaying && state != core::kAudioPaused) || !m_advance->KnobsIdle())
        return;
    tmrMain->stop();
    const audio::Handle channel = m_player->Channel();
    m_library.ChannelSlideAttributes(channel, -1, 0, -101, 0);
    const int x = Image10->x() - kTrackLeft;
    const uint32_t length = m_player->GetLengthMs();
    if (x >= kKnobTravel) {
        // The knob released at the far right moves on to the next track.
        m_advance->btnNextClick();
        m_library.ChannelSlideAttributes(m_player->Channel(), -1, m_player->ChannelVolume(), -101,
                                         core::kFadeTime);
        return;
    }
    m_player->SeekToMs(static_cast<uint32_t>(std::nearbyint(double(length) * x / kKnobTravel)));
    m_library.ChannelSlideAttributes(channel, -1, m_player->ChannelVolume(), -101, core::kFadeTime);
    tmrMain->start();
}

}  // namespace tv::ui
