#pragma once

// The main window (TfrmMain): the player part of the 626 x 480 design, 320 x 480 by default,
// with its controls at their design places, drawn plainly. It owns the player logic and the
// playlist model, shows what the player says through core::PlayerView, and runs the window's
// life: FormCreate (audio library checks), the first show (playlist, settings, command-line
// file), the close fade and FormDestroy (settings and playlist saved).
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

#include "core/audio/audiolibrary.h"
#include "core/player.h"
#include "core/settings.h"
#include "core/trackadvance.h"
#include "core/wheelvolume.h"
#include "playlist/m3u.h"
#include "playlist/playlist.h"
#include "playlist/stagedfiles.h"
#include "playlist/windows/insertmenu.h"
#include "ui/skin/imagebutton.h"
#include "ui/skin/skinpicture.h"
#include "ui/skin/windowdrag.h"
#include "video/mpvvideoplugin.h"
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

namespace tv::core {
class HotkeyActions;
}

namespace tv::ui {

class GlobalHotkeys;
class PlaylistView;

class TfrmAbout;

class TfrmMain : public QWidget,
                 public core::PlayerView,
                 public core::AdvanceView,
                 public playlist::PlaylistListener {
public:
    // `programFolder` holds settings.ini and default.m3u; `firstArgument` is the file named on
    // the command line (empty: none). Every reference must outlive the window.
    TfrmMain(audio::AudioLibrary& library, core::EffectHooks& effects,
             core::TrackInfoReader& trackInfo, std::filesystem::path programFolder,
             std::string firstArgument, QWidget* parent = nullptr);
    ~TfrmMain() override;

    // Checks and starts the audio library. Returns the exit status the program must end with
    // (4: wrong library version, 5: initialisation failed) after the warning was shown, or
    // nullopt when the program goes on.
    std::optional<int> FormCreate();
    // Saves settings.ini and default.m3u. Failures are written to stderr.
    void FormDestroy();

    // The effect chain whose equalizer switch the "Equalizer" key feeds and saves.
    void SetEffectChain(effects::EffectChain* chain) { m_effectChain = chain; }
    // The equalizer window the equalizer button shows; once set, its switch is the one the
    // "Equalizer" key is read into and saved from. Must outlive the window or be reset.
    void SetEqualizerWindow(effects::TfrmEqualizer* window) { m_frmEqualizer = window; }
    // The open-folder window: "Insert folder" shows it, and its staging list and mask list
    // serve every adding command. Without it the commands use a list of their own and the
    // standard masks. Must outlive the window or be reset.
    void SetOpenWindow(playlist::TfrmOpen* window) { m_frmOpen = window; }
    // The About window `imgi` and F1 in the playlist open. Must outlive the window or be reset.
    void SetAboutWindow(TfrmAbout* window) { m_frmAbout = window; }
    // Names given on the command line after the first one. The first show adds them like a
    // drop, after the event loop has started, so the window stays responsive meanwhile.
    void SetMoreArguments(std::vector<std::string> names) { m_moreArguments = std::move(names); }

    // The insert menu ("Insert file", "Insert folder") the eject button pops up.
    const playlist::PlayMenuItems& PlayMenu() const { return m_playMenu; }
    // Insert file: the open dialog, then the chosen names are added; Play is pressed when
    // nothing was playing.
    void N2Click();
    // Insert folder: shows the open-folder window.
    void N3Click();
    // Appends the staging list (filled by the open-folder window) to the playlist.
    void btnOpenClick();
    // Adds `names` as a drop does: playlists loaded at once, folders scanned, the rest staged,
    // then one append. Never starts playback. Returns the number of rows added.
    int AddDroppedNames(const std::vector<std::string>& names);
    // Names a second start handed over (absolute): taken as this window's own command line
    // would be, so a first media file is appended and played and the rest added like a drop.
    // With no names the window only comes to the front.
    void OpenNames(const std::vector<std::string>& names);
    // Shows the window (restored when minimised) on top, with the focus.
    void RaiseWindow();
    // True from the first close on (the close fade runs, nothing new is taken).
    bool Closing() const { return m_closing; }
    core::Player& Player() { return *m_player; }
    // Track advance: Next, Previous, the play modes and the main timer's tick.
    core::TrackAdvance& Advance() { return *m_advance; }
    playlist::PlaylistModel& Playlist() { return m_playlist; }
    std::filesystem::path SettingsPath() const;
    std::filesystem::path PlaylistPath() const;
    int OutputVolume() const { return m_wheelVolume.Offset(); }
    const core::MainSettings& Modes() const { return m_modes; }
    // The information windows (created hidden with the main window).
    tags::windows::TfrmMP3Tag* MP3TagWindow() const { return m_frmMP3Tag.get(); }
    tags::windows::TfrmOGGTag* OggTagWindow() const { return m_frmOGGTag.get(); }
    // F2 on playlist row `row`: opens the MP3 window for ".mp3" and ".mp2", the Ogg window for
    // ".ogg", and writes the row into Label2; other files and any error do nothing.
    void OpenTags(int row);
    // The spectrum menu items that carry a tick.
    std::vector<std::string> TickedSpectrumItems() const;

    void LoadSettings();
    void SaveSettings();
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
    QLabel* Label2 = nullptr;  // hidden: the row whose tags F2 opened last
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
    bool KnobDragging() const override { return m_trackDrag || m_knobDrag; }
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
    bool eventFilter(QObject* watched, QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    // Image1: the background picture; a press with any button drags the window.
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // Every position the window is given (by the window manager's move, our own drag loop or
    // the settings) is snapped to the edges of the work area.
    void moveEvent(QMoveEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void BuildControls();
    void CreateInformationWindows();
    void FormShow();
    void AppendCommandLineFile(const std::string& path);
    playlist::AppendCallbacks AppendHooks();
    const std::vector<std::string>& Masks() const;
    // Appends `staged` with the player's completion hooks (the append keeps its own copy, so a
    // command run during the completion may refill the shared staging list).
    int AppendStaged(const std::vector<std::string>& staged);
    void ApplyModeLooks();
    void PlaceKnob(int x);
    void SeekRelease();
    void ShowAbout();
    void SnapToEdges();

    audio::AudioLibrary& m_library;
    playlist::PlaylistModel m_playlist;
    std::unique_ptr<core::Player> m_player;
    std::unique_ptr<core::TrackAdvance> m_advance;
    std::filesystem::path m_programFolder;  // MAIN_DIR
    playlist::KeptPlaylist m_keptPlaylist;  // default.m3u, or beside it when it was unreadable
    std::string m_firstArgument;
    core::MainSettings m_modes;       // the play modes, spectrum settings and equalizer switch
    core::WheelVolume m_wheelVolume;  // the hidden volume knob's offset
    WindowDrag m_drag;                // the background drag
    QTimer* m_settleSnap = nullptr;   // snaps once the window manager's moves have stopped
    bool m_snapping = false;
    bool m_firstShow = true;
    bool m_closing = false;
    bool m_inFirstShow = false;     // the first show runs, and lets pending events run
    bool m_closeAfterShow = false;  // a close came meanwhile; it follows the show
    bool m_trackDrag = false;
    bool m_knobDrag = false;
    int m_dragStartX = 0;
    int m_dragStartKnob = 0;
    effects::EffectChain* m_effectChain = nullptr;
    effects::TfrmEqualizer* m_frmEqualizer = nullptr;
    playlist::TfrmOpen* m_frmOpen = nullptr;
    TfrmAbout* m_frmAbout = nullptr;
    playlist::PlayMenuItems m_playMenu;
    std::vector<std::string> m_ownStaging;  // the staging list without an open-folder window
    std::vector<std::string> m_moreArguments;
    std::unique_ptr<core::HotkeyActions> m_hotkeyActions;  // the eight global hotkeys
    std::unique_ptr<GlobalHotkeys> m_hotkeys;
    std::unique_ptr<video::TfrmVideo> m_frmVideo;  // created hidden, shown for a video entry
    std::unique_ptr<tags::windows::TfrmiMpeg> m_frmiMpeg;  // never shown: the bit-rate labels
    std::unique_ptr<tags::windows::TfrmMP3Tag> m_frmMP3Tag;
    std::unique_ptr<tags::windows::TfrmOGGTag> m_frmOGGTag;
};

}  // namespace tv::ui
