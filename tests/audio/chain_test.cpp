// The processing chain, pulled offline: volume slides, output volume, DSP and effect order,
// effect records, the spectrum and seeking.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "audiotestutil.h"
#include "tests/fakes/casename.h"

namespace tv::testing {
namespace {

using audio::Handle;

// A DSP that replaces the sound with a constant, so what comes out is the gain applied after
// it.
void ConstantOne(Handle, Handle, float* frames, uint32_t count, void*) {
    std::fill(frames, frames + count * 2, 1.0f);
}

class ChainTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_channel = OpenAny(*m_engine, Fixture("tone-1k.wav"));
        ASSERT_NE(m_channel, 0u);
    }
    // Left-channel gains of the next `frames` frames, pulled in blocks of `block`.
    std::vector<float> Gains(int frames, int block = 1024) {
        std::vector<float> gains;
        std::vector<float> buf(static_cast<size_t>(block) * 2);
        while (static_cast<int>(gains.size()) < frames) {
            const int want = std::min(block, frames - static_cast<int>(gains.size()));
            const int64_t got = m_engine->RenderOffline(m_channel, buf.data(), want);
            if (got == 0)
                break;
            for (int64_t i = 0; i < got; ++i)
                gains.push_back(buf[static_cast<size_t>(i) * 2]);
        }
        return gains;
    }

    PulledEngine m_engine;
    Handle m_channel = 0;
};

TEST_F(ChainTest, SlideToZeroIsLinearAndEndsOnTime) {
    ASSERT_NE(m_engine->ChannelSetDSP(m_channel, &ConstantOne, nullptr, 0), 0u);
    ASSERT_TRUE(m_engine->ChannelSlideAttributes(m_channel, -1, 0, -101, 200));
    const int slideFrames = audio::kOutputRate / 5;
    // An odd block size, so the slide cannot be tied to block boundaries.
    const auto gains = Gains(audio::kOutputRate / 2 - 100, 1000);
    ASSERT_EQ(gains.size(), size_t(audio::kOutputRate / 2 - 100));

    const auto firstZero = std::find(gains.begin(), gains.end(), 0.0f) - gains.begin();
    EXPECT_NEAR(double(firstZero), slideFrames, 1024.0);
    EXPECT_TRUE(
        std::all_of(gains.begin() + firstZero, gains.end(), [](float g) { return g == 0; }));
    double worst = 0;
    for (int i = 0; i < slideFrames; ++i)
        worst = std::max(worst, std::abs(gains[i] - (1.0 - double(i + 1) / slideFrames)));
    EXPECT_LT(worst, 1e-3);
}

TEST_F(ChainTest, NewSlideStartsFromTheCurrentValue) {
    ASSERT_NE(m_engine->ChannelSetDSP(m_channel, &ConstantOne, nullptr, 0), 0u);
    m_engine->ChannelSlideAttributes(m_channel, -1, 0, -101, 200);
    auto gains = Gains(audio::kOutputRate / 10);  // half-way: 0.5
    ASSERT_FALSE(gains.empty());
    EXPECT_NEAR(gains.back(), 0.5, 0.01);
    m_engine->ChannelSlideAttributes(m_channel, -1, 100, -101, 100);
    gains = Gains(audio::kOutputRate / 20);  // half of the new slide: 0.75, not a jump
    ASSERT_FALSE(gains.empty());
    EXPECT_NEAR(gains.front(), 0.5, 0.01);
    EXPECT_NEAR(gains.back(), 0.75, 0.01);
    // Zero time jumps; a volume below zero leaves the volume alone.
    m_engine->ChannelSlideAttributes(m_channel, -1, 30, -101, 0);
    m_engine->ChannelSlideAttributes(m_channel, -1, -1, -101, 500);
    gains = Gains(10);
    ASSERT_FALSE(gains.empty());
    EXPECT_FLOAT_EQ(gains.front(), 0.3f);
}

TEST_F(ChainTest, OutputVolumeScalesAfterTheChannelVolume) {
    ASSERT_NE(m_engine->ChannelSetDSP(m_channel, &ConstantOne, nullptr, 0), 0u);
    m_engine->ChannelSlideAttributes(m_channel, -1, 50, -101, 0);
    ASSERT_TRUE(m_engine->SetVolume(40));
    const auto gains = Gains(256);
    ASSERT_EQ(gains.size(), 256u);
    EXPECT_FLOAT_EQ(gains.front(), 0.2f);
    EXPECT_FLOAT_EQ(gains.back(), 0.2f);
}

