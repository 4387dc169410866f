#pragma once

// Parameter records of the five effect types the audio library offers. Field order, units,
// ranges and the defaults a freshly attached effect reports follow the classic DirectX 8
// effect structures, so that callers written against those records keep working.

#include <cstdint>
#include <variant>

namespace tv::audio {

// Effect type numbers as passed to AudioLibrary::ChannelSetFX.
enum : uint32_t {
    kFxChorus = 0,
    kFxEcho = 3,
    kFxFlanger = 4,
    kFxParamEq = 7,
    kFxReverb = 8,
};

struct ChorusParams {
    float fWetDryMix = 50.0f;  // 0..100 %, 100 = all wet
    float fDepth = 10.0f;      // 0..100 % of the delay modulated
    float fFeedback = 25.0f;   // -99..99 %
    float fFrequency = 1.1f;   // 0..10 Hz LFO
    int32_t lWaveform = 1;     // 0 triangle, 1 sine
    float fDelay = 16.0f;      // 0..20 ms
    int32_t lPhase = 3;        // 0 -180, 1 -90, 2 0, 3 +90, 4 +180 degrees (right LFO vs left)
};

struct FlangerParams {
    float fWetDryMix = 50.0f;
    float fDepth = 100.0f;
    float fFeedback = -50.0f;
    float fFrequency = 0.25f;
    int32_t lWaveform = 1;
    float fDelay = 2.0f;  // 0..4 ms
    int32_t lPhase = 2;
};

struct EchoParams {
    float fWetDryMix = 50.0f;    // 0..100 %
    float fFeedback = 50.0f;     // 0..100 %
    float fLeftDelay = 500.0f;   // 1..2000 ms
    float fRightDelay = 500.0f;  // 1..2000 ms
    int32_t lPanDelay = 0;       // 1: the delays swap sides on each repeat
};

struct ParamEqParams {
    float fCenter = 8000.0f;   // 80..16000 Hz, clamped to a third of the rate
    float fBandwidth = 12.0f;  // 1..36 semitones
    float fGain = 0.0f;        // -15..+15 dB
};

struct ReverbParams {
    float fInGain = 0.0f;             // -96..0 dB
    float fReverbMix = 0.0f;          // -96..0 dB, 0 dB is fully wet
    float fReverbTime = 1000.0f;      // 0.001..3000 ms
    float fHighFreqRTRatio = 0.001f;  // 0.001..0.999
};

// One record of any type; the alternative must match the effect's type.
using FxParams = std::variant<ChorusParams, EchoParams, FlangerParams, ParamEqParams, ReverbParams>;

}  // namespace tv::audio
