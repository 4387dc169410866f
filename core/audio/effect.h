#pragma once

// One effect of the mixing chain: stereo, float, processed in place on the mixing thread.
//
// Contract: Process and Reset run on the mixing thread (or the offline renderer) and never
// allocate, lock or block; all buffers are sized in the constructor. SetParams/GetParams are
// called by the engine with the chain's lock held, never concurrently with Process; a new
// record takes effect from the next block without clicks.

#include <cstdint>
#include <memory>

#include "effectparams.h"

namespace tv::audio {

class Effect {
public:
    virtual ~Effect() = default;

    // `frames` holds `count` interleaved stereo float frames.
    virtual void Process(float* frames, int count) = 0;
    // Forgets every delayed or filtered sample (as after a seek or a new attach).
    virtual void Reset() = 0;
    // false when the record is of another effect type.
    virtual bool SetParams(const FxParams& params) = 0;
    virtual FxParams GetParams() const = 0;
};

// Makes a fresh effect of `type` (kFxChorus, kFxEcho, kFxFlanger, kFxParamEq, kFxReverb) for a
// stream at `sampleRate`, reporting its type's defaults; nullptr for an unknown type.
std::unique_ptr<Effect> CreateEffect(uint32_t type, int sampleRate);

}  // namespace tv::audio
