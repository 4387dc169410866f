#include <gtest/gtest.h>

#include <sys/stat.h>

#include "tagfixtures.h"
#include "tags/id3v2.h"

namespace tv::tags::test {
namespace {

const Bytes kAudio = MpegFrames(FrameSpec{}, 4) + B("END");

// Every field the writer manages, in one record, so a round trip checks them all at once.
struct Fields {
    std::string title, artist, album, year, genre, comment, composer, encoder, copyright, language,
        link;
    uint16_t track = 0;
};

void Apply(TID3v2& tag, const Fields& f) {
    tag.SetTitle(f.title);
    tag.SetArtist(f.artist);
    tag.SetAlbum(f.album);
    tag.SetYear(f.year);
    tag.SetGenre(f.genre);
    tag.SetComment(f.comment);
    tag.SetComposer(f.composer);
    tag.SetEncoder(f.encoder);
    tag.SetCopyright(f.copyright);
    tag.SetLanguage(f.language);
    tag.SetLink(f.link);
    tag.SetTrack(f.track);
}

void Verify(const std::filesystem::path& file, const Fields& f) {
    TID3v2 tag;
    ASSERT_TRUE(tag.ReadTag(file));
    EXPECT_TRUE(tag.Exists());
    EXPECT_EQ(tag.Version(), 3);
    EXPECT_EQ(tag.Title(), f.title);
    EXPECT_EQ(tag.Artist(), f.artist);
    EXPECT_EQ(tag.Album(), f.album);
    EXPECT_EQ(tag.Year(), f.year);
    EXPECT_EQ(tag.Genre(), f.genre);
    EXPECT_EQ(tag.Comment(), f.comment);
    EXPECT_EQ(tag.Composer(), f.composer);
    EXPECT_EQ(tag.Encoder(), f.encoder);
    EXPECT_EQ(tag.Copyright(), f.copyright);
    EXPECT_EQ(tag.Language(), f.language);
    EXPECT_EQ(tag.Link(), f.link);
    EXPECT_EQ(tag.Track(), f.track);
    // The audio behind the tag is never touched.
    const Bytes bytes = TempDir::Read(file);
    ASSERT_GE(bytes.size(), kAudio.size());
    EXPECT_TRUE(std::equal(kAudio.begin(), kAudio.end(), bytes.end() - long(kAudio.size())));
    EXPECT_EQ(int64_t(bytes.size() - kAudio.size()), tag.Size());
}

// read -> check -> write -> read -> same check, twice, from a given start.
void RoundTrip(const TempDir& dir, const Bytes& start, const Fields& f) {
    const auto file = dir.Write("rt.mp3", start);
    for (int pass = 0; pass < 2; ++pass) {
        TID3v2 tag;
        tag.ReadTag(file);
        Apply(tag, f);
        ASSERT_TRUE(tag.WriteTag(file)) << tag.LastError();
        Verify(file, f);
    }
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"rt.mp3"});
}

struct RoundTripCase {
    const char* name;
    Bytes start;
    Fields fields;
};

class ID3v2RoundTrip : public testing::TestWithParam<RoundTripCase> {};

TEST_P(ID3v2RoundTrip, WriteThenReadGivesTheSameFields) {
    TempDir dir;
    RoundTrip(dir, GetParam().start, GetParam().fields);
}

const Fields kAll = {"Title",
                     "Artist",
                     "Album",
                     "1999",
                     "Jazz",
                     "A comment",
                     "Composer",
                     "Encoder",
                     "(C) me",
                     "eng",
                     "http://example.org/",
                     7};
const Fields kUnicode = {
    "Grüße ☃", "Åsa", "日本", "2024", "Électro", "naïve 💡", "", "", "", "", "http://example.org/ü",
    0};

