#include "tags/trackinfo.h"

#include "tags/mpegaudio.h"
#include "tags/textcodec.h"

namespace tv::tags {

namespace {

// The head holds a usual ID3v2 tag (a rebuilt one is 4096 bytes) and two blocks of audio; the
// tail holds the encoder-signature block, a Lyrics3 footer and the ID3v1 tag.
constexpr int64_t kHeadBytes = 4096 + 3 * TMPEGaudio::kMpegBlockSize;
constexpr int64_t kTailBytes = TMPEGaudio::kMpegBlockSize + 128 + 15 + 2048;

}  // namespace

bool OpenForTagReading(FileStream& stream, const std::filesystem::path& path) {
    return stream.Open(path) && stream.CacheEnds(kHeadBytes, kTailBytes);
}

MpegTrackInfo ReadMpegTrackInfo(ByteStream& stream) {
    MpegTrackInfo info;
    try {
        TMPEGaudio mpeg;
        info.Opened = mpeg.Analyze(stream);
        info.Duration = mpeg.Duration();
        // The analyser's own readers are reset when it finds no frame; then read the tags here.
        TID3v2 v2 = mpeg.ID3v2();
        TID3v1 v1 = mpeg.ID3v1();
        if (!mpeg.Frame().Found) {
            v2.ReadTag(stream);
            v1.ReadTag(stream);
        }
        info.ID3v2Artist = Trim(v2.Artist());
        info.ID3v2Title = Trim(v2.Title());
        info.ID3v1Artist = Trim(v1.Artist());
        info.ID3v1Title = Trim(v1.Title());
    } catch (...) {
        info = MpegTrackInfo();
    }
    return info;
}

MpegTrackInfo ReadMpegTrackInfo(const std::filesystem::path& path) {
    FileStream stream;
    if (!OpenForTagReading(stream, path))
        return {};
    return ReadMpegTrackInfo(stream);
}

}  // namespace tv::tags
