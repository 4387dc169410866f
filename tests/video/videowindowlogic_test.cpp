// The video window's behaviour with a recording plug-in and a host that stands in for the
// window and for the main window's stop (which closes the window again while a video plays).

#include <gtest/gtest.h>

#include <algorithm>

#include "fakevideoplugin.h"
#include "video/videowindowlogic.h"

namespace tv::video {
namespace {

class FakeHost : public VideoWindowHost {
public:
    std::string path = "/videos/a.avi";
    Bounds window{100, 80, 610, 368};
    Bounds screen{0, 0, 1280, 1024};
    int playState = 21;  // the main window's state
    int mainStops = 0;
    int closes = 0;
    bool timerOn = false;
    VideoWindowLogic* logic = nullptr;

    std::string SelectedPath() override { return path; }
    uintptr_t PanelHandle() override { return 42; }
    Bounds PanelBounds() override { return {5, 25, window.width - 10, window.height - 30}; }
    Bounds WindowBounds() override { return window; }
    void SetWindowBounds(const Bounds& b) override { window = b; }
    Bounds ScreenBounds() override { return screen; }
    void ProcessEvents() override {}
    void ShowSeekKnobs(bool) override {}
    void ClickMainStop() override {
        ++mainStops;
        if (playState == 21 || playState == 22) {
            playState = 0;
            logic->FormClose();  // the player's stop closes the window again
        }
    }
    void SetTimerEnabled(bool on) override { timerOn = on; }
    void HideWindow() override { ++closes; }
    int ends = 0;
    void VideoEnded() override { ++ends; }
};

class VideoWindowLogicTest : public ::testing::Test {
protected:
    VideoWindowLogicTest() : logic(plugin, host) { host.logic = &logic; }
    testing::FakeVideoPlugin plugin;
    FakeHost host;
    VideoWindowLogic logic;
};

TEST_F(VideoWindowLogicTest, Play_CallsInSpecifiedOrderAndSetsLength) {
    logic.btnPlayClick();
    const std::vector<std::string> expected = {
        "loadMediaFile(/videos/a.avi)", "MediaStreamAvailable", "VideoAvailable",
        "setVideoPos(0,0,600,338)",     "playMediaStream",      "getMediaStreamDuration"};
    EXPECT_EQ(plugin.calls, expected);
    EXPECT_EQ(logic.lblen(), "90000");
    EXPECT_EQ(logic.PosBar().Maximum(), 90000);
    EXPECT_EQ(logic.PosBar().Position(), 0);
}

TEST_F(VideoWindowLogicTest, Play_UnloadableFile_StopsAfterAvailableAndStaysSilent) {
    plugin.loadable = false;
    logic.btnPlayClick();
    EXPECT_EQ(plugin.calls.back(), "MediaStreamAvailable");
    EXPECT_EQ(logic.lblen(), "");
}

TEST_F(VideoWindowLogicTest, SecondVideo_SeeksToZeroBeforeFirstTick) {
    logic.btnPlayClick();
    plugin.position = 500'000'000;  // 50 s
    logic.Timer1Timer();
    ASSERT_EQ(logic.PosBar().Position(), 50000);
    EXPECT_EQ(std::count(plugin.calls.begin(), plugin.calls.end(), "setMediaStreamPos(500000000)"),
              0);  // the timer's own write does not seek

    plugin.calls.clear();
    host.path = "/videos/b.avi";
    logic.btnPlayClick();
    EXPECT_EQ(logic.PosBar().Position(), 0);
    const auto seek = std::find(plugin.calls.begin(), plugin.calls.end(), "setMediaStreamPos(0)");
    const auto play = std::find(plugin.calls.begin(), plugin.calls.end(), "playMediaStream");
    ASSERT_NE(seek, plugin.calls.end());
    EXPECT_LT(play, seek);
}

TEST_F(VideoWindowLogicTest, PosBar_ClampsAndSeeksOnlyOnChange) {
    logic.btnPlayClick();
    plugin.calls.clear();
    logic.SetPosBarPosition(200000);  // beyond the end: clamps to 90000
    logic.SetPosBarPosition(95000);   // clamps to the same 90000: no change, no seek
    logic.SetPosBarPosition(-5);      // clamps to 0
    const std::vector<std::string> expected = {"setMediaStreamPos(900000000)",
                                               "setMediaStreamPos(0)"};
    EXPECT_EQ(plugin.calls, expected);
}

TEST_F(VideoWindowLogicTest, KeysAndSlider_MovePosBarWithinBounds) {
    logic.btnPlayClick();  // 90000 ms
    logic.StepPosBar(false);
    EXPECT_EQ(logic.PosBar().Position(), 0);
    logic.SetPosBarPosition(87000);
    logic.StepPosBar(true);
    EXPECT_EQ(logic.PosBar().Position(), 89999);
    logic.StepPosBar(false);
    EXPECT_EQ(logic.PosBar().Position(), 84999);
    plugin.duration = 10'010'000;  // 1001 ms: 1001 * 140 / 280 = 500.5 -> 500 (half to even)
    logic.btnPlayClick();
    logic.SetPosBarFraction(140, 280);
    EXPECT_EQ(logic.PosBar().Position(), 500);
}

TEST_F(VideoWindowLogicTest, Timer_LeavesPosBarAloneWithoutDuration) {
    logic.btnPlayClick();
    logic.SetPosBarPosition(1234);
    for (int64_t duration : {int64_t{0}, int64_t{-1}}) {
        plugin.duration = duration;
        plugin.position = 700'000'000;
        logic.Timer1Timer();
        EXPECT_EQ(logic.PosBar().Position(), 1234) << duration;
    }
}

TEST_F(VideoWindowLogicTest, Wheel_GrowsAndShrinksByNotch) {
    logic.FormMouseWheel(1);
    EXPECT_EQ(host.window, (Bounds{100, 80, 642, 392}));
    logic.FormMouseWheel(-2);
    EXPECT_EQ(host.window, (Bounds{100, 80, 578, 344}));
}

TEST_F(VideoWindowLogicTest, DoubleClickTwice_RestoresExactBounds) {
    const Bounds before = host.window;
    logic.VideoPnlDblClick();
    EXPECT_EQ(host.window, (Bounds{0, 0, 1280, 1024}));
    EXPECT_EQ(logic.FillScreen(), -1);
    logic.VideoPnlDblClick();
    EXPECT_EQ(host.window, before);
    EXPECT_EQ(logic.FillScreen(), 0);
}

TEST_F(VideoWindowLogicTest, CloseWhilePlaying_FreesOnceAndClosesTwiceOnly) {
    logic.FormShow();
    logic.btnPlayClick();
    logic.FormClose();
    EXPECT_EQ(plugin.frees, 1);
    EXPECT_FALSE(plugin.loaded);
    EXPECT_EQ(host.playState, 0);
    EXPECT_EQ(host.mainStops, 2);  // the outer close and the nested one; no third
    EXPECT_EQ(host.closes, 2);
    EXPECT_FALSE(host.timerOn);
}

TEST_F(VideoWindowLogicTest, Stop_FreesAndLeavesFullScreen) {
    logic.btnPlayClick();
    plugin.fullScreen = 1;
    plugin.calls.clear();
    logic.btnStopClick();
    const std::vector<std::string> expected = {"MediaStreamPlayed", "stopMediaStream",
                                               "freeMediaStream", "getFullScreenVideo",
                                               "setFullScreenVideo(0)"};
    EXPECT_EQ(plugin.calls, expected);
    // With nothing loaded, stop closes the window (as at program end).
    host.playState = 0;
    logic.btnStopClick();
    EXPECT_EQ(host.closes, 1);
}

TEST_F(VideoWindowLogicTest, End_ReportedOncePerPlayAndNotWithoutAStream) {
    logic.Timer1Timer();
    EXPECT_EQ(host.ends, 0);  // nothing loaded
    logic.btnPlayClick();
    logic.Timer1Timer();
    EXPECT_EQ(host.ends, 0);  // playing
    plugin.ended = true;
    logic.Timer1Timer();
    logic.Timer1Timer();
    EXPECT_EQ(host.ends, 1);  // held on its last picture: one report
    logic.btnPlayClick();     // the same video again (Replay One)
    logic.Timer1Timer();
    EXPECT_EQ(host.ends, 2);
}

struct PlaceCase {
    const char* name;
    Bounds main;
    Bounds expected;
};

class PlaceBesideMainTest : public ::testing::TestWithParam<PlaceCase> {};

// The video window (610 x 368) on a 1280 x 1024 work area, wherever the main window (320 x
// 480) stands: always whole on the area.
TEST_P(PlaceBesideMainTest, OpensWholeOnTheScreen) {
    const PlaceCase& c = GetParam();
    const Bounds area{0, 0, 1280, 1024};
    const Bounds placed = PlaceBesideMain(c.main, area, 610, 368);
    EXPECT_EQ(placed, c.expected);
    EXPECT_GE(placed.left, 0);
    EXPECT_GE(placed.top, 0);
    EXPECT_LE(placed.left + placed.width, 1280);
    EXPECT_LE(placed.top + placed.height, 1024);
}

INSTANTIATE_TEST_SUITE_P(
    Positions, PlaceBesideMainTest,
    ::testing::Values(PlaceCase{"RightWhereItFits", {100, 100, 320, 480}, {420, 100, 610, 368}},
                      PlaceCase{"LeftWhenRightIsShort", {900, 50, 320, 480}, {290, 50, 610, 368}},
                      PlaceCase{"CentredWhenNeitherFits", {400, 0, 320, 480}, {335, 328, 610, 368}},
                      PlaceCase{
                          "LevelTopMovedUpIntoTheArea", {0, 900, 320, 480}, {320, 656, 610, 368}},
                      PlaceCase{"MainOffTheLeftEdge", {-600, 10, 320, 480}, {335, 328, 610, 368}},
                      PlaceCase{"MainOffTheRightEdge", {1500, 10, 320, 480}, {335, 328, 610, 368}},
                      PlaceCase{"MainAboveTheScreen", {50, -700, 320, 480}, {370, 0, 610, 368}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tv::video
