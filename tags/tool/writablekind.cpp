#include "tags/tool/writablekind.h"
#include "tags/tool/tagformat.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <string_view>
#include <thread>

#include "tags/bytestream.h"
#include "tags/id3v2.h"
#include "tags/mpegaudio.h"
#include "tags/oggvorbis.h"

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
    Signature{0, "fLaC", "a FLAC file"},
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

WritableCheck CheckWritable(const std::filesystem::path& path) {
    WritableCheck result;
    FileStream stream;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec) || !stream.Open(path)) {
        result.What = "cannot read the file";
        return result;
    }
    const int64_t size = stream.Size();
    int64_t start = 0;
    ID3v2Header header{};
    if (size >= 10 && stream.ReadAt(0, &header, sizeof header) == int64_t(sizeof header) &&
        std::memcmp(header.Id, "ID3", 3) == 0)
        start = Internal::TagTotalSize(header, size);
    char head[16] = {};
    const int64_t got = start < size ? stream.ReadAt(start, head, sizeof head) : 0;
    if (got < 0) {
        result.What = "cannot read the file";
        return result;
    }
    const std::string_view bytes(head, size_t(got));
    for (const Signature& s : kSignatures) {
        if (bytes.size() >= s.Offset + s.Magic.size() &&
            bytes.substr(s.Offset, s.Magic.size()) == s.Magic) {
            result.What = s.What;
            return result;
        }
    }
    if (bytes.substr(0, 4) == "OggS") {
        TOggVorbis ogg;
        if (ogg.Analyze(path) && ogg.Valid())
            result.Kind = WritableKind::OggVorbis;
        else
            result.What = "an Ogg stream that is not Vorbis";
        return result;
    }
    TMPEGaudio mpeg;
    if (mpeg.Analyze(path) && mpeg.Frame().Found && mpeg.Valid()) {
        result.Kind = WritableKind::Mpeg;
        return result;
    }
    result.What = "not MPEG audio or Ogg Vorbis";
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
