#include "core/audio/channel.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace tv::audio {
namespace {

constexpr size_t kRingFrames = 32768;             // about 0.74 s at the output rate
constexpr size_t kAheadFrames = kOutputRate / 2;  // the decode thread stays this far ahead
constexpr int kDecodeChunk = 2048;
constexpr int kPrimeFrames = 8192;  // decoded on Play so the first block is sound
constexpr auto kPollInterval = std::chrono::milliseconds(10);

}  // namespace

Channel::Channel(Handle handle, bool module, std::unique_ptr<Decoder> decoder)
    : m_handle(handle),
      m_module(module),
      m_decoder(std::move(decoder)),
      m_decodeBuffer(static_cast<size_t>(std::max(kDecodeChunk, kPrimeFrames)) * 2),
      m_ring(kRingFrames) {
    m_infos[0] = m_decoder->Info();
    m_dsps.reserve(kMaxChainSlots);
    m_effects.reserve(kMaxChainSlots);
}

Channel::~Channel() {
    {
        std::lock_guard lock(m_decoderMutex);
        m_quit = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void Channel::Play(SpinLock& mixLock, bool restart) {
    if (restart || m_ended.load(std::memory_order_acquire))
        SetPosition(mixLock, 0);
    if (!m_thread.joinable()) {
        {
            std::lock_guard lock(m_decoderMutex);
            FillLocked(kPrimeFrames);
        }
        m_thread = std::thread(&Channel::DecodeLoop, this);
    }
    std::lock_guard lock(mixLock);
    SetState(State::Playing);
}

bool Channel::SetPosition(SpinLock& mixLock, int64_t sourceFrame) {
    std::lock_guard decoderLock(m_decoderMutex);
    // A seek calls the queued source off. If the decode thread has already switched to it,
    // the source being heard is the previous one, and that is the one to move.
    Decoder* heard =
        m_boundary.load(std::memory_order_acquire) >= 0 && m_prev ? m_prev.get() : m_decoder.get();
    if (!heard->Seek(sourceFrame))
        return false;
    if (heard != m_decoder.get())
        m_decoder = std::move(m_prev);
    m_prev.reset();
    m_next.reset();
    m_written = 0;
    {
        std::lock_guard lock(mixLock);
        m_ring.Reset();
        m_boundary.store(-1, std::memory_order_release);
        m_cancelAtBoundary.store(false, std::memory_order_release);
        m_base.store(sourceFrame, std::memory_order_release);
        m_taken.store(0, std::memory_order_release);
        m_read.store(0, std::memory_order_release);
        m_ended.store(false, std::memory_order_release);
        m_decodeEnded.store(false, std::memory_order_release);
        m_resetEffects.store(true, std::memory_order_release);
    }
    if (m_thread.joinable())
        FillLocked(kPrimeFrames);
    m_wake.notify_all();
    return true;
}

int64_t Channel::PositionFrames() const {
    const SourceInfo& info = Info();
    if (m_ended.load(std::memory_order_acquire) && info.lengthFrames > 0)
        return info.lengthFrames;
    // Heard output frames converted to the source's own rate.
    const int64_t heard = m_taken.load(std::memory_order_acquire) * info.rate / kOutputRate;
    const int64_t pos = m_base.load(std::memory_order_acquire) + heard;
    return info.lengthFrames > 0 ? std::min(pos, info.lengthFrames) : pos;
}

bool Channel::QueueNext(SpinLock& mixLock, std::unique_ptr<Decoder> next, float gain) {
    if (!next)
        return false;
    std::lock_guard decoderLock(m_decoderMutex);
    if (m_boundary.load(std::memory_order_acquire) >= 0)
        return false;  // an earlier queued source is already in the ring
    const int other = 1 - m_infoIndex.load(std::memory_order_acquire);
    m_infos[static_cast<size_t>(other)] = next->Info();
    m_gains[static_cast<size_t>(other)].store(gain, std::memory_order_release);
    m_next = std::move(next);
    m_cancelAtBoundary.store(false, std::memory_order_release);
    if (!m_decodeEnded.load(std::memory_order_acquire))
        return true;  // the decode thread switches when the current source ends
    // The current source has been decoded to its end already: switch now, unless the
    // mixing thread has also taken its last frame.
    std::lock_guard lock(mixLock);
    if (m_ended.load(std::memory_order_acquire)) {
        m_next.reset();
        return false;
    }
    SwitchToNextLocked(m_written);
    m_decodeEnded.store(false, std::memory_order_release);
    return true;
}

void Channel::CancelNext() {
    std::lock_guard decoderLock(m_decoderMutex);
    if (m_next)
        m_next.reset();
    else if (m_boundary.load(std::memory_order_acquire) >= 0)
        m_cancelAtBoundary.store(true, std::memory_order_release);
}

std::unique_ptr<Decoder> Channel::ReleaseDecoder() {
    std::lock_guard decoderLock(m_decoderMutex);
    return std::move(m_decoder);
}

void Channel::SwitchToNextLocked(int64_t boundary) {
    m_prev = std::move(m_decoder);
    m_decoder = std::move(m_next);
    m_boundary.store(boundary, std::memory_order_release);
}

void Channel::DecodeLoop() {
    std::unique_lock lock(m_decoderMutex);
    while (!m_quit) {
        const bool wanted =
            !m_decodeEnded.load(std::memory_order_relaxed) && m_ring.Available() < kAheadFrames;
        // The previous source is kept until its last frame has been heard (a seek may still
        // need it); then it is closed here, never on the mixing thread.
        if (m_prev && m_boundary.load(std::memory_order_acquire) < 0)
            m_prev.reset();
        if (wanted) {
            FillLocked(kDecodeChunk);
            // Let a waiting Seek or Free in between chunks.
            lock.unlock();
            std::this_thread::yield();
            lock.lock();
            continue;
        }
        // The mixing thread never signals (it must not touch this mutex); poll instead.
        m_wake.wait_for(lock, kPollInterval);
    }
}

void Channel::FillLocked(int frames) {
    if (m_decodeEnded.load(std::memory_order_relaxed))
        return;
    frames = std::min<int>(frames, static_cast<int>(m_ring.Space()));
    frames = std::min<int>(frames, static_cast<int>(m_decodeBuffer.size() / 2));
    if (frames <= 0)
        return;
    int got = m_decoder->Read(m_decodeBuffer.data(), frames);
    if (got < frames && m_next && m_boundary.load(std::memory_order_acquire) < 0) {
        // The current source has ended and a queued one follows: its first frame goes right
        // after the last one of the current source.
        SwitchToNextLocked(m_written + got);
        got += m_decoder->Read(m_decodeBuffer.data() + static_cast<size_t>(got) * 2, frames - got);
    }
    if (got > 0)
        m_ring.Write(m_decodeBuffer.data(), static_cast<size_t>(got));
    m_written += got;
    if (got < frames)
        m_decodeEnded.store(true, std::memory_order_release);
}

bool Channel::PullFromRing(float* dst, int frames) {
    // Read the end flag first: everything written before it was set is then visible.
    const bool decodeEnded = m_decodeEnded.load(std::memory_order_acquire);
    const int got = static_cast<int>(m_ring.Read(dst, static_cast<size_t>(frames)));
    if (got < frames)
        std::memset(dst + static_cast<size_t>(got) * 2, 0,
                    static_cast<size_t>(frames - got) * 2 * sizeof(float));
    const int64_t boundary = m_boundary.load(std::memory_order_acquire);
    const int64_t before = m_read.load(std::memory_order_acquire);
    m_read.store(before + got, std::memory_order_release);
    if (boundary >= 0 && before + got >= boundary) {
        // The gain switches with the source, at the boundary's frame and without a glide.
        const int at = static_cast<int>(boundary - before);
        ApplySourceGain(dst, 0, at);
        HearBoundary(dst, frames, got, at);
        m_gain = m_gainTarget = CurrentGainSlot().load(std::memory_order_acquire);
        ApplySourceGain(dst, at, got);
        return true;
    }
    ApplySourceGain(dst, 0, got);
    m_taken.fetch_add(got, std::memory_order_acq_rel);
    if (got < frames && decodeEnded && m_ring.Available() == 0) {
        m_ended.store(true, std::memory_order_release);
        SetState(State::Stopped);
    }
    return got == frames || decodeEnded;
}

void Channel::HearBoundary(float* dst, int frames, int got, int at) {
    const int64_t taken = m_taken.load(std::memory_order_acquire);
    m_boundary.store(-1, std::memory_order_release);
    if (m_cancelAtBoundary.exchange(false, std::memory_order_acq_rel)) {
        // Called off after it began decoding: the channel ends with the current source.
        std::memset(dst + static_cast<size_t>(at) * 2, 0,
                    static_cast<size_t>(frames - at) * 2 * sizeof(float));
        m_taken.store(taken + at, std::memory_order_release);
        m_ended.store(true, std::memory_order_release);
        SetState(State::Stopped);
        return;
    }
    // The queued source is heard from frame `at` of this block: the position starts over.
    m_base.store(0, std::memory_order_release);
    m_taken.store(got - at, std::memory_order_release);
    m_infoIndex.store(1 - m_infoIndex.load(std::memory_order_acquire), std::memory_order_release);
    m_trackChanges.fetch_add(1, std::memory_order_acq_rel);
}

int Channel::PullDirect(float* dst, int frames) {
    std::lock_guard lock(m_decoderMutex);
    if (m_decodeEnded.load(std::memory_order_relaxed))
        return 0;
    const int got = m_decoder->Read(dst, frames);
    ApplySourceGain(dst, 0, got);
    m_taken.fetch_add(got, std::memory_order_acq_rel);
    if (got == 0) {
        m_decodeEnded.store(true, std::memory_order_release);
        m_ended.store(true, std::memory_order_release);
    }
    return got;
}

void Channel::ProcessChain(float* frames, int count) {
    if (m_resetEffects.exchange(false, std::memory_order_acq_rel))
        for (const auto& fx : m_effects)
            fx.effect->Reset();
    for (const auto& dsp : m_dsps)
        dsp.proc(dsp.handle, m_handle, frames, static_cast<uint32_t>(count), dsp.user);
    for (const auto& fx : m_effects)
        fx.effect->Process(frames, count);
    ApplyVolume(frames, count);
    Tap(frames, count);
}

void Channel::ApplyVolume(float* frames, int count) {
    int i = 0;
    for (; i < count && m_slideLeft > 0; ++i) {
        m_volume = --m_slideLeft == 0 ? m_slideTarget : m_volume + m_slideStep;
        frames[2 * i] *= m_volume;
        frames[2 * i + 1] *= m_volume;
    }
    if (m_volume == 1.0f)
        return;
    for (; i < count; ++i) {
        frames[2 * i] *= m_volume;
        frames[2 * i + 1] *= m_volume;
    }
}

void Channel::SetSourceGain(float gain, bool glide) {
    CurrentGainSlot().store(gain, std::memory_order_release);
    if (!glide)
        m_gain = m_gainTarget = gain;
}

float Channel::SourceGain() const {
    return m_gains[static_cast<size_t>(m_infoIndex.load(std::memory_order_acquire))].load(
        std::memory_order_acquire);
}

void Channel::ApplySourceGain(float* dst, int from, int to) {
    const float target = CurrentGainSlot().load(std::memory_order_acquire);
    if (target != m_gainTarget) {
        m_gainTarget = target;
        m_gainStep = (target - m_gain) / static_cast<float>(kGainGlideFrames);
    }
    int i = from;
    for (; i < to && m_gain != m_gainTarget; ++i) {
        m_gain += m_gainStep;
        if (m_gainStep > 0 ? m_gain >= m_gainTarget : m_gain <= m_gainTarget)
            m_gain = m_gainTarget;
        dst[2 * i] *= m_gain;
        dst[2 * i + 1] *= m_gain;
    }
    if (m_gain == 1.0f)
        return;
    for (; i < to; ++i) {
        dst[2 * i] *= m_gain;
        dst[2 * i + 1] *= m_gain;
    }
}

void Channel::Tap(const float* frames, int count) {
    for (int i = std::max(0, count - kTapFrames); i < count; ++i) {
        m_tap[static_cast<size_t>(m_tapPos)] = 0.5f * (frames[2 * i] + frames[2 * i + 1]);
        m_tapPos = (m_tapPos + 1) % kTapFrames;
    }
}

void Channel::CopyTap(float* mono) const {
    for (int i = 0; i < kTapFrames; ++i)
        mono[i] = m_tap[static_cast<size_t>((m_tapPos + i) % kTapFrames)];
}

void Channel::SlideVolume(float target, int64_t frames) {
    target = std::clamp(target, 0.0f, 1.0f);
    if (frames <= 0) {
        m_volume = m_slideTarget = target;
        m_slideLeft = 0;
        return;
    }
    // A new slide starts from wherever the running one has got to.
    m_slideTarget = target;
    m_slideLeft = frames;
    m_slideStep = (target - m_volume) / static_cast<float>(frames);
}

void Channel::AddDsp(Handle dsp, DspProc proc, void* user, int priority) {
    // Higher priority first; equal priorities keep the order they were attached in.
    auto at = std::find_if(m_dsps.begin(), m_dsps.end(),
                           [&](const DspSlot& s) { return s.priority < priority; });
    m_dsps.insert(at, DspSlot{dsp, proc, user, priority});
}

bool Channel::RemoveDsp(Handle dsp) {
    auto it = std::find_if(m_dsps.begin(), m_dsps.end(),
                           [&](const DspSlot& s) { return s.handle == dsp; });
    if (it == m_dsps.end())
        return false;
    m_dsps.erase(it);
    return true;
}

void Channel::AddEffect(Handle fx, int priority, std::unique_ptr<Effect> effect) {
    auto at = std::find_if(m_effects.begin(), m_effects.end(),
                           [&](const FxSlot& s) { return s.priority < priority; });
    m_effects.insert(at, FxSlot{fx, priority, std::move(effect)});
}

std::unique_ptr<Effect> Channel::TakeEffect(Handle fx) {
    auto it = std::find_if(m_effects.begin(), m_effects.end(),
                           [&](const FxSlot& s) { return s.handle == fx; });
    if (it == m_effects.end())
        return nullptr;
    auto effect = std::move(it->effect);
    m_effects.erase(it);
    return effect;
}

Effect* Channel::FindEffect(Handle fx) {
    for (auto& slot : m_effects)
        if (slot.handle == fx)
            return slot.effect.get();
    return nullptr;
}

}  // namespace tv::audio
