// The engine's gapless hand-over on a pulled output: a queued stream follows the playing one
// in the same block, and a seek or a call-off leaves the playing one as it was.

#include <gtest/gtest.h>

#include <unistd.h>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "audiotestutil.h"

namespace fs = std::filesystem;
using namespace tv;
using audio::Handle;
using tv::testing::PulledEngine;

namespace {

constexpr int kRate = 44100;

// A mono 16-bit WAV holding `value` in every sample, so each file is known by its level.
void WriteLevelWav(const fs::path& path, int frames, int16_t value) {
    std::ofstream out(path, std::ios::binary);
    auto put = [&](uint32_t v, int bytes) { out.write(reinterpret_cast<const char*>(&v), bytes); };
    out.write("RIFF", 4);
    put(36 + uint32_t(frames) * 2, 4);
    out.write("WAVEfmt ", 8);
    put(16, 4), put(1, 2), put(1, 2), put(kRate, 4), put(kRate * 2, 4), put(2, 2), put(16, 2);
    out.write("data", 4);
    put(uint32_t(frames) * 2, 4);
    const std::vector<int16_t> pcm(size_t(frames), value);
    out.write(reinterpret_cast<const char*>(pcm.data()), std::streamsize(frames) * 2);
}

class HandOver : public ::testing::Test {
protected:
    HandOver() {
        dir = fs::temp_directory_path() / ("tv-handover-" + std::to_string(::getpid()));
        fs::create_directories(dir);
        WriteLevelWav(dir / "a.wav", kFramesA, 8192);   // 0.25
        WriteLevelWav(dir / "b.wav", kFramesB, 16384);  // 0.5
    }
    ~HandOver() override { fs::remove_all(dir); }
    void SetUp() override { ASSERT_TRUE(engine->Init(1, kRate, 0)); }

    Handle Open(const char* name) { return tv::testing::OpenAny(*engine, dir / name); }
    // Pulls blocks of 1000 frames, giving the decode thread time, and keeps the left side.
    std::vector<float> PullLeft(int blocks) {
        std::vector<float> left;
        for (int b = 0; b < blocks; ++b) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            const std::vector<float> block = engine.Pull(1000);
            for (size_t i = 0; i < block.size(); i += 2)
                left.push_back(block[i]);
        }
        return left;
    }

    static constexpr int kFramesA = 12345, kFramesB = 20000;
    fs::path dir;
    PulledEngine engine;
};

}  // namespace

TEST_F(HandOver, QueuedStreamFollowsTheLastFrameAndTakesThePosition) {
    const Handle a = Open("a.wav");
    ASSERT_NE(a, 0u);
    ASSERT_TRUE(engine->ChannelPlay(a, true));
    const Handle b = Open("b.wav");
    ASSERT_TRUE(engine->ChannelQueueNext(a, b));
    EXPECT_EQ(engine->ChannelGetLength(b), -1) << "the queued handle is consumed";
    const std::vector<float> left = PullLeft(40);
    // Exactly kFramesA frames of A, then B at once, then silence after B.
    for (int i = 0; i < kFramesA + kFramesB + 100; ++i) {
        const float want = i < kFramesA ? 0.25f : i < kFramesA + kFramesB ? 0.5f : 0.0f;
        ASSERT_EQ(left[size_t(i)], want) << "frame " << i;
    }
    EXPECT_EQ(engine->ChannelTrackChanges(a), 1u);
    EXPECT_EQ(engine->ChannelGetLength(a), int64_t(kFramesB) * 2);
    EXPECT_EQ(engine->ChannelGetPosition(a), int64_t(kFramesB) * 2);
}

TEST_F(HandOver, ASeekOrACallOffKeepsThePlayingStream) {
    for (const bool seek : {true, false}) {
        SCOPED_TRACE(seek ? "seek" : "call off");
        const Handle a = Open("a.wav");
        ASSERT_TRUE(engine->ChannelPlay(a, true));
        PullLeft(1);
        // A is decoded to its end by now, so B is already behind it in the ring.
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        ASSERT_TRUE(engine->ChannelQueueNext(a, Open("b.wav")));
        if (seek)
            ASSERT_TRUE(engine->ChannelSetPosition(a, 2 * 10000));
        else
            ASSERT_TRUE(engine->ChannelQueueNext(a, 0));
        const std::vector<float> left = PullLeft(20);
        const int rest = seek ? kFramesA - 10000 : kFramesA - 1000;
        for (int i = 0; i < rest + 1000; ++i)
            ASSERT_EQ(left[size_t(i)], i < rest ? 0.25f : 0.0f) << "frame " << i;
        EXPECT_EQ(engine->ChannelTrackChanges(a), 0u);
        EXPECT_EQ(engine->ChannelGetPosition(a), int64_t(kFramesA) * 2);
        EXPECT_TRUE(engine->StreamFree(a));
    }
}

TEST_F(HandOver, TheQueuedStreamsGainTakesOverAtItsFirstFrameAndAChangeGlides) {
    const Handle a = Open("a.wav");
    ASSERT_TRUE(engine->ChannelSetGain(a, 2.0f));  // 0.25 heard as 0.5
    ASSERT_TRUE(engine->ChannelPlay(a, true));
    const Handle b = Open("b.wav");
    ASSERT_TRUE(engine->ChannelSetGain(b, 0.5f));  // 0.5 heard as 0.25
    ASSERT_TRUE(engine->ChannelQueueNext(a, b));
    std::vector<float> left = PullLeft(14);
    for (int i = 0; i < kFramesA + 1000; ++i)
        ASSERT_EQ(left[size_t(i)], i < kFramesA ? 0.5f : 0.25f) << "frame " << i;
    // A change on the playing stream glides: no step larger than the 50 ms ramp's.
    ASSERT_TRUE(engine->ChannelSetGain(a, 1.0f));
    const std::vector<float> after = PullLeft(4);
    for (size_t i = 1; i < after.size(); ++i)
        ASSERT_LE(std::fabs(after[i] - after[i - 1]), 0.25f / 2000) << "frame " << i;
    EXPECT_FLOAT_EQ(after.back(), 0.5f);
    EXPECT_FALSE(engine->ChannelSetGain(a, 17.0f));
    // A stream that is already playing cannot be queued, but it is consumed all the same.
    const Handle playing = Open("b.wav");
    ASSERT_TRUE(engine->ChannelPlay(playing, true));
    EXPECT_FALSE(engine->ChannelQueueNext(a, playing));
    EXPECT_EQ(engine->ChannelGetLength(playing), -1);
}
