// The stereo rotation processor on float frames.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "effects/rotation.h"

namespace tv::testing {
namespace {

using effects::RotateDspProc;
using effects::RotateState;

// Runs the processor over `frames` frames of constant full-scale input in blocks of 1024 and
// returns the output.
std::vector<float> Rotate(RotateState& state, int frames, float left = 1.0f, float right = 1.0f) {
    std::vector<float> buf(2 * static_cast<size_t>(frames));
    for (int i = 0; i < frames; ++i)
        buf[2 * i] = left, buf[2 * i + 1] = right;
    for (int at = 0; at < frames; at += 1024)
        RotateDspProc(1, 2, buf.data() + 2 * at, std::min(1024, frames - at), &state);
    return buf;
}

TEST(Rotation, StartsEvenThenSilencesTheRightSideAQuarterSweepLater) {
    RotateState state;
    state.RotatePhase = effects::kRotateStartPhase;
    const auto out = Rotate(state, 40000);
    EXPECT_NEAR(out[0], std::sqrt(0.5), 1e-6);
    EXPECT_NEAR(out[1], std::sqrt(0.5), 1e-6);
    int quietest = 0;
    for (int i = 0; i < 40000; ++i)
        if (std::abs(out[2 * i + 1]) < std::abs(out[2 * quietest + 1]))
            quietest = i;
    EXPECT_NEAR(quietest, 26180, 200);
    EXPECT_LT(std::abs(out[2 * quietest + 1]), 1e-3);
    EXPECT_NEAR(out[2 * quietest], 1.0f, 1e-6);  // all on the left
}

TEST(Rotation, PhaseStaysWithinZeroToPiAndWrapsAfterThreeQuarterSweeps) {
    RotateState state;
    state.RotatePhase = effects::kRotateStartPhase;
    float phase = effects::kRotateStartPhase;
    int wrapAt = -1;
    for (int i = 1; i <= 400000; ++i) {
        const float next = effects::NextRotatePhase(phase);
        ASSERT_GE(next, 0.0f) << i;
        ASSERT_LT(next, effects::kRotatePi) << i;
        if (next < phase && wrapAt < 0)
            wrapAt = i;
        phase = next;
    }
    EXPECT_NEAR(wrapAt, 78540, 200);

    // The processor keeps the same phase in its state across blocks.
    Rotate(state, 100000);
    float expected = effects::kRotateStartPhase;
    for (int i = 0; i < 100000; ++i)
        expected = effects::NextRotatePhase(expected);
    EXPECT_EQ(state.RotatePhase.load(), expected);
}

TEST(Rotation, FullScaleProductsAreLimitedInsteadOfFlippingSign) {
    RotateState state;
    state.RotatePhase = 3.1415f;  // cos close to -1
    const auto out = Rotate(state, 1, 1.0f, -1.0f);
    EXPECT_GT(out[1], 0.999f);
    EXPECT_LE(out[1], 1.0f);

    RotateState loud;
    loud.RotatePhase = std::numbers::pi_v<float> / 2;
    const auto clipped = Rotate(loud, 1, 1.5f, 0.0f);
    EXPECT_EQ(clipped[0], 1.0f);
}

TEST(Rotation, NoStateOrNoFramesLeavesTheBufferAlone) {
    std::vector<float> buf = {0.5f, 0.5f};
    RotateDspProc(1, 2, buf.data(), 1, nullptr);
    EXPECT_EQ(buf, (std::vector<float>{0.5f, 0.5f}));
    RotateState state;
    state.RotatePhase = 1.0f;
    RotateDspProc(1, 2, buf.data(), 0, &state);
    EXPECT_EQ(state.RotatePhase.load(), 1.0f);
}

}  // namespace
}  // namespace tv::testing
