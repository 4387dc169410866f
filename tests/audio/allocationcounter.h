#pragma once

// Counts heap allocations made on threads that switched counting on. The test binary
// replaces the global operator new so that the mixing path can be checked for allocations.

#include <atomic>

namespace tv::testing {

extern thread_local bool t_countAllocations;
extern std::atomic<long> g_countedAllocations;

}  // namespace tv::testing
