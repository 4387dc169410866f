#include "allocationcounter.h"

#include <cstdlib>
#include <new>

namespace tv::testing {

thread_local bool t_countAllocations = false;
std::atomic<long> g_countedAllocations{0};

}  // namespace tv::testing

namespace {
void* CountedAlloc(std::size_t size) {
    if (tv::testing::t_countAllocations)
        tv::testing::g_countedAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
}  // namespace

void* operator new(std::size_t size) { return CountedAlloc(size); }
void* operator new[](std::size_t size) { return CountedAlloc(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
