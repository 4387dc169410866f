#pragma once
// TOggVorbis: stream parameters and comments of an Ogg Vorbis file, play time and bit rate, and
// rewriting the comment header. Texts are UTF-8.

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tags/bytestream.h"
#include "tags/saferewrite.h"
#include "tags/vorbiscomment.h"

namespace tv::tags {

// The first packet of the stream (30 bytes, little-endian).
struct VorbisIdentification {
    char Id[7];  // 0x01 "vorbis"
    uint8_t VersionBytes[4];
    uint8_t Channels;
    uint8_t SampleRate[4];
    uint8_t BitRateMaximal[4];
    uint8_t BitRateNominal[4];
    uint8_t BitRateMinimal[4];
    uint8_t BlockSize;
    uint8_t StopFlag;
};
static_assert(sizeof(VorbisIdentification) == 30);

class TOggVorbis {
public:
    static constexpr int kMaxItemRead = 250;  // bytes of one comment item that are read

    TOggVorbis() = default;
    void Reset() { *this = TOggVorbis(); }

    // Reset, then reads the file. False when it is not an Ogg Vorbis file or cannot be read
    // (every property then stays reset); a missing comment header still gives true. Never throws.
    // Analysing by name or a held file notes the file's identity: a later write refuses
    // (kChangedSinceRead) when the file is not the one that was read.
    bool Analyze(const std::filesystem::path& fileName);
    bool Analyze(LockedFile& file);
    bool Analyze(ByteStream& stream);

    // Writes the fields the caller changed (Title, Artist, Album, Track, Date, Genre, Comment)
    // into the file's comment header: all old fields of that name give way to the new value,
    // at the place of the first of them (else at the end). Every other field - a field the
    // caller did not change, duplicates, PERFORMER, DESCRIPTION, pictures, anything unknown -
    // and the vendor stay byte for byte and in their order. The file is held locked from the
    // read to the rename (by name: opened and locked here). The header
    // pages are laid out anew when the packet no longer fits them, the following pages then
    // renumbered; the file is rebuilt atomically and never left damaged. Never throws; on false
    // LastError() says why.
    bool WriteTag(const std::filesystem::path& fileName, FileOps& ops = SystemFileOps());
    bool WriteTag(LockedFile& file, FileOps& ops = SystemFileOps());
    // Empties the seven fields and writes, removing also PERFORMER and DESCRIPTION (which the
    // reader would show in their place); other fields and the vendor stay.
    bool ClearTag(const std::filesystem::path& fileName, FileOps& ops = SystemFileOps());
    bool ClearTag(LockedFile& file, FileOps& ops = SystemFileOps());
    const std::string& LastError() const { return m_lastError; }

    int64_t FileSize() const { return m_fileSize; }
    uint8_t Channels() const { return m_channels; }
    int32_t SampleRate() const { return m_sampleRate; }
    uint16_t BitRateNominal() const { return m_bitRateNominal; }  // kbit/s
    int64_t Samples() const { return m_samples; }
    int64_t ID3v2Size() const { return m_id3v2Size; }
    bool HasID3v2() const { return m_id3v2Size > 0; }
    const std::string& Title() const { return m_title; }
    const std::string& Artist() const { return m_artist; }
    const std::string& Album() const { return m_album; }
    uint16_t Track() const { return m_track; }
    const std::string& Date() const { return m_date; }
    const std::string& Genre() const { return m_genre; }
    const std::string& Comment() const { return m_comment; }
    const std::string& Vendor() const { return m_vendor; }

    void SetTitle(std::string v) { m_title = std::move(v); }
    void SetArtist(std::string v) { m_artist = std::move(v); }
    void SetAlbum(std::string v) { m_album = std::move(v); }
    void SetTrack(uint16_t v) { m_track = v; }
    void SetDate(std::string v) { m_date = std::move(v); }
    void SetGenre(std::string v) { m_genre = std::move(v); }
    void SetComment(std::string v) { m_comment = std::move(v); }

    // Seconds: samples / sample rate, else estimated from the nominal bit rate, else 0.
    double Duration() const;
    // Average kbit/s over the Ogg data; 0 without a duration.
    uint16_t BitRate() const;
    std::string ChannelMode() const;  // "Unknown", "Mono", "Stereo", "Multichannel"
    bool Valid() const;

private:
    int64_t m_fileSize = 0;
    uint8_t m_channels = 0;
    int32_t m_sampleRate = 0;
    uint16_t m_bitRateNominal = 0;
    int64_t m_samples = 0;
    int64_t m_id3v2Size = 0;
    std::string m_title, m_artist, m_album, m_date, m_genre, m_comment, m_vendor;
    uint16_t m_track = 0;
    // What Analyze found, to tell the fields the caller left alone: the seven values in the
    // order of the managed slots (the track as its number).
    bool m_commentsRead = false;
    std::array<std::string, 7> m_asRead;
    bool m_clearing = false;
    FileIdentity m_readIdentity;
    std::string m_lastError;
};

namespace Internal {
// The size of an ID3v2 tag in front of the stream (0 when none or when larger than the file).
int64_t OggID3v2Size(ByteStream& stream);
// The granule position of the last page, searched backwards from the end in growing windows
// (12 060 bytes first, 1 MiB at most, never before `dataStart`); 0 when none is found.
int64_t LastGranulePosition(ByteStream& stream, int64_t dataStart);
// The number before the first "/" modulo 256; 0 when it is not a number.
uint16_t ExtractTrack(std::string_view text);
// The longest leading part of `bytes` that is well-formed UTF-8.
std::string Utf8Prefix(std::string_view bytes);
}  // namespace Internal

}  // namespace tv::tags
