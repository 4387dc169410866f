#pragma once
// TMPEGaudio: examines an MPEG audio file without decoding it. It finds the first frame (a
// valid header followed, one frame length later, by another valid header), reads a Xing or VBRI
// header inside that frame, searches an encoder signature, and derives bit rate, sample rate,
// channel mode, play time and a plausibility verdict.

#include <cstdint>
#include <filesystem>
#include <string>

#include "tags/bytestream.h"
#include "tags/id3v1.h"
#include "tags/id3v2.h"

namespace tv::tags {

// The four header bytes b0..b3, decoded.
struct MpegFrameHeader {
    bool Found = false;
    int64_t Offset = 0;
    uint16_t FrameLength = 0;
    uint8_t HeaderBytes[4] = {};
    uint8_t VersionIndex = 1;  // 0 MPEG 2.5, 1 reserved, 2 MPEG 2, 3 MPEG 1
    uint8_t LayerIndex = 0;    // 1 Layer III, 2 Layer II, 3 Layer I
    bool CrcProtected = false;
    uint16_t BitRateIndex = 0;
    uint16_t SampleRateIndex = 3;
    bool Padding = false;
    bool Private = false;
    uint8_t ModeIndex = 4;  // 0 stereo, 1 joint stereo, 2 dual channel, 3 mono, 4 unknown
    uint8_t ModeExtension = 4;
    bool Copyright = false;
    bool Original = false;
    uint8_t EmphasisIndex = 2;

    // Decodes b0..b3 into the fields (Found and Offset are left alone).
    void Decode(const uint8_t* b);
    // Layer number 1..3 (0 when unknown) and the version as text ("1", "2", "2.5" or "").
    int Layer() const { return LayerIndex == 0 ? 0 : 4 - LayerIndex; }
    const char* VersionText() const;
};

struct VbrHeaderInfo {
    bool Found = false;
    std::string Id;  // "Xing" or "VBRI"
    int32_t Frames = 0;
    int32_t Bytes = 0;
    uint8_t Scale = 0;
    std::string VendorText;  // Xing only: the 8 bytes after the scale
};

class TMPEGaudio {
public:
    static constexpr int kMaxMpegFrameLength = 1729;
    static constexpr int kMpegBlockSize = 2 * kMaxMpegFrameLength;
    // The first frame is looked for in the first 64 KiB after the ID3v2 tag (19 blocks), as far
    // as the player's decoder looks for the start of the audio: a file without a pair of frame
    // headers there is not taken for MPEG audio, and is not read to its end.
    static constexpr int kMaxSearchBlocks = 19;

    TMPEGaudio() = default;
    void Reset();

    // Analyses the file. False only when it cannot be opened or an I/O error occurs; true
    // otherwise, also when no frame was found (every property then holds its reset value).
    // Never throws.
    bool Analyze(const std::filesystem::path& fileName);
    bool Analyze(ByteStream& stream);

    int64_t FileLength() const { return m_fileLength; }
    const std::string& VendorID() const { return m_vendorID; }
    const VbrHeaderInfo& Vbr() const { return m_vbr; }
    const MpegFrameHeader& Frame() const { return m_frame; }
    int64_t AudioStart() const { return m_audioStart; }
    int64_t AudioEnd() const { return m_audioEnd; }
    const TID3v1& ID3v1() const { return m_id3v1; }
    const TID3v2& ID3v2() const { return m_id3v2; }

    uint16_t BitRate() const;         // kbit/s; the average of a VBR stream
    uint16_t SampleRate() const;      // Hz
    std::string ChannelMode() const;  // "Stereo", "Joint Stereo", "Dual Channel", "Mono", "Unknown"
    double Duration() const;          // seconds
    bool Valid() const;

    // Header test of four bytes (free-format frames are rejected).
    static bool IsFrameHeader(const uint8_t* b);

private:
    bool FindFirstFrame(const uint8_t* block, int64_t filled);
    void ReadVbrHeader(const uint8_t* block, int64_t filled, int64_t at);
    static std::string FindVendorID(const uint8_t* block, int64_t filled, uint16_t frameLength);
    bool AnalyzeStream(ByteStream& stream);
    int Coefficient() const;
    int PaddingBytes() const;
    uint16_t TableBitRate() const;

    int64_t m_fileLength = 0;
    std::string m_vendorID;
    VbrHeaderInfo m_vbr;
    MpegFrameHeader m_frame;
    int64_t m_audioStart = 0;
    int64_t m_audioEnd = 0;
    uint16_t m_streamBitRate = 0;  // the frame after an "Info" frame; 0 without one
    TID3v1 m_id3v1;
    TID3v2 m_id3v2;
};

}  // namespace tv::tags
