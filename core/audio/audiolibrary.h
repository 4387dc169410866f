#pragma once

// The audio library as the rest of the program sees it: one call per operation the player
// needs, with the classic results and failure values (handles are 32-bit, 0 means failure;
// positions are 64-bit byte counts; seconds are doubles; volumes 0..100).
//
// Threads: every call comes from the user-interface thread. Opening a file, the first Play of
// a channel (it decodes a first block) and freeing one (it joins the decode thread) take as
// long as that work; every other call holds the mixing lock only to flip prepared state.
// The library mixes on a thread of its own; DSP callbacks attached with ChannelSetDSP run
// there, once per output block.
//
// Ownership: the library owns every channel, DSP and effect it hands out a handle for, until
// the matching free or remove (or the library's destruction). Handles are never reused, so a
// stale handle fails harmlessly instead of reaching a newer object. No call throws.
//
// Everything above core/audio talks to this interface only, so the player logic is tested
// with a recording fake and the real Engine is tested on its own.

#include <cstdint>
#include <filesystem>

#include "effectparams.h"

namespace tv::audio {

using Handle = uint32_t;

// The stream openers in the order the player tries them. Each accepts only files whose
// content is of its own format; the extension is never consulted.
enum class StreamFormat : int {
    Core = 0,  // MPEG audio layers 1-3, WAV, AIFF, Ogg Vorbis
    WMA,
    FLAC,
    WV,
    AAC,
    MP4,
    AC3,
    ALAC,
    APE,
    MPC,
    SPX,
    TTA,
};
inline constexpr int kStreamFormatCount = 12;

// Version the program was written against: major 2 in the high word, minor 2 in the low.
inline constexpr uint32_t kExpectedVersion = 0x00020002;

inline constexpr uint32_t kInitFlag3D = 4;
inline constexpr uint32_t kMusicPrescan = 0x20000;
inline constexpr uint32_t kDataFft1024 = 0x80000001;  // ChannelGetData: 512 FFT magnitudes
inline constexpr uint32_t kSampleFlag8Bits = 1;       // ChannelInfo::flags bit 0

struct ChannelInfo {
    uint32_t freq = 0;   // source sample rate
    uint32_t chans = 0;  // source channel count
    uint32_t flags = 0;  // bit 0: the source holds 8-bit samples
};

struct DeviceInfo {
    uint32_t dsver = 0;  // effect-interface version; below 8 means no effects
    bool eax = false;
};

// A sample processor: called on the mixing thread for every block of the channel's output,
// before the effects. `frames` holds `frameCount` interleaved stereo float frames, processed
// in place. It must not allocate, lock or block.
using DspProc = void (*)(Handle dsp, Handle channel, float* frames, uint32_t frameCount,
                         void* user);

class AudioLibrary {
public:
    virtual ~AudioLibrary() = default;

    // The library's version, compared with kExpectedVersion before anything else is called.
    virtual uint32_t GetVersion() = 0;
    // Opens and starts the output device; a second call on an open device succeeds at once.
    // The device always mixes at 44 100 Hz stereo float, whatever `freq` and `flags` ask.
    // false: no device could be opened (nothing else then works).
    virtual bool Init(int device, uint32_t freq, uint32_t flags) = 0;
    // (Re)starts the output of an open device; false before Init succeeded.
    virtual bool Start() = 0;
    // Fills `info` with the device's facts; false (info untouched) before Init succeeded.
    virtual bool GetInfo(DeviceInfo& info) = 0;
    // Sets the device's environmental reverb. This device has none: always false.
    virtual bool SetEAXParameters(int env, float vol, float decay, float damp) = 0;

    // Output (master) volume 0..100, applied after every channel; -1 from GetVolume on
    // failure. SetVolume refuses (false, volume unchanged) a value outside 0..100.
    virtual int GetVolume() = 0;
    virtual bool SetVolume(int volume) = 0;

    // Opens `path` as a stream when its content is of `format`; 0 otherwise. Never throws.
    virtual Handle StreamCreateFile(StreamFormat format, const std::filesystem::path& path,
                                    uint32_t flags) = 0;
    // Opens a tracker module; 0 when the file is not one.
    virtual Handle MusicLoad(const std::filesystem::path& path, uint32_t flags) = 0;

    // The source's rate, channel count and sample width; false (info untouched) for a handle
    // that is not a live channel.
    virtual bool ChannelGetInfo(Handle channel, ChannelInfo& info) = 0;
    // Free a stream or a module with its DSPs and effects (their handles die with it); the
    // decode thread is joined before the call returns. Freeing a handle of the other kind, or
    // one already freed, fails harmlessly (false).
    virtual bool StreamFree(Handle channel) = 0;
    virtual bool MusicFree(Handle channel) = 0;

