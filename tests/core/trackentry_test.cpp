#include "core/trackentry.h"

#include <gtest/gtest.h>
#include "tests/fakes/casename.h"

using namespace tv::core;

struct KindCase {
    const char* path;
    int kind;
};

class ClassifyFileTest : public ::testing::TestWithParam<KindCase> {};

TEST_P(ClassifyFileTest, DecidesByTheLowerCaseLastExtension) {
    EXPECT_EQ(ClassifyFile(GetParam().path), GetParam().kind) << GetParam().path;
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ClassifyFileTest,
    ::testing::Values(KindCase{"/m/a.mp3", 1}, KindCase{"/m/A.FLAC", 1}, KindCase{"x.it", 1},
                      KindCase{"x.tta", 1}, KindCase{"x.wm", 1}, KindCase{"x.alac", 1},
                      KindCase{"/v/clip.AVI", 2}, KindCase{"a.3gp", 2}, KindCase{"a.mpeg", 2},
                      KindCase{"a.xqt", 2}, KindCase{"a.MKV", 2}, KindCase{"a.webm", 2},
                      KindCase{"a.mp4v", 2}, KindCase{"a.ts", 2}, KindCase{"a.mp4", 1},
                      KindCase{"a.opus", 1}, KindCase{"a.M4A", 1}, KindCase{"a.oga", 1},
                      KindCase{"a.aif", 1}, KindCase{"a.aiff", 1}, KindCase{"f.swf", 3},
                      KindCase{"f.txt", 0}, KindCase{"noext", 0}, KindCase{"/dir.mp3/noext", 0},
                      KindCase{"a.mp3.bak", 0}, KindCase{"a.", 0}, KindCase{"", 0}),
    tv::cases::NameFrom(&KindCase::path));

struct TitleCase {
    const char* path;
    const char* artist;
    const char* title;
    const char* expected;
};

class TrackTitleTest : public ::testing::TestWithParam<TitleCase> {};

TEST_P(TrackTitleTest, BuildsAndCleansTheTitle) {
    TrackFacts facts{GetParam().artist, GetParam().title, 0};
    EXPECT_EQ(TrackTitle(GetParam().path, facts), GetParam().expected) << GetParam().path;
}

INSTANTIATE_TEST_SUITE_P(
    Names, TrackTitleTest,
    ::testing::Values(TitleCase{"/m/song.flac", "", "", "song"},
                      TitleCase{"/m/tune.it", "", "", "tune"},
                      TitleCase{"/m/03_-_Intro.mp3", "", "", "Intro"},
                      TitleCase{"/m/1999.mp3", "", "", "1999"},
                      TitleCase{"/m/__--__.wav", "", "", "  --  "},
                      TitleCase{"/m/01. !?,Track_Two.ogg", "", "", "Track Two"},
                      TitleCase{"/m/x.mp3", "", " Only Title ", "Only Title"},
                      TitleCase{"/m/x.mp3", "Artist", "Title", "Artist - Title"},
                      TitleCase{"/m/x.mp3", "Band", "  ", "Band"},
                      TitleCase{"/m/x.wma", "2 Unlimited", "No_Limit", "Unlimited - No Limit"},
                      // Any audio format uses the tags a reader found; video keeps the name.
                      TitleCase{"/m/a_b.flac", "Artist", "Title", "Artist - Title"},
                      TitleCase{"/m/a_b.wav", "", "", "a b"},
                      TitleCase{"/v/04 Clip.avi", "Artist", "Title", "Clip"},
                      TitleCase{"/m/no extension", "", "", "no extension"}),
    tv::cases::NumberedNameFrom(&TitleCase::path));

// Videos get the length their container states, whole seconds; what is no video gets 0.
TEST(VideoDurationSeconds, ContainerLengthOrZero) {
    const std::string data = TV_TEST_DATA_DIR;
    EXPECT_EQ(VideoDurationSeconds(data + "/testsrc2-5s.avi"), 5u);
    EXPECT_EQ(VideoDurationSeconds(data + "/no-such-clip.avi"), 0u);
    EXPECT_EQ(VideoDurationSeconds(data + "/README.md"), 0u);
    EXPECT_EQ(VideoDurationSeconds(data), 0u);  // a folder
}
