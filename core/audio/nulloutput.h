#pragma once

// An output without a device: nothing is played until the owner pulls blocks with Pull,
// which runs the engine's mixing function on the calling thread. Tests use it to drive the
// mixing path deterministically.

#include "core/audio/output.h"

namespace tv::audio {

class NullOutput final : public Output {
public:
    bool Open(int rate, MixFunction mix, void* user) override {
        m_rate = rate;
        m_mix = mix;
        m_user = user;
        return true;
    }
    bool Start() override {
        m_started = m_mix != nullptr;
        return m_started;
    }
    void Close() override {
        m_mix = nullptr;
        m_started = false;
    }

    // Any thread that owns the output. Mixes `frames` frames into `out` as the device
    // thread would; false (and `out` untouched) before Open/Start or after Close.
    bool Pull(float* out, int frames) {
        if (!m_started || !m_mix)
            return false;
        m_mix(m_user, out, frames);
        return true;
    }
    int Rate() const { return m_rate; }

private:
    MixFunction m_mix = nullptr;
    void* m_user = nullptr;
    int m_rate = 0;
    bool m_started = false;
};

}  // namespace tv::audio
