#include "core/audio/trackprobe.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <sstream>
#include <vector>

#include <libopenmpt/libopenmpt.hpp>

#include "core/audio/ffmpegfileio.h"
#include "core/audio/moduledecoder.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
}

namespace tv::audio {
namespace {

// Enough for the header of most files in one read; larger headers are read on as the
// demuxer asks.
constexpr int kIoBufferSize = 8192;
// How much of a header-less stream (raw AAC, AC-3) is looked at to learn its bit rate.
constexpr int64_t kHeaderlessProbeBytes = 64 * 1024;

// The demuxer of a container that names itself in its first bytes. Such files skip FFmpeg's
// content probe, which tries every demuxer FFmpeg has on the first kilobytes (most of the cost
// of listing a file); anything else is probed.
const AVInputFormat* SelfNamedContainer(const uint8_t* h, size_t n) {
    const auto at = [&](size_t offset, const char* magic) {
        const size_t len = std::strlen(magic);
        return n >= offset + len && std::memcmp(h + offset, magic, len) == 0;
    };
    const char* name = nullptr;
    if (at(0, "fLaC"))
        name = "flac";
    else if (at(0, "OggS"))
        name = "ogg";
    else if ((at(0, "RIFF") || at(0, "RF64")) && at(8, "WAVE"))
        name = "wav";
    else if (at(0, "FORM") && (at(8, "AIFF") || at(8, "AIFC")))
        name = "aiff";
    else if (at(0, "wvpk"))
        name = "wv";
    else if (at(0, "MAC "))
        name = "ape";
    else if (at(0, "TTA1"))
        name = "tta";
    else if (at(0, "MPCK"))
        name = "mpc8";
    else if (at(0, "MP+"))
        name = "mpc";
    else if (at(4, "ftyp"))
        name = "mov";
    return name ? av_find_input_format(name) : nullptr;
}

// Owns everything one FFmpeg probe opens.
class Container {
public:
    ~Container() {
        ffmpeg::CloseInput(m_io, m_format);
        if (m_file.file)
            std::fclose(m_file.file);
    }

    // Opens the file and reads its header. false: not a container FFmpeg knows for sure.
    bool Open(const std::filesystem::path& path, int64_t size) {
        m_file.file = std::fopen(path.c_str(), "rb");
        if (!m_file.file)
            return false;
        m_file.size = size;
        uint8_t head[12];
        const size_t got = std::fread(head, 1, sizeof head, m_file.file);
        const AVInputFormat* known = SelfNamedContainer(head, got);
        std::rewind(m_file.file);
        // Content FFmpeg only guesses at is refused, as the openers refuse it.
        return ffmpeg::OpenInput(m_file, kIoBufferSize, known, m_io, m_format);
    }

    AVFormatContext* Format() const { return m_format; }

