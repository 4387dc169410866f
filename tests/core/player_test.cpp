#include "core/player.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "core/audio/audiolibrary.h"

#include "core/effectchainhooks.h"
#include "fakeaudiolibrary.h"
#include "fakeplayerview.h"

using namespace tv::core;
using tv::audio::StreamFormat;
using tv::testing::FakeAudioLibrary;

namespace {

class FixedTrackInfo : public TrackInfoReader {
public:
    TrackFacts facts;
    std::vector<std::string> read;
    TrackFacts Read(const std::string& path, const std::string&) override {
        read.push_back(path);
        return facts;
    }
};

const std::vector<std::string> kAllStreamOpeners(const std::string& path) {
    std::vector<std::string> out;
    for (const char* f :
         {"Core", "WMA", "FLAC", "WV", "AAC", "MP4", "AC3", "ALAC", "APE", "MPC", "SPX", "TTA"})
        out.push_back(std::string("StreamCreateFile(") + f + "," + path + ",0)");
    return out;
}

std::vector<std::string> Concat(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class PlayerTest : public ::testing::Test {
protected:
    PlayerTest() : view(lib.calls), effects(lib.calls), player(lib, list, view, effects, info) {}

    // Adds a playlist row and focuses it.
    void AddAndFocus(const std::string& path) {
        list.AppendPath(path);
        list.SetFocused(list.Count() - 1);
    }
    void StartStream(const std::string& path, StreamFormat format = StreamFormat::Core) {
        lib.streamFiles[path] = format;
        AddAndFocus(path);
        player.btnPlayClick();
        lib.ClearCalls();
    }

    FakeAudioLibrary lib;
    tv::playlist::PlaylistModel list;
    tv::testing::FakePlayerView view;
    tv::testing::RecordingEffects effects;
    FixedTrackInfo info;
    Player player;
};

}  // namespace

TEST_F(PlayerTest, PlayFromStoppedWalksTheOpenersInOrderAndEquipsTheChannel) {
    lib.streamFiles["/m/a.flac"] = StreamFormat::FLAC;
    AddAndFocus("/m/a.flac");
    player.btnPlayClick();
    const std::vector<std::string> expected = {
        "ClearTrackDisplay",  // the Stop inside Play, with nothing playing
        "StreamCreateFile(Core,/m/a.flac,0)",
        "StreamCreateFile(WMA,/m/a.flac,0)",
        "StreamCreateFile(FLAC,/m/a.flac,0)",
        "ChannelGetInfo(1)",
        "ForgetEffectHandles",
        "ChannelSlideAttributes(1,-1,80,-101,0)",
        "ChannelPlay(1,1)",
        "ApplyEffects(1)",
        "UpdateRotation(1)",
        "RefreshStreamInfo"};
    EXPECT_EQ(lib.calls, expected);
    EXPECT_EQ(player.PlayState(), kAudioPlaying);
    EXPECT_EQ(player.Channel(), 1u);
    EXPECT_EQ(player.ChannelKind(), kStreamChannel);
    EXPECT_EQ(player.CurrentPath(), "/m/a.flac");
    EXPECT_EQ(list.Current(), 0);
    EXPECT_EQ(list.At(0).display, "1. a");
    EXPECT_EQ(view.title, "a");
    EXPECT_TRUE(view.mainTimer && view.spectrumTimer && view.knobsVisible && view.spectrumVisible);
}

TEST_F(PlayerTest, PlayWhilePlayingFadesStopsFreesThenOpensAfresh) {
    StartStream("/m/a.mp3");
    player.btnPlayClick();
    const std::vector<std::string> expected = {
        "ChannelSlideAttributes(1,-1,0,-101,200)",
        "Wait(200)",
        "ChannelStop(1)",
        "StreamFree(1)",
        "ClearTrackDisplay",  // the stopped channel is gone: the opener has nothing to free
        "StreamCreateFile(Core,/m/a.mp3,0)",
        "ChannelGetInfo(2)",
        "ForgetEffectHandles",
        "ChannelSlideAttributes(2,-1,80,-101,0)",
        "ChannelPlay(2,1)",
        "ApplyEffects(2)",
        "UpdateRotation(2)",
        "RefreshStreamInfo"};
    EXPECT_EQ(lib.calls, expected);
    EXPECT_EQ(player.Channel(), 2u);
    EXPECT_EQ(lib.liveChannels, (std::set<tv::audio::Handle>{2}));
}

TEST_F(PlayerTest, NewChannelIsSetToTheSavedVolumeBeforeItIsHeard) {
    player.SetChannelVolume(40);
    lib.streamFiles["/m/a.mp3"] = StreamFormat::Core;
    AddAndFocus("/m/a.mp3");
    player.btnPlayClick();
    const auto& c = lib.calls;
    const auto set = std::find(c.begin(), c.end(), "ChannelSlideAttributes(1,-1,40,-101,0)");
    const auto play = std::find(c.begin(), c.end(), "ChannelPlay(1,1)");
    ASSERT_NE(set, c.end());
    EXPECT_LT(set, play);  // no block is played at the library's default level
}

TEST_F(PlayerTest, ModulesAreTriedLastAndFreedWithTheModuleCall) {
    lib.moduleFiles.insert("/m/t.xm");
    AddAndFocus("/m/t.xm");
    player.btnPlayClick();
    EXPECT_EQ(lib.CallsStartingWith("StreamCreateFile").size(), 12u);
    EXPECT_EQ(lib.CallsStartingWith("MusicLoad"),
              std::vector<std::string>{"MusicLoad(/m/t.xm,131072)"});
    EXPECT_EQ(player.ChannelKind(), kModuleChannel);

    lib.ClearCalls();
    player.OpenChannel("/m/none.xm");
    EXPECT_EQ(lib.calls, Concat(Concat({"MusicFree(1)"}, kAllStreamOpeners("/m/none.xm")),
                                {"MusicLoad(/m/none.xm,131072)"}));
    EXPECT_EQ(player.Channel(), 0u);
    EXPECT_EQ(player.ChannelKind(), kNoChannel);
    EXPECT_TRUE(lib.liveChannels.empty());
}

TEST_F(PlayerTest, StopOfAModuleFreesItAsAModule) {
    lib.moduleFiles.insert("/m/t.mod");
    AddAndFocus("/m/t.mod");
    player.btnPlayClick();
    lib.ClearCalls();
    player.btnStopClick();
    EXPECT_EQ(lib.calls,
              (std::vector<std::string>{"ChannelSlideAttributes(1,-1,0,-101,200)", "Wait(200)",
                                        "ChannelStop(1)", "MusicFree(1)", "ClearTrackDisplay"}));
    EXPECT_TRUE(lib.liveChannels.empty());
    EXPECT_EQ(player.PlayState(), kStopped);
}

TEST_F(PlayerTest, EightBitSourceIsRefusedWithAWarning) {
    lib.infoFlags = tv::audio::kSampleFlag8Bits;
    lib.streamFiles["/m/8bit.wav"] = StreamFormat::Core;
    AddAndFocus("/m/8bit.wav");
    player.btnPlayClick();
    EXPECT_EQ(view.warnings, std::vector<std::string>{"Opening channel error"});
    EXPECT_EQ(player.Channel(), 0u);
    EXPECT_EQ(player.ChannelKind(), kNoChannel);
    EXPECT_TRUE(lib.liveChannels.empty());
    EXPECT_TRUE(lib.CallsStartingWith("ChannelPlay").empty());
    EXPECT_EQ(lib.CallsStartingWith("MusicFree"), std::vector<std::string>{"MusicFree(1)"});
    // The player still counts as playing, so the main timer finds the end and moves on.
    EXPECT_EQ(player.PlayState(), kAudioPlaying);
    EXPECT_EQ(player.GetLengthMs(), 0u);
    EXPECT_EQ(player.GetPositionMs(), 0u);
}

TEST_F(PlayerTest, UnopenableFileLeavesNoChannelAndNoWarning) {
    AddAndFocus("/m/broken.ofr");
    player.btnPlayClick();
    EXPECT_EQ(player.Channel(), 0u);
    EXPECT_TRUE(view.warnings.empty());
    EXPECT_EQ(player.PlayState(), kAudioPlaying);
}

TEST_F(PlayerTest, PauseFadesWaitsAndPausesResumeFadesBackWithoutWaiting) {
    StartStream("/m/a.mp3");
    player.SetChannelVolume(65);
    player.btnPauseClick();
    EXPECT_EQ(lib.calls, (std::vector<std::string>{"ChannelSlideAttributes(1,-1,0,-101,200)",
                                                   "Wait(200)", "ChannelPause(1)"}));
    EXPECT_EQ(player.PlayState(), kAudioPaused);

    lib.ClearCalls();
    player.btnPauseClick();
    EXPECT_EQ(lib.calls,
              (std::vector<std::string>{"ChannelSlideAttributes(1,-1,0,-101,0)", "ChannelPlay(1,0)",
                                        "ChannelSlideAttributes(1,-1,65,-101,200)"}));
    EXPECT_EQ(player.PlayState(), kAudioPlaying);
}

TEST_F(PlayerTest, PauseThenPlayRestartsTheFocusedEntryFromTheBeginning) {
    StartStream("/m/a.mp3");
    player.btnPauseClick();
    lib.ClearCalls();
    player.btnPlayClick();
    EXPECT_EQ(lib.CallsStartingWith("ChannelStop"), std::vector<std::string>{"ChannelStop(1)"});
    EXPECT_EQ(lib.CallsStartingWith("ChannelPlay"), std::vector<std::string>{"ChannelPlay(2,1)"});
    EXPECT_EQ(player.PlayState(), kAudioPlaying);
}

TEST_F(PlayerTest, StopDuringAPauseFadeWinsOverThePause) {
    StartStream("/m/a.mp3");
    view.duringWait = [&] {
        view.duringWait = [&] { player.btnStopClick(); };  // arrives inside the fade wait
    };
    player.btnPauseClick();
    EXPECT_EQ(player.PlayState(), kStopped);
    EXPECT_TRUE(lib.CallsStartingWith("ChannelPause").empty());
}

TEST_F(PlayerTest, PlayClickedDuringTheStopFadeLeavesOneLiveChannelPlaying) {
    StartStream("/m/a.mp3");
    StartStream("/m/b.mp3");  // channel 2 plays, b focused
    view.duringWait = [&] {   // Play's event pass: the next one is the Stop fade
        view.duringWait = [&] { player.btnPlayClick(); };
    };
    player.btnPlayClick();
    EXPECT_EQ(player.PlayState(), kAudioPlaying);
    EXPECT_EQ(lib.liveChannels.size(), 1u);
    EXPECT_EQ(lib.liveChannels.count(player.Channel()), 1u);
}

TEST_F(PlayerTest, CloseFadesToSilenceAndWaitsWhateverTheState) {
    StartStream("/m/a.mp3");
    player.FormClose();
    EXPECT_EQ(lib.calls,
              (std::vector<std::string>{"ChannelSlideAttributes(1,-1,0,-101,200)", "Wait(200)"}));
}

TEST_F(PlayerTest, PlayOnAnEmptyPlaylistOpensTheAddMenu) {
    player.btnPlayClick();
    EXPECT_EQ(view.playMenuShown, 1);
    EXPECT_EQ(player.PlayState(), kStopped);
    EXPECT_EQ(lib.calls, std::vector<std::string>{"ShowPlayMenu"});
}

TEST_F(PlayerTest, PlayWithNothingFocusedStartsTheCurrentEntry) {
    lib.streamFiles["/m/b.mp3"] = StreamFormat::Core;
    list.AppendPath("/m/a.mp3");
    list.AppendPath("/m/b.mp3");
    list.SetCurrent(1);
    list.SetFocused(-1);
    player.btnPlayClick();
    EXPECT_EQ(player.CurrentPath(), "/m/b.mp3");
    EXPECT_EQ(player.Channel(), 1u);
}

TEST_F(PlayerTest, VideoGoesToTheVideoWindowAndPauseTogglesIt) {
    AddAndFocus("/v/clip.avi");
    info.facts = {"Artist", "Title", 65};
    player.btnPlayClick();
    EXPECT_EQ(player.PlayState(), kVideoPlaying);
    EXPECT_TRUE(lib.CallsStartingWith("StreamCreateFile").empty());
    EXPECT_EQ(lib.calls.back(), "PlayVideo(/v/clip.avi)");
    EXPECT_FALSE(view.spectrumTimer);
    // A video row takes its duration from the reader as a track does; its title stays its name.
    EXPECT_EQ(info.read, std::vector<std::string>{"/v/clip.avi"});
    EXPECT_EQ(list.At(0).duration, "01:05");
    EXPECT_EQ(list.At(0).display, "1. clip");
    player.btnPauseClick();
    EXPECT_EQ(player.PlayState(), kVideoPaused);
    player.btnPauseClick();
    EXPECT_EQ(player.PlayState(), kVideoPlaying);
    lib.ClearCalls();
    player.btnStopClick();
    EXPECT_EQ(player.PlayState(), kStopped);
    EXPECT_EQ(lib.calls, (std::vector<std::string>{"CloseVideo", "ClearTrackDisplay"}));
}

TEST_F(PlayerTest, NonMediaFileLeavesThePlayerStopped) {
    AddAndFocus("/m/readme.txt");
    player.btnPlayClick();
    EXPECT_EQ(player.PlayState(), kStopped);
    EXPECT_TRUE(lib.CallsStartingWith("StreamCreateFile").empty());
}

TEST_F(PlayerTest, LengthAndPositionRoundToTheNearestMillisecond) {
    StartStream("/m/a.mp3");
    lib.bytesPerSecond = 1000.0;
    lib.lengthBytes = 123457;  // 123.457 s
    lib.positionBytes = 5;     // 0.005 s
    EXPECT_EQ(player.GetLengthMs(), 123457u);
    EXPECT_EQ(player.GetPositionMs(), 5u);
    lib.bytesPerSecond = 2000.0;
    lib.positionBytes = 1;  // 0.5 ms: halves go to the even neighbour
    EXPECT_EQ(player.GetPositionMs(), 0u);
    lib.positionBytes = 3;  // 1.5 ms
    EXPECT_EQ(player.GetPositionMs(), 2u);
    lib.lengthBytes = -1;  // failure counts as 0 bytes
    EXPECT_EQ(player.GetLengthMs(), 0u);
}

TEST_F(PlayerTest, SeekIsRefusedWithoutChannelWhenStoppedOrBeyondTheEnd) {
    EXPECT_FALSE(player.SeekToMs(0));  // no channel
    EXPECT_TRUE(lib.calls.empty());

    StartStream("/m/a.mp3");  // 10 s
    EXPECT_FALSE(player.SeekToMs(10001));
    EXPECT_TRUE(lib.CallsStartingWith("ChannelSetPosition").empty());
    EXPECT_TRUE(player.SeekToMs(10000));
    EXPECT_TRUE(player.SeekToMs(2500));
    EXPECT_EQ(lib.CallsStartingWith("ChannelSetPosition"),
              (std::vector<std::string>{"ChannelSetPosition(1,1764000)",
                                        "ChannelSetPosition(1,441000)"}));

    lib.moduleFiles.insert("/m/t.it");  // a stopped module channel stays loaded
    AddAndFocus("/m/t.it");
    player.btnPlayClick();
    player.btnStopClick();
    lib.ClearCalls();
    EXPECT_FALSE(player.SeekToMs(0));
    EXPECT_TRUE(lib.CallsStartingWith("ChannelSetPosition").empty());
}

TEST_F(PlayerTest, ModulesAreNotSeekedButReportTheirPosition) {
    lib.moduleFiles.insert("/m/t.s3m");
    AddAndFocus("/m/t.s3m");
    player.btnPlayClick();
    lib.positionBytes = 176400;
    EXPECT_EQ(player.GetPositionMs(), 1000u);
    EXPECT_FALSE(player.SeekToMs(500));
    EXPECT_TRUE(lib.CallsStartingWith("ChannelSetPosition").empty());
}

TEST_F(PlayerTest, BuildTrackEntryWritesTitleAndDurationOfTheRow) {
    list.AppendPath("/m/x.mp3");
    list.AppendPath("/m/03_-_Intro.mp3");
    info.facts = {"", "", 3725};
    player.BuildTrackEntry("/m/03_-_Intro.mp3", 1);
    EXPECT_EQ(list.At(1).display, "2. Intro");
    EXPECT_EQ(list.At(1).duration, "62:05");
    EXPECT_EQ(player.DurationText(), "62:05");
    info.facts = {"Artist", "Title", 61};
    player.BuildTrackEntry("/m/x.mp3", 0);
    EXPECT_EQ(list.At(0).display, "1. Artist - Title");
    EXPECT_EQ(list.At(0).duration, "01:01");
    player.BuildTrackEntry("/m/x.mp3", 5);  // no such row: nothing changes
    EXPECT_EQ(list.Count(), 2);
}

// Completing a row lets no events run (an added folder lets them run once per batch of rows);
// Play still lets them run once after the row is rebuilt, before the old track fades.
TEST_F(PlayerTest, BuildTrackEntryRunsNoEventsButPlayRunsThemOnceAfterIt) {
    lib.streamFiles["/m/a.mp3"] = StreamFormat::Core;
    AddAndFocus("/m/a.mp3");
    view.duringWait = [&] { lib.calls.push_back("events"); };
    player.BuildTrackEntry("/m/a.mp3", 0);
    EXPECT_TRUE(lib.calls.empty());
    player.btnPlayClick();  // nothing plays yet: no fade, the pass is Play's own
    ASSERT_FALSE(lib.calls.empty());
    EXPECT_EQ(lib.calls.front(), "events");
    EXPECT_EQ(player.PlayState(), kAudioPlaying);
}

TEST(PlayerWithEffectChain, NewChannelGetsTheSwitchedOnEqualizerAfterItStarts) {
    FakeAudioLibrary lib;
    tv::playlist::PlaylistModel list;
    tv::testing::FakePlayerView view(lib.calls);
    tv::effects::EffectChain chain(lib, {});
    EffectChainHooks hooks(chain);
    NoTrackInfo info;
    Player player(lib, list, view, hooks, info);
    chain.SetChannelQuery(EffectChainHooks::ChannelQuery(player));
    chain.SetEqualizerChecked(true);  // nothing plays: nothing is attached yet
    EXPECT_TRUE(lib.CallsStartingWith("ChannelSetFX").empty());

    lib.streamFiles["/m/a.mp3"] = StreamFormat::Core;
    list.AppendPath("/m/a.mp3");
    list.SetFocused(0);
    player.btnPlayClick();
    const auto play = std::find(lib.calls.begin(), lib.calls.end(), "ChannelPlay(1,1)");
    ASSERT_NE(play, lib.calls.end());
    const auto firstFx = std::find_if(lib.calls.begin(), lib.calls.end(), [](const auto& c) {
        return c.rfind("ChannelSetFX(1,", 0) == 0;
    });
    ASSERT_NE(firstFx, lib.calls.end());  // live while being equipped, though still stopped
    EXPECT_GT(firstFx, play);
    EXPECT_EQ(lib.CallsStartingWith("ChannelSetFX(1,7,").size(), 10u);  // ten bands

    lib.ClearCalls();
    player.btnStopClick();
    chain.SetEqualizerChecked(false);  // stopped: the channel is not live any more
    EXPECT_TRUE(lib.CallsStartingWith("ChannelRemoveFX").empty());
}

TEST_F(PlayerTest, TheLevellingGainFollowsTheTagsTheModeAndTheRandomOrder) {
    // rg-m6.mp3 stores a track gain of -6 dB and an album gain of -2 dB.
    const std::string path = std::string(TV_TEST_DATA_DIR) + "/rg-m6.mp3";
    bool shuffled = false;
    player.SetShuffledQuery([&] { return shuffled; });
    player.SetReplayGain({1, 0, true});
    StartStream(path);
    EXPECT_NEAR(lib.gains[1], 0.5012f, 1e-3f) << "track mode, set before the first block";
    player.SetReplayGain({3, 0, true});
    EXPECT_NEAR(lib.gains[1], 0.7943f, 1e-3f) << "automatic in order: the album gain";
    shuffled = true;
    player.SetReplayGain({3, 0, true});
    EXPECT_NEAR(lib.gains[1], 0.5012f, 1e-3f) << "automatic in random order: the track gain";
    player.SetReplayGain({0, 0, true});
    EXPECT_EQ(lib.gains[1], 1.0f);
}
