// A rewrite through the tool keeps every field the user did not change whole, however much
// longer it is than the part the readers keep for display.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "tagfixtures.h"
#include "tags/id3v2.h"
#include "tags/oggpage.h"
#include "tags/oggvorbis.h"
#include "tags/textcodec.h"

namespace tv::tags::test {
namespace {

// The comment packet of an Ogg file, reassembled from its pages.
std::string CommentPacket(const std::filesystem::path& file) {
    FileStream stream;
    EXPECT_TRUE(stream.Open(file));
    const auto headers = ReadOggHeaderPackets(stream, 0, 2, size_t(64) << 20);
    EXPECT_EQ(headers.Packets.size(), 2u);
    if (headers.Packets.size() < 2)
        return {};
    return std::string(headers.Packets[1].begin(), headers.Packets[1].end());
}

struct OggCase {
    const char* name;
    const char* field;  // the long field, as the writer names it
    size_t length;
};

class LongOggField : public testing::TestWithParam<OggCase> {};

TEST_P(LongOggField, SurvivesATitleWrite) {
    if (std::system("command -v ffmpeg >/dev/null 2>&1") != 0)
        GTEST_FAIL() << "ffmpeg is not installed (scripts/install-deps.sh installs it)";
    TempDir dir;
    const auto file = dir.Path() / "long.ogg";
    ASSERT_EQ(std::system(("ffmpeg -nostdin -v error -f lavfi -i sine=duration=1 -c:a libvorbis "
                           "-metadata ARTIST=Someone " +
                           Quoted(file))
                              .c_str()),
              0);
    // The long value goes in through the writer itself (a command line cannot carry 200 000
    // characters in one argument); its pages are laid out anew as the packet grows.
    std::string value;
    for (size_t i = 0; value.size() < GetParam().length; ++i)
        value += char('a' + i % 26);
    TOggVorbis ogg;
    ASSERT_TRUE(ogg.Analyze(file));
    if (std::string(GetParam().field) == "ALBUM")
        ogg.SetAlbum(value);
    else
        ogg.SetComment(value);
    ASSERT_TRUE(ogg.WriteTag(file));
    const std::string item = std::string(GetParam().field) + "=" + value;
    ASSERT_NE(CommentPacket(file).find(item), std::string::npos);

    ASSERT_EQ(RunTool("write " + Quoted(file) + " --title X").first, 0);
    const std::string packet = CommentPacket(file);
    EXPECT_NE(packet.find(item), std::string::npos) << "the long field was cut";
    EXPECT_NE(packet.find("TITLE=X"), std::string::npos);
    EXPECT_NE(packet.find("ARTIST=Someone"), std::string::npos);
    ASSERT_TRUE(ogg.Analyze(file));
    EXPECT_EQ(ogg.Title(), "X");
    EXPECT_EQ(ogg.Samples(), 44100);  // the audio pages after the headers are intact
}

INSTANTIATE_TEST_SUITE_P(Fields, LongOggField,
                         testing::Values(OggCase{"album600", "ALBUM", 600},
                                         OggCase{"comment200000", "COMMENT", 200000}),
                         [](const auto& info) { return std::string(info.param.name); });

struct ID3v2Case {
    const char* name;
    uint8_t major;
    uint8_t encoding;
    Bytes payload;         // the artist frame's text as stored
    std::string expected;  // the artist's whole text
};

std::string Letters(size_t n) {
    std::string s;
    for (size_t i = 0; i < n; ++i)
        s += char('A' + i % 26);
    return s;
}

class LongID3v2Artist : public testing::TestWithParam<ID3v2Case> {};

TEST_P(LongID3v2Artist, SurvivesATitleWrite) {
    const ID3v2Case& c = GetParam();
    TempDir dir;
    const FrameSpec spec;
    const auto file = dir.Write(
        "long.mp3", ID3v2(c.major, {{c.major == 2 ? "TT2" : "TIT2", Latin1("Old")},
                                    {c.major == 2 ? "TP1" : "TPE1", Text(c.encoding, c.payload)}}) +
                        MpegFrames(spec, 50));
    ASSERT_EQ(RunTool("write " + Quoted(file) + " --title X").first, 0);

    FileStream stream;
    ASSERT_TRUE(stream.Open(file));
    ID3v2Header header{};
    ASSERT_TRUE(stream.ReadExact(0, &header, sizeof header));
    EXPECT_EQ(header.Major, 3);
    std::vector<uint8_t> artist;
    ASSERT_TRUE(Internal::WalkID3v2Frames(stream, header,
                                          Internal::TagTotalSize(header, stream.Size()), SIZE_MAX,
                                          [&](Internal::ID3v2Frame& f) {
                                              if (f.Id == "TPE1")
                                                  artist = f.Data;
                                              return true;
                                          }));
    EXPECT_EQ(Internal::DecodeFrameText(artist), c.expected);
    if (c.major == 3) {  // a 2.3 frame is copied as it was
        EXPECT_EQ(artist, Text(c.encoding, c.payload));
    }
    TID3v2 tag;
    ASSERT_TRUE(tag.ReadTag(file));
    EXPECT_EQ(tag.Title(), "X");
}

Bytes Utf16LE(const std::string& ascii) {
    Bytes out{0xFF, 0xFE};
    for (char ch : ascii) {
        out.push_back(uint8_t(ch));
        out.push_back(0);
    }
    return out;
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, LongID3v2Artist,
    testing::Values(ID3v2Case{"latin1", 3, 0, B(Letters(1000)), Letters(1000)},
                    ID3v2Case{"utf16", 3, 1, Utf16LE(Letters(1000)), Letters(1000)},
                    ID3v2Case{"utf8_from_24", 4, 3, B("\xC3\xA9" + Letters(1000)),
                              "\xC3\xA9" + Letters(1000)},
                    ID3v2Case{"from_22", 2, 0, B(Letters(1000)), Letters(1000)}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tv::tags::test
