// The effect chain model against the recording fake: the calls ApplyEffects makes for each
// switch combination, the preset and slider behaviour, and the rotation's attach and detach.

#include <gtest/gtest.h>

#include "effects/effectchain.h"
#include "fakeaudiolibrary.h"
#include "tests/fakes/casename.h"

namespace tv::testing {
namespace {

using effects::DjEffect;
using effects::EffectChain;
using Calls = std::vector<std::string>;

class Chain : public ::testing::Test {
protected:
    Chain() { fake.liveChannels.insert(kChannel); }
    // The player's view of the channel: live while something plays.
    effects::ChannelState Query() const { return {kChannel, live}; }

    static constexpr audio::Handle kChannel = 7;
    FakeAudioLibrary fake;
    bool live = true;
    EffectChain chain{fake, [this] { return Query(); }};
};

TEST_F(Chain, FreshModelStartsAtDefaultWithNineSemitoneBands) {
    EXPECT_EQ(chain.PresetIndex(), 0);
    EXPECT_EQ(chain.EffectFlags(), 0);
    EXPECT_EQ(chain.EqGains(), effects::EqRecord{});
    EXPECT_EQ(chain.ParamEqRecord().fBandwidth, 9.0f);
    EXPECT_FALSE(chain.EqualizerChecked());
    EXPECT_FALSE(chain.EqControlsEnabled());
    EXPECT_TRUE(fake.calls.empty());
}

TEST_F(Chain, SingleEffectsAttachInOrderWithTheirFreshParametersWrittenBack) {
    chain.ApplyEffects(effects::kFlagFlanger | effects::kFlagChorus | effects::kFlagEcho |
                       effects::kFlagReverb);
    EXPECT_EQ(fake.calls,
              (Calls{"ChannelSetFX(7,4,1)", "FXGetParameters(100)", "FXSetParameters(100)",
                     "ChannelSetFX(7,0,1)", "FXGetParameters(101)", "FXSetParameters(101)",
                     "ChannelSetFX(7,3,1)", "FXGetParameters(102)", "FXSetParameters(102)",
                     "ChannelSetFX(7,8,1)", "FXGetParameters(103)", "FXSetParameters(103)"}));
    EXPECT_EQ(chain.EffectHandle(effects::kFlagEcho), 102u);
    // The record read back is the one written: the echo keeps its defaults.
    EXPECT_EQ(std::get<audio::EchoParams>(fake.fxParams.at(102)).fLeftDelay, 500.0f);

    // Everything off still removes all four, in order, and attaches nothing.
    fake.ClearCalls();
    chain.ApplyEffects(0);
    EXPECT_EQ(fake.calls, (Calls{"ChannelRemoveFX(7,100)", "ChannelRemoveFX(7,101)",
                                 "ChannelRemoveFX(7,102)", "ChannelRemoveFX(7,103)"}));
    EXPECT_EQ(chain.EffectHandle(effects::kFlagFlanger), 0u);
}

TEST_F(Chain, TurboBassAloneAttachesExactlyThreeBoostedBands) {
    chain.ApplyEffects(effects::kFlagTurboBass);
    EXPECT_EQ(fake.calls, (Calls{"ChannelSetFX(7,7,1)", "FXSetParameters(100,80,9,6)",
                                 "ChannelSetFX(7,7,1)", "FXSetParameters(101,170,9,5)",
                                 "ChannelSetFX(7,7,1)", "FXSetParameters(102,310,9,4)"}));
    EXPECT_EQ(chain.BandHandle(3), 0u);
}

TEST_F(Chain, TurboBassWithTheEqualizerOverridesTheLowThreeBandsOnly) {
    chain.SetPresetIndex(8);  // Voice: -8 -6 -4 +1 0 0 0 -4 -6 -8
    chain.boxEQSelectChange();
    const audio::Handle firstBand = chain.BandHandle(0);
    fake.ClearCalls();
    chain.ApplyEffects(effects::kFlagEqualizer | effects::kFlagTurboBass);
    const auto sets = fake.CallsStartingWith("FXSetParameters");
    ASSERT_EQ(sets.size(), 10u);
    EXPECT_NE(sets[0].find(",80,9,6)"), std::string::npos) << sets[0];
    EXPECT_NE(sets[2].find(",310,9,4)"), std::string::npos) << sets[2];
    EXPECT_NE(sets[3].find(",600,9,1)"), std::string::npos) << sets[3];
    EXPECT_NE(sets[9].find(",14000,9,-8)"), std::string::npos) << sets[9];
    // The removal of the previous ten comes first, bands in order.
    EXPECT_EQ(fake.calls.front(), "ChannelRemoveFX(7," + std::to_string(firstBand) + ")");
    EXPECT_EQ(fake.CallsStartingWith("ChannelRemoveFX").size(), 10u);
}

TEST_F(Chain, FailedAttachLeavesTheEffectOutButBandsStillGetTheirParameters) {
    fake.fxFails = true;
    chain.ApplyEffects(effects::kFlagEcho | effects::kFlagTurboBass);
    EXPECT_EQ(fake.calls,
              (Calls{"ChannelSetFX(7,3,1)", "ChannelSetFX(7,7,1)", "FXSetParameters(0,80,9,6)",
                     "ChannelSetFX(7,7,1)", "FXSetParameters(0,170,9,5)", "ChannelSetFX(7,7,1)",
                     "FXSetParameters(0,310,9,4)"}));
}

TEST_F(Chain, FailedRemovalKeepsItsHandleAndBlocksANewAttachOfThatKind) {
    chain.ApplyEffects(effects::kFlagFlanger | effects::kFlagTurboBass);
    fake.ClearCalls();
    fake.removeFxFails = true;
    chain.ApplyEffects(effects::kFlagFlanger | effects::kFlagTurboBass);
    EXPECT_EQ(fake.calls,
              (Calls{"ChannelRemoveFX(7,100)", "ChannelRemoveFX(7,101)", "ChannelRemoveFX(7,102)",
                     "ChannelRemoveFX(7,103)", "FXGetParameters(100)", "FXSetParameters(100)",
                     "FXSetParameters(101,80,9,6)", "FXSetParameters(102,170,9,5)",
                     "FXSetParameters(103,310,9,4)"}));
    EXPECT_EQ(chain.EffectHandle(effects::kFlagFlanger), 100u);
}

TEST_F(Chain, SwitchingWhileStoppedAttachesNothingUntilTheNextChannelOpens) {
    live = false;
    chain.SetEqualizerChecked(true);
    chain.SetEffectChecked(DjEffect::Chorus, true);
    chain.SetEffectChecked(DjEffect::Bass, true);
    chain.SetPresetIndex(1);
    chain.ClickButton5();
    chain.SetSliderPosition(4, -3);
    EXPECT_TRUE(fake.calls.empty());
    EXPECT_EQ(chain.EffectFlags(),
              effects::kFlagChorus | effects::kFlagTurboBass | effects::kFlagEqualizer);

    // The player opens a new channel: forget, start, apply.
    fake.liveChannels.insert(9);
    const audio::Handle stale = 0;
    chain.ForgetEffectHandles();
    chain.SetChannelQuery([] { return effects::ChannelState{9, true}; });
    chain.ApplyEffects(chain.EffectFlags());
    EXPECT_EQ(fake.CallsStartingWith("ChannelRemoveFX").size(), stale);
    EXPECT_EQ(fake.CallsStartingWith("ChannelSetFX(9,0,1)").size(), 1u);
    EXPECT_EQ(fake.CallsStartingWith("ChannelSetFX(9,7,1)").size(), 10u);
    // Rock with band 4 moved to +3, turbo on the first three.
    const auto sets = fake.CallsStartingWith("FXSetParameters(10");
    EXPECT_NE(std::find(sets.begin(), sets.end(), "FXSetParameters(105,1000,9,3)"), sets.end());
    EXPECT_NE(std::find(sets.begin(), sets.end(), "FXSetParameters(104,600,9,7)"), sets.end());
}

TEST_F(Chain, VideoPlaybackLeavesEveryCallFailingHarmlessly) {
    chain.ApplyEffects(effects::kFlagReverb);
    fake.liveChannels.clear();  // the audio channel was freed for the video
    fake.ClearCalls();
    chain.SetEffectChecked(DjEffect::Reverb, true);
    EXPECT_EQ(fake.calls.front(), "ChannelRemoveFX(7,100)");
    EXPECT_EQ(chain.EffectHandle(effects::kFlagReverb), 0u);
}

// --- presets and sliders --------------------------------------------------------------------

class Preset : public ::testing::TestWithParam<int> {};

TEST_P(Preset, LoadsItsGainsAndSlidersAndKeepsItsNameInTheBox) {
    FakeAudioLibrary fake;
    fake.liveChannels.insert(1);
    EffectChain chain(fake, [] { return effects::ChannelState{1, true}; });
    chain.SetPresetIndex(2);  // start from Rap, so every preset moves something
    chain.boxEQSelectChange();
    fake.ClearCalls();

    const int index = GetParam();
    chain.SetPresetIndex(index);
    chain.boxEQSelectChange();
    EXPECT_EQ(chain.PresetIndex(), index);
    EXPECT_EQ(chain.EqGains(), effects::EqPresets[index]);
    for (int band = 0; band < effects::kBandCount; ++band)
        EXPECT_EQ(chain.SliderPosition(band), -effects::EqPresets[index][band]);
    EXPECT_TRUE(chain.EffectFlags() & effects::kFlagEqualizer);
    EXPECT_FALSE(chain.PresetLoading());
    // The last application carries the preset's gains in band order.
    const auto sets = fake.CallsStartingWith("FXSetParameters");
    ASSERT_GE(sets.size(), 10u);
    for (int band = 0; band < effects::kBandCount; ++band) {
        const std::string tail = "," + std::to_string(effects::EqBandFrequencies[band]) + ",9," +
                                 std::to_string(effects::EqPresets[index][band]) + ")";
        const std::string& call = sets[sets.size() - 10 + band];
        EXPECT_EQ(call.substr(call.size() - tail.size()), tail);
    }
}

INSTANTIATE_TEST_SUITE_P(AllTen, Preset, ::testing::Range(0, effects::kPresetCount),
                         tv::cases::ValueName());

TEST_F(Chain, VoiceMovesTheLowestSliderEightStepsTowardsMinusFifteen) {
    chain.SetPresetIndex(8);
    chain.ClickButton5();
    // The top of a vertical slider is its minimum, so -8 dB sits at position +8.
    EXPECT_EQ(chain.SliderPosition(0), 8);
    EXPECT_EQ(chain.EqGains()[0], -8);
}

TEST_F(Chain, CustomIsAllZeroAndNoSelectionLoadsNothing) {
    chain.SetPresetIndex(8);
    chain.boxEQSelectChange();
    chain.SetPresetIndex(effects::kPresetCustom);
    chain.boxEQSelectChange();
    EXPECT_EQ(chain.EqGains(), effects::EqRecord{});

    chain.SetPresetIndex(1);
    chain.boxEQSelectChange();
    chain.SetPresetIndex(-1);
    chain.boxEQSelectChange();
    EXPECT_EQ(chain.EqGains(), effects::EqPresets[1]);
}

TEST_F(Chain, MovingASliderSwitchesTheBoxToCustomAndTurnsTheEqualizerBitOn) {
    chain.SetSliderPosition(9, -20);  // clamped to the top
    EXPECT_EQ(chain.SliderPosition(9), -15);
    EXPECT_EQ(chain.EqGains()[9], 15);
    EXPECT_EQ(chain.PresetIndex(), effects::kPresetCustom);
    EXPECT_TRUE(chain.EffectFlags() & effects::kFlagEqualizer);
    EXPECT_EQ(fake.CallsStartingWith("FXSetParameters").back(), "FXSetParameters(109,14000,9,15)");

    // A slider set to where it already is runs nothing; its button runs the handler anyway.
    fake.ClearCalls();
    chain.SetSliderPosition(9, -15);
    EXPECT_TRUE(fake.calls.empty());
    chain.ClickBandButton(9);
    EXPECT_EQ(fake.CallsStartingWith("ChannelRemoveFX").size(), 10u);
}

TEST_F(Chain, EqualizerSwitchRemovesTheBandsButKeepsTheGains) {
    chain.SetEqualizerChecked(true);
    EXPECT_TRUE(chain.EqControlsEnabled());
    chain.SetPresetIndex(6);
    chain.boxEQSelectChange();
    fake.ClearCalls();

    chain.SetEqualizerChecked(false);
    EXPECT_FALSE(chain.EqControlsEnabled());
    EXPECT_EQ(chain.EffectFlags() & effects::kFlagEqualizer, 0);
    EXPECT_EQ(fake.CallsStartingWith("ChannelRemoveFX").size(), 10u);
    EXPECT_TRUE(fake.CallsStartingWith("ChannelSetFX").empty());
    EXPECT_EQ(chain.EqGains(), effects::EqPresets[6]);

    fake.ClearCalls();
    chain.ClickBtnEqualizer();  // the switch is still off: nothing attached
    EXPECT_TRUE(fake.calls.empty());
    chain.SetEqualizerChecked(true);
    const std::string second = fake.CallsStartingWith("FXSetParameters").at(1);
    EXPECT_EQ(second.substr(second.find(',')), ",170,9,4)");
}

// --- the DJ switches and the rotation ---------------------------------------------------------

TEST_F(Chain, EachCheckBoxDrivesItsOwnBit) {
    const std::pair<DjEffect, uint8_t> boxes[] = {{DjEffect::Flange, effects::kFlagFlanger},
                                                  {DjEffect::Chorus, effects::kFlagChorus},
                                                  {DjEffect::Echo, effects::kFlagEcho},
                                                  {DjEffect::Reverb, effects::kFlagReverb},
                                                  {DjEffect::Bass, effects::kFlagTurboBass}};
    for (auto [box, flag] : boxes) {
        chain.SetEffectChecked(box, true);
        EXPECT_EQ(chain.EffectFlags(), flag);
        chain.SetEffectChecked(box, false);
        EXPECT_EQ(chain.EffectFlags(), 0);
    }
    chain.SetEffectChecked(DjEffect::Rotate, true);
    EXPECT_EQ(chain.EffectFlags(), 0);
}

TEST_F(Chain, RotationAttachesAtAQuarterTurnAndRestartsThereAfterAnUntick) {
    chain.SetEffectChecked(DjEffect::Rotate, true);
    EXPECT_EQ(fake.calls, (Calls{"ChannelSetDSP(7,0)"}));
    EXPECT_EQ(chain.RotateDsp(), 500u);
    EXPECT_EQ(chain.Rotation().RotatePhase.load(), effects::kRotateStartPhase);

    // The mixing thread advances the phase.
    ASSERT_NE(fake.lastDsp, nullptr);
    std::vector<float> block(2 * 1000, 0.5f);
    fake.lastDsp(500, kChannel, block.data(), 1000, &chain.Rotation());
    EXPECT_GT(chain.Rotation().RotatePhase.load(), effects::kRotateStartPhase + 0.02f);

    fake.ClearCalls();
    chain.SetEffectChecked(DjEffect::Rotate, false);
    EXPECT_EQ(fake.calls, (Calls{"ChannelRemoveDSP(7,500)"}));
    chain.SetEffectChecked(DjEffect::Rotate, true);
    EXPECT_EQ(chain.Rotation().RotatePhase.load(), effects::kRotateStartPhase);
    EXPECT_EQ(chain.RotateDsp(), 501u);
}

TEST_F(Chain, RotationTickedWhileStoppedFailsAndALaterUntickRemovesZero) {
    fake.liveChannels.clear();
    live = false;
    chain.SetEffectChecked(DjEffect::Rotate, true);
    EXPECT_EQ(chain.RotateDsp(), 0u);
    fake.ClearCalls();
    chain.SetEffectChecked(DjEffect::Rotate, false);
    EXPECT_EQ(fake.calls, (Calls{"ChannelRemoveDSP(7,0)"}));
}

}  // namespace
}  // namespace tv::testing
