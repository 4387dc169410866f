#include "tags/mpegaudio.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tv::tags {

namespace {

// kbit/s by [row][BitRateIndex]; rows: MPEG 1 Layer I, II, III; MPEG 2/2.5 Layer I, II/III.
constexpr uint16_t kBitRates[5][16] = {
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
};

// Hz by [VersionIndex][SampleRateIndex].
constexpr uint16_t kSampleRates[4][4] = {
    {11025, 12000, 8000, 0},
    {0, 0, 0, 0},
    {22050, 24000, 16000, 0},
    {44100, 48000, 32000, 0},
};

constexpr const char* kModes[5] = {"Stereo", "Joint Stereo", "Dual Channel", "Mono", "Unknown"};

uint16_t BitRateOf(const MpegFrameHeader& f) {
    if (f.VersionIndex == 1 || f.LayerIndex == 0 || f.BitRateIndex > 15)
        return 0;
    int row = 0;
    if (f.VersionIndex == 3)
        row = 3 - f.LayerIndex;  // Layer I (3) -> 0, II -> 1, III -> 2
    else
        row = f.LayerIndex == 3 ? 3 : 4;
    return kBitRates[row][f.BitRateIndex];
}

uint16_t SampleRateOf(const MpegFrameHeader& f) {
    return kSampleRates[f.VersionIndex & 3][f.SampleRateIndex & 3];
}

int CoefficientOf(const MpegFrameHeader& f) {
    if (f.LayerIndex == 3)
        return 48;
    if (f.VersionIndex == 3 || f.LayerIndex == 2)
        return 144;
    return 72;
}

uint16_t FrameLengthOf(const MpegFrameHeader& f) {
    const int rate = SampleRateOf(f);
    if (rate == 0)
        return 0;
    const int64_t product = int64_t(CoefficientOf(f)) * BitRateOf(f) * 1000;
    const int padding = f.Padding ? (f.LayerIndex == 3 ? 4 : 1) : 0;
    return uint16_t(product / rate + padding);
}

}  // namespace

void MpegFrameHeader::Decode(const uint8_t* b) {
    std::memcpy(HeaderBytes, b, 4);
    VersionIndex = (b[1] >> 3) & 3;
    LayerIndex = (b[1] >> 1) & 3;
    CrcProtected = (b[1] & 1) == 0;
    BitRateIndex = b[2] >> 4;
    SampleRateIndex = (b[2] >> 2) & 3;
    Padding = (b[2] >> 1) & 1;
    Private = b[2] & 1;
    ModeIndex = b[3] >> 6;
    ModeExtension = (b[3] >> 4) & 3;
    Copyright = (b[3] >> 3) & 1;
    Original = (b[3] >> 2) & 1;
    EmphasisIndex = b[3] & 3;
}

const char* MpegFrameHeader::VersionText() const {
    switch (VersionIndex) {
        case 0:
            return "2.5";
        case 2:
            return "2";
        case 3:
            return "1";
        default:
            return "";
    }
}

void TMPEGaudio::Reset() {
    *this = TMPEGaudio();
}

bool TMPEGaudio::IsFrameHeader(const uint8_t* b) {
    return b[0] == 0xFF && (b[1] & 0xE0) == 0xE0 && ((b[1] >> 3) & 3) != 1 &&
           ((b[1] >> 1) & 3) != 0 && (b[2] >> 4) != 15 && (b[2] >> 4) != 0 &&
           ((b[2] >> 2) & 3) != 3 && (b[3] & 3) != 2;
}

int TMPEGaudio::Coefficient() const {
    return CoefficientOf(m_frame);
}
int TMPEGaudio::PaddingBytes() const {
    return m_frame.Padding ? (m_frame.LayerIndex == 3 ? 4 : 1) : 0;
}
uint16_t TMPEGaudio::TableBitRate() const {
    return m_streamBitRate != 0 ? m_streamBitRate : BitRateOf(m_frame);
}

