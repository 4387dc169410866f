#include "core/tagtrackinfo.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <utility>
#include "tests/fakes/casename.h"

namespace fs = std::filesystem;
using tv::core::TagTrackInfo;
using tv::core::TrackTitle;

namespace {

// A copy of the MPEG fixture with an ID3v1 tag of the given artist and title appended.
fs::path TaggedCopy(const fs::path& dir, const std::string& name, const std::string& artist,
                    const std::string& title) {
    const fs::path file = dir / name;
    fs::copy_file(fs::path(TV_TEST_DATA_DIR) / "tone-1k.mp3", file,
                  fs::copy_options::overwrite_existing);
    std::string tag(128, '\0');
    tag.replace(0, 3, "TAG");
    tag.replace(3, title.size(), title);
    tag.replace(33, artist.size(), artist);
    tag[127] = static_cast<char>(255);
    std::ofstream(file, std::ios::binary | std::ios::app) << tag;
    return file;
}

struct TagCase {
    const char* file;
    const char* artist;
    const char* title;
    const char* expected;
};

class TagTrackInfoTest : public ::testing::TestWithParam<TagCase> {
protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "tv-tags-XXXXXX").string();
        dir = mkdtemp(tmpl.data());
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path dir;
};

}  // namespace

TEST_P(TagTrackInfoTest, TitleComesFromTheTagsOrTheName) {
    const fs::path file = TaggedCopy(dir, GetParam().file, GetParam().artist, GetParam().title);
    TagTrackInfo reader;
    const auto facts = reader.Read(file.string(), ".mp3");
    EXPECT_EQ(TrackTitle(file.string(), facts), GetParam().expected);
    EXPECT_EQ(facts.durationSeconds, 0u);  // half a second: fractions are cut off
}

INSTANTIATE_TEST_SUITE_P(Id3v1, TagTrackInfoTest,
                         ::testing::Values(TagCase{"a.mp3", "Artist", "Title", "Artist - Title"},
                                           TagCase{"b.mp3", "", "Only Title", "Only Title"},
                                           TagCase{"c.mp3", "Only Artist", "", "Only Artist"},
                                           TagCase{"07_-_From_Name.mp3", "", "", "From Name"}),
                         tv::cases::NameFrom(&TagCase::file));

TEST(TagTrackInfo, UnreadableOrUntaggedFormatsGiveAnEmptyRecord) {
    TagTrackInfo reader;
    const auto missing = reader.Read("/no/such/file.mp3", ".mp3");
    EXPECT_TRUE(missing.artist.empty() && missing.title.empty());
    EXPECT_EQ(missing.durationSeconds, 0u);
    const auto flac = reader.Read(std::string(TV_TEST_DATA_DIR) + "/mp3-named.flac", ".flac");
    EXPECT_TRUE(flac.artist.empty() && flac.title.empty());
}

namespace {

// A copy of a fixture with artist and title written into its own tag format by ffmpeg, which
// keeps the audio as it is. Empty path when ffmpeg is not there.
fs::path FfmpegTagged(const fs::path& dir, const char* fixture, const char* name, int seconds) {
    const fs::path out = dir / name;
    const std::string cmd =
        std::string("ffmpeg -v error -y -stream_loop ") + std::to_string(seconds - 1) + " -i '" +
        (fs::path(TV_TEST_DATA_DIR) / fixture).string() +
        "' -metadata artist='Ogg Artist' -metadata title='Ogg Title' -c:a " +
        (std::string(name).find(".ogg") != std::string::npos ? "libvorbis" : "wmav2") + " '" +
        out.string() + "'";
    return std::system(cmd.c_str()) == 0 ? out : fs::path();
}

}  // namespace

// The .ogg and .wma/.wm branches read artist, title and play time from their own readers, and
// a .wm file is read as WMA.
TEST(TagTrackInfoFormats, OggAndWmaEntriesComeFromTheirTags) {
    std::string tmpl = (fs::temp_directory_path() / "tv-tags-XXXXXX").string();
    const fs::path dir = mkdtemp(tmpl.data());
    const fs::path ogg = FfmpegTagged(dir, "tone-1k.ogg", "song.ogg", 3);
    const fs::path wma = FfmpegTagged(dir, "tone-1k.wma", "song.wma", 3);
    if (ogg.empty() || wma.empty()) {
        fs::remove_all(dir);
        GTEST_FAIL() << "ffmpeg could not make the tagged copies: is it installed? "
                        "(scripts/install-deps.sh installs it)";
    }
    fs::copy_file(wma, dir / "song.wm");
    TagTrackInfo reader;
    for (const auto& [file, ext] :
         {std::pair{ogg, ".ogg"}, {wma, ".wma"}, {dir / "song.wm", ".wm"}}) {
        const auto facts = reader.Read(file.string(), ext);
        EXPECT_EQ(TrackTitle(file.string(), facts), "Ogg Artist - Ogg Title") << file;
        EXPECT_GE(facts.durationSeconds, 1u) << file;
        EXPECT_LE(facts.durationSeconds, 2u) << file;
    }
    fs::remove_all(dir);
}
