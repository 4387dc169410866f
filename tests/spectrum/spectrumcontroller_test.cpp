// The display's logic: when a tick draws, what it draws from, the menu's tick rules, the
// left-click cycle, and the settings keys.

#include <limits>
#include <optional>
#include <stdexcept>

#include <gtest/gtest.h>

#include "spectrum/spectrumcontroller.h"
#include "spectrumfake.h"
#include "spectrumtesting.h"
#include "tests/fakes/casename.h"

namespace tv::spectrum {
namespace {

using Item = SpectrumMenuItem;
using testing::HeightFromBottom;

const QColor kGrey(64, 64, 64);

QImage Pattern() {
    QImage picture(100, 24, QImage::Format_RGB32);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 100; ++x)
            picture.setPixelColor(x, y, QColor(0, 100 + y, 10 + x));
    return picture;
}

class SpectrumControllerTest : public ::testing::Test {
protected:
    SpectrumControllerTest()
        : background(Pattern()),
          c(
              lib, [this] { return playState; }, [this] { return channel; }, background) {
        lib.liveChannels.insert(channel);
    }
    std::vector<Item> Ticked() const {
        std::vector<Item> out;
        for (int i = 0; i < kSpectrumMenuItemCount; ++i)
            if (c.Menu().Checked(static_cast<Item>(i)))
                out.push_back(static_cast<Item>(i));
        return out;
    }
    int BarHeight() const { return HeightFromBottom(c.Canvas(), 0, kGrey); }

