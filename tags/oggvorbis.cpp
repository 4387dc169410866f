#include "tags/oggvorbis.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "tags/oggpage.h"
#include "tags/textcodec.h"

namespace tv::tags {

namespace {

constexpr size_t kMaxHeaderBytes = size_t(64) << 20;    // packet data the header pages may hold
constexpr int64_t kTailFirstWindow = 12060;             // bytes first searched for the last page
constexpr int64_t kTailSearchLimit = int64_t(1) << 20;  // bytes searched at most

bool IsVorbisPacket(const std::vector<uint8_t>& packet, uint8_t type) {
    return packet.size() >= 7 && packet[0] == type &&
           std::memcmp(packet.data() + 1, "vorbis", 6) == 0;
}

}  // namespace

namespace Internal {

int64_t OggID3v2Size(ByteStream& stream) {
    uint8_t h[10];
    if (!stream.ReadExact(0, h, 10) || std::memcmp(h, "ID3", 3) != 0)
        return 0;
    const int64_t size = int64_t(ReadSynchsafe32(h + 6)) + ((h[5] & 0x10) ? 20 : 10);
    return size > stream.Size() ? 0 : size;
}

int64_t LastGranulePosition(ByteStream& stream, int64_t dataStart) {
    const int64_t size = stream.Size();
    const int64_t lowest = std::max<int64_t>(dataStart, size - kTailSearchLimit);
    // Pages starting at [from, end) are searched, last first; each window is four times the
    // one before, and its block reaches 13 bytes past `end` for a granule that crosses it.
    int64_t end = size - 13;  // a page starting later has no whole granule position
    for (int64_t window = kTailFirstWindow; end > lowest; window *= 4) {
        const int64_t from = std::max(lowest, size - window);
        if (from >= end)
            continue;
        std::vector<uint8_t> block(size_t(end + 13 - from));
        if (!stream.ReadExact(from, block.data(), int64_t(block.size())))
            return 0;
        for (int64_t at = end - 1 - from; at >= 0; --at) {
            const uint8_t* page = block.data() + at;
            // "OggS" and stream structure version 0
            if (std::memcmp(page, "OggS", 4) != 0 || page[4] != 0)
                continue;
            const int64_t granule = int64_t(ReadLE64(page + 6));
            return granule > 0 ? granule : 0;
        }
        end = from;
    }
    return 0;
}

uint16_t ExtractTrack(std::string_view text) {
    const int64_t number = ParseDigits(text.substr(0, text.find('/')));
    return number < 0 ? 0 : uint16_t(number % 256);
}

std::string Utf8Prefix(std::string_view bytes) {
    size_t good = 0;
    while (good < bytes.size()) {
        const auto lead = uint8_t(bytes[good]);
        const size_t n = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        if (good + n > bytes.size() || !IsValidUtf8(bytes.substr(good, n)))
            break;
        good += n;
    }
    return std::string(bytes.substr(0, good));
}

}  // namespace Internal

bool TOggVorbis::Analyze(const std::filesystem::path& fileName) {
    Reset();
    FileStream stream;
    if (!stream.Open(fileName))
        return false;
    const bool ok = Analyze(stream);
    m_readIdentity = IdentityOfDescriptor(stream.Descriptor());
    return ok;
}

bool TOggVorbis::Analyze(LockedFile& file) {
    Reset();
    FileStream stream;
    if (!stream.OpenDuplicate(file.Descriptor()))
        return false;
    const bool ok = Analyze(stream);
    m_readIdentity = file.Identity();
    return ok;
}

bool TOggVorbis::Analyze(ByteStream& stream) {
    Reset();
    const int64_t id3Size = Internal::OggID3v2Size(stream);
    const OggHeaderPackets headers = ReadOggHeaderPackets(stream, id3Size, 2, kMaxHeaderBytes);
    if (headers.Packets.empty() || !IsVorbisPacket(headers.Packets[0], 0x01) ||
        headers.Packets[0].size() < sizeof(VorbisIdentification))
        return false;
    VorbisIdentification id;
    std::memcpy(&id, headers.Packets[0].data(), sizeof id);
    m_fileSize = stream.Size();
    m_id3v2Size = id3Size;
    m_channels = id.Channels;
    m_sampleRate = int32_t(ReadLE32(id.SampleRate));
    const auto nominal = int32_t(ReadLE32(id.BitRateNominal));
    m_bitRateNominal = nominal <= 0 ? 0 : uint16_t(std::min(nominal / 1000, 65535));
    m_samples = Internal::LastGranulePosition(stream, id3Size);

    if (headers.Packets.size() < 2 || !IsVorbisPacket(headers.Packets[1], 0x03))
        return true;
    std::array<std::string, kVorbisSlots> slots;
    const std::vector<std::string> items = VorbisCommentItems(headers.Packets[1], 7, kMaxItemRead);
    for (size_t i = 0; i < items.size(); ++i) {
        const std::string item = Trim(items[i]);
        if (i == 0) {
            slots[0] = Internal::Utf8Prefix(item);
            continue;
        }
        const size_t eq = item.find('=');
        if (eq == std::string::npos)
            continue;
        const int slot = VorbisSlotOf(std::string_view(item).substr(0, eq));
        if (slot > 0)
            slots[size_t(slot)] = Trim(Internal::Utf8Prefix(std::string_view(item).substr(eq + 1)));
    }
    m_vendor = slots[0];
    m_title = slots[1];
    m_artist = slots[2].empty() ? slots[8] : slots[2];
    m_album = slots[3];
    m_track = Internal::ExtractTrack(slots[4]);
    m_date = slots[5];
    m_genre = slots[6];
    m_comment = slots[7].empty() ? slots[9] : slots[7];
    m_commentsRead = true;
    m_asRead = {m_title, m_artist, m_album, std::to_string(m_track), m_date, m_genre, m_comment};
    return true;
}

double TOggVorbis::Duration() const {
    if (m_samples > 0)
        return m_sampleRate > 0 ? double(m_samples) / m_sampleRate : 0.0;
    if (m_bitRateNominal > 0 && m_channels > 0)
        return double(m_fileSize - m_id3v2Size) / m_bitRateNominal / m_channels / 125.0 * 2.0;
    return 0.0;
}

uint16_t TOggVorbis::BitRate() const {
    const double duration = Duration();
    if (duration <= 0)
        return 0;
    const double rate = std::nearbyint(double(m_fileSize - m_id3v2Size) / duration / 125.0);
    return rate <= 0 ? 0 : uint16_t(std::min(rate, 65535.0));
}

std::string TOggVorbis::ChannelMode() const {
    switch (m_channels) {
        case 0:
            return "Unknown";
        case 1:
            return "Mono";
        case 2:
            return "Stereo";
        default:
            return "Multichannel";
    }
}

bool TOggVorbis::Valid() const {
    return (m_channels == 1 || m_channels == 2 || m_channels == 6) && m_sampleRate > 0 &&
           Duration() > 0.1 && BitRate() > 0;
}

bool TOggVorbis::ClearTag(const std::filesystem::path& fileName, FileOps& ops) {
    m_title.clear();
    m_artist.clear();
    m_album.clear();
    m_track = 0;
    m_date.clear();
    m_genre.clear();
    m_comment.clear();
    m_commentsRead = false;  // every field changed, even one that was empty already
    m_clearing = true;
    const bool ok = WriteTag(fileName, ops);
    m_clearing = false;
    return ok;
}

bool TOggVorbis::ClearTag(LockedFile& file, FileOps& ops) {
    m_title.clear();
    m_artist.clear();
    m_album.clear();
    m_track = 0;
    m_date.clear();
    m_genre.clear();
    m_comment.clear();
    m_commentsRead = false;
    m_clearing = true;
    const bool ok = WriteTag(file, ops);
    m_clearing = false;
    return ok;
}

bool TOggVorbis::WriteTag(const std::filesystem::path& fileName, FileOps& ops) {
    m_lastError.clear();
    LockedFile file;
    if (!file.Open(fileName, &m_lastError))
        return false;
    return WriteTag(file, ops);
}

bool TOggVorbis::WriteTag(LockedFile& file, FileOps& ops) {
    m_lastError.clear();
    if (m_readIdentity.Known() && file.Identity() != m_readIdentity) {
        m_lastError = kChangedSinceRead;
        return false;
    }
    FileStream stream;
    if (!stream.OpenDuplicate(file.Descriptor())) {
        m_lastError = "cannot open the file";
        return false;
    }
    const int64_t id3Size = Internal::OggID3v2Size(stream);
    const OggHeaderPackets headers = ReadOggHeaderPackets(stream, id3Size, 3, kMaxHeaderBytes);
    if (headers.Packets.size() < 3 || !IsVorbisPacket(headers.Packets[0], 0x01) ||
        !IsVorbisPacket(headers.Packets[1], 0x03) || !IsVorbisPacket(headers.Packets[2], 0x05)) {
        m_lastError = "not an Ogg Vorbis file with complete header packets";
        return false;
    }
    if (!headers.EndsOnPageBoundary || headers.ForeignPages) {
        m_lastError = "the header pages are shared with audio or another stream";
        return false;
    }

    // The new comment packet: the vendor, then the old fields in their order, where only the
    // fields the caller changed are replaced (the new value at the place of the first old one).
    const std::vector<std::string> oldItems = VorbisCommentItems(headers.Packets[1], 7, SIZE_MAX);
    const std::string track = m_track ? std::to_string(m_track) : std::string();
    std::array<std::string, kVorbisSlots> values = {
        "",    Trim(m_title), Trim(m_artist), Trim(m_album),
        track, Trim(m_date),  Trim(m_genre),  Trim(m_comment)};
    // By slot: replaced (an edited field; when clearing, also the second names the reader shows).
    std::array<bool, kVorbisSlots> replaced{};
    for (int slot = 1; slot <= 7; ++slot) {
        const size_t field = size_t(slot - 1);
        replaced[size_t(slot)] =
            !m_commentsRead || (slot == 4 ? std::to_string(m_track) != m_asRead[field]
                                          : values[size_t(slot)] != m_asRead[field]);
    }
    replaced[8] = replaced[9] = m_clearing;
    std::vector<uint8_t> comment(headers.Packets[1].begin(), headers.Packets[1].begin() + 7);
    const std::vector<uint8_t> list = RenderVorbisComment(oldItems, values, replaced);
    comment.insert(comment.end(), list.begin(), list.end());
    comment.push_back(0x01);  // framing bit

    // The first page is kept when it holds the identification packet alone.
    const OggPage& first = headers.Pages[0];
    const bool keepFirst = first.Segments() >= 1 &&
                           first.Bytes.size() - first.HeaderSize() == headers.Packets[0].size() &&
                           first.Lacing()[first.Segments() - 1] < 255;
    std::vector<std::vector<uint8_t>> packets;
    if (!keepFirst)
        packets.push_back(headers.Packets[0]);
    packets.push_back(comment);
    packets.push_back(headers.Packets[2]);
    const uint32_t serial = first.Serial();
    std::vector<std::vector<uint8_t>> newPages =
        PaginateOggPackets(packets, serial, first.PageNumber() + (keepFirst ? 1 : 0), !keepFirst);
    if (keepFirst)
        newPages.insert(newPages.begin(), first.Bytes);
    const uint32_t shift = uint32_t(newPages.size() - headers.Pages.size());
    const int64_t headerEnd =
        headers.Pages.back().Offset + int64_t(headers.Pages.back().Bytes.size());

    const bool ok = SafeRewrite(
        file,
        [&](RewriteSink& sink) {
            if (!sink.CopyFrom(stream.Descriptor(), 0, id3Size))
                return false;
            for (const auto& page : newPages)
                if (!sink.Write(page.data(), page.size()))
                    return false;
            return CopyOggRest(stream, stream.Descriptor(), sink, headerEnd, serial, shift);
        },
        &m_lastError, ops);
    if (ok)
        m_readIdentity = file.Identity();
    return ok;
}

}  // namespace tv::tags
