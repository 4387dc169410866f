// A title-only write keeps every other frame or field byte for byte: one checker compares the
// frames (or Vorbis fields) before and after, one by one.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "tagfixtures.h"
#include "tags/bytestream.h"
#include "tags/id3v2.h"
#include "tags/oggpage.h"
#include "tags/oggvorbis.h"

namespace tv::tags::test {
namespace {

// One frame or field as it stands in the file: its name and its bytes.
struct Item {
    std::string Id;
    Bytes Data;
    uint8_t Format = 0;
    bool operator==(const Item&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Item& item) {
    return os << item.Id << " (" << item.Data.size() << " bytes, format " << int(item.Format)
              << ")";
}

std::vector<Item> FramesOf(const std::filesystem::path& file) {
    const Bytes bytes = TempDir::Read(file);
    MemoryStream stream(bytes);
    ID3v2Header header{};
    std::vector<Item> frames;
    if (!stream.ReadExact(0, &header, 10))
        return frames;
    Internal::WalkID3v2Frames(stream, header, Internal::TagTotalSize(header, stream.Size()),
                              SIZE_MAX, [&](Internal::ID3v2Frame& f) {
                                  frames.push_back({f.Id, f.Data, f.FormatFlags});
                                  return true;
                              });
    return frames;
}

std::vector<Item> FieldsOf(const std::filesystem::path& file) {
    const Bytes bytes = TempDir::Read(file);
    MemoryStream stream(bytes);
    const OggHeaderPackets headers = ReadOggHeaderPackets(stream, 0, 2, 1 << 20);
    std::vector<Item> fields;
    if (headers.Packets.size() < 2)
        return fields;
    const Bytes& p = headers.Packets[1];
    size_t at = 7 + 4 + ReadLE32(p.data() + 7);
    const uint32_t count = ReadLE32(p.data() + at);
    at += 4;
    for (uint32_t i = 0; i < count && at + 4 <= p.size(); ++i) {
        const uint32_t n = ReadLE32(p.data() + at);
        const std::string item(p.begin() + int64_t(at + 4), p.begin() + int64_t(at + 4 + n));
        fields.push_back({item.substr(0, item.find('=')), B(item)});
        at += 4 + n;
    }
    return fields;
}

// The checker: `after` holds `expected` in order, and nothing else but the frames or fields
// named `changed`.
void ExpectKept(const std::vector<Item>& expected, const std::vector<Item>& after,
                const std::string& changed) {
    std::vector<Item> rest;
    for (const Item& item : after)
        if (item.Id != changed)
            rest.push_back(item);
    ASSERT_EQ(rest.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(rest[i], expected[i]) << "frame " << i;
}

struct ID3Case {
    const char* name;
    Bytes tag;
    std::vector<Item> kept;  // every frame but the title, as a 2.3 tag holds them
};

Bytes Comment(std::string_view language, std::string_view description, std::string_view text) {
    return B(std::string(1, '\0') + std::string(language) + std::string(description) +
             std::string(1, '\0') + std::string(text));
}

Bytes BE32(uint32_t n) {
    return {uint8_t(n >> 24), uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n)};
}

const Bytes kPicture22 = B(std::string("\0JPG\3cover\0", 11)) + B("\xFF\xD8\xFFjpegdata");
const Bytes kPicture23 = B(std::string("\0image/jpeg\0\3cover\0", 19)) + B("\xFF\xD8\xFFjpegdata");
const Bytes kLyrics = Comment("eng", "", "la la la");
const Bytes kNorm = Comment("eng", "iTunNORM", " 00000A1B 00000C2D");
const Bytes kGerman = Comment("deu", "", "Ein Kommentar");
const Bytes kCompressed = BE32(40) + B("zlib-bytes-that-nobody-reads");

const ID3Case kID3Cases[] = {
    {"Version22",
     ID3v2(2, {{"TT2", Latin1("old")},
               {"PIC", kPicture22},
               {"ULT", kLyrics},
               {"TPA", Latin1("1/2")},
               {"TBP", Latin1("120")},
               {"TZZ", Latin1("odd")},
               {"ZZZ", B("raw")}}),
     {{"APIC", kPicture23},
      {"USLT", kLyrics},
      {"TPOS", Latin1("1/2")},
      {"TBPM", Latin1("120")},
      {"TXXX", B(std::string("\0ID3v2.2 TZZ\0odd", 16))},
      {"PRIV", B(std::string("ID3v2.2 ZZZ\0raw", 15))}}},
    {"Version23Opaque",
     ID3v2(3, {{"TIT2", Latin1("old")},
               {"TXXX", kCompressed, 0x80},
               {"GEOB", B("\x01secret"), 0x40},
               {"XUNK", B("unknown frame")}}),
     {{"TXXX", kCompressed, 0x80}, {"GEOB", B("\x01secret"), 0x40}, {"XUNK", B("unknown frame")}}},
    {"Version24Compressed",
     ID3v2(4, {{"TIT2", Text(3, B("old"))},
               {"TXXX", B(std::string("\0\0\0\x28", 4)) + B("zlib-bytes"), 0x09},
               {"XUNK", B("unknown frame")}}),
     {{"TXXX", BE32(40) + B("zlib-bytes"), 0x80}, {"XUNK", B("unknown frame")}}},
    {"TwoComments",
     ID3v2(3, {{"TIT2", Latin1("old")}, {"COMM", kNorm}, {"COMM", kGerman}}),
     {{"COMM", kNorm}, {"COMM", kGerman}}},
};

class ID3FieldRoundTrip : public testing::TestWithParam<ID3Case> {};

TEST_P(ID3FieldRoundTrip, TitleOnlyWriteKeepsEveryOtherFrame) {
    TempDir dir;
    // In place (padding) and rebuilt (no room): the same frames either way.
    for (const int padding : {2000, 0}) {
        const auto file =
            dir.Write("f.mp3", GetParam().tag + Bytes(size_t(padding), 0) + MpegFrames({}, 3));
        TID3v2 tag;
        ASSERT_TRUE(tag.ReadTag(file));
        tag.SetTitle(padding ? "New" : "A new title long enough to need more room");
        ASSERT_TRUE(tag.WriteTag(file)) << tag.LastError();
        ExpectKept(GetParam().kept, FramesOf(file), "TIT2");
        ASSERT_TRUE(tag.ReadTag(file));
        EXPECT_EQ(tag.Title().substr(0, 3), padding ? "New" : "A n");
    }
}

INSTANTIATE_TEST_SUITE_P(Tags, ID3FieldRoundTrip, testing::ValuesIn(kID3Cases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ID3FieldRoundTrip, AnEditedCommentReplacesOnlyTheShownOneInItsLanguage) {
    TempDir dir;
    const auto file =
        dir.Write("c.mp3", ID3v2(3, {{"COMM", kNorm}, {"COMM", kGerman}}, 500) + MpegFrames({}, 3));
    TID3v2 tag;
    ASSERT_TRUE(tag.ReadTag(file));
    EXPECT_EQ(tag.Comment(), "Ein Kommentar");
    tag.SetComment("Neu");
    ASSERT_TRUE(tag.WriteTag(file)) << tag.LastError();
    ExpectKept({{"COMM", kNorm}, {"COMM", Comment("deu", "", "Neu")}}, FramesOf(file), "");
}

// Renames the field "ARTISTX=" to a second "ARTIST" ("ARTIST==..."), the page checksum made
// right again: the encoder writes no duplicate names itself.
Bytes WithSecondArtist(const Bytes& file) {
    Bytes out;
    MemoryStream stream(file);
    OggPage page;
    int64_t at = 0;
    while (ReadOggPage(stream, at, page)) {
        at += int64_t(page.Bytes.size());
        Bytes bytes = page.Bytes;
        const std::string text(bytes.begin(), bytes.end());
        const size_t found = text.find("ARTISTX=");
        if (found != std::string::npos) {
            bytes[found + 6] = '=';
            std::fill(bytes.begin() + 22, bytes.begin() + 26, 0);
            WriteLE32(bytes.data() + 22, OggCrc(bytes.data(), bytes.size()));
        }
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    return out;
}

TEST(OggFieldRoundTrip, TitleOnlyWriteKeepsEveryOtherFieldInOrder) {
    TempDir dir;
    const auto file = dir.Path() / "f.ogg";
    const std::string command =
        "ffmpeg -nostdin -v error -f lavfi -i sine=frequency=440:duration=1 -c:a libvorbis "
        "-metadata ARTIST=One -metadata PERFORMER=Perf -metadata TITLE=old "
        "-metadata ARTISTX=Two -metadata DESCRIPTION=Desc -metadata REPLAYGAIN_TRACK_GAIN=-3 " +
        Quoted(file);
    ASSERT_EQ(std::system(command.c_str()), 0);
    dir.Write("f.ogg", WithSecondArtist(TempDir::Read(file)));
    const std::vector<Item> before = FieldsOf(file);
    std::vector<Item> expected;
    for (const Item& item : before)
        if (item.Id != "TITLE")
            expected.push_back(item);
    ASSERT_EQ(std::count(expected.begin(), expected.end(), Item{"ARTIST", B("ARTIST==Two")}), 1);

    TOggVorbis ogg;
    ASSERT_TRUE(ogg.Analyze(file));
    ogg.SetTitle("New");
    ASSERT_TRUE(ogg.WriteTag(file)) << ogg.LastError();
    ExpectKept(expected, FieldsOf(file), "TITLE");
    ASSERT_TRUE(ogg.Analyze(file));
    EXPECT_EQ(ogg.Title(), "New");
}

}  // namespace
}  // namespace tv::tags::test
