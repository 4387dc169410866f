#include "tags/id3v1.h"

#include <fcntl.h>
#include <unistd.h>
#include <cstring>

#include "tags/saferewrite.h"
#include "tags/textcodec.h"

namespace tv::tags {

namespace {

// A fixed-width 8-bit field: taggers end the text with a zero byte and leave whatever was in
// their buffer after it, so the text stops at the first zero; then trailing blanks go.
std::string FieldText(const char* bytes, size_t width) {
    const void* zero = std::memchr(bytes, 0, width);
    const size_t len = zero ? size_t(static_cast<const char*>(zero) - bytes) : width;
    return EightBitToUtf8(TrimRight(std::string_view(bytes, len)));
}

std::string NormaliseLineBreaks(const std::string& text) {
    std::string crlf;
    for (char c : text) {
        crlf += c;
        if (c == '\r')
            crlf += '\n';
    }
    std::string out;
    for (size_t i = 0; i < crlf.size(); ++i) {
        // "CR LF LF" (a CR LF pair that got its LF doubled above) becomes "CR LF".
        if (crlf[i] == '\n' && i >= 2 && crlf[i - 1] == '\n' && crlf[i - 2] == '\r')
            continue;
        out += crlf[i];
    }
    return out;
}

}  // namespace

void TID3v1::Reset() {
    *this = TID3v1();
}

void TID3v1::Store(std::string_view text, std::string& shortField, std::string& longField) {
    shortField = TrimRight(text);
    if (Utf8Length(shortField) >= 31)
        longField = shortField;
    else
        longField.clear();
}

bool TID3v1::ReadTag(const std::filesystem::path& fileName) {
    Reset();
    FileStream stream;
    if (!stream.Open(fileName))
        return false;
    return ScanTag(stream, true);
}

bool TID3v1::ReadTag(ByteStream& stream) {
    Reset();
    return ScanTag(stream, true);
}

void TID3v1::ReadFields(const ID3v1Raw& raw) {
    // Version 1.1 keeps the track number in the last comment byte, behind a zero byte; some
    // taggers pad with blanks instead, so a blank followed by a non-blank counts as well.
    const bool v11 = (raw.Zero == 0 && raw.Track != 0) || (raw.Zero == 0x20 && raw.Track != 0x20);
    m_tagVersion = v11 ? 2 : 1;
    SetTitle(FieldText(raw.Title, 30));
    SetArtist(FieldText(raw.Artist, 30));
    SetAlbum(FieldText(raw.Album, 30));
    m_year = FieldText(raw.Year, 4);
    if (v11) {
        SetComment(FieldText(raw.Comment, 28));
        m_track = raw.Track;
    } else {
        SetComment(FieldText(raw.Comment, 30));
    }
    m_genreIndex = raw.Genre;
}

bool TID3v1::ScanTag(ByteStream& stream, bool readFields) {
    try {
        const int64_t size = stream.Size();
        if (size >= kTagSize) {
            ID3v1Raw raw{};
            if (!stream.ReadExact(size - kTagSize, &raw, kTagSize))
                return false;
            if (std::memcmp(raw.Id, "TAG", 3) == 0) {
                m_exists = true;
                if (readFields)
                    ReadFields(raw);
            }
        }
        return ScanLyrics3(stream, readFields);
    } catch (...) {
        return false;
    }
}

bool TID3v1::ScanLyrics3(ByteStream& stream, bool readFields) {
    const int64_t size = stream.Size();
    const int64_t trailer = kLyrics3FooterSize + (m_exists ? kTagSize : 0);
    if (size < trailer)
        return true;
    char footer[kLyrics3FooterSize];
    if (!stream.ReadExact(size - trailer, footer, kLyrics3FooterSize))
        return false;
    if (std::memcmp(footer + 6, "LYRICS200", 9) != 0)
        return true;
    const int64_t blockSize = ParseDigits(std::string_view(footer, 6));
    // A size that is not a number, or that points before the file start or not at the begin
    // marker, means there is no block: its bytes then count as audio.
    if (blockSize < 11 || blockSize > size - trailer)
        return true;
    std::string block(static_cast<size_t>(blockSize), '\0');
    if (!stream.ReadExact(size - trailer - blockSize, block.data(), blockSize))
        return false;
    if (block.compare(0, 11, "LYRICSBEGIN") != 0)
        return true;
    m_hasLyrics3 = true;
    m_lyrics3Size = static_cast<int32_t>(blockSize);
    if (readFields)
        WalkLyrics3Fields(std::string_view(block).substr(11));
    return true;
}

void TID3v1::WalkLyrics3Fields(std::string_view fields) {
    size_t pos = 0;
    // Fields never reach past the block: a length that does ends the walk.
    while (pos + 8 <= fields.size()) {
        const std::string_view id = fields.substr(pos, 3);
        const int64_t length = ParseDigits(fields.substr(pos + 3, 5));
        if (length < 0 || pos + 8 + size_t(length) > fields.size())
            break;
        const std::string_view data = fields.substr(pos + 8, size_t(length));
        pos += 8 + size_t(length);
        const std::string text = EightBitToUtf8(Trim(data));
        if (id == "IND") {
            // indications: nothing the program shows
        } else if (id == "LYR") {
            m_lyrics = NormaliseLineBreaks(text);
        } else if (id == "INF") {
            SetComment(text);
        } else if (id == "AUT") {
            m_author = text;
        } else if (id == "EAL") {
            SetAlbum(text);
        } else if (id == "EAR") {
            SetArtist(text);
        } else if (id == "ETT") {
            SetTitle(text);
        } else if (id == "IMG") {
            m_image = std::string(data);
        } else {
            break;
        }
    }
}

bool TID3v1::RemoveTag(const std::filesystem::path& fileName) {
    LockedFile file;
    return file.Open(fileName, nullptr) && RemoveTag(file);
}

bool TID3v1::RemoveTag(LockedFile& file) {
    try {
        int64_t keep = 0;
        {
            FileStream stream;
            if (!stream.OpenDuplicate(file.Descriptor()) || !ScanTag(stream, false))
                return false;
            if (!m_exists && !m_hasLyrics3)
                return true;
            keep = stream.Size() - TrailerSize();
        }
        if (!CutFile(file, keep))
            return false;
        m_exists = false;
        m_hasLyrics3 = false;
        m_lyrics3Size = 0;
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace tv::tags
