// Counts every allocation through the global operator new so that tests can check that a
// frame of the painter allocates nothing. Only counts; memory comes from malloc as usual.

#include <atomic>
#include <cstdlib>
#include <new>

#include "spectrumtesting.h"

namespace {
std::atomic<std::size_t> g_allocations{0};

void* CountedAlloc(std::size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}
}  // namespace

std::size_t tv::spectrum::testing::AllocationCount() {
    return g_allocations.load();
}

void* operator new(std::size_t size) {
    return CountedAlloc(size);
}
void* operator new[](std::size_t size) {
    return CountedAlloc(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
