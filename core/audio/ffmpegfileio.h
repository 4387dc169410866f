#pragma once

// What the decoder and the track probe share when FFmpeg reads a file: the file goes through
// our own I/O, so FFmpeg's content probe decides by the bytes alone (given a file name it
// would also weigh the extension), and FFmpeg's log stays quiet.
//
// Threads: any; QuietLogs is safe to call from several threads at once.

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

}  // namespace tv::audio::ffmpeg
