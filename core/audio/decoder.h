#pragma once

// A source of sound for one channel: it decodes its file and hands out interleaved stereo
// float frames at the output rate (kOutputRate), whatever the file's own rate and channel
// count are. Positions are counted in frames of the source's own rate.
//
// Threads: a decoder is used by one thread at a time (the channel's decode thread, or the
// user-interface thread while it holds the channel's decoder mutex).

#include <cstdint>

namespace tv::audio {

inline constexpr int kOutputRate = 44100;

struct SourceInfo {
    uint32_t rate = 0;         // source sample rate
    uint32_t channels = 0;     // source channel count
    bool eightBit = false;     // the source holds 8-bit samples
    int64_t lengthFrames = 0;  // length in source frames (0 when unknown)
};

class Decoder {
public:
    virtual ~Decoder() = default;

    virtual const SourceInfo& Info() const = 0;
    // Writes up to `frames` stereo frames at kOutputRate into `out`; returns the frames
    // written, 0 only at the end of the source (or after an unrecoverable error).
    virtual int Read(float* out, int frames) = 0;
    // Moves to `sourceFrame` (0..lengthFrames); the next Read starts there. false: the source
    // could not move and stays where it was or at its end.
    virtual bool Seek(int64_t sourceFrame) = 0;
};

}  // namespace tv::audio
