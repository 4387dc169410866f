// Effect factory: one small class per effect type.

#include "core/audio/effect.h"
#include "core/audio/fx/chorusflanger.h"
#include "core/audio/fx/echo.h"
#include "core/audio/fx/parameq.h"
#include "core/audio/fx/reverb.h"

namespace tv::audio {

std::unique_ptr<Effect> CreateEffect(uint32_t type, int sampleRate) {
    if (sampleRate <= 0)
        return nullptr;
    switch (type) {
        case kFxChorus:
            return std::make_unique<fx::Chorus>(sampleRate);
        case kFxEcho:
            return std::make_unique<fx::Echo>(sampleRate);
        case kFxFlanger:
            return std::make_unique<fx::Flanger>(sampleRate);
        case kFxParamEq:
            return std::make_unique<fx::ParamEq>(sampleRate);
        case kFxReverb:
            return std::make_unique<fx::Reverb>(sampleRate);
        default:
            return nullptr;
    }
}

}  // namespace tv::audio
