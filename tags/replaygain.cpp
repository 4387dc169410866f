#include "tags/replaygain.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <vector>

#include "tags/id3v2.h"
#include "tags/oggpage.h"
#include "tags/oggvorbis.h"

namespace tv::tags {

namespace {

constexpr size_t kMaxFrameData = 4096;                // a levelling value is a few bytes
constexpr size_t kMaxCommentBytes = size_t(1) << 24;  // comment packets larger are not read
constexpr uint8_t kFlacCommentBlock = 4;

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::optional<double> ParseNumber(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end == text.data() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<double> ParseR128(std::string_view text) {
    int value = 0;  // Q7.8 fixed point, a signed 16-bit range
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end == text.data() || value < -32768 || value > 32767)
        return std::nullopt;
    return value / 256.0 + 5.0;
}

// The ASCII description of a user text frame: its text up to the terminator, read in code
// units of the frame's encoding (UTF-16 units keep their low byte when it is ASCII).
std::string FrameDescription(const std::vector<uint8_t>& data) {
    if (data.empty() || data[0] > 3)
        return {};
    const bool wide = data[0] == 1 || data[0] == 2;
    size_t i = 1;
    bool bigEndian = data[0] == 2;
    if (data[0] == 1 && data.size() >= 3) {
        bigEndian = data[1] == 0xFE && data[2] == 0xFF;
        i = 3;
    }
    std::string name;
    for (; i + (wide ? 1 : 0) < data.size(); i += wide ? 2 : 1) {
        const uint8_t hi = wide ? data[bigEndian ? i : i + 1] : 0;
        const uint8_t lo = wide ? data[bigEndian ? i + 1 : i] : data[i];
        if (hi == 0 && lo == 0)
            break;
        name.push_back(hi == 0 && lo < 0x80 ? static_cast<char>(lo) : '?');
    }
    return name;
}

void ReadID3v2(ByteStream& stream, ReplayGainTags& tags) {
    ID3v2Header header{};
    if (!stream.ReadExact(0, &header, sizeof header) || std::memcmp(header.Id, "ID3", 3) != 0 ||
        header.Major < 2 || header.Major > 4)
        return;
    const int64_t size = Internal::TagTotalSize(header, stream.Size());
    if (size <= 0)
        return;
    Internal::WalkID3v2Frames(stream, header, size, kMaxFrameData, [&](Internal::ID3v2Frame& f) {
        if (!f.Opaque && (f.Id == "TXXX" || f.Id == "TXX"))
            TakeReplayGainField(FrameDescription(f.Data),
                                Internal::ExtractDescribedText(f.Data, false, false), tags);
        return true;
    });
}

// A Vorbis comment list from `at`: vendor length and text, count, then "NAME=value" fields.
void ReadCommentList(const uint8_t* data, size_t size, ReplayGainTags& tags) {
    size_t at = 0;
    if (size < 4 || (at = 4 + size_t(ReadLE32(data))) > size - 4)
        return;
    uint32_t count = ReadLE32(data + at);
    at += 4;
    for (; count > 0 && size - at >= 4; --count) {
        const size_t length = ReadLE32(data + at);
        at += 4;
        if (length > size - at)
            return;
        const std::string_view field(reinterpret_cast<const char*>(data + at), length);
        at += length;
        const size_t equals = field.find('=');
        if (equals != std::string_view::npos)
            TakeReplayGainField(field.substr(0, equals), field.substr(equals + 1), tags);
    }
}

void ReadOgg(ByteStream& stream, int64_t offset, ReplayGainTags& tags) {
    const OggHeaderPackets headers = ReadOggHeaderPackets(stream, offset, 2, kMaxCommentBytes);
    if (headers.Packets.size() < 2)
        return;
    const std::vector<uint8_t>& comments = headers.Packets[1];
    for (const std::string_view magic :
         {std::string_view("\x03vorbis", 7), std::string_view("OpusTags")})
        if (comments.size() >= magic.size() &&
            std::memcmp(comments.data(), magic.data(), magic.size()) == 0)
            ReadCommentList(comments.data() + magic.size(), comments.size() - magic.size(), tags);
}

void ReadFlac(ByteStream& stream, int64_t offset, ReplayGainTags& tags) {
    offset += 4;  // "fLaC"
    for (bool last = false; !last;) {
        uint8_t head[4];
        if (!stream.ReadExact(offset, head, 4))
            return;
        last = (head[0] & 0x80) != 0;
        const size_t length = (size_t(head[1]) << 16) | (size_t(head[2]) << 8) | head[3];
        offset += 4;
        if ((head[0] & 0x7F) == kFlacCommentBlock) {
            std::vector<uint8_t> block(length);
            if (stream.ReadExact(offset, block.data(), static_cast<int64_t>(length)))
                ReadCommentList(block.data(), block.size(), tags);
            return;
        }
        offset += static_cast<int64_t>(length);
    }
}

}  // namespace

void TakeReplayGainField(std::string_view name, std::string_view value, ReplayGainTags& tags) {
    struct Field {
        const char* name;
        std::optional<double> ReplayGainTags::*member;
        bool r128;
    };
    static constexpr Field kFields[] = {
        {"REPLAYGAIN_TRACK_GAIN", &ReplayGainTags::trackGain, false},
        {"REPLAYGAIN_TRACK_PEAK", &ReplayGainTags::trackPeak, false},
        {"REPLAYGAIN_ALBUM_GAIN", &ReplayGainTags::albumGain, false},
        {"REPLAYGAIN_ALBUM_PEAK", &ReplayGainTags::albumPeak, false},
        {"R128_TRACK_GAIN", &ReplayGainTags::trackGain, true},
        {"R128_ALBUM_GAIN", &ReplayGainTags::albumGain, true},
    };
    for (const Field& f : kFields)
        if (SameName(name, f.name)) {
            if (auto v = f.r128 ? ParseR128(value) : ParseNumber(value))
                tags.*f.member = v;
            return;
        }
}

ReplayGainTags ReadReplayGain(ByteStream& stream) {
    ReplayGainTags tags;
    try {
        ReadID3v2(stream, tags);
        const int64_t start = Internal::OggID3v2Size(stream);
        char magic[4];
        if (start < 0 || !stream.ReadExact(start, magic, 4))
            return tags;
        if (std::memcmp(magic, "OggS", 4) == 0)
            ReadOgg(stream, start, tags);
        else if (std::memcmp(magic, "fLaC", 4) == 0)
            ReadFlac(stream, start, tags);
    } catch (...) {
        // An allocation that failed on a corrupt length: what was read so far stands.
    }
    return tags;
}

ReplayGainTags ReadReplayGain(const std::filesystem::path& path) {
    FileStream stream;
    if (!stream.Open(path))
        return {};
    return ReadReplayGain(stream);
}

}  // namespace tv::tags
