#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>

#include "tagfixtures.h"
#include "tags/flacmeta.h"
#include "tags/oggpage.h"
#include "tags/opusfile.h"

namespace tv::tags::test {
namespace {

std::string Shell(const std::string& command) {
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
            out.append(buffer, n);
        ::pclose(pipe);
    }
    return out;
}

std::string AudioMd5(const std::filesystem::path& file) {
    return Shell("ffmpeg -nostdin -v error -i " + Quoted(file) + " -map 0:a -f md5 -");
}

std::string ProbedTitle(const std::filesystem::path& file) {
    return Shell(
        "ffprobe -v error -show_entries format_tags=title:stream_tags=title -of "
        "default=nw=1:nk=1 " +
        Quoted(file));
}

// What a comment write must keep: the comment items (vendor first) and every other piece of
// the file that is not audio, each as its bytes.
struct Parts {
    std::vector<std::string> Items;
    std::vector<Bytes> Kept;
};

Parts FlacParts(const Bytes& file) {
    MemoryStream stream(file);
    FlacLayout layout;
    Parts parts;
    if (!ReadFlacLayout(stream, layout))
        return parts;
    parts.Kept.push_back(Bytes(file.begin(), file.begin() + layout.ID3v2Size));
    for (const FlacBlock& block : layout.Blocks) {
        const Bytes body(file.begin() + block.Offset + 4,
                         file.begin() + block.Offset + 4 + block.Length);
        if (block.Type == kFlacVorbisComment)
            parts.Items = VorbisCommentItems(body, 0, SIZE_MAX);
        else if (block.Type != kFlacPadding)
            parts.Kept.push_back(Bytes{block.Type} + body);
    }
    return parts;
}

Parts OpusParts(const Bytes& file) {
    MemoryStream stream(file);
    const OggHeaderPackets headers = ReadOggHeaderPackets(stream, 0, 2, SIZE_MAX);
    Parts parts;
    if (headers.Packets.size() < 2)
        return parts;
    parts.Kept.push_back(headers.Packets[0]);  // pre-skip, output gain, channel mapping
    parts.Items = VorbisCommentItems(headers.Packets[1], 8, SIZE_MAX);
    return parts;
}

struct RoundTripCase {
    std::string name;
    std::string encode;  // ffmpeg options that make the file from a tone and a picture
    std::string extension;
    std::function<Parts(const Bytes&)> parts;
    bool id3InFront = false;
};

std::ostream& operator<<(std::ostream& os, const RoundTripCase& c) {
    return os << c.name;
}

class CommentRoundTrip : public testing::TestWithParam<RoundTripCase> {
protected:
    std::filesystem::path Make() {
        const RoundTripCase& c = GetParam();
        const auto file = m_dir.Path() / ("made" + c.extension);
        const std::string command =
            "ffmpeg -nostdin -v error -f lavfi -i sine=frequency=440:duration=1 -f lavfi -i "
            "color=c=red:s=16x16:d=1 " +
            c.encode +
            " -metadata title=Old -metadata artist=Art -metadata album=Alb -metadata "
            "REPLAYGAIN_TRACK_GAIN=-3 -metadata CUSTOM=keep " +
            Quoted(file);
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        if (!c.id3InFront)
            return file;
        // Some tools put an ID3v2 tag in front of a FLAC stream; its title is not the file's.
        const Bytes id3 = ID3v2(3, {{"TIT2", Latin1("Wrong")}}, 32);
        return m_dir.Write("tagged" + c.extension, id3 + TempDir::Read(file));
    }
    TempDir m_dir;
};

// Writes a new title (and with `comment` a comment) through the tool, then checks that every
// other item and part is byte-identical, the audio decodes bit-identical and ffprobe reads the
// new title. Returns the sizes before and after.
std::pair<size_t, size_t> VerifyWrite(const std::filesystem::path& file, const RoundTripCase& c,
                                      const std::string& comment) {
    const Bytes before = TempDir::Read(file);
    const std::string md5 = AudioMd5(file);
    EXPECT_NE(md5.find("MD5="), std::string::npos) << md5;
    std::string args = "write " + Quoted(file) + " --title 'New title'";
    if (!comment.empty())
        args += " --comment " + comment;
    const auto [status, out] = RunTool(args, Errors::Captured);
    EXPECT_EQ(status, 0) << out;
    const Bytes after = TempDir::Read(file);
    Parts old = c.parts(before);
    Parts now = c.parts(after);
    EXPECT_EQ(old.Kept, now.Kept);
    if (now.Items.empty() || old.Items.empty()) {
        ADD_FAILURE() << "no comment list";
        return {before.size(), after.size()};
    }
    EXPECT_EQ(now.Items[0], old.Items[0]);  // the vendor
    auto edited = [&](const std::string& item) {
        const int slot = VorbisSlotOf(item.substr(0, item.find('=')));
        return slot == 1 || (!comment.empty() && slot == 7);
    };
    std::erase_if(old.Items, edited);
    std::erase_if(now.Items, edited);
    EXPECT_EQ(old.Items, now.Items);
    EXPECT_EQ(AudioMd5(file), md5);
    EXPECT_EQ(ProbedTitle(file), "New title\n");
    return {before.size(), after.size()};
}

TEST_P(CommentRoundTrip, TitleWriteKeepsEverythingElse) {
    const auto file = Make();
    const auto [before, after] = VerifyWrite(file, GetParam(), "");
    if (GetParam().extension == ".flac") {
        EXPECT_EQ(before, after) << "the new block fits the old padding";
        TFlacFile flac;
        ASSERT_TRUE(flac.Analyze(file));
        EXPECT_EQ(flac.Fields().Title(), "New title");  // not the ID3v2 title
    }
}

TEST_P(CommentRoundTrip, RebuildForALongCommentKeepsEverythingElse) {
    const auto file = Make();
    const std::string comment(10 * 1024, 'c');
    const auto [before, after] = VerifyWrite(file, GetParam(), comment);
    EXPECT_GT(after, before);  // the old padding could not hold the comment
    if (GetParam().extension == ".flac") {
        const Bytes bytes = TempDir::Read(file);
        MemoryStream stream(bytes);
        FlacLayout layout;
        ASSERT_TRUE(ReadFlacLayout(stream, layout));
        EXPECT_EQ(layout.Blocks.back().Type, kFlacPadding);
        EXPECT_EQ(layout.Blocks.back().Length, TFlacFile::kNewPadding);
    }
    // A second write after the rebuild fits the new padding.
    EXPECT_EQ(RunTool("write " + Quoted(file) + " --title Again").first, 0);
    EXPECT_EQ(ProbedTitle(file), "Again\n");
}

const std::string kPicture = "-map 0 -map 1 -frames:v 1 -c:v png -disposition:v attached_pic";

INSTANTIATE_TEST_SUITE_P(
    Formats, CommentRoundTrip,
    testing::Values(RoundTripCase{"Flac", kPicture + " -c:a flac", ".flac", FlacParts},
                    RoundTripCase{"FlacBehindID3v2", kPicture + " -c:a flac", ".flac", FlacParts,
                                  true},
                    RoundTripCase{"Opus", "-map 0 -c:a libopus", ".opus", OpusParts}),
    [](const auto& info) { return info.param.name; });

// Damaged files: read without a crash or a large allocation, and never written.
struct BadCase {
    std::string name;
    std::string fixture;
    std::function<void(Bytes&)> damage;
};

std::ostream& operator<<(std::ostream& os, const BadCase& c) {
    return os << c.name;
}

// The offset of the first FLAC block of `type` in a file that starts with "fLaC".
size_t BlockAt(const Bytes& file, uint8_t type) {
    for (size_t at = 4; at + 4 <= file.size();) {
        if ((file[at] & 0x7F) == type)
            return at;
        at += 4 + ReadBE24(&file[at + 1]);
    }
    return 0;
}

class DamagedFile : public testing::TestWithParam<BadCase> {};

TEST_P(DamagedFile, IsReadSafelyAndNeverWritten) {
    const BadCase& c = GetParam();
    Bytes bytes = TempDir::Read(std::filesystem::path(TV_TEST_DATA_DIR) / c.fixture);
    ASSERT_FALSE(bytes.empty());
    c.damage(bytes);
    {
        MemoryStream stream(bytes);
        TFlacFile flac;
        TOpusFile opus;
        flac.Analyze(stream);
        opus.Analyze(stream);
    }
    TempDir dir;
    const auto file =
        dir.Write("bad" + std::filesystem::path(c.fixture).extension().string(), bytes);
    const int shown = RunTool("show " + Quoted(file)).first;
    EXPECT_TRUE(shown == 0 || shown == 1) << shown;
    for (const std::string& command :
         {"write " + Quoted(file) + " --title X", "remove " + Quoted(file)}) {
        const auto [status, out] = RunTool(command, Errors::Captured);
        EXPECT_EQ(status, 1) << command << ": " << out;
        EXPECT_EQ(TempDir::Read(file), bytes) << command;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, DamagedFile,
    testing::Values(BadCase{"FlacCutInABlock", "tone-1k.flac", [](Bytes& b) { b.resize(60); }},
                    BadCase{"FlacBlockPastTheEnd", "tone-1k.flac",
                            [](Bytes& b) {
                                const size_t at = BlockAt(b, kFlacVorbisComment);
                                b[at + 1] = b[at + 2] = b[at + 3] = 0xFF;
                            }},
                    BadCase{"FlacCommentClaims4GB", "tone-1k.flac",
                            [](Bytes& b) {
                                const size_t at = BlockAt(b, kFlacVorbisComment);
                                std::memset(&b[at + 4], 0xFF, 4);  // the vendor's length
                            }},
                    BadCase{"FlacPictureClaims2GB", "tone-1k.flac",
                            [](Bytes& b) {
                                // A picture block whose body length (24 bits, the largest) and
                                // whose data length (2 GB) both run past the end of the file.
                                const size_t at = BlockAt(b, kFlacVorbisComment);
                                Bytes picture = {
                                    kFlacPicture, 0xFF, 0xFF, 0xFF, 0, 0, 0, 3, 0, 0, 0, 0};
                                picture.resize(picture.size() + 20 + 16, 0);
                                picture.insert(picture.end(), {0x7F, 0xFF, 0xFF, 0xFF});
                                b.insert(b.begin() + std::ptrdiff_t(at), picture.begin(),
                                         picture.end());
                            }},
                    BadCase{"FlacWithoutStreamInfo", "flac-no-streaminfo.flac", [](Bytes&) {}},
                    BadCase{"OpusCommentClaims4GB", "tone-1k.opus",
                            [](Bytes& b) {
                                const auto at =
                                    std::search(b.begin(), b.end(), "OpusTags", "OpusTags" + 8);
                                std::memset(&*at + 8, 0xFF, 4);
                            }},
                    BadCase{"OpusCutInTheHeaders", "tone-1k.opus", [](Bytes& b) { b.resize(80); }}),
    [](const auto& info) { return info.param.name; });

// "show" and "write" pick the reader by the bytes, whatever the name says; a title written
// under a foreign name reads back through the same reader.
struct ContentCase {
    std::string fixture, name, section;
};

std::ostream& operator<<(std::ostream& os, const ContentCase& c) {
    return os << c.name;
}

class ShowByContent : public testing::TestWithParam<ContentCase> {};

TEST_P(ShowByContent, WriteThenShowUseTheFormatOfTheBytes) {
    const ContentCase& c = GetParam();
    TempDir dir;
    const auto file =
        dir.Write(c.name, TempDir::Read(std::filesystem::path(TV_TEST_DATA_DIR) / c.fixture));
    ASSERT_EQ(RunTool("write " + Quoted(file) + " --title Named", Errors::Captured).first, 0);
    const auto [status, out] = RunTool("show --json " + Quoted(file), Errors::Captured);
    ASSERT_EQ(status, 0) << out;
    EXPECT_NE(out.find("\"" + c.section + "\":{"), std::string::npos) << out;
    EXPECT_NE(out.find("\"title\":\"Named\""), std::string::npos) << out;
}

INSTANTIATE_TEST_SUITE_P(Names, ShowByContent,
                         testing::Values(ContentCase{"tone-1k.ogg", "vorbis.oga", "ogg"},
                                         ContentCase{"tone-1k.opus", "opus.mp3", "opus"},
                                         ContentCase{"tone-1k.flac", "flac.ogg", "flac"},
                                         ContentCase{"tone-1k.flac", "flac.mp3", "flac"},
                                         ContentCase{"tone-1k.mp3", "mpeg.opus", "mpeg"}),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             std::replace(name.begin(), name.end(), '.', '_');
                             return name;
                         });

}  // namespace
}  // namespace tv::tags::test
