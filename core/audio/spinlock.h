#pragma once

// A lock for the mixing chain: the user-interface thread holds it only for a few pointer or
// field updates, the mixing thread for one pass over the channels. Waiting yields the CPU
// instead of sleeping on a kernel mutex, and nothing here allocates.

#include <atomic>
#include <thread>

namespace tv::audio {

// Test seam: when set, called on the locking thread with true right after a lock is taken and
// with false right before it is released (the tests count allocations made meanwhile). Set it
// only while no lock is held.
inline void (*g_spinLockObserver)(bool held) noexcept = nullptr;

class SpinLock {
public:
    void lock() noexcept {
        while (m_locked.exchange(true, std::memory_order_acquire)) {
            while (m_locked.load(std::memory_order_relaxed))
                std::this_thread::yield();
        }
        if (auto observer = g_spinLockObserver)
            observer(true);
    }
    bool try_lock() noexcept {
        const bool taken = !m_locked.exchange(true, std::memory_order_acquire);
        if (auto observer = g_spinLockObserver; taken && observer)
            observer(true);
        return taken;
    }
    void unlock() noexcept {
        if (auto observer = g_spinLockObserver)
            observer(false);
        m_locked.store(false, std::memory_order_release);
    }

private:
    std::atomic<bool> m_locked{false};
};

}  // namespace tv::audio
