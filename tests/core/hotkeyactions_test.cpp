#include "core/hotkeyactions.h"

#include <gtest/gtest.h>

#include "core/inifile.h"
#include "fakeaudiolibrary.h"
#include "fakeplayerview.h"
#include "quietadvanceview.h"

using namespace tv::core;
using tv::audio::StreamFormat;
using tv::testing::FakeAudioLibrary;

namespace {

using tv::testing::QuietAdvanceView;

constexpr int64_t kBytesPerMs = 176;  // 44.1 kHz 16-bit stereo, 176.4 bytes a millisecond

class HotkeyActionsTest : public ::testing::Test {
protected:
    HotkeyActionsTest()
        : view(lib.calls),
          player(lib, list, view, effects, info),
          advance(player, list, view, advanceView, modes, {10, 300, 20}),
          actions(lib, player, advance) {
        lib.bytesPerSecond = kBytesPerMs * 1000.0;
        lib.lengthBytes = 20000 * kBytesPerMs;  // 20 s
        for (const char* path : {"/m/a.mp3", "/m/b.mp3"}) {
            lib.streamFiles[path] = StreamFormat::Core;
            list.AppendPath(path);
        }
        list.SetFocused(0);
    }
    void StartAt(int64_t ms) {
        actions.Run(0);  // Play
        lib.positionBytes = ms * kBytesPerMs;
        lib.ClearCalls();
    }
    std::vector<std::string> Seeks() const { return lib.CallsStartingWith("ChannelSetPosition"); }
    std::string SeekTo(int64_t ms) const {
        return "ChannelSetPosition(" + std::to_string(player.Channel()) + "," +
               std::to_string(ms * kBytesPerMs) + ")";
    }

    FakeAudioLibrary lib;
    tv::playlist::PlaylistModel list;
    tv::testing::FakePlayerView view;
    NoEffects effects;
    NoTrackInfo info;
    MainSettings modes;
    QuietAdvanceView advanceView;
    Player player;
    TrackAdvance advance;
    HotkeyActions actions;
};

}  // namespace

TEST_F(HotkeyActionsTest, SeeksJumpFiveSecondsClampedAtBothEndsWithoutAFade) {
    struct Case {
        int hotkey;
        int64_t fromMs;
        int64_t toMs;
    };
    const Case cases[] = {
        {4, 1000, 6000},    // forward
        {4, 16000, 19999},  // 4 s before the end: 1 ms before the end
        {5, 9000, 4000},    // back
        {5, 3000, 0},       // at 3 s: the start
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fromMs);
        StartAt(c.fromMs);
        actions.Run(c.hotkey);
        EXPECT_EQ(Seeks(), std::vector<std::string>{SeekTo(c.toMs)});
        EXPECT_TRUE(lib.CallsStartingWith("ChannelSlideAttributes").empty());
    }
}

TEST_F(HotkeyActionsTest, SeeksDoNothingWhenStopped) {
    actions.Run(4);
    actions.Run(5);
    EXPECT_TRUE(Seeks().empty());
}

TEST_F(HotkeyActionsTest, VolumeUpAtHundredStaysAndStillSlides) {
    StartAt(0);
    player.SetChannelVolume(100);
    actions.Run(6);
    EXPECT_EQ(player.ChannelVolume(), 100);
    EXPECT_EQ(lib.calls, std::vector<std::string>{"ChannelSlideAttributes(1,-1,100,-101,200)"});
}

TEST_F(HotkeyActionsTest, NinetyVolumeDownsFromEightyEndAtZeroAndAreSaved) {
    StartAt(0);
    for (int i = 0; i < 90; ++i)
        actions.Run(7);
    EXPECT_EQ(player.ChannelVolume(), 0);
    const auto slides = lib.CallsStartingWith("ChannelSlideAttributes");
    ASSERT_EQ(slides.size(), 90u);
    EXPECT_EQ(slides[78], "ChannelSlideAttributes(1,-1,1,-101,200)");
    EXPECT_EQ(slides.back(), "ChannelSlideAttributes(1,-1,0,-101,200)");

    modes.volume = player.ChannelVolume();  // what SaveSettings writes
    IniFile ini;
    StoreMainSettings(ini, modes);
    EXPECT_NE(ini.Render().find("Volume=0\n"), std::string::npos);
}

TEST_F(HotkeyActionsTest, TransportHotkeysAreTheButtonsCommands) {
    actions.Run(0);  // Play
    EXPECT_EQ(player.PlayState(), kAudioPlaying);
    actions.Run(3);  // Next
    EXPECT_EQ(list.Current(), 1);
    actions.Run(2);  // Back
    EXPECT_EQ(list.Current(), 0);
    actions.Run(1);  // Pause
    EXPECT_EQ(player.PlayState(), kAudioPaused);
}
