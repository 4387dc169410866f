#include "core/audio/engine.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "core/audio/channel.h"
#include "core/audio/effect.h"
#include "core/audio/ffmpegdecoder.h"
#include "core/audio/moduledecoder.h"

namespace tv::audio {
namespace {

constexpr uint32_t kBadVersion = 0x00020001;
constexpr uint32_t kEffectsVersion = 9;

bool EnvSet(const char* name) {
    const char* v = std::getenv(name);
    return v && std::strcmp(v, "1") == 0;
}

int64_t BytesPerFrame(const Channel& ch) {
    return static_cast<int64_t>(ch.Info().channels) * 2;
}

}  // namespace

Engine::Engine() : Engine(CreateSdlOutput()) {}

Engine::Engine(std::unique_ptr<Output> output)
    : m_output(std::move(output)), m_scratch(static_cast<size_t>(kMaxBlockFrames) * 2) {
    for (uint32_t type : {kFxChorus, kFxEcho, kFxFlanger, kFxParamEq, kFxReverb})
        m_effectTypes.emplace(type, [type](int rate) { return CreateEffect(type, rate); });
}

void Engine::RegisterEffectType(uint32_t type, EffectFactory factory) {
    if (factory)
        m_effectTypes[type] = std::move(factory);
    else
        m_effectTypes.erase(type);
}

Engine::~Engine() {
    if (m_output)
        m_output->Close();
    m_live.fill(nullptr);
    m_channels.clear();
}

uint32_t Engine::GetVersion() {
    return EnvSet("TORVANELL_TEST_BAD_VERSION") ? kBadVersion : kExpectedVersion;
}

bool Engine::Init(int, uint32_t, uint32_t) {
    if (EnvSet("TORVANELL_TEST_FAIL_INIT"))
        return false;
    if (m_open)
        return true;
    if (!m_output || !m_output->Open(kOutputRate, &Engine::MixThunk, this))
        return false;
    if (!m_output->Start()) {
        m_output->Close();
        return false;
    }
    m_open = true;
    return true;
}

bool Engine::Start() {
    return m_open && m_output->Start();
}

bool Engine::GetInfo(DeviceInfo& info) {
    if (!m_open)
        return false;
    info.dsver = kEffectsVersion;
    info.eax = false;
    return true;
}

bool Engine::SetEAXParameters(int, float, float, float) {
    return false;
}

int Engine::GetVolume() {
    return m_volume;
}

bool Engine::SetVolume(int volume) {
    if (volume < 0 || volume > 100)
        return false;
    m_volume = volume;
    std::lock_guard lock(m_chainLock);
    m_masterGain = static_cast<float>(volume) / 100.0f;
    return true;
}

Handle Engine::NextHandle() {
    // Handles are never reused, so a stale handle can never reach a newer channel.
    if (m_nextHandle == 0)
        m_nextHandle = 1;
    return m_nextHandle++;
}

Handle Engine::AddChannel(bool module, std::unique_ptr<Decoder> decoder) {
    if (!decoder)
        return 0;
    auto slot = std::find(m_live.begin(), m_live.end(), nullptr);
    if (slot == m_live.end())
        return 0;
    const Handle handle = NextHandle();
    auto channel = std::make_unique<Channel>(handle, module, std::move(decoder));
    {
        std::lock_guard lock(m_chainLock);
        *slot = channel.get();
    }
    m_channels.emplace(handle, std::move(channel));
    return handle;
}

Handle Engine::StreamCreateFile(StreamFormat format, const std::filesystem::path& path, uint32_t) {
    return AddChannel(false, OpenFfmpegDecoder(format, path));
}

Handle Engine::MusicLoad(const std::filesystem::path& path, uint32_t) {
    return AddChannel(true, OpenModuleDecoder(path));
}

Channel* Engine::Find(Handle channel) const {
    auto it = m_channels.find(channel);
    return it == m_channels.end() ? nullptr : it->second.get();
}

bool Engine::ChannelGetInfo(Handle channel, ChannelInfo& info) {
    const Channel* ch = Find(channel);
    if (!ch)
        return false;
    info.freq = ch->Info().rate;
    info.chans = ch->Info().channels;
    info.flags = ch->Info().eightBit ? kSampleFlag8Bits : 0;
    return true;
}

bool Engine::FreeChannel(Handle channel, bool module) {
    auto it = m_channels.find(channel);
    if (it == m_channels.end() || it->second->IsModule() != module)
        return false;
    std::unique_ptr<Channel> doomed = std::move(it->second);
    m_channels.erase(it);
    {
        // Once the slot is empty under the lock, no mixing pass can still be using it.
        std::lock_guard lock(m_chainLock);
        std::replace(m_live.begin(), m_live.end(), doomed.get(), static_cast<Channel*>(nullptr));
    }
    std::erase_if(m_fxOwner, [&](const auto& kv) { return kv.second == channel; });
    std::erase_if(m_dspOwner, [&](const auto& kv) { return kv.second == channel; });
    doomed.reset();  // joins the decode thread, frees decoder and effects
    return true;
}

bool Engine::StreamFree(Handle channel) {
    return FreeChannel(channel, false);
}
bool Engine::MusicFree(Handle channel) {
    return FreeChannel(channel, true);
}

bool Engine::ChannelPlay(Handle channel, bool restart) {
    Channel* ch = Find(channel);
    if (!ch)
        return false;
    ch->Play(m_chainLock, restart);
    return true;
}

bool Engine::ChannelPause(Handle channel) {
    Channel* ch = Find(channel);
    if (!ch || ch->GetState() != Channel::State::Playing)
        return false;
    std::lock_guard lock(m_chainLock);
    ch->SetState(Channel::State::Paused);
    return true;
}

bool Engine::ChannelStop(Handle channel) {
    Channel* ch = Find(channel);
    if (!ch)
        return false;
    std::lock_guard lock(m_chainLock);
    ch->SetState(Channel::State::Stopped);
    return true;
}

bool Engine::ChannelSlideAttributes(Handle channel, int, int volume, int, uint32_t ms) {
    Channel* ch = Find(channel);
    if (!ch)
        return false;
    if (volume < 0)
        return true;
    const float target = static_cast<float>(std::min(volume, 100)) / 100.0f;
    const int64_t frames = static_cast<int64_t>(ms) * kOutputRate / 1000;
    std::lock_guard lock(m_chainLock);
    ch->SlideVolume(target, frames);
    return true;
}

bool Engine::ChannelIsSliding(Handle channel) {
    const Channel* ch = Find(channel);
    if (!ch)
        return false;
    std::lock_guard lock(m_chainLock);
    return ch->Sliding();
}

bool Engine::ChannelQueueNext(Handle channel, Handle next) {
    Channel* ch = Find(channel);
    if (!ch || ch->IsModule() || !ch->Streaming()) {
        if (next != channel)
            StreamFree(next);
        return false;
    }
    if (next == 0) {
        ch->CancelNext();
        return true;
    }
    Channel* nx = Find(next);
    if (!nx || nx == ch || nx->IsModule() || nx->Streaming()) {
        // Consumed all the same, as the call promises (never the playing channel itself).
        if (nx && nx != ch)
            nx->IsModule() ? MusicFree(next) : StreamFree(next);
        return false;
    }
    const float gain = nx->SourceGain();
    std::unique_ptr<Decoder> decoder = nx->ReleaseDecoder();
    StreamFree(next);
    return ch->QueueNext(m_chainLock, std::move(decoder), gain);
}

bool Engine::ChannelSetGain(Handle channel, float gain) {
    Channel* ch = Find(channel);
    if (!ch || ch->IsModule() || !(gain >= 0.0f && gain <= kMaxSourceGain))
        return false;
    std::lock_guard lock(m_chainLock);
    ch->SetSourceGain(gain, ch->GetState() == Channel::State::Playing);
    return true;
}

uint32_t Engine::ChannelTrackChanges(Handle channel) {
    const Channel* ch = Find(channel);
    return ch ? ch->TrackChanges() : 0;
}

int64_t Engine::ChannelGetLength(Handle channel) {
    const Channel* ch = Find(channel);
    if (!ch)
        return -1;
    return ch->Info().lengthFrames * BytesPerFrame(*ch);
}

int64_t Engine::ChannelGetPosition(Handle channel) {
    const Channel* ch = Find(channel);
    if (!ch)
        return -1;
    // Under the lock: a hand-over changes the position's parts and the source together.
    std::lock_guard lock(m_chainLock);
    return ch->PositionFrames() * BytesPerFrame(*ch);
}

double Engine::ChannelBytes2Seconds(Handle channel, int64_t bytes) {
    const Channel* ch = Find(channel);
    if (!ch || bytes < 0 || ch->Info().rate == 0)
        return -1.0;
    return static_cast<double>(bytes) /
           (static_cast<double>(BytesPerFrame(*ch)) * static_cast<double>(ch->Info().rate));
}

int64_t Engine::ChannelSeconds2Bytes(Handle channel, double seconds) {
    const Channel* ch = Find(channel);
    if (!ch || !(seconds >= 0.0) || !std::isfinite(seconds))
        return -1;
    return std::llround(seconds * ch->Info().rate) * BytesPerFrame(*ch);
}

bool Engine::ChannelSetPosition(Handle channel, int64_t bytes) {
    Channel* ch = Find(channel);
    if (!ch || bytes < 0)
        return false;
    const int64_t frame = bytes / BytesPerFrame(*ch);
    if (ch->Info().lengthFrames > 0 && frame > ch->Info().lengthFrames)
        return false;
    return ch->SetPosition(m_chainLock, frame);
}

int32_t Engine::ChannelGetData(Handle channel, float* buffer, uint32_t flags) {
    const Channel* ch = Find(channel);
    if (!ch || !buffer || flags != kDataFft1024)
        return -1;
    float mono[kTapFrames];
    {
        std::lock_guard lock(m_chainLock);
        ch->CopyTap(mono);
    }
    if (!m_fft.Compute(mono, buffer))
        return -1;
    return kTapFrames * 2 * 2;  // 1024 stereo frames of 16-bit samples
}

Handle Engine::ChannelSetDSP(Handle channel, DspProc proc, void* user, int priority) {
    Channel* ch = Find(channel);
    if (!ch || !proc || ch->DspFull())
        return 0;
    const Handle dsp = NextHandle();
    {
        std::lock_guard lock(m_chainLock);
        ch->AddDsp(dsp, proc, user, priority);
    }
    m_dspOwner.emplace(dsp, channel);
    return dsp;
}

bool Engine::ChannelRemoveDSP(Handle channel, Handle dsp) {
    Channel* ch = Find(channel);
    auto owner = m_dspOwner.find(dsp);
    if (!ch || owner == m_dspOwner.end() || owner->second != channel)
        return false;
    {
        std::lock_guard lock(m_chainLock);
        ch->RemoveDsp(dsp);
    }
    m_dspOwner.erase(owner);
    return true;
}

Handle Engine::ChannelSetFX(Handle channel, uint32_t type, int priority) {
    Channel* ch = Find(channel);
    if (!ch || ch->EffectsFull())
        return 0;
    auto factory = m_effectTypes.find(type);
    if (factory == m_effectTypes.end())
        return 0;
    std::unique_ptr<Effect> effect = factory->second(kOutputRate);
    if (!effect)
        return 0;
    const Handle fx = NextHandle();
    {
        std::lock_guard lock(m_chainLock);
        ch->AddEffect(fx, priority, std::move(effect));
    }
    m_fxOwner.emplace(fx, channel);
    return fx;
}

bool Engine::ChannelRemoveFX(Handle channel, Handle fx) {
    Channel* ch = Find(channel);
    auto owner = m_fxOwner.find(fx);
    if (!ch || owner == m_fxOwner.end() || owner->second != channel)
        return false;
    std::unique_ptr<Effect> removed;
    {
        std::lock_guard lock(m_chainLock);
        removed = ch->TakeEffect(fx);
    }
    m_fxOwner.erase(owner);
    return removed != nullptr;  // destroyed here, outside the lock
}

bool Engine::FXGetParameters(Handle fx, FxParams& params) {
    auto owner = m_fxOwner.find(fx);
    if (owner == m_fxOwner.end())
        return false;
    Channel* ch = Find(owner->second);
    if (!ch)
        return false;
    std::lock_guard lock(m_chainLock);
    Effect* effect = ch->FindEffect(fx);
    if (!effect)
        return false;
    FxParams current = effect->GetParams();
    if (current.index() != params.index())
        return false;
    params = current;
    return true;
}

bool Engine::FXSetParameters(Handle fx, const FxParams& params) {
    auto owner = m_fxOwner.find(fx);
    if (owner == m_fxOwner.end())
        return false;
    Channel* ch = Find(owner->second);
    if (!ch)
        return false;
    std::lock_guard lock(m_chainLock);
    Effect* effect = ch->FindEffect(fx);
    return effect && effect->SetParams(params);
}

void Engine::MixThunk(void* user, float* out, int frames) {
    static_cast<Engine*>(user)->Mix(out, frames);
}

void Engine::Mix(float* out, int frames) {
    std::memset(out, 0, static_cast<size_t>(frames) * 2 * sizeof(float));
    std::lock_guard lock(m_chainLock);
    float* scratch = m_scratch.data();
    for (int done = 0; done < frames; done += kMaxBlockFrames) {
        const int n = std::min(kMaxBlockFrames, frames - done);
        float* dst = out + static_cast<size_t>(done) * 2;
        for (Channel* ch : m_live) {
            if (!ch || ch->GetState() != Channel::State::Playing)
                continue;
            if (!ch->PullFromRing(scratch, n))
                m_underruns.fetch_add(1, std::memory_order_relaxed);
            ch->ProcessChain(scratch, n);
            for (int i = 0; i < 2 * n; ++i)
                dst[i] += scratch[i] * m_masterGain;
        }
    }
}

int64_t Engine::RenderOffline(Handle channel, float* out, int64_t frames) {
    Channel* ch = Find(channel);
    if (!ch || !out || frames <= 0 || ch->Streaming())
        return 0;
    int64_t done = 0;
    while (done < frames) {
        const int n = static_cast<int>(std::min<int64_t>(kMaxBlockFrames, frames - done));
        float* dst = out + done * 2;
        const int got = ch->PullDirect(dst, n);
        if (got == 0)
            break;
        // No mix lock: a channel that is not streaming is never touched by the mixing thread,
        // and its chain is edited only from this thread.
        ch->ProcessChain(dst, got);
        if (m_masterGain != 1.0f)
            for (int i = 0; i < 2 * got; ++i)
                dst[i] *= m_masterGain;
        done += got;
    }
    return done;
}

int64_t Engine::RenderTail(Handle channel, float* out, int64_t frames) {
    Channel* ch = Find(channel);
    if (!ch || !out || frames <= 0 || ch->Streaming())
        return 0;
    std::fill(out, out + frames * 2, 0.0f);
    for (int64_t done = 0; done < frames; done += kMaxBlockFrames) {
        const int n = static_cast<int>(std::min<int64_t>(kMaxBlockFrames, frames - done));
        float* dst = out + done * 2;
        ch->ProcessChain(dst, n);  // no mix lock, as in RenderOffline
        if (m_masterGain != 1.0f)
            for (int i = 0; i < 2 * n; ++i)
                dst[i] *= m_masterGain;
    }
    return frames;
}

}  // namespace tv::audio
