#include "tags/id3v2.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>

#include "tags/genres.h"
#include "tags/textcodec.h"

namespace tv::tags {

namespace Internal {

namespace {

constexpr const char* kIds[kID3v2Slots + 1][2] = {
    {"", ""},        {"TIT2", "TT2"}, {"TPE1", "TP1"}, {"TALB", "TAL"}, {"TRCK", "TRK"},
    {"TYER", "TYE"}, {"TCON", "TCO"}, {"COMM", "COM"}, {"TCOM", "TCM"}, {"TENC", "TEN"},
    {"TCOP", "TCR"}, {"TLAN", "TLA"}, {"WXXX", "WXX"}, {"TDRC", "TOR"}, {"TOPE", "TOA"},
    {"TIT1", "TT1"}, {"TOAL", "TOT"}, {"TSIZ", "TSI"},
};

// Undoes unsynchronisation: every 0xFF 0x00 pair loses its 0x00.
std::vector<uint8_t> Resynchronise(const uint8_t* p, size_t n) {
    std::vector<uint8_t> out(n);
    size_t kept = 0;
    for (size_t i = 0; i < n;) {
        // Copy up to and including the next 0xFF, then drop a zero that follows it.
        const void* ff = std::memchr(p + i, 0xFF, n - i);
        const size_t stop = ff ? size_t(static_cast<const uint8_t*>(ff) - p) + 1 : n;
        std::memcpy(out.data() + kept, p + i, stop - i);
        kept += stop - i;
        i = stop;
        if (ff && i < n && p[i] == 0x00)
            ++i;
    }
    out.resize(kept);
    return out;
}

// Where the text of `bytes` ends for encoding `enc`: at the first terminator.
size_t TerminatorAt(const uint8_t* p, size_t n, uint8_t enc) {
    if (enc == 1 || enc == 2) {
        for (size_t i = 0; i + 1 < n; i += 2)
            if (p[i] == 0 && p[i + 1] == 0)
                return i;
        return n;
    }
    const void* z = std::memchr(p, 0, n);
    return z ? size_t(static_cast<const uint8_t*>(z) - p) : n;
}

std::string DecodeText(const uint8_t* p, size_t n, uint8_t enc) {
    n = TerminatorAt(p, n, enc);
    const std::string_view bytes(reinterpret_cast<const char*>(p), n);
    switch (enc) {
        case 0:
            return EightBitToUtf8(bytes);
        case 1:
        case 2: {
            bool bigEndian = enc == 2;
            std::string_view units = bytes;
            if (units.size() >= 2 && uint8_t(units[0]) == 0xFF && uint8_t(units[1]) == 0xFE) {
                bigEndian = false;
                units.remove_prefix(2);
            } else if (units.size() >= 2 && uint8_t(units[0]) == 0xFE &&
                       uint8_t(units[1]) == 0xFF) {
                bigEndian = true;
                units.remove_prefix(2);
            }
            return Utf16ToUtf8(units, bigEndian);
        }
        case 3:
            return EightBitToUtf8(bytes);
        default:
            return {};
    }
}

// True when `at` is the end of the frames, padding, or a frame header whose size fits the tag.
bool LooksLikeFrameStart(ByteStream& stream, int64_t at, int64_t end) {
    if (at == end)
        return true;
    uint8_t h[10] = {};
    if (at > end || !stream.ReadExact(at, h, std::min<int64_t>(10, end - at)))
        return false;
    if (h[0] == 0)
        return true;  // padding
    if (at + 10 > end)
        return false;
    for (int i = 0; i < 4; ++i)
        if (!((h[i] >= 'A' && h[i] <= 'Z') || (h[i] >= '0' && h[i] <= '9')))
            return false;
    const int64_t room = end - at - 10;
    return int64_t(ReadSynchsafe32(h + 4)) <= room || int64_t(ReadBE32(h + 4)) <= room;
}

// 2.4 frame sizes are synchsafe, but some writers put plain sizes there. A size byte with its
// top bit set cannot be synchsafe; otherwise the plain reading is taken only when it, and not
// the synchsafe one, lands on the next frame or the padding.
int64_t FrameSize24(ByteStream& stream, int64_t pos, const uint8_t* bytes, int64_t end) {
    const int64_t plain = ReadBE32(bytes);
    const int64_t safe = ReadSynchsafe32(bytes);
    if ((bytes[0] | bytes[1] | bytes[2] | bytes[3]) & 0x80)
        return plain;
    if (plain == safe || LooksLikeFrameStart(stream, pos + 10 + safe, end))
        return safe;
    return LooksLikeFrameStart(stream, pos + 10 + plain, end) ? plain : safe;
}

}  // namespace

ID3v2Extent FindID3v2Tags(ByteStream& stream, int64_t tailStart) {
    ID3v2Extent extent;
    try {
        ID3v2Header h{};
        // Tags one after the other: a writer that did not find the first put its own in front.
        while (extent.HeadEnd + 10 <= tailStart && stream.ReadExact(extent.HeadEnd, &h, 10) &&
               std::memcmp(h.Id, "ID3", 3) == 0) {
            const int64_t total = TagTotalSize(h, tailStart - extent.HeadEnd);
            if (total <= 0)
                break;
            extent.HeadEnd += total;
        }
        uint8_t footer[10];
        if (tailStart - 20 >= extent.HeadEnd && stream.ReadExact(tailStart - 10, footer, 10) &&
            std::memcmp(footer, "3DI", 3) == 0 && footer[3] == 4) {
            const int64_t size = ReadSynchsafe32(footer + 6);
            const int64_t start = tailStart - 20 - size;
            ID3v2Header head{};
            if (start >= extent.HeadEnd && stream.ReadExact(start, &head, 10) &&
                std::memcmp(head.Id, "ID3", 3) == 0)
                extent.AppendedStart = start;
        }
    } catch (...) {
    }
    return extent;
}

const char* SlotId(int slot, bool v22) {
    return kIds[slot][v22 ? 1 : 0];
}

int64_t TagTotalSize(const ID3v2Header& h, int64_t fileSize) {
    int64_t total = int64_t(h.Size[0]) * (1 << 21) + int64_t(h.Size[1]) * (1 << 14) +
                    int64_t(h.Size[2]) * (1 << 7) + h.Size[3] + 10;
    if (h.Major >= 4 && (h.Flags & 0x10))
        total += 10;
    return total > fileSize ? 0 : total;
}

std::string DecodeFrameText(const std::vector<uint8_t>& data) {
    if (data.empty())
        return {};
    return Trim(DecodeText(data.data() + 1, data.size() - 1, data[0]));
}

std::string ExtractDescribedText(const std::vector<uint8_t>& data, bool withLanguage,
                                 bool eightBitValue) {
    const size_t start = 1 + (withLanguage ? 3 : 0);
    if (data.size() < start)
        return {};
    const uint8_t enc = data[0];
    const uint8_t* p = data.data() + start;
    const size_t n = data.size() - start;
    size_t skip = TerminatorAt(p, n, enc);
    skip = std::min(n, skip + ((enc == 1 || enc == 2) ? 2 : 1));
    // A link is always 8-bit text, whatever the description's encoding.
    return Trim(DecodeText(p + skip, n - skip, eightBitValue ? 0 : enc));
}

std::string ExtractDescription(const std::vector<uint8_t>& data, bool withLanguage) {
    const size_t start = 1 + (withLanguage ? 3 : 0);
    if (data.size() < start)
        return {};
    return DecodeText(data.data() + start, data.size() - start, data[0]);
}

bool IsPlainComment(const std::vector<uint8_t>& data) {
    return ExtractDescription(data, true).empty();
}

std::vector<uint8_t> Resynchronised(const std::vector<uint8_t>& data) {
    return Resynchronise(data.data(), data.size());
}

uint16_t ExtractTrack(const std::string& text) {
    const int64_t n = ParseDigits(Trim(text.substr(0, text.find('/'))));
    return n < 0 || n > 65535 ? 0 : uint16_t(n);
}

std::string ExtractGenre(const std::string& text) {
    // "(17)" names genre 17 of the ID3v1 list and "(17)Rock" refines it; the refinement wins.
    const size_t close = text.rfind(')');
    if (close != std::string::npos && close + 1 < text.size())
        return Trim(text.substr(close + 1));
    std::string inner = text;
    if (close != std::string::npos) {
        const size_t open = text.rfind('(', close);
        inner = open == std::string::npos ? "" : text.substr(open + 1, close - open - 1);
        if (inner == "RX")
            return "Remix";
        if (inner == "CR")
            return "Cover";
    }
    const int64_t index = ParseDigits(inner);
    if (index >= 0 && index < kGenreCount)
        return std::string(GenreNames[size_t(index)]);
    return close == std::string::npos ? text : std::string();
}

bool WalkID3v2Frames(ByteStream& source, const ID3v2Header& header, int64_t tagTotalSize,
                     size_t maxData, const std::function<bool(ID3v2Frame&)>& visit) {
    try {
        const uint8_t major = header.Major;
        int64_t end = std::min(tagTotalSize, source.Size());
        if (major >= 4 && (header.Flags & 0x10))
            end -= 10;  // the footer holds no frames
        ByteStream* stream = &source;
        int64_t pos = 10;

        // Before 2.4 unsynchronisation covers the whole tag body: read it once and undo it.
        std::vector<uint8_t> body;
        std::unique_ptr<MemoryStream> bodyStream;
        if (major <= 3 && (header.Flags & 0x80) && end > 10) {
            std::vector<uint8_t> raw(size_t(end - 10));
            if (!source.ReadExact(10, raw.data(), end - 10))
                return false;
            body.assign(10, 0);
            const auto plain = Resynchronise(raw.data(), raw.size());
            body.insert(body.end(), plain.begin(), plain.end());
            bodyStream = std::make_unique<MemoryStream>(body);
            stream = bodyStream.get();
            end = int64_t(body.size());
        }

        if (major >= 3 && (header.Flags & 0x40)) {  // extended header: skipped
            uint8_t sz[4];
            if (!stream->ReadExact(pos, sz, 4))
                return false;
            pos += major == 3 ? 4 + int64_t(ReadBE32(sz)) : int64_t(ReadSynchsafe32(sz));
        }

        const int64_t headerLen = major <= 2 ? 6 : 10;
        while (pos + headerLen <= end) {
            uint8_t raw[10] = {};
            if (!stream->ReadExact(pos, raw, headerLen))
                return false;
            if (raw[0] < 'A' || raw[0] > 'Z')
                break;  // padding, or something that is not a frame
            ID3v2Frame frame;
            int64_t size = 0;
            uint8_t format = 0;
            if (major <= 2) {
                frame.Id.assign(reinterpret_cast<char*>(raw), 3);
                size = ReadBE24(raw + 3);
            } else {
                frame.Id.assign(reinterpret_cast<char*>(raw), 4);
                size = major >= 4 ? FrameSize24(*stream, pos, raw + 4, end) : ReadBE32(raw + 4);
                frame.StatusFlags = raw[8];
                format = raw[9];
            }
            const int64_t dataStart = pos + headerLen;
            // A frame running past the tag is cut at the tag's end, and the walk ends there.
            const int64_t available = std::min(size, end - dataStart);
            int64_t skip = 0;  // bytes in front of the data: grouping id, data length
            bool unsync = false;
            if (major == 3) {
                frame.Opaque = (format & 0x80) || (format & 0x40);
                skip += (format & 0x20) ? 1 : 0;
            } else if (major >= 4) {
                frame.Opaque = (format & 0x08) || (format & 0x04);
                skip += (format & 0x40) ? 1 : 0;
                skip += (format & 0x01) ? 4 : 0;
                unsync = (format & 0x02) || (header.Flags & 0x80);
                frame.StatusFlags = uint8_t((raw[8] & 0x70) << 1);  // 2.4 status bits, 2.3 places
            }
            frame.FormatFlags = format;
            if (frame.Opaque) {  // kept whole: the writer carries it over as it is
                skip = 0;
                unsync = false;
            }
            const int64_t cap = maxData > size_t(INT64_MAX) ? INT64_MAX : int64_t(maxData);
            const int64_t want = std::clamp<int64_t>(available - skip, 0, cap);
            frame.Data.resize(size_t(want));
            if (want > 0 && !stream->ReadExact(dataStart + skip, frame.Data.data(), want))
                return false;
            if (unsync)
                frame.Data = Resynchronise(frame.Data.data(), frame.Data.size());
            if (!visit(frame))
                break;
            pos = dataStart + size;
        }
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace Internal

using namespace Internal;

void TID3v2::SetTitle(std::string_view v) {
    m_title = Trim(v);
}
void TID3v2::SetArtist(std::string_view v) {
    m_artist = Trim(v);
}
void TID3v2::SetAlbum(std::string_view v) {
    m_album = Trim(v);
}
void TID3v2::SetYear(std::string_view v) {
    m_year = Trim(v);
}
void TID3v2::SetGenre(std::string_view v) {
    m_genre = Trim(v);
}
void TID3v2::SetComment(std::string_view v) {
    m_comment = Trim(v);
}
void TID3v2::SetComposer(std::string_view v) {
    m_composer = Trim(v);
}
void TID3v2::SetEncoder(std::string_view v) {
    m_encoder = Trim(v);
}
void TID3v2::SetCopyright(std::string_view v) {
    m_copyright = Trim(v);
}
void TID3v2::SetLanguage(std::string_view v) {
    m_language = Trim(v);
}
void TID3v2::SetLink(std::string_view v) {
    m_link = Trim(v);
}

bool TID3v2::ReadTag(const std::filesystem::path& fileName) {
    Reset();
    FileStream stream;
    if (!stream.Open(fileName))
        return false;
    const bool ok = ReadTag(stream);
    m_readIdentity = IdentityOfDescriptor(stream.Descriptor());
    return ok;
}

bool TID3v2::ReadTag(LockedFile& file) {
    Reset();
    FileStream stream;
    if (!stream.OpenDuplicate(file.Descriptor()))
        return false;
    const bool ok = ReadTag(stream);
    m_readIdentity = file.Identity();
    return ok;
}

bool TID3v2::ReadTag(ByteStream& stream) {
    Reset();
    try {
        ID3v2Header header{};
        if (!stream.ReadExact(0, &header, sizeof header))
            return false;
        if (std::memcmp(header.Id, "ID3", 3) != 0)
            return true;
        m_exists = true;
        m_version = header.Major;
        m_size = TagTotalSize(header, stream.Size());
        if (m_version < 2 || m_version > 4 || m_size <= 0)
            return true;

        std::array<std::vector<uint8_t>, kID3v2Slots + 1> slots;
        const bool v22 = m_version == 2;
        bool plainComment = false;
        const bool ok = WalkID3v2Frames(stream, header, m_size, kMaxFrameRead, [&](ID3v2Frame& f) {
            if (f.Opaque || f.Data.empty() || f.Data[0] > 3)
                return true;
            if (f.Id == SlotId(7, v22)) {
                // The comment shown is the last one without a description (others, such as
                // a player's loudness notes, are not the user's comment), else the last one.
                const bool plain = IsPlainComment(f.Data);
                if (plainComment && !plain)
                    return true;
                plainComment = plain;
            }
            for (int slot = 1; slot <= kID3v2Slots; ++slot)
                if (f.Id == SlotId(slot, v22))
                    slots[size_t(slot)] = f.Data;  // a later frame replaces an earlier one
            return true;
        });
        auto text = [&](int slot) { return DecodeFrameText(slots[size_t(slot)]); };
        m_title = text(1).empty() ? text(15) : text(1);
        m_artist = text(2).empty() ? text(14) : text(2);
        m_album = text(3).empty() ? text(16) : text(3);
        m_trackText = text(4);
        m_track = ExtractTrack(m_trackText);
        m_year = text(5);
        if (m_year.empty()) {
            const std::string date = text(13);
            m_year = date.substr(0, std::min<size_t>(4, date.size()));
        }
        m_genre = ExtractGenre(text(6));
        m_comment = ExtractDescribedText(slots[7], true, false);
        m_link = ExtractDescribedText(slots[12], false, true);
        m_composer = text(8);
        m_encoder = text(9);
        m_copyright = text(10);
        m_language = text(11);
        m_audioSizeText = text(17);
        m_tagRead = true;
        m_asRead = {std::string(), m_title,    m_artist,  m_album,    std::to_string(m_track),
                    m_year,        m_genre,    m_comment, m_composer, m_encoder,
                    m_copyright,   m_language, m_link};
        // Frames read before an I/O error are kept; the tag itself was read.
        (void)ok;
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace tv::tags
