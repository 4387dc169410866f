#pragma once

// Where the mixed sound goes. The engine hands the output a mixing function; the output
// calls it from its own thread (the mixing thread) whenever it needs a block of interleaved
// stereo float frames at the rate it was opened with.

#include <memory>

namespace tv::audio {

// Fills `frames` interleaved stereo float frames at `out`. Runs on the mixing thread.
using MixFunction = void (*)(void* user, float* out, int frames);

class Output {
public:
    virtual ~Output() = default;

    // UI thread. Opens the device for stereo float at `rate`; `mix` may be called from the
    // output's thread from Start on until Close returns. false: no device could be opened.
    virtual bool Open(int rate, MixFunction mix, void* user) = 0;
    // UI thread. Lets the device run (Open leaves it paused).
    virtual bool Start() = 0;
    // UI thread. Stops calling `mix` before returning; harmless when not open.
    virtual void Close() = 0;
};

// The sound card through SDL2's default device (SDL_AUDIODRIVER selects the driver).
std::unique_ptr<Output> CreateSdlOutput();

}  // namespace tv::audio
