#include "core/trackadvance.h"

#include <algorithm>
#include <cmath>

namespace tv::core {

namespace {

// Nearest integer, halves to the even neighbour (the default rounding mode).
int Nearest(double v) {
    return static_cast<int>(std::nearbyint(v));
}

bool IsAudio(int state) {
    return state == kAudioPlaying || state == kAudioPaused;
}

}  // namespace

PositionDisplay ComputePositionDisplay(const TrackGeometry& g, uint32_t lengthMs, uint32_t posMs,
                                       int timeMode) {
    PositionDisplay d;
    const double length = lengthMs;
    d.fillWidth = Nearest(g.trackWidth / length * posMs);
    d.knobLeft = Nearest(posMs * ((g.trackWidth - g.knobWidth) / length)) + g.trackLeft;
    if (timeMode == 0) {
        d.label = playlist::DurationText(posMs / 1000);
    } else if (timeMode == 1) {
        // A position past the end (a track left ended) shows no time left, not a wrapped count.
        const uint32_t left = lengthMs - std::min(posMs, lengthMs);
        d.label = "- " + playlist::DurationText(left / 1000);
    }
    return d;
}

std::string RandomPressedPicture(bool randomOn) {
    return randomOn ? "iRnd4" : "iRnd2";
}

std::optional<std::string> ReplayPressedPicture(int replayMode) {
    switch (replayMode) {
        case 0:
            return "iRpl2";
        case 1:
            return "iRpl4";
        case 2:
            return "iRpl6";
        default:
            return std::nullopt;
    }
}

TrackAdvance::TrackAdvance(Player& player, playlist::PlaylistModel& playlist,
                           PlayerView& playerView, AdvanceView& view, MainSettings& modes,
                           TrackGeometry geometry)
    : m_player(player),
      m_playlist(playlist),
      m_playerView(playerView),
      m_view(view),
      m_modes(modes),
      m_geometry(geometry) {}

int MainTimerIntervalMs(int playState) {
    return playState == kVideoPlaying || playState == kVideoPaused ? 100 : 10;
}

void TrackAdvance::tmrMainTimer() {
    HandOver();
    EndTest();
    QueueNextTrack();
    ShowDisplay();
}

void TrackAdvance::HandOver() {
    if (!m_player.TakeHandOver())
        return;
    // The queued track is being heard: the playlist and the labels follow it now.
    const std::string& path = m_player.CurrentPath();
    int index = m_queued.index;
    if (index < 0 || index >= m_playlist.Count() || m_playlist.At(index).path != path) {
        index = -1;  // the playlist changed meanwhile: find the entry by its file
        for (int i = 0; i < m_playlist.Count() && index < 0; ++i)
            if (m_playlist.At(i).path == path)
                index = i;
    }
    if (index >= 0) {
        if (m_modes.random && m_queued.randomPosition >= 0)
            m_playlist.SetRandomPosition(m_queued.randomPosition);
        m_playlist.SetCurrent(index);
        m_playlist.SetFocused(index);
        m_view.ScrollToCurrent();
    }
    m_failedInRow = 0;
    m_queued = Queued{};
    m_triedChannel = 0;  // the new track may queue its own successor
    m_playerView.RepaintPlaylist();
    m_playerView.ShowTitle(m_playlist.CurrentTitle());
    m_playerView.RefreshStreamInfo(path);
}

bool TrackAdvance::QueueStillValid() const {
    return m_queued.random == m_modes.random && m_queued.replay == m_modes.replay &&
           m_queued.count == m_playlist.Count() && m_queued.current == m_playlist.Current();
}

void TrackAdvance::QueueNextTrack() {
    if (m_player.HasQueued()) {
        if (!QueueStillValid()) {
            m_player.CancelQueued();  // chosen by modes or a playlist no longer in force
            m_triedChannel = 0;
        }
        return;
    }
    if (m_player.PlayState() != kAudioPlaying || m_player.ChannelKind() != kStreamChannel)
        return;
    if (m_triedChannel == m_player.Channel() && m_triedCurrent == m_playlist.Current())
        return;
    const uint32_t length = m_player.GetLengthMs();
    const uint32_t position = m_player.GetPositionMs();
    if (length == 0 || position >= length || length - position > kGaplessLeadMs)
        return;
    m_triedChannel = m_player.Channel();
    m_triedCurrent = m_playlist.Current();
    Queued q{-1, -1, m_modes.random, m_modes.replay, m_playlist.Count(), m_playlist.Current()};
    q.index = NaturalNext(q.randomPosition);
    if (q.index < 0)
        return;
    const std::string path = m_playlist.At(q.index).path;
    if (ClassifyFile(path) != kKindAudio || !m_player.QueueNext(path))
        return;
    m_queued = q;
    // The row's text is read now, so the hand-over itself only moves the highlight.
    const int savedCounter = m_playlist.EntryCounter();
    m_playlist.SetEntryCounter(q.index);
    m_player.BuildTrackEntry(path, q.index);
    m_playlist.SetEntryCounter(savedCounter);
}

int TrackAdvance::NaturalNext(int& randomPosition) const {
    const int count = m_playlist.Count();
    const int current = m_playlist.Current();
    randomPosition = -1;
    if (count == 0 || (m_modes.replay != 0 && m_modes.replay != 1))
        return -1;
    if (m_modes.random) {
        if (m_modes.replay == 0 && AtLastRandomPosition())
            return -1;
        const int p = StepRandomPosition(m_playlist.RandomPosition(), true);
        if (p >= 0) {
            randomPosition = p;
            return m_playlist.RandomList()[static_cast<size_t>(p)];
        }
    }
    if (m_modes.replay == 0)
        return current >= count - 1 ? -1 : std::max(current + 1, 0);
    return (current < 0 || current >= count - 1) ? 0 : current + 1;
}

void TrackAdvance::EndTest() {
    if (!IsAudio(m_player.PlayState()))
        return;
    // A queued track follows by itself; an estimated length that runs out a little early
    // must not start it a second time.
    if (m_player.HasQueued())
        return;
    const uint32_t position = m_player.GetPositionMs();
    if (position < m_player.GetLengthMs())
        return;
    EntryEnded();
}

void TrackAdvance::VideoEnded() {
    if (m_player.PlayState() != kVideoPlaying)
        return;
    m_failedInRow = 0;  // a video that played to its end opened
    EntryEnded();
}

void TrackAdvance::EntryEnded() {
    const bool video = m_player.PlayState() == kVideoPlaying;
    m_playerView.SetMainTimer(false);
    if (m_playlist.Count() == 0) {
        // Nothing to go on to: the ended track stops, rather than being reported as playing
        // for good (with no channel at all when it never opened).
        m_player.btnStopClick();
        return;
    }
    switch (m_modes.replay) {
        case 0:
            if (m_modes.random) {
                if (AtLastRandomPosition())
                    m_player.btnStopClick();
                else
                    Advance(true);
            } else if (m_playlist.Current() >= m_playlist.Count() - 1) {
                // With the player stopped, Next only makes the first entry current.
                m_player.btnStopClick();
                Advance(true);
            } else {
                Advance(true);
            }
            break;
        case 1:
            // A list of files that never open would otherwise be walked every tick forever.
            if (WholePassFailed(video))
                m_player.btnStopClick();
            else
                Advance(true);
            break;
        case 2:
            // Replaying a file that cannot be opened would reopen it every tick (and repeat
            // its warning): one failure is a whole pass of one entry.
            if (WholePassFailed(video))
                m_player.btnStopClick();
            else
                m_player.btnPlayClick();
            break;
        default:
            break;  // the track stays ended with the timer off
    }
}

bool TrackAdvance::WholePassFailed(bool video) {
    if (video || m_player.Channel() != 0) {
        m_failedInRow = 0;
        return false;
    }
    const int pass = m_modes.replay == 2 ? 1 : m_playlist.Count();
    if (++m_failedInRow < pass)
        return false;
    m_failedInRow = 0;  // a later Play walks a whole pass again
    return true;
}

void TrackAdvance::ShowDisplay() {
    const int state = m_player.PlayState();
    if (IsAudio(state)) {
        const uint32_t length = m_player.GetLengthMs();
        if (length == 0)
            return;
        const uint32_t position = m_player.GetPositionMs();
        m_knobsIdle = false;
        const PositionDisplay d =
            ComputePositionDisplay(m_geometry, length, position, m_modes.timeMode);
        m_view.ShowPosition(d, !m_view.KnobDragging());
        m_knobsIdle = true;
    } else if (state == kVideoPlaying || state == kVideoPaused) {
        const auto video = m_view.VideoLengthAndPosition();
        if (!video || video->first == 0)
            return;
        // A video always shows its elapsed time.
        m_view.ShowPosition(ComputePositionDisplay(m_geometry, video->first, video->second, 0),
                            !m_view.KnobDragging());
    }
}

bool TrackAdvance::AtLastRandomPosition() const {
    const std::vector<int>& order = m_playlist.RandomList();
    const int n = static_cast<int>(order.size());
    for (int p = std::max(m_playlist.RandomPosition() + 1, 0); p < n; ++p)
        if (order[p] >= 0 && order[p] < m_playlist.Count())
            return false;
    return true;
}

int TrackAdvance::StepRandomPosition(int from, bool forward) const {
    const std::vector<int>& order = m_playlist.RandomList();
    const int n = static_cast<int>(order.size());
    if (n == 0)
        return -1;
    int start;
    if (forward)
        start = (from < 0 || from >= n - 1) ? 0 : from + 1;
    else
        start = (from <= 0 || from >= n) ? n - 1 : from - 1;
    // The order is not rebuilt when entries are removed: indices at or beyond the row count
    // are stale and skipped.
    for (int i = 0; i < n; ++i) {
        const int p = forward ? (start + i) % n : (start - i + n) % n;
        if (order[p] >= 0 && order[p] < m_playlist.Count())
            return p;
    }
    return -1;
}

void TrackAdvance::btnNextClick() {
    m_failedInRow = 0;
    Advance(true);
}

void TrackAdvance::btnBackClick() {
    m_failedInRow = 0;
    Advance(false);
}

void TrackAdvance::Advance(bool forward) {
    m_view.ShowNextBackNormal(forward);
    const int count = m_playlist.Count();
    if (count == 0)
        return;
    m_playlist.ClearSelection();

    int next = -1;
    if (m_modes.random) {
        const int p = StepRandomPosition(m_playlist.RandomPosition(), forward);
        if (p >= 0) {
            m_playlist.SetRandomPosition(p);
            next = m_playlist.RandomList()[p];
        }
    }
    if (next < 0) {  // playlist order (or a shuffled order with nothing usable left)
        const int current = m_playlist.Current();
        if (forward)
            next = (current < 0 || current >= count - 1) ? 0 : current + 1;
        else
            next = (current <= 0 || current > count) ? count - 1 : current - 1;
    }

    m_playlist.SetCurrent(next);
    m_player.SetCurrentPath(m_playlist.At(next).path);
    m_playlist.SetFocused(next);
    m_view.ScrollToCurrent();

    const int state = m_player.PlayState();
    if (state == kStopped || state == kAudioPaused || state == kVideoPaused) {
        m_playerView.RepaintPlaylist();  // a paused track stays paused
        return;
    }
    m_playerView.SetMainTimer(false);
    m_view.ResetPositionDisplay();
    m_player.btnPlayClick();
}

void TrackAdvance::PlayListDblClick() {
    m_view.FocusMainControl();
    const int f = m_playlist.Focused();
    if (f < 0 || f >= m_playlist.Count())
        return;  // a double click below the last row focuses nothing
    m_failedInRow = 0;
    m_playlist.SetCurrent(f);
    m_player.SetCurrentPath(m_playlist.At(f).path);
    m_playerView.SetMainTimer(false);
    m_view.ResetPositionDisplay();
    m_player.btnPlayClick();
}

void TrackAdvance::btnrndClick() {
    m_modes.random = !m_modes.random;
    m_view.ShowRandomLook("", RandomButtonLook(m_modes.random).hint);
}

void TrackAdvance::btnrndMouseDown() {
    m_view.ShowRandomLook(RandomPressedPicture(m_modes.random), "");
}

void TrackAdvance::btnrndMouseUp() {
    btnrndClick();
    m_view.ShowRandomLook(RandomButtonLook(m_modes.random).picture, "");
}

void TrackAdvance::btnrplClick() {
    if (m_modes.replay < 0 || m_modes.replay > 2)
        return;
    m_modes.replay = (m_modes.replay + 1) % 3;
    m_view.ShowReplayLook("", ReplayButtonLook(m_modes.replay)->hint);
}

void TrackAdvance::btnrplMouseDown() {
    if (auto picture = ReplayPressedPicture(m_modes.replay))
        m_view.ShowReplayLook(*picture, "");
}

void TrackAdvance::btnrplMouseUp() {
    btnrplClick();
    if (auto look = ReplayButtonLook(m_modes.replay))
        m_view.ShowReplayLook(look->picture, "");
}

void TrackAdvance::lbPosLenClick() {
    m_modes.timeMode = m_modes.timeMode == 0 ? 1 : 0;
}

bool TrackAdvance::SeekKnobReleased(int x, int travel) {
    const int state = m_player.PlayState();
    if ((state != kAudioPlaying && state != kAudioPaused) || !m_knobsIdle || travel <= 0)
        return false;
    m_player.Silence();
    const bool movedOn = x >= travel;
    if (movedOn) {
        btnNextClick();
    } else {
        const double length = m_player.GetLengthMs();
        m_player.SeekToMs(static_cast<uint32_t>(std::nearbyint(length * std::max(x, 0) / travel)));
    }
    m_player.GlideBack();
    return movedOn;
}

}  // namespace tv::core
