// Playing through an output: the position follows what the mixing thread takes, modules end,
// pause holds still, DSP callbacks run on the mixing thread and that thread never allocates.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "allocationcounter.h"
#include "audiotestutil.h"

namespace tv::testing {
namespace {

using audio::Handle;

TEST(Playback, ModulePositionAdvancesAndReachesItsLength) {
    PulledEngine engine;
    ASSERT_TRUE(engine->Init(1, 44100, 0));
    const Handle h = engine->MusicLoad(Fixture("tone.mod"), audio::kMusicPrescan);
    ASSERT_NE(h, 0u);
    const int64_t length = engine->ChannelGetLength(h);
    ASSERT_GT(length, 0);
    EXPECT_EQ(engine->ChannelGetPosition(h), 0);
    ASSERT_TRUE(engine->ChannelPlay(h, true));
    engine.Pull(4096);
    const int64_t first = engine->ChannelGetPosition(h);
    EXPECT_EQ(first, 4096 * 4);  // stereo 16-bit bytes of the frames taken
    engine.Pull(2048);
    EXPECT_EQ(engine->ChannelGetPosition(h), first + 2048 * 4);

    // Pull the rest in real blocks, giving the decode thread time to keep up.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (engine->ChannelGetPosition(h) < length && std::chrono::steady_clock::now() < deadline) {
        engine.Pull(1024);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(engine->ChannelGetPosition(h), length);
    const auto after = engine.Pull(1024);
    EXPECT_TRUE(std::all_of(after.begin(), after.end(), [](float s) { return s == 0.0f; }));
}

TEST(Playback, PauseHoldsThePositionAndResumeContinues) {
    PulledEngine engine;
    ASSERT_TRUE(engine->Init(1, 44100, 0));
    const Handle h = OpenAny(*engine, Fixture("tone-1k.wav"));
    ASSERT_NE(h, 0u);
    EXPECT_FALSE(engine->ChannelPause(h));  // not playing yet
    ASSERT_TRUE(engine->ChannelPlay(h, true));
    EXPECT_GT(Rms(engine.Pull(2048)), 0.05);
    ASSERT_TRUE(engine->ChannelPause(h));
    const int64_t held = engine->ChannelGetPosition(h);
    EXPECT_EQ(held, 2048 * 2);
    EXPECT_EQ(Rms(engine.Pull(2048)), 0.0);
    EXPECT_EQ(engine->ChannelGetPosition(h), held);
    ASSERT_TRUE(engine->ChannelPlay(h, false));
    EXPECT_GT(Rms(engine.Pull(1024)), 0.05);
    EXPECT_EQ(engine->ChannelGetPosition(h), held + 1024 * 2);
    // Restart goes back to the beginning; a played channel belongs to the mixing thread.
    ASSERT_TRUE(engine->ChannelPlay(h, true));
    EXPECT_EQ(engine->ChannelGetPosition(h), 0);
    float buf[8];
    EXPECT_EQ(engine->RenderOffline(h, buf, 4), 0);
    ASSERT_TRUE(engine->ChannelStop(h));
    EXPECT_EQ(Rms(engine.Pull(1024)), 0.0);
}

TEST(Playback, SeekWhilePlayingRestartsTheRing) {
    PulledEngine engine;
    ASSERT_TRUE(engine->Init(1, 44100, 0));
    const Handle h = OpenAny(*engine, Fixture("silence-then-tone.flac"));
    ASSERT_NE(h, 0u);
    ASSERT_TRUE(engine->ChannelPlay(h, true));
    EXPECT_LT(Rms(engine.Pull(1024)), 1e-4);  // the silent first second
    ASSERT_TRUE(engine->ChannelSetPosition(h, engine->ChannelSeconds2Bytes(h, 1.1)));
    EXPECT_GT(Rms(engine.Pull(1024)), 0.2);  // straight into the tone, no stale frames
}

// An output with its own thread that mixes blocks back to back, like a sound card would,
// counting heap allocations on that thread.
class ThreadedOutput final : public audio::Output {
public:
    bool Open(int, audio::MixFunction mix, void* user) override {
        m_mix = mix;
        m_user = user;
        return true;
    }
    bool Start() override {
        m_thread = std::thread([this] { Run(); });
        return true;
    }
    void Close() override {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }
    ~ThreadedOutput() override { Close(); }

    std::thread::id ThreadId() const { return m_id; }
    int Blocks() const { return m_blocks.load(); }

private:
    void Run() {
        m_id = std::this_thread::get_id();
        std::vector<float> block(1024 * 2);
        while (!m_stop) {
            t_countAllocations = true;
            m_mix(m_user, block.data(), 1024);
            t_countAllocations = false;
            ++m_blocks;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }

    audio::MixFunction m_mix = nullptr;
    void* m_user = nullptr;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_blocks{0};
    std::thread::id m_id;
};

struct DspProbe {
    std::atomic<int> calls{0};
    std::atomic<bool> wrongThread{false};
    std::thread::id mixingThread;  // set before the channel plays
    bool allocate = false;
};

void ProbeDsp(Handle, Handle, float*, uint32_t, void* user) {
    auto* probe = static_cast<DspProbe*>(user);
    if (probe->mixingThread != std::this_thread::get_id())
        probe->wrongThread = true;
    if (probe->allocate) {  // the control case: must be counted
        static std::atomic<int*> sink{nullptr};
        delete sink.exchange(new int(7));
    }
    ++probe->calls;
}

class MixingThread : public ::testing::TestWithParam<bool> {};

TEST_P(MixingThread, RunsDspsThereAndAllocatesNothing) {
    const bool dspAllocates = GetParam();
    auto output = std::make_unique<ThreadedOutput>();
    ThreadedOutput* out = output.get();
    audio::Engine engine(std::move(output));
    ASSERT_TRUE(engine.Init(1, 44100, 0));
    while (out->Blocks() == 0)
        std::this_thread::yield();

    const Handle h = OpenAny(engine, Fixture("tone-1k.mp3"));
    ASSERT_NE(h, 0u);
    DspProbe probe;
    probe.mixingThread = out->ThreadId();
    probe.allocate = dspAllocates;
    ASSERT_NE(engine.ChannelSetDSP(h, &ProbeDsp, &probe, 0), 0u);
    for (uint32_t type :
         {audio::kFxChorus, audio::kFxEcho, audio::kFxFlanger, audio::kFxParamEq, audio::kFxReverb})
        ASSERT_NE(engine.ChannelSetFX(h, type, 1), 0u);
    engine.ChannelSlideAttributes(h, -1, 20, -101, 50);

    g_countedAllocations = 0;
    ASSERT_TRUE(engine.ChannelPlay(h, true));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (engine.ChannelGetPosition(h) < engine.ChannelGetLength(h) &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_EQ(engine.ChannelGetPosition(h), engine.ChannelGetLength(h));  // played to the end

    EXPECT_GT(probe.calls.load(), 10);
    EXPECT_FALSE(probe.wrongThread.load());
    EXPECT_NE(out->ThreadId(), std::this_thread::get_id());
    if (dspAllocates)
        EXPECT_GE(g_countedAllocations.load(), probe.calls.load());
    else
        EXPECT_EQ(g_countedAllocations.load(), 0);
    EXPECT_TRUE(engine.StreamFree(h));
}

INSTANTIATE_TEST_SUITE_P(Dsp, MixingThread, ::testing::Values(false, true), [](const auto& info) {
    return info.param ? std::string("AllocatingDspIsCaught") : std::string("CleanChain");
});

}  // namespace
}  // namespace tv::testing
