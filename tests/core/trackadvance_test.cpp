#include "core/trackadvance.h"

#include <algorithm>
#include <functional>

#include <gtest/gtest.h>

#include "fakeaudiolibrary.h"
#include "fakeplayerview.h"

using namespace tv::core;
using tv::audio::StreamFormat;
using tv::testing::FakeAudioLibrary;

namespace {

class NoTrackInfo : public TrackInfoReader {
public:
    TrackFacts Read(const std::string&, const std::string&) override { return {}; }
};

class FakeAdvanceView : public AdvanceView {
public:
    std::vector<PositionDisplay> shown;
    std::vector<bool> dragKnobMoved;
    bool dragging = false;
    int resets = 0;
    int scrolls = 0;
    int focusMain = 0;
    std::string rndPicture, rndHint, rplPicture, rplHint;
    std::optional<std::pair<uint32_t, uint32_t>> video;
    std::function<void()> onShow;  // runs while a tick draws

    void ResetPositionDisplay() override { ++resets; }
    void ShowPosition(const PositionDisplay& d, bool moveDragKnob) override {
        shown.push_back(d);
        dragKnobMoved.push_back(moveDragKnob);
        if (onShow)
            onShow();
    }
    bool KnobDragging() const override { return dragging; }
    void ScrollToCurrent() override { ++scrolls; }
    void FocusMainControl() override { ++focusMain; }
    void ShowNextBackNormal(bool) override {}
    std::optional<std::pair<uint32_t, uint32_t>> VideoLengthAndPosition() override { return video; }
    void ShowRandomLook(const std::string& picture, const std::string& hint) override {
        if (!picture.empty())
            rndPicture = picture;
        if (!hint.empty())
            rndHint = hint;
    }
    void ShowReplayLook(const std::string& picture, const std::string& hint) override {
        if (!picture.empty())
            rplPicture = picture;
        if (!hint.empty())
            rplHint = hint;
    }
};

constexpr TrackGeometry kGeometry{10, 300, 20};

class TrackAdvanceTest : public ::testing::Test {
protected:
    TrackAdvanceTest()
        : view(lib.calls),
          player(lib, list, view, effects, info),
          advance(player, list, view, advanceView, modes, kGeometry) {
        list.SeedRandom(7);
    }

    static std::string PathOf(int i) { return "/m/t" + std::to_string(i) + ".mp3"; }
    // Appends `n` entries; playable ones are accepted by the core opener.
    void AddFiles(int n, bool playable = true) {
        for (int i = 0; i < n; ++i) {
            const std::string path = PathOf(list.Count());
            if (playable)
                lib.streamFiles[path] = StreamFormat::Core;
            list.AppendPath(path);
        }
        list.RebuildRandomOrder();
    }
    void PlayRow(int row) {
        list.SetFocused(row);
        player.btnPlayClick();
    }
    // One tick at the end of the playing track; the next track then starts from 0.
    void EndTrack() {
        lib.positionBytes = lib.lengthBytes;
        advance.tmrMainTimer();
        lib.positionBytes = 0;
    }
    int Opens() const {
        return static_cast<int>(
            std::count_if(lib.calls.begin(), lib.calls.end(), [](const std::string& c) {
                return c.rfind("MusicLoad(", 0) == 0 || c.rfind("StreamCreateFile(Core", 0) == 0;
            }));
    }

