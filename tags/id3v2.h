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
#include "tags/lockedfile.h"

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
    // Reading by name or from a held file notes the file's identity: a later write refuses
    // (kChangedSinceRead) when the file is not the one that was read.
    bool ReadTag(const std::filesystem::path& fileName);
    bool ReadTag(LockedFile& file);
    bool ReadTag(ByteStream& stream);

    // Writes the current fields as a version 2.3 tag: over the old tag's bytes when it has room
    // and is at most 4096 bytes, else by rebuilding the file through a temporary file (the
    // original is never left damaged). Frames other than the managed ones, of a 2.3 or 2.4 tag,
    // are kept. A managed field still holding the value ReadTag gave it is written from the old
    // tag's whole frame, however much longer it is than the part read for display. The file is
    // held locked from its read to the write (by name: opened and locked here). Never throws;
    // on false, LastError() says why.
    bool WriteTag(const std::filesystem::path& fileName);
    bool WriteTag(LockedFile& file);

    // Rebuilds the file without any ID3v2 tag: every tag at the start (one after the other) and
    // a tag appended with a footer at the end (before an ID3v1/Lyrics3 block, which stays).
    // False when there is none or any step fails (the file then stays as it was). Never throws.
    bool RemoveTag(const std::filesystem::path& fileName);
    bool RemoveTag(LockedFile& file);

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
    FileIdentity m_readIdentity;
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
    uint8_t FormatFlags = 0;  // as the tag's version lays them out
    std::vector<uint8_t> Data;
    // Compressed or encrypted: the data cannot be read as it is, and Data holds everything after
    // the frame header (grouping id, sizes and method bytes included), unsynchronisation undone
    // only where it covered the whole tag.
    bool Opaque = false;
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
// The description of a COMM/TXXX/WXXX frame's data, untrimmed.
std::string ExtractDescription(const std::vector<uint8_t>& data, bool withLanguage);
// A comment without a description: the one the user reads and edits.
bool IsPlainComment(const std::vector<uint8_t>& data);
std::vector<uint8_t> Resynchronised(const std::vector<uint8_t>& data);
uint16_t ExtractTrack(const std::string& text);
std::string ExtractGenre(const std::string& text);

// Where the ID3v2 tags of a file lie: the bytes that tags one after the other take at the
// start, and the first byte of a tag appended with a footer that ends at `tailStart` (the
// ID3v1/Lyrics3 block, or the end); -1 when there is none. Never throws.
struct ID3v2Extent {
    int64_t HeadEnd = 0;
    int64_t AppendedStart = -1;
};
ID3v2Extent FindID3v2Tags(ByteStream& stream, int64_t tailStart);

// Appends a 2.3 frame (header and data).
void AppendFrame23(std::vector<uint8_t>& out, const std::string& id,
                   const std::vector<uint8_t>& data, uint8_t statusFlags = 0,
                   uint8_t formatFlags = 0);
// Appends `frame`, read from a tag of version `sourceMajor`, as a 2.3 frame: a 2.2 frame under
// its 2.3 id (PIC as APIC, its image format as a MIME type), one without a 2.3 id as TXXX (text)
// or PRIV (anything else) owned by "ID3v2.2 " + its id; compressed or encrypted frames as they
// are (of 2.4, with their extra bytes and flags in 2.3 order). No frame is dropped.
void AppendAs23(std::vector<uint8_t>& out, const ID3v2Frame& frame, uint8_t sourceMajor);

// The frame ids of a slot (2.3/2.4 and 2.2).
const char* SlotId(int slot, bool v22);

}  // namespace Internal

}  // namespace tv::tags
