#pragma once

// Single-producer single-consumer ring of interleaved stereo float frames. The decode thread
// writes, the mixing thread reads; neither blocks nor allocates after construction. Reset is
// only legal while both sides are excluded (the channel holds its decoder mutex and the
// engine its mixing lock).

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstring>
#include <vector>

namespace tv::audio {

class RingBuffer {
public:
    // `capacityFrames` must be a power of two.
    explicit RingBuffer(size_t capacityFrames)
        : m_data(capacityFrames * 2), m_mask(capacityFrames - 1) {}

    size_t Capacity() const { return m_mask + 1; }
    // Frames ready to read (consumer side) or already queued (producer side).
    size_t Available() const {
        return m_write.load(std::memory_order_acquire) - m_read.load(std::memory_order_acquire);
    }
    size_t Space() const { return Capacity() - Available(); }

    // Producer: copies up to `frames` frames in; returns how many fitted.
    size_t Write(const float* src, size_t frames) {
        const size_t w = m_write.load(std::memory_order_relaxed);
        const size_t r = m_read.load(std::memory_order_acquire);
        frames = std::min(frames, Capacity() - (w - r));
        Copy(w, frames, [&](size_t at, size_t off, size_t n) {
            std::memcpy(&m_data[at * 2], src + off * 2, n * 2 * sizeof(float));
        });
        m_write.store(w + frames, std::memory_order_release);
        return frames;
    }

    // Consumer: copies up to `frames` frames out; returns how many were there.
    size_t Read(float* dst, size_t frames) {
        const size_t r = m_read.load(std::memory_order_relaxed);
        const size_t w = m_write.load(std::memory_order_acquire);
        frames = std::min(frames, w - r);
        Copy(r, frames, [&](size_t at, size_t off, size_t n) {
            std::memcpy(dst + off * 2, &m_data[at * 2], n * 2 * sizeof(float));
        });
        m_read.store(r + frames, std::memory_order_release);
        return frames;
    }

    void Reset() {
        m_read.store(0, std::memory_order_relaxed);
        m_write.store(0, std::memory_order_release);
    }

private:
    // Calls fn(ringIndex, offsetInCaller, count) for the one or two contiguous pieces.
    template <typename Fn>
    void Copy(size_t start, size_t frames, Fn fn) {
        const size_t at = start & m_mask;
        const size_t first = std::min(frames, Capacity() - at);
        if (first)
            fn(at, 0, first);
        if (frames > first)
            fn(0, first, frames - first);
    }

    std::vector<float> m_data;
    size_t m_mask;
    std::atomic<size_t> m_read{0};
    std::atomic<size_t> m_write{0};
};

}  // namespace tv::audio
