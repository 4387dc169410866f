#pragma once

// The shared recording fake of the audio library. Its header names the handle type without
// its namespace, so the name is made visible where the fake lives before it is included.

#include "core/audio/audiolibrary.h"

namespace tv::testing {
using audio::Handle;
}  // namespace tv::testing

#include "fakeaudiolibrary.h"