    ::tv::testing::FakeAudioLibrary lib;
    int playState = SpectrumController::kPlayStateAudioPlaying;
    audio::Handle channel = 7;
    QImage background;
    SpectrumController c;
};

TEST_F(SpectrumControllerTest, Start_DesignedSetUpTicksAndBackground) {
    EXPECT_EQ(c.Settings(), (SpectrumSettings{1, 50, false}));
    EXPECT_EQ(Ticked(), (std::vector<Item>{Item::Mode21, Item::Normal1}));
    EXPECT_TRUE(c.TimerEnabled());
    EXPECT_TRUE(c.TimerRunning());
    const TSpectrum& p = c.Painter();
    EXPECT_EQ(p.MaxLevel, 24);
    EXPECT_EQ(p.BarFall, 2);
    EXPECT_EQ(p.PeakFall, 1);
    EXPECT_EQ(p.BarColor, kGrey);
    EXPECT_EQ(p.PeakColor, kGrey);
    EXPECT_TRUE(p.UseBackground);
    EXPECT_TRUE(testing::SamePixels(c.Canvas(), background));
    EXPECT_TRUE(lib.calls.empty());
}

class SpectrumNotPlaying : public SpectrumControllerTest,
                           public ::testing::WithParamInterface<int> {};

// Stopped, paused or video: no data request, and the box keeps its last frame.
TEST_P(SpectrumNotPlaying, Tick_RequestsNothingAndKeepsLastFrame) {
    lib.fftValue = 0.03f;
    ASSERT_TRUE(c.tmrFFTTimer());
    const QImage last = c.Canvas().copy();
    const auto levels = c.Painter().BarLevels;
    lib.ClearCalls();
    playState = GetParam();
    lib.fftValue = 0.0f;
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(c.tmrFFTTimer());
    EXPECT_TRUE(lib.calls.empty());
    EXPECT_EQ(c.Canvas(), last);
    EXPECT_EQ(c.Painter().BarLevels, levels);
}

INSTANTIATE_TEST_SUITE_P(States, SpectrumNotPlaying, ::testing::Values(0, 12, 21, 22, 1),
                         tv::cases::ValueName());

TEST_F(SpectrumControllerTest, Tick_RequestsFftOfCurrentChannelAndShowsFrame) {
    lib.fftValue = 0.048f;
    EXPECT_TRUE(c.tmrFFTTimer());
    EXPECT_EQ(lib.calls, (std::vector<std::string>{"ChannelGetData(7,2147483649)"}));
    EXPECT_EQ(BarHeight(), 24);
    EXPECT_TRUE(testing::SamePixels(c.Canvas(), c.Painter().FrameBitmap()));
    EXPECT_EQ(c.Canvas().pixelColor(3, 0), background.pixelColor(3, 0));  // the gap
}

TEST_F(SpectrumControllerTest, PauseThenResume_ContinuesFromStoredLevels) {
    lib.fftValue = 0.048f;
    c.tmrFFTTimer();
    lib.fftValue = 0.0f;
    c.tmrFFTTimer();  // 22
    playState = 12;
    for (int i = 0; i < 4; ++i)
        c.tmrFFTTimer();
    EXPECT_EQ(BarHeight(), 22);
    playState = 11;
    c.tmrFFTTimer();
    EXPECT_EQ(BarHeight(), 20);
}

TEST_F(SpectrumControllerTest, FailingRequest_DrawsFromPreviousFrame) {
    lib.fftValue = 0.048f;
    c.tmrFFTTimer();
    lib.liveChannels.clear();  // the channel is gone: every request fails
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(c.tmrFFTTimer());
    EXPECT_EQ(lib.CallsStartingWith("ChannelGetData").size(), 4u);
    // The previous frame was loud, so the bars stay up instead of falling.
    EXPECT_EQ(BarHeight(), 24);
}

TEST_F(SpectrumControllerTest, FailingRequestBeforeAnyData_DrawsSilence) {
    channel = 0;
    lib.fftValue = 1.0f;
    EXPECT_TRUE(c.tmrFFTTimer());
    EXPECT_TRUE(testing::SamePixels(c.Canvas(), background));
}

// A library that scribbles into the buffer and then reports failure, or throws.
class UnreliableLibrary : public ::tv::testing::FakeAudioLibrary {
public:
    bool throws = false;
    int32_t ChannelGetData(audio::Handle, float* buffer, uint32_t) override {
        for (int i = 0; i < 512; ++i)
            buffer[i] = i % 2 ? 1.0f : std::numeric_limits<float>::quiet_NaN();
        if (throws)
            throw std::runtime_error("device lost");
        return -1;
    }
};

TEST(SpectrumControllerFaults, HalfWrittenFailedRequestOrThrow_LeavesDisplayAsBefore) {
    UnreliableLibrary lib;
    SpectrumController c(
        lib, [] { return 11; }, [] { return audio::Handle{3}; }, QImage());
    for (bool throws : {false, true}) {
        lib.throws = throws;
        const bool drew = c.tmrFFTTimer();
        EXPECT_EQ(drew, !throws);
        EXPECT_EQ(c.Painter().BarLevels[0], 0);
        EXPECT_EQ(c.Painter().BarLevels[1], 0);
        EXPECT_EQ(HeightFromBottom(c.Canvas(), 0, kGrey), 0);
    }
}

// Delivers a moving spectrum without recording the call, so that only the display's own
// work is counted.
class QuietLibrary : public ::tv::testing::FakeAudioLibrary {
public:
    int32_t ChannelGetData(audio::Handle, float* buffer, uint32_t) override {
        for (int i = 0; i < 512; ++i)
            buffer[i] = (n % 2 ? 0.05f : 0.01f) / (1 + i % 7);
        ++n;
        return 4096;
    }
    int n = 0;
};

TEST(SpectrumControllerCost, Tick_AllocatesNothing) {
    QuietLibrary lib;
    SpectrumController c(
        lib, [] { return 11; }, [] { return audio::Handle{2}; }, Pattern());
    c.ApplyPeak(true);
    for (int mode : {kModeLines, kModeBigLines, kModeNone}) {
        c.ApplySpectrumMode(mode);
        c.tmrFFTTimer();
        const std::size_t before = testing::AllocationCount();
        for (int i = 0; i < 40; ++i)
            ASSERT_TRUE(c.tmrFFTTimer());
        EXPECT_EQ(testing::AllocationCount() - before, 0u) << "mode " << mode;
    }
    EXPECT_EQ(lib.n, 123);
}

struct RadioCase {
    Item item;
    int mode;      // Mode after the choice, or -1 when the item is a speed
    int interval;  // interval after the choice, or -1 when the item is a mode
};

class SpectrumMenuRadio : public SpectrumControllerTest,
                          public ::testing::WithParamInterface<RadioCase> {};

// A radio choice ticks the item alone in its submenu; choosing it again unticks it and
// still applies its value. The other submenu is never touched.
TEST_P(SpectrumMenuRadio, ChooseTwice_TicksThenUnticksAndValueStays) {
    const RadioCase& rc = GetParam();
    const SpectrumSubmenu own = SpectrumMenuModel::SubmenuOf(rc.item);
    const SpectrumSubmenu other =
        own == SpectrumSubmenu::Mode ? SpectrumSubmenu::Speed : SpectrumSubmenu::Mode;
    const auto otherTick = c.Menu().CheckedRadio(other);
    const SpectrumSettings before = c.Settings();
    for (int round = 0; round < 3; ++round) {
        c.ChooseMenuItem(rc.item);
        const bool ticked = c.Menu().Checked(rc.item);
        EXPECT_EQ(c.Menu().CheckedRadio(own), ticked ? std::optional<Item>(rc.item) : std::nullopt);
        EXPECT_EQ(c.Menu().CheckedRadio(other), otherTick);
        EXPECT_EQ(c.SpectrumMode(), rc.mode >= 0 ? rc.mode : before.mode);
        EXPECT_EQ(c.SpectrumSpeed(), rc.interval >= 0 ? rc.interval : before.speed);
        EXPECT_FALSE(c.Peak());
    }
    // Three choices from the designed state: the designed ticks end up unticked, the others
    // ticked.
    const bool designed = rc.item == Item::Mode21 || rc.item == Item::Normal1;
    EXPECT_EQ(c.Menu().Checked(rc.item), !designed);
}

INSTANTIATE_TEST_SUITE_P(
    Items, SpectrumMenuRadio,
    ::testing::Values(RadioCase{Item::Mode21, 1, -1}, RadioCase{Item::Mode11, 0, -1},
                      RadioCase{Item::Mode31, 2, -1}, RadioCase{Item::Low1, -1, 70},
                      RadioCase{Item::Normal1, -1, 50}, RadioCase{Item::High1, -1, 30},
                      RadioCase{Item::Ultra1, -1, 10}),
    tv::cases::NumberedNameFrom(&RadioCase::item));

TEST_F(SpectrumControllerTest, Peak_TogglesTickAndShowPeaksTogether) {
    c.ChooseMenuItem(Item::DPeak);
    EXPECT_TRUE(c.Peak());
    EXPECT_EQ(Ticked(), (std::vector<Item>{Item::Mode21, Item::DPeak, Item::Normal1}));
    c.ChooseMenuItem(Item::DPeak);
    EXPECT_FALSE(c.Peak());
    EXPECT_EQ(Ticked(), (std::vector<Item>{Item::Mode21, Item::Normal1}));
}

TEST_F(SpectrumControllerTest, LeftClick_CyclesByTickedModeAndStopsWithoutTick) {
    const std::pair<Item, int> cycle[] = {
        {Item::Mode31, 2}, {Item::Mode11, 0}, {Item::Mode21, 1}, {Item::Mode31, 2}};
    for (const auto& [item, mode] : cycle) {
        c.boxPaintClick();
        EXPECT_EQ(c.Menu().CheckedRadio(SpectrumSubmenu::Mode), item);
        EXPECT_EQ(c.SpectrumMode(), mode);
    }
    c.ChooseMenuItem(Item::Mode31);  // chosen twice: no mode item ticked any more
    ASSERT_EQ(c.Menu().CheckedRadio(SpectrumSubmenu::Mode), std::nullopt);
    c.boxPaintClick();
    EXPECT_EQ(c.SpectrumMode(), 2);
    EXPECT_EQ(c.Menu().CheckedRadio(SpectrumSubmenu::Mode), std::nullopt);
    c.ChooseMenuItem(Item::Mode11);
    c.boxPaintClick();
    EXPECT_EQ(c.SpectrumMode(), 1);
}

struct SettingsCase {
    SpectrumSettings read;
    std::vector<Item> ticks;
};

class SpectrumSettingsLoad : public SpectrumControllerTest,
                             public ::testing::WithParamInterface<SettingsCase> {};

// Values with a menu item tick it; others are used as read and leave the designed ticks.
TEST_P(SpectrumSettingsLoad, AppliesValuesAndTicks_WritesBackAsRead) {
    c.ApplySettings(GetParam().read);
    EXPECT_EQ(c.Settings(), GetParam().read);
    EXPECT_EQ(c.Painter().Mode, GetParam().read.mode);
    EXPECT_EQ(c.Painter().ShowPeaks, GetParam().read.peak);
    EXPECT_EQ(c.Interval(), GetParam().read.speed);
    EXPECT_EQ(Ticked(), GetParam().ticks);
}

INSTANTIATE_TEST_SUITE_P(
    Values, SpectrumSettingsLoad,
    ::testing::Values(SettingsCase{{1, 50, false}, {Item::Mode21, Item::Normal1}},
                      SettingsCase{{0, 10, true}, {Item::Mode11, Item::DPeak, Item::Ultra1}},
                      SettingsCase{{2, 70, false}, {Item::Mode31, Item::Low1}},
                      SettingsCase{{1, 30, true}, {Item::Mode21, Item::DPeak, Item::High1}},
                      SettingsCase{{5, 20, false}, {Item::Mode21, Item::Normal1}},
                      SettingsCase{{-1, 0, false}, {Item::Mode21, Item::Normal1}}),
    [](const auto& info) { return "Settings" + std::to_string(info.index); });

TEST_F(SpectrumControllerTest, Timer_ListenerSeesEveryChange_NoTicksWithoutPositiveInterval) {
    int notified = 0;
    c.SetTimerListener([&] { ++notified; });
    c.ChooseMenuItem(Item::Ultra1);
    EXPECT_EQ(notified, 1);
    c.SetTimerEnabled(false);
    EXPECT_FALSE(c.TimerRunning());
    c.SetTimerEnabled(false);  // no change, no call
    EXPECT_EQ(notified, 2);
    c.SetTimerEnabled(true);
    EXPECT_TRUE(c.TimerRunning());
    for (int interval : {0, -5}) {
        c.ApplySpectrumSpeed(interval);
        EXPECT_FALSE(c.TimerRunning()) << interval;
        EXPECT_EQ(c.SpectrumSpeed(), interval);
    }
    EXPECT_EQ(notified, 5);
}

}  // namespace
}  // namespace tv::spectrum
