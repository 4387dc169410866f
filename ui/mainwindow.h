#pragma once

// The main window (TfrmMain): the player part of the 626 x 480 design, 320 x 480 by default,
// with its controls at their design places, drawn plainly. It is a view of the player model:
// it forwards the user's actions to the model and shows what the player and the track advance
// report through core::PlayerView and core::AdvanceView. It runs the window's life: FormCreate
// (hotkeys, audio library checks), the first show (the model loads its state and plays a
// command-line file), the close fade and FormDestroy (the model saves its state).
//
// Threads: user-interface thread only.

#include <QPoint>
#include <QWidget>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/playermodel.h"
#include "playlist/windows/insertmenu.h"
#include "ui/skin/imagebutton.h"
#include "ui/skin/skinpicture.h"
#include "ui/skin/windowdrag.h"
#include "ui/windowlife.h"
#include "video/videowindow.h"

namespace tv::effects {
class EffectChain;
class TfrmEqualizer;
}  // namespace tv::effects

namespace tv::playlist {
class TfrmOpen;
}

namespace tv::spectrum {
class SpectrumView;
}

namespace tv::tags::windows {
class TfrmMP3Tag;
class TfrmOGGTag;
class TfrmiMpeg;
}  // namespace tv::tags::windows

class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QAction;
class QTimer;

