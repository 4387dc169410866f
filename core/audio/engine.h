#pragma once

// The real audio library: FFmpeg streams, libopenmpt modules, an SDL2 (or any Output)
// device, and the mixing chain.
//
// Threads:
//  - Every AudioLibrary call and RenderOffline come from one thread, the user-interface
//    thread. None of them blocks for long: at most a file is opened or a seek decodes a
//    little ahead.
//  - Each playing channel has a decode thread keeping about half a second of output-rate
//    audio ready in a ring.
//  - The output's thread is the mixing thread. For every block it takes each playing
//    channel's frames from its ring, runs that channel's DSP callbacks, then its effects by
//    priority, then its volume (with a running slide), keeps the last 1024 frames for the
//    spectrum, applies the output volume and adds the channel into the block. It never
//    allocates, never touches the file system and only takes the engine's chain lock,
//    which the user-interface thread holds for a few field updates at a time.
//
// Positions are bytes of 16-bit PCM at the channel's own rate and channel count
// (frames x channels x 2); the position of a playing channel counts what the mixing thread
// has taken, not what was decoded ahead. Modules count at the output rate in stereo.
//
// Test seams read from the environment:
//  - TORVANELL_TEST_FAIL_INIT=1: Init returns false without touching any device.
//  - TORVANELL_TEST_BAD_VERSION=1: GetVersion returns 0x00020001.

#include <array>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "core/audio/audiolibrary.h"
#include "core/audio/decoder.h"
#include "core/audio/effect.h"
#include "core/audio/output.h"
#include "core/audio/spectrumfft.h"
#include "core/audio/spinlock.h"

namespace tv::audio {

class Channel;

// Channels that can be open at the same time.
inline constexpr int kMaxChannels = 64;

// Makes a fresh effect for a chain running at `sampleRate`; nullptr when it cannot.
using EffectFactory = std::function<std::unique_ptr<Effect>(int sampleRate)>;

class Engine final : public AudioLibrary {
public:
    // Plays through SDL2's default device.
    Engine();
    // Plays through `output` (tests pass a NullOutput and pull blocks themselves). The engine
    // owns it and closes it before anything else when destroyed.
    explicit Engine(std::unique_ptr<Output> output);
    // Closes the output, then frees every channel still open.
    ~Engine() override;
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // 0x00020002 (see the test seam above).
    uint32_t GetVersion() override;
    // Opens and starts the output at 44 100 Hz stereo float whatever `freq` asks (the mixer
    // always runs at that rate); `device` and `flags` are accepted and ignored. A second
    // Init while open succeeds without reopening. false: no device.
    bool Init(int device, uint32_t freq, uint32_t flags) override;
    // Resumes the output; false before a successful Init.
    bool Start() override;
    // dsver 9 (effects available), no EAX. false before a successful Init.
    bool GetInfo(DeviceInfo& info) override;
    // There is no EAX here: always false, nothing changes.
    bool SetEAXParameters(int env, float vol, float decay, float damp) override;

    // The output (master) gain, 0..100, 100 at start, applied after every channel's chain.
    int GetVolume() override;
    // false (and unchanged) outside 0..100.
    bool SetVolume(int volume) override;

    // Opens the file when its content is of `format`; 0 otherwise (missing, unreadable,
    // other format, no decodable audio, or kMaxChannels open). Reads the file on this thread.
    Handle StreamCreateFile(StreamFormat format, const std::filesystem::path& path,
                            uint32_t flags) override;
    // Loads a tracker module; 0 when the file is not one. `flags` are accepted and ignored
    // (the length is always known).
    Handle MusicLoad(const std::filesystem::path& path, uint32_t flags) override;

    bool ChannelGetInfo(Handle channel, ChannelInfo& info) override;
    // Stops and frees the channel, its effects and DSP attachments; waits for its decode
    // thread and for the mixing pass in progress. false for an unknown handle or one of the
    // other kind.
    bool StreamFree(Handle channel) override;
    bool MusicFree(Handle channel) override;

    // Starts or resumes the channel; `restart` (or a channel that reached its end) starts
    // from the beginning. false for an unknown handle.
    bool ChannelPlay(Handle channel, bool restart) override;
    // false unless the channel is playing.
    bool ChannelPause(Handle channel) override;
    bool ChannelStop(Handle channel) override;
    // Only the volume is handled (`freq` and `pan` are ignored); a volume below 0 leaves it
    // alone, above 100 counts as 100. The glide is counted in output frames on the mixing
    // thread, so it is exact whatever the block size.
    bool ChannelSlideAttributes(Handle channel, int freq, int volume, int pan,
                                uint32_t ms) override;

