#include "core/playermodel.h"

#include <system_error>
#include <utility>

#include "core/inifile.h"
#include "core/instancemessage.h"
#include "core/programfolder.h"
#include "core/startup.h"
#include "playlist/dropplan.h"
#include "playlist/m3u.h"
#include "playlist/scandir.h"
#include "playlist/stagedfiles.h"

namespace tv::core {

namespace {

constexpr const char* kPlaylistFileName = "default.m3u";

// Kept absolute, so default.m3u still finds the file from another working folder.
std::vector<std::string> Absolute(std::vector<std::string> names) {
    std::error_code error;
    const std::filesystem::path here = std::filesystem::current_path(error);
    if (!error) {
        for (std::string& name : names)
            name = AbsoluteName(name, here);
    }
    return names;
}

bool IsMediaFile(const std::string& name) {
    return playlist::ClassifyDroppedName(name) == playlist::DroppedKind::File;
}

}  // namespace

PlayerModel::PlayerModel(audio::AudioLibrary& library, TrackInfoReader& trackInfo,
                         std::filesystem::path programFolder, TrackGeometry geometry,
                         EffectHooks* effects)
    : m_library(library),
      m_programFolder(std::move(programFolder)),
      m_chain(library, {}),
      m_chainHooks(m_chain),
      m_player(library, m_playlist, m_relay, effects ? *effects : m_chainHooks, trackInfo),
      m_advance(m_player, m_playlist, m_relay, m_relay, m_modes, geometry),
      m_wheelVolume(library),
      m_masks(playlist::MaskList()),
      m_keptPlaylist(PlaylistPath().string()) {
    if (!effects)
        m_chain.SetChannelQuery(EffectChainHooks::ChannelQuery(m_player));
    // Automatic levelling takes album gains while the playlist plays in order.
    m_player.SetShuffledQuery([this] { return m_modes.random; });
}

PlayerModel::~PlayerModel() {
    m_relay.Attach(nullptr, nullptr);
}

std::filesystem::path PlayerModel::SettingsPath() const {
    return m_programFolder / kSettingsFileName;
}

std::filesystem::path PlayerModel::PlaylistPath() const {
    return m_programFolder / kPlaylistFileName;
}

std::optional<int> PlayerModel::FormCreate() {
    m_hotkeyActions = std::make_unique<HotkeyActions>(m_library, m_player, m_advance);
    const StartUpResult start = StartUp(m_library, m_relay);
    if (start.exitStatus)
        return start.exitStatus;
    m_wheelVolume.Start(start.outputVolume);
    return std::nullopt;
}

void PlayerModel::RunHotkey(int index) {
    if (m_hotkeyActions)
        m_hotkeyActions->Run(index);
}

// --- the saved state: settings.ini and default.m3u -------------------------------------------

void PlayerModel::LoadState(int screenWidth, int screenHeight,
                            const std::vector<ScreenArea>& screens) {
    m_loadWarning = m_keptPlaylist.Load(m_playlist);
    IniFile ini;
    ini.Load(SettingsPath());
    m_modes = BoundMainSettings(
        LoadMainSettings(ini, screenWidth, screenHeight),
        screens.empty() ? std::vector<ScreenArea>{{0, 0, screenWidth, screenHeight}} : screens);
    m_player.SetChannelVolume(m_modes.volume);
    m_player.SetReplayGain(LoadReplayGainSettings(ini));
    const int track = m_modes.trackPos;
    m_playlist.SetCurrent(track >= 0 && track < m_playlist.Count() ? track : -1);
    m_chain.SetEqualizerChecked(m_modes.equalizer);
    if (applyViewSettings)
        applyViewSettings(m_modes);
    m_savedRevision = m_playlist.Revision();
}

void PlayerModel::SaveState() {
    IniFile ini;
    ini.Load(SettingsPath());
    MainSettings s = m_modes;
    s.volume = m_player.ChannelVolume();
    s.trackPos = m_playlist.Current();
    s.equalizer = m_chain.EqualizerChecked();
    if (collectViewSettings)
        collectViewSettings(s);
    StoreMainSettings(ini, s);
    StoreReplayGainSettings(ini, m_player.ReplayGain());
    std::string error;
    if (!EnsureProgramFolder(m_programFolder, &error) || !ini.Save(SettingsPath(), &error))
        m_relay.ShowWarning("The settings could not be saved to " + SettingsPath().string() + ": " +
                            error);
    // The recipe leaves a file that already holds this text alone, so a run that changed
    // nothing keeps default.m3u as it was; a file in another program's form is rewritten in ours.
    if (const std::string warning = m_keptPlaylist.Save(m_playlist); !warning.empty())
        m_relay.ShowWarning(warning);
    else
        m_savedRevision = m_playlist.Revision();
}

// --- from names to rows -----------------------------------------------------------------------

std::vector<std::string> PlayerModel::FirstShow(int screenWidth, int screenHeight,
                                                const std::vector<ScreenArea>& screens) {
    m_player.ResetState();
    LoadState(screenWidth, screenHeight, screens);
    m_playlist.SetFocused(m_playlist.Current());
    std::vector<std::string> names = std::exchange(m_commandLine, {});
    if (!names.empty()) {
        // A first media file plays at once; a first folder or playlist is added like the rest.
        names = Absolute(std::move(names));
        if (IsMediaFile(names.front())) {
            PlayFirstFile(names.front());
            names.erase(names.begin());
        }
    }
    m_playlist.RebuildRandomOrder();
    return names;
}

int PlayerModel::AddNames(NameSource source, std::vector<std::string> names) {
    if (m_closing || names.empty())
        return 0;  // closing, or a cancelled dialog
    int added = 0;
    if (source == NameSource::CommandLine)
        names = Absolute(std::move(names));
    if (source == NameSource::CommandLine || source == NameSource::SecondStart) {
        if (IsMediaFile(names.front())) {
            added += PlayFirstFile(names.front());
            names.erase(names.begin());
            m_playlist.RebuildRandomOrder();
            m_relay.ScrollToCurrent();
        }
    }
    // Plan, stage: playlists are loaded at once, so their rows come before everything staged;
    // folders are scanned and files taken in the order given.
    const playlist::DropPlan plan = playlist::PlanDrop(names);
    for (const std::string& list : plan.playlists)
        added += playlist::LoadPlaylistFile(m_playlist, list);
    if (!names.empty()) {
        m_staging = playlist::StagePlan(plan, m_masks);
        added += AppendStaging();
    }
    if (source == NameSource::OpenDialog && m_player.PlayState() == kStopped)
        m_player.btnPlayClick();
    return added;
}

int PlayerModel::AppendStaging() {
    return Append(m_staging);
}

int PlayerModel::Append(const std::vector<std::string>& staged) {
    playlist::AppendCallbacks hooks;
    hooks.buildTrackEntry = [this](const std::string& path, int row) {
        m_player.BuildTrackEntry(path, row);
    };
    hooks.processEvents = [this] { m_relay.ProcessEventsOnce(); };
    hooks.terminating = [this] { return m_closing; };  // what exists by then is saved
    // The append keeps its own copy: a command run meanwhile may refill the staging list.
    return playlist::AppendStagedFiles(m_playlist, staged, hooks);
}

int PlayerModel::PlayFirstFile(const std::string& path) {
    const int row = m_playlist.Count();
    const int added = Append({path});
    if (row >= m_playlist.Count())
        return added;  // removed while events ran
    m_playlist.ClearSelection();
    m_playlist.Select(row);
    m_playlist.SetFocused(row);
    m_player.btnPlayClick();
    return added;
}

void PlayerModel::BeginClose() {
    m_closing = true;
    m_player.FormClose();
}

// --- the tag windows ------------------------------------------------------------------------

bool PlayerModel::SaveTags(const std::function<bool()>& write) {
    if (!write || !write())
        return false;
    MLTClick();
    return true;
}

void PlayerModel::MLTClick() {
    for (TagWindowHook* window : m_tagWindows) {
        if (!window->IsVisible())
            continue;
        const int savedCounter = m_playlist.EntryCounter();
        m_playlist.SetEntryCounter(m_tagRow);
        m_player.BuildTrackEntry(window->Path(), m_tagRow);
        m_playlist.SetEntryCounter(savedCounter);
        m_relay.ProcessEventsOnce();  // the rebuild's one pass of pending events
        m_relay.RepaintPlaylist();
        const int focused = m_playlist.Focused();
        if (focused >= 0 && focused < m_playlist.Count()) {
            window->Reload(m_playlist.At(focused).path);
            m_tagRow = focused;
        }
    }
}

}  // namespace tv::core
