#include <gtest/gtest.h>

#include "tagfixtures.h"
#include "tags/id3v2.h"
#include "tests/fakes/casename.h"

namespace tv::tags::test {
namespace {

TID3v2 ReadBytes(const Bytes& bytes) {
    MemoryStream stream(bytes);
    TID3v2 tag;
    EXPECT_TRUE(tag.ReadTag(stream));
    return tag;
}

const Bytes kAudio = MpegFrames(FrameSpec{}, 3);

// The same tag in each version's frame ids.
struct VersionCase {
    uint8_t major;
    std::vector<std::string> ids;  // title, artist, album, track, year, genre, comment
};

class ID3v2Versions : public testing::TestWithParam<VersionCase> {};

TEST_P(ID3v2Versions, ReadsTheTextFrames) {
    const VersionCase& c = GetParam();
    const Bytes comment = B(std::string("\0eng", 4)) + B(std::string("desc\0The comment", 16));
    const Bytes tag = ID3v2(c.major,
                            {{c.ids[0], Latin1("  Title ")},
                             {c.ids[1], Latin1("Artist")},
                             {c.ids[2], Latin1("Album")},
                             {c.ids[3], Latin1("3/12")},
                             {c.ids[4], Latin1("2001")},
                             {c.ids[5], Latin1("(17)Rock & Roll")},
                             {c.ids[6], comment}},
                            64);
    const TID3v2 v2 = ReadBytes(tag + kAudio);
    EXPECT_TRUE(v2.Exists());
    EXPECT_EQ(v2.Version(), c.major);
    EXPECT_EQ(v2.Size(), int64_t(tag.size()));
    EXPECT_EQ(v2.Title(), "Title");
    EXPECT_EQ(v2.Artist(), "Artist");
    EXPECT_EQ(v2.Album(), "Album");
    EXPECT_EQ(v2.Track(), 3);
    EXPECT_EQ(v2.TrackText(), "3/12");
    EXPECT_EQ(v2.Year(), "2001");
    EXPECT_EQ(v2.Genre(), "Rock & Roll");
    EXPECT_EQ(v2.Comment(), "The comment");
}

INSTANTIATE_TEST_SUITE_P(
    Versions, ID3v2Versions,
    testing::Values(VersionCase{2, {"TT2", "TP1", "TAL", "TRK", "TYE", "TCO", "COM"}},
                    VersionCase{3, {"TIT2", "TPE1", "TALB", "TRCK", "TYER", "TCON", "COMM"}},
                    VersionCase{4, {"TIT2", "TPE1", "TALB", "TRCK", "TYER", "TCON", "COMM"}}),
    [](const auto& info) { return "v2_" + std::to_string(info.param.major); });

struct EncodingCase {
    const char* name;
    Bytes data;
};

class ID3v2Encodings : public testing::TestWithParam<EncodingCase> {};

// "Grüße ☃" in every encoding the format has (the snowman needs Unicode).
TEST_P(ID3v2Encodings, DecodesToUtf8) {
    const Bytes tag = ID3v2(4, {{"TIT2", GetParam().data}});
    EXPECT_EQ(ReadBytes(tag + kAudio).Title(), "Grüße ☃");
}

const Bytes kUtf16LE =
    B(std::string("G\0r\0\xFC\0\xDF\0"
                  "e\0 \0\x03\x26",
                  14));
const Bytes kUtf16BE =
    B(std::string("\0G\0r\0\xFC\0\xDF\0"
                  "e\0 \x26\x03",
                  14));

INSTANTIATE_TEST_SUITE_P(
    Encodings, ID3v2Encodings,
    testing::Values(EncodingCase{"Utf16WithLittleEndianMark", Text(1, B("\xFF\xFE") + kUtf16LE)},
                    EncodingCase{"Utf16WithBigEndianMark", Text(1, B("\xFE\xFF") + kUtf16BE)},
                    EncodingCase{"Utf16BE", Text(2, kUtf16BE)},
                    EncodingCase{"Utf8", Text(3, B("Grüße ☃"))},
                    EncodingCase{"Utf8Terminated", Text(3, B("Grüße ☃") + Bytes{0, 'x'})}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ID3v2, Latin1FrameTextBecomesUtf8) {
    EXPECT_EQ(ReadBytes(ID3v2(3, {{"TIT2", Latin1("Gr\xFC\xDF"
                                                  "e")}}) +
                        kAudio)
                  .Title(),
              "Grüße");
}

TEST(ID3v2, SynchsafeFrameSizeAfterALargePictureIn24) {
    // 200 bytes of picture: a plain reading of the synchsafe size (0x00000148) would be 328 and
    // land in the middle of the next frame.
    const Bytes picture = B(std::string("\0image/png\0\x03\0", 13)) + Bytes(187, 0x89);
    const Bytes tag =
        ID3v2(4, {{"APIC", picture}, {"TIT2", Latin1("After")}, {"TPE1", Latin1("Picture")}}, 32);
    const TID3v2 v2 = ReadBytes(tag + kAudio);
    EXPECT_EQ(v2.Title(), "After");
    EXPECT_EQ(v2.Artist(), "Picture");
}

TEST(ID3v2, PlainFrameSizesIn24AreRecognised) {
    // Some writers put plain sizes into 2.4 frames; 200 = 0x000000C8 has its top bit set in the
    // last byte, 300 = 0x0000012C reads as 172 synchsafe and lands inside the picture.
    for (int length : {200, 300}) {
        const Bytes picture =
            B(std::string("\0image/png\0\x03\0", 13)) + Bytes(size_t(length - 13), 0x41);
        Bytes tag = ID3v2(4, {{"APIC", picture}, {"TIT2", Latin1("Plain")}}, 20);
        tag[10 + 4] = 0;
        tag[10 + 5] = 0;
        tag[10 + 6] = uint8_t(length >> 8);
        tag[10 + 7] = uint8_t(length);
        EXPECT_EQ(ReadBytes(tag + kAudio).Title(), "Plain") << length;
    }
}

TEST(ID3v2, ExtendedHeaderIsSkipped) {
    // 2.3: a size of 6 not counting itself; 2.4: a synchsafe size of 6 counting itself.
    const Bytes ext23 = {0, 0, 0, 6, 0, 0, 0, 0, 0, 0};
    const Bytes ext24 = {0, 0, 0, 6, 1, 0};
    EXPECT_EQ(ReadBytes(ID3v2(3, {{"TIT2", Latin1("Ext")}}, 10, 0x40, ext23) + kAudio).Title(),
              "Ext");
    EXPECT_EQ(ReadBytes(ID3v2(4, {{"TIT2", Latin1("Ext")}}, 10, 0x40, ext24) + kAudio).Title(),
              "Ext");
}

TEST(ID3v2, FrameRunningPastTheTagStopsAtTheTagEnd) {
    Bytes tag = ID3v2(3, {{"TPE1", Latin1("Artist")}, {"TIT2", Latin1("Cut")}});
    tag[tag.size() - 4 - 10 + 7] = 0x7F;  // TIT2 claims 127 bytes; the tag ends after 4
    const TID3v2 v2 = ReadBytes(tag + B("AUDIOBYTES") + kAudio);
    EXPECT_EQ(v2.Artist(), "Artist");
    EXPECT_EQ(v2.Title(), "Cut");  // the audio behind the tag never becomes text
}

TEST(ID3v2, UnsynchronisedTag23) {
    // An 0xFF in the text is written as 0xFF 0x00 in an unsynchronised tag.
    Bytes tag = ID3v2(3,
                      {{"TIT2", Latin1("a\xFF"
                                       "b")},
                       {"TPE1", Latin1("x")}},
                      0, 0x80);
    const auto it = std::find(tag.begin() + 10, tag.end(), 0xFF);
    tag.insert(it + 1, 0x00);
    tag[9] += 1;
    EXPECT_EQ(ReadBytes(tag + kAudio).Title(),
              "a\xC3\xBF"
              "b");
    EXPECT_EQ(ReadBytes(tag + kAudio).Artist(), "x");
}

TEST(ID3v2, SecondChoiceFramesAndDescribedTexts) {
    const Bytes tag =
        ID3v2(4, {{"TIT1", Latin1("Group")},
                  {"TOPE", Latin1("Original")},
                  {"TOAL", Latin1("Old album")},
                  {"TDRC", Latin1("2004-05-06")},
                  {"WXXX", B(std::string("\x01\xFF\xFE"
                                         "d\0\0\0http://x.example/",
                                         24))},
                  {"COMM", Text(1, B("eng") + B("\xFF\xFE") + B(std::string("d\0\0\0", 4)) +
                                       B("\xFF\xFE") + B(std::string("h\0i\0", 4)))},
                  {"TSIZ", Latin1("1234")}});
    const TID3v2 v2 = ReadBytes(tag + kAudio);
    EXPECT_EQ(v2.Title(), "Group");
    EXPECT_EQ(v2.Artist(), "Original");
    EXPECT_EQ(v2.Album(), "Old album");
    EXPECT_EQ(v2.Year(), "2004");
    EXPECT_EQ(v2.Link(), "http://x.example/");
    EXPECT_EQ(v2.Comment(), "hi");
    EXPECT_EQ(v2.AudioSizeText(), "1234");
}

struct GenreCase {
    std::string text, genre;
};

class ID3v2Genre : public testing::TestWithParam<GenreCase> {};

TEST_P(ID3v2Genre, NumberReferencesAndNames) {
    const Bytes tag = ID3v2(3, {{"TCON", Latin1(GetParam().text)}});
    EXPECT_EQ(ReadBytes(tag + kAudio).Genre(), GetParam().genre);
}

INSTANTIATE_TEST_SUITE_P(Genres, ID3v2Genre,
                         testing::Values(GenreCase{"(17)", "Rock"}, GenreCase{"(17)Rock", "Rock"},
                                         GenreCase{"(17)Hard", "Hard"}, GenreCase{"Jazz", "Jazz"},
                                         GenreCase{"(255)", ""}, GenreCase{"(RX)", "Remix"},
                                         GenreCase{"8", "Jazz"}, GenreCase{"1999", "1999"}),
                         tv::cases::NameFrom(&GenreCase::text));

struct TrackCase {
    std::string text;
    uint16_t track;
};

class ID3v2Track : public testing::TestWithParam<TrackCase> {};

TEST_P(ID3v2Track, NumberBeforeTheSlash) {
    const TID3v2 v2 = ReadBytes(ID3v2(3, {{"TRCK", Latin1(GetParam().text)}}) + kAudio);
    EXPECT_EQ(v2.Track(), GetParam().track);
    EXPECT_EQ(v2.TrackText(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Tracks, ID3v2Track,
                         testing::Values(TrackCase{"3/12", 3}, TrackCase{"7", 7},
                                         TrackCase{"A1", 0}, TrackCase{"/5", 0},
                                         TrackCase{"99999", 0}),
                         tv::cases::NameFrom(&TrackCase::text));

TEST(ID3v2, FramesThatCannotBeReadAreIgnored) {
    // Encoding 9 does not exist; a compressed 2.3 frame cannot be read as text; the later
    // readable frame of the same id is used.
    const Bytes tag = ID3v2(3, {{"TIT2", Latin1("Kept")},
                                {"TIT2", Text(9, B("bad"))},
                                {"TPE1", Latin1("zip"), 0x80},
                                {"TALB", Latin1("first")},
                                {"TALB", Latin1("second")}});
    const TID3v2 v2 = ReadBytes(tag + kAudio);
    EXPECT_EQ(v2.Title(), "Kept");
    EXPECT_EQ(v2.Artist(), "");
    EXPECT_EQ(v2.Album(), "second");
}

TEST(ID3v2, HeaderCases) {
    // No tag; a size larger than the file; an unknown major version; fewer than 10 bytes.
    EXPECT_FALSE(ReadBytes(kAudio).Exists());
    Bytes huge = ID3v2(3, {{"TIT2", Latin1("x")}});
    huge[6] = 0x7F;
    const TID3v2 v2 = ReadBytes(huge + kAudio);
    EXPECT_TRUE(v2.Exists());
    EXPECT_EQ(v2.Size(), 0);
    EXPECT_EQ(v2.Title(), "");
    Bytes v5 = ID3v2(3, {{"TIT2", Latin1("x")}});
    v5[3] = 5;
    EXPECT_EQ(ReadBytes(v5 + kAudio).Title(), "");
    const Bytes tiny = B("ID3");
    MemoryStream stream(tiny);
    TID3v2 tag;
    EXPECT_FALSE(tag.ReadTag(stream));
    EXPECT_FALSE(tag.ReadTag("/nonexistent/file.mp3"));
}

TEST(ID3v2, FooterCountsInTheTotalSize) {
    Bytes tag = ID3v2(4, {{"TIT2", Latin1("Foot")}}, 0, 0x10);
    tag = tag + B("3DI") + Bytes{4, 0, 0x10} + Bytes(tag.begin() + 6, tag.begin() + 10);
    const TID3v2 v2 = ReadBytes(tag + kAudio);
    EXPECT_EQ(v2.Size(), int64_t(tag.size()));
    EXPECT_EQ(v2.Title(), "Foot");
}

}  // namespace
}  // namespace tv::tags::test
