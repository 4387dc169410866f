#pragma once

// The loudness-levelling gain of a track: from its stored gains and peaks and the user's
// settings to the linear factor the audio library applies before the effects.
//
// Threads: any (pure function).

#include "core/settings.h"
#include "tags/replaygain.h"

namespace tv::core {

// Files without levelling tags play at this gain (the preamp, meant for tagged files that
// sit well below full scale, is not added to it).
inline constexpr double kUntaggedGainDb = 0.0;

// The linear factor for a track. Mode 0 gives 1. Track mode uses the track's gain and peak,
// album mode the album's, automatic mode the album's unless `shuffled`; a missing value of
// the chosen kind falls back to the other kind. With clipping prevention the factor is
// limited so that the stored peak times the factor stays at or below full scale. The factor
// never exceeds 16 (+24 dB), the most the audio library accepts.
float ReplayGainFactor(const tags::ReplayGainTags& tags, const ReplayGainSettings& settings,
                       bool shuffled);

}  // namespace tv::core
