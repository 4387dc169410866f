#include "tags/oggpage.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace tv::tags {

namespace {

constexpr std::array<uint32_t, 256> MakeCrcTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t r = i << 24;
        for (int bit = 0; bit < 8; ++bit)
            r = (r & 0x80000000u) ? (r << 1) ^ 0x04C11DB7u : (r << 1);
        table[i] = r;
    }
    return table;
}

constexpr std::array<uint32_t, 256> kCrcTable = MakeCrcTable();

}  // namespace

uint32_t OggCrc(const uint8_t* data, size_t size, uint32_t crc) {
    for (size_t i = 0; i < size; ++i)
        crc = (crc << 8) ^ kCrcTable[((crc >> 24) ^ data[i]) & 0xFF];
    return crc;
}

bool OggPage::ChecksumOk() const {
    std::vector<uint8_t> copy = Bytes;
    std::memset(copy.data() + 22, 0, 4);
    return OggCrc(copy.data(), copy.size()) == ReadLE32(Bytes.data() + 22);
}

void OggPage::Renumber(uint32_t pageNumber) {
    WriteLE32(Bytes.data() + 18, pageNumber);
    std::memset(Bytes.data() + 22, 0, 4);
    WriteLE32(Bytes.data() + 22, OggCrc(Bytes.data(), Bytes.size()));
}

bool ReadOggPage(ByteStream& stream, int64_t offset, OggPage& page) {
    uint8_t head[27 + 255];
    if (offset < 0 || !stream.ReadExact(offset, head, 27))
        return false;
    if (std::memcmp(head, "OggS", 4) != 0 || head[4] != 0)
        return false;
    const int segments = head[26];
    if (!stream.ReadExact(offset + 27, head + 27, segments))
        return false;
    size_t bodySize = 0;
    for (int i = 0; i < segments; ++i)
        bodySize += head[27 + i];
    page.Offset = offset;
    page.Bytes.assign(head, head + 27 + segments);
    page.Bytes.resize(27 + segments + bodySize);
    return stream.ReadExact(offset + 27 + segments, page.Bytes.data() + 27 + segments,
                            int64_t(bodySize));
}

OggHeaderPackets ReadOggHeaderPackets(ByteStream& stream, int64_t offset, size_t count,
                                      size_t maxBytes) {
    OggHeaderPackets result;
    std::vector<uint8_t> partial;
    size_t total = 0;
    bool haveSerial = false;
    uint32_t serial = 0;
    OggPage page;
    while (result.Packets.size() < count && ReadOggPage(stream, offset, page)) {
        offset += int64_t(page.Bytes.size());
        if (haveSerial && page.Serial() != serial) {
            result.ForeignPages = true;
            continue;
        }
        haveSerial = true;
        serial = page.Serial();
        // A page that claims to continue a packet while none is pending (or the reverse) means
        // the stream is broken here: stop.
        const bool continued = (page.Bytes[5] & 0x01) != 0;
        if (continued != !partial.empty())
            break;
        const uint8_t* body = page.Bytes.data() + page.HeaderSize();
        size_t at = 0;
        bool endedHere = false;
        for (int i = 0; i < page.Segments() && result.Packets.size() < count; ++i) {
            const uint8_t lace = page.Lacing()[i];
            total += lace;
            if (total > maxBytes)
                return result;
            partial.insert(partial.end(), body + at, body + at + lace);
            at += lace;
            endedHere = false;
            if (lace < 255) {
                result.Packets.push_back(std::move(partial));
                partial.clear();
                endedHere = i == page.Segments() - 1;
            }
        }
        result.EndsOnPageBoundary = endedHere && at == page.Bytes.size() - page.HeaderSize();
        result.Pages.push_back(std::move(page));
        page = OggPage();
    }
    return result;
}

std::vector<std::vector<uint8_t>> PaginateOggPackets(
    const std::vector<std::vector<uint8_t>>& packets, uint32_t serial, uint32_t firstPageNumber,
    bool firstPageOfStream) {
    // The lacing values of all packets in a row, each tagged with whether it ends a packet.
    std::vector<std::pair<uint8_t, bool>> laces;
    for (const auto& packet : packets) {
        size_t left = packet.size();
        while (left >= 255) {
            laces.emplace_back(uint8_t(255), false);
            left -= 255;
        }
        laces.emplace_back(uint8_t(left), true);
    }
    std::vector<std::vector<uint8_t>> pages;
    size_t packet = 0, inPacket = 0, lace = 0;
    bool continued = false;
    uint32_t number = firstPageNumber;
    while (lace < laces.size()) {
        const size_t n = std::min<size_t>(255, laces.size() - lace);
        std::vector<uint8_t> page(27 + n);
        std::memcpy(page.data(), "OggS", 4);
        page[5] = uint8_t((continued ? 0x01 : 0) | (firstPageOfStream && pages.empty() ? 0x02 : 0));
        bool anyEnds = false;
        for (size_t i = 0; i < n; ++i) {
            const auto [value, ends] = laces[lace + i];
            page[27 + i] = value;
            page.insert(page.end(), packets[packet].begin() + std::ptrdiff_t(inPacket),
                        packets[packet].begin() + std::ptrdiff_t(inPacket + value));
            inPacket += value;
            if (ends) {
                anyEnds = true;
                ++packet;
                inPacket = 0;
            }
        }
        continued = !laces[lace + n - 1].second;
        lace += n;
        WriteLE64(page.data() + 6, anyEnds ? 0 : ~uint64_t(0));
        WriteLE32(page.data() + 14, serial);
        WriteLE32(page.data() + 18, number++);
        page[26] = uint8_t(n);
        WriteLE32(page.data() + 22, OggCrc(page.data(), page.size()));
        pages.push_back(std::move(page));
    }
    return pages;
}

bool CopyOggRest(ByteStream& stream, int fd, RewriteSink& sink, int64_t from, uint32_t serial,
                 uint32_t shift) {
    if (shift == 0)
        return sink.CopyFrom(fd, from, -1);
    int64_t at = from;
    OggPage page;
    while (ReadOggPage(stream, at, page)) {
        if (page.Serial() == serial)
            page.Renumber(page.PageNumber() + shift);
        if (!sink.Write(page.Bytes.data(), page.Bytes.size()))
            return false;
        at += int64_t(page.Bytes.size());
    }
    return sink.CopyFrom(fd, at, -1);
}

}  // namespace tv::tags
