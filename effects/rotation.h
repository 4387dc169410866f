#pragma once

// The stereo rotation: a sample processor that swings the sound from side to side by scaling
// the left side with the sine and the right side with the cosine of a slowly growing phase.

#include <atomic>

#include "core/audio/audiolibrary.h"

namespace tv::effects {

// pi/4 as the 32-bit float the rotation restarts from.
inline constexpr float kRotateStartPhase = 0.7853981f;
// Growth of the phase per frame, and the float pi it is reduced by.
inline constexpr double kRotateStep = 0.00003;
inline constexpr float kRotatePi = 3.1415927f;

// The rotation's phase: written by the user-interface thread only while no processor is
// attached, read and advanced by the processor on the mixing thread.
struct RotateState {
    std::atomic<float> RotatePhase{0.0f};
};

// One step of the phase: (phase + 0.00003) mod pi, rounded to the nearest float.
float NextRotatePhase(float phase);

// The sample processor. `user` points to the RotateState to advance. Works on `frameCount`
// interleaved stereo float frames in place; allocates nothing and takes no lock. Products are
// limited to -1..1, so a full-scale sample never flips its sign.
void RotateDspProc(audio::Handle dsp, audio::Handle channel, float* frames, uint32_t frameCount,
                   void* user);

}  // namespace tv::effects