    // Starts or resumes the channel (`restart`: from the beginning). Pause holds the position
    // and fails (false) unless the channel is playing; Stop halts it where it is. All three
    // fail (false) for a handle that is not a live channel.
    virtual bool ChannelPlay(Handle channel, bool restart) = 0;
    virtual bool ChannelPause(Handle channel) = 0;
    virtual bool ChannelStop(Handle channel) = 0;
    // Glides the channel volume (0..100) to `volume` over `ms` on the mixing thread and
    // returns at once; a new slide replaces a running one from its current value; `ms` 0 sets
    // it before the next mixed block. `freq` and `pan` are not used (-1 and -101 by
    // convention); a negative `volume` leaves the volume alone. false: not a live channel.
    virtual bool ChannelSlideAttributes(Handle channel, int freq, int volume, int pan,
                                        uint32_t ms) = 0;
    // True while a slide started by ChannelSlideAttributes has not yet reached its target in
    // the mixed output (the block holding its last frame has not been mixed). Fades wait on it
    // so that a pause, a seek or a stop lands on the target volume, not on the way there.
    // false for a dead channel, and from a library that slides nothing.
    virtual bool ChannelIsSliding(Handle channel) {
        (void)channel;
        return false;
    }

    // Gapless hand-over. Queues the stream `next` (opened, never played) to follow `channel`
    // without a gap: its first frame is mixed right after the last frame of `channel`'s
    // source, through `channel`'s effects, DSPs and volume, and from then on `channel` plays
    // it (length, position and info are the new source's). `next` is consumed: its handle is
    // freed whether or not the call succeeds. `next` 0 calls a queued stream off (once it has
    // begun decoding, `channel` then ends with its own source). A seek calls it off too.
    // false: not two live streams, `channel` not started, or too late (its end is heard).
    virtual bool ChannelQueueNext(Handle channel, Handle next) {
        (void)channel;
        if (next != 0 && next != channel)
            StreamFree(next);  // consumed, as promised, by a library that queues nothing
        return false;
    }
    // The stream's source gain (loudness levelling; linear, 0..16), applied to its decoded
    // frames before the DSPs and effects. A stream not yet playing takes it at once; a playing
    // one glides to it over 50 ms. Set on a stream before ChannelQueueNext, the gain travels
    // with it and takes over exactly at the hand-over frame. false: not a live stream, or a
    // gain outside 0..16 (nothing changed); a library that levels nothing always says false.
    virtual bool ChannelSetGain(Handle channel, float gain) {
        (void)channel;
        (void)gain;
        return false;
    }
    // How many queued streams `channel` has begun playing (0 for a dead channel). The player
    // polls it: a change means the next track is being heard now.
    virtual uint32_t ChannelTrackChanges(Handle channel) {
        (void)channel;
        return 0;
    }

    // Length and position in bytes of 16-bit PCM at the channel's own rate and channel
    // count; -1 on failure. The position counts what is being heard, not what was decoded.
    virtual int64_t ChannelGetLength(Handle channel) = 0;
    virtual int64_t ChannelGetPosition(Handle channel) = 0;
    // Conversions at the channel's rate and channel count: -1 for a dead channel, a negative
    // byte count, or a negative or non-finite number of seconds.
    virtual double ChannelBytes2Seconds(Handle channel, int64_t bytes) = 0;
    virtual int64_t ChannelSeconds2Bytes(Handle channel, double seconds) = 0;
    // Seeks; the effects are reset at the next mixed block. false (position unchanged) for a
    // dead channel or a position outside 0..length.
    virtual bool ChannelSetPosition(Handle channel, int64_t bytes) = 0;

    // With kDataFft1024: writes 512 magnitudes into `buffer` and returns the bytes read of
    // the channel's output (4096); -1 on failure (the buffer is then untouched).
    virtual int32_t ChannelGetData(Handle channel, float* buffer, uint32_t flags) = 0;

    // Attaches `proc` (called with `user` on the mixing thread; `user` stays the caller's and
    // must outlive the attachment). Higher priority runs first. 0 for a dead channel, a null
    // `proc` or a channel that holds 64 DSPs already. Remove: false unless `dsp` belongs to
    // `channel`; once it returns, `proc` is never called again for it.
    virtual Handle ChannelSetDSP(Handle channel, DspProc proc, void* user, int priority) = 0;
    virtual bool ChannelRemoveDSP(Handle channel, Handle dsp) = 0;
    // Attaches an effect of `type` (kFxChorus...) with `priority`: higher priority runs
    // first, equal priorities in the order attached. 0 when the type is unknown, the channel
    // is not live or already holds 64 effects. Remove: false unless `fx` belongs to `channel`.
    virtual Handle ChannelSetFX(Handle channel, uint32_t type, int priority) = 0;
    virtual bool ChannelRemoveFX(Handle channel, Handle fx) = 0;
    // Copy the effect's parameters out or in. The record's alternative must match the
    // effect's type and `fx` must be live; false otherwise, with nothing changed.
    virtual bool FXGetParameters(Handle fx, FxParams& params) = 0;
    virtual bool FXSetParameters(Handle fx, const FxParams& params) = 0;
};

}  // namespace tv::audio