INSTANTIATE_TEST_SUITE_P(
    Starts, ID3v2RoundTrip,
    testing::Values(
        RoundTripCase{"Untagged", kAudio, kAll}, RoundTripCase{"UnicodeUntagged", kAudio, kUnicode},
        RoundTripCase{"FromTag22", ID3v2(2, {{"TT2", Latin1("old")}}, 100) + kAudio, kAll},
        RoundTripCase{"FromTag24", ID3v2(4, {{"TIT2", Text(3, B("old"))}}, 2000) + kAudio,
                      kUnicode},
        RoundTripCase{"FromLargeTag", ID3v2(3, {{"TIT2", Latin1("old")}}, 9000) + kAudio, kAll}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ID3v2Write, InPlaceKeepsTheTotalSize) {
    TempDir dir;
    const Bytes start = ID3v2(3, {{"TIT2", Latin1("old")}}, 1990);
    const auto file = dir.Write("a.mp3", start + kAudio);
    TID3v2 tag;
    tag.SetTitle("New title");
    ASSERT_TRUE(tag.WriteTag(file));
    ASSERT_TRUE(tag.ReadTag(file));
    EXPECT_EQ(tag.Size(), int64_t(start.size()));
    EXPECT_EQ(TempDir::Read(file).size(), start.size() + kAudio.size());
}

TEST(ID3v2Write, SizesOfRebuiltTags) {
    TempDir dir;
    // Too small for the new content, too large (> 4096), or no tag: a 4096-byte tag.
    for (const Bytes& start : {ID3v2(3, {{"TIT2", Latin1("x")}}), ID3v2(3, {}, 6000), Bytes{}}) {
        const auto file = dir.Write("b.mp3", start + kAudio);
        TID3v2 tag;
        tag.SetTitle("A somewhat longer title than before");
        ASSERT_TRUE(tag.WriteTag(file));
        ASSERT_TRUE(tag.ReadTag(file));
        EXPECT_EQ(tag.Size(), 4096);
        EXPECT_EQ(TempDir::Read(file).size(), 4096 + kAudio.size());
    }
    // Content beyond 4096 bytes: exactly the content, no padding.
    const auto file = dir.Write("c.mp3", kAudio);
    TID3v2 tag;
    tag.SetComment(std::string(5000, 'c'));
    ASSERT_TRUE(tag.WriteTag(file));
    ASSERT_TRUE(tag.ReadTag(file));
    EXPECT_EQ(tag.Size(), 10 + 10 + 1 + 3 + 1 + 5000);
}

TEST(ID3v2Write, FrameBytesAreExact) {
    TempDir dir;
    const auto file = dir.Write("d.mp3", kAudio);
    TID3v2 tag;
    tag.SetTitle("Ab");
    tag.SetArtist("☃");
    ASSERT_TRUE(tag.WriteTag(file));
    const Bytes bytes = TempDir::Read(file);
    const Bytes expected = B("ID3") + Bytes{3, 0, 0, 0, 0, 0x1F, 0x76} + B("TIT2") +
                           Bytes{0, 0, 0, 3, 0, 0, 0} + B("Ab") + B("TPE1") +
                           Bytes{0, 0, 0, 5, 0, 0, 1, 0xFF, 0xFE, 0x03, 0x26};
    ASSERT_GT(bytes.size(), expected.size());
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + long(expected.size())), expected);
}

TEST(ID3v2Write, UnmanagedFramesSurvive) {
    TempDir dir;
    const Bytes picture = B(std::string("\0image/jpeg\0\x03\0", 14)) + Bytes(300, 0xD8);
    for (uint8_t major : {3, 4}) {
        const Bytes start = ID3v2(major,
                                  {{"TIT2", Latin1("old")},
                                   {"APIC", picture},
                                   {"TXXX", B(std::string("\0key\0value", 10))},
                                   {"TOPE", Text(3, B("Originäl"))}},
                                  100);
        const auto file = dir.Write("p.mp3", start + kAudio);
        TID3v2 tag;
        ASSERT_TRUE(tag.ReadTag(file));
        tag.SetTitle("new");
        tag.SetArtist("");  // so the artist can only come back from the kept TOPE frame
        ASSERT_TRUE(tag.WriteTag(file));
        const Bytes bytes = TempDir::Read(file);
        EXPECT_NE(std::search(bytes.begin(), bytes.end(), picture.begin(), picture.end()),
                  bytes.end())
            << "picture lost from a 2." << int(major) << " tag";
        const Bytes txxx = B("TXXX");
        EXPECT_NE(std::search(bytes.begin(), bytes.end(), txxx.begin(), txxx.end()), bytes.end());
        TID3v2 back;
        ASSERT_TRUE(back.ReadTag(file));
        EXPECT_EQ(back.Title(), "new");
        EXPECT_EQ(back.Artist(), "Originäl");  // the kept TOPE frame, re-encoded for 2.3
    }
}

