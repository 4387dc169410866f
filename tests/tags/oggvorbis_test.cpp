#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "oggpages.h"
#include "tagfixtures.h"
#include "tags/oggpage.h"
#include "tags/oggvorbis.h"

namespace tv::tags::test {
namespace {

Bytes LE32(uint32_t v) {
    return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
}

Bytes IdPacket(uint8_t channels, uint32_t rate, uint32_t nominal) {
    Bytes p = Bytes{0x01} + B("vorbis") + LE32(0) + Bytes{channels} + LE32(rate) + LE32(0) +
              LE32(nominal) + LE32(0) + Bytes{0xB8, 0x01};
    return p;
}

Bytes CommentPacket(const std::vector<std::string>& fields, std::string_view vendor = "enc 1.0") {
    Bytes p = Bytes{0x03} + B("vorbis") + LE32(uint32_t(vendor.size())) + B(vendor) +
              LE32(uint32_t(fields.size()));
    for (const auto& f : fields)
        p = p + LE32(uint32_t(f.size())) + B(f);
    return p + Bytes{0x01};
}

// A complete (not decodable) stream: identification page, comment + setup page(s), then
// `audioPages` pages of 3000 bytes, the last with granule `samples`.
Bytes OggFile(const Bytes& id, const Bytes& comment, int audioPages, int64_t samples) {
    Bytes out;
    for (const auto& page : PaginateOggPackets({id}, 77, 0, true))
        out = out + page;
    const Bytes setup = Bytes{0x05} + B("vorbis") + Bytes(300, 0x42);
    const auto headers = PaginateOggPackets({comment, setup}, 77, 1, false);
    for (const auto& page : headers)
        out = out + page;
    for (int i = 0; i < audioPages; ++i) {
        Bytes data(3000, uint8_t(i));
        auto page = PaginateOggPackets(
            {Bytes(data.begin(), data.begin() + 1500), Bytes(data.begin() + 1500, data.end())}, 77,
            uint32_t(1 + headers.size() + i), false)[0];
        WriteLE64(page.data() + 6, uint64_t(samples * (i + 1) / audioPages));
        std::memset(page.data() + 22, 0, 4);
        WriteLE32(page.data() + 22, OggCrc(page.data(), page.size()));
        out = out + page;
    }
    return out;
}

TOggVorbis AnalyzeBytes(const Bytes& file) {
    MemoryStream stream(file);
    TOggVorbis ogg;
    EXPECT_TRUE(ogg.Analyze(stream));
    return ogg;
}

TEST(OggPage, ChecksumMatchesKnownValue) {
    // The CRC of "123456789" with this polynomial, MSB first, initial 0, no inversion.
    const Bytes text = B("123456789");
    EXPECT_EQ(OggCrc(text.data(), text.size()), 0x89A1897Fu);
}

TEST(OggVorbisRead, CommentFieldsNamesCaseAndFallbacks) {
    const std::string longTitle = "title=" + std::string(300, 'x');
    TOggVorbis ogg = AnalyzeBytes(
        OggFile(IdPacket(2, 44100, 128000),
                CommentPacket({longTitle, "artist=Somebody", "Album=  Spaced  ", "tracknumber=5/10",
                               "DATE=2001", "Genre=Jazz", "DESCRIPTION=only desc", "PERFORMER=perf",
                               "T\xC3\xADtulo=x", "COMMENT=caf\xC3\xA9"}),
                3, 88200));
    EXPECT_EQ(ogg.Title(), std::string(244, 'x'));  // 250 bytes of the item, less "title="
    EXPECT_EQ(ogg.Artist(), "Somebody");            // ARTIST wins over PERFORMER
    EXPECT_EQ(ogg.Album(), "Spaced");
    EXPECT_EQ(ogg.Track(), 5);
    EXPECT_EQ(ogg.Date(), "2001");
    EXPECT_EQ(ogg.Genre(), "Jazz");
    EXPECT_EQ(ogg.Comment(), "caf\xC3\xA9");  // COMMENT wins over DESCRIPTION, kept as UTF-8
    EXPECT_EQ(ogg.Vendor(), "enc 1.0");

    TOggVorbis fallback = AnalyzeBytes(
        OggFile(IdPacket(1, 22050, 64000),
                CommentPacket({"PERFORMER=Perf", "description=Desc \xE2\x82"}), 1, 22050));
    EXPECT_EQ(fallback.Artist(), "Perf");
    EXPECT_EQ(fallback.Comment(), "Desc");  // cut-off sequence dropped
}

TEST(OggVorbisRead, TrackNumbers) {
    for (const auto& [text, track] : std::vector<std::pair<std::string, int>>{
             {"5/10", 5}, {"7", 7}, {"300", 44}, {"x", 0}, {"/3", 0}, {"", 0}})
        EXPECT_EQ(Internal::ExtractTrack(text), track) << text;
}

TEST(OggVorbisRead, StreamFiguresAndValidity) {
    TOggVorbis ogg = AnalyzeBytes(OggFile(IdPacket(2, 44100, 128000), CommentPacket({}), 4, 88200));
    EXPECT_EQ(ogg.Samples(), 88200);
    EXPECT_DOUBLE_EQ(ogg.Duration(), 2.0);
    EXPECT_EQ(ogg.BitRateNominal(), 128);
    EXPECT_EQ(ogg.ChannelMode(), "Stereo");
    EXPECT_TRUE(ogg.Valid());
    EXPECT_EQ(ogg.BitRate(), uint16_t(std::nearbyint(double(ogg.FileSize()) / 2.0 / 125)));

    // A 64-bit granule position is kept whole.
    TOggVorbis big = AnalyzeBytes(
        OggFile(IdPacket(2, 48000, 128000), CommentPacket({}), 1, int64_t(48000) * 100000));
    EXPECT_DOUBLE_EQ(big.Duration(), 100000.0);

    for (const auto& [channels, valid] :
         std::vector<std::pair<uint8_t, bool>>{{1, true}, {6, true}, {4, false}, {0, false}}) {
        TOggVorbis c =
            AnalyzeBytes(OggFile(IdPacket(channels, 44100, 128000), CommentPacket({}), 2, 44100));
        EXPECT_EQ(c.Valid(), valid) << int(channels);
    }
}

// The last page is found wherever it starts within the last MiB, behind junk of any kind (here
// zeros, and bytes that spell "OggS" with another structure version); beyond that the duration
// falls back to the nominal rate.
TEST(OggVorbisRead, LastPageIsFoundFarFromTheEndOrTheNominalRateIsUsed) {
    const int64_t samples = int64_t(1560) * 44100;  // 26 minutes
    const Bytes stream = OggFile(IdPacket(2, 44100, 128000), CommentPacket({}), 2, samples);
    const int64_t lastPage = int64_t(PagesOf(stream).back().Bytes.size());
    const struct {
        int64_t fromEnd;  // where the last page starts, counted from the end
        bool found;
    } cases[] = {{lastPage, true},
                 {12060, true},
                 {12061, true},
                 {20 * 1024, true},
                 {200 * 1024, true},
                 {int64_t(1) << 20, true},
                 {(int64_t(1) << 20) + 1, false}};
    for (const auto& c : cases) {
        Bytes file = stream;
        Bytes junk(size_t(c.fromEnd - lastPage), 0);
        for (size_t at = 0; at + 5 <= junk.size(); at += 4093)
            std::memcpy(junk.data() + at, "OggS\x01", 5);
        file = file + junk;
        const TOggVorbis ogg = AnalyzeBytes(file);
        if (c.found) {
            EXPECT_EQ(ogg.Samples(), samples) << c.fromEnd;
            EXPECT_NEAR(ogg.Duration(), 1560.0, 1.0) << c.fromEnd;
        } else {
            EXPECT_EQ(ogg.Samples(), 0) << c.fromEnd;
            EXPECT_DOUBLE_EQ(ogg.Duration(), double(file.size()) / 128 / 2 / 125 * 2);
        }
    }
}

TEST(OggVorbisRead, RejectsOtherData) {
    for (const Bytes& bad :
         {Bytes{}, B("OggS"), B("RIFF....WAVE"),
          OggFile(Bytes{0x01} + B("vorbix") + Bytes(23, 0), CommentPacket({}), 1, 1)}) {
        MemoryStream stream(bad);
        TOggVorbis ogg;
        EXPECT_FALSE(ogg.Analyze(stream));
        EXPECT_EQ(ogg.Channels(), 0);
    }
    // An ID3v2 tag in front is skipped and counted.
    const Bytes withTag =
        ID3v2(3, {}, 20) + OggFile(IdPacket(2, 44100, 128000), CommentPacket({"TITLE=t"}), 1, 441);
    TOggVorbis ogg = AnalyzeBytes(withTag);
    EXPECT_EQ(ogg.ID3v2Size(), 30);
    EXPECT_EQ(ogg.Title(), "t");
}

TEST(OggPage, CommentPacketSpanningPagesIsReassembled) {
    const std::string big = "ALBUM=" + std::string(70000, 'a');
    TOggVorbis ogg = AnalyzeBytes(
        OggFile(IdPacket(2, 44100, 128000), CommentPacket({big, "TITLE=after"}), 1, 441));
    EXPECT_EQ(ogg.Title(), "after");
    EXPECT_EQ(ogg.Album(), std::string(244, 'a'));
}

}  // namespace
}  // namespace tv::tags::test
