#include "core/audio/ffmpegdecoder.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

#include "core/audio/ffmpegfileio.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
}

namespace tv::audio {
namespace Internal {

namespace {
bool DemuxerIs(const char* demuxer, const char* name) {
    return std::strcmp(demuxer, name) == 0;
}
bool IsMov(const char* demuxer) {
    return DemuxerIs(demuxer, "mov,mp4,m4a,3gp,3g2,mj2");
}
}  // namespace

bool FormatAccepts(StreamFormat format, const char* demuxer, int codecId) {
    const auto codec = static_cast<AVCodecID>(codecId);
    switch (format) {
        case StreamFormat::Core:
            if (DemuxerIs(demuxer, "mp3"))
                return codec == AV_CODEC_ID_MP1 || codec == AV_CODEC_ID_MP2 ||
                       codec == AV_CODEC_ID_MP3;
            // Opus in Ogg has no opener of its own: the core opener takes it with Vorbis.
            if (DemuxerIs(demuxer, "ogg"))
                return codec == AV_CODEC_ID_VORBIS || codec == AV_CODEC_ID_OPUS;
            return DemuxerIs(demuxer, "wav") || DemuxerIs(demuxer, "aiff");
        case StreamFormat::WMA:
            return DemuxerIs(demuxer, "asf") &&
                   (codec == AV_CODEC_ID_WMAV1 || codec == AV_CODEC_ID_WMAV2 ||
                    codec == AV_CODEC_ID_WMAPRO || codec == AV_CODEC_ID_WMALOSSLESS ||
                    codec == AV_CODEC_ID_WMAVOICE);
        case StreamFormat::FLAC:
            return DemuxerIs(demuxer, "flac") ||
                   (DemuxerIs(demuxer, "ogg") && codec == AV_CODEC_ID_FLAC);
        case StreamFormat::WV:
            return DemuxerIs(demuxer, "wv");
        case StreamFormat::AAC:
            return DemuxerIs(demuxer, "aac");
        // An MP4 container carries AAC and friends; Apple Lossless in the same container
        // belongs to the ALAC opener, so the codec tells the two apart.
        case StreamFormat::MP4:
            return IsMov(demuxer) && codec != AV_CODEC_ID_ALAC;
        case StreamFormat::AC3:
            return DemuxerIs(demuxer, "ac3") || DemuxerIs(demuxer, "eac3");
        case StreamFormat::ALAC:
            return (IsMov(demuxer) || DemuxerIs(demuxer, "caf")) && codec == AV_CODEC_ID_ALAC;
        case StreamFormat::APE:
            return DemuxerIs(demuxer, "ape");
        case StreamFormat::MPC:
            return DemuxerIs(demuxer, "mpc") || DemuxerIs(demuxer, "mpc8");
        case StreamFormat::SPX:
            return DemuxerIs(demuxer, "ogg") && codec == AV_CODEC_ID_SPEEX;
        case StreamFormat::TTA:
            return DemuxerIs(demuxer, "tta");
    }
    return false;
}

}  // namespace Internal

namespace {

constexpr int kIoBufferSize = 32768;

class FfmpegDecoder final : public Decoder {
public:
    ~FfmpegDecoder() override {
        swr_free(&m_swr);
        av_frame_free(&m_frame);
        av_packet_free(&m_packet);
        avcodec_free_context(&m_codec);
        ffmpeg::CloseInput(m_io, m_format);
        if (m_file.file)
            std::fclose(m_file.file);
    }

    bool Open(StreamFormat format, const std::filesystem::path& path);

    const SourceInfo& Info() const override { return m_info; }
    int Read(float* out, int frames) override;
    bool Seek(int64_t sourceFrame) override;

private:
    bool OpenContainer(const std::filesystem::path& path);
    bool OpenCodec();
    bool SetUpResampler();
    // Sets the resampler up for the given input, replacing one set up for another.
    bool SetUpResamplerFor(const AVChannelLayout& layout, AVSampleFormat format, int rate);
    // Decodes the next frame into m_pending; false at the end.
    bool DecodeMore();
    bool ReceiveFrame();
    int Convert(const AVFrame* frame, int skip);

