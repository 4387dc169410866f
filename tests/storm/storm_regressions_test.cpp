// Faults the storm found, each pinned down with the player logic on the recording fakes: the
// command sequence that showed it is reduced to the one re-entry that matters.

#include <gtest/gtest.h>

#include "../core/fakeplayerview.h"
#include "core/player.h"
#include "core/trackadvance.h"
#include "fakeaudiolibrary.h"
#include "quietadvanceview.h"

namespace {

using namespace tv::core;

class StormFinding : public ::testing::Test {
protected:
    StormFinding()
        : view(lib.calls),
          player(lib, list, view, effects, info),
          advance(player, list, view, advanceView, modes, TrackGeometry{10, 300, 20}) {
        for (const char* path : {"/m/a.mp3", "/m/b.mp3"}) {
            lib.streamFiles[path] = tv::audio::StreamFormat::Core;
            list.AppendPath(path);
        }
        list.SetFocused(0);
    }
    // What the event loop does while a fade waits: a main-timer tick, when the timer runs.
    void TickIfTimerRuns() {
        if (view.mainTimer)
            advance.tmrMainTimer();
    }

    tv::testing::FakeAudioLibrary lib;
    tv::playlist::PlaylistModel list;
    tv::testing::FakePlayerView view;
    NoEffects effects;
    NoTrackInfo info;
    MainSettings modes;
    tv::testing::QuietAdvanceView advanceView;
    Player player;
    TrackAdvance advance;
};

}  // namespace

// Stop freed the channel but kept its handle: Channel() still named it, and the next Play
// freed it a second time.
TEST_F(StormFinding, StaleChannelAfterStop) {
    player.btnPlayClick();
    const tv::audio::Handle first = player.Channel();
    player.btnStopClick();
    EXPECT_EQ(player.PlayState(), kStopped);
    EXPECT_EQ(player.Channel(), 0u);
    EXPECT_EQ(player.ChannelKind(), kNoChannel);
    lib.ClearCalls();
    player.btnPlayClick();
    EXPECT_EQ(lib.CallsStartingWith("StreamFree"), std::vector<std::string>{});
    EXPECT_NE(player.Channel(), first);
    EXPECT_EQ(lib.liveChannels.size(), 1u);
}

// A Play clicked during the Stop fade started its track, and then the Stop went on to switch
// the main timer off and clear the display: the new track played with no position, no
// spectrum and no end test, so the playlist never moved on.
TEST_F(StormFinding, PlayDuringStopFadeLostItsTimerAndDisplay) {
    player.btnPlayClick();
    list.SetFocused(1);
    view.duringWait = [&] { player.btnPlayClick(); };  // inside the Stop's fade
    player.btnStopClick();
    EXPECT_EQ(player.PlayState(), kAudioPlaying);
    EXPECT_EQ(list.Current(), 1);
    EXPECT_TRUE(lib.liveChannels.count(player.Channel()));
    EXPECT_TRUE(view.mainTimer);
    EXPECT_TRUE(view.spectrumTimer);
    EXPECT_TRUE(view.spectrumVisible);
    EXPECT_TRUE(view.knobsVisible);
}

// A track that reached its end during the Stop fade was ended by the main timer meanwhile,
// which started the next entry behind the user's Stop (and that track then lost its timer as
// above).
TEST_F(StormFinding, TrackEndDuringStopFadeStartedTheNext) {
    player.btnPlayClick();
    lib.positionBytes = lib.lengthBytes;  // the track ends while it fades out
    view.duringWait = [&] { TickIfTimerRuns(); };
    player.btnStopClick();
    EXPECT_EQ(player.PlayState(), kStopped);
    EXPECT_EQ(list.Current(), 0);
    EXPECT_TRUE(lib.liveChannels.empty());
    EXPECT_FALSE(view.mainTimer);
}

// An entry that never opened was paused before its tick; the tick during the pause ended it
// and switched the end test off, so the resume left the player "playing" nothing for good.
TEST_F(StormFinding, ResumeOfAnEndedPauseKeptTheEndTestOff) {
    list.AppendPath("/m/broken.mp3");  // no opener takes it
    list.SetFocused(2);
    modes.replay = 1;
    player.btnPlayClick();
    ASSERT_EQ(player.Channel(), 0u);
    player.btnPauseClick();
    ASSERT_EQ(player.PlayState(), kAudioPaused);
    advance.tmrMainTimer();  // ends the empty track: the timer goes off, the pause stays
    ASSERT_FALSE(view.mainTimer);
    player.btnPauseClick();
    EXPECT_TRUE(view.mainTimer);
    advance.tmrMainTimer();  // now the end test moves on to a file that opens
    EXPECT_EQ(player.PlayState(), kAudioPlaying);
    EXPECT_TRUE(lib.liveChannels.count(player.Channel()));
}

// Shift+Delete emptied the playlist while a track played; at the track's end the end test
// found nothing to go to and left the player "playing" an ended track (or, for an entry that
// never opened, no channel at all) with the timer off, for good.
TEST_F(StormFinding, EndWithTheEmptiedPlaylistStayedPlaying) {
    for (const char* path : {"/m/a.mp3", "/m/broken.mp3"}) {
        list.ClearPlaylist();
        list.AppendPath(path);
        list.SetFocused(0);
        player.btnPlayClick();
        list.ClearPlaylist();
        lib.positionBytes = lib.lengthBytes;
        advance.tmrMainTimer();
        lib.positionBytes = 0;
        EXPECT_EQ(player.PlayState(), kStopped) << path;
        EXPECT_EQ(player.Channel(), 0u) << path;
        EXPECT_TRUE(lib.liveChannels.empty()) << path;
    }
}
