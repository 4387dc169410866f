// The painter: levels from magnitudes, falling bars and peaks, the three modes, the
// background, and what a frame costs in allocations.

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include <QPainter>

#include "spectrum/spectrum.h"
#include "spectrumtesting.h"
#include "tests/fakes/casename.h"

namespace tv::spectrum {
namespace {

using testing::CountInColumn;
using testing::FilledFrame;
using testing::HeightFromBottom;
using testing::MagnitudeFor;

const QColor kBar(200, 0, 0);
const QColor kPeak(0, 200, 0);
const QColor kFill(0, 0, 200);

// A painter set up like the program's (100 x 24, bars falling 2, peaks 1), with colours that
// tell bar, peak and background pixels apart.
class SpectrumPainter : public ::testing::Test {
protected:
    SpectrumPainter() : s(100, 24) {
        s.MaxLevel = 24;
        s.BarColor = kBar;
        s.PeakColor = kPeak;
        s.BackgroundColor = kFill;
        s.BarFall = 2;
        s.ShowPeaks = false;
    }
    void DrawFrame(const FftFrame& fft) { s.Draw(nullptr, fft, 0, 0); }
    const QImage& Frame() const { return s.FrameBitmap(); }

    TSpectrum s;
};

struct LevelCase {
    float magnitude;
    int height;
};

class SpectrumLevel : public SpectrumPainter, public ::testing::WithParamInterface<LevelCase> {};

// 0.048 x 500 = 24 fills the box; below 0.002 nothing shows; the sign does not matter and
// values the conversion could not hold are clamped or taken as silence.
TEST_P(SpectrumLevel, LinesMode_EveryColumnShowsTruncatedLevel) {
    s.Mode = kModeLines;
    DrawFrame(FilledFrame(GetParam().magnitude));
    for (int x = 0; x < 100; ++x) {
        ASSERT_EQ(HeightFromBottom(Frame(), x, kBar), GetParam().height) << "column " << x;
        ASSERT_EQ(CountInColumn(Frame(), x, kBar), GetParam().height) << "column " << x;
    }
}

INSTANTIATE_TEST_SUITE_P(Magnitudes, SpectrumLevel,
                         ::testing::Values(LevelCase{0.048f, 24}, LevelCase{0.05f, 24},
                                           LevelCase{1.0f, 24}, LevelCase{0.0479f, 23},
                                           LevelCase{0.0021f, 1}, LevelCase{0.0019f, 0},
                                           LevelCase{0.0f, 0}, LevelCase{0.0101f, 5},
                                           LevelCase{-0.0101f, 5}, LevelCase{1e30f, 24},
                                           LevelCase{std::numeric_limits<float>::infinity(), 24},
                                           LevelCase{std::numeric_limits<float>::quiet_NaN(), 0}),
                         tv::cases::NameFrom(&LevelCase::magnitude));

TEST_F(SpectrumPainter, FromFullHeight_BarEmptyAfter12FramesPeakAfter24) {
    s.Mode = kModeLines;
    s.ShowPeaks = true;
    DrawFrame(FilledFrame(0.048f));
    EXPECT_EQ(HeightFromBottom(Frame(), 0, kBar), 24);
    for (int frame = 1; frame <= 26; ++frame) {
        DrawFrame(FilledFrame(0.0f));
        const int bar = std::max(24 - 2 * frame, 0);
        const int peak = std::max(24 - frame, 0);
        ASSERT_EQ(s.BarLevels[0], bar) << "frame " << frame;
        ASSERT_EQ(s.PeakLevels[0], peak) << "frame " << frame;
        // The peak dot floats above the bar (touching it when one pixel higher); at level 0
        // it lies just below the frame, so an empty bin paints nothing at all.
        for (int row = 0; row < 24; ++row) {
            const bool painted = row >= 24 - bar || (peak > 0 && row == 24 - peak);
            ASSERT_EQ(Frame().pixelColor(0, row), painted ? kBar : kFill)
                << "frame " << frame << " row " << row;
        }
    }
    EXPECT_EQ(CountInColumn(Frame(), 0, kBar), 0);
}

TEST_F(SpectrumPainter, SteadyLevel_HoldsBarAndPeak) {
    s.Mode = kModeLines;
    s.ShowPeaks = true;
    for (int frame = 0; frame < 4; ++frame) {
        DrawFrame(FilledFrame(MagnitudeFor(15)));
        ASSERT_EQ(s.BarLevels[7], 15) << "frame " << frame;
        ASSERT_EQ(s.PeakLevels[7], 15) << "frame " << frame;
        ASSERT_EQ(CountInColumn(Frame(), 7, kBar), 15) << "frame " << frame;
    }
}

TEST_F(SpectrumPainter, RisingLevel_TakesOverAtOnceWhileFallingPeakKeepsFalling) {
    s.Mode = kModeLines;
    DrawFrame(FilledFrame(MagnitudeFor(24)));
    DrawFrame(FilledFrame(0.0f));
    DrawFrame(FilledFrame(0.0f));
    DrawFrame(FilledFrame(MagnitudeFor(12)));  // below the bar: bar 18, peak 21
    DrawFrame(FilledFrame(MagnitudeFor(19)));  // above the bar, below the peak
    EXPECT_EQ(s.BarLevels[0], 19);
    EXPECT_EQ(s.PeakLevels[0], 20);
    DrawFrame(FilledFrame(MagnitudeFor(23)));
    EXPECT_EQ(s.BarLevels[0], 23);
    EXPECT_EQ(s.PeakLevels[0], 23);
    EXPECT_EQ(HeightFromBottom(Frame(), 0, kBar), 23);
}

TEST_F(SpectrumPainter, LinesMode_ColumnIShowsElement5PlusI_AndNothingElse) {
    s.Mode = kModeLines;
    FftFrame fft = FilledFrame(0.0f);
    for (int e = 0; e < 5; ++e)
        fft[e] = 1.0f;  // never shown
    for (int i = 0; i < 100; ++i)
        fft[5 + i] = MagnitudeFor(i % 25);
    for (int e = 105; e < 512; ++e)
        fft[e] = 1.0f;  // bins 100..128 and beyond: off the box
    DrawFrame(fft);
    for (int x = 0; x < 100; ++x) {
        ASSERT_EQ(HeightFromBottom(Frame(), x, kBar), std::min(x % 25, 24)) << "column " << x;
        ASSERT_EQ(CountInColumn(Frame(), x, kBar), std::min(x % 25, 24)) << "column " << x;
    }
    EXPECT_EQ(s.BarLevels[100], 24);  // computed although clipped
    EXPECT_EQ(s.BarLevels[128], 24);
}

TEST_F(SpectrumPainter, BigLinesMode_25BarsThreeWideWithOnePixelGaps) {
    s.Mode = kModeBigLines;
    FftFrame fft = FilledFrame(1.0f);
    for (int i = 0; i < 25; ++i)
        fft[5 + i] = MagnitudeFor(i);
    DrawFrame(fft);
    for (int x = 0; x < 100; ++x) {
        const int bar = x / 4;
        const int expected = x % 4 == 3 ? 0 : std::min(bar, 24);
        ASSERT_EQ(HeightFromBottom(Frame(), x, kBar), expected) << "column " << x;
        ASSERT_EQ(CountInColumn(Frame(), x, kBar), expected) << "column " << x;
    }
}

TEST_F(SpectrumPainter, BigLinesMode_PeakStrokeInPeakColourAboveFallingBar) {
    s.Mode = kModeBigLines;
    s.ShowPeaks = true;
    DrawFrame(FilledFrame(0.048f));
    // At equal levels the bar covers its own peak stroke.
    EXPECT_EQ(CountInColumn(Frame(), 0, kPeak), 0);
    for (int i = 0; i < 3; ++i)
        DrawFrame(FilledFrame(0.0f));  // bar 18, peak 21
    for (int x = 0; x < 100; ++x) {
        const bool gap = x % 4 == 3;
        ASSERT_EQ(HeightFromBottom(Frame(), x, kBar), gap ? 0 : 18) << "column " << x;
        ASSERT_EQ(CountInColumn(Frame(), x, kPeak), gap ? 0 : 1) << "column " << x;
        if (!gap) {
            ASSERT_EQ(Frame().pixelColor(x, 24 - 21), kPeak) << "column " << x;
        }
    }
}

class SpectrumBlankMode : public SpectrumPainter, public ::testing::WithParamInterface<int> {};

// "None" and any unknown mode show only the background but keep the levels moving, so
// switching back shows bars that continue from where they are.
TEST_P(SpectrumBlankMode, ShowsOnlyBackground_LevelsKeepMoving) {
    QImage picture(100, 24, QImage::Format_RGB32);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 100; ++x)
            picture.setPixelColor(x, y, QColor(x, y * 10, 7));
    s.SetBackground(true, picture);
    s.ShowPeaks = true;
    s.Mode = GetParam();
    DrawFrame(FilledFrame(0.048f));
    EXPECT_TRUE(testing::SamePixels(Frame(), picture));
    DrawFrame(FilledFrame(0.0f));
    DrawFrame(FilledFrame(0.0f));
    EXPECT_TRUE(testing::SamePixels(Frame(), picture));
    EXPECT_EQ(s.BarLevels[0], 20);
    EXPECT_EQ(s.PeakLevels[0], 22);