// Effects and DSPs that note the order they ran in (into fixed storage: no allocation).
struct RunLog {
    std::array<int, 64> ids{};
    int count = 0;
    void Add(int id) {
        if (count < int(ids.size()))
            ids[size_t(count++)] = id;
    }
    std::vector<int> FirstPass(int n) const {
        return {ids.begin(), ids.begin() + std::min(n, count)};
    }
};

class LoggingEffect final : public audio::Effect {
public:
    LoggingEffect(RunLog* log, int id) : m_log(log), m_id(id) {}
    void Process(float*, int) override { m_log->Add(m_id); }
    void Reset() override {}
    bool SetParams(const audio::FxParams&) override { return false; }
    audio::FxParams GetParams() const override { return audio::EchoParams{}; }

private:
    RunLog* m_log;
    int m_id;
};

void LoggingDsp(Handle, Handle, float*, uint32_t, void* user) {
    static_cast<RunLog*>(user)->Add(0);
}

TEST_F(ChainTest, DspRunsFirstThenEffectsByPriorityThenAttachOrder) {
    RunLog log;
    for (uint32_t type = 100; type < 104; ++type)
        m_engine->RegisterEffectType(
            type, [&log, type](int) { return std::make_unique<LoggingEffect>(&log, int(type)); });
    ASSERT_NE(m_engine->ChannelSetFX(m_channel, 100, 1), 0u);
    ASSERT_NE(m_engine->ChannelSetFX(m_channel, 101, 5), 0u);
    ASSERT_NE(m_engine->ChannelSetFX(m_channel, 102, 5), 0u);
    const Handle late = m_engine->ChannelSetFX(m_channel, 103, 3);
    ASSERT_NE(late, 0u);
    ASSERT_NE(m_engine->ChannelSetDSP(m_channel, &LoggingDsp, &log, 0), 0u);
    Gains(16, 16);
    EXPECT_EQ(log.FirstPass(5), (std::vector<int>{0, 101, 102, 103, 100}));

    ASSERT_TRUE(m_engine->ChannelRemoveFX(m_channel, late));
    EXPECT_FALSE(m_engine->ChannelRemoveFX(m_channel, late));
    log.count = 0;
    Gains(16, 16);
    EXPECT_EQ(log.FirstPass(4), (std::vector<int>{0, 101, 102, 100}));
}

TEST_F(ChainTest, RemovedDspNoLongerRuns) {
    RunLog log;
    const Handle dsp = m_engine->ChannelSetDSP(m_channel, &LoggingDsp, &log, 0);
    ASSERT_NE(dsp, 0u);
    EXPECT_EQ(m_engine->ChannelSetDSP(m_channel, nullptr, &log, 0), 0u);
    Gains(16, 16);
    EXPECT_EQ(log.count, 1);
    EXPECT_TRUE(m_engine->ChannelRemoveDSP(m_channel, dsp));
    EXPECT_FALSE(m_engine->ChannelRemoveDSP(m_channel, dsp));
    Gains(16, 16);
    EXPECT_EQ(log.count, 1);
}

TEST_F(ChainTest, EffectRecordsStartAtDefaultsAndMustMatchTheType) {
    EXPECT_EQ(m_engine->ChannelSetFX(m_channel, 2, 1), 0u);  // no such type
    const Handle echo = m_engine->ChannelSetFX(m_channel, audio::kFxEcho, 1);
    ASSERT_NE(echo, 0u);
    audio::FxParams params = audio::EchoParams{};
    std::get<audio::EchoParams>(params).fFeedback = -7;  // overwritten by the read
    ASSERT_TRUE(m_engine->FXGetParameters(echo, params));
    EXPECT_EQ(std::get<audio::EchoParams>(params).fFeedback, audio::EchoParams{}.fFeedback);

    audio::EchoParams changed;
    changed.fLeftDelay = 250;
    ASSERT_TRUE(m_engine->FXSetParameters(echo, changed));
    ASSERT_TRUE(m_engine->FXGetParameters(echo, params));
    EXPECT_EQ(std::get<audio::EchoParams>(params).fLeftDelay, 250.0f);

    audio::FxParams chorus = audio::ChorusParams{};
    EXPECT_FALSE(m_engine->FXSetParameters(echo, chorus));
    EXPECT_FALSE(m_engine->FXGetParameters(echo, chorus));

    ASSERT_TRUE(m_engine->ChannelRemoveFX(m_channel, echo));
    EXPECT_FALSE(m_engine->FXGetParameters(echo, params));
    EXPECT_FALSE(m_engine->FXSetParameters(echo, changed));
}

