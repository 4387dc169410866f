#pragma once

// Small helpers shared by the effects' DSP: range checks of parameter records and the
// parameter smoother that keeps changes free of clicks.

#include <cmath>
#if defined(__SSE__) || defined(__x86_64__)
#include <xmmintrin.h>
#endif

namespace tv::audio::fx {

// `value` limited to lo..hi; a value that is not a number becomes `fallback`.
inline float ClampParam(float value, float lo, float hi, float fallback) {
    if (std::isnan(value))
        return fallback;
    return value < lo ? lo : (value > hi ? hi : value);
}

inline int ClampParam(int value, int lo, int hi) {
    return value < lo ? lo : (value > hi ? hi : value);
}

// Flushes subnormal numbers to zero for the life of one Process call and restores the
// caller's mode afterwards. Feedback loops that decay into the subnormal range would
// otherwise never reach zero and make every later block many times slower.
class DenormalGuard {
public:
#if defined(__SSE__) || defined(__x86_64__)
    DenormalGuard() : m_saved(_mm_getcsr()) {
        _mm_setcsr(m_saved | kFlushToZero | kDenormalsAreZero);
    }
    ~DenormalGuard() {
        _mm_setcsr(m_saved);
    }

private:
    static constexpr unsigned kFlushToZero = 0x8000;
    static constexpr unsigned kDenormalsAreZero = 0x0040;
    unsigned m_saved;
#endif
};

inline double DbToGain(double db) {
    return std::pow(10.0, db / 20.0);
}

// A one-pole glide from the current value to a target (time constant `seconds`, 5 ms unless
// told). Fresh smoothers start at their target so a new effect does not fade in.
class Smoothed {
public:
    void Init(int sampleRate, double seconds = 0.005) {
        m_coeff = 1.0 - std::exp(-1.0 / (seconds * sampleRate));
    }
    void Jump(double v) { m_value = m_target = v; }
    void SetTarget(double v) { m_target = v; }
    double Next() {
        m_value += (m_target - m_value) * m_coeff;
        // Close enough is exact, so a finished glide lets the effect take its fast path.
        if (std::abs(m_target - m_value) <= 1e-9 * (1.0 + std::abs(m_target)))
            m_value = m_target;
        return m_value;
    }
    bool Settled() const { return m_value == m_target; }
    double Value() const { return m_value; }
    double Target() const { return m_target; }

private:
    double m_coeff = 1.0;
    double m_value = 0.0;
    double m_target = 0.0;
};

}  // namespace tv::audio::fx
