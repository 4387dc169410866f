#pragma once

// The player model: the one owner of the player's state. It holds the playlist, the player,
// the track advance, the play modes and the other keys of settings.ini, the staging list, the
// effect chain with its hooks, the wheel volume and the hotkey actions, and is built and torn
// down in one place by the program. The windows are views: they forward the user's actions to
// it and draw what it reports through the PlayerView and AdvanceView they attach.
//
// Every way names become playlist rows (the open dialog, a drop, the command line, a second
// start, the open-folder window) ends in AddNames: plan (PlanDrop) -> stage (playlists loaded,
// folders scanned onto the staging list) -> append (AppendStagedFiles), then what the source
// does afterwards (play when stopped, play the first file).
//
// settings.ini and default.m3u are loaded and saved in one place, LoadState and SaveState.
// The playlist's revision tells whether anything saved in default.m3u changed since it was
// loaded or saved (PlaylistDirty).
//
// Threads: user-interface thread only. Adding and playing let events run (fades, titles
// filling in), so view calls may re-enter the model meanwhile.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/audio/audiolibrary.h"
#include "core/effectchainhooks.h"
#include "core/hotkeyactions.h"
#include "core/player.h"
#include "core/settings.h"
#include "core/trackadvance.h"
#include "core/viewrelay.h"
#include "core/wheelvolume.h"
#include "effects/effectchain.h"
#include "playlist/m3u.h"
#include "playlist/playlist.h"

namespace tv::core {

// Where names to add come from; each keeps its own order and what follows the append.
enum class NameSource {
    Drop,         // playlists loaded first, then files and folders in drop order; never plays
    OpenDialog,   // like a drop, then Play when nothing was playing
    CommandLine,  // a first media file is appended and played; the rest are added like a drop
    SecondStart,  // the same as the command line, for names another start handed over
};

class PlayerModel {
public:
    // `programFolder` holds settings.ini and default.m3u; `geometry` is the position
    // display's track. `effects` replaces the hooks of the model's own effect chain (tests
    // pass NoEffects); null: the chain is plugged into the player. References outlive the
    // model.
    PlayerModel(audio::AudioLibrary& library, TrackInfoReader& trackInfo,
                std::filesystem::path programFolder, TrackGeometry geometry,
                EffectHooks* effects = nullptr);
    ~PlayerModel();
    PlayerModel(const PlayerModel&) = delete;
    PlayerModel& operator=(const PlayerModel&) = delete;

    // The views the player and the track advance report to; null detaches. Views must
    // outlive their attachment.
    void AttachViews(PlayerView* player, AdvanceView* advance) { m_relay.Attach(player, advance); }

    audio::AudioLibrary& Library() { return m_library; }
    // The attached views as one AdvanceView (for readers such as the desktop's remote control).
    AdvanceView& Views() { return m_relay; }
    playlist::PlaylistModel& Playlist() { return m_playlist; }
    Player& GetPlayer() { return m_player; }
    TrackAdvance& Advance() { return m_advance; }
    effects::EffectChain& Chain() { return m_chain; }
    WheelVolume& Volume() { return m_wheelVolume; }
    // RandomMode, ReplayMode, TimeMode and the other keys of settings.ini as last loaded.
    MainSettings& Modes() { return m_modes; }
    const MainSettings& Modes() const { return m_modes; }
    std::filesystem::path SettingsPath() const;
    std::filesystem::path PlaylistPath() const;

    // FormCreate: checks and starts the audio library (warnings through the attached view).
    // Returns the exit status the program must end with (4, 5), or nullopt.
    std::optional<int> FormCreate();
    // Runs global hotkey `index` (0..7); before FormCreate nothing happens.
    void RunHotkey(int index);