    ffmpeg::FileIo m_file;
    AVIOContext* m_io = nullptr;
    AVFormatContext* m_format = nullptr;
    AVCodecContext* m_codec = nullptr;
    AVStream* m_stream = nullptr;
    SwrContext* m_swr = nullptr;
    // The input the resampler was set up for; a frame that differs gets a new resampler.
    AVSampleFormat m_swrFormat = AV_SAMPLE_FMT_NONE;
    int m_swrChannels = 0, m_swrRate = 0;
    AVPacket* m_packet = nullptr;
    AVFrame* m_frame = nullptr;
    SourceInfo m_info;
    std::vector<float> m_pending;  // converted frames not handed out yet
    size_t m_pendingPos = 0;       // in frames
    bool m_inputDone = false;      // the demuxer is exhausted and the codec drained
    bool m_flushed = false;        // the resampler's tail has been taken too
    int64_t m_seekTarget = -1;     // source frame still to be reached after a seek
};

bool FfmpegDecoder::OpenContainer(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return false;
    m_file.file = std::fopen(path.c_str(), "rb");
    if (!m_file.file)
        return false;
    m_file.size = static_cast<int64_t>(std::filesystem::file_size(path, ec));
    if (ec || m_file.size <= 0)
        return false;

    return ffmpeg::OpenInput(m_file, kIoBufferSize, nullptr, m_io, m_format);
}

bool FfmpegDecoder::OpenCodec() {
    if (avformat_find_stream_info(m_format, nullptr) < 0)
        return false;
    const AVCodec* codec = nullptr;
    const int index = av_find_best_stream(m_format, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (index < 0 || !codec)
        return false;
    m_stream = m_format->streams[index];
    for (unsigned i = 0; i < m_format->nb_streams; ++i)
        if (static_cast<int>(i) != index)
            m_format->streams[i]->discard = AVDISCARD_ALL;
    m_codec = avcodec_alloc_context3(codec);
    if (!m_codec || avcodec_parameters_to_context(m_codec, m_stream->codecpar) < 0)
        return false;
    if (avcodec_open2(m_codec, codec, nullptr) < 0)
        return false;
    m_packet = av_packet_alloc();
    m_frame = av_frame_alloc();
    return m_packet && m_frame;
}

bool FfmpegDecoder::SetUpResampler() {
    return SetUpResamplerFor(m_codec->ch_layout, m_codec->sample_fmt, m_codec->sample_rate);
}

bool FfmpegDecoder::SetUpResamplerFor(const AVChannelLayout& layout, AVSampleFormat format,
                                      int rate) {
    swr_free(&m_swr);
    m_swrChannels = 0;
    if (rate <= 0 || format == AV_SAMPLE_FMT_NONE)
        return false;
    AVChannelLayout in{};
    if (layout.order == AV_CHANNEL_ORDER_UNSPEC || layout.nb_channels == 0)
        av_channel_layout_default(&in, layout.nb_channels > 0 ? layout.nb_channels : 1);
    else if (av_channel_layout_copy(&in, &layout) < 0)
        return false;
    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    const int rc = swr_alloc_set_opts2(&m_swr, &stereo, AV_SAMPLE_FMT_FLT, kOutputRate, &in, format,
                                       rate, 0, nullptr);
    m_swrFormat = format;
    m_swrChannels = layout.nb_channels > 0 ? layout.nb_channels : 1;
    m_swrRate = rate;
    // A mono file plays at full level on both sides (the default mix would put it 3 dB
    // lower, so mono files would sound quieter than stereo ones).
    const bool mono = in.nb_channels == 1;
    av_channel_layout_uninit(&in);
    if (rc < 0)
        return false;
    if (mono) {
        const double toBoth[2] = {1.0, 1.0};
        if (swr_set_matrix(m_swr, toBoth, 1) < 0)
            return false;
    }
    return swr_init(m_swr) >= 0;
}

bool FfmpegDecoder::Open(StreamFormat format, const std::filesystem::path& path) {
    ffmpeg::QuietLogs();
    if (!OpenContainer(path))
        return false;
    if (!OpenCodec())
        return false;
    if (!Internal::FormatAccepts(format, m_format->iformat->name, m_stream->codecpar->codec_id))
        return false;
    if (m_codec->sample_rate <= 0 || !SetUpResampler())
        return false;

    m_info.rate = static_cast<uint32_t>(m_codec->sample_rate);
    m_info.channels = static_cast<uint32_t>(std::max(1, m_codec->ch_layout.nb_channels));
    m_info.eightBit = m_codec->sample_fmt == AV_SAMPLE_FMT_U8 ||
                      m_codec->sample_fmt == AV_SAMPLE_FMT_U8P ||
                      m_stream->codecpar->codec_id == AV_CODEC_ID_PCM_S8 ||
                      m_stream->codecpar->codec_id == AV_CODEC_ID_PCM_U8;
    const AVRational perFrame{1, m_codec->sample_rate};
    if (m_stream->duration != AV_NOPTS_VALUE && m_stream->duration > 0)
        m_info.lengthFrames = av_rescale_q(m_stream->duration, m_stream->time_base, perFrame);
    else if (m_format->duration > 0)
        m_info.lengthFrames = av_rescale(m_format->duration, m_codec->sample_rate, AV_TIME_BASE);

    // Only content that really decodes counts as this format: a header without a single
    // audio frame (a cut-off download) is refused here rather than played as silence.
    return DecodeMore();
}

bool FfmpegDecoder::ReceiveFrame() {
    while (true) {
        const int rc = avcodec_receive_frame(m_codec, m_frame);
        if (rc == 0)
            return true;
        if (rc != AVERROR(EAGAIN))
            return false;  // drained or failed
        // Feed the next packet of our stream; at the end, drain the codec.
        int read = 0;
        while ((read = av_read_frame(m_format, m_packet)) >= 0 &&
               m_packet->stream_index != m_stream->index)
            av_packet_unref(m_packet);
        if (read < 0) {
            avcodec_send_packet(m_codec, nullptr);
            continue;
        }
        const int sent = avcodec_send_packet(m_codec, m_packet);
        av_packet_unref(m_packet);
        // A damaged packet is skipped; the next one may decode again.
        if (sent < 0 && sent != AVERROR(EAGAIN) && sent != AVERROR_INVALIDDATA)
            return false;
    }
}

// Resamples `frame` (minus its first `skip` samples) into m_pending, which Read has emptied;
// a null frame takes the resampler's remaining tail. Returns the frames made.
int FfmpegDecoder::Convert(const AVFrame* frame, int skip) {
    const uint8_t* planes[AV_NUM_DATA_POINTERS] = {};
    int inCount = 0;
    if (frame) {
        const auto format = static_cast<AVSampleFormat>(frame->format);
        // A stream may change its channels, rate or sample format midway (damaged or spliced
        // files do): the resampler would read planes the frame does not have.
        const AVChannelLayout& layout =
            frame->ch_layout.nb_channels > 0 ? frame->ch_layout : m_codec->ch_layout;
        const int rate = frame->sample_rate > 0 ? frame->sample_rate : m_codec->sample_rate;
        const int frameChannels = layout.nb_channels > 0 ? layout.nb_channels : 1;
        if (!m_swr || format != m_swrFormat || frameChannels != m_swrChannels ||
            rate != m_swrRate) {
            if (!SetUpResamplerFor(layout, format, rate)) {
                m_pending.clear();
                m_pendingPos = 0;
                return 0;
            }
        }
        const int bytes = av_get_bytes_per_sample(format);
        const bool planar = av_sample_fmt_is_planar(format);
        const int channels = frameChannels;
        const int planeCount = planar ? std::min(channels, AV_NUM_DATA_POINTERS) : 1;
        for (int p = 0; p < planeCount; ++p)
            planes[p] = frame->extended_data[p] +
                        static_cast<size_t>(skip) * bytes * (planar ? 1 : channels);
        inCount = frame->nb_samples - skip;
    }
    if (!m_swr) {
        m_pending.clear();
        m_pendingPos = 0;
        return 0;
    }
    const int outMax = swr_get_out_samples(m_swr, inCount);
    m_pending.resize(static_cast<size_t>(std::max(outMax, 0)) * 2);
    m_pendingPos = 0;
    if (outMax <= 0)
        return 0;
    uint8_t* out[1] = {reinterpret_cast<uint8_t*>(m_pending.data())};
    const int made = swr_convert(m_swr, out, outMax, frame ? planes : nullptr, inCount);
    m_pending.resize(static_cast<size_t>(std::max(made, 0)) * 2);
    return std::max(made, 0);
}

bool FfmpegDecoder::DecodeMore() {
    while (!m_inputDone) {
        if (!ReceiveFrame()) {
            m_inputDone = true;
            break;
        }
        int skip = 0;
        if (m_seekTarget >= 0) {
            // After a seek the demuxer lands on a packet at or before the target; drop what
            // lies before it so playback starts on the requested frame.
            const int64_t ts = m_frame->best_effort_timestamp;
            if (ts != AV_NOPTS_VALUE) {
                const int64_t start =
                    m_stream->start_time != AV_NOPTS_VALUE ? m_stream->start_time : 0;
                const int64_t at = av_rescale_q(ts - start, m_stream->time_base,
                                                AVRational{1, m_codec->sample_rate});
                if (at + m_frame->nb_samples <= m_seekTarget) {
                    av_frame_unref(m_frame);
                    continue;
                }
                if (at < m_seekTarget)
                    skip = static_cast<int>(m_seekTarget - at);
            }
            m_seekTarget = -1;
        }
        Convert(m_frame, skip);
        av_frame_unref(m_frame);
        return true;  // a frame may resample to nothing yet; Read simply asks again
    }
    if (m_flushed)
        return false;
    m_flushed = true;
    return Convert(nullptr, 0) > 0;
}

int FfmpegDecoder::Read(float* out, int frames) {
    int done = 0;
    while (done < frames) {
        const size_t ready = m_pending.size() / 2 - m_pendingPos;
        if (ready == 0) {
            m_pending.clear();
            m_pendingPos = 0;
            if (!DecodeMore())
                break;
            continue;
        }
        const size_t n = std::min(ready, static_cast<size_t>(frames - done));
        std::memcpy(out + static_cast<size_t>(done) * 2, m_pending.data() + m_pendingPos * 2,
                    n * 2 * sizeof(float));
        m_pendingPos += n;
        done += static_cast<int>(n);
    }
    return done;
}

bool FfmpegDecoder::Seek(int64_t sourceFrame) {
    if (sourceFrame < 0)
        return false;
    const int64_t start = m_stream->start_time != AV_NOPTS_VALUE ? m_stream->start_time : 0;
    const int64_t ts =
        start + av_rescale_q(sourceFrame, AVRational{1, m_codec->sample_rate}, m_stream->time_base);
    int rc = avformat_seek_file(m_format, m_stream->index, INT64_MIN, ts, ts, 0);
    if (rc < 0) {
        // Streams without an index (raw AAC, some MPEG files) start over and decode forward.
        rc = avformat_seek_file(m_format, -1, INT64_MIN, 0, 0, AVSEEK_FLAG_BYTE);
        if (rc < 0)
            return false;
    }
    avcodec_flush_buffers(m_codec);
    if (m_swr) {
        swr_close(m_swr);
        if (swr_init(m_swr) < 0)
            return false;
    }
    m_pending.clear();
    m_pendingPos = 0;
    m_inputDone = false;
    m_flushed = false;
    m_seekTarget = sourceFrame;
    return true;
}

}  // namespace

std::unique_ptr<Decoder> OpenFfmpegDecoder(StreamFormat format, const std::filesystem::path& path) {
    try {
        auto decoder = std::make_unique<FfmpegDecoder>();
        if (!decoder->Open(format, path))
            return nullptr;
        return decoder;
    } catch (...) {
        return nullptr;
    }
}

}  // namespace tv::audio
