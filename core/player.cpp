#include "core/player.h"

#include <algorithm>
#include <cmath>
#include <exception>

#include "core/replaygain.h"

namespace tv::core {

namespace {

// The stream openers in the order a file is offered to them.
constexpr audio::StreamFormat kOpenerOrder[] = {
    audio::StreamFormat::Core, audio::StreamFormat::WMA,  audio::StreamFormat::FLAC,
    audio::StreamFormat::WV,   audio::StreamFormat::AAC,  audio::StreamFormat::MP4,
    audio::StreamFormat::AC3,  audio::StreamFormat::ALAC, audio::StreamFormat::APE,
    audio::StreamFormat::MPC,  audio::StreamFormat::SPX,  audio::StreamFormat::TTA};

constexpr int kKeepFreq = -1;
constexpr int kKeepPan = -101;
// A device mixes a block or two ahead of the clock, so a fade can still be running when its
// 200 ms have passed: the player then waits in short steps until the mixer has reached it.
constexpr int kFadeSettleStepMs = 5;
constexpr int kFadeSettleLimitMs = 150;

}  // namespace

Player::Player(audio::AudioLibrary& library, playlist::PlaylistModel& playlist, PlayerView& view,
               EffectHooks& effects, TrackInfoReader& trackInfo)
    : m_library(library),
      m_playlist(playlist),
      m_view(view),
      m_effects(effects),
      m_trackInfo(trackInfo) {}

void Player::SetChannelVolume(int volume) {
    m_channelVolume = std::clamp(volume, 0, 100);
}

void Player::btnPlayClick() {
    m_view.ShowButtonNormal(TransportButton::Play);
    if (m_playlist.Count() == 0) {
        m_view.ShowPlayMenu();
        return;
    }
    // With no focused row, the current entry (or else the first) is what the user means.
    int f = m_playlist.Focused();
    if (f < 0 || f >= m_playlist.Count()) {
        f = m_playlist.Current();
        if (f < 0 || f >= m_playlist.Count())
            f = 0;
        m_playlist.SetFocused(f);
    }
    const int savedCounter = m_playlist.EntryCounter();
    m_playlist.SetEntryCounter(f);
    BuildTrackEntry(m_playlist.At(f).path, f);
    m_playlist.SetEntryCounter(savedCounter);
    m_view.ProcessEventsOnce();  // the new title shows before the fade of the old track
    // Events ran: the playlist may have shrunk meanwhile.
    if (f >= m_playlist.Count())
        return;

    m_playlist.SetCurrent(f);
    m_currentPath = m_playlist.At(f).path;
    m_view.RepaintPlaylist();

    m_view.ShowTitle(m_playlist.CurrentTitle());
    btnStopClick();
    m_view.ShowTitle(m_playlist.CurrentTitle());

    try {
        switch (ClassifyFile(m_currentPath)) {
            case kKindAudio:
                OpenChannel(m_currentPath);
                m_view.RefreshStreamInfo(m_currentPath);
                m_view.SetMainTimer(true);
                m_view.SetKnobsVisible(true);
                m_view.SetSpectrumVisible(true);
                m_view.SetSpectrumTimer(true);
                m_playState = kAudioPlaying;
                break;
            case kKindVideo:
                m_view.SetMainTimer(true);
                m_view.SetSpectrumTimer(false);
                m_view.SetSpectrumVisible(false);
                m_view.PlayVideo(m_currentPath);
                m_playState = kVideoPlaying;
                break;
            default:
                break;  // not a media file: the player stays stopped
        }
    } catch (const std::exception&) {
        m_view.SetMainTimer(false);
    }
}

void Player::btnStopClick() {
    m_view.ShowButtonNormal(TransportButton::Stop);
    if (m_playState == kAudioPlaying || m_playState == kAudioPaused) {
        // The channel faded is the one stopped, even if a click during the wait opened
        // another one.
        const audio::Handle channel = m_channel;
        const int kind = m_channelKind;
        // No end test while the track fades out: a track ending meanwhile must not start the
        // next one behind the user's Stop.
        m_view.SetMainTimer(false);
        m_library.ChannelSlideAttributes(channel, kKeepFreq, 0, kKeepPan, kFadeTime);
        WaitForFade(channel, m_playState == kAudioPlaying);
        m_library.ChannelStop(channel);
        if (kind == kModuleChannel)
            m_library.MusicFree(channel);
        else
            m_library.StreamFree(channel);
        if (m_channel == channel) {
            // The handle is freed: nothing may reach it through Channel() any more.
            m_playState = kStopped;
            m_channel = 0;
            m_channelKind = kNoChannel;
        } else if (m_playState != kStopped) {
            return;  // a Play during the fade: its track owns the timers and the display now
        }
    } else if (m_playState == kVideoPlaying || m_playState == kVideoPaused) {
        m_playState = kStopped;
        m_view.CloseVideo();
    }
    m_view.SetMainTimer(false);
    m_view.ClearTrackDisplay();
    m_view.SetSpectrumTimer(false);
    m_view.SetSpectrumVisible(false);
    m_view.SetKnobsVisible(false);
}

void Player::btnPauseClick() {
    m_view.ShowButtonNormal(TransportButton::Pause);
    switch (m_playState) {
        case kAudioPlaying: {
            m_view.ShowButtonNormal(TransportButton::Play);
            m_view.ProcessEventsOnce();
            if (m_playState != kAudioPlaying)
                return;  // stopped or paused meanwhile
            const audio::Handle channel = m_channel;
            m_library.ChannelSlideAttributes(channel, kKeepFreq, 0, kKeepPan, kFadeTime);
            // The channel is paused only once the mixer has faded it to exactly 0.
            WaitForFade(channel, true);
            // A Stop or Play during the fade wins: pausing its result would leave a
            // paused state without the channel it belongs to.
            if (m_playState != kAudioPlaying || m_channel != channel)
                return;
            m_library.ChannelPause(channel);
            m_playState = kAudioPaused;
            break;
        }
        case kAudioPaused:
            m_view.ShowButtonNormal(TransportButton::Play);
            // Resume fades in from silence, whatever level the channel was paused at.
            m_library.ChannelSlideAttributes(m_channel, kKeepFreq, 0, kKeepPan, 0);
            m_library.ChannelPlay(m_channel, false);
            m_library.ChannelSlideAttributes(m_channel, kKeepFreq, m_channelVolume, kKeepPan,
                                             kFadeTime);
            m_playState = kAudioPlaying;
            // The end test may have run out during the pause (an entry that never opened
            // ends at once): the track plays on, so its end must be seen again.
            m_view.SetMainTimer(true);
            break;
        case kVideoPlaying:
            m_view.PauseVideo();
            m_playState = kVideoPaused;
            break;
        case kVideoPaused:
            m_view.PauseVideo();
            m_playState = kVideoPlaying;
            break;
        default:
            break;
    }
}

void Player::FormClose() {
    m_library.ChannelSlideAttributes(m_channel, kKeepFreq, 0, kKeepPan, kFadeTime);
    WaitForFade(m_channel, m_playState == kAudioPlaying);
}

void Player::WaitForFade(audio::Handle channel, bool sounding) {
    m_view.WaitWithEvents(kFadeTime);
    // A paused channel is not mixed, so its slide would never end: only a sounding one waits.
    for (int waited = 0;
         sounding && waited < kFadeSettleLimitMs && m_library.ChannelIsSliding(channel);
         waited += kFadeSettleStepMs)
        m_view.WaitWithEvents(kFadeSettleStepMs);
}

void Player::FreeChannel() {
    if (m_channelKind == kStreamChannel)
        m_library.StreamFree(m_channel);
    else if (m_channelKind == kModuleChannel)
        m_library.MusicFree(m_channel);
}

void Player::OpenChannel(const std::string& path) {
    FreeChannel();
    m_channel = 0;
    m_channelKind = kNoChannel;
    m_queuedPath.clear();
    m_heardChanges = 0;

    audio::Handle handle = 0;
    int kind = kNoChannel;
    for (const audio::StreamFormat format : kOpenerOrder) {
        handle = m_library.StreamCreateFile(format, path, 0);
        if (handle != 0) {
            kind = kStreamChannel;
            break;
        }
    }
    if (handle == 0) {
        handle = m_library.MusicLoad(path, audio::kMusicPrescan);
        if (handle != 0)
            kind = kModuleChannel;
    }
    if (handle == 0)
        return;

    audio::ChannelInfo info;
    if (m_library.ChannelGetInfo(handle, info) && (info.flags & audio::kSampleFlag8Bits)) {
        m_library.MusicFree(handle);
        m_library.StreamFree(handle);
        m_view.ShowWarning("Opening channel error");
        return;
    }
    m_channel = handle;
    m_channelKind = kind;
    m_opening = true;
    m_effects.ForgetEffectHandles();
    // A new channel is set to the channel volume before it is heard, so a saved volume (and
    // every step of the volume hotkeys) holds from the first block of the next track on.
    m_library.ChannelSlideAttributes(handle, kKeepFreq, m_channelVolume, kKeepPan, 0);
    if (kind == kStreamChannel)
        m_library.ChannelSetGain(handle, GainFor(path));
    m_library.ChannelPlay(handle, true);
    m_effects.ApplyEffects(handle);
    m_effects.UpdateRotation(handle);
    m_opening = false;
}

bool Player::QueueNext(const std::string& path) {
    if (m_channelKind != kStreamChannel || m_playState != kAudioPlaying)
        return false;
    audio::Handle handle = 0;
    for (const audio::StreamFormat format : kOpenerOrder)
        if ((handle = m_library.StreamCreateFile(format, path, 0)) != 0)
            break;
    if (handle == 0)
        return false;
    audio::ChannelInfo info;
    if (!m_library.ChannelGetInfo(handle, info) || (info.flags & audio::kSampleFlag8Bits)) {
        m_library.StreamFree(handle);  // refused when it is played, with its warning
        return false;
    }
    m_library.ChannelSetGain(handle, GainFor(path));  // it travels with the queued stream
    m_heardChanges = m_library.ChannelTrackChanges(m_channel);
    if (!m_library.ChannelQueueNext(m_channel, handle))
        return false;
    m_queuedPath = path;
    return true;
}

float Player::GainFor(const std::string& path) const {
    if (m_replayGain.mode == 0)
        return 1.0f;
    return ReplayGainFactor(tags::ReadReplayGain(path), m_replayGain, m_shuffled && m_shuffled());
}

void Player::SetReplayGain(const ReplayGainSettings& settings) {
    m_replayGain = settings;
    if (m_channelKind == kStreamChannel && !m_currentPath.empty())
        m_library.ChannelSetGain(m_channel, GainFor(m_currentPath));
}

void Player::CancelQueued() {
    if (m_queuedPath.empty())
        return;
    m_library.ChannelQueueNext(m_channel, 0);
    m_queuedPath.clear();
}

bool Player::TakeHandOver() {
    if (m_queuedPath.empty() || m_library.ChannelTrackChanges(m_channel) == m_heardChanges)
        return false;
    m_heardChanges = m_library.ChannelTrackChanges(m_channel);
    m_currentPath = std::move(m_queuedPath);
    m_queuedPath.clear();
    return true;
}

uint32_t Player::BytesToMs(int64_t bytes) {
    if (bytes < 0)
        bytes = 0;
    const double ms = std::nearbyint(m_library.ChannelBytes2Seconds(m_channel, bytes) * 1000.0);
    if (!(ms > 0.0))
        return 0;
    if (ms >= 4294967295.0)
        return UINT32_MAX;
    return static_cast<uint32_t>(ms);
}

uint32_t Player::GetLengthMs() {
    if (m_channelKind == kNoChannel)
        return 0;
    return BytesToMs(m_library.ChannelGetLength(m_channel));
}

uint32_t Player::GetPositionMs() {
    // Modules report their real position too, so a module ends and the playlist moves on.
    if (m_channelKind == kNoChannel)
        return 0;
    return BytesToMs(m_library.ChannelGetPosition(m_channel));
}

bool Player::SeekToMs(uint32_t ms) {
    if (m_channelKind == kNoChannel)
        return false;
    if (ms > GetLengthMs())
        return false;
    if (m_playState == kStopped)
        return false;
    const int64_t bytes = m_library.ChannelSeconds2Bytes(m_channel, ms / 1000.0);
    if (m_channelKind != kStreamChannel)
        return false;
    if (!m_library.ChannelSetPosition(m_channel, bytes))
        return false;
    m_queuedPath.clear();  // the engine has called the queued track off
    return true;
}

void Player::SeekStep(bool forward) {
    if (m_playState != kAudioPlaying && m_playState != kAudioPaused)
        return;  // a video's position follows the video window's bar
    const int step = forward ? 1 : -1;
    if (m_seekFade == SeekFade::Silent) {
        SeekSteps(step);
        return;
    }
    if (m_seekFade == SeekFade::FadingOut) {
        // A press (or a release and a new press) while the first one waits for its fade: the
        // waiting call makes the jump for all of them once the channel is silent.
        m_seekSteps += step;
        return;
    }
    m_seekFade = SeekFade::FadingOut;
    m_seekSteps = step;
    m_seekReleased = false;
    const audio::Handle channel = m_channel;
    m_library.ChannelSlideAttributes(channel, kKeepFreq, 0, kKeepPan, kFadeTime);
    WaitForFade(channel, m_playState == kAudioPlaying);
    if (m_channel != channel || (m_playState != kAudioPlaying && m_playState != kAudioPaused)) {
        m_seekFade = SeekFade::None;  // stopped, or another track started, meanwhile
        return;
    }
    m_seekFade = SeekFade::Silent;
    const int steps = m_seekSteps;
    m_seekSteps = 0;
    SeekSteps(steps);
    if (m_seekReleased)
        SeekRelease();
}

void Player::SeekSteps(int steps) {
    const int64_t position = GetPositionMs();
    const int64_t target = position + int64_t(steps) * kSeekStepMs;
    if (steps > 0) {
        const uint32_t length = GetLengthMs();
        if (target > int64_t(length))
            SeekToMs(length > 0 ? length - 1 : 0);
        else
            SeekToMs(static_cast<uint32_t>(target));
    } else {
        SeekToMs(target > 0 ? static_cast<uint32_t>(target) : 0);
    }
}

void Player::Silence() {
    m_library.ChannelSlideAttributes(m_channel, kKeepFreq, 0, kKeepPan, 0);
}

void Player::GlideBack() {
    m_library.ChannelSlideAttributes(m_channel, kKeepFreq, m_channelVolume, kKeepPan, kFadeTime);
}

void Player::SeekRelease() {
    if (m_seekFade == SeekFade::FadingOut) {
        m_seekReleased = true;  // the waiting press glides back after its jump
        return;
    }
    m_library.ChannelSlideAttributes(m_channel, kKeepFreq, m_channelVolume, kKeepPan, kFadeTime);
    m_seekFade = SeekFade::None;
}

void Player::BuildTrackEntry(const std::string& path, int i) {
    const std::string ext = LowerExtension(path);
    const TrackFacts facts = m_trackInfo.Read(path, ext);
    m_durationText = playlist::DurationText(facts.durationSeconds);
    m_playlist.SetRow(i, TrackTitle(path, facts), m_durationText);
}

}  // namespace tv::core