    FakeAudioLibrary lib;
    tv::playlist::PlaylistModel list;
    tv::testing::FakePlayerView view;
    NoEffects effects;
    NoTrackInfo info;
    MainSettings modes;
    FakeAdvanceView advanceView;
    Player player;
    TrackAdvance advance;
};

// --- end of a track in each play mode ----------------------------------------------------

struct EndCase {
    const char* name;
    int replay;
    int endingRow;
    int state;     // after the tick
    int current;   // after the tick
    bool timer;    // main timer after the tick
    bool started;  // a new channel was opened
};

void PrintTo(const EndCase& c, std::ostream* os) {
    *os << c.name;
}

class EndOfTrack : public TrackAdvanceTest, public ::testing::WithParamInterface<EndCase> {};

TEST_P(EndOfTrack, FollowsTheReplayMode) {
    const EndCase& c = GetParam();
    AddFiles(3);
    modes.replay = c.replay;
    PlayRow(c.endingRow);
    lib.ClearCalls();
    EndTrack();
    EXPECT_EQ(player.PlayState(), c.state);
    EXPECT_EQ(list.Current(), c.current);
    EXPECT_EQ(list.Focused(), c.current);
    EXPECT_EQ(view.mainTimer, c.timer);
    EXPECT_EQ(Opens() > 0, c.started);
    EXPECT_EQ(player.CurrentPath(), PathOf(c.current));
}

INSTANTIATE_TEST_SUITE_P(
    Modes, EndOfTrack,
    ::testing::Values(
        EndCase{"NotReplayLastStopsWithFirstCurrent", 0, 2, kStopped, 0, false, false},
        EndCase{"NotReplayMiddlePlaysNext", 0, 1, kAudioPlaying, 2, true, true},
        EndCase{"ReplayAllLastPlaysFirst", 1, 2, kAudioPlaying, 0, true, true},
        EndCase{"ReplayOnePlaysSameAgain", 2, 1, kAudioPlaying, 1, true, true},
        EndCase{"UnknownReplayStaysEndedTimerOff", 7, 1, kAudioPlaying, 1, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

// A video's end, reported by the video window, moves on by the same modes as a track's.
class EndOfVideo : public TrackAdvanceTest, public ::testing::WithParamInterface<EndCase> {};

TEST_P(EndOfVideo, FollowsTheReplayModeAsATrackDoes) {
    const EndCase& c = GetParam();
    for (int i = 0; i < 3; ++i)
        list.AppendPath("/v/clip" + std::to_string(i) + ".webm");
    list.RebuildRandomOrder();
    modes.replay = c.replay;
    PlayRow(c.endingRow);
    lib.ClearCalls();
    advance.tmrMainTimer();  // a tick while the video plays never ends it
    EXPECT_EQ(list.Current(), c.endingRow);
    advance.VideoEnded();
    const int state = c.state == kAudioPlaying ? kVideoPlaying : c.state;
    EXPECT_EQ(player.PlayState(), state);
    EXPECT_EQ(list.Current(), c.current);
    EXPECT_EQ(view.mainTimer, c.timer);
    const std::string path = "/v/clip" + std::to_string(c.current) + ".webm";
    EXPECT_EQ(std::count(lib.calls.begin(), lib.calls.end(), "PlayVideo(" + path + ")"),
              c.started ? 1 : 0);
    player.btnStopClick();
    advance.VideoEnded();  // stopped: a late report changes nothing
    EXPECT_EQ(player.PlayState(), kStopped);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, EndOfVideo,
    ::testing::Values(EndCase{"NotReplayLastStopsWithFirstCurrent", 0, 2, kStopped, 0, false,
                              false},
                      EndCase{"NotReplayMiddlePlaysNext", 0, 1, kAudioPlaying, 2, true, true},
                      EndCase{"ReplayAllLastPlaysFirst", 1, 2, kAudioPlaying, 0, true, true},
                      EndCase{"ReplayOnePlaysSameAgain", 2, 1, kAudioPlaying, 1, true, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TrackAdvanceTest, EndTest_OnlyAtOrPastTheEndOfAnAudioTrack) {
    AddFiles(2);
    PlayRow(0);
    lib.positionBytes = lib.lengthBytes - 1000;
    advance.tmrMainTimer();
    EXPECT_EQ(list.Current(), 0);
    EXPECT_TRUE(view.mainTimer);
    // Paused at the end counts as ended too.
    player.btnPauseClick();
    ASSERT_EQ(player.PlayState(), kAudioPaused);
    EndTrack();
    EXPECT_EQ(list.Current(), 1);
    EXPECT_EQ(player.PlayState(), kAudioPaused);  // Next from paused starts nothing
}

TEST_F(TrackAdvanceTest, ReplayOne_PlaysTheRowFocusedMeanwhile) {
    AddFiles(3);
    modes.replay = 2;
    PlayRow(0);
    list.SetFocused(2);
    EndTrack();
    EXPECT_EQ(list.Current(), 2);
    EXPECT_EQ(player.PlayState(), kAudioPlaying);
}

TEST_F(TrackAdvanceTest, EmptiedPlaylist_EndStopsAndOpensNothing) {
    AddFiles(2);
    PlayRow(1);
    list.ClearPlaylist();
    lib.ClearCalls();
    EndTrack();
    EXPECT_FALSE(view.mainTimer);
    EXPECT_EQ(player.PlayState(), kStopped);
    EXPECT_EQ(Opens(), 0);
}

TEST_F(TrackAdvanceTest, RandomWithoutReplay_StopsAfterLastPositionFromTheMiddle) {
    AddFiles(6);
    modes.random = true;
    const std::vector<int> order = list.RandomList();
    const int start = 2;
    list.SetRandomPosition(start);
    PlayRow(order[start]);
    std::vector<int> played;
    for (int tick = 0; tick < 20 && player.PlayState() != kStopped; ++tick) {
        EndTrack();
        if (player.PlayState() != kStopped)
            played.push_back(list.Current());
    }
    EXPECT_EQ(played, std::vector<int>(order.begin() + start + 1, order.end()));
    EXPECT_EQ(player.PlayState(), kStopped);
    EXPECT_FALSE(view.mainTimer);
}

// --- Next and Previous --------------------------------------------------------------------

TEST_F(TrackAdvanceTest, NextAndPrevious_WrapInPlaylistOrder) {
    AddFiles(4);
    advance.btnBackClick();  // no current entry: the last one
    EXPECT_EQ(list.Current(), 3);
    advance.btnNextClick();
    EXPECT_EQ(list.Current(), 0);
    advance.btnBackClick();
    EXPECT_EQ(list.Current(), 3);
    advance.btnBackClick();
    EXPECT_EQ(list.Current(), 2);
    EXPECT_EQ(player.CurrentPath(), PathOf(2));
    EXPECT_EQ(player.PlayState(), kStopped);  // stopped: nothing starts
    EXPECT_EQ(Opens(), 0);
}

TEST_F(TrackAdvanceTest, NextAndPrevious_WrapInShuffledOrder) {
    AddFiles(5);
    modes.random = true;
    const std::vector<int> order = list.RandomList();
    std::vector<int> forward;
    for (int i = 0; i < 7; ++i) {
        advance.btnNextClick();
        forward.push_back(list.Current());
    }
    // A pass, then the same order again from its start.
    EXPECT_EQ(forward, (std::vector<int>{order[0], order[1], order[2], order[3], order[4], order[0],
                                         order[1]}));
    EXPECT_EQ(list.RandomPosition(), 1);
    std::vector<int> backward;
    for (int i = 0; i < 3; ++i) {
        advance.btnBackClick();
        backward.push_back(list.Current());
    }
    EXPECT_EQ(backward, (std::vector<int>{order[0], order[4], order[3]}));
    // After a rebuild (position -1) Previous starts at the last position.
    list.RebuildRandomOrder();
    advance.btnBackClick();
    EXPECT_EQ(list.RandomPosition(), 4);
    EXPECT_EQ(list.Current(), list.RandomList()[4]);
}

TEST_F(TrackAdvanceTest, NextWhilePaused_MovesCurrentAndLeavesThePausedTrackPaused) {
    AddFiles(3);
    PlayRow(0);
    player.btnPauseClick();
    lib.ClearCalls();
    advance.btnNextClick();
    EXPECT_EQ(player.PlayState(), kAudioPaused);
    EXPECT_EQ(list.Current(), 1);
    EXPECT_EQ(list.Focused(), 1);
    EXPECT_EQ(Opens(), 0);
    EXPECT_EQ(lib.CallsStartingWith("ChannelPlay").size(), 0u);
    player.btnPlayClick();  // Play then starts the new entry
    EXPECT_EQ(player.CurrentPath(), PathOf(1));
    EXPECT_EQ(player.PlayState(), kAudioPlaying);
}

TEST_F(TrackAdvanceTest, NextWhilePlaying_ResetsTheDisplayAndStartsTheEntry) {
    AddFiles(3);
    PlayRow(1);
    list.Select(0);
    advance.btnNextClick();
    EXPECT_EQ(list.Current(), 2);
    EXPECT_TRUE(list.SelectedRows().empty());
    EXPECT_EQ(advanceView.resets, 1);
    EXPECT_EQ(advanceView.scrolls, 1);
    EXPECT_EQ(player.PlayState(), kAudioPlaying);
    EXPECT_EQ(player.CurrentPath(), PathOf(2));
}

TEST_F(TrackAdvanceTest, NextOnEmptyPlaylist_DoesNothing) {
    advance.btnNextClick();
    advance.btnBackClick();
    EXPECT_EQ(list.Current(), -1);
    EXPECT_EQ(advanceView.scrolls, 0);
}

TEST_F(TrackAdvanceTest, StaleShuffledIndices_AreSkippedAndTheEndStillFound) {
    AddFiles(6);
    modes.random = true;
    const std::vector<int> order = list.RandomList();
    list.RemoveEntry(5);
    list.RemoveEntry(4);  // indices 4 and 5 stay in the order, now out of range
    std::vector<int> expected;
    for (int v : order)
        if (v < 4)
            expected.push_back(v);
    std::vector<int> seen;
    for (int i = 0; i < 8; ++i) {
        advance.btnNextClick();
        ASSERT_LT(list.Current(), list.Count());
        seen.push_back(list.Current());
    }
    EXPECT_EQ(std::vector<int>(seen.begin(), seen.begin() + 4), expected);
    EXPECT_EQ(std::vector<int>(seen.begin() + 4, seen.end()), expected);
    for (int i = 0; i < 5; ++i) {
        advance.btnBackClick();
        ASSERT_LT(list.Current(), list.Count());
    }
    // Playing in random order without replay ends after the last usable position.
    list.SetRandomPosition(-1);
    advance.btnNextClick();
    ASSERT_EQ(list.Current(), expected[0]);
    player.btnPlayClick();
    int played = 1;
    for (int tick = 0; tick < 10 && player.PlayState() != kStopped; ++tick) {
        EndTrack();
        played += player.PlayState() != kStopped;
    }
    EXPECT_EQ(player.PlayState(), kStopped);
    EXPECT_EQ(played, 4);
}

TEST_F(TrackAdvanceTest, DoubleClick_PlaysTheFocusedRowOrNothingWithoutOne) {
    AddFiles(3);
    advance.PlayListDblClick();
    EXPECT_EQ(player.PlayState(), kStopped);
    list.SetFocused(2);
    advance.PlayListDblClick();
    EXPECT_EQ(advanceView.focusMain, 2);
    EXPECT_EQ(list.Current(), 2);
    EXPECT_EQ(player.CurrentPath(), PathOf(2));
    EXPECT_EQ(player.PlayState(), kAudioPlaying);
    EXPECT_EQ(advanceView.resets, 1);
}

// --- files that never open -----------------------------------------------------------------

TEST_F(TrackAdvanceTest, ReplayAll_UnplayableListStopsAfterOneWholePass) {
    AddFiles(4, false);
    modes.replay = 1;
    PlayRow(1);
    int ticks = 0;
    while (ticks < 100 && player.PlayState() != kStopped) {
        advance.tmrMainTimer();  // length and position 0: ended at once
        ++ticks;
    }
    EXPECT_EQ(player.PlayState(), kStopped);
    EXPECT_EQ(lib.CallsStartingWith("MusicLoad").size(), 4u);
    EXPECT_FALSE(view.mainTimer);
    // Play again walks another whole pass.
    lib.ClearCalls();
    PlayRow(0);
    for (ticks = 0; ticks < 100 && player.PlayState() != kStopped; ++ticks)
        advance.tmrMainTimer();
    EXPECT_EQ(lib.CallsStartingWith("MusicLoad").size(), 4u);
}

TEST_F(TrackAdvanceTest, ReplayAll_OnePlayableEntryKeepsTheWalkGoing) {
    AddFiles(3, false);
    AddFiles(1, true);
    modes.replay = 1;
    PlayRow(0);
    // Ten passes: the playable entry ends each run of three failures.
    for (int tick = 0; tick < 39; ++tick)
        EndTrack();
    EXPECT_EQ(player.PlayState(), kAudioPlaying);
    EXPECT_EQ(list.Current(), 3);
    EXPECT_EQ(advance.FailedInRow(), 3);
}

TEST_F(TrackAdvanceTest, ReplayOne_UnplayableEntryStopsInsteadOfReopening) {
    AddFiles(2, false);
    modes.replay = 2;
    PlayRow(0);
    advance.tmrMainTimer();
    EXPECT_EQ(player.PlayState(), kStopped);
    EXPECT_EQ(lib.CallsStartingWith("MusicLoad").size(), 1u);
}

// --- position display ------------------------------------------------------------------------

// --- the seek slider's release -----------------------------------------------------------

TEST_F(TrackAdvanceTest, SeekKnobRelease_SeeksByFractionOrMovesOnAtTheFarRight) {
    struct Case {
        const char* what;
        int x, travel;
        int seconds;            // the track's length
        bool module;            // a module cannot seek: the position stays
        int64_t positionBytes;  // after the release; -1: moved on to the next entry
    };
    constexpr int64_t kUnmoved = 12345;
    const Case cases[] = {
        {"far left seeks to 0", 0, 200, 10, false, 0},
        {"left of the track is 0", -5, 200, 10, false, 0},
        {"a quarter of 10 s", 50, 200, 10, false, 441000},
        {"three quarters of 10 s", 150, 200, 10, false, 1323000},
        {"200 s dropped at 140 of 280 is 100000 ms", 140, 280, 200, false, 176400LL * 100},
        {"far right moves on", 200, 200, 10, false, -1},
        {"beyond the far right moves on", 260, 200, 10, false, -1},
        {"refused seek keeps the position", 100, 200, 10, true, kUnmoved},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        list.ClearPlaylist();
        if (c.module) {
            lib.streamFiles.erase(PathOf(0));
            lib.moduleFiles.insert(PathOf(0));
            list.AppendPath(PathOf(0));
            AddFiles(1);
        } else {
            AddFiles(2);
        }
        lib.lengthBytes = 176400LL * c.seconds;
        PlayRow(0);
        lib.calls.clear();
        lib.positionBytes = kUnmoved;
        EXPECT_EQ(advance.SeekKnobReleased(c.x, c.travel), c.positionBytes < 0);
        const auto slides = lib.CallsStartingWith("ChannelSlideAttributes");
        ASSERT_GE(slides.size(), 2u);
        EXPECT_NE(slides.front().find(",-1,0,-101,0)"), std::string::npos);  // silenced at once
        // Then it glides back to the channel volume, the refused seek included.
        const std::string back = ",-1," + std::to_string(player.ChannelVolume()) + ",-101,200)";
        EXPECT_NE(slides.back().find(back), std::string::npos);
        if (c.positionBytes < 0) {
            EXPECT_EQ(list.Current(), 1);
        } else {
            EXPECT_EQ(list.Current(), 0);
            EXPECT_EQ(lib.positionBytes, c.positionBytes);
        }
        lib.moduleFiles.clear();
        lib.streamFiles.clear();
    }
}

TEST_F(TrackAdvanceTest, SeekKnobRelease_DoesNothingUnlessAudioPlaysOrPauses) {
    AddFiles(2);
    lib.calls.clear();
    EXPECT_FALSE(advance.SeekKnobReleased(50, 200));  // stopped
    EXPECT_TRUE(lib.calls.empty());
    EXPECT_EQ(list.Current(), -1);
}

struct DisplayCase {
    const char* name;
    uint32_t length, position;
    int timeMode;
    int fill, knob;
    const char* label;  // nullptr: label unchanged
};

void PrintTo(const DisplayCase& c, std::ostream* os) {
    *os << c.name;
}

class PositionDisplayTest : public ::testing::TestWithParam<DisplayCase> {};

TEST_P(PositionDisplayTest, RoundsHalvesToEvenAndFormatsTheLabel) {
    const DisplayCase& c = GetParam();
    const PositionDisplay d = ComputePositionDisplay(kGeometry, c.length, c.position, c.timeMode);
    EXPECT_EQ(d.fillWidth, c.fill);
    EXPECT_EQ(d.knobLeft, c.knob);
    if (c.label)
        EXPECT_EQ(d.label, std::optional<std::string>(c.label));
    else
        EXPECT_FALSE(d.label.has_value());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PositionDisplayTest,
    ::testing::Values(
        // Fill 300/600 * 1 = 0.5 -> 0 and 300/600 * 3 = 1.5 -> 2.
        DisplayCase{"FillHalfDownToEven", 600, 1, 0, 0, 10, "00:00"},
        DisplayCase{"FillHalfUpToEven", 600, 3, 0, 2, 11, "00:00"},
        // Knob 1 * 280/560 = 0.5 -> 0 and 3 * 280/560 = 1.5 -> 2, after the track's left.
        DisplayCase{"KnobHalfDownToEven", 560, 1, 0, 1, 10, "00:00"},
        DisplayCase{"KnobHalfUpToEven", 560, 3, 0, 2, 12, "00:00"},
        DisplayCase{"ElapsedAtEnd", 200000, 200000, 0, 300, 290, "03:20"},
        DisplayCase{"Remaining", 200000, 38500, 1, 58, 64, "- 02:41"},
        DisplayCase{"PastEndRemainingIsZero", 1000, 5000, 1, 1500, 1410, "- 00:00"},
        DisplayCase{"OtherTimeModeKeepsLabel", 1000, 500, 3, 150, 150, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TrackAdvanceTest, Tick_ShowsRemainingTimeAndKeepsAHeldKnob) {
    AddFiles(1);
    modes.timeMode = 1;
    lib.lengthBytes = 176400LL * 200;
    lib.positionBytes = 176400LL * 38 + 88200;
    PlayRow(0);
    advanceView.dragging = true;
    bool idleWhileDrawing = true;
    advanceView.onShow = [&] { idleWhileDrawing = advance.KnobsIdle(); };
    advance.tmrMainTimer();
    ASSERT_EQ(advanceView.shown.size(), 1u);
    EXPECT_EQ(advanceView.shown[0].label, std::optional<std::string>("- 02:41"));
    EXPECT_FALSE(advanceView.dragKnobMoved[0]);
    EXPECT_FALSE(idleWhileDrawing);
    EXPECT_TRUE(advance.KnobsIdle());
    // Sound ticks every 10 ms; a video's display ticks every 100 ms, paused or not.
    EXPECT_EQ(MainTimerIntervalMs(player.PlayState()), 10);
    // Stopped: nothing is drawn.
    player.btnStopClick();
    advance.tmrMainTimer();
    EXPECT_EQ(advanceView.shown.size(), 1u);
    // A video shows its elapsed time whatever the time mode, and is never ended here.
    list.AppendPath("/m/clip.avi");
    PlayRow(1);
    ASSERT_EQ(player.PlayState(), kVideoPlaying);
    advanceView.video = std::make_pair(uint32_t{200000}, uint32_t{200000});
    advance.tmrMainTimer();
    ASSERT_EQ(advanceView.shown.size(), 2u);
    EXPECT_EQ(advanceView.shown[1].label, std::optional<std::string>("03:20"));
    EXPECT_EQ(player.PlayState(), kVideoPlaying);
    EXPECT_TRUE(view.mainTimer);
    EXPECT_EQ(MainTimerIntervalMs(player.PlayState()), 100);
    player.btnPauseClick();
    ASSERT_EQ(player.PlayState(), kVideoPaused);
    EXPECT_EQ(MainTimerIntervalMs(player.PlayState()), 100);
}

// --- mode buttons ------------------------------------------------------------------------------

TEST_F(TrackAdvanceTest, RandomButton_PressedAndReleasedPicturesAndHints) {
    advance.btnrndMouseDown();
    EXPECT_EQ(advanceView.rndPicture, "iRnd2");
    advance.btnrndMouseUp();
    EXPECT_TRUE(modes.random);
    EXPECT_EQ(advanceView.rndPicture, "iRnd3");
    EXPECT_EQ(advanceView.rndHint, "Random");
    advance.btnrndMouseDown();
    EXPECT_EQ(advanceView.rndPicture, "iRnd4");
    advance.btnrndMouseUp();
    EXPECT_FALSE(modes.random);
    EXPECT_EQ(advanceView.rndPicture, "iRnd1");
    EXPECT_EQ(advanceView.rndHint, "Not Random");
}

TEST_F(TrackAdvanceTest, RandomSwitch_KeepsOrderAndPosition) {
    AddFiles(4);
    const std::vector<int> order = list.RandomList();
    list.SetRandomPosition(2);
    advance.btnrndClick();
    advance.btnrndClick();
    EXPECT_EQ(list.RandomList(), order);
    EXPECT_EQ(list.RandomPosition(), 2);
}

TEST_F(TrackAdvanceTest, ReplayButton_CyclesWithHintsAndLeavesOtherValues) {
    const std::vector<std::tuple<int, std::string, std::string, std::string>> steps = {
        {1, "iRpl2", "iRpl3", "Replay All"},
        {2, "iRpl4", "iRpl5", "Replay One"},
        {0, "iRpl6", "iRpl1", "Not Replay"}};
    for (const auto& [mode, pressed, released, hint] : steps) {
        advance.btnrplMouseDown();
        EXPECT_EQ(advanceView.rplPicture, pressed);
        advance.btnrplMouseUp();
        EXPECT_EQ(modes.replay, mode);
        EXPECT_EQ(advanceView.rplPicture, released);
        EXPECT_EQ(advanceView.rplHint, hint);
    }
    modes.replay = 7;
    advanceView.rplPicture = advanceView.rplHint = "";
    advance.btnrplMouseDown();
    advance.btnrplMouseUp();
    EXPECT_EQ(modes.replay, 7);
    EXPECT_EQ(advanceView.rplPicture, "");
    EXPECT_EQ(advanceView.rplHint, "");
}

TEST_F(TrackAdvanceTest, TimeLabelClick_TogglesAndResetsOtherValues) {
    advance.lbPosLenClick();
    EXPECT_EQ(modes.timeMode, 1);
    advance.lbPosLenClick();
    EXPECT_EQ(modes.timeMode, 0);
    modes.timeMode = 5;
    advance.lbPosLenClick();
    EXPECT_EQ(modes.timeMode, 0);
}

}  // namespace
