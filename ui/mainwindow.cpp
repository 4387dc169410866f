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
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <QWheelEvent>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/hotkeyactions.h"
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
#include "tags/windows/tfrmimpeg.h"
#include "tags/windows/tfrmmp3tag.h"
#include "tags/windows/tfrmoggtag.h"
#include "ui/aboutwindow.h"
#include "ui/globalhotkeys.h"
#include "ui/playlistview.h"
#include "ui/skin/imagebutton.h"
#include "ui/skin/mainlayout.h"
#include "ui/skin/skinpicture.h"
#include "ui/skin/skinstore.h"
#include "ui/skin/snap.h"
#include "ui/videoframeskin.h"
#include "ui/waitwithevents.h"
#include "ui/warning.h"

namespace tv::ui {

namespace {

constexpr int kTrackLeft = layout::kImage4.x;
constexpr int kTrackWidth = layout::kImage4.w;
constexpr int kKnobWidth = layout::kKnobWidth;  // Image5, Image10
constexpr int kKnobTravel = layout::kKnobTravel;
constexpr int kSettleSnapMs = 120;

QColor ToColour(const layout::Rgb& c) {
    return QColor(c.r, c.g, c.b);
}

// Kept absolute, so default.m3u still finds the file from another working folder.
std::string AbsolutePath(const std::string& name) {
    return QFile::encodeName(QFileInfo(QFile::decodeName(name.c_str())).absoluteFilePath())
        .toStdString();
}

QLabel* MakeLabel(QWidget* parent, const layout::Place& at, const layout::TextStyle& style) {
    auto* label = new QLabel(parent);
    label->setGeometry(at.x, at.y, at.w, at.h);
    QFont f(QString::fromLatin1(layout::kFontFamily));
    f.setPixelSize(style.pixelSize);
    f.setBold(style.bold);
    label->setFont(f);
    label->setAlignment(Qt::AlignCenter);
    label->setTextFormat(Qt::PlainText);  // an ampersand stays an ampersand
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, ToColour(style.colour));
    label->setPalette(pal);
    return label;
}

ImageButton* MakeButton(QWidget* parent, const layout::Place& at, const QString& picture,
                        const QString& hint) {
    auto* b = new ImageButton(picture + "1", picture + "2", hint, parent);
    b->setGeometry(at.x, at.y, at.w, at.h);
    return b;
}

SkinPicture* MakePicture(QWidget* parent, const layout::Place& at, const QString& picture) {
    auto* p = new SkinPicture(picture, parent);
    p->setGeometry(at.x, at.y, at.w, at.h);
    return p;
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
      m_firstArgument(std::move(firstArgument)),
      m_wheelVolume(library),
      m_drag(*this) {
    m_player = std::make_unique<core::Player>(library, m_playlist, *this, effects, trackInfo);
    m_advance = std::make_unique<core::TrackAdvance>(
        *m_player, m_playlist, *this, *this, m_modes,
        core::TrackGeometry{kTrackLeft, kTrackWidth, kKnobWidth});
    m_playlist.SetListener(this);
    setWindowTitle(QStringLiteral("Torvanell"));
    // No system frame; the window can still be minimised.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowMinimizeButtonHint);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, ToColour(layout::kWindowColour));
    setPalette(pal);
    BuildControls();
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
            [this] { return m_player->CurrentPath(); },
            [this](bool shown) { Image5->setVisible(shown), Image10->setVisible(shown); },
            [this] { m_player->btnStopClick(); }, [this] { return frameGeometry(); }},
        SkinnedVideoFrameLook(devicePixelRatioF()));
    CreateInformationWindows();
}

TfrmMain::~TfrmMain() {
    m_frmVideo.reset();  // its stop path still reaches a whole player
    m_playlist.SetListener(nullptr);
}