    bool ChannelIsSliding(Handle channel) override;

    bool ChannelQueueNext(Handle channel, Handle next) override;
    bool ChannelSetGain(Handle channel, float gain) override;
    uint32_t ChannelTrackChanges(Handle channel) override;

    int64_t ChannelGetLength(Handle channel) override;
    int64_t ChannelGetPosition(Handle channel) override;
    // -1 for an unknown handle or a negative count.
    double ChannelBytes2Seconds(Handle channel, int64_t bytes) override;
    // Rounded to the nearest whole frame; -1 for an unknown handle or negative seconds.
    int64_t ChannelSeconds2Bytes(Handle channel, double seconds) override;
    // Rounds down to a whole frame; false outside 0..length or when the decoder cannot seek.
    bool ChannelSetPosition(Handle channel, int64_t bytes) override;

    int32_t ChannelGetData(Handle channel, float* buffer, uint32_t flags) override;

    // The callback runs on the mixing thread (or in RenderOffline) for every block.
    // 0 for an unknown channel or a null callback.
    Handle ChannelSetDSP(Handle channel, DspProc proc, void* user, int priority) override;
    bool ChannelRemoveDSP(Handle channel, Handle dsp) override;
    Handle ChannelSetFX(Handle channel, uint32_t type, int priority) override;
    bool ChannelRemoveFX(Handle channel, Handle fx) override;
    bool FXGetParameters(Handle fx, FxParams& params) override;
    bool FXSetParameters(Handle fx, const FxParams& params) override;

    // Pulls up to `frames` frames of `channel` through its whole chain and the output volume
    // into `out` (interleaved stereo float at 44 100 Hz) on the calling thread, without a
    // device; returns the frames written, 0 at the end. A channel that has been played on the
    // device (ChannelPlay) is the mixing thread's and gives 0 here, as does an unknown one.
    int64_t RenderOffline(Handle channel, float* out, int64_t frames);
    // After RenderOffline has given 0 (the source ended): pushes `frames` frames of silence
    // through the channel's chain into `out`, so the effects' tails (echo, reverb) can ring
    // out. Returns the frames written; 0 for an unknown or streaming channel.
    int64_t RenderTail(Handle channel, float* out, int64_t frames);

    // Any thread. Mixed blocks in which a playing channel's ring was short of frames while its
    // source had more (a dropout heard as silence), since the engine was made.
    uint64_t UnderrunCount() const { return m_underruns.load(std::memory_order_relaxed); }

    // The effect types ChannelSetFX knows: at construction the five of effect.h
    // (kFxChorus, kFxEcho, kFxFlanger, kFxParamEq, kFxReverb) through CreateEffect.
    // Registers (or replaces, or with an empty factory removes) `type`; effects already
    // attached are not touched. UI thread.
    void RegisterEffectType(uint32_t type, EffectFactory factory);

private:
    std::atomic<uint64_t> m_underruns{0};  // see UnderrunCount
    static void MixThunk(void* user, float* out, int frames);
    void Mix(float* out, int frames);

    Channel* Find(Handle channel) const;
    Handle AddChannel(bool module, std::unique_ptr<Decoder> decoder);
    bool FreeChannel(Handle channel, bool module);
    Handle NextHandle();

    std::unique_ptr<Output> m_output;
    bool m_open = false;

    // Everything the mixing thread reads is changed under m_chainLock.
    SpinLock m_chainLock;
    std::array<Channel*, kMaxChannels> m_live{};
    float m_masterGain = 1.0f;
    std::vector<float> m_scratch;

    // User-interface thread only.
    std::map<Handle, std::unique_ptr<Channel>> m_channels;
    std::map<Handle, Handle> m_fxOwner;   // effect -> channel
    std::map<Handle, Handle> m_dspOwner;  // DSP -> channel
    int m_volume = 100;
    Handle m_nextHandle = 1;
    std::map<uint32_t, EffectFactory> m_effectTypes;
    SpectrumFft m_fft;
};

}  // namespace tv::audio
