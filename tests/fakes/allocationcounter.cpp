#include "allocationcounter.h"

#include <cstddef>
#include <cstdlib>
#include <new>

namespace tv::testing {

thread_local bool t_countAllocations = false;
std::atomic<long> g_countedAllocations{0};

namespace {
std::atomic<std::size_t> g_allAllocations{0};
}

std::size_t TotalAllocations() {
    return g_allAllocations.load();
}

}  // namespace tv::testing

// Every form of the global operators is replaced, so that memory allocated by one form and
// released by another (as libraries do) always meets the same allocator.
namespace {
void* Allocate(std::size_t size, std::size_t align) noexcept {
    tv::testing::g_allAllocations.fetch_add(1, std::memory_order_relaxed);
    if (tv::testing::t_countAllocations)
        tv::testing::g_countedAllocations.fetch_add(1, std::memory_order_relaxed);
    if (size == 0)
        size = 1;
    if (align <= alignof(std::max_align_t))
        return std::malloc(size);
    return std::aligned_alloc(align, (size + align - 1) / align * align);
}
void* AllocateOrThrow(std::size_t size, std::size_t align) {
    if (void* p = Allocate(size, align))
        return p;
    throw std::bad_alloc();
}
constexpr std::size_t kPlain = alignof(std::max_align_t);
}  // namespace

void* operator new(std::size_t n) {
    return AllocateOrThrow(n, kPlain);
}
void* operator new[](std::size_t n) {
    return AllocateOrThrow(n, kPlain);
}
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
    return Allocate(n, kPlain);
}
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept {
    return Allocate(n, kPlain);
}
void* operator new(std::size_t n, std::align_val_t a) {
    return AllocateOrThrow(n, std::size_t(a));
}
void* operator new[](std::size_t n, std::align_val_t a) {
    return AllocateOrThrow(n, std::size_t(a));
}
void* operator new(std::size_t n, std::align_val_t a, const std::nothrow_t&) noexcept {
    return Allocate(n, std::size_t(a));
}
void* operator new[](std::size_t n, std::align_val_t a, const std::nothrow_t&) noexcept {
    return Allocate(n, std::size_t(a));
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
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept {
    std::free(p);
}