void TfrmMain::BuildControls() {
    imgi = MakeButton(this, layout::kImgi, QStringLiteral("iI"), QStringLiteral("Information"));
    img_ = MakeButton(this, layout::kImg_, QStringLiteral("i_"), QStringLiteral("Minimize"));
    imgX = MakeButton(this, layout::kImgX, QStringLiteral("iX"), QStringLiteral("Exit"));
    lbPosLen = MakeLabel(this, layout::kLbPosLen, layout::kLargeDisplayText);
    boxPaint = new spectrum::SpectrumView(
        m_library, [this] { return m_player->PlayState(); }, [this] { return m_player->Channel(); },
        SkinStore::Instance().Picture(QStringLiteral("spectrumBackground")).toImage(), this);
    boxPaint->move(layout::kBoxPaint.x, layout::kBoxPaint.y);
    boxPaint->hide();
    tmrFFT = &boxPaint->tmrFFT();
    lbBitRate = MakeLabel(this, layout::kLbBitRate, layout::kSmallDisplayText);
    lbChannelMode = MakeLabel(this, layout::kLbChannelMode, layout::kSmallDisplayText);
    lbTitle = MakeLabel(this, layout::kLbTitle, layout::kLargeDisplayText);
    // Presses on the plain displays reach the background, which drags the window.
    for (QLabel* label : {lbBitRate, lbChannelMode, lbTitle})
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
    Image4 = MakePicture(this, layout::kImage4, QStringLiteral("seekTrack"));
    Image4->setCursor(Qt::SizeHorCursor);
    imgTrack = MakePicture(this, layout::kImgTrack, QStringLiteral("seekFill"));
    imgTrack->resize(0, layout::kImgTrack.h);
    imgTrack->setAttribute(Qt::WA_TransparentForMouseEvents);
    const layout::Place knob{kTrackLeft, layout::kImage4.y, kKnobWidth, layout::kKnobHeight};
    Image5 = MakePicture(this, knob, QStringLiteral("seekMarker"));
    Image5->setAttribute(Qt::WA_TransparentForMouseEvents);
    Image10 = MakePicture(this, knob, QStringLiteral("seekKnob"));
    Image10->setCursor(Qt::SizeHorCursor);
    Image5->hide();
    Image10->hide();
    Image4->installEventFilter(this);
    Image10->installEventFilter(this);
    lbPosLen->installEventFilter(this);

    btnrnd = MakeButton(this, layout::kBtnrnd, QStringLiteral("iRnd"), QString());
    btnrpl = MakeButton(this, layout::kBtnrpl, QStringLiteral("iRpl"), QString());
    bBack = MakeButton(this, layout::kBBack, QStringLiteral("iBack"), QStringLiteral("Previous"));
    bPlay = MakeButton(this, layout::kBPlay, QStringLiteral("iPlay"), QStringLiteral("Play"));
    bPause = MakeButton(this, layout::kBPause, QStringLiteral("iPause"), QStringLiteral("Pause"));
    bStop = MakeButton(this, layout::kBStop, QStringLiteral("iStop"), QStringLiteral("Stop"));
    bNext = MakeButton(this, layout::kBNext, QStringLiteral("iNext"), QStringLiteral("Next"));
    bEject = MakeButton(this, layout::kBEject, QStringLiteral("iEject"),
                        QStringLiteral("Insert / Eject"));
    bEQ = MakeButton(this, layout::kBEQ, QStringLiteral("iEq"), QStringLiteral("Equalizer"));
    ApplyModeLooks();
    bNext->onClick = [this] { m_advance->btnNextClick(); };
    bBack->onClick = [this] { m_advance->btnBackClick(); };
    // The mode buttons' click switches the mode, and with it the pictures, before the release
    // shows the normal picture of the new mode.
    btnrnd->onClick = [this] { m_advance->btnrndClick(); };
    btnrpl->onClick = [this] { m_advance->btnrplClick(); };

    const layout::Place& panel = layout::kMainPanel;
    auto* mainPanel =
        MakeBar(this, panel.x, panel.y, panel.w, panel.h, ToColour(layout::kMainPanelColour));
    MainPanel = mainPanel;
    PlayList = new PlaylistView(m_playlist, mainPanel, this);
    // The two columns are a pixel narrower than the panel: the list covers the whole panel so
    // that no line of the panel's colour shows beside the scroller.
    PlayList->setGeometry(0, 0, panel.w, panel.h);
    PlayList->Scroller()->setGeometry(layout::kPanel1.x, layout::kPanel1.y, layout::kPanel1.w,
                                      layout::kPanel1.h);
    PlayList->AttachPlayer(m_player.get());
    PlayList->onActivate = [this] { m_advance->PlayListDblClick(); };
    PlayList->onPause = [this] { m_player->btnPauseClick(); };
    PlayList->onVideoSeek = [this](bool forward) { m_frmVideo->Logic().StepPosBar(forward); };
    PlayList->onMinimise = [this] { showMinimized(); };
    PlayList->onAbout = [this] { ShowAbout(); };
    PlayList->onTags = [this](int row) { OpenTags(row); };
    PlayList->onInsertFile = [this] { N2Click(); };
    PlayList->onInsertFolder = [this] { N3Click(); };
    Label1 = MakeLabel(this, layout::kLabel1, layout::kSearchCaption);
    Label1->setText(QStringLiteral("Search:"));
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Label1->setAttribute(Qt::WA_TransparentForMouseEvents);
    Label2 = new QLabel(this);
    Label2->hide();
    Search = new QLineEdit(this);
    Search->setGeometry(layout::kSearch.x, layout::kSearch.y, layout::kSearch.w, layout::kSearch.h);
    Search->setFrame(false);
    Search->setMaxLength(256);
    Search->setPlaceholderText(QStringLiteral("Search"));
    Search->setToolTip(QStringLiteral("Search"));
    Search->setStyleSheet(QStringLiteral("background: silver; font-size: 10px;"));
    PlayList->AttachSearch(Search);

    tmrMain = new QTimer(this);
    tmrMain->setInterval(10);
    connect(tmrMain, &QTimer::timeout, this, &TfrmMain::tmrMainTimer);

    bPlay->onClick = [this] { m_player->btnPlayClick(); };
    bPause->onClick = [this] { m_player->btnPauseClick(); };
    bStop->onClick = [this] { m_player->btnStopClick(); };
    imgX->onClick = [this] { close(); };
    m_playMenu = playlist::CreatePlayMenu(
        this, [this] { N2Click(); }, [this] { N3Click(); });
    playlist::AddReplayGainMenu(
        m_playMenu.PlayMenu, [this] { return m_player->ReplayGain(); },
        [this](const core::ReplayGainSettings& r) { m_player->SetReplayGain(r); });
    bEject->onClick = [this] { ShowPlayMenu(); };
    bEQ->onClick = [this] {
        if (!m_frmEqualizer)
            return;
        m_frmEqualizer->CentreOn(*this);
        m_frmEqualizer->show();
        m_frmEqualizer->raise();
        m_frmEqualizer->activateWindow();
    };
    img_->onClick = [this] { showMinimized(); };
    imgi->onClick = [this] { ShowAbout(); };
}