    // The first audio stream the header declares, or nullptr.
    AVStream* AudioStream() const {
        for (unsigned i = 0; i < m_format->nb_streams; ++i)
            if (m_format->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO)
                return m_format->streams[i];
        return nullptr;
    }

private:
    ffmpeg::FileIo m_file;
    AVIOContext* m_io = nullptr;
    AVFormatContext* m_format = nullptr;
};

double StatedSeconds(const AVStream* stream) {
    if (stream->duration == AV_NOPTS_VALUE || stream->duration <= 0)
        return 0;
    return static_cast<double>(stream->duration) * av_q2d(stream->time_base);
}

// The length of a stream whose header states none: what FFmpeg estimates from the first
// packets (their time stamps or bit rate and the file size), looking at no more than a few
// dozen kilobytes.
double MeasuredSeconds(AVFormatContext* format) {
    format->probesize = kHeaderlessProbeBytes;
    format->max_analyze_duration = AV_TIME_BASE / 2;
    if (avformat_find_stream_info(format, nullptr) < 0)
        return 0;
    return format->duration > 0 ? static_cast<double>(format->duration) / AV_TIME_BASE : 0;
}

// Raw AAC (ADTS) states no length, and a bit-rate estimate is far off for variable-rate
// streams, so the frame headers are counted: seven bytes of each frame are read, nothing is
// decoded. Stops at the first byte that does not start a frame (a trailing tag).
double AdtsSeconds(const std::filesystem::path& path) {
    static constexpr uint32_t kRates[16] = {96000, 88200, 64000, 48000, 44100, 32000, 24000, 22050,
                                            16000, 12000, 11025, 8000,  7350,  0,     0,     0};
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return 0;
    std::vector<char> buffer(kIoBufferSize);
    std::setvbuf(file, buffer.data(), _IOFBF, buffer.size());
    int64_t offset = 0;
    uint8_t h[10];
    // A leading ID3v2 tag: 10 header bytes, then a synchsafe size.
    if (std::fread(h, 1, 10, file) == 10 && std::memcmp(h, "ID3", 3) == 0)
        offset =
            10 + ((h[6] & 0x7f) << 21 | (h[7] & 0x7f) << 14 | (h[8] & 0x7f) << 7 | (h[9] & 0x7f));
    uint64_t samples = 0;
    uint32_t rate = 0;
    while (fseeko(file, offset, SEEK_SET) == 0 && std::fread(h, 1, 7, file) == 7) {
        if (h[0] != 0xff || (h[1] & 0xf6) != 0xf0)
            break;
        const uint32_t frameRate = kRates[(h[2] >> 2) & 0x0f];
        const int length = (h[3] & 0x03) << 11 | h[4] << 3 | h[5] >> 5;
        if (frameRate == 0 || length < 7 || (rate != 0 && frameRate != rate))
            break;
        rate = frameRate;
        samples += 1024u * ((h[6] & 0x03) + 1u);
        offset += length;
    }
    std::fclose(file);
    return rate ? static_cast<double>(samples) / rate : 0;
}

std::string Tag(const AVDictionary* dict, const char* key) {
    const AVDictionaryEntry* entry = av_dict_get(dict, key, nullptr, 0);  // any case
    return entry && entry->value ? entry->value : std::string();
}

// Artist and title from the container's tags, else from the audio stream's (Ogg keeps the
// Vorbis comments of a stream on the stream).
void ReadTags(const AVFormatContext* format, const AVStream* stream, TrackProbe& out) {
    for (const AVDictionary* dict : {format->metadata, stream->metadata}) {
        if (out.artist.empty())
            out.artist = Tag(dict, "artist");
        if (out.title.empty())
            out.title = Tag(dict, "title");
    }
}

bool LooksLikeModule(const std::filesystem::path& path, uintmax_t size) {
    std::vector<char> head(openmpt::probe_file_header_get_recommended_size());
    std::ifstream in(path, std::ios::binary);
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    const auto got = static_cast<size_t>(in.gcount());
    return openmpt::probe_file_header(openmpt::probe_file_header_flags_default2,
                                      reinterpret_cast<const std::uint8_t*>(head.data()), got,
                                      size) == openmpt::probe_file_header_result_success;
}

TrackProbe ProbeModule(const std::filesystem::path& path, uintmax_t size) {
    TrackProbe out;
    if (size > kMaxModuleBytes || !LooksLikeModule(path, size))
        return out;
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in),
                                  std::istreambuf_iterator<char>()};
    std::ostringstream ignored;
    openmpt::module module(bytes, ignored);
    out.known = true;
    out.durationSeconds = module.get_duration_seconds();
    out.artist = module.get_metadata("artist");
    out.title = module.get_metadata("title");
    return out;
}

TrackProbe ProbeStream(const std::filesystem::path& path, int64_t size) {
    TrackProbe out;
    Container container;
    if (!container.Open(path, size))
        return out;
    // FFmpeg may itself know modules through the module library; those go to it directly.
    if (std::strcmp(container.Format()->iformat->name, "libopenmpt") == 0)
        return out;
    const AVStream* stream = container.AudioStream();
    if (!stream)
        return out;
    out.known = true;
    out.durationSeconds = std::strcmp(container.Format()->iformat->name, "aac") == 0
                              ? AdtsSeconds(path)
                              : StatedSeconds(stream);
    if (out.durationSeconds <= 0)
        out.durationSeconds = MeasuredSeconds(container.Format());
    ReadTags(container.Format(), stream, out);
    return out;
}

}  // namespace

TrackProbe ProbeTrack(const std::filesystem::path& path) {
    try {
        ffmpeg::QuietLogs();
        std::error_code ec;
        if (!std::filesystem::is_regular_file(path, ec))
            return {};
        const uintmax_t size = std::filesystem::file_size(path, ec);
        if (ec || size == 0)
            return {};
        TrackProbe stream = ProbeStream(path, static_cast<int64_t>(size));
        if (stream.known)
            return stream;
        return ProbeModule(path, size);
    } catch (...) {
        return {};
    }
}

}  // namespace tv::audio
