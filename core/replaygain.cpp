#include "core/replaygain.h"

#include <algorithm>
#include <cmath>

namespace tv::core {

float ReplayGainFactor(const tags::ReplayGainTags& tags, const ReplayGainSettings& settings,
                       bool shuffled) {
    if (settings.mode <= 0 || settings.mode > 3)
        return 1.0f;
    const bool album = settings.mode == 2 || (settings.mode == 3 && !shuffled);
    const auto& gain = album ? tags.albumGain : tags.trackGain;
    const auto& otherGain = album ? tags.trackGain : tags.albumGain;
    const auto& peak = album ? tags.albumPeak : tags.trackPeak;
    const auto& otherPeak = album ? tags.trackPeak : tags.albumPeak;

    double db = kUntaggedGainDb;
    if (gain || otherGain)
        db = gain.value_or(otherGain.value_or(0.0)) + settings.preampTenths / 10.0;
    double factor = std::pow(10.0, db / 20.0);
    const double p = peak.value_or(otherPeak.value_or(0.0));
    if (settings.clip && p > 0.0 && factor * p > 1.0)
        factor = 1.0 / p;
    // The engine takes at most +24 dB; a larger stored gain plus preamp is held there.
    return static_cast<float>(std::min(factor, 16.0));
}

}  // namespace tv::core
