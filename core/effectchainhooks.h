#pragma once

// Plugs the effect chain into the player: a new channel forgets the old effect handles, gets
// the switched-on effects and the rotation. The chain learns which channel is live from the
// player through ChannelQuery().

#include "core/player.h"
#include "core/playerview.h"
#include "effects/effectchain.h"

namespace tv::core {

class EffectChainHooks : public EffectHooks {
public:
    explicit EffectChainHooks(effects::EffectChain& chain) : m_chain(chain) {}

    void ForgetEffectHandles() override { m_chain.ForgetEffectHandles(); }
    void ApplyEffects(unsigned) override { m_chain.ApplyEffects(m_chain.EffectFlags()); }
    void UpdateRotation(unsigned) override { m_chain.UpdateRotation(); }

    // The current channel for the chain: live while audio plays or is paused, and while a
    // new channel is being equipped.
    static effects::ChannelQuery ChannelQuery(const Player& player) {
        return [&player] {
            const int state = player.PlayState();
            const bool live = player.Opening() || state == kAudioPlaying || state == kAudioPaused;
            return effects::ChannelState{player.Channel(), live && player.Channel() != 0};
        };
    }

private:
    effects::EffectChain& m_chain;
};

}  // namespace tv::core
