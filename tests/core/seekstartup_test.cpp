// The player's held seek of the playlist keys and the start-up checks of the audio library,
// against the recording fake.

#include <gtest/gtest.h>

#include "core/player.h"
#include "core/startup.h"
#include "fakeaudiolibrary.h"
#include "fakeplayerview.h"

using namespace tv::core;
using tv::testing::FakeAudioLibrary;

namespace {

class HeldSeekTest : public ::testing::Test {
protected:
    HeldSeekTest() : view(lib.calls), player(lib, list, view, effects, info) {
        lib.streamFiles["/m/a.mp3"] = tv::audio::StreamFormat::Core;
        lib.lengthBytes = 176400LL * 12;  // 12 s
        list.AppendPath("/m/a.mp3");
        list.SetFocused(0);
        player.btnPlayClick();
        lib.ClearCalls();
    }
    std::string Slide(int volume) const {
        return "ChannelSlideAttributes(" + std::to_string(player.Channel()) + ",-1," +
               std::to_string(volume) + ",-101,200)";
    }

    FakeAudioLibrary lib;
    tv::playlist::PlaylistModel list;
    tv::testing::FakePlayerView view;
    NoEffects effects;
    NoTrackInfo info;
    Player player;
};

}  // namespace

// A hold fades out once and waits for it, repeats only seek, forward stops 1 ms before the
// end, and the release glides back to the channel volume.
TEST_F(HeldSeekTest, HeldForwardFadesOnceAndStopsBeforeTheEnd) {
    player.SeekStep(true);
    EXPECT_EQ(player.GetPositionMs(), 5000u);
    EXPECT_TRUE(player.SeekFading());
    for (int i = 0; i < 3; ++i)
        player.SeekStep(true);
    const uint32_t end = player.GetPositionMs();
    EXPECT_GE(end, 11998u);
    EXPECT_LT(end, 12000u);
    EXPECT_EQ(lib.CallsStartingWith("ChannelSlideAttributes"), std::vector<std::string>{Slide(0)});
    EXPECT_EQ(lib.CallsStartingWith("Wait"), std::vector<std::string>{"Wait(200)"});
    player.SeekRelease();
    EXPECT_FALSE(player.SeekFading());
    EXPECT_EQ(lib.CallsStartingWith("ChannelSlideAttributes"),
              (std::vector<std::string>{Slide(0), Slide(player.ChannelVolume())}));
}

TEST_F(HeldSeekTest, BackStopsAtTheStartAndAStoppedPlayerIgnoresTheKeys) {
    player.SeekToMs(7000);
    player.SeekStep(false);
    EXPECT_EQ(player.GetPositionMs(), 2000u);
    player.SeekStep(false);
    EXPECT_EQ(player.GetPositionMs(), 0u);
    player.SeekRelease();

    player.btnStopClick();
    lib.ClearCalls();
    player.SeekStep(true);
    EXPECT_FALSE(player.SeekFading());
    EXPECT_TRUE(lib.CallsStartingWith("ChannelSlideAttributes").empty());
    EXPECT_TRUE(lib.CallsStartingWith("ChannelSetPosition").empty());
}

TEST(StartUpTest, ChecksTheLibraryInItsOrderAndGivesTheExitStatus) {
    FakeAudioLibrary lib;
    tv::testing::FakePlayerView view(lib.calls);
    lib.deviceInfo = {9, true};
    lib.volume = 137;
    StartUpResult r = StartUp(lib, view);
    EXPECT_EQ(r.exitStatus, std::nullopt);
    EXPECT_EQ(r.outputVolume, 100);
    EXPECT_EQ(lib.calls,
              (std::vector<std::string>{"GetVersion()", "Init(1,44100,4)", "Start()", "GetInfo()",
                                        "SetEAXParameters(25,1,20,2)", "GetVolume()"}));

    lib = FakeAudioLibrary{};
    lib.version = 0x00020001;
    EXPECT_EQ(StartUp(lib, view).exitStatus, kExitWrongLibraryVersion);
    EXPECT_EQ(lib.calls, (std::vector<std::string>{
                             "GetVersion()", "Warning(BASS library version 2.2 not loaded)"}));

    lib = FakeAudioLibrary{};
    lib.initResult = false;
    EXPECT_EQ(StartUp(lib, view).exitStatus, kExitLibraryNotInitialised);
    EXPECT_TRUE(lib.CallsStartingWith("Start").empty());
}
