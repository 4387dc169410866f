// The user-interface thread works the engine as hard as it can while the mixing thread runs:
// effects and sample processors come and go, parameters change, the channel seeks, slides,
// pauses, is freed and opened anew, and the spectrum is read. Nothing may crash or race (the
// thread-sanitizer build runs this too), and the mixing thread allocates nothing.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <random>
#include <thread>
#include <vector>

#include "allocationcounter.h"
#include "audiotestutil.h"

namespace tv::testing {
namespace {

using audio::Handle;

void Gain(Handle, Handle, float* frames, uint32_t bytes, void* user) {
    const float g = *static_cast<const float*>(user);
    for (uint32_t i = 0; i < bytes / sizeof(float); ++i)
        frames[i] *= g;
}

// TORVANELL_CHURN_SECONDS sets the length (a few seconds by default).
double ChurnSeconds() {
    const char* env = std::getenv("TORVANELL_CHURN_SECONDS");
    return env ? std::max(0.1, std::atof(env)) : 3.0;
}

TEST(EngineChurn, UiThreadStormWhileMixing_NoRaceAndNoAllocationOnTheMixingThread) {
    PulledEngine engine;
    ASSERT_TRUE(engine->Init(1, 44100, 0));
    const auto file = Fixture("tone-1k.wav");
    Handle channel = OpenAny(*engine, file);
    ASSERT_NE(channel, 0u);
    ASSERT_TRUE(engine->ChannelPlay(channel, true));

    g_countedAllocations = 0;
    std::atomic<bool> stop{false};
    std::atomic<long> blocks{0};
    std::thread mixer([&] {
        std::vector<float> block(2 * 512);
        t_countAllocations = true;  // from here every allocation on this thread is a fault
        while (!stop.load(std::memory_order_relaxed)) {
            if (engine.output->Pull(block.data(), 512))
                blocks.fetch_add(1, std::memory_order_relaxed);
            std::this_thread::yield();
        }
        t_countAllocations = false;
    });

    static float gain = 0.9f;
    std::mt19937 random(2024);
    std::vector<Handle> effects, dsps;
    std::vector<float> fft(512);
    const uint32_t types[] = {audio::kFxChorus, audio::kFxEcho, audio::kFxFlanger,
                              audio::kFxParamEq, audio::kFxReverb};
    long commands = 0, reopened = 0;
    const auto until =
        std::chrono::steady_clock::now() + std::chrono::duration<double>(ChurnSeconds());
    while (std::chrono::steady_clock::now() < until) {
        ++commands;
        switch (random() % 10) {
            case 0:
                if (effects.size() < 16)
                    effects.push_back(
                        engine->ChannelSetFX(channel, types[random() % 5], int(random() % 4)));
                break;
            case 1:
                if (!effects.empty()) {
                    engine->ChannelRemoveFX(channel, effects.back());
                    effects.pop_back();
                }
                break;
            case 2:
                if (dsps.size() < 8)
                    dsps.push_back(engine->ChannelSetDSP(channel, Gain, &gain, int(random() % 3)));
                else {
                    engine->ChannelRemoveDSP(channel, dsps.back());
                    dsps.pop_back();
                }
                break;
            case 3:
                if (!effects.empty()) {
                    audio::FxParams p;
                    const Handle fx = effects[random() % effects.size()];
                    if (engine->FXGetParameters(fx, p)) {
                        if (auto* r = std::get_if<audio::ReverbParams>(&p))
                            r->fReverbMix = -float(random() % 20);
                        if (auto* e = std::get_if<audio::EchoParams>(&p))
                            e->fLeftDelay = float(1 + random() % 1000);
                        engine->FXSetParameters(fx, p);
                    }
                }
                break;
            case 4:
                engine->ChannelSetPosition(channel, 4 * int64_t(random() % 40000));
                break;
            case 5:
                engine->ChannelSlideAttributes(channel, -1, int(random() % 101), -101,
                                               random() % 50);
                break;
            case 6:
                if (!engine->ChannelPause(channel))
                    engine->ChannelPlay(channel, false);
                break;
            case 7:
                engine->ChannelGetData(channel, fft.data(), audio::kDataFft1024);
                break;
            case 8:
                if (random() % 8 == 0) {  // free the channel with everything on it, open anew
                    engine->StreamFree(channel);
                    effects.clear();
                    dsps.clear();
                    channel = OpenAny(*engine, file);
                    ASSERT_NE(channel, 0u);
                    engine->ChannelPlay(channel, true);
                    ++reopened;
                }
                break;
            default:
                engine->ChannelGetPosition(channel);
                break;
        }
    }
    stop = true;
    mixer.join();
    engine->StreamFree(channel);
    EXPECT_GT(blocks.load(), 100);
    EXPECT_GT(reopened, 0);
    EXPECT_EQ(g_countedAllocations.load(), 0)
        << "the mixing thread allocated during " << commands << " commands";
}

}  // namespace
}  // namespace tv::testing

namespace tv::testing {
namespace {

// Pulled at the pace of a device, a playing channel never finds its ring short.
TEST(EngineUnderruns, PlayingAtDevicePace_CountsNone) {
    PulledEngine engine;
    ASSERT_TRUE(engine->Init(1, 44100, 0));
    const Handle channel = OpenAny(*engine, Fixture("tone-1k.wav"));
    ASSERT_NE(channel, 0u);
    ASSERT_TRUE(engine->ChannelPlay(channel, true));
    const auto before = engine->UnderrunCount();
    for (int block = 0; block < 15; ++block) {  // 15 blocks of 1024 frames of a 0.5 s file
        engine.Pull(1024);
        std::this_thread::sleep_for(std::chrono::milliseconds(23));
    }
    EXPECT_EQ(engine->UnderrunCount(), before);
    EXPECT_GT(engine->ChannelGetPosition(channel), 0);
}

}  // namespace
}  // namespace tv::testing
