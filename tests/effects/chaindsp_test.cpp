// The chain model driving real effects: what the equalizer and turbo bass do to a sine.

#include <gtest/gtest.h>

#include "dspfake.h"
#include "effects/effectchain.h"

namespace tv::testing {
namespace {

class ChainDsp : public ::testing::Test {
protected:
    ChainDsp() { fake.liveChannels.insert(1); }
    double GainAt(double hz) {
        auto signal = StereoSine(hz, kRate);
        const auto input = signal;
        fake.Render(signal);
        return ToDb(Rms(signal, 1, kRate / 2, kRate) / Rms(input, 1, kRate / 2, kRate));
    }
    DspFakeLibrary fake;
    effects::EffectChain chain{fake, [] { return effects::ChannelState{1, true}; }};
};

TEST_F(ChainDsp, TurboBassAloneRaisesEightyHertzByItsThreeFilters) {
    chain.SetEffectChecked(effects::DjEffect::Bass, true);
    ASSERT_EQ(fake.effects.size(), 3u);
    const double expected = PeakDb(80, 6, 80) + PeakDb(170, 5, 80) + PeakDb(310, 4, 80);
    EXPECT_NEAR(expected, 6.6, 0.5);
    EXPECT_NEAR(GainAt(80), expected, 0.5);
    EXPECT_NEAR(GainAt(10000), 0.0, 0.1);  // the upper bands are untouched
}

TEST_F(ChainDsp, TurboBassWithTheEqualizerUsesTurboGainsLowAndSlidersAbove) {
    chain.SetEqualizerChecked(true);
    chain.SetPresetIndex(8);  // Voice
    chain.boxEQSelectChange();
    chain.SetEffectChecked(effects::DjEffect::Bass, true);
    ASSERT_EQ(fake.effects.size(), 10u);
    const effects::EqRecord applied = {6, 5, 4, 1, 0, 0, 0, -4, -6, -8};
    for (double hz : {80.0, 600.0, 14000.0}) {
        double expected = 0;
        for (int i = 0; i < effects::kBandCount; ++i)
            expected += PeakDb(effects::EqBandFrequencies[i], applied[i], hz);
        EXPECT_NEAR(GainAt(hz), expected, 0.5) << hz;
    }
}

TEST_F(ChainDsp, AllSingleEffectsTogetherStayFiniteAndAudible) {
    for (auto e : {effects::DjEffect::Flange, effects::DjEffect::Chorus, effects::DjEffect::Echo,
                   effects::DjEffect::Reverb})
        chain.SetEffectChecked(e, true);
    ASSERT_EQ(fake.effects.size(), 4u);
    auto signal = StereoSine(440, 2 * kRate, 0.5);
    fake.Render(signal);
    for (float v : signal)
        ASSERT_TRUE(std::isfinite(v));
    EXPECT_GT(Rms(signal, 0, kRate, 2 * kRate), 0.01);
    EXPECT_LT(Rms(signal, 0, kRate, 2 * kRate), 2.0);
}

}  // namespace
}  // namespace tv::testing
