#pragma once

// The playback engine: turns the current playlist entry into sound (through the audio
// library) or video (through the view's video window), with Play, Stop and Pause and their
// volume fades, length, position and seek in milliseconds, and the title builder of a
// playlist row.
//
// Threads: user-interface thread only. Stop, Pause and Close wait for their fade with
// PlayerView::WaitWithEvents, so clicks and timer ticks may re-enter the player meanwhile;
// every operation leaves the player consistent when that happens.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/audio/audiolibrary.h"
#include "core/playerview.h"
#include "core/settings.h"
#include "core/trackentry.h"
#include "playlist/playlist.h"

namespace tv::core {

enum PlayStates : int {
    kStopped = 0,
    kAudioPlaying = 11,
    kAudioPaused = 12,
    kVideoPlaying = 21,
    kVideoPaused = 22,
};

enum ChannelKinds : int { kNoChannel = 0, kStreamChannel = 1, kModuleChannel = 2 };

// One press of a held Left or Right key in the playlist seeks this far.
constexpr int kSeekStepMs = 5000;

class Player {
public:
    // Every reference must outlive the player.
    Player(audio::AudioLibrary& library, playlist::PlaylistModel& playlist, PlayerView& view,
           EffectHooks& effects, TrackInfoReader& trackInfo);

    int PlayState() const { return m_playState; }
    audio::Handle Channel() const { return m_channel; }
    int ChannelKind() const { return m_channelKind; }
    // True while OpenChannel equips a new channel: it counts as live for the effects then,
    // although the player is still stopped.
    bool Opening() const { return m_opening; }
    const std::string& CurrentPath() const { return m_currentPath; }
    void SetCurrentPath(const std::string& path) { m_currentPath = path; }
    const std::string& DurationText() const { return m_durationText; }

    int ChannelVolume() const { return m_channelVolume; }
    void SetChannelVolume(int volume);

    // Play: starts the focused entry (or, with none focused, the current one, else the
    // first); with an empty playlist pops up the add-files menu.
    void btnPlayClick();
    // Stop: fades out and frees the audio channel (Channel() is 0 afterwards) or closes the
    // video; clears the display.
    void btnStopClick();
    // Pause: fades out and pauses, or resumes and fades back in; toggles a video's pause.
    void btnPauseClick();
    // Closing the main window: fades the channel to 0 and waits, whatever the state.
    void FormClose();
    // First show: the player starts stopped.
    void ResetState() { m_playState = kStopped; }

    // Frees the old channel and opens, starts and equips a new one. With no opener accepting
    // the file, Channel() is 0 afterwards; an 8-bit source is refused with a warning.
    void OpenChannel(const std::string& path);

    // Gapless hand-over of a natural track end. QueueNext opens `path` with the stream
    // openers and queues it to follow the playing stream without a gap (modules, 8-bit
    // sources and files no opener takes are not queued: false). CancelQueued calls it off.
    // TakeHandOver: true once, when the queued track has begun to be heard; CurrentPath() is
    // then its path. A seek or a new channel forgets the queued track.
    bool QueueNext(const std::string& path);
    void CancelQueued();
    bool HasQueued() const { return !m_queuedPath.empty(); }
    bool TakeHandOver();

    // Loudness levelling: the settings, applied to the playing track at once (the engine
    // glides to the new gain) and to every track opened or queued after; `shuffled` tells
    // the automatic mode whether the playlist plays in random order (absent: in order).
    void SetReplayGain(const ReplayGainSettings& settings);
    const ReplayGainSettings& ReplayGain() const { return m_replayGain; }
    void SetShuffledQuery(std::function<bool()> shuffled) { m_shuffled = std::move(shuffled); }

    // Milliseconds; 0 without a channel.
    uint32_t GetLengthMs();
    uint32_t GetPositionMs();
    // Seeks the stream; refused (false) without a channel, when stopped, or beyond the end.
    bool SeekToMs(uint32_t ms);

    // The held seek of the playlist's Left and Right keys. SeekStep: during audio playback or
    // pause, the first press of a hold fades the channel to 0 (waiting until the mixer has
    // reached 0), then every press, auto-repeats included, seeks kSeekStepMs back (not before
    // the start) or forward (at most to 1 ms before the end); otherwise nothing happens.
    // Presses and releases that arrive during that wait are kept and carried out after it, so
    // the jump always happens in silence however fast the keys come. SeekRelease, on the real
    // release of the key: glides back to ChannelVolume and ends the hold.
    void SeekStep(bool forward);
    void SeekRelease();
    bool SeekFading() const { return m_seekFade != SeekFade::None; }
    // The seek slider's release: silences the channel at once (Silence), and after the seek
    // or the change of track glides the new channel back to ChannelVolume (GlideBack).
    void Silence();
    void GlideBack();

    // Writes the display text and duration text of playlist row `i` from the file's tags. Lets
    // no events run: Play and MLTClick let them run once after it, and the completion of added
    // rows once per batch of rows, so the list is not drawn again for every added row.
    void BuildTrackEntry(const std::string& path, int i);

private:
    enum class SeekFade { None, FadingOut, Silent };

    uint32_t BytesToMs(int64_t bytes);
    // Waits the fade time with events running, then, while `sounding`, until the mixer has
    // reached the slide's target (a little longer at most).
    void WaitForFade(audio::Handle channel, bool sounding);
    // Seeks `steps` presses of kSeekStepMs from the position (negative: back).
    void SeekSteps(int steps);
    void FreeChannel();
    // The levelling gain of the file at `path` under the current settings.
    float GainFor(const std::string& path) const;

    audio::AudioLibrary& m_library;
    playlist::PlaylistModel& m_playlist;
    PlayerView& m_view;
    EffectHooks& m_effects;
    TrackInfoReader& m_trackInfo;

    int m_playState = kStopped;
    audio::Handle m_channel = 0;
    int m_channelKind = kNoChannel;
    std::string m_currentPath;
    std::string m_durationText;
    int m_channelVolume = kDefaultChannelVolume;
    bool m_opening = false;
    std::string m_queuedPath;     // queued to follow the playing track
    uint32_t m_heardChanges = 0;  // the channel's track changes already taken over
    SeekFade m_seekFade = SeekFade::None;
    int m_seekSteps = 0;
    ReplayGainSettings m_replayGain;
    std::function<bool()> m_shuffled;  // presses waiting for the fade to finish
    bool m_seekReleased = false;       // the key came up while the fade ran
};

}  // namespace tv::core
