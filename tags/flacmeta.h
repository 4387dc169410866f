#pragma once
// TFlacFile: the stream figures and the comment block of a FLAC file, and rewriting that block.
// Every other metadata block (pictures, seek tables, application data, cue sheets) and an ID3v2
// tag in front of the stream stay byte for byte. Texts are UTF-8.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tags/bytestream.h"
#include "tags/lockedfile.h"
#include "tags/saferewrite.h"
#include "tags/vorbiscomment.h"

namespace tv::tags {

// The header in front of every metadata block (big-endian).
struct FlacBlockHeader {
    uint8_t TypeAndLast;  // bit 7: last block; bits 0-6: the block type
    uint8_t Length[3];    // bytes of the block body
};
static_assert(sizeof(FlacBlockHeader) == 4);

// The body of the STREAMINFO block (big-endian, bit-packed where noted).
struct FlacStreamInfo {
    uint8_t MinBlockSize[2];
    uint8_t MaxBlockSize[2];
    uint8_t MinFrameSize[3];
    uint8_t MaxFrameSize[3];
    // 20 bits sample rate, 3 bits channels - 1, 5 bits bits per sample - 1, 36 bits samples.
    uint8_t Packed[8];
    uint8_t Md5[16];
};
static_assert(sizeof(FlacStreamInfo) == 34);

enum FlacBlockType : uint8_t {
    kFlacStreamInfo = 0,
    kFlacPadding = 1,
    kFlacVorbisComment = 4,
    kFlacPicture = 6,
};

struct FlacBlock {
    uint8_t Type = 0;
    int64_t Offset = 0;   // of its header
    uint32_t Length = 0;  // of its body
};

// Where the parts of a FLAC file lie. Found only when every block lies inside the file and the
// first one is a STREAMINFO block.
struct FlacLayout {
    int64_t ID3v2Size = 0;    // the tag in front of "fLaC" (0 when none)
    int64_t AudioOffset = 0;  // the first byte after the last metadata block
    std::vector<FlacBlock> Blocks;
};

// Reads the layout; false, with `error` set, when the stream is not such a FLAC file.
bool ReadFlacLayout(ByteStream& stream, FlacLayout& layout, std::string* error = nullptr);

class TFlacFile {
public:
    static constexpr uint32_t kNewPadding = 4096;  // padding a rebuilt file gets

    // Reset, then reads the file. False when it is not a FLAC file or a block is cut off (every
    // property then stays reset); a file without a comment block gives true. Never throws.
    // Analysing by name or a held file notes the file's identity: a later write refuses
    // (kChangedSinceRead) when the file is not the one that was read.
    bool Analyze(const std::filesystem::path& fileName);
    bool Analyze(LockedFile& file);
    bool Analyze(ByteStream& stream);

    // Writes the fields the caller changed into the comment block (see VorbisFields::Render),
    // in the place of the old padding when the blocks still fit before the audio, else by
    // rebuilding the file with kNewPadding bytes of padding. The file is held locked from the
    // read to the write (by name: opened and locked here). Never throws; on false LastError()
    // says why and the file is untouched.
    bool WriteTag(const std::filesystem::path& fileName, FileOps& ops = SystemFileOps());
    bool WriteTag(LockedFile& file, FileOps& ops = SystemFileOps());
    // Empties the seven fields (and PERFORMER and DESCRIPTION) and writes.
    bool ClearTag(const std::filesystem::path& fileName, FileOps& ops = SystemFileOps());
    bool ClearTag(LockedFile& file, FileOps& ops = SystemFileOps());
    const std::string& LastError() const { return m_lastError; }

    VorbisFields& Fields() { return m_fields; }
    const VorbisFields& Fields() const { return m_fields; }
    const FlacLayout& Layout() const { return m_layout; }
    bool HasComment() const { return m_hasComment; }
    int64_t FileSize() const { return m_fileSize; }
    int32_t SampleRate() const { return m_sampleRate; }
    int Channels() const { return m_channels; }
    int BitsPerSample() const { return m_bitsPerSample; }
    int64_t Samples() const { return m_samples; }
    double Duration() const;
    uint32_t BitRate() const;  // average kbit/s of the audio; 0 without a duration

private:
    bool Write(LockedFile& file, FileOps& ops);

    FlacLayout m_layout;
    VorbisFields m_fields;
    bool m_hasComment = false;
    int64_t m_fileSize = 0;
    int32_t m_sampleRate = 0;
    int m_channels = 0;
    int m_bitsPerSample = 0;
    int64_t m_samples = 0;
    FileIdentity m_readIdentity;
    std::string m_lastError;
};

}  // namespace tv::tags
