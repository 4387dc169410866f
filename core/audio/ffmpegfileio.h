#pragma once

// What the decoder and the track probe share when FFmpeg reads a file: the file goes through
// our own I/O, so FFmpeg's content probe decides by the bytes alone (given a file name it
// would also weigh the extension), and FFmpeg's log stays quiet.
//
// Threads: any; QuietLogs is safe to call from several threads at once, the rest works on
// what the caller owns.

#include <cstdint>
#include <cstdio>
#include <mutex>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/log.h>
}

namespace tv::audio::ffmpeg {

// Below this probe score FFmpeg is guessing (random bytes can look like a few MPEG frames).
inline constexpr int kMinProbeScore = AVPROBE_SCORE_RETRY + 1;

inline void QuietLogs() {
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

// An open file and its size, read by FFmpeg through an AVIOContext made with ReadPacket and
// Seek (the opaque pointer is the FileIo). The owner closes the file.
struct FileIo {
    std::FILE* file = nullptr;
    int64_t size = 0;

    static int ReadPacket(void* opaque, uint8_t* buf, int size) {
        auto* self = static_cast<FileIo*>(opaque);
        const size_t n = std::fread(buf, 1, static_cast<size_t>(size), self->file);
        return n == 0 ? AVERROR_EOF : static_cast<int>(n);
    }
    static int64_t Seek(void* opaque, int64_t offset, int whence) {
        auto* self = static_cast<FileIo*>(opaque);
        whence &= ~AVSEEK_FORCE;
        if (whence == AVSEEK_SIZE)
            return self->size;
        if (fseeko(self->file, offset, whence) != 0)
            return -1;
        return ftello(self->file);
    }
};

// Releases what OpenInput made (either may be null) and sets both to null. The FileIo is
// untouched; close it after this.
inline void CloseInput(AVIOContext*& io, AVFormatContext*& format) {
    avformat_close_input(&format);
    if (io) {
        av_freep(&io->buffer);  // FFmpeg may have swapped the buffer for a larger one
        avio_context_free(&io);
    }
}

// Reads the container header of `file` through an AVIOContext with a buffer of `bufferSize`
// bytes, with `known` as the demuxer (nullptr: FFmpeg probes the content). Looks up no stream
// info; that is the caller's to ask for, with the limits it wants.
// Returns true with `io` and `format` set, both owned by the caller, who releases them with
// CloseInput while `file` stays open. Returns false, leaving both null and nothing allocated,
// when memory runs out, the header does not read, or FFmpeg only guesses at unknown content
// (a probe score below kMinProbeScore).
inline bool OpenInput(FileIo& file, int bufferSize, const AVInputFormat* known, AVIOContext*& io,
                      AVFormatContext*& format) {
    auto* buffer = static_cast<unsigned char*>(av_malloc(static_cast<size_t>(bufferSize)));
    if (!buffer)
        return false;
    io = avio_alloc_context(buffer, bufferSize, 0, &file, &FileIo::ReadPacket, nullptr,
                            &FileIo::Seek);
    if (!io) {
        av_free(buffer);
        return false;
    }
    format = avformat_alloc_context();
    if (format) {
        format->pb = io;
        format->flags |= AVFMT_FLAG_CUSTOM_IO;
        // On failure FFmpeg frees the format context (and nulls it) but leaves our I/O.
        if (avformat_open_input(&format, "", known, nullptr) >= 0 &&
            (known || format->probe_score >= kMinProbeScore))
            return true;
    }
    CloseInput(io, format);
    return false;
}

}  // namespace tv::audio::ffmpeg