void TfrmMain::ShowAbout() {
    if (m_frmAbout)
        m_frmAbout->ShowCentred();
}

std::filesystem::path TfrmMain::SettingsPath() const {
    return m_programFolder / core::kSettingsFileName;
}

std::filesystem::path TfrmMain::PlaylistPath() const {
    return m_programFolder / "default.m3u";
}

std::optional<int> TfrmMain::FormCreate() {
    m_hotkeyActions = std::make_unique<core::HotkeyActions>(m_library, *m_player, *m_advance);
    m_hotkeys = CreateGlobalHotkeys();
    m_hotkeys->RegisterAll([this](int index) { m_hotkeyActions->Run(index); });
    const core::StartUpResult start = core::StartUp(m_library, *this);
    if (start.exitStatus)
        return start.exitStatus;
    m_wheelVolume.Start(start.outputVolume);
    return std::nullopt;
}

void TfrmMain::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_firstShow)
        FormShow();
}

void TfrmMain::FormShow() {
    m_firstShow = false;
    m_inFirstShow = true;
    m_player->ResetState();
    playlist::LoadPlaylistFile(m_playlist, PlaylistPath().string());
    LoadSettings();
    m_playlist.SetFocused(m_playlist.Current());
    if (!m_firstArgument.empty()) {
        // A first media file plays at once; a first folder or playlist is added like the rest.
        if (playlist::ClassifyDroppedName(AbsolutePath(m_firstArgument)) ==
            playlist::DroppedKind::File)
            AppendCommandLineFile(AbsolutePath(m_firstArgument));
        else
            m_moreArguments.insert(m_moreArguments.begin(), m_firstArgument);
    }
    m_playlist.RebuildRandomOrder();
    PlayList->UpdateScrollerVisibility();
    PlayList->ScrollToCurrent();
    RepaintPlaylist();
    m_inFirstShow = false;
    if (m_closeAfterShow) {
        // A close asked for while the first show let events run (a termination signal at start):
        // carried out once the window stands, so that it really ends the program.
        QTimer::singleShot(0, this, [this] { close(); });
        return;
    }
    if (!m_moreArguments.empty()) {
        QTimer::singleShot(0, this, [this] {
            std::vector<std::string> names = std::exchange(m_moreArguments, {});
            for (std::string& name : names)
                name = AbsolutePath(name);
            AddDroppedNames(names);
        });
    }
}