namespace tv::ui {

class GlobalHotkeys;
class PlaylistView;
class SeekKnobs;

class TfrmAbout;

// The position display's track on the main window: Image4's left and width, the knob's width.
core::TrackGeometry MainTrackGeometry();

class TfrmMain : public QWidget,
                 public core::PlayerView,
                 public core::AdvanceView,
                 public playlist::PlaylistListener {
public:
    // The model must outlive the window; the window attaches itself as the model's view.
    explicit TfrmMain(core::PlayerModel& model, QWidget* parent = nullptr);
    ~TfrmMain() override;

    // Registers the global hotkeys, then the model checks and starts the audio library.
    // Returns the exit status the program must end with (4, 5) after the warning was shown,
    // or nullopt when the program goes on.
    std::optional<int> FormCreate();
    // The model saves settings.ini and default.m3u; the hotkeys are given back.
    void FormDestroy();

    // The equalizer window the equalizer button shows; once set, its switch is the one the
    // "Equalizer" key is read into and saved from. Must outlive the window or be reset.
    void SetEqualizerWindow(effects::TfrmEqualizer* window) { m_frmEqualizer = window; }
    // The open-folder window "Insert folder" shows; it stages onto the model's staging list.
    // Must outlive the window or be reset.
    void SetOpenWindow(playlist::TfrmOpen* window);
    // The About window `imgi` and F1 in the playlist open. Must outlive the window or be reset.
    void SetAboutWindow(TfrmAbout* window) { m_frmAbout = window; }

    // The insert menu ("Insert file", "Insert folder") the eject button pops up.
    const playlist::PlayMenuItems& PlayMenu() const { return m_playMenu; }
    // Insert file: the open dialog, then the model adds the chosen names.
    void N2Click();
    // Insert folder: shows the open-folder window.
    void N3Click();
    // The open-folder window's OK: the model appends what it staged.
    void btnOpenClick() { m_model.AppendStaging(); }
    // Names a second start handed over (absolute): the window comes to the front and the
    // model takes them as a command line. Refused once closing.
    void OpenNames(const std::vector<std::string>& names);
    // Shows the window (restored when minimised) on top, with the focus.
    void RaiseWindow();
    // True from the first close on (the close fade runs, nothing new is taken).
    bool Closing() const { return m_model.Closing(); }

    core::PlayerModel& Model() { return m_model; }
    core::Player& Player() { return m_model.GetPlayer(); }
    core::TrackAdvance& Advance() { return m_model.Advance(); }
    playlist::PlaylistModel& Playlist() { return m_model.Playlist(); }
    int OutputVolume() const { return m_model.Volume().Offset(); }
    const core::MainSettings& Modes() const { return m_model.Modes(); }
    // The information windows (created hidden with the main window).
    tags::windows::TfrmMP3Tag* MP3TagWindow() const { return m_frmMP3Tag.get(); }
    tags::windows::TfrmOGGTag* OggTagWindow() const { return m_frmOGGTag.get(); }
    // F2 on playlist row `row`: opens the MP3 window for ".mp3" and ".mp2", the Ogg window for
    // ".ogg", and makes the row the model's tag row; other files and any error do nothing.
    void OpenTags(int row);
    // The spectrum menu items that carry a tick.
    std::vector<std::string> TickedSpectrumItems() const;
    // The main window's context menu: "Play", "Pause", "Stop", "Next", "Previous", the insert
    // menu's items, "Equalizer", "About", "Exit"; each does what its button does.
    QMenu* ContextMenu() const { return m_contextMenu; }

    // The main timer's tick: the end test of an audio track, then the position display.
    void tmrMainTimer();
    // Starts the main timer at the interval of the play state.
    void StartMainTimer();

    // Controls, named as in the design.
    QLabel* lbPosLen = nullptr;
    QLabel* lbBitRate = nullptr;
    QLabel* lbChannelMode = nullptr;
    QLabel* lbTitle = nullptr;
    spectrum::SpectrumView* boxPaint = nullptr;  // the spectrum display, hidden when stopped
    SkinPicture* Image4 = nullptr;               // seek track
    SkinPicture* imgTrack = nullptr;             // progress fill
    SkinPicture* Image5 = nullptr;               // position marker
    SkinPicture* Image10 = nullptr;              // seek knob
    ImageButton* imgi = nullptr;
    ImageButton* img_ = nullptr;
    ImageButton* imgX = nullptr;
    ImageButton* btnrnd = nullptr;
    ImageButton* btnrpl = nullptr;
    ImageButton* bBack = nullptr;
    ImageButton* bPlay = nullptr;
    ImageButton* bPause = nullptr;
    ImageButton* bStop = nullptr;
    ImageButton* bNext = nullptr;
    ImageButton* bEject = nullptr;
    ImageButton* bEQ = nullptr;
    PlaylistView* PlayList = nullptr;  // Panel4 with PlayList, TrackTime and the keys
    QWidget* MainPanel = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* Search = nullptr;
    QTimer* tmrMain = nullptr;
    const QTimer* tmrFFT = nullptr;  // the spectrum display's refresh timer

    // core::PlayerView
    void ShowButtonNormal(core::TransportButton button) override;
    void ShowPlayMenu() override;
    void RepaintPlaylist() override;
    void ShowTitle(const std::string& title) override;
    void SetMainTimer(bool on) override;
    void SetSpectrumTimer(bool on) override;
    void SetSpectrumVisible(bool visible) override;
    void SetKnobsVisible(bool visible) override;
    void ClearTrackDisplay() override;
    void RefreshStreamInfo(const std::string& path) override;
    void PlayVideo(const std::string& path) override;
    void PauseVideo() override;
    void CloseVideo() override;
    void ProcessEventsOnce() override;
    void WaitWithEvents(int ms) override;
    void ShowWarning(const std::string& text) override;

    // core::AdvanceView
    void ResetPositionDisplay() override;
    void ShowPosition(const core::PositionDisplay& display, bool moveDragKnob) override;
    bool KnobDragging() const override;
    void ScrollToCurrent() override;
    void FocusMainControl() override;
    void ShowNextBackNormal(bool next) override;
    std::optional<std::pair<uint32_t, uint32_t>> VideoLengthAndPosition() override;
    void ShowRandomLook(const std::string& picture, const std::string& hint) override;
    void ShowReplayLook(const std::string& picture, const std::string& hint) override;

    // playlist::PlaylistListener
    void PlaylistChanged() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    // Image1: the background picture. A left press on it that then travels a few pixels drags
    // the window; a click, or a press on a control with its own meaning, moves nothing.
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // A right click anywhere the controls do not take it: ContextMenu at the pointer.
    void contextMenuEvent(QContextMenuEvent* event) override;
    // Every position the window is given (by the window manager's move, our own drag loop or
    // the settings) is snapped to the edges of the work area.
    void moveEvent(QMoveEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void BuildControls();
    void ConnectControls();
    void CreateInformationWindows();
    void FormShow();
    void ApplySettings(const core::MainSettings& settings);
    void CollectSettings(core::MainSettings& settings) const;
    void ApplyModeLooks();
    void ShowAbout();
    void ShowEqualizer();
    void BuildContextMenu();
    void SnapToEdges();

    core::PlayerModel& m_model;
    WindowDrag m_drag;               // the background drag
    WindowLife m_life;               // the first show and the close
    QTimer* m_settleSnap = nullptr;  // snaps once the window manager's moves have stopped
    bool m_snapping = false;
    effects::TfrmEqualizer* m_frmEqualizer = nullptr;
    playlist::TfrmOpen* m_frmOpen = nullptr;
    TfrmAbout* m_frmAbout = nullptr;
    playlist::PlayMenuItems m_playMenu;
    QMenu* m_contextMenu = nullptr;  // owned by the window
    std::unique_ptr<SeekKnobs> m_seekKnobs;
    std::unique_ptr<GlobalHotkeys> m_hotkeys;
    std::unique_ptr<video::TfrmVideo> m_frmVideo;  // created hidden, shown for a video entry
    std::unique_ptr<tags::windows::TfrmiMpeg> m_frmiMpeg;  // never shown: the MPEG analysis
    std::unique_ptr<tags::windows::TfrmMP3Tag> m_frmMP3Tag;
    std::unique_ptr<tags::windows::TfrmOGGTag> m_frmOGGTag;
};

}  // namespace tv::ui
