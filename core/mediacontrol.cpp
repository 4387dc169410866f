#include "core/mediacontrol.h"

#include <algorithm>
#include <cmath>

namespace tv::core {

std::string PlaybackStatusOf(int playState) {
    switch (playState) {
        case kAudioPlaying:
        case kVideoPlaying:
            return "Playing";
        case kAudioPaused:
        case kVideoPaused:
            return "Paused";
        default:
            return "Stopped";
    }
}

std::string LoopStatusOf(int replayMode) {
    switch (replayMode) {
        case 1:
            return "Playlist";
        case 2:
            return "Track";
        default:
            return "None";
    }
}

std::optional<int> ReplayModeOf(const std::string& loopStatus) {
    if (loopStatus == "None")
        return 0;
    if (loopStatus == "Playlist")
        return 1;
    if (loopStatus == "Track")
        return 2;
    return std::nullopt;
}

double VolumeOf(int channelVolume) {
    return channelVolume / 100.0;
}

std::optional<int> ChannelVolumeOf(double volume) {
    if (std::isnan(volume))
        return std::nullopt;
    if (volume <= 0)
        return 0;
    if (volume >= 1)
        return 100;
    return static_cast<int>(std::lround(volume * 100));
}

std::string FileUrl(const std::string& path) {
    static const char* const kHex = "0123456789ABCDEF";
    std::string url = "file://";
    for (const unsigned char c : path) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' || c == '~' ||
                           c == '/';
        if (plain) {
            url += static_cast<char>(c);
        } else {
            url += '%';
            url += kHex[c >> 4];
            url += kHex[c & 15];
        }
    }
    return url;
}

std::vector<std::string> ChangedProperties(const ControlState& before, const ControlState& now) {
    std::vector<std::string> names;
    if (before.playbackStatus != now.playbackStatus)
        names.emplace_back("PlaybackStatus");
    if (before.loopStatus != now.loopStatus)
        names.emplace_back("LoopStatus");
    if (before.shuffle != now.shuffle)
        names.emplace_back("Shuffle");
    if (before.volume != now.volume)
        names.emplace_back("Volume");
    if (before.metadata != now.metadata)
        names.emplace_back("Metadata");
    if (before.canGoNext != now.canGoNext)
        names.emplace_back("CanGoNext");
    return names;
}

MediaControl::MediaControl(Player& player, TrackAdvance& advance, playlist::PlaylistModel& playlist,
                           const MainSettings& modes, AdvanceView& view, TrackInfoReader& trackInfo)
    : m_player(player),
      m_advance(advance),
      m_playlist(playlist),
      m_modes(modes),
      m_view(view),
      m_trackInfo(trackInfo) {}

ControlState MediaControl::State() {
    ControlState s;
    s.playbackStatus = PlaybackStatusOf(m_player.PlayState());
    s.loopStatus = LoopStatusOf(m_modes.replay);
    s.shuffle = m_modes.random;
    s.volume = VolumeOf(m_player.ChannelVolume());
    s.canGoNext = m_playlist.Count() > 0;
    s.metadata = CurrentMetadata();
    return s;
}

TrackMetadata MediaControl::CurrentMetadata() {
    TrackMetadata m;
    const int row = m_playlist.Current();
    if (row < 0 || row >= m_playlist.Count())
        return m;
    const playlist::Entry& entry = m_playlist.At(row);
    if (entry.path != m_factsPath) {
        m_factsPath = entry.path;
        m_facts = m_trackInfo.Read(entry.path, LowerExtension(entry.path));
    }
    m.trackId = "/org/torvanell/track/" + std::to_string(row);
    m.title = m_facts.title.empty() ? CleanTitle(NameWithoutExtension(FileNameOf(entry.path)))
                                    : m_facts.title;
    m.artist = m_facts.artist;
    m.url = FileUrl(entry.path);
    // The open channel or video knows the length best; otherwise the tags or the row's text.
    const bool isLoaded = entry.path == m_player.CurrentPath();
    const int state = m_player.PlayState();
    int64_t ms = 0;
    if (isLoaded && AudioLoaded()) {
        ms = m_player.GetLengthMs();
    } else if (isLoaded && (state == kVideoPlaying || state == kVideoPaused)) {
        if (const auto video = m_view.VideoLengthAndPosition())
            ms = video->first;
    }
    if (ms == 0)
        ms = int64_t(m_facts.durationSeconds ? m_facts.durationSeconds
                                             : playlist::DurationSeconds(entry.duration)) *
             1000;
    m.lengthUs = ms * 1000;
    return m;
}