TEST_F(ChainTest, EffectsOfAFreedChannelAreGone) {
    const Handle fx = m_engine->ChannelSetFX(m_channel, audio::kFxReverb, 1);
    ASSERT_NE(fx, 0u);
    ASSERT_TRUE(m_engine->StreamFree(m_channel));
    audio::FxParams params = audio::ReverbParams{};
    EXPECT_FALSE(m_engine->FXGetParameters(fx, params));
    EXPECT_FALSE(m_engine->ChannelRemoveFX(m_channel, fx));
}

TEST(Spectrum, FullScaleSineReadsAboutOneInItsBin) {
    PulledEngine engine;
    const Handle h = OpenAny(*engine, Fixture("sine-fullscale.wav"));
    ASSERT_NE(h, 0u);
    std::array<float, 512> fft;
    fft.fill(-1.0f);
    ASSERT_EQ(engine->ChannelGetData(h, fft.data(), 0x12345), -1);
    EXPECT_EQ(fft[0], -1.0f);  // untouched on failure
    ASSERT_EQ(Render(*engine, h, 4096).size(), 4096u * 2);
    ASSERT_EQ(engine->ChannelGetData(h, fft.data(), audio::kDataFft1024), 4096);
    const auto peak = std::max_element(fft.begin(), fft.end());
    EXPECT_EQ(peak - fft.begin(), 23);  // 1000 Hz / (44100 / 1024) = 23.2
    EXPECT_GT(*peak, 0.8f);
    EXPECT_LT(*peak, 1.2f);
    // The window keeps the leakage far from the tone small.
    EXPECT_LT(*std::max_element(fft.begin() + 60, fft.end()), 0.01f);
}

TEST(Spectrum, SilenceReadsNearZeroEverywhere) {
    PulledEngine engine;
    const Handle h = OpenAny(*engine, Fixture("silence-then-tone.wav"));
    ASSERT_NE(h, 0u);
    std::array<float, 512> fft;
    ASSERT_EQ(engine->ChannelGetData(h, fft.data(), audio::kDataFft1024), 4096);  // nothing yet
    EXPECT_LT(*std::max_element(fft.begin(), fft.end()), 1e-4f);
    ASSERT_EQ(Render(*engine, h, audio::kOutputRate / 2).size(), size_t(audio::kOutputRate));
    ASSERT_EQ(engine->ChannelGetData(h, fft.data(), audio::kDataFft1024), 4096);
    EXPECT_LT(*std::max_element(fft.begin(), fft.end()), 1e-4f);
}

// The fixtures are one second of silence and then a tone; after a seek to 0.9 s the tone
// must start 0.1 s into what is rendered.
class Seeking : public ::testing::TestWithParam<const char*> {};

TEST_P(Seeking, LandsWithinOneOutputBlock) {
    PulledEngine engine;
    const Handle h = OpenAny(*engine, Fixture(GetParam()));
    ASSERT_NE(h, 0u);
    Render(*engine, h, 3000);  // move away from the start first
    const int64_t target = engine->ChannelSeconds2Bytes(h, 0.9);
    ASSERT_TRUE(engine->ChannelSetPosition(h, target));
    EXPECT_EQ(engine->ChannelGetPosition(h), target);

    const auto sound = Render(*engine, h, audio::kOutputRate / 4);
    size_t onset = 0;
    while (onset * 2 < sound.size() && std::abs(sound[onset * 2]) < 0.05f)
        ++onset;
    EXPECT_NEAR(double(onset), audio::kOutputRate / 10.0, 1024.0);
    const double heard = engine->ChannelBytes2Seconds(h, engine->ChannelGetPosition(h));
    EXPECT_NEAR(heard, 0.9 + double(sound.size() / 2) / audio::kOutputRate, 0.001);
}

TEST_P(Seeking, RenderEndsAtTheLength) {
    PulledEngine engine;
    const Handle h = OpenAny(*engine, Fixture(GetParam()));
    ASSERT_NE(h, 0u);
    const auto all = Render(*engine, h, 10 * audio::kOutputRate);
    EXPECT_NEAR(double(all.size() / 2), 1.5 * audio::kOutputRate, 64.0);
    float tail[8];
    EXPECT_EQ(engine->RenderOffline(h, tail, 4), 0);
    EXPECT_EQ(engine->ChannelGetPosition(h), engine->ChannelGetLength(h));
}

INSTANTIATE_TEST_SUITE_P(Fixtures, Seeking,
                         ::testing::Values("silence-then-tone.wav", "silence-then-tone.flac"),
                         tv::cases::ValueName());

}  // namespace
}  // namespace tv::testing
