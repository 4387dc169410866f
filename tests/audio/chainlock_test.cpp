// The user-interface thread holds the mixing lock only to flip prepared state: attaching and
// removing sample processors and effects and seeking allocate nothing while it is held.

#include <gtest/gtest.h>

#include <vector>

#include "allocationcounter.h"
#include "audiotestutil.h"
#include "core/audio/spinlock.h"

namespace {

using tv::audio::Handle;

void Silence(Handle, Handle, float*, uint32_t, void*) {}

void CountWhileHeld(bool held) noexcept {
    tv::testing::t_countAllocations = held;
}

TEST(ChainLock, AttachDetachAndSeekChurn_AllocateNothingUnderTheLock) {
    tv::testing::PulledEngine engine;
    const Handle channel = tv::testing::OpenAny(*engine, tv::testing::Fixture("tone-1k.wav"));
    ASSERT_NE(channel, 0u);
    ASSERT_TRUE(engine->ChannelPlay(channel, true));
    tv::testing::g_countedAllocations = 0;
    tv::audio::g_spinLockObserver = CountWhileHeld;
    int attached = 0;
    for (int round = 0; round < 20; ++round) {
        std::vector<Handle> dsps, effects;
        for (int i = 0; i < 12; ++i) {
            dsps.push_back(engine->ChannelSetDSP(channel, Silence, nullptr, i % 3));
            for (uint32_t type : {0u, 3u, 4u, 7u, 8u})
                effects.push_back(engine->ChannelSetFX(channel, type, i));
        }
        engine->ChannelSetPosition(channel, 176400LL * (round % 3));
        engine.Pull(1024);  // the next block acts on the seek's reset
        for (Handle h : dsps)
            attached += engine->ChannelRemoveDSP(channel, h);
        for (Handle h : effects)
            attached += engine->ChannelRemoveFX(channel, h);
    }
    tv::audio::g_spinLockObserver = nullptr;
    EXPECT_EQ(attached, 20 * 12 * 6);  // every attach worked and was undone
    EXPECT_EQ(tv::testing::g_countedAllocations.load(), 0);
}

}  // namespace
