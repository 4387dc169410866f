#pragma once

// Track advance: the main timer's tick (the end test of an audio track and the position
// display), Next and Previous with their wrap-around in playlist order and in the shuffled
// order, the double click on a playlist row, and the random, replay and time-mode switches.
//
// Threads: user-interface thread only. Play and Stop inside these operations wait for fades
// with events running, so ticks and clicks may re-enter; every operation re-reads the playlist
// after such a wait.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "core/player.h"
#include "core/playerview.h"
#include "core/settings.h"
#include "playlist/playlist.h"

namespace tv::core {

// The places of the position display: the slider track Image4 and the knob Image5.
struct TrackGeometry {
    int trackLeft = 0;   // left of Image4
    int trackWidth = 0;  // width of Image4
    int knobWidth = 0;   // width of Image5
};

// What one tick draws: the width of the progress fill imgTrack, the left of the position knob
// Image5 (and of the drag knob Image10 unless the user holds it), and the new time label
// (nullopt: leave it as it is).
struct PositionDisplay {
    int fillWidth = 0;
    int knobLeft = 0;
    std::optional<std::string> label;
};

// The display of position `posMs` in a track of `lengthMs` (> 0) milliseconds. Nearest
// integers take halves to the even neighbour. `timeMode` 0 shows the elapsed time, 1 "- " and
// the remaining time; other values give no label.
PositionDisplay ComputePositionDisplay(const TrackGeometry& geometry, uint32_t lengthMs,
                                       uint32_t posMs, int timeMode);

// How often the main timer ticks in play state `playState`: every 10 ms for sound, so the end
// of a track is found at once and the knob follows the music smoothly; every 100 ms for a
// video, whose end the video window finds itself and whose position its own slider shows no
// oftener (a 10 ms tick would only cost the video's CPU).
int MainTimerIntervalMs(int playState);

// Pictures (names in the skin store) a mode button shows while pressed with the left button.
std::string RandomPressedPicture(bool randomOn);
// nullopt for a replay value outside 0..2: no picture change.
std::optional<std::string> ReplayPressedPicture(int replayMode);

// What track advance asks of the main window beyond the player's view.
class AdvanceView {
public:
    virtual ~AdvanceView() = default;
    // Progress fill width 0, both knobs at the left of the track.
    virtual void ResetPositionDisplay() = 0;
    // Draws one tick's display; `moveDragKnob` is false while the user holds a knob.
    virtual void ShowPosition(const PositionDisplay& display, bool moveDragKnob) = 0;
    // True while the user drags the knob or presses on the track.
    virtual bool KnobDragging() const = 0;
    // Scrolls the playlist so that the current entry is visible.
    virtual void ScrollToCurrent() = 0;
    // Gives the keyboard focus to the playlist's key control.
    virtual void FocusMainControl() = 0;
    // Gives bNext or bBack its normal picture.
    virtual void ShowNextBackNormal(bool next) = 0;
    // The video window's length and position in milliseconds; nullopt without a video.
    virtual std::optional<std::pair<uint32_t, uint32_t>> VideoLengthAndPosition() = 0;
    // Shows a mode button's picture and hint (an empty hint leaves the hint as it is).
    virtual void ShowRandomLook(const std::string& picture, const std::string& hint) = 0;
    virtual void ShowReplayLook(const std::string& picture, const std::string& hint) = 0;
};

// How long before a track's natural end the next one is opened and queued.
inline constexpr uint32_t kGaplessLeadMs = 5000;

class TrackAdvance {
public:
    // Every reference must outlive this object. `modes` holds RandomMode, ReplayMode and
    // TimeMode, which live for the whole run and are saved with the settings.
    TrackAdvance(Player& player, playlist::PlaylistModel& playlist, PlayerView& playerView,
                 AdvanceView& view, MainSettings& modes, TrackGeometry geometry);

    // The 10 ms tick: the hand-over to a queued track that has begun to be heard (the
    // playlist, title and labels follow it), the end test of an audio track (which may stop
    // or start a track by the play modes), queueing the entry the play modes choose next
    // once the playing track is within kGaplessLeadMs of its end (so it follows without a
    // gap), then the position display of what is playing now.
    void tmrMainTimer();

    // The video window found the playing video at its end: the playlist moves on by the play
    // modes exactly as at the end of a track. Nothing unless a video plays.
    void VideoEnded();

    // Next and Previous. Stopped or paused, they only move the current entry; playing, they
    // start it. A user's Next or Previous begins a new count of unplayable entries.
    void btnNextClick();
    void btnBackClick();
    // Makes the focused entry current and plays it.
    void PlayListDblClick();

    // Toggles RandomMode and shows its hint and released picture.
    void btnrndClick();
    void btnrndMouseDown();
    void btnrndMouseUp();  // runs the click, then shows the released picture
    // Cycles ReplayMode 0 -> 1 -> 2 -> 0; other values stay.
    void btnrplClick();
    void btnrplMouseDown();
    void btnrplMouseUp();
    // Switches between elapsed and remaining time; the label follows at the next tick.
    void lbPosLenClick();

    // The seek slider's drag knob let go `x` pixels right of the track's left edge, of a
    // travel of `travel` pixels. During audio playback or pause, while the knobs are idle: the
    // channel is silenced at once, then at the far right (x >= travel) the player moves on to
    // the next track, otherwise it seeks to x / travel of the length (rounded to the nearest
    // millisecond); the channel then glides back to the channel volume. Otherwise nothing.
    // True when it moved on (the next track runs its own position timer then).
    bool SeekKnobReleased(int x, int travel);

    // False only while a tick moves the knobs; the slider seeks only when it is true.
    bool KnobsIdle() const { return m_knobsIdle; }
    // Entries in a row that ended without ever opening (Replay All and Replay One count them).
    int FailedInRow() const { return m_failedInRow; }

private:
    void EndTest();
    // What the play modes do when the playing entry has ended.
    void EntryEnded();
    void HandOver();
    void QueueNextTrack();
    // The entry a natural end of the playing track moves on to, without moving: its index
    // and (in random mode) its random position; -1 when the end stops playback, replays
    // the track by a Play, or moves to a video.
    int NaturalNext(int& randomPosition) const;
    // The play modes and playlist the queued track was chosen by are still those in force.
    bool QueueStillValid() const;
    void ShowDisplay();
    void Advance(bool forward);
    // The next (or previous) position of the shuffled order that holds a usable entry index,
    // wrapping round; -1 when there is none.
    int StepRandomPosition(int from, bool forward) const;
    // True when no position after the random position holds a usable entry index.
    bool AtLastRandomPosition() const;
    // Counts an ended track that never opened (a video that ended did open); true when a
    // whole pass failed.
    bool WholePassFailed(bool video);

    Player& m_player;
    playlist::PlaylistModel& m_playlist;
    PlayerView& m_playerView;
    AdvanceView& m_view;
    MainSettings& m_modes;
    TrackGeometry m_geometry;
    bool m_knobsIdle = true;
    int m_failedInRow = 0;
    // The queued track: its row and random position, and what it was chosen by.
    struct Queued {
        int index = -1;
        int randomPosition = -1;
        bool random = false;
        int replay = 0;
        int count = 0;
        int current = -1;
    } m_queued;
    // The channel and track count a queue was tried for (a failure is not retried each tick).
    unsigned m_triedChannel = 0;
    int m_triedCurrent = -1;
};

}  // namespace tv::core
