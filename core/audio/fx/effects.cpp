// Effect factory. Until the effects' own processing lands, every known type passes the sound
// through unchanged while keeping its parameter record.

#include "core/audio/effect.h"

namespace tv::audio {
namespace {

template <typename Params>
class PassThroughEffect final : public Effect {
public:
    void Process(float*, int) override {}
    void Reset() override {}
    bool SetParams(const FxParams& params) override {
        const auto* p = std::get_if<Params>(&params);
        if (!p) return false;
        m_params = *p;
        return true;
    }
    FxParams GetParams() const override { return m_params; }

private:
    Params m_params;
};

}  // namespace

std::unique_ptr<Effect> CreateEffect(uint32_t type, int /*sampleRate*/) {
    switch (type) {
        case kFxChorus: return std::make_unique<PassThroughEffect<ChorusParams>>();
        case kFxEcho: return std::make_unique<PassThroughEffect<EchoParams>>();
        case kFxFlanger: return std::make_unique<PassThroughEffect<FlangerParams>>();
        case kFxParamEq: return std::make_unique<PassThroughEffect<ParamEqParams>>();
        case kFxReverb: return std::make_unique<PassThroughEffect<ReverbParams>>();
        default: return nullptr;
    }
}

}  // namespace tv::audio
