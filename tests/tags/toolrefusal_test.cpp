#include <gtest/gtest.h>

#include "tagfixtures.h"
#include "tests/fakes/casename.h"

namespace tv::tags::test {
namespace {

std::filesystem::path Fixture(const std::string& name) {
    return std::filesystem::path(TV_TEST_DATA_DIR) / name;
}

struct RefusalCase {
    std::string fixture;  // a file of tests/data, or "" for a text file
    std::string name;     // the name it gets in the temporary folder
    std::string what;     // the refusal names this
};

class TagToolRefusal : public testing::TestWithParam<RefusalCase> {};

TEST_P(TagToolRefusal, WriteAndRemoveLeaveTheFileAlone) {
    const RefusalCase& c = GetParam();
    TempDir dir;
    const Bytes original =
        c.fixture.empty() ? B("just some words, not audio\n") : TempDir::Read(Fixture(c.fixture));
    const std::filesystem::path file = dir.Write(c.name, original);
    for (const std::string& command :
         {"write " + Quoted(file) + " --title X", "remove " + Quoted(file)}) {
        const auto [status, out] = RunTool(command, Errors::Captured);
        EXPECT_EQ(status, 1) << command << ": " << out;
        EXPECT_NE(out.find(c.what), std::string::npos) << out;
        EXPECT_NE(out.find(file.string()), std::string::npos) << out;
        EXPECT_EQ(TempDir::Read(file), original) << command;
        EXPECT_EQ(dir.Names(), std::vector<std::string>{c.name});
    }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, TagToolRefusal,
    testing::Values(RefusalCase{"flac-no-streaminfo.flac", "a.flac", "FLAC"},
                    RefusalCase{"flac-no-streaminfo.flac", "flac-named.mp3", "FLAC"},
                    RefusalCase{"tone-1k.wav", "a.wav", "WAV"},
                    RefusalCase{"tone-1k.m4a", "a.mp4", "MP4"},
                    RefusalCase{"tone-1k.aiff", "a.aiff", "AIFF"},
                    RefusalCase{"tone-1k.wma", "a.wma", "WMA"},
                    RefusalCase{"tone-1k.spx", "a.ogg", "not Vorbis or Opus"},
                    RefusalCase{"", "text.mp3", "not MPEG audio, Ogg Vorbis, Opus or FLAC"},
                    RefusalCase{"random.mp3", "random.mp3", "not MPEG audio"}),
    tv::cases::NameFrom(&RefusalCase::name));

// The content decides in the other direction too: MPEG audio under a foreign name is written.
TEST(TagToolContent, MpegUnderAnotherNameIsWrittenAsMpeg) {
    TempDir dir;
    const auto file = dir.Write("song.flac", TempDir::Read(Fixture("mp3-named.flac")));
    ASSERT_EQ(RunTool("write " + Quoted(file) + " --title Renamed", Errors::Captured).first, 0);
    const Bytes written = TempDir::Read(file);
    ASSERT_GT(written.size(), 3u);
    EXPECT_EQ(std::string(written.begin(), written.begin() + 3), "ID3");
}

struct EntryCase {
    std::string fixture;
    std::string write;  // options of a "write" run first, or ""
    std::string title, duration;
};

class TagToolEntry : public testing::TestWithParam<EntryCase> {};

TEST_P(TagToolEntry, ShowJsonGivesThePlaylistRow) {
    const EntryCase& c = GetParam();
    TempDir dir;
    const auto file = dir.Write(c.fixture, TempDir::Read(Fixture(c.fixture)));
    if (!c.write.empty()) {
        ASSERT_EQ(RunTool("write " + Quoted(file) + " " + c.write, Errors::Captured).first, 0);
    }
    const auto [status, out] = RunTool("show --json " + Quoted(file), Errors::Captured);
    ASSERT_EQ(status, 0) << out;
    EXPECT_NE(
        out.find("\"entry\":{\"title\":\"" + c.title + "\",\"duration\":\"" + c.duration + "\"}"),
        std::string::npos)
        << out;
}

INSTANTIATE_TEST_SUITE_P(
    Formats, TagToolEntry,
    testing::Values(EntryCase{"tone-1k.ogg", "", "tone-1k", "00:00"},
                    EntryCase{"tone-1k.ogg", "--artist ' A ' --title T_1", "A - T 1", "00:00"},
                    EntryCase{"tone-1k.wma", "", "tone-1k", "00:00"},
                    EntryCase{"tone-1k.mp3", "--artist A --title T", "A - T", "00:00"}),
    tv::cases::NumberedNameFrom(&EntryCase::fixture));

}  // namespace
}  // namespace tv::tags::test
