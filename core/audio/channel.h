#pragma once

// One open stream or module: its decoder, the decode thread that keeps a ring of output-rate
// frames about half a second ahead, its processing chain (DSP callbacks, effects, volume with
// its slide) and the tap of its last 1024 output frames for the spectrum.
//
// Threads and locks:
//  - UI thread: construction, Play/Pause/Stop, SetPosition, the chain edits, destruction.
//  - Decode thread (started by the first Play): the only user of the decoder besides the UI
//    thread holding m_decoderMutex; the only writer of the ring.
//  - Mixing thread: PullFromRing, ProcessChain. It runs with the engine's mixing lock held;
//    every UI call marked "mix lock" below must be made with that lock held, and holds it
//    only for a few field updates.

#include <array>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "core/audio/audiolibrary.h"
#include "core/audio/decoder.h"
#include "core/audio/effect.h"
#include "core/audio/ringbuffer.h"
#include "core/audio/spinlock.h"

namespace tv::audio {

inline constexpr int kTapFrames = 1024;
inline constexpr int kMaxBlockFrames = 4096;  // largest block the chain sees at once
// Sample processors and effects one channel can hold. The lists are reserved at this size when
// the channel is made, so attaching under the mix lock never allocates; beyond it the
// attach fails (handle 0). The player attaches at most a dozen.
inline constexpr size_t kMaxChainSlots = 64;
inline constexpr float kMaxSourceGain = 16.0f;  // +24 dB, the most a levelling tag asks
inline constexpr int kGainGlideFrames = 2205;   // 50 ms: a gain change on a playing channel

class Channel {
public:
    enum class State { Stopped, Playing, Paused };

    Channel(Handle handle, bool module, std::unique_ptr<Decoder> decoder);
    // UI thread. Stops the decode thread; the caller has removed the channel from the mixer.
    ~Channel();
    Channel(const Channel&) = delete;
    Channel& operator=(const Channel&) = delete;

    Handle GetHandle() const { return m_handle; }
    bool IsModule() const { return m_module; }
    // The facts of the source being heard (after a gapless hand-over, of the new one).
    const SourceInfo& Info() const {
        return m_infos[static_cast<size_t>(m_infoIndex.load(std::memory_order_acquire))];
    }
    State GetState() const { return m_state.load(std::memory_order_acquire); }
    bool Streaming() const { return m_thread.joinable(); }

    // UI thread. Starts playing (from the start when `restart` or when it had ended); the first
    // call primes the ring and starts the decode thread. Takes the mix lock itself.
    void Play(SpinLock& mixLock, bool restart);
    // UI thread, mix lock held.
    void SetState(State state) { m_state.store(state, std::memory_order_release); }

    // UI thread. Moves to `sourceFrame`; takes the decoder mutex and then, briefly, the mix
    // lock. false when the decoder cannot move (the channel is unchanged).
    bool SetPosition(SpinLock& mixLock, int64_t sourceFrame);
    // Mix lock held (the hand-over changes the position's parts together). Frames of the
    // source heard so far (the length once it has ended).
    int64_t PositionFrames() const;

    // --- gapless hand-over ----------------------------------------------------------------
    // UI thread, after Play. Queues `next` to follow the current source in the same ring, so
    // its first frame is mixed right after the current source's last one, through the same
    // chain (no fade, no reset of the effects). Replaces a queued decoder that has not begun.
    // false (and `next` dropped) when the current source has already been heard to its end,
    // or when an earlier queued source has begun decoding but is not heard yet.
    // `gain` is the queued source's gain, taken over exactly at its first frame.
    bool QueueNext(SpinLock& mixLock, std::unique_ptr<Decoder> next, float gain = 1.0f);
    // UI thread. Calls the queued source off: dropped if it has not begun, otherwise the
    // channel ends where the current source ends.
    void CancelNext();
    // Any thread. How many queued sources have been heard starting (the hand-overs).
    uint32_t TrackChanges() const { return m_trackChanges.load(std::memory_order_acquire); }
    // UI thread, never after Play: gives the decoder away (the channel is then to be freed).
    std::unique_ptr<Decoder> ReleaseDecoder();

    // Mixing thread, mix lock held. Fills `frames` frames of `dst` from the ring (silence where
    // the decoder fell behind), counts them as heard, and notices the end of the source.
    // Returns false for an underrun: the ring was short of frames while the source had more.
    bool PullFromRing(float* dst, int frames);
    // UI thread, never after Play. Decodes straight into `dst`; returns frames made, 0 at end.
    int PullDirect(float* dst, int frames);
    // Mixing thread or offline renderer, mix lock held: DSP callbacks, effects, volume, tap.
    void ProcessChain(float* frames, int count);

