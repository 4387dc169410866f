#pragma once

// Desktop media control: what a desktop's media keys, sound menu and command-line remote see
// of the player (playback status, the current track's metadata, position, volume, shuffle and
// loop modes) and the commands they send. Every command ends in the same implementation the
// buttons use: Play, Pause and Stop are the player's btn*Click, Next and Previous are track
// advance's, the modes are the mode buttons' clicks, a seek is the seek slider's silence,
// seek and glide back, and a volume change is the volume hotkeys' 200 ms glide.
//
// Threads: user-interface thread only. Commands may wait for fades with events running.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/player.h"
#include "core/settings.h"
#include "core/trackadvance.h"
#include "core/trackentry.h"
#include "playlist/playlist.h"

namespace tv::core {

// The track id of "no track".
inline constexpr const char* kNoTrackId = "/org/mpris/MediaPlayer2/TrackList/NoTrack";

// "Playing", "Paused" or "Stopped" for a PlayState (audio and video alike).
std::string PlaybackStatusOf(int playState);
// ReplayMode 0 "None", 1 "Playlist" (replay all), 2 "Track" (replay one); any other value
// replays nothing and shows as "None".
std::string LoopStatusOf(int replayMode);
// The ReplayMode of a loop status; nullopt for an unknown name.
std::optional<int> ReplayModeOf(const std::string& loopStatus);
// ChannelVolume 0..100 as 0.0..1.0 and back: rounded to the nearest step, clamped to the
// range; nullopt for a value that is not a number.
double VolumeOf(int channelVolume);
std::optional<int> ChannelVolumeOf(double volume);
// A local path as a file URL: "file://" and the path with every byte outside the unreserved
// set (and "/") percent-encoded.
std::string FileUrl(const std::string& path);

struct TrackMetadata {
    std::string trackId = kNoTrackId;  // "/org/torvanell/track/<row>" for a playlist entry
    int64_t lengthUs = 0;              // 0: unknown
    std::string title;
    std::string artist;  // empty: none
    std::string url;
    bool operator==(const TrackMetadata&) const = default;
};

// The state a remote sees; Position is asked for separately, it changes all the time.
struct ControlState {
    std::string playbackStatus = "Stopped";
    std::string loopStatus = "None";
    bool shuffle = false;
    double volume = 0.8;
    bool canGoNext = false;  // the playlist holds an entry
    TrackMetadata metadata;
    bool operator==(const ControlState&) const = default;
};

// The names of the properties of `now` that differ from `before` ("PlaybackStatus",
// "LoopStatus", "Shuffle", "Volume", "Metadata", "CanGoNext" in that order).
std::vector<std::string> ChangedProperties(const ControlState& before, const ControlState& now);

class MediaControl {
public:
    // Every reference must outlive this object; `modes` holds RandomMode and ReplayMode.
    MediaControl(Player& player, TrackAdvance& advance, playlist::PlaylistModel& playlist,
                 const MainSettings& modes, AdvanceView& view, TrackInfoReader& trackInfo);

    ControlState State();
    // The position of the audio channel or the video, in microseconds; 0 when stopped.
    int64_t PositionUs();

    // Stopped: Play; playing or paused: Pause (which resumes a paused track).
    void PlayPause();
    // Stopped: Play; paused: resume; playing: nothing (Play would start the track again).
    void Play();
    // Playing: Pause; otherwise nothing.
    void Pause();
    void Stop();
    void Next();
    void Previous();
    // Moves the audio position by `offsetUs`: before the start it goes to the start, at or past
    // the end the player moves on to the next track. Nothing for video or when stopped.
    // True when the position jumped (the remote is told so).
    bool Seek(int64_t offsetUs);
    // Goes to `positionUs` of the track `trackId`; ignored when that is not the current track
    // or the position lies outside it.
    bool SetPosition(const std::string& trackId, int64_t positionUs);
    void SetShuffle(bool on);
    // Unknown names are ignored; a ReplayMode outside 0..2 cannot be cycled and stays.
    void SetLoopStatus(const std::string& loopStatus);
    void SetVolume(double volume);

private:
    bool AudioLoaded() const;
    bool SeekAudioToMs(uint32_t ms);
    TrackMetadata CurrentMetadata();

    Player& m_player;
    TrackAdvance& m_advance;
    playlist::PlaylistModel& m_playlist;
    const MainSettings& m_modes;
    AdvanceView& m_view;
    TrackInfoReader& m_trackInfo;
    // The tags of the last file asked for; read again only when the file changes.
    std::string m_factsPath;
    TrackFacts m_facts;
};

}  // namespace tv::core
