#pragma once
// Ogg pages: the fixed page header, the page checksum, reading a run of pages, reassembling the
// packets they carry and laying packets out as new pages. Used by the Ogg Vorbis reader and its
// comment writer.

#include <cstdint>
#include <string>
#include <vector>

#include "tags/bytestream.h"
#include "tags/saferewrite.h"

namespace tv::tags {

// The fixed 27 bytes at the start of every page (all fields little-endian), followed by
// `Segments` lacing values.
struct OggPageHeader {
    char Id[4];  // "OggS"
    uint8_t StreamVersion;
    uint8_t TypeFlag;  // 0x01 continued packet, 0x02 first page, 0x04 last page
    uint8_t GranulePosition[8];
    uint8_t Serial[4];
    uint8_t PageNumber[4];
    uint8_t Checksum[4];
    uint8_t Segments;
};
static_assert(sizeof(OggPageHeader) == 27);

inline uint32_t ReadLE32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline uint16_t ReadLE16(const uint8_t* p) {
    return uint16_t(p[0] | (p[1] << 8));
}
inline uint64_t ReadLE64(const uint8_t* p) {
    return uint64_t(ReadLE32(p)) | (uint64_t(ReadLE32(p + 4)) << 32);
}
inline void WriteLE32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (8 * i));
}
inline void WriteLE64(uint8_t* p, uint64_t v) {
    WriteLE32(p, uint32_t(v));
    WriteLE32(p + 4, uint32_t(v >> 32));
}

// The page checksum: CRC-32 with polynomial 0x04C11DB7, most significant bit first, initial
// value 0 and no final inversion, over the whole page with its checksum field zeroed.
uint32_t OggCrc(const uint8_t* data, size_t size, uint32_t crc = 0);

// One whole page as it is in the file.
struct OggPage {
    int64_t Offset = 0;          // where the page starts
    std::vector<uint8_t> Bytes;  // header, lacing values and body

    const OggPageHeader& Header() const {
        return *reinterpret_cast<const OggPageHeader*>(Bytes.data());
    }
    uint8_t Segments() const { return Bytes[26]; }
    const uint8_t* Lacing() const { return Bytes.data() + 27; }
    size_t HeaderSize() const { return 27 + size_t(Segments()); }
    uint32_t Serial() const { return ReadLE32(Bytes.data() + 14); }
    uint32_t PageNumber() const { return ReadLE32(Bytes.data() + 18); }
    int64_t Granule() const { return int64_t(ReadLE64(Bytes.data() + 6)); }
    // True when the stored checksum matches the page's bytes.
    bool ChecksumOk() const;
    // Sets the page number and recomputes the checksum.
    void Renumber(uint32_t pageNumber);
};

// Reads the page starting at `offset`; false when there is none (no "OggS", version not 0, or
// the page is cut off by the end of the stream). The checksum is not checked.
bool ReadOggPage(ByteStream& stream, int64_t offset, OggPage& page);

// The rest of a rewritten Ogg file after its new header pages: everything from `from` on is
// copied to `sink`; when the header pages' count changed by `shift`, the pages of stream
// `serial` get their numbers moved by it (and new checksums) on the way. `stream` reads the
// file behind `fd`. False when the sink failed.
bool CopyOggRest(ByteStream& stream, int fd, RewriteSink& sink, int64_t from, uint32_t serial,
                 uint32_t shift);

// The first packets of the logical stream whose first page starts at `offset`, put together
// from as many pages as they span.
struct OggHeaderPackets {
    std::vector<std::vector<uint8_t>> Packets;  // complete packets, in order
    std::vector<OggPage> Pages;                 // the pages read, in order
    // True when the last page read ends exactly where the last packet collected ends.
    bool EndsOnPageBoundary = false;
    bool ForeignPages = false;  // pages of another stream lay between them
};

// Collects up to `count` packets of the first page's stream (pages of other streams are
// skipped), reading no more than `maxBytes` of packet data. Fewer packets come back when the
// stream ends, a page is missing or the limit is reached.
OggHeaderPackets ReadOggHeaderPackets(ByteStream& stream, int64_t offset, size_t count,
                                      size_t maxBytes);

// Lays `packets` out as pages of at most 255 lacing values, numbered from `firstPageNumber`,
// every page with `serial` and stream version 0. Each page where a packet ends gets granule
// position 0, the others -1; a page continuing a packet has the continued flag, and the first
// page the first-page flag when `firstPageOfStream` is set. Checksums are filled in.
std::vector<std::vector<uint8_t>> PaginateOggPackets(
    const std::vector<std::vector<uint8_t>>& packets, uint32_t serial, uint32_t firstPageNumber,
    bool firstPageOfStream);

}  // namespace tv::tags