    s.Mode = kModeBigLines;
    DrawFrame(FilledFrame(0.0f));
    EXPECT_EQ(HeightFromBottom(Frame(), 0, kBar), 18);
    EXPECT_EQ(Frame().pixelColor(3, 0), picture.pixelColor(3, 0));  // gap shows the picture
}

INSTANTIATE_TEST_SUITE_P(Modes, SpectrumBlankMode, ::testing::Values(kModeNone, 3, -1),
                         tv::cases::ValueName());

TEST_F(SpectrumPainter, Background_PictureOnlyWhenSwitchedOn_FillOtherwise) {
    QImage small(10, 4, QImage::Format_RGB32);
    small.fill(QColor(1, 2, 3));
    s.SetBackground(false, small);
    EXPECT_FALSE(s.UseBackground);
    DrawFrame(FilledFrame(0.0f));
    EXPECT_EQ(Frame().pixelColor(0, 0), kFill);
    EXPECT_EQ(Frame().pixelColor(99, 23), kFill);

    s.SetBackground(true, small);
    DrawFrame(FilledFrame(0.0f));
    EXPECT_EQ(Frame().pixelColor(9, 3), QColor(1, 2, 3));
    // The part the picture does not cover keeps the background image's black.
    EXPECT_EQ(Frame().pixelColor(10, 3), QColor(0, 0, 0));
    EXPECT_EQ(Frame().pixelColor(9, 4), QColor(0, 0, 0));
}

TEST_F(SpectrumPainter, Offset_MovesBinsButNotBackground) {
    s.Mode = kModeLines;
    s.ShowPeaks = true;
    FftFrame fft = FilledFrame(0.0f);
    fft[5] = MagnitudeFor(6);
    s.Draw(nullptr, fft, 10, -4);
    EXPECT_EQ(CountInColumn(Frame(), 0, kBar), 0);
    EXPECT_EQ(CountInColumn(Frame(), 10, kBar), 6);
    EXPECT_EQ(Frame().pixelColor(10, 19), kBar);  // bottom moved up by 4
    EXPECT_EQ(Frame().pixelColor(10, 20), kFill);
    EXPECT_EQ(Frame().pixelColor(10, 14), kBar);
    EXPECT_EQ(Frame().pixelColor(10, 13), kFill);
    // Moved up, the dots of silent bins (level 0) come into view on the old bottom row.
    EXPECT_EQ(CountInColumn(Frame(), 11, kBar), 1);
    EXPECT_EQ(Frame().pixelColor(11, 20), kBar);
}

TEST_F(SpectrumPainter, Draw_CopiesWholeFrameOntoTarget) {
    QImage target(100, 24, QImage::Format_RGB32);
    target.fill(Qt::white);
    QPainter painter(&target);
    FftFrame fft = FilledFrame(0.0f);
    for (int i = 0; i < 25; ++i)
        fft[5 + i] = MagnitudeFor(i);
    s.Draw(&painter, fft, 0, 0);
    painter.end();
    EXPECT_TRUE(testing::SamePixels(target, Frame()));
}

TEST_F(SpectrumPainter, Draw_AllocatesNothingPerFrame) {
    QImage target(100, 24, QImage::Format_RGB32);
    QPainter painter(&target);
    QImage picture(100, 24, QImage::Format_RGB32);
    picture.fill(QColor(9, 9, 9));
    s.SetBackground(true, picture);
    s.ShowPeaks = true;
    const FftFrame loud = FilledFrame(0.03f);
    const FftFrame quiet = FilledFrame(0.001f);
    for (int mode : {kModeLines, kModeBigLines, kModeNone}) {
        s.Mode = mode;
        s.Draw(&painter, loud, 0, 0);  // warm-up: first use of each path may set up caches
        const std::size_t before = testing::AllocationCount();
        for (int i = 0; i < 50; ++i)
            s.Draw(&painter, i % 2 ? loud : quiet, 0, 0);
        EXPECT_EQ(testing::AllocationCount() - before, 0u) << "mode " << mode;
    }
}

}  // namespace
}  // namespace tv::spectrum
