#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "failingops.h"
#include "oggpages.h"
#include "tagfixtures.h"
#include "tags/oggpage.h"
#include "tags/oggvorbis.h"
#include "tests/fakes/casename.h"

namespace tv::tags::test {
namespace {

bool Decodes(const std::filesystem::path& file) {
    const std::string command = "ffmpeg -nostdin -v error -i '" + file.string() +
                                "' -f null - 2>&1 | grep -q . && exit 1 || exit 0";
    return std::system(command.c_str()) == 0;
}

// A real one-second Ogg Vorbis file made by the encoder at test time.
class OggWrite : public testing::Test {
protected:
    void SetUp() override {
        if (std::system("command -v ffmpeg >/dev/null 2>&1") != 0)
            GTEST_FAIL() << "ffmpeg is not installed; the test makes its fixtures with it "
                            "(scripts/install-deps.sh installs it)";
        m_file = m_dir.Path() / "tone.ogg";
        const std::string command =
            "ffmpeg -nostdin -v error -f lavfi -i sine=frequency=440:duration=1 "
            "-c:a libvorbis -metadata title=Tone -metadata REPLAYGAIN_TRACK_GAIN=-3 '" +
            m_file.string() + "'";
        ASSERT_EQ(std::system(command.c_str()), 0);
        m_original = TempDir::Read(m_file);
    }
    TempDir m_dir;
    std::filesystem::path m_file;
    Bytes m_original;
};

TEST_F(OggWrite, SmallCommentKeepsAudioPagesByteIdentical) {
    TOggVorbis ogg;
    ASSERT_TRUE(ogg.Analyze(m_file));
    EXPECT_EQ(ogg.Title(), "Tone");
    EXPECT_TRUE(ogg.Valid());
    EXPECT_NEAR(ogg.Duration(), 1.0, 0.01);
    ogg.SetArtist("K\xC3\xBCnstler");
    ogg.SetTrack(3);
    ASSERT_TRUE(ogg.WriteTag(m_file)) << ogg.LastError();

    const auto before = PagesOf(m_original);
    const auto after = PagesOf(TempDir::Read(m_file));
    ASSERT_EQ(before.size(), after.size());
    for (const auto& page : after)
        EXPECT_TRUE(page.ChecksumOk()) << "page " << page.PageNumber();
    for (size_t i = 3; i < after.size(); ++i)
        EXPECT_EQ(before[i].Bytes, after[i].Bytes) << "page " << i;
    EXPECT_TRUE(Decodes(m_file));

    TOggVorbis again;
    ASSERT_TRUE(again.Analyze(m_file));
    EXPECT_EQ(again.Artist(), "K\xC3\xBCnstler");
    EXPECT_EQ(again.Track(), 3);
    EXPECT_EQ(again.Title(), "Tone");
    EXPECT_EQ(again.Samples(), ogg.Samples());
}

TEST_F(OggWrite, HugeCommentRepaginatesAndRenumbers) {
    TOggVorbis ogg;
    ASSERT_TRUE(ogg.Analyze(m_file));
    ogg.SetComment(std::string(100 * 1024, 'c'));
    ASSERT_TRUE(ogg.WriteTag(m_file)) << ogg.LastError();
    const auto pages = PagesOf(TempDir::Read(m_file));
    ASSERT_GT(pages.size(), PagesOf(m_original).size());
    for (size_t i = 0; i < pages.size(); ++i) {
        EXPECT_TRUE(pages[i].ChecksumOk()) << "page " << i;
        EXPECT_EQ(pages[i].PageNumber(), i);
    }
    EXPECT_TRUE(Decodes(m_file));
    TOggVorbis again;
    ASSERT_TRUE(again.Analyze(m_file));
    EXPECT_EQ(again.Comment(), std::string(250 - 8, 'c'));
    EXPECT_EQ(again.Title(), "Tone");

    // Shrinking again brings the original page layout back.
    ASSERT_TRUE(again.ClearTag(m_file));
    const auto cleared = PagesOf(TempDir::Read(m_file));
    const auto original = PagesOf(m_original);
    ASSERT_EQ(cleared.size(), original.size());
    EXPECT_EQ(cleared.back().Bytes, original.back().Bytes);
    EXPECT_TRUE(Decodes(m_file));
}

TEST_F(OggWrite, PerformerAndDescriptionStayUnderTheirOwnNames) {
    // Rewrite the file with PERFORMER/DESCRIPTION only, through the writer's own kept fields.
    const std::string command = "ffmpeg -nostdin -v error -y -i '" + m_file.string() +
                                "' -c copy -map_metadata -1 -metadata PERFORMER=Perf "
                                "-metadata DESCRIPTION=Desc '" +
                                (m_dir.Path() / "p.ogg").string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const auto file = m_dir.Path() / "p.ogg";
    TOggVorbis ogg;
    ASSERT_TRUE(ogg.Analyze(file));
    EXPECT_EQ(ogg.Artist(), "Perf");
    EXPECT_EQ(ogg.Comment(), "Desc");
    ASSERT_TRUE(ogg.WriteTag(file));
    Bytes after = TempDir::Read(file);
    std::string text(after.begin(), after.end());
    EXPECT_EQ(text.find("ARTIST=Perf"), std::string::npos);
    EXPECT_EQ(text.find("COMMENT=Desc"), std::string::npos);
    EXPECT_NE(text.find("PERFORMER=Perf"), std::string::npos);
    EXPECT_NE(text.find("DESCRIPTION=Desc"), std::string::npos);
    // An edited artist is written under its own name; the performer stays.
    ogg.SetArtist("Band");
    ASSERT_TRUE(ogg.WriteTag(file)) << ogg.LastError();
    after = TempDir::Read(file);
    text.assign(after.begin(), after.end());
    EXPECT_NE(text.find("ARTIST=Band"), std::string::npos);
    EXPECT_NE(text.find("PERFORMER=Perf"), std::string::npos);
    ASSERT_TRUE(ogg.Analyze(file));
    EXPECT_EQ(ogg.Artist(), "Band");
}

TEST_F(OggWrite, UnmanagedFieldsSurvive) {
    TOggVorbis ogg;
    ASSERT_TRUE(ogg.Analyze(m_file));
    ASSERT_TRUE(ogg.ClearTag(m_file));
    const Bytes after = TempDir::Read(m_file);
    const std::string text(after.begin(), after.end());
    EXPECT_NE(text.find("REPLAYGAIN_TRACK_GAIN=-3"), std::string::npos);
    EXPECT_EQ(text.find("Tone"), std::string::npos);
}

TEST_F(OggWrite, Id3v2TagInFrontIsKept) {
    const Bytes tag = ID3v2(3, {}, 100);
    const auto file = m_dir.Write("tagged.ogg", tag + m_original);
    TOggVorbis ogg;
    ASSERT_TRUE(ogg.Analyze(file));
    EXPECT_EQ(ogg.ID3v2Size(), int64_t(tag.size()));
    ogg.SetComment(std::string(70000, 'q'));  // forces new header pages
    ASSERT_TRUE(ogg.WriteTag(file)) << ogg.LastError();
    const Bytes after = TempDir::Read(file);
    ASSERT_GT(after.size(), tag.size());
    EXPECT_TRUE(std::equal(tag.begin(), tag.end(), after.begin()));
    const auto pages = PagesOf(Bytes(after.begin() + std::ptrdiff_t(tag.size()), after.end()));
    for (const auto& page : pages)
        EXPECT_TRUE(page.ChecksumOk()) << "page " << page.PageNumber();
    TOggVorbis again;
    ASSERT_TRUE(again.Analyze(file));
    EXPECT_EQ(again.Samples(), ogg.Samples());
    EXPECT_EQ(again.Comment(), std::string(242, 'q'));
}

class OggWriteFaults : public OggWrite, public testing::WithParamInterface<Step> {};

TEST_P(OggWriteFaults, OriginalStaysByteIdentical) {
    for (const size_t commentSize : {size_t(10), size_t(100 * 1024)}) {
        TOggVorbis ogg;
        ASSERT_TRUE(ogg.Analyze(m_file));
        ogg.SetComment(std::string(commentSize, 'z'));
        FailingOps ops(GetParam(), 4096);
        EXPECT_FALSE(ogg.WriteTag(m_file, ops));
        EXPECT_FALSE(ogg.LastError().empty());
        EXPECT_EQ(TempDir::Read(m_file), m_original);
        EXPECT_EQ(m_dir.Names(), std::vector<std::string>{"tone.ogg"});
    }
}

INSTANTIATE_TEST_SUITE_P(EveryStep, OggWriteFaults,
                         testing::Values(Step::Create, Step::Write, Step::Flush, Step::Close,
                                         Step::Rename),
                         tv::cases::ValueName());

TEST(OggWriteRefusals, BrokenFilesAreLeftAlone) {
    TempDir dir;
    const Bytes notOgg = B("OggS but not really a page at all");
    const auto file = dir.Write("bad.ogg", notOgg);
    TOggVorbis ogg;
    EXPECT_FALSE(ogg.WriteTag(file));
    EXPECT_EQ(TempDir::Read(file), notOgg);
    EXPECT_FALSE(ogg.WriteTag(dir.Path() / "missing.ogg"));
}

}  // namespace
}  // namespace tv::tags::test