// Only the bytes actually read take part: a short block (small file, last block) is searched
// over its filled part, and a header must lie wholly inside it.
bool TMPEGaudio::FindFirstFrame(const uint8_t* block, int64_t filled) {
    // Positions 0 .. kMaxMpegFrameLength whose header lies wholly inside the filled part; only
    // those holding 0xFF can start a header, so the search jumps from one 0xFF to the next.
    const int64_t end = std::min<int64_t>(kMaxMpegFrameLength + 1, filled - 3);
    for (int64_t i = 0; i < end; ++i) {
        const void* sync = std::memchr(block + i, 0xFF, size_t(end - i));
        if (!sync)
            break;
        i = static_cast<const uint8_t*>(sync) - block;
        if (!IsFrameHeader(block + i))
            continue;
        MpegFrameHeader candidate;
        candidate.Decode(block + i);
        const uint16_t length = FrameLengthOf(candidate);
        if (length == 0 || i + length + 4 > filled || !IsFrameHeader(block + i + length))
            continue;
        m_frame = candidate;
        m_frame.Found = true;
        m_frame.Offset = i;
        m_frame.FrameLength = length;
        int vbrOffset = 0;
        if (m_frame.VersionIndex == 3)
            vbrOffset = m_frame.ModeIndex == 3 ? 21 : 36;
        else
            vbrOffset = m_frame.ModeIndex == 3 ? 13 : 21;
        ReadVbrHeader(block, filled, i + vbrOffset);
        // A constant-rate stream may open with an information frame ("Info", laid out like a
        // Xing header) that holds no audio and is often written at a lower rate than the
        // music; the rate of the stream is then that of the frame after it.
        m_streamBitRate = 0;
        if (!m_vbr.Found && i + vbrOffset + 4 <= filled &&
            std::memcmp(block + i + vbrOffset, "Info", 4) == 0) {
            MpegFrameHeader next;
            next.Decode(block + i + length);
            if (next.VersionIndex == m_frame.VersionIndex && next.LayerIndex == m_frame.LayerIndex)
                m_streamBitRate = BitRateOf(next);
        }
        return true;
    }
    return false;
}

void TMPEGaudio::ReadVbrHeader(const uint8_t* block, int64_t filled, int64_t p) {
    // The block buffer is zero beyond the filled part, and p + 128 stays inside it.
    if (p + 4 > filled)
        return;
    if (std::memcmp(block + p, "Xing", 4) == 0) {
        m_vbr.Found = true;
        m_vbr.Id = "Xing";
        m_vbr.Frames = int32_t(ReadBE32(block + p + 8));
        m_vbr.Bytes = int32_t(ReadBE32(block + p + 12));
        m_vbr.Scale = block[p + 119];
        m_vbr.VendorText.assign(reinterpret_cast<const char*>(block + p + 120), 8);
    } else if (std::memcmp(block + p, "VBRI", 4) == 0) {
        m_vbr.Found = true;
        m_vbr.Id = "VBRI";
        m_vbr.Scale = block[p + 9];
        m_vbr.Bytes = int32_t(ReadBE32(block + p + 10));
        m_vbr.Frames = int32_t(ReadBE32(block + p + 14));
    }
}

std::string TMPEGaudio::FindVendorID(const uint8_t* block, int64_t filled, uint16_t frameLength) {
    int limit = uint16_t(frameLength * 5);
    if (kMpegBlockSize - limit - 8 < 0)
        limit = kMpegBlockSize - 8;
    for (int k = 0; k <= limit; ++k) {
        const int q = kMpegBlockSize - k - 8;
        if (q + 4 > filled || (block[q] != 'L' && block[q] != 'G'))
            continue;
        if (std::memcmp(block + q, "LAME", 4) == 0) {
            std::string id(reinterpret_cast<const char*>(block + q), 8);
            id.erase(std::find(id.begin(), id.end(), '\0'), id.end());
            return id;
        }
        if (std::memcmp(block + q, "GOGO", 4) == 0)
            return "GOGO";
    }
    return {};
}

bool TMPEGaudio::Analyze(const std::filesystem::path& fileName) {
    Reset();
    FileStream stream;
    if (!stream.Open(fileName))
        return false;
    return Analyze(stream);
}

bool TMPEGaudio::Analyze(ByteStream& stream) {
    Reset();
    bool ok = false;
    try {
        ok = AnalyzeStream(stream);
    } catch (...) {
        ok = false;
    }
    if (!m_frame.Found) {
        // Without a frame every property reads its reset value, the tag readers included.
        Reset();
    }
    return ok;
}

