#include <gtest/gtest.h>

#include "tagfixtures.h"
#include "tags/genres.h"
#include "tags/id3v1.h"

namespace tv::tags::test {
namespace {

TID3v1 ReadBytes(const Bytes& bytes, bool expectOk = true) {
    MemoryStream stream(bytes);
    TID3v1 tag;
    EXPECT_EQ(tag.ReadTag(stream), expectOk);
    return tag;
}

const Bytes kAudio(600, 0x55);

struct VersionCase {
    const char* name;
    std::string comment;
    uint8_t byte125, byte126;
    uint8_t version;
    uint8_t track;
    std::string expectedComment;
};

class ID3v1Version : public testing::TestWithParam<VersionCase> {};

TEST_P(ID3v1Version, DecidesVersionTrackAndComment) {
    const VersionCase& c = GetParam();
    const TID3v1 tag =
        ReadBytes(kAudio + ID3v1("T", "A", "Al", "1999", c.comment, c.byte125, c.byte126, 17));
    EXPECT_TRUE(tag.Exists());
    EXPECT_EQ(tag.TagVersion(), c.version);
    EXPECT_EQ(tag.Track(), c.track);
    EXPECT_EQ(tag.Comment(), c.expectedComment);
    EXPECT_EQ(tag.GenreIndex(), 17);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ID3v1Version,
    testing::Values(
        VersionCase{"ZeroThenTrack", "short", 0, 7, 2, 7, "short"},
        // 28 comment characters fill the field of 1.1 exactly; byte 125 = 0 marks the track.
        VersionCase{"FullCommentWithTrack", std::string(28, 'c'), 0, 12, 2, 12,
                    std::string(28, 'c')},
        VersionCase{"BlankThenTrack", "x", 0x20, 5, 2, 5, "x"},
        // Blank padding to the end is a 1.0 comment, not a track number 32.
        VersionCase{"BlankPadded", "pad", 0x20, 0x20, 1, 0, "pad"},
        VersionCase{"ZeroZero", "none", 0, 0, 1, 0, "none"},
        VersionCase{"ThirtyCharacters", std::string(28, 'k'), 'y', 'z', 1, 0,
                    std::string(28, 'k') + "yz"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ID3v1, FieldsTrimTrailingBlanksAndStopAtZero) {
    Bytes tag = ID3v1("Title   ", "Artist", "Album", "99  ", "", 0, 0, 255);
    const char garbage[] = "junk";
    std::copy(garbage, garbage + 4, tag.begin() + 33 + 7);  // after "Artist\0"
    const TID3v1 v1 = ReadBytes(kAudio + tag);
    EXPECT_EQ(v1.Title(), "Title");
    EXPECT_EQ(v1.Artist(), "Artist");
    EXPECT_EQ(v1.Year(), "99");
    EXPECT_EQ(v1.GenreIndex(), 255);
}

TEST(ID3v1, TextIsLatin1UnlessValidUtf8) {
    const TID3v1 latin = ReadBytes(kAudio + ID3v1("Gr\xFC\xDF"
                                                  "e",
                                                  "", "", "", "", 0, 0, 0));
    EXPECT_EQ(latin.Title(), "Grüße");
    const TID3v1 utf8 = ReadBytes(kAudio + ID3v1("Grüße", "", "", "", "", 0, 0, 0));
    EXPECT_EQ(utf8.Title(), "Grüße");
}

TEST(ID3v1, ShortOrUntaggedFilesReportNoTag) {
    for (const Bytes& bytes : {Bytes{}, B("TAG"), kAudio}) {
        const TID3v1 tag = ReadBytes(bytes);
        EXPECT_FALSE(tag.Exists());
        EXPECT_FALSE(tag.HasLyrics3());
        EXPECT_EQ(tag.TrailerSize(), 0);
    }
}

TEST(Lyrics3, FieldsFillLongFormsAndNormaliseLineBreaks) {
    const std::string longTitle(40, 'L');
    const Bytes file = kAudio +
                       Lyrics3({{"IND", "11"},
                                {"LYR", " one\rtwo\r\nthree\nfour "},
                                {"ETT", longTitle},
                                {"EAR", "Short"},
                                {"AUT", " Writer "},
                                {"IMG", " raw "}}) +
                       ID3v1(longTitle.substr(0, 30), "Art", "", "", "", 0, 0, 0);
    const TID3v1 tag = ReadBytes(file);
    ASSERT_TRUE(tag.HasLyrics3());
    EXPECT_EQ(tag.Lyrics(), "one\r\ntwo\r\nthree\nfour");
    EXPECT_EQ(tag.Title(), longTitle);  // 31+ characters: the long form wins
    EXPECT_EQ(tag.Artist(), "Short");   // shorter texts replace the field itself
    EXPECT_EQ(tag.Author(), "Writer");
    EXPECT_EQ(tag.Image(), " raw ");  // kept as read
    EXPECT_EQ(tag.TrailerSize(), tag.Lyrics3Size() + 15 + 128);
}

TEST(Lyrics3, UnknownIdStopsTheWalk) {
    const TID3v1 tag =
        ReadBytes(kAudio + Lyrics3({{"EAR", "Before"}, {"XYZ", "?"}, {"ETT", "After"}}) +
                  ID3v1("", "", "", "", "", 0, 0, 0));
    EXPECT_TRUE(tag.HasLyrics3());
    EXPECT_EQ(tag.Artist(), "Before");
    EXPECT_EQ(tag.Title(), "");
}

TEST(Lyrics3, FoundAtTheEndWithoutID3v1) {
    const Bytes block = Lyrics3({{"ETT", "Only lyrics"}});
    const TID3v1 tag = ReadBytes(kAudio + block);
    EXPECT_FALSE(tag.Exists());
    EXPECT_TRUE(tag.HasLyrics3());
    EXPECT_EQ(tag.Title(), "Only lyrics");
    EXPECT_EQ(tag.TrailerSize(), int64_t(block.size()));
}

TEST(Lyrics3, MalformedSizesLeaveNoBlock) {
    const Bytes id3 = ID3v1("", "", "", "", "", 0, 0, 0);
    // Not a number; pointing before the file start; pointing at bytes that are not the marker;
    // a field length running past the block.
    const std::vector<Bytes> files = {
        kAudio + B("12x456LYRICS200") + id3,
        B("abc") + B("999999LYRICS200") + id3,
        kAudio + B("000020LYRICS200") + id3,
    };
    for (const Bytes& file : files) {
        const TID3v1 tag = ReadBytes(file);
        EXPECT_FALSE(tag.HasLyrics3());
        EXPECT_EQ(tag.Lyrics3Size(), 0);
        EXPECT_EQ(tag.TrailerSize(), 128);
    }
    Bytes overrun = Lyrics3({{"ETT", "abc"}});
    overrun[11 + 3 + 4] = '9';  // length 00009 > the 3 bytes there
    const TID3v1 tag = ReadBytes(kAudio + overrun);
    EXPECT_TRUE(tag.HasLyrics3());
    EXPECT_EQ(tag.Title(), "");
}

struct RemoveCase {
    const char* name;
    bool lyrics, id3v1;
};

class ID3v1Remove : public testing::TestWithParam<RemoveCase> {};

TEST_P(ID3v1Remove, CutsExactlyTheTrailer) {
    const RemoveCase& c = GetParam();
    TempDir dir;
    Bytes file = kAudio;
    if (c.lyrics)
        file = file + Lyrics3({{"LYR", "la la"}, {"ETT", "t"}});
    if (c.id3v1)
        file = file + ID3v1("t", "a", "", "", "", 0, 1, 3);
    const auto path = dir.Write("f.mp3", file);
    TID3v1 tag;
    ASSERT_TRUE(tag.RemoveTag(path));
    EXPECT_EQ(TempDir::Read(path), kAudio);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"f.mp3"});
    ASSERT_TRUE(tag.ReadTag(path));
    EXPECT_FALSE(tag.Exists());
    EXPECT_FALSE(tag.HasLyrics3());
}

INSTANTIATE_TEST_SUITE_P(Cases, ID3v1Remove,
                         testing::Values(RemoveCase{"Nothing", false, false},
                                         RemoveCase{"OnlyID3v1", false, true},
                                         RemoveCase{"OnlyLyrics3", true, false},
                                         RemoveCase{"Both", true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ID3v1, MissingFileFailsToReadAndRemove) {
    TID3v1 tag;
    EXPECT_FALSE(tag.ReadTag("/nonexistent/x.mp3"));
    EXPECT_FALSE(tag.RemoveTag("/nonexistent/x.mp3"));
}

TEST(Genres, TableHoldsTheListLetterForLetter) {
    ASSERT_EQ(GenreNames.size(), 148u);
    EXPECT_EQ(GenreName(0), "Blues");
    EXPECT_EQ(GenreName(17), "Rock");
    EXPECT_EQ(GenreName(40), "AlternRock");
    EXPECT_EQ(GenreName(67), "Psychadelic");
    EXPECT_EQ(GenreName(79), "Hard Rock");
    EXPECT_EQ(GenreName(80), "Folk");
    EXPECT_EQ(GenreName(85), "Bebob");
    EXPECT_EQ(GenreName(123), "A capella");
    EXPECT_EQ(GenreName(125), "Dance Hall");
    EXPECT_EQ(GenreName(126), "Goa");
    EXPECT_EQ(GenreName(145), "Anime");
    EXPECT_EQ(GenreName(147), "Synthpop");
    EXPECT_EQ(GenreName(148), "");
    EXPECT_EQ(GenreName(255), "");
}

}  // namespace
}  // namespace tv::tags::test
