#pragma once
// TOpusFile: the stream figures and the comment packet ("OpusTags") of an Ogg Opus file, and
// rewriting that packet. Texts are UTF-8.

#include <cstdint>
#include <filesystem>
#include <string>

#include "tags/bytestream.h"
#include "tags/lockedfile.h"
#include "tags/saferewrite.h"
#include "tags/vorbiscomment.h"

namespace tv::tags {

// The start of the first packet of the stream (19 bytes, little-endian).
struct OpusIdentification {
    char Magic[8];  // "OpusHead"
    uint8_t Version;
    uint8_t Channels;
    uint8_t PreSkip[2];
    uint8_t InputSampleRate[4];
    uint8_t OutputGain[2];
    uint8_t MappingFamily;
};
static_assert(sizeof(OpusIdentification) == 19);

class TOpusFile {
public:
    // Reset, then reads the file. False when it is not an Ogg Opus file (every property then
    // stays reset); a missing comment packet still gives true. Never throws. Analysing by name
    // or a held file notes the file's identity for the write, as TOggVorbis does.
    bool Analyze(const std::filesystem::path& fileName);
    bool Analyze(LockedFile& file);
    bool Analyze(ByteStream& stream);

    // Writes the fields the caller changed into the comment packet (see VorbisFields::Render);
    // binary data after the comment list, the identification packet (pre-skip, output gain)
    // and the audio pages stay as they were. The header pages are laid out anew and the
    // following pages renumbered and re-checksummed when their count changes; the file is
    // rebuilt atomically. Never throws; on false LastError() says why.
    bool WriteTag(const std::filesystem::path& fileName, FileOps& ops = SystemFileOps());
    bool WriteTag(LockedFile& file, FileOps& ops = SystemFileOps());
    bool ClearTag(const std::filesystem::path& fileName, FileOps& ops = SystemFileOps());
    bool ClearTag(LockedFile& file, FileOps& ops = SystemFileOps());
    const std::string& LastError() const { return m_lastError; }

    VorbisFields& Fields() { return m_fields; }
    const VorbisFields& Fields() const { return m_fields; }
    int64_t FileSize() const { return m_fileSize; }
    int64_t ID3v2Size() const { return m_id3v2Size; }
    int Channels() const { return m_channels; }
    int32_t InputSampleRate() const { return m_inputSampleRate; }
    uint16_t PreSkip() const { return m_preSkip; }
    int16_t OutputGain() const { return m_outputGain; }  // Q7.8 dB
    int64_t Samples() const { return m_samples; }        // at 48 kHz, after the pre-skip
    double Duration() const { return double(m_samples) / 48000.0; }
    uint32_t BitRate() const;  // average kbit/s; 0 without a duration

private:
    bool Write(LockedFile& file, FileOps& ops);

    VorbisFields m_fields;
    int64_t m_fileSize = 0;
    int64_t m_id3v2Size = 0;
    int m_channels = 0;
    int32_t m_inputSampleRate = 0;
    uint16_t m_preSkip = 0;
    int16_t m_outputGain = 0;
    int64_t m_samples = 0;
    FileIdentity m_readIdentity;
    std::string m_lastError;
};

}  // namespace tv::tags