bool TMPEGaudio::AnalyzeStream(ByteStream& stream) {
    if (!m_id3v2.ReadTag(stream))
        return stream.Size() < 10;  // too short to hold anything: no frame, but not an error
    if (!m_id3v1.ReadTag(stream))
        return false;
    m_fileLength = stream.Size();

    // One spare block of zeros behind the data keeps every fixed-offset look inside the buffer;
    // reads only ever fill the first block, and what a short read leaves is zeroed after it.
    std::vector<uint8_t> block(size_t(2) * kMpegBlockSize, 0);
    int64_t blockStart = m_id3v2.Exists() ? m_id3v2.Size() : 0;
    int64_t filled = stream.ReadAt(blockStart, block.data(), kMpegBlockSize);
    if (filled < 0)
        return false;
    bool found = FindFirstFrame(block.data(), filled);
    if (found)
        m_vendorID = FindVendorID(block.data(), filled, m_frame.FrameLength);
    // The rest of the search window is read in runs of 2, 4, 8, ... blocks (a frame usually
    // follows a little junk closely) and searched block by block, each block copied into the
    // zeroed buffer so that it is seen exactly as if it had been read alone.
    std::vector<uint8_t> run;
    const int64_t firstBlock = blockStart;
    for (int next = 1, length = 2; !found && filled == kMpegBlockSize && next < kMaxSearchBlocks;
         next += length, length *= 2) {
        length = std::min(length, kMaxSearchBlocks - next);
        const int64_t runStart = firstBlock + int64_t(next) * kMpegBlockSize;
        run.resize(size_t(length) * kMpegBlockSize);
        const int64_t got = stream.ReadAt(runStart, run.data(), int64_t(run.size()));
        if (got < 0)
            return false;
        for (int64_t at = 0; !found && filled == kMpegBlockSize && at < int64_t(run.size());
             at += kMpegBlockSize) {
            blockStart = runStart + at;
            filled = std::clamp<int64_t>(got - at, 0, kMpegBlockSize);
            std::copy_n(run.begin() + at, filled, block.begin());
            std::fill(block.begin() + filled, block.begin() + kMpegBlockSize, 0);
            found = FindFirstFrame(block.data(), filled);
        }
    }
    if (!found)
        return true;

    m_frame.Offset += blockStart;
    m_audioStart = m_frame.Offset;
    m_audioEnd = m_fileLength - m_id3v1.TrailerSize();
    if (m_vendorID.empty()) {
        const int64_t tailStart = std::max<int64_t>(
            0, m_fileLength - kMpegBlockSize - (m_id3v1.Exists() ? TID3v1::kTagSize : 0));
        filled = stream.ReadAt(tailStart, block.data(), kMpegBlockSize);
        if (filled < 0)
            return false;
        std::fill(block.begin() + filled, block.begin() + kMpegBlockSize, 0);
        m_vendorID = FindVendorID(block.data(), filled, m_frame.FrameLength);
    }
    return true;
}

uint16_t TMPEGaudio::BitRate() const {
    if (m_vbr.Found && m_vbr.Frames > 0) {
        const double rate = (double(m_vbr.Bytes) / m_vbr.Frames - PaddingBytes()) * SampleRate() /
                            Coefficient() / 1000.0;
        // Halves round to even; a nonsense byte count must not wrap around.
        return uint16_t(std::clamp(std::nearbyint(rate), 0.0, 65535.0));
    }
    return TableBitRate();
}

uint16_t TMPEGaudio::SampleRate() const {
    return SampleRateOf(m_frame);
}

std::string TMPEGaudio::ChannelMode() const {
    return kModes[std::min<int>(m_frame.ModeIndex, 4)];
}

double TMPEGaudio::Duration() const {
    if (!m_frame.Found || SampleRate() == 0)
        return 0;
    if (m_vbr.Found && m_vbr.Frames > 0)
        return double(m_vbr.Frames) * Coefficient() * 8 / SampleRate();
    const uint16_t rate = TableBitRate();
    if (rate == 0)
        return 0;
    return double(m_audioEnd - m_audioStart) / rate / 1000.0 * 8;
}

bool TMPEGaudio::Valid() const {
    const uint16_t rate = BitRate();
    return m_frame.Found && rate >= 8 && rate <= 448 && Duration() >= 0.1;
}

}  // namespace tv::tags
