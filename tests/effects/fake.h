#pragma once

// The shared recording fake names the handle type without its namespace; make it visible
// in the fake's namespace before including it.

#include "core/audio/audiolibrary.h"

namespace tv::testing {
using audio::Handle;
}

#include "fakeaudiolibrary.h"
