#pragma once

// A lock for the mixing chain: the user-interface thread holds it only for a few pointer or
// field updates, the mixing thread for one pass over the channels. Waiting yields the CPU
// instead of sleeping on a kernel mutex, and nothing here allocates.

#include <atomic>
#include <thread>

namespace tv::audio {

class SpinLock {
public:
    void lock() noexcept {
        while (m_locked.exchange(true, std::memory_order_acquire)) {
            while (m_locked.load(std::memory_order_relaxed))
                std::this_thread::yield();
        }
    }
    bool try_lock() noexcept { return !m_locked.exchange(true, std::memory_order_acquire); }
    void unlock() noexcept { m_locked.store(false, std::memory_order_release); }

private:
    std::atomic<bool> m_locked{false};
};

}  // namespace tv::audio
