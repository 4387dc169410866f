#pragma once

// The recording fake with real effects behind its effect handles: every attached effect is a
// CreateEffect instance, and Render runs a buffer through them in the order they were
// attached, which is how the engine runs effects of equal priority.

#include <map>
#include <memory>
#include <vector>

#include "core/audio/effect.h"
#include "fakeaudiolibrary.h"
#include "signal.h"

namespace tv::testing {

class DspFakeLibrary : public FakeAudioLibrary {
public:
    audio::Handle ChannelSetFX(audio::Handle h, uint32_t type, int priority) override {
        const audio::Handle fx = FakeAudioLibrary::ChannelSetFX(h, type, priority);
        if (fx != 0)
            effects[fx] = audio::CreateEffect(type, kRate);
        return fx;
    }
    bool ChannelRemoveFX(audio::Handle h, audio::Handle fx) override {
        const bool ok = FakeAudioLibrary::ChannelRemoveFX(h, fx);
        if (ok)
            effects.erase(fx);
        return ok;
    }
    bool FXSetParameters(audio::Handle fx, const audio::FxParams& p) override {
        const bool ok = FakeAudioLibrary::FXSetParameters(fx, p);
        if (ok)
            effects.at(fx)->SetParams(p);
        return ok;
    }
    // Effect handles grow with each attach, so the map's order is the attach order.
    void Render(std::vector<float>& frames) {
        for (auto& [handle, effect] : effects)
            ProcessInBlocks(*effect, frames);
    }

    std::map<audio::Handle, std::unique_ptr<audio::Effect>> effects;
};

}  // namespace tv::testing
