// The wheel's output volume: starts at the output volume read at start-up, moves by exactly one per
// notch within 0..100 and sets the library's output volume every notch.

#include <gtest/gtest.h>

#include "core/wheelvolume.h"
#include "tests/fakes/fakeaudiolibrary.h"

namespace tv::core {
namespace {

TEST(WheelVolumeTest, NotchesStepByOneWithinZeroToHundred) {
    testing::FakeAudioLibrary lib;
    WheelVolume wheel(lib);
    wheel.Start(95);
    EXPECT_EQ(wheel.Offset(), 95);
    for (int i = 0; i < 10; ++i)
        wheel.Notch(true);
    EXPECT_EQ(lib.volume, 100);
    EXPECT_EQ(lib.CallsStartingWith("SetVolume").size(), 10u);  // set even at the top
    lib.volume = 3;  // someone else moved it: the knob keeps its own offset
    wheel.Notch(false);
    EXPECT_EQ(lib.volume, 99);
    for (int i = 0; i < 120; ++i)
        wheel.Notch(false);
    EXPECT_EQ(lib.volume, 0);
}

TEST(WheelVolumeTest, FailingVolumeQueryStartsAtZero) {
    testing::FakeAudioLibrary lib;
    WheelVolume wheel(lib);
    wheel.Start(-1);
    EXPECT_EQ(wheel.Offset(), 0);
    wheel.Notch(true);
    EXPECT_EQ(lib.volume, 1);
}

}  // namespace
}  // namespace tv::core
