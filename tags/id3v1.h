#pragma once
// TID3v1: the 128-byte ID3v1 tag at the end of a file and the Lyrics3 v2.00 block that may
// stand just before it (or at the very end of a file without ID3v1).

#include <cstdint>
#include <filesystem>
#include <string>

#include "tags/bytestream.h"
#include "tags/lockedfile.h"

namespace tv::tags {

// The fixed ID3v1 layout; the bytes are 8-bit text.
struct ID3v1Raw {
    char Id[3];
    char Title[30];
    char Artist[30];
    char Album[30];
    char Year[4];
    char Comment[28];
    uint8_t Zero;   // version 1.1: 0 (or a blank) before the track byte
    uint8_t Track;  // version 1.1: track number; version 1.0: the last comment byte
    uint8_t Genre;
};
static_assert(sizeof(ID3v1Raw) == 128);

class TID3v1 {
public:
    static constexpr int kTagSize = 128;
    static constexpr int kLyrics3FooterSize = 15;  // 6-digit size + "LYRICS200"

    TID3v1() = default;

    // Every field back to its reset value.
    void Reset();

    // Reset, then reads the tag and the Lyrics3 block with their fields. False only when the
    // file cannot be opened or read; a missing tag is success with Exists() false. Never throws.
    bool ReadTag(const std::filesystem::path& fileName);
    bool ReadTag(ByteStream& stream);

    // Detection, and with readFields the field values. With readFields false only Exists,
    // HasLyrics3 and Lyrics3Size change. False on an I/O error. Never throws.
    bool ScanTag(ByteStream& stream, bool readFields);

    // Removes the ID3v1 tag and the Lyrics3 block (true, without touching the file, when there is
    // neither). The file is cut in place; when it cannot be opened for writing, the remaining
    // bytes are written to a new file that replaces it. Never throws.
    bool RemoveTag(const std::filesystem::path& fileName);
    bool RemoveTag(LockedFile& file);

    bool Exists() const { return m_exists; }
    uint8_t TagVersion() const { return m_tagVersion; }  // 1 = 1.0, 2 = 1.1
    // The long Lyrics3 form when there is one, else the ID3v1 field (UTF-8).
    const std::string& Title() const { return m_longTitle.empty() ? m_title : m_longTitle; }
    const std::string& Artist() const { return m_longArtist.empty() ? m_artist : m_longArtist; }
    const std::string& Album() const { return m_longAlbum.empty() ? m_album : m_longAlbum; }
    const std::string& Comment() const { return m_longComment.empty() ? m_comment : m_longComment; }
    const std::string& Year() const { return m_year; }
    uint8_t Track() const { return m_track; }
    uint8_t GenreIndex() const { return m_genreIndex; }
    bool HasLyrics3() const { return m_hasLyrics3; }
    int32_t Lyrics3Size() const { return m_lyrics3Size; }
    int64_t Lyrics3TotalSize() const { return m_lyrics3Size <= 0 ? 0 : m_lyrics3Size + 15; }
    int64_t TrailerSize() const { return Lyrics3TotalSize() + (m_exists ? kTagSize : 0); }
    bool HasLongFields() const {
        return !(m_longTitle.empty() && m_longArtist.empty() && m_longAlbum.empty() &&
                 m_longComment.empty());
    }
    const std::string& Author() const { return m_author; }
    const std::string& Lyrics() const { return m_lyrics; }
    const std::string& Image() const { return m_image; }

    // Text storage rule: trailing codes 0..32 removed; 31 characters or more also go to the
    // long field, shorter texts clear it.
    void SetTitle(std::string_view text) { Store(text, m_title, m_longTitle); }
    void SetArtist(std::string_view text) { Store(text, m_artist, m_longArtist); }
    void SetAlbum(std::string_view text) { Store(text, m_album, m_longAlbum); }
    void SetComment(std::string_view text) { Store(text, m_comment, m_longComment); }

private:
    static void Store(std::string_view text, std::string& shortField, std::string& longField);
    void ReadFields(const ID3v1Raw& raw);
    bool ScanLyrics3(ByteStream& stream, bool readFields);
    void WalkLyrics3Fields(std::string_view block);

    bool m_exists = false;
    uint8_t m_tagVersion = 1;
    std::string m_title, m_artist, m_album, m_year, m_comment;
    uint8_t m_track = 0;
    uint8_t m_genreIndex = 255;
    bool m_hasLyrics3 = false;
    int32_t m_lyrics3Size = 0;
    std::string m_longTitle, m_longArtist, m_longAlbum, m_longComment;
    std::string m_author, m_lyrics, m_image;
};

}  // namespace tv::tags