    // LoadState: default.m3u into the playlist, then settings.ini into Modes(), the channel
    // volume, the current entry and the chain's equalizer switch. The primary screen's size gives
    // the default place; `screens` (empty: the primary screen alone) bound the window's size
    // and place. A default.m3u that exists but cannot be read is left alone (the playlist is
    // saved beside it) and leaves a warning for TakeLoadWarning. The playlist counts as saved
    // afterwards.
    void LoadState(int screenWidth, int screenHeight, const std::vector<ScreenArea>& screens = {});
    // The warning of the last LoadState (empty: none), once.
    std::string TakeLoadWarning() { return std::exchange(m_loadWarning, {}); }
    // SaveState: settings.ini from Modes() with `collectViewSettings` filling in what the
    // windows hold (size, place, spectrum, equalizer window), then default.m3u (a file that
    // already holds that text is left untouched). The program folder is created when missing;
    // a failed save is warned about through the attached view, naming the file and the reason.
    void SaveState();
    std::function<void(MainSettings&)> collectViewSettings;
    // What the windows take from settings just loaded (size, place, spectrum, mode buttons,
    // equalizer window); called by LoadState before anything plays.
    std::function<void(const MainSettings&)> applyViewSettings;
    // True when rows, their texts or the current entry changed since LoadState or SaveState.
    bool PlaylistDirty() const { return m_playlist.Revision() != m_savedRevision; }

    // The first show: the player starts stopped, the state is loaded, the focus goes to the
    // current entry and a first command-line media file is played. Returns the command-line
    // names still to add (like a drop, once the window stands).
    std::vector<std::string> FirstShow(int screenWidth, int screenHeight,
                                       const std::vector<ScreenArea>& screens = {});
    // The names given on the command line (as typed; made absolute when added).
    void SetCommandLine(std::vector<std::string> names) { m_commandLine = std::move(names); }

    // Turns `names` into playlist rows as `source` does (see NameSource). Returns the number
    // of rows added. Nothing is added once the model is closing.
    int AddNames(NameSource source, std::vector<std::string> names);
    // Appends the staging list as it stands (the open-folder window's OK scanned its folder
    // onto it): the last step of AddNames.
    int AppendStaging();
    // The staging list every adding command fills; kept until the next command.
    std::vector<std::string>& StagingList() { return m_staging; }

    // The first close: nothing new is taken, the player fades out.
    void BeginClose();
    bool Closing() const { return m_closing; }

    // The tag windows, in the order the refresh visits them (empty: none). They must outlive
    // their registration. F2 on a row remembers it as the row they edit (TagRow, -1: none).
    void SetTagWindows(std::vector<TagWindowHook*> windows) { m_tagWindows = std::move(windows); }
    void SetTagRow(int row) { m_tagRow = row; }
    int TagRow() const { return m_tagRow; }
    // A tag save or removal: runs `write` (false: nothing else happens and false is returned),
    // then MLTClick.
    bool SaveTags(const std::function<bool()>& write);
    // MLTClick: rebuilds the tag row from the file each visible tag window shows, then points
    // those windows (and the tag row) at the focused entry.
    void MLTClick();

private:
    // Appends `path` as a row, selects and focuses it and presses Play. Returns rows added.
    int PlayFirstFile(const std::string& path);
    int Append(const std::vector<std::string>& staged);

    audio::AudioLibrary& m_library;
    std::filesystem::path m_programFolder;  // MAIN_DIR
    playlist::PlaylistModel m_playlist;
    ViewRelay m_relay;
    effects::EffectChain m_chain;
    EffectChainHooks m_chainHooks;
    Player m_player;
    MainSettings m_modes;
    TrackAdvance m_advance;
    WheelVolume m_wheelVolume;
    std::unique_ptr<HotkeyActions> m_hotkeyActions;
    std::vector<std::string> m_staging;
    std::vector<std::string> m_masks;
    std::vector<std::string> m_commandLine;
    std::vector<TagWindowHook*> m_tagWindows;
    playlist::KeptPlaylist m_keptPlaylist;  // default.m3u, or beside it when it was unreadable
    std::string m_loadWarning;
    uint64_t m_savedRevision = 0;
    int m_tagRow = -1;
    bool m_closing = false;
};

}  // namespace tv::core
