// Numeric tests of the effects' DSP, run directly on buffers through CreateEffect.

#include <gtest/gtest.h>

#include <algorithm>

#include "core/audio/effect.h"
#include "effects/eqtables.h"
#include "signal.h"
#include "tests/fakes/casename.h"

namespace tv::testing {
namespace {

using audio::CreateEffect;

// Level change in dB of a sine at `hz` through `effects`, measured after the filters settle.
double MeasuredGainDb(std::vector<std::unique_ptr<audio::Effect>>& effects, double hz) {
    const int frames = kRate;  // one second
    auto signal = StereoSine(hz, frames);
    const auto input = signal;
    for (auto& e : effects)
        ProcessInBlocks(*e, signal);
    const int from = frames / 2;
    return ToDb(Rms(signal, 0, from, frames) / Rms(input, 0, from, frames));
}

std::vector<std::unique_ptr<audio::Effect>> TenBands(const effects::EqRecord& gains) {
    std::vector<std::unique_ptr<audio::Effect>> bands;
    for (int i = 0; i < effects::kBandCount; ++i) {
        bands.push_back(CreateEffect(audio::kFxParamEq, kRate));
        bands.back()->SetParams(audio::ParamEqParams{
            static_cast<float>(effects::EqBandFrequencies[i]), 9.0f, static_cast<float>(gains[i])});
    }
    return bands;
}

// --- factory and records -------------------------------------------------------------------

TEST(EffectFactory, FreshEffectsReportTheirTypesDefaultsAndRefuseOtherRecords) {
    const std::pair<uint32_t, size_t> types[] = {{audio::kFxChorus, 0},
                                                 {audio::kFxEcho, 1},
                                                 {audio::kFxFlanger, 2},
                                                 {audio::kFxParamEq, 3},
                                                 {audio::kFxReverb, 4}};
    for (auto [type, index] : types) {
        auto effect = CreateEffect(type, kRate);
        ASSERT_NE(effect, nullptr) << type;
        const audio::FxParams p = effect->GetParams();
        EXPECT_EQ(p.index(), index) << type;
        const audio::FxParams other = index == 3 ? audio::FxParams{audio::EchoParams{}}
                                                 : audio::FxParams{audio::ParamEqParams{}};
        EXPECT_FALSE(effect->SetParams(other)) << type;
    }
    const auto eq =
        std::get<audio::ParamEqParams>(CreateEffect(audio::kFxParamEq, kRate)->GetParams());
    EXPECT_EQ(eq.fCenter, 8000.0f);
    EXPECT_EQ(eq.fBandwidth, 12.0f);
    EXPECT_EQ(eq.fGain, 0.0f);
    const auto echo = std::get<audio::EchoParams>(CreateEffect(audio::kFxEcho, kRate)->GetParams());
    EXPECT_EQ(echo.fLeftDelay, 500.0f);
    EXPECT_EQ(echo.fFeedback, 50.0f);
    const auto fl =
        std::get<audio::FlangerParams>(CreateEffect(audio::kFxFlanger, kRate)->GetParams());
    EXPECT_EQ(fl.fFeedback, -50.0f);
    EXPECT_EQ(fl.lPhase, 2);
    const auto rv =
        std::get<audio::ReverbParams>(CreateEffect(audio::kFxReverb, kRate)->GetParams());
    EXPECT_EQ(rv.fReverbTime, 1000.0f);
    EXPECT_FLOAT_EQ(rv.fHighFreqRTRatio, 0.001f);

    EXPECT_EQ(CreateEffect(1, kRate), nullptr);
    EXPECT_EQ(CreateEffect(audio::kFxEcho, 0), nullptr);
}

TEST(EffectFactory, OutOfRangeRecordsAreLimitedNotTakenAsGiven) {
    auto eq = CreateEffect(audio::kFxParamEq, kRate);
    ASSERT_TRUE(eq->SetParams(audio::ParamEqParams{50000.0f, NAN, 40.0f}));
    const auto p = std::get<audio::ParamEqParams>(eq->GetParams());
    EXPECT_EQ(p.fCenter, 16000.0f);
    EXPECT_EQ(p.fBandwidth, 12.0f);
    EXPECT_EQ(p.fGain, 15.0f);

    auto echo = CreateEffect(audio::kFxEcho, kRate);
    ASSERT_TRUE(echo->SetParams(audio::EchoParams{150.0f, -5.0f, 0.0f, 9000.0f, 7}));
    const auto e = std::get<audio::EchoParams>(echo->GetParams());
    EXPECT_EQ(e.fWetDryMix, 100.0f);
    EXPECT_EQ(e.fFeedback, 0.0f);
    EXPECT_EQ(e.fLeftDelay, 1.0f);
    EXPECT_EQ(e.fRightDelay, 2000.0f);
    EXPECT_EQ(e.lPanDelay, 1);
    // An extreme record still processes into finite samples.
    auto signal = StereoSine(440, 4 * kRate);
    ProcessInBlocks(*echo, signal);
    EXPECT_TRUE(
        std::all_of(signal.begin(), signal.end(), [](float v) { return std::isfinite(v); }));
}

// --- parametric equalizer -------------------------------------------------------------------

class EqBandGain : public ::testing::TestWithParam<std::tuple<int, int>> {};

TEST_P(EqBandGain, SineAtTheBandCentreTakesTheBandsGain) {
    const auto [band, gain] = GetParam();
    effects::EqRecord gains{};
    gains[band] = static_cast<int8_t>(gain);
    auto bands = TenBands(gains);
    EXPECT_NEAR(MeasuredGainDb(bands, effects::EqBandFrequencies[band]), gain, 0.5);
}

INSTANTIATE_TEST_SUITE_P(AllBands, EqBandGain,
                         ::testing::Combine(::testing::Range(0, effects::kBandCount),
                                            ::testing::Values(15, -15)),
                         tv::cases::ValueName());

TEST(EqPreset, VoiceMatchesTheCombinedCookbookResponseAtEveryCentre) {
    const auto& voice = effects::EqPresets[8];
    for (int band = 0; band < effects::kBandCount; ++band) {
        const double hz = effects::EqBandFrequencies[band];
        double expected = 0;
        for (int i = 0; i < effects::kBandCount; ++i)
            expected += PeakDb(effects::EqBandFrequencies[i], voice[i], hz);
        auto bands = TenBands(voice);
        EXPECT_NEAR(MeasuredGainDb(bands, hz), expected, 0.5) << hz << " Hz";
    }
}

TEST(ParamEq, CentreAboveAThirdOfTheRateIsClampedThere) {
    // At 22 050 Hz a 14 kHz centre lies above a third of the rate (7350 Hz).
    std::vector<std::unique_ptr<audio::Effect>> one;
    one.push_back(CreateEffect(audio::kFxParamEq, kRate / 2));
    one.back()->SetParams(audio::ParamEqParams{14000.0f, 9.0f, 12.0f});
    auto signal = StereoSine(7350.0 * 2, kRate);  // 7350 Hz at half the rate
    const auto input = signal;
    ProcessInBlocks(*one.back(), signal);
    EXPECT_NEAR(ToDb(Rms(signal, 1, kRate / 2, kRate) / Rms(input, 1, kRate / 2, kRate)), 12.0,
                0.5);
}

// --- echo -----------------------------------------------------------------------------------

TEST(Echo, ImpulseReturnsAfterTheDelayAndEachRepeatIsSixDecibelsLower) {
    auto echo = CreateEffect(audio::kFxEcho, kRate);
    std::vector<float> signal(2 * 3 * kRate, 0.0f);
    signal[0] = signal[1] = 1.0f;
    ProcessInBlocks(*echo, signal);
    EXPECT_NEAR(signal[0], 0.5f, 1e-6);  // the dry half

    const int delay = kRate / 2;
    for (int side = 0; side < 2; ++side) {
        double previous = 0;
        for (int repeat = 1; repeat <= 4; ++repeat) {
            // Strongest sample within 1 ms of each expected repeat.
            const int from = repeat * delay - kRate / 1000, to = repeat * delay + kRate / 1000;
            int peakAt = from;
            for (int i = from; i <= to; ++i)
                if (std::abs(signal[2 * i + side]) > std::abs(signal[2 * peakAt + side]))
                    peakAt = i;
            const double level = std::abs(signal[2 * peakAt + side]);
            EXPECT_EQ(peakAt, repeat * delay) << "repeat " << repeat;
            if (repeat == 1)
                EXPECT_NEAR(ToDb(level), ToDb(0.5 * std::sqrt(0.75)), 0.05);
            else
                EXPECT_NEAR(ToDb(level / previous), -6.02, 0.05) << "repeat " << repeat;
            previous = level;
        }
    }
    // Nothing between the repeats.
    EXPECT_EQ(Rms(signal, 0, 10, delay - 10), 0.0);
}

TEST(Echo, PanDelaySendsEachRepeatToTheOtherSide) {
    auto echo = CreateEffect(audio::kFxEcho, kRate);
    echo->SetParams(audio::EchoParams{50.0f, 50.0f, 100.0f, 200.0f, 1});
    std::vector<float> signal(2 * kRate, 0.0f);
    signal[0] = 1.0f;  // left only
    ProcessInBlocks(*echo, signal);
    const int left = kRate / 10, right = kRate / 5;
    EXPECT_GT(std::abs(signal[2 * left + 1]), 0.4f);  // first repeat on the right, 100 ms
    EXPECT_EQ(signal[2 * left], 0.0f);
    EXPECT_GT(std::abs(signal[2 * (left + right)]), 0.2f);  // second back on the left
    EXPECT_EQ(signal[2 * (left + right) + 1], 0.0f);
}

// --- reverb ---------------------------------------------------------------------------------

class ReverbTime : public ::testing::TestWithParam<float> {};

TEST_P(ReverbTime, TailFallsBySixtyDecibelsAtTheReverbTime) {
    const float rt = GetParam();
    auto reverb = CreateEffect(audio::kFxReverb, kRate);
    audio::ReverbParams p;
    p.fReverbTime = rt;
    reverb->SetParams(p);
    const int burst = kRate / 2;
    const int total = burst + static_cast<int>(rt / 1000 * kRate) + kRate / 2;
    auto signal = StereoSine(220, total, 0.5);
    std::fill(signal.begin() + 2 * burst, signal.end(), 0.0f);
    ProcessInBlocks(*reverb, signal);
    const int window = kRate / 20;
    const int start = burst + kRate / 20;
    const int later = start + static_cast<int>(rt / 1000 * kRate);
    const double fall =
        ToDb(Rms(signal, 0, later, later + window) / Rms(signal, 0, start, start + window));
    EXPECT_NEAR(fall, -60.0, 10.0);
}

INSTANTIATE_TEST_SUITE_P(Times, ReverbTime, ::testing::Values(500.0f, 1000.0f, 2000.0f),
                         tv::cases::ValueName());

TEST(Reverb, MixSharesPowerBetweenDryAndWet) {
    // At -96 dB mix the wet share is negligible: the input comes through almost unchanged.
    auto reverb = CreateEffect(audio::kFxReverb, kRate);
    reverb->SetParams(audio::ReverbParams{0.0f, -96.0f, 1000.0f, 0.5f});
    auto signal = StereoSine(440, kRate / 2);
    const auto input = signal;
    ProcessInBlocks(*reverb, signal);
    EXPECT_NEAR(ToDb(Rms(signal, 0, kRate / 4, kRate / 2) / Rms(input, 0, kRate / 4, kRate / 2)),
                0.0, 0.1);
}

struct ReverbLoudnessCase {
    const char* name;
    audio::ReverbParams params;
};

class ReverbLoudness : public ::testing::TestWithParam<ReverbLoudnessCase> {};

TEST_P(ReverbLoudness, PinkNoiseKeepsItsLevelWithinThreeDecibels) {
    auto reverb = CreateEffect(audio::kFxReverb, kRate);
    reverb->SetParams(GetParam().params);
    const int frames = 4 * kRate;
    auto signal = StereoPinkNoise(frames);
    const auto input = signal;
    ProcessInBlocks(*reverb, signal);
    // Measured after the tail has built up (the longest reverb time here is 3 s).
    const int from = frames - kRate;
    for (int side = 0; side < 2; ++side) {
        EXPECT_NEAR(ToDb(Rms(signal, side, from, frames) / Rms(input, side, from, frames)), 0.0,
                    3.0)
            << "side " << side;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Settings, ReverbLoudness,
    ::testing::Values(
        ReverbLoudnessCase{"defaults", audio::ReverbParams{}},
        ReverbLoudnessCase{"short", audio::ReverbParams{0.0f, 0.0f, 100.0f, 0.001f}},
        ReverbLoudnessCase{"long", audio::ReverbParams{0.0f, 0.0f, 3000.0f, 0.001f}},
        ReverbLoudnessCase{"bright", audio::ReverbParams{0.0f, 0.0f, 1000.0f, 0.999f}},
        ReverbLoudnessCase{"half wet", audio::ReverbParams{0.0f, -3.0f, 1000.0f, 0.5f}}),
    [](const auto& info) {
        std::string name = info.param.name;
        std::replace(name.begin(), name.end(), ' ', '_');
        return name;
    });

// --- chorus and flanger ---------------------------------------------------------------------

// `frames` stereo frames of a sustained chord of sines (the same on both sides).
std::vector<float> StereoChord(std::initializer_list<double> notes, int frames) {
    std::vector<float> out(2 * static_cast<size_t>(frames));
    for (int i = 0; i < frames; ++i) {
        double v = 0;
        for (double hz : notes)
            v += 0.1 * std::sin(2 * std::numbers::pi * hz * i / kRate);
        out[2 * i] = out[2 * i + 1] = static_cast<float>(v);
    }
    return out;
}

struct ChorusLoudnessCase {
    const char* name;
    std::vector<float> (*make)(int frames);
};

class ChorusLoudness : public ::testing::TestWithParam<ChorusLoudnessCase> {};

// The chorus at its defaults keeps music within 3 dB of dry. A major chord on A sits on the
// comb's notches of the 16 ms delay (odd multiples of 31 Hz); one on G sits between them.
TEST_P(ChorusLoudness, MusicAtTheDefaultsStaysWithinThreeDecibelsOfDry) {
    auto chorus = CreateEffect(audio::kFxChorus, kRate);
    const int frames = 4 * kRate;
    auto signal = GetParam().make(frames);
    const auto input = signal;
    ProcessInBlocks(*chorus, signal);
    for (int side = 0; side < 2; ++side) {
        EXPECT_NEAR(ToDb(Rms(signal, side, kRate, frames) / Rms(input, side, kRate, frames)), 0.0,
                    3.0)
            << "side " << side;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Material, ChorusLoudness,
    ::testing::Values(ChorusLoudnessCase{"A_major",
                                         [](int n) {
                                             return StereoChord({220, 277.18, 329.63}, n);
                                         }},
                      ChorusLoudnessCase{"G_major",
                                         [](int n) {
                                             return StereoChord({196, 246.94, 293.66}, n);
                                         }},
                      ChorusLoudnessCase{"pink_noise", [](int n) { return StereoPinkNoise(n); }}),
    [](const auto& info) { return std::string(info.param.name); });

// Envelope (RMS per 5 ms) of one side.
std::vector<double> Envelope(const std::vector<float>& frames, int side, int from) {
    std::vector<double> env;
    const int step = kRate / 200;
    for (int at = from; at + step <= static_cast<int>(frames.size() / 2); at += step)
        env.push_back(Rms(frames, side, at, at + step));
    return env;
}

double Correlation(const std::vector<double>& a, const std::vector<double>& b, int lag) {
    double ma = 0, mb = 0;
    for (double v : a)
        ma += v;
    for (double v : b)
        mb += v;
    ma /= a.size();
    mb /= b.size();
    double sum = 0, na = 0, nb = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        const long j = static_cast<long>(i) + lag;
        if (j < 0 || j >= static_cast<long>(b.size()))
            continue;
        sum += (a[i] - ma) * (b[j] - mb);
        na += (a[i] - ma) * (a[i] - ma);
        nb += (b[j] - mb) * (b[j] - mb);
    }
    return sum / std::sqrt(na * nb + 1e-30);
}

struct ModulationCase {
    uint32_t type;
    double lfoHz;
    double rightLeadTurns;  // the right side's oscillator ahead of the left, in turns
};

class Modulation : public ::testing::TestWithParam<ModulationCase> {};

TEST_P(Modulation, OutputEnvelopeSwingsAtTheOscillatorFrequency) {
    const auto c = GetParam();
    auto effect = CreateEffect(c.type, kRate);
    const double period = 1.0 / c.lfoHz;
    const int frames = static_cast<int>((3.5 * period + 0.5) * kRate);
    auto signal = StereoSine(1000, frames);
    const auto input = signal;
    ProcessInBlocks(*effect, signal);

    EXPECT_GT(Rms(signal, 0, kRate / 2, frames) / 0.25, 0.05);
    double diff = 0;
    for (size_t i = 0; i < signal.size(); ++i)
        diff = std::max(diff, double(std::abs(signal[i] - input[i])));
    EXPECT_GT(diff, 0.05) << "the output should differ from the input";

    const auto left = Envelope(signal, 0, kRate / 2);
    const auto right = Envelope(signal, 1, kRate / 2);
    const double hi = *std::max_element(left.begin(), left.end());
    const double lo = *std::min_element(left.begin(), left.end());
    EXPECT_GT(ToDb(hi / std::max(lo, 1e-9)), 3.0) << "no audible modulation";

    // The envelope's period: the best self-similarity between 0.6 and 1.4 periods.
    const double perStep = 200.0;  // envelope values per second
    int bestLag = 0;
    double best = -2;
    for (int lag = static_cast<int>(0.6 * period * perStep); lag <= 1.4 * period * perStep; ++lag) {
        const double r = Correlation(left, left, lag);
        if (r > best)
            best = r, bestLag = lag;
    }
    EXPECT_GT(best, 0.8);
    EXPECT_NEAR(bestLag / perStep, period, 0.03 * period);

    // The right side runs the same swing, shifted by the oscillator's phase offset.
    const int maxShift = static_cast<int>(0.45 * period * perStep);
    int shift = 0;
    best = -2;
    for (int lag = -maxShift; lag <= maxShift; ++lag) {
        const double r = Correlation(right, left, lag);
        if (r > best)
            best = r, shift = lag;
    }
    EXPECT_NEAR(shift / perStep, c.rightLeadTurns * period, 0.03 * period);
}

INSTANTIATE_TEST_SUITE_P(Types, Modulation,
                         ::testing::Values(ModulationCase{audio::kFxChorus, 1.1, 0.25},
                                           ModulationCase{audio::kFxFlanger, 0.25, 0.0}),
                         [](const auto& info) {
                             return std::string(info.param.type == audio::kFxChorus ? "Chorus"
                                                                                    : "Flanger");
                         });

// --- parameter changes ----------------------------------------------------------------------

struct ChangeCase {
    const char* name;
    uint32_t type;
    audio::FxParams change;
    double combPeak = 1.0;  // the effect's largest gain on the way (a comb's peak), x input
};

class ParameterChange : public ::testing::TestWithParam<ChangeCase> {};

// Largest step between neighbouring samples of the left side in [from, to).
double LargestStep(const std::vector<float>& f, int from, int to) {
    double m = 0;
    for (int i = from + 1; i < to; ++i)
        m = std::max(m, double(std::abs(f[2 * i] - f[2 * i - 2])));
    return m;
}

TEST_P(ParameterChange, IsGlidedWithoutAClick) {
    const auto& c = GetParam();
    auto effect = CreateEffect(c.type, kRate);
    // A 100 Hz sine changes little from sample to sample, so a jump stands out.
    auto before = StereoSine(100, 2 * kRate, 0.4);
    auto after = StereoSine(100, 2 * kRate, 0.4);
    ProcessInBlocks(*effect, before);
    // Continue the same sine after the change.
    for (int i = 0; i < 2 * kRate; ++i)
        after[2 * i] = after[2 * i + 1] = static_cast<float>(
            0.4 * std::sin(2 * std::numbers::pi * 100 * (i + 2 * kRate) / kRate));
    ASSERT_TRUE(effect->SetParams(c.change));
    ProcessInBlocks(*effect, after);
    std::vector<float> joined(before);
    joined.insert(joined.end(), after.begin(), after.end());
    const int at = 2 * kRate;
    // Moving a comb's notch may pass through a louder mix, so the bound also allows the
    // input's own steps; a click is many times larger than either.
    const double inputStep = c.combPeak * 0.4 * 2 * std::numbers::pi * 100 / kRate;
    const double steady = std::max({LargestStep(joined, at - kRate, at - kRate / 10),
                                    LargestStep(joined, at + kRate, at + 2 * kRate), inputStep});
    EXPECT_LE(LargestStep(joined, at - 10, at + kRate / 10), 1.5 * steady) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Effects, ParameterChange,
    ::testing::Values(ChangeCase{"echo delay", audio::kFxEcho,
                                 audio::EchoParams{50.0f, 50.0f, 333.0f, 777.0f, 0}},
                      ChangeCase{"echo mix", audio::kFxEcho,
                                 audio::EchoParams{100.0f, 50.0f, 500.0f, 500.0f, 0}},
                      // The chorus's peaks: half the dry plus the whole wet, raised by its
                      // feedback: 0.5 + 1 / (1 - 0.25).
                      ChangeCase{"chorus delay", audio::kFxChorus,
                                 audio::ChorusParams{50, 10, 25, 1.1f, 1, 5, 3}, 0.5 + 1 / 0.75},
                      ChangeCase{"flanger mix", audio::kFxFlanger,
                                 audio::FlangerParams{100, 100, -50, 0.25f, 1, 2, 2}},
                      ChangeCase{"reverb mix", audio::kFxReverb,
                                 audio::ReverbParams{0.0f, -20.0f, 1000.0f, 0.5f}}),
    [](const auto& info) {
        std::string n = info.param.name;
        std::replace(n.begin(), n.end(), ' ', '_');
        return n;
    });

// --- long silence ---------------------------------------------------------------------------

struct SilenceCase {
    const char* name;
    uint32_t type;
    int silentSeconds;
};

class LongSilence : public ::testing::TestWithParam<SilenceCase> {};

// Decaying loops must reach true zero: tails stuck in the subnormal range make every later
// block many times slower.
TEST_P(LongSilence, TailEndsInExactZeros) {
    const auto& c = GetParam();
    auto effect = CreateEffect(c.type, kRate);
    auto sound = StereoSine(300, kRate / 2, 0.8);
    ProcessInBlocks(*effect, sound);
    std::vector<float> silence(2 * static_cast<size_t>(kRate) * c.silentSeconds, 0.0f);
    ProcessInBlocks(*effect, silence);
    const auto last = silence.end() - 2 * 4096;
    EXPECT_TRUE(std::all_of(last, silence.end(), [](float v) { return v == 0.0f; }))
        << c.name << ": " << *std::max_element(last, silence.end());
}

INSTANTIATE_TEST_SUITE_P(Effects, LongSilence,
                         ::testing::Values(SilenceCase{"reverb", audio::kFxReverb, 30},
                                           SilenceCase{"echo", audio::kFxEcho, 90},
                                           SilenceCase{"chorus", audio::kFxChorus, 10},
                                           SilenceCase{"eq", audio::kFxParamEq, 10}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tv::testing
