#include "tags/wmafile.h"

#include <cstring>

#include "tags/oggpage.h"
#include "tags/textcodec.h"

namespace tv::tags {

namespace {

// {D1-D2-D3-D4} with the first three groups stored little-endian.
constexpr WmaGuid MakeGuid(uint32_t d1, uint16_t d2, uint16_t d3, uint64_t d4) {
    WmaGuid g{};
    for (int i = 0; i < 4; ++i)
        g[size_t(i)] = uint8_t(d1 >> (8 * i));
    g[4] = uint8_t(d2), g[5] = uint8_t(d2 >> 8), g[6] = uint8_t(d3), g[7] = uint8_t(d3 >> 8);
    for (int i = 0; i < 8; ++i)
        g[8 + size_t(i)] = uint8_t(d4 >> (8 * (7 - i)));
    return g;
}

struct WmaData {
    int64_t FileSize = 0;
    int32_t MaxBitRate = 0;
    uint16_t Channels = 0;
    int32_t SampleRate = 0;
    int32_t ByteRate = 0;
    std::array<std::string, 7> TagData;
};

// Reads through the stream with a position, the way the objects are laid out.
class Cursor {
public:
    Cursor(ByteStream& stream, int64_t pos) : m_stream(stream), m_pos(pos) {}
    bool Bytes(void* out, int64_t n) {
        if (!m_stream.ReadExact(m_pos, out, n))
            return false;
        m_pos += n;
        return true;
    }
    bool U16(uint16_t& v) {
        uint8_t b[2];
        return Bytes(b, 2) && (v = ReadLE16(b), true);
    }
    bool U32(uint32_t& v) {
        uint8_t b[4];
        return Bytes(b, 4) && (v = ReadLE32(b), true);
    }
    // A UTF-16LE text of `length` bytes, of which at most 250 characters are read.
    bool Text(uint16_t length, std::string& text) {
        const int64_t chars =
            length < 2 * TWMAfile::kMaxTextChars + 2 ? length / 2 : TWMAfile::kMaxTextChars;
        std::string raw(size_t(chars * 2), '\0');
        if (!Bytes(raw.data(), chars * 2))
            return false;
        text = Utf16ToUtf8(raw, false);
        return Skip(length - chars * 2);
    }
    bool Skip(int64_t n) {
        if (m_pos + n > m_stream.Size())
            return false;
        m_pos += n;
        return true;
    }
    int64_t Pos() const { return m_pos; }

private:
    ByteStream& m_stream;
    int64_t m_pos;
};

std::string UpperTrimmed(const std::string& text) {
    std::string out = Trim(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return out;
}

bool ReadObject(ByteStream& stream, int64_t start, const WmaGuid& guid, WmaData& data) {
    Cursor at(stream, start);
    if (guid == kWmaFilePropertiesObject) {
        uint32_t v;
        return at.Skip(100) && at.U32(v) && (data.MaxBitRate = int32_t(v), true);
    }
    if (guid == kWmaStreamPropertiesObject) {
        uint32_t rate, bytes;
        return at.Skip(80) && at.U16(data.Channels) && at.U32(rate) && at.U32(bytes) &&
               (data.SampleRate = int32_t(rate), data.ByteRate = int32_t(bytes), true);
    }
    if (guid == kWmaContentDescriptionObject) {
        uint16_t lengths[5];
        if (!at.Skip(24))
            return false;
        for (uint16_t& length : lengths)
            if (!at.U16(length))
                return false;
        static const int kSlots[5] = {0, 1, -1, 6,
                                      -1};  // title, author, copyright, description, rating
        for (int i = 0; i < 5; ++i) {
            std::string text;
            if (lengths[i] != 0 && !at.Text(lengths[i], text))
                return false;
            if (lengths[i] != 0 && kSlots[i] >= 0)
                data.TagData[size_t(kSlots[i])] = text;
        }
        return true;
    }
    if (guid == kWmaExtendedContentDescriptionObject) {
        uint16_t count;
        if (!at.Skip(24) || !at.U16(count))
            return false;
        for (int i = 0; i < count; ++i) {
            uint16_t nameLength, type, valueLength;
            std::string name, value;
            if (!at.U16(nameLength) || !at.Text(nameLength, name) || !at.U16(type) ||
                !at.U16(valueLength))
                return false;
            if (type != 0) {
                if (!at.Skip(valueLength))
                    return false;
                continue;
            }
            if (!at.Text(valueLength, value))
                return false;
            const std::string key = UpperTrimmed(name);
            for (size_t slot = 0; slot < kWmaFieldNames.size(); ++slot)
                if (key == kWmaFieldNames[slot])
                    data.TagData[slot] = value;
        }
        return true;
    }
    return true;
}

bool ReadWmaData(ByteStream& stream, WmaData& data) {
    data.FileSize = stream.Size();
    WmaGuid guid;
    if (!stream.ReadExact(0, guid.data(), 16))
        return stream.Size() >= 0;  // too short to be ASF: nothing filled
    if (guid != kWmaHeaderObject)
        return true;
    Cursor at(stream, 16);
    uint32_t count;
    if (!at.Skip(8) || !at.U32(count) || !at.Skip(2))
        return false;
    int64_t pos = at.Pos();
    for (uint32_t i = 0; i < count; ++i) {
        WmaObjectHeader header;
        if (!stream.ReadExact(pos, &header, sizeof header))
            return false;
        std::memcpy(guid.data(), header.Guid, 16);
        const uint32_t size = ReadLE32(header.Size);
        // An object smaller than its own header would never let the walk move on.
        if (size < sizeof header || !ReadObject(stream, pos, guid, data))
            return false;
        pos += size;
    }
    return true;
}

}  // namespace

const WmaGuid kWmaHeaderObject = MakeGuid(0x75B22630, 0x668E, 0x11CF, 0xA6D900AA0062CE6C);
const WmaGuid kWmaFilePropertiesObject = MakeGuid(0x8CABDCA1, 0xA947, 0x11CF, 0x8EE400C00C205365);
const WmaGuid kWmaStreamPropertiesObject = MakeGuid(0xB7DC0791, 0xA9B7, 0x11CF, 0x8EE600C00C205365);
const WmaGuid kWmaContentDescriptionObject =
    MakeGuid(0x75B22633, 0x668E, 0x11CF, 0xA6D900AA0062CE6C);
const WmaGuid kWmaExtendedContentDescriptionObject =
    MakeGuid(0xD2D0A440, 0xE307, 0x11D2, 0x97F000A0C95EA850);

bool TWMAfile::Analyze(const std::filesystem::path& fileName) {
    Reset();
    FileStream stream;
    return stream.Open(fileName) && Analyze(stream);
}

bool TWMAfile::Analyze(ByteStream& stream) {
    Reset();
    WmaData data;
    if (!ReadWmaData(stream, data))
        return false;
    if (!(data.MaxBitRate > 0 && data.MaxBitRate < 320000 &&
          (data.Channels == 1 || data.Channels == 2) && data.SampleRate >= 8000 &&
          data.SampleRate <= 96000 && data.ByteRate > 0 && data.ByteRate < 40000))
        return true;
    m_valid = true;
    m_fileSize = data.FileSize;
    m_channels = uint8_t(data.Channels);
    m_sampleRate = data.SampleRate;
    m_duration = double(data.FileSize) * 8.0 / data.MaxBitRate;
    m_bitRate = data.ByteRate * 8 / 1000;
    m_title = Trim(data.TagData[0]);
    m_artist = Trim(data.TagData[1]);
    m_album = Trim(data.TagData[2]);
    const int64_t track = ParseDigits(Trim(data.TagData[3]));
    m_track = track < 0 || track > INT32_MAX ? 0 : int32_t(track);
    m_year = Trim(data.TagData[4]);
    m_genre = Trim(data.TagData[5]);
    m_comment = Trim(data.TagData[6]);
    return true;
}

}  // namespace tv::tags
