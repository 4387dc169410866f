// The sound card through SDL2. SDL runs the mixing function on its own audio thread; the
// device is opened for float32 stereo at the mixing rate and SDL converts to whatever the
// hardware takes. SDL_AUDIODRIVER=dummy or disk runs it without a sound card.

#include <SDL.h>

#include "core/audio/output.h"

namespace tv::audio {
namespace {

class SdlOutput final : public Output {
public:
    ~SdlOutput() override { Close(); }

    bool Open(int rate, MixFunction mix, void* user) override {
        Close();
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
            return false;
        m_subsystem = true;
        m_mix = mix;
        m_user = user;
        SDL_AudioSpec want{};
        want.freq = rate;
        want.format = AUDIO_F32SYS;
        want.channels = 2;
        want.samples = 1024;
        want.callback = &SdlOutput::Callback;
        want.userdata = this;
        SDL_AudioSpec have{};
        // No changes allowed: SDL converts behind the scenes, so the mixer always sees
        // stereo float at its own rate.
        m_device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        if (m_device == 0) {
            Close();
            return false;
        }
        return true;
    }

    bool Start() override {
        if (m_device == 0)
            return false;
        SDL_PauseAudioDevice(m_device, 0);
        return true;
    }

    void Close() override {
        if (m_device != 0) {
            SDL_CloseAudioDevice(m_device);  // waits for a running callback to return
            m_device = 0;
        }
        if (m_subsystem) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            m_subsystem = false;
        }
    }

private:
    static void Callback(void* userdata, Uint8* stream, int len) {
        auto* self = static_cast<SdlOutput*>(userdata);
        self->m_mix(self->m_user, reinterpret_cast<float*>(stream),
                    len / static_cast<int>(2 * sizeof(float)));
    }

    SDL_AudioDeviceID m_device = 0;
    bool m_subsystem = false;
    MixFunction m_mix = nullptr;
    void* m_user = nullptr;
};

}  // namespace

std::unique_ptr<Output> CreateSdlOutput() {
    return std::make_unique<SdlOutput>();
}

}  // namespace tv::audio
