#pragma once
// TID3v2: reads the ID3v2 tag at the start of a file (versions 2.2, 2.3 and 2.4), writes a
// version 2.3 tag with twelve managed text frames (keeping the other frames of a 2.3/2.4 tag),
// and removes the tag. All texts are UTF-8.

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tags/bytestream.h"

namespace tv::tags {

struct ID3v2Header {
    char Id[3];     // "ID3"
    uint8_t Major;  // 2, 3 or 4
    uint8_t Revision;
    uint8_t Flags;    // 0x80 unsynchronisation, 0x40 extended header, 0x10 footer (2.4)
    uint8_t Size[4];  // bytes after the header, 7 bits per byte
};
static_assert(sizeof(ID3v2Header) == 10);

struct ID3v2FrameHeader {  // versions 2.3 and 2.4
    char Id[4];
    uint8_t Size[4];  // plain big-endian in 2.3, synchsafe in 2.4
    uint8_t Flags[2];
};
static_assert(sizeof(ID3v2FrameHeader) == 10);

struct ID3v22FrameHeader {
    char Id[3];
    uint8_t Size[3];
};
static_assert(sizeof(ID3v22FrameHeader) == 6);

// The frames the reader looks at, by slot (1..17; index 0 unused).
inline constexpr int kID3v2Slots = 17;

class TID3v2 {
public:
    static constexpr int kMaxFrameRead = 500;  // bytes of one frame's data that are read
    static constexpr int kRewriteSize = 4096;  // total size of a tag written by a rebuild

    TID3v2() = default;
    void Reset() { *this = TID3v2(); }

    // Reset, then reads the tag. False when the file cannot be opened or read, or holds fewer
    // than 10 bytes; true otherwise, also without a tag. Never throws.
    bool ReadTag(const std::filesystem::path& fileName);
    bool ReadTag(ByteStream& stream);

    // Writes the current fields as a version 2.3 tag: over the old tag's bytes when it has room
    // and is at most 4096 bytes, else by rebuilding the file through a temporary file (the
    // original is never left damaged). Frames other than the managed ones, of a 2.3 or 2.4 tag,
    // are kept. A managed field still holding the value ReadTag gave it is written from the old
    // tag's whole frame, however much longer it is than the part read for display. Never
    // throws; on false, LastError() says why.
    bool WriteTag(const std::filesystem::path& fileName);

    // Rebuilds the file without its tag. False when there is no tag or any step fails (the file
    // then stays as it was). Never throws.
    bool RemoveTag(const std::filesystem::path& fileName);

    const std::string& LastError() const { return m_lastError; }

    bool Exists() const { return m_exists; }
    uint8_t Version() const { return m_version; }
    int64_t Size() const { return m_size; }
    const std::string& Title() const { return m_title; }
    const std::string& Artist() const { return m_artist; }
    const std::string& Album() const { return m_album; }
    uint16_t Track() const { return m_track; }
    const std::string& TrackText() const { return m_trackText; }
    const std::string& Year() const { return m_year; }
    const std::string& Genre() const { return m_genre; }
    const std::string& Comment() const { return m_comment; }
    const std::string& Composer() const { return m_composer; }
    const std::string& Encoder() const { return m_encoder; }
    const std::string& Copyright() const { return m_copyright; }
    const std::string& Language() const { return m_language; }
    const std::string& Link() const { return m_link; }
    const std::string& AudioSizeText() const { return m_audioSizeText; }

    // Setters trim blanks and control characters at both ends; SetTrack stores the number.
    void SetTitle(std::string_view v);
    void SetArtist(std::string_view v);
    void SetAlbum(std::string_view v);
    void SetYear(std::string_view v);
    void SetGenre(std::string_view v);
    void SetComment(std::string_view v);
    void SetComposer(std::string_view v);
    void SetEncoder(std::string_view v);
    void SetCopyright(std::string_view v);
    void SetLanguage(std::string_view v);
    void SetLink(std::string_view v);
    void SetTrack(uint16_t v) { m_track = v; }

private:
    friend class ID3v2Writer;

    bool m_exists = false;
    uint8_t m_version = 0;
    int64_t m_size = 0;
    std::string m_title, m_artist, m_album;
    uint16_t m_track = 0;
    std::string m_trackText;
    std::string m_year, m_genre, m_comment, m_composer, m_encoder, m_copyright, m_language;
    std::string m_link, m_audioSizeText;
    std::string m_lastError;
    // The managed values as ReadTag left them (by slot, the track as its number), to tell the
    // fields the caller did not change.
    bool m_tagRead = false;
    std::array<std::string, 13> m_asRead;
};

namespace Internal {

// TagTotalSize: the header's size bytes (used whole) + 10, + 10 for a footer; 0 when that is
// larger than the file.
int64_t TagTotalSize(const ID3v2Header& header, int64_t fileSize);

// One frame met by the walk: its id, format flags (2.3 layout; 0 for 2.2) and its data with
// unsynchronisation, grouping byte and length indicator already taken away.
struct ID3v2Frame {
    std::string Id;
    uint8_t StatusFlags = 0;
    std::vector<uint8_t> Data;
    bool Opaque = false;  // compressed or encrypted: the data cannot be read as it is
};

// Walks the frames of the tag that starts at byte 0 of `stream`. At most `maxData` bytes of each
// frame's data are read. Calls `visit` for every frame until it returns false. Returns false on
// an I/O error. Never throws.
bool WalkID3v2Frames(ByteStream& stream, const ID3v2Header& header, int64_t tagTotalSize,
                     size_t maxData, const std::function<bool(ID3v2Frame&)>& visit);

// Text decoding of frame data (first byte = encoding).
std::string DecodeFrameText(const std::vector<uint8_t>& data);
std::string ExtractDescribedText(const std::vector<uint8_t>& data, bool withLanguage,
                                 bool eightBitValue);
uint16_t ExtractTrack(const std::string& text);
std::string ExtractGenre(const std::string& text);

// The frame ids of a slot (2.3/2.4 and 2.2).
const char* SlotId(int slot, bool v22);

}  // namespace Internal

}  // namespace tv::tags
