#include <gtest/gtest.h>

#include "tagfixtures.h"
#include "tags/tool/entrytitle.h"
#include "tags/tool/json.h"
#include "tests/fakes/casename.h"

namespace tv::tags::test {
namespace {

using tool::BuildEntryTitle;
using tool::FormatDuration;

struct TitleCase {
    std::string file, artist, title, expected;
};

class EntryTitle : public testing::TestWithParam<TitleCase> {};

TEST_P(EntryTitle, FollowsThePlaylistRules) {
    const TitleCase& c = GetParam();
    EXPECT_EQ(BuildEntryTitle(c.file, c.artist, c.title), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Titles, EntryTitle,
    testing::Values(TitleCase{"03_-_Intro.mp3", "", "", "Intro"},
                    TitleCase{"1999.mp3", "", "", "1999"},  // stripping would leave nothing
                    TitleCase{"x.mp3", "Artist", "Title", "Artist - Title"},
                    TitleCase{"x.mp3", "", "Only_Title", "Only Title"},
                    TitleCase{"x.mp3", "Only artist", "", "Only artist"},
                    TitleCase{"song.flac", "", "", "song"}, TitleCase{"tune.it", "", "", "tune"},
                    TitleCase{".hidden", "", "", "hidden"},
                    TitleCase{"01 - 2 Unlimited - No Limit.mp3", "", "", "Unlimited - No Limit"}),
    tv::cases::NumberedNameFrom(&TitleCase::file));

TEST(EntryDuration, MinutesAndSecondsWithTotalMinutesPastAnHour) {
    EXPECT_EQ(FormatDuration(0), "00:00");
    EXPECT_EQ(FormatDuration(59.99), "00:59");
    EXPECT_EQ(FormatDuration(754.2), "12:34");
    EXPECT_EQ(FormatDuration(3725), "62:05");
    EXPECT_EQ(FormatDuration(-3), "00:00");
}

TEST(Json, EscapesAndKeepsUtf8Valid) {
    EXPECT_EQ(tool::JsonWriter::Quote("a\"b\\c\nd\x01"), "\"a\\\"b\\\\c\\nd\\u0001\"");
    EXPECT_EQ(tool::JsonWriter::Quote("Grüße"), "\"Grüße\"");
    EXPECT_EQ(tool::JsonWriter::Quote("bad\xFF"), "\"bad\xEF\xBF\xBD\"");
    tool::JsonWriter w;
    w.BeginObject()
        .String("k", "v")
        .BeginObject("o")
        .Int("n", -1)
        .Bool("b", true)
        .EndObject()
        .EndObject();
    EXPECT_EQ(w.Text(), "{\"k\":\"v\",\"o\":{\"n\":-1,\"b\":true}}");
}

class TagTool : public testing::Test {
protected:
    void SetUp() override {
        const FrameSpec spec;
        m_file =
            m_dir.Write("07_-_Song.mp3",
                        ID3v2(3, {{"TIT2", Latin1("Old \"title\"")}}, 200) + MpegFrames(spec, 300) +
                            ID3v1("V1 title", "V1 artist", "Alb", "1987", "", 0, 4, 17));
    }
    TempDir m_dir;
    std::filesystem::path m_file;
};

TEST_F(TagTool, ShowJsonHasEverySection) {
    const auto [status, out] = RunTool("show --json " + Quoted(m_file));
    ASSERT_EQ(status, 0);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1);
    for (const char* key : {"\"path\":",
                            "\"entry\":{\"title\":\"V1 artist - Old \\\"title\\\"\"",
                            "\"duration\":\"00:07\"",
                            "\"mpeg\":{\"valid\":true,\"version\":\"1\",\"layer\":3",
                            "\"bitrate\":128",
                            "\"sample_rate\":44100",
                            "\"channel_mode\":\"Stereo\"",
                            "\"vbr\":false",
                            "\"vbr_id\":\"\"",
                            "\"first_frame\":",
                            "\"vendor\":",
                            "\"id3v1\":{\"exists\":true,\"version\":\"1.1\"",
                            "\"track\":4",
                            "\"genre_index\":17",
                            "\"genre\":\"Rock\"",
                            "\"lyrics3\":false",
                            "\"lyrics3_size\":0",
                            "\"author\":",
                            "\"lyrics\":",
                            "\"id3v2\":{\"exists\":true,\"version\":3",
                            "\"track_text\":",
                            "\"composer\":",
                            "\"encoder\":",
                            "\"copyright\":",
                            "\"language\":",
                            "\"link\":",
                            "\"audio_size\":"})
        EXPECT_NE(out.find(key), std::string::npos) << key << " missing in " << out;
}

TEST_F(TagTool, WriteThenShowRoundTrip) {
    ASSERT_EQ(
        RunTool("write " + Quoted(m_file) + " --title 'New ☃' --track 9 --link http://e.example/")
            .first,
        0);
    const auto [status, out] = RunTool("show --json " + Quoted(m_file));
    ASSERT_EQ(status, 0);
    EXPECT_NE(out.find("\"version\":3,\"size\":232,\"title\":\"New ☃\","
                       "\"artist\":\"V1 artist\",\"album\":\"Alb\",\"track\":9"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("\"year\":\"1987\",\"genre\":\"Rock\""), std::string::npos) << out;
    EXPECT_NE(out.find("\"link\":\"http://e.example/\""), std::string::npos) << out;
    EXPECT_NE(out.find("\"entry\":{\"title\":\"V1 artist - New ☃\""), std::string::npos) << out;
}

TEST_F(TagTool, RemoveTakesBothTags) {
    ASSERT_EQ(RunTool("remove " + Quoted(m_file)).first, 0);
    const auto [status, out] = RunTool("show --json " + Quoted(m_file));
    ASSERT_EQ(status, 0);
    EXPECT_NE(out.find("\"id3v1\":{\"exists\":false"), std::string::npos);
    EXPECT_NE(out.find("\"id3v2\":{\"exists\":false"), std::string::npos);
    EXPECT_NE(out.find("\"entry\":{\"title\":\"Song\""), std::string::npos) << out;
    EXPECT_EQ(TempDir::Read(m_file), MpegFrames(FrameSpec{}, 300));
}

TEST_F(TagTool, ExitStatusSaysWhatWentWrong) {
    const std::string missing = Quoted(m_dir.Path() / "missing.mp3");
    EXPECT_EQ(RunTool("show " + Quoted(m_file)).first, 0);
    EXPECT_EQ(RunTool("show " + missing).first, 1);
    EXPECT_EQ(RunTool("show " + Quoted(m_file) + " " + missing).first, 1);
    EXPECT_EQ(RunTool("write " + missing + " --title x").first, 1);
    EXPECT_EQ(RunTool("remove " + missing).first, 1);
    EXPECT_EQ(RunTool("").first, 2);
    EXPECT_EQ(RunTool("frobnicate").first, 2);
    EXPECT_EQ(RunTool("show").first, 2);
    EXPECT_EQ(RunTool("show --xml " + Quoted(m_file)).first, 2);
    EXPECT_EQ(RunTool("write " + Quoted(m_file) + " --colour red").first, 2);
    EXPECT_EQ(RunTool("write " + Quoted(m_file) + " --track x").first, 2);
    EXPECT_EQ(RunTool("write " + Quoted(m_file) + " --title").first, 2);
    EXPECT_EQ(RunTool("remove").first, 2);
    EXPECT_EQ(m_dir.Names(), std::vector<std::string>{"07_-_Song.mp3"});
}

TEST_F(TagTool, ErrorsNameTheFile) {
    const std::string missing = (m_dir.Path() / "missing.mp3").string();
    const std::string out = RunTool("show " + Quoted(missing), Errors::Captured).second;
    EXPECT_NE(out.find(missing), std::string::npos) << out;
}

}  // namespace
}  // namespace tv::tags::test
