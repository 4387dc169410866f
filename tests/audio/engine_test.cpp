// The engine's bookkeeping: start-up seams, output volume, handles of the wrong kind or
// already freed, and the conversions between bytes, frames and seconds.

#include <gtest/gtest.h>

#include <cstdlib>

#include "audiotestutil.h"
#include "tests/fakes/casename.h"

namespace tv::testing {
namespace {

using audio::Handle;

class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name) { setenv(name, value, 1); }
    ~ScopedEnv() { unsetenv(m_name); }

private:
    const char* m_name;
};

TEST(EngineStartUp, VersionAndInitFollowTheTestSeams) {
    PulledEngine engine;
    EXPECT_EQ(engine->GetVersion(), audio::kExpectedVersion);
    {
        ScopedEnv bad("TORVANELL_TEST_BAD_VERSION", "1");
        EXPECT_EQ(engine->GetVersion(), 0x00020001u);
    }
    audio::DeviceInfo info;
    EXPECT_FALSE(engine->GetInfo(info));  // nothing opened yet
    {
        ScopedEnv fail("TORVANELL_TEST_FAIL_INIT", "1");
        EXPECT_FALSE(engine->Init(1, 44100, audio::kInitFlag3D));
        EXPECT_FALSE(engine->Start());
    }
    ASSERT_TRUE(engine->Init(1, 44100, audio::kInitFlag3D));
    EXPECT_TRUE(engine->Start());
    ASSERT_TRUE(engine->GetInfo(info));
    EXPECT_GE(info.dsver, 8u);
    EXPECT_EQ(engine.output->Rate(), audio::kOutputRate);
}

TEST(EngineStartUp, SdlDummyDeviceOpensAndCloses) {
    // The dummy driver: the real device path without a sound card (unless the run chose
    // another driver).
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    audio::Engine engine;
    EXPECT_TRUE(engine.Init(1, 44100, audio::kInitFlag3D));
    EXPECT_TRUE(engine.Start());
}

TEST(EngineVolume, OutputVolumeStaysWithinRange) {
    PulledEngine engine;
    EXPECT_EQ(engine->GetVolume(), 100);
    EXPECT_TRUE(engine->SetVolume(35));
    EXPECT_EQ(engine->GetVolume(), 35);
    EXPECT_FALSE(engine->SetVolume(101));
    EXPECT_FALSE(engine->SetVolume(-1));
    EXPECT_EQ(engine->GetVolume(), 35);
}

TEST(EngineHandles, WrongKindStaleAndUnknownHandlesFailHarmlessly) {
    PulledEngine engine;
    const Handle stream = OpenAny(*engine, Fixture("tone-1k.wav"));
    const Handle module = engine->MusicLoad(Fixture("tone.mod"), audio::kMusicPrescan);
    ASSERT_NE(stream, 0u);
    ASSERT_NE(module, 0u);
    EXPECT_NE(stream, module);

    EXPECT_FALSE(engine->MusicFree(stream));
    EXPECT_FALSE(engine->StreamFree(module));
    EXPECT_TRUE(engine->StreamFree(stream));
    EXPECT_FALSE(engine->StreamFree(stream));  // already freed
    EXPECT_TRUE(engine->MusicFree(module));

    // A freed handle behaves like one that never existed.
    for (const Handle h : {stream, Handle(0), Handle(12345)}) {
        audio::ChannelInfo info;
        float fft[512];
        EXPECT_FALSE(engine->ChannelGetInfo(h, info));
        EXPECT_FALSE(engine->ChannelPlay(h, true));
        EXPECT_FALSE(engine->ChannelPause(h));
        EXPECT_FALSE(engine->ChannelStop(h));
        EXPECT_FALSE(engine->ChannelSlideAttributes(h, -1, 0, -101, 200));
        EXPECT_EQ(engine->ChannelGetLength(h), -1);
        EXPECT_EQ(engine->ChannelGetPosition(h), -1);
        EXPECT_EQ(engine->ChannelSeconds2Bytes(h, 1.0), -1);
        EXPECT_LT(engine->ChannelBytes2Seconds(h, 4), 0.0);
        EXPECT_FALSE(engine->ChannelSetPosition(h, 0));
        EXPECT_EQ(engine->ChannelGetData(h, fft, audio::kDataFft1024), -1);
        EXPECT_EQ(engine->ChannelSetFX(h, audio::kFxEcho, 1), 0u);
        EXPECT_EQ(engine->RenderOffline(h, fft, 4), 0);
    }
}

TEST(EngineHandles, ManyOpenFreeCyclesKeepWorking) {
    PulledEngine engine;
    for (int i = 0; i < 3 * audio::kMaxChannels; ++i) {
        const Handle h = OpenAny(*engine, Fixture("tone-1k.mp3"));
        ASSERT_NE(h, 0u) << "cycle " << i;
        ASSERT_TRUE(engine->ChannelPlay(h, true));
        ASSERT_TRUE(engine->StreamFree(h));
    }
}

struct ConversionCase {
    const char* file;
    int64_t bytesPerFrame;
    int rate;
};

class Conversions : public ::testing::TestWithParam<ConversionCase> {};

TEST_P(Conversions, SecondsAndBytesRoundTripOnFrameBoundaries) {
    PulledEngine engine;
    const auto& c = GetParam();
    const Handle h = OpenAny(*engine, Fixture(c.file));
    ASSERT_NE(h, 0u);
    for (int64_t frame : {int64_t(0), int64_t(1), int64_t(7), int64_t(c.rate - 1), int64_t(c.rate),
                          int64_t(c.rate) * 3600 + 1, int64_t(123456789)}) {
        const int64_t bytes = frame * c.bytesPerFrame;
        EXPECT_EQ(engine->ChannelSeconds2Bytes(h, engine->ChannelBytes2Seconds(h, bytes)), bytes)
            << "frame " << frame;
    }
    EXPECT_DOUBLE_EQ(engine->ChannelBytes2Seconds(h, c.bytesPerFrame * c.rate), 1.0);
    EXPECT_EQ(engine->ChannelSeconds2Bytes(h, 2.0), 2 * c.rate * c.bytesPerFrame);
    EXPECT_EQ(engine->ChannelSeconds2Bytes(h, -1.0), -1);
    EXPECT_LT(engine->ChannelBytes2Seconds(h, -4), 0.0);
    // Lengths are whole frames, and a position past the end is refused.
    const int64_t length = engine->ChannelGetLength(h);
    EXPECT_EQ(length % c.bytesPerFrame, 0);
    EXPECT_FALSE(engine->ChannelSetPosition(h, length + 100 * c.bytesPerFrame));
    EXPECT_FALSE(engine->ChannelSetPosition(h, -c.bytesPerFrame));
}

INSTANTIATE_TEST_SUITE_P(Sources, Conversions,
                         ::testing::Values(ConversionCase{"tone-1k.wav", 2, 44100},
                                           ConversionCase{"tone-1k.mp3", 4, 44100},
                                           ConversionCase{"tone-1k.spx", 2, 16000},
                                           ConversionCase{"silence-then-tone.wav", 2, 11025},
                                           ConversionCase{"tone.mod", 4, 44100}),
                         tv::cases::NameFrom(&ConversionCase::file));

}  // namespace
}  // namespace tv::testing
