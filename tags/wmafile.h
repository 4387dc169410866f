#pragma once
// TWMAfile: stream parameters and texts from the header object of an ASF file (".wma", ".wm"),
// read object by object without decoding anything. Nothing is ever written. Texts are UTF-8.

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>

#include "tags/bytestream.h"

namespace tv::tags {

// The start of every object: its identifier and its size (little-endian, header included).
struct WmaObjectHeader {
    uint8_t Guid[16];
    uint8_t Size[8];
};
static_assert(sizeof(WmaObjectHeader) == 24);

using WmaGuid = std::array<uint8_t, 16>;
extern const WmaGuid kWmaHeaderObject;
extern const WmaGuid kWmaFilePropertiesObject;
extern const WmaGuid kWmaStreamPropertiesObject;
extern const WmaGuid kWmaContentDescriptionObject;
extern const WmaGuid kWmaExtendedContentDescriptionObject;

// Extended content names by slot (compared trimmed and upper-cased).
inline constexpr std::array<const char*, 7> kWmaFieldNames = {
    "WM/TITLE", "WM/AUTHOR", "WM/ALBUMTITLE", "WM/TRACK", "WM/YEAR", "WM/GENRE", "WM/DESCRIPTION"};

class TWMAfile {
public:
    static constexpr int kMaxTextChars = 250;  // UTF-16 units of one text that are read

    TWMAfile() = default;
    void Reset() { *this = TWMAfile(); }

    // Reset, then reads the header. False only when the file cannot be read; a file that is not
    // ASF, or whose values are implausible, gives true with Valid() false and everything reset.
    // Never throws.
    bool Analyze(const std::filesystem::path& fileName);
    bool Analyze(ByteStream& stream);

    bool Valid() const { return m_valid; }
    int64_t FileSize() const { return m_fileSize; }
    uint8_t Channels() const { return m_channels; }
    int32_t SampleRate() const { return m_sampleRate; }
    double Duration() const { return m_duration; }  // seconds
    int32_t BitRate() const { return m_bitRate; }   // kbit/s
    const std::string& Title() const { return m_title; }
    const std::string& Artist() const { return m_artist; }
    const std::string& Album() const { return m_album; }
    const std::string& Year() const { return m_year; }
    const std::string& Genre() const { return m_genre; }
    const std::string& Comment() const { return m_comment; }
    int32_t Track() const { return m_track; }

private:
    bool m_valid = false;
    int64_t m_fileSize = 0;
    uint8_t m_channels = 0;
    int32_t m_sampleRate = 0;
    double m_duration = 0;
    int32_t m_bitRate = 0;
    std::string m_title, m_artist, m_album, m_year, m_genre, m_comment;
    int32_t m_track = 0;
};

}  // namespace tv::tags