    // --- chain edits: UI thread, mix lock held ------------------------------------------
    // They never allocate: the lists are reserved at kMaxChainSlots. Check ChainFull first.
    bool DspFull() const { return m_dsps.size() >= kMaxChainSlots; }
    bool EffectsFull() const { return m_effects.size() >= kMaxChainSlots; }
    void AddDsp(Handle dsp, DspProc proc, void* user, int priority);
    bool RemoveDsp(Handle dsp);
    void AddEffect(Handle fx, int priority, std::unique_ptr<Effect> effect);
    // Moves the effect out (nullptr if absent); destroy it after releasing the lock.
    std::unique_ptr<Effect> TakeEffect(Handle fx);
    Effect* FindEffect(Handle fx);
    // Glides the volume (0..1) to `target` over `frames` output frames (0: at once).
    void SlideVolume(float target, int64_t frames);
    // True while a slide has frames left to mix.
    bool Sliding() const { return m_slideLeft > 0; }
    // The source gain (loudness levelling) of the source being heard, applied in PullFromRing
    // and PullDirect before the chain. `glide`: reach it over kGainGlideFrames, else at once.
    void SetSourceGain(float gain, bool glide);
    float SourceGain() const;
    // Copies the last kTapFrames frames, mixed to mono, oldest first.
    void CopyTap(float* mono) const;

private:
    struct DspSlot {
        Handle handle;
        DspProc proc;
        void* user;
        int priority;
    };
    struct FxSlot {
        Handle handle;
        int priority;
        std::unique_ptr<Effect> effect;
    };

    void DecodeLoop();
    // Decoder mutex held: decodes up to `frames` frames into the ring.
    void FillLocked(int frames);
    // Decoder mutex held, the current source just ended: the queued one takes its place.
    void SwitchToNextLocked(int64_t boundary);
    // Mixing thread: the block holds the boundary at `at` frames in; the queued source is
    // heard from there (or, called off, the channel ends there).
    void HearBoundary(float* dst, int frames, int got, int at);
    void ApplyVolume(float* frames, int count);
    // Mixing thread (or offline): the source gain on frames [from, to) of `dst`.
    void ApplySourceGain(float* dst, int from, int to);
    std::atomic<float>& CurrentGainSlot() {
        return m_gains[static_cast<size_t>(m_infoIndex.load(std::memory_order_acquire))];
    }
    void Tap(const float* frames, int count);

    const Handle m_handle;
    const bool m_module;
    std::unique_ptr<Decoder> m_decoder;
    // Info() is m_infos[m_infoIndex]; QueueNext writes the other slot, the mixing thread flips
    // the index when the queued source is first heard.
    std::array<SourceInfo, 2> m_infos;
    std::atomic<int> m_infoIndex{0};
    // The source gains, indexed like m_infos (QueueNext writes the other slot).
    std::array<std::atomic<float>, 2> m_gains{1.0f, 1.0f};
    float m_gain = 1.0f;  // mix lock: the gain applied now, gliding to m_gainTarget
    float m_gainTarget = 1.0f;
    float m_gainStep = 0.0f;
    std::atomic<State> m_state{State::Stopped};

    // Decoding side.
    std::mutex m_decoderMutex;
    std::condition_variable m_wake;
    std::thread m_thread;
    bool m_quit = false;                     // decoder mutex
    std::vector<float> m_decodeBuffer;       // decoder mutex
    std::atomic<bool> m_decodeEnded{false};  // the decoder has nothing more
    RingBuffer m_ring;
    int64_t m_written = 0;            // decoder mutex: frames put in the ring since the seek
    std::unique_ptr<Decoder> m_next;  // decoder mutex: queued to follow the current source
    std::unique_ptr<Decoder> m_prev;  // decoder mutex: the source still heard after a switch
    // Ring frames (counted as m_read counts them) at which the queued source begins; -1 when
    // the decode thread has not switched yet. Set by the decode thread, cleared when heard.
    std::atomic<int64_t> m_boundary{-1};
    std::atomic<bool> m_cancelAtBoundary{false};
    std::atomic<uint32_t> m_trackChanges{0};

    // Position: m_base source frames at the last seek plus m_taken output frames since.
    std::atomic<int64_t> m_base{0};  // written under the mix lock
    std::atomic<int64_t> m_taken{0};
    std::atomic<int64_t> m_read{0};  // frames taken from the ring since the seek (mixing thread)
    std::atomic<bool> m_ended{false};

    // Set by a seek on the UI thread; the next block processed resets the effects' state
    // (delay lines, filters), so the UI never clears them under the lock.
    std::atomic<bool> m_resetEffects{false};
    // Chain (mix lock).
    std::vector<DspSlot> m_dsps;
    std::vector<FxSlot> m_effects;
    float m_volume = 1.0f;
    float m_slideTarget = 1.0f;
    float m_slideStep = 0.0f;
    int64_t m_slideLeft = 0;
    std::array<float, kTapFrames> m_tap{};
    int m_tapPos = 0;
};

}  // namespace tv::audio
