#include "core/mediacontrol.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "fakeaudiolibrary.h"
#include "fakeplayerview.h"
#include "quietadvanceview.h"

using namespace tv::core;
using tv::audio::StreamFormat;
using tv::testing::FakeAudioLibrary;

namespace {

using tv::testing::QuietAdvanceView;

class TableTrackInfo : public TrackInfoReader {
public:
    std::map<std::string, TrackFacts> facts;
    TrackFacts Read(const std::string& path, const std::string&) override {
        const auto it = facts.find(path);
        return it == facts.end() ? TrackFacts{} : it->second;
    }
};

constexpr int64_t kBytesPerMs = 176;

class MediaControlTest : public ::testing::Test {
protected:
    MediaControlTest()
        : view(lib.calls),
          player(lib, list, view, effects, info),
          advance(player, list, view, advanceView, modes, {10, 300, 20}),
          control(player, advance, list, modes, advanceView, info) {
        lib.bytesPerSecond = kBytesPerMs * 1000.0;
        lib.lengthBytes = 20000 * kBytesPerMs;  // 20 s
        for (const char* path : {"/m/a.mp3", "/m/b c.mp3"}) {
            lib.streamFiles[path] = StreamFormat::Core;
            list.AppendPath(path);
        }
        info.facts["/m/a.mp3"] = {"Artist A", "Title A", 20};
        list.SetFocused(0);
    }

    FakeAudioLibrary lib;
    tv::playlist::PlaylistModel list;
    tv::testing::FakePlayerView view;
    NoEffects effects;
    TableTrackInfo info;
    MainSettings modes;
    QuietAdvanceView advanceView;
    Player player;
    TrackAdvance advance;
    MediaControl control;
};

}  // namespace

TEST(MediaControlMapping, StatusLoopAndVolumeNames) {
    EXPECT_EQ(PlaybackStatusOf(kStopped), "Stopped");
    EXPECT_EQ(PlaybackStatusOf(kAudioPlaying), "Playing");
    EXPECT_EQ(PlaybackStatusOf(kVideoPlaying), "Playing");
    EXPECT_EQ(PlaybackStatusOf(kAudioPaused), "Paused");
    EXPECT_EQ(PlaybackStatusOf(kVideoPaused), "Paused");
    for (int replay : {0, 1, 2})
        EXPECT_EQ(ReplayModeOf(LoopStatusOf(replay)), replay);
    EXPECT_EQ(LoopStatusOf(7), "None");  // a value from a hand-edited settings.ini
    EXPECT_EQ(ReplayModeOf("track"), std::nullopt);

    const struct {
        double volume;
        std::optional<int> level;
    } cases[] = {{0.0, 0},   {-0.5, 0},  {0.254, 25},        {0.256, 26},
                 {1.0, 100}, {3.0, 100}, {NAN, std::nullopt}};
    for (const auto& c : cases)
        EXPECT_EQ(ChannelVolumeOf(c.volume), c.level) << c.volume;
    EXPECT_EQ(FileUrl("/m/b c#1%.mp3"), "file:///m/b%20c%231%25.mp3");
}

TEST_F(MediaControlTest, TransportFollowsTheButtonsWithoutRestartingAPlayingTrack) {
    control.Play();
    ASSERT_EQ(player.PlayState(), kAudioPlaying);
    const auto channel = player.Channel();
    control.Play();  // already playing: the track goes on
    EXPECT_EQ(player.Channel(), channel);
    control.PlayPause();
    EXPECT_EQ(player.PlayState(), kAudioPaused);
    control.Pause();  // paused already: stays paused
    EXPECT_EQ(player.PlayState(), kAudioPaused);
    control.Play();
    EXPECT_EQ(player.PlayState(), kAudioPlaying);
    control.Next();
    EXPECT_EQ(list.Current(), 1);
    EXPECT_EQ(player.PlayState(), kAudioPlaying);
    control.Stop();
    EXPECT_EQ(player.PlayState(), kStopped);
}

TEST_F(MediaControlTest, PlayWithAnEmptyPlaylistPopsUpNothing) {
    list.ClearPlaylist();
    control.Play();
    EXPECT_EQ(player.PlayState(), kStopped);
    EXPECT_EQ(control.State().metadata.trackId, kNoTrackId);
}

TEST_F(MediaControlTest, SeeksClampAtTheStartAndMoveOnAtTheEnd) {
    control.Play();
    lib.positionBytes = 3000 * kBytesPerMs;
    EXPECT_TRUE(control.Seek(-5'000'000));
    EXPECT_EQ(control.PositionUs(), 0);
    EXPECT_TRUE(control.Seek(12'000'000));
    EXPECT_EQ(control.PositionUs(), 12'000'000);
    // Another track's id, or a place beyond the end: ignored.
    EXPECT_FALSE(control.SetPosition("/org/torvanell/track/1", 1'000'000));
    EXPECT_FALSE(control.SetPosition("/org/torvanell/track/0", 25'000'000));
    EXPECT_TRUE(control.SetPosition("/org/torvanell/track/0", 4'000'000));
    EXPECT_EQ(control.PositionUs(), 4'000'000);
    EXPECT_FALSE(control.Seek(30'000'000));
    EXPECT_EQ(list.Current(), 1);
}

TEST_F(MediaControlTest, ModesAndVolumeRoundTripThroughTheButtons) {
    for (const char* loop : {"Track", "Playlist", "None", "Track"}) {
        control.SetLoopStatus(loop);
        EXPECT_EQ(control.State().loopStatus, loop);
    }
    control.SetLoopStatus("Sometimes");
    EXPECT_EQ(modes.replay, 2);
    control.SetShuffle(true);
    control.SetShuffle(true);
    EXPECT_TRUE(modes.random);
    control.SetShuffle(false);
    EXPECT_FALSE(modes.random);

    control.Play();
    lib.ClearCalls();
    control.SetVolume(0.4);
    EXPECT_EQ(player.ChannelVolume(), 40);
    EXPECT_DOUBLE_EQ(control.State().volume, 0.4);
    EXPECT_EQ(lib.CallsStartingWith("ChannelSlideAttributes").size(), 1u);  // a glide, no jump
}

TEST_F(MediaControlTest, MetadataComesFromTheCurrentEntryAndChangesAreNamed) {
    list.SetCurrent(0);
    const ControlState before = control.State();
    EXPECT_EQ(before.metadata.title, "Title A");
    EXPECT_EQ(before.metadata.artist, "Artist A");
    EXPECT_EQ(before.metadata.lengthUs, 20'000'000);
    EXPECT_EQ(before.metadata.url, "file:///m/a.mp3");
    control.Next();  // stopped: only the current entry moves
    const ControlState after = control.State();
    EXPECT_EQ(after.metadata.trackId, "/org/torvanell/track/1");
    EXPECT_EQ(after.metadata.title, "b c");  // untagged: the file name
    EXPECT_EQ(after.metadata.artist, "");
    EXPECT_EQ(ChangedProperties(before, after), std::vector<std::string>{"Metadata"});
    control.SetShuffle(true);
    control.Play();
    EXPECT_EQ(ChangedProperties(after, control.State()),
              (std::vector<std::string>{"PlaybackStatus", "Shuffle", "Metadata"}));
}