bool MediaControl::AudioLoaded() const {
    const int state = m_player.PlayState();
    return state == kAudioPlaying || state == kAudioPaused;
}

int64_t MediaControl::PositionUs() {
    const int state = m_player.PlayState();
    if (AudioLoaded())
        return int64_t(m_player.GetPositionMs()) * 1000;
    if (state == kVideoPlaying || state == kVideoPaused)
        if (const auto video = m_view.VideoLengthAndPosition())
            return int64_t(video->second) * 1000;
    return 0;
}

void MediaControl::PlayPause() {
    if (m_player.PlayState() == kStopped)
        Play();
    else
        m_player.btnPauseClick();
}

void MediaControl::Play() {
    const int state = m_player.PlayState();
    if (state == kStopped) {
        // With an empty playlist Play pops up the insert menu; a remote has no pointer.
        if (m_playlist.Count() > 0)
            m_player.btnPlayClick();
    } else if (state == kAudioPaused || state == kVideoPaused) {
        m_player.btnPauseClick();
    }
}

void MediaControl::Pause() {
    const int state = m_player.PlayState();
    if (state == kAudioPlaying || state == kVideoPlaying)
        m_player.btnPauseClick();
}

void MediaControl::Stop() {
    if (m_player.PlayState() != kStopped)
        m_player.btnStopClick();
}

void MediaControl::Next() {
    m_advance.btnNextClick();
}

void MediaControl::Previous() {
    m_advance.btnBackClick();
}

bool MediaControl::SeekAudioToMs(uint32_t ms) {
    // The seek slider's way: silent at once, seek, glide back to the channel volume.
    m_player.Silence();
    const bool done = m_player.SeekToMs(ms);
    m_player.GlideBack();
    return done;
}

bool MediaControl::Seek(int64_t offsetUs) {
    if (!AudioLoaded())
        return false;
    const int64_t length = m_player.GetLengthMs();
    const int64_t target = int64_t(m_player.GetPositionMs()) + offsetUs / 1000;
    if (target >= length) {
        Next();
        return false;
    }
    return SeekAudioToMs(static_cast<uint32_t>(std::max<int64_t>(target, 0)));
}

bool MediaControl::SetPosition(const std::string& trackId, int64_t positionUs) {
    if (!AudioLoaded() || trackId != CurrentMetadata().trackId || positionUs < 0)
        return false;
    const int64_t ms = positionUs / 1000;
    if (ms >= m_player.GetLengthMs())
        return false;
    return SeekAudioToMs(static_cast<uint32_t>(ms));
}

void MediaControl::SetShuffle(bool on) {
    if (m_modes.random != on)
        m_advance.btnrndClick();
}

void MediaControl::SetLoopStatus(const std::string& loopStatus) {
    const std::optional<int> wanted = ReplayModeOf(loopStatus);
    if (!wanted)
        return;
    for (int i = 0; i < 3 && m_modes.replay != *wanted; ++i)
        m_advance.btnrplClick();
}

void MediaControl::SetVolume(double volume) {
    const std::optional<int> level = ChannelVolumeOf(volume);
    if (!level)
        return;
    m_player.SetChannelVolume(*level);
    m_player.GlideBack();  // the volume hotkeys' 200 ms glide to the new level
}

}  // namespace tv::core
