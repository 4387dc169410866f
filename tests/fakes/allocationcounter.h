#pragma once

// Counts heap allocations: those made on threads that switched counting on (the mixing path
// of the audio tests), and every allocation of the program (a painted frame of the spectrum).
// Linking the object library tv_test_allocations replaces the global operator new.

#include <atomic>
#include <cstddef>

namespace tv::testing {

extern thread_local bool t_countAllocations;
extern std::atomic<long> g_countedAllocations;

// Allocations on every thread since the program started.
std::size_t TotalAllocations();

}  // namespace tv::testing
