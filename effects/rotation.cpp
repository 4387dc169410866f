#include "effects/rotation.h"

#include <algorithm>
#include <cmath>

namespace tv::effects {

float NextRotatePhase(float phase) {
    // The sum is formed in double, the quotient by pi truncated toward zero, and the
    // remainder stored back as the nearest float. Below two pi the remainder is one exact
    // subtraction, which spares the division in the mixing loop.
    const double pi = kRotatePi;
    double p = static_cast<double>(phase) + kRotateStep;
    if (p >= pi)
        p = p < 2.0 * pi ? p - pi : std::fmod(p, pi);
    return static_cast<float>(p);
}

void RotateDspProc(audio::Handle, audio::Handle, float* frames, uint32_t frameCount, void* user) {
    auto* state = static_cast<RotateState*>(user);
    if (!state || !frames)
        return;
    float phase = state->RotatePhase.load(std::memory_order_relaxed);
    for (uint32_t i = 0; i < frameCount; ++i) {
        const double p = phase;
        const float left = static_cast<float>(std::sin(p) * frames[2 * i]);
        const float right = static_cast<float>(std::cos(p) * frames[2 * i + 1]);
        frames[2 * i] = std::clamp(left, -1.0f, 1.0f);
        frames[2 * i + 1] = std::clamp(right, -1.0f, 1.0f);
        phase = NextRotatePhase(phase);
    }
    state->RotatePhase.store(phase, std::memory_order_relaxed);
}

}  // namespace tv::effects