void TfrmMain::AppendCommandLineFile(const std::string& path) {
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
    m_player->SetShuffledQuery([this] { return m_modes.random; });
    m_player->SetReplayGain(core::LoadReplayGainSettings(ini));
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
    btnrnd->SetPictures(QString::fromStdString(rnd.picture),
                        QString::fromStdString(core::RandomPressedPicture(m_modes.random)));
    btnrnd->setToolTip(QString::fromStdString(rnd.hint));
    const auto rpl = core::ReplayButtonLook(m_modes.replay);
    const auto rplPressed = core::ReplayPressedPicture(m_modes.replay);
    if (rpl && rplPressed) {
        btnrpl->SetPictures(QString::fromStdString(rpl->picture),
                            QString::fromStdString(*rplPressed));
        btnrpl->setToolTip(QString::fromStdString(rpl->hint));
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
    core::StoreReplayGainSettings(ini, m_player->ReplayGain());
    std::string error;
    if (!ini.Save(SettingsPath(), &error))
        std::fprintf(stderr, "Torvanell: settings not saved: %s\n", error.c_str());
}

void TfrmMain::FormDestroy() {
    SaveSettings();
    if (!playlist::SavePlaylistFile(m_playlist, PlaylistPath().string()))
        std::fprintf(stderr, "Torvanell: playlist not saved: %s\n", PlaylistPath().c_str());
    if (m_hotkeys)
        m_hotkeys->UnregisterAll();
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    if (m_inFirstShow) {
        m_closeAfterShow = true;
        event->ignore();
        return;
    }
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
    tmrMain->setInterval(core::MainTimerIntervalMs(m_player->PlayState()));
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

void TfrmMain::RefreshStreamInfo(const std::string&) {
    lbBitRate->clear();
    lbBitRate->setToolTip(QString());
    lbChannelMode->clear();
    m_frmiMpeg->Button1->click();  // fills both from the MPEG headers of the file
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

void TfrmMain::OpenNames(const std::vector<std::string>& names) {
    if (m_closing)
        return;
    RaiseWindow();
    if (names.empty())
        return;
    std::vector<std::string> rest = names;
    if (playlist::ClassifyDroppedName(names.front()) == playlist::DroppedKind::File) {
        rest.erase(rest.begin());
        AppendCommandLineFile(names.front());
        m_playlist.RebuildRandomOrder();
        PlayList->UpdateScrollerVisibility();
        ScrollToCurrent();
    }
    if (!rest.empty())
        AddDroppedNames(rest);
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
    QTimer::singleShot(0, this, [this, names] { AddDroppedNames(names); });
}

// --- position display and seek track ------------------------------------------------------

void TfrmMain::tmrMainTimer() {
    m_advance->tmrMainTimer();
    // A pause or a change between sound and video inside the tick keeps the timer running.
    const int interval = core::MainTimerIntervalMs(m_player->PlayState());
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
    bool ok = false;
    const uint32_t length = m_frmVideo ? m_frmVideo->lblen()->text().toUInt(&ok) : 0;
    if (!ok)
        return std::nullopt;
    return std::make_pair(length, static_cast<uint32_t>(m_frmVideo->Logic().PosBar().Position()));
}

void TfrmMain::ShowRandomLook(const std::string&, const std::string&) {
    ApplyModeLooks();  // the pictures and hint of the mode it is in now
}

void TfrmMain::ShowReplayLook(const std::string&, const std::string&) {
    ApplyModeLooks();
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
        // The volume half: only over the hidden volume slider's rectangle, edges included.
        const layout::Place& v = layout::kPanel6;
        const QRect strip(mapToGlobal(QPoint(v.x, v.y)), QSize(v.w + 1, v.h + 1));
        if (strip.contains(global) && event->angleDelta().y() != 0)
            m_wheelVolume.Notch(event->angleDelta().y() > 0);
        return;
    }
    if (event->angleDelta().y() > 0)
        PlayList->FormMouseWheelUp();
    else if (event->angleDelta().y() < 0)
        PlayList->FormMouseWheelDown();
}

void TfrmMain::SeekRelease() {
    const int state = m_player->PlayState();
    if (state == core::kVideoPlaying || state == core::kVideoPaused) {
        tmrMain->stop();
        const int x = Image10->x() - kTrackLeft;
        if (x >= kKnobTravel)
            m_advance->btnNextClick();
        else
            m_frmVideo->Logic().SetPosBarFraction(x, kKnobTravel);
    } else {
        if ((state != core::kAudioPlaying && state != core::kAudioPaused) ||
            !m_advance->KnobsIdle())
            return;
        tmrMain->stop();
        m_advance->SeekKnobReleased(Image10->x() - kTrackLeft, kKnobTravel);
    }
    // A next track started at the far right runs its own timer; when nothing started (an
    // empty playlist, a pause) the track still there needs its timer back.
    if (!tmrMain->isActive())
        StartMainTimer();
}

// --- the skinned frame ---------------------------------------------------------------------

void TfrmMain::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(
        0, 0, SkinStore::Instance().Picture(QStringLiteral("mainBackground"), devicePixelRatioF()));
}

void TfrmMain::mousePressEvent(QMouseEvent* event) {
    // The window manager runs the move where it can; without one, our own loop moves us.
    m_drag.Press(event->globalPosition().toPoint(), event->position().toPoint());
}

void TfrmMain::mouseMoveEvent(QMouseEvent* event) {
    m_drag.Move(event->globalPosition().toPoint());  // moveEvent snaps
}

void TfrmMain::mouseReleaseEvent(QMouseEvent*) {
    m_drag.Release();
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