TEST(ID3v2Write, TrackTextWithTotalSurvivesWhenTheNumberIsUnchanged) {
    TempDir dir;
    const auto file = dir.Write("t.mp3", ID3v2(3, {{"TRCK", Latin1("3/12")}}, 50) + kAudio);
    TID3v2 tag;
    ASSERT_TRUE(tag.ReadTag(file));
    ASSERT_TRUE(tag.WriteTag(file));
    ASSERT_TRUE(tag.ReadTag(file));
    EXPECT_EQ(tag.TrackText(), "3/12");
    tag.SetTrack(4);
    ASSERT_TRUE(tag.WriteTag(file));
    ASSERT_TRUE(tag.ReadTag(file));
    EXPECT_EQ(tag.TrackText(), "4");
}

// A user cannot open a read-only file for writing, so the tag goes in through a replacement
// (root writes in place); either way the file stays read-only.
TEST(ID3v2Write, ReadOnlyFileGetsTheTagAndStaysReadOnly) {
    TempDir dir;
    const auto file = dir.Write("ro.mp3", ID3v2(3, {}, 500) + kAudio);
    ::chmod(file.c_str(), 0444);
    TID3v2 tag;
    tag.SetTitle("x");
    ASSERT_TRUE(tag.WriteTag(file)) << tag.LastError();
    struct stat st {};
    ::stat(file.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0444u);
    ASSERT_TRUE(tag.ReadTag(file));
    EXPECT_EQ(tag.Title(), "x");
}

TEST(ID3v2Remove, RemovesOnlyTheTag) {
    TempDir dir;
    const auto file = dir.Write("r.mp3", ID3v2(4, {{"TIT2", Latin1("gone")}}, 30) + kAudio);
    TID3v2 tag;
    ASSERT_TRUE(tag.RemoveTag(file)) << tag.LastError();
    EXPECT_EQ(TempDir::Read(file), kAudio);
    // Nothing to remove (no tag, a size beyond the file, no file): false, file unchanged.
    EXPECT_FALSE(tag.RemoveTag(file));
    Bytes broken = ID3v2(3, {{"TIT2", Latin1("x")}});
    broken[6] = 0x7F;
    const auto brokenFile = dir.Write("s.mp3", broken + kAudio);
    EXPECT_FALSE(tag.RemoveTag(brokenFile));
    EXPECT_EQ(TempDir::Read(brokenFile), broken + kAudio);
    EXPECT_FALSE(tag.RemoveTag(dir.Path() / "missing.mp3"));
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"r.mp3", "s.mp3"}));
}

}  // namespace
}  // namespace tv::tags::test

namespace tv::tags::test {
namespace {

// A 2.4 tag appended at the end: its frames, then a footer ("3DI") repeating the header.
Bytes AppendedTag(const std::vector<Frame>& frames) {
    Bytes tag = ID3v2(4, frames, 0, 0x10);
    Bytes footer(tag.begin(), tag.begin() + 10);
    footer[0] = '3';
    footer[1] = 'D';
    footer[2] = 'I';
    return tag + footer;
}

struct RemoveCase {
    const char* name;
    Bytes head;  // before the audio
    Bytes tail;  // after it
};

class ID3v2Remove : public testing::TestWithParam<RemoveCase> {};

TEST_P(ID3v2Remove, RemoveLeavesOnlyTheAudio) {
    TempDir dir;
    const Bytes audio = MpegFrames(FrameSpec{}, 5);
    const auto file = dir.Write("r.mp3", GetParam().head + audio + GetParam().tail);
    const auto [status, output] = RunTool("remove " + Quoted(file), Errors::Captured);
    EXPECT_EQ(status, 0) << output;
    EXPECT_EQ(TempDir::Read(file), audio);
}

const Bytes kCover(4000, 0x5A);

INSTANTIATE_TEST_SUITE_P(
    Tags, ID3v2Remove,
    testing::Values(RemoveCase{"TwoTagsInARow",
                               ID3v2(3, {{"TIT2", Latin1("first")}}, 50) +
                                   ID3v2(3, {{"TIT2", Latin1("second")}, {"APIC", kCover}}),
                               {}},
                    RemoveCase{"AppendedFooterTag", ID3v2(3, {{"TIT2", Latin1("front")}}),
                               AppendedTag({{"TIT2", Text(3, B("end"))}})},
                    RemoveCase{"AppendedBeforeID3v1",
                               {},
                               AppendedTag({{"TIT2", Text(3, B("end"))}}) +
                                   ID3v1("t", "a", "b", "1999", "c", 0, 1, 2)}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tv::tags::test
