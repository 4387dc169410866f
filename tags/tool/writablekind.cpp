#include "tags/tool/writablekind.h"
#include "tags/tool/tagformat.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <string_view>
#include <thread>

#include "tags/bytestream.h"
#include "tags/flacmeta.h"
#include "tags/id3v2.h"
#include "tags/mpegaudio.h"
#include "tags/oggpage.h"
#include "tags/oggvorbis.h"
#include "tags/opusfile.h"

namespace tv::tags::tool {

namespace {

// Containers whose first bytes say what they are. An MPEG frame search inside them could find
// a false sync word, so they are named before the MPEG analyser is asked.
struct Signature {
    size_t Offset;
    std::string_view Magic;
    const char* What;
};
constexpr std::array kSignatures = {
    Signature{0, "RIFF", "a RIFF (WAV) file"},
    Signature{0, "RF64", "a RIFF (WAV) file"},
    Signature{0, "FORM", "an AIFF file"},
    Signature{4, "ftyp", "an MP4 file"},
    Signature{0, "MAC ", "a Monkey's Audio file"},
    Signature{0, "wvpk", "a WavPack file"},
    Signature{0, "MPCK", "a Musepack file"},
    Signature{0, "MP+", "a Musepack file"},
    Signature{0, "TTA1", "a TTA file"},
    Signature{0, "\x30\x26\xB2\x75\x8E\x66\xCF\x11", "an ASF (WMA) file"},
    Signature{0, "\x1A\x45\xDF\xA3", "a Matroska file"},
    Signature{0, "IMPM", "a module"},
    Signature{0, "Extended Module", "a module"},
};

}  // namespace

namespace {

// The offset of the stream after an ID3v2 tag in front (0 when none); -1 when unreadable.
int64_t StreamStart(FileStream& stream) {
    const int64_t size = stream.Size();
    ID3v2Header header{};
    const int64_t got = stream.ReadAt(0, &header, sizeof header);
    if (got < 0)
        return -1;
    if (size >= 10 && got == int64_t(sizeof header) && std::memcmp(header.Id, "ID3", 3) == 0)
        return Internal::TagTotalSize(header, size);
    return 0;
}

ContentKind OggKind(FileStream& stream, int64_t start) {
    OggPage page;
    if (!ReadOggPage(stream, start, page))
        return ContentKind::OtherOgg;
    const std::string_view body(
        reinterpret_cast<const char*>(page.Bytes.data()) + page.HeaderSize(),
        page.Bytes.size() - page.HeaderSize());
    if (body.substr(0, 7) == "\x01vorbis")
        return ContentKind::OggVorbis;
    if (body.substr(0, 8) == "OpusHead")
        return ContentKind::Opus;
    return ContentKind::OtherOgg;
}

}  // namespace

ContentKind SniffContent(const std::filesystem::path& path) {
    FileStream stream;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec) || !stream.Open(path))
        return ContentKind::Other;
    const int64_t start = StreamStart(stream);
    char head[16] = {};
    const int64_t got =
        start >= 0 && start < stream.Size() ? stream.ReadAt(start, head, sizeof head) : 0;
    const std::string_view bytes(head, size_t(std::max<int64_t>(got, 0)));
    if (bytes.substr(0, 4) == "OggS")
        return OggKind(stream, start);
    if (bytes.substr(0, 4) == "fLaC")
        return ContentKind::Flac;
    if (bytes.substr(0, 8) == std::string_view("\x30\x26\xB2\x75\x8E\x66\xCF\x11", 8))
        return ContentKind::Asf;
    return ContentKind::Other;
}

WritableCheck CheckWritable(const std::filesystem::path& path) {
    WritableCheck result;
    FileStream stream;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec) || !stream.Open(path)) {
        result.What = "cannot read the file";
        return result;
    }
    const int64_t size = stream.Size();
    const int64_t start = StreamStart(stream);
    char head[16] = {};
    const int64_t got = start >= 0 && start < size ? stream.ReadAt(start, head, sizeof head) : 0;
    if (start < 0 || got < 0) {
        result.What = "cannot read the file";
        return result;
    }
    const std::string_view bytes(head, size_t(got));
    if (bytes.substr(0, 4) == "fLaC") {
        std::string why;
        FlacLayout layout;
        if (ReadFlacLayout(stream, layout, &why))
            result.Kind = WritableKind::Flac;
        else
            result.What = "a damaged FLAC file (" + why + ")";
        return result;
    }
    for (const Signature& s : kSignatures) {
        if (bytes.size() >= s.Offset + s.Magic.size() &&
            bytes.substr(s.Offset, s.Magic.size()) == s.Magic) {
            result.What = s.What;
            return result;
        }
    }
    if (bytes.substr(0, 4) == "OggS") {
        TOggVorbis ogg;
        TOpusFile opus;
        if (ogg.Analyze(path) && ogg.Valid())
            result.Kind = WritableKind::OggVorbis;
        else if (OggKind(stream, start) == ContentKind::Opus && opus.Analyze(path))
            result.Kind = WritableKind::Opus;
        else
            result.What = "an Ogg stream that is not Vorbis or Opus";
        return result;
    }
    TMPEGaudio mpeg;
    if (mpeg.Analyze(path) && mpeg.Frame().Found && mpeg.Valid()) {
        result.Kind = WritableKind::Mpeg;
        return result;
    }
    result.What = "not MPEG audio, Ogg Vorbis, Opus or FLAC";
    return result;
}

namespace {
int g_pauseBeforeWrite = 0;
}  // namespace

void SetPauseBeforeWrite(int milliseconds) {
    g_pauseBeforeWrite = milliseconds;
}

void PauseBeforeWrite() {
    if (g_pauseBeforeWrite > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(g_pauseBeforeWrite));
}

}  // namespace tv::tags::tool
