#include <gtest/gtest.h>

#include <sys/stat.h>

#include "tagfixtures.h"
#include "tags/mpegaudio.h"
#include "tags/textcodec.h"
#include "tags/trackinfo.h"

namespace tv::tags::test {
namespace {

struct FileCase {
    const char* name;
    Bytes bytes;
};

class TrackInfoFiles : public testing::TestWithParam<FileCase> {};

// The one-open helper agrees with the three readers run one by one on the file.
TEST_P(TrackInfoFiles, SameResultsAsTheSeparateReaders) {
    TempDir dir;
    const auto file = dir.Write("f.mp3", GetParam().bytes);
    TID3v2 v2;
    TID3v1 v1;
    TMPEGaudio mpeg;
    v2.ReadTag(file);
    v1.ReadTag(file);
    ASSERT_TRUE(mpeg.Analyze(file));
    const MpegTrackInfo info = ReadMpegTrackInfo(file);
    EXPECT_TRUE(info.Opened);
    EXPECT_EQ(info.ID3v2Artist, Trim(v2.Artist()));
    EXPECT_EQ(info.ID3v2Title, Trim(v2.Title()));
    EXPECT_EQ(info.ID3v1Artist, Trim(v1.Artist()));
    EXPECT_EQ(info.ID3v1Title, Trim(v1.Title()));
    EXPECT_DOUBLE_EQ(info.Duration, mpeg.Duration());
}

const FrameSpec kSpec;
const Bytes kFrames = MpegFrames(kSpec, 60);

INSTANTIATE_TEST_SUITE_P(
    Files, TrackInfoFiles,
    testing::Values(
        FileCase{"Both", ID3v2(3, {{"TIT2", Latin1("T2")}, {"TPE1", Latin1("A2")}}, 500) + kFrames +
                             ID3v1("T1", "A1", "", "", "", 0, 0, 0)},
        FileCase{"OnlyID3v1WithLyrics", kFrames + Lyrics3({{"ETT", std::string(40, 'x')}}) +
                                            ID3v1("T1", "A1", "", "", "", 0, 0, 0)},
        FileCase{"LargeTag", ID3v2(4, {{"TIT2", Latin1("Far")}}, 30000) + kFrames},
        FileCase{"Vbr", XingFrame(kSpec, 300, 300 * 400) + kFrames},
        FileCase{"NoFrames", ID3v2(3, {{"TIT2", Latin1("Text only")}}) + Bytes(9000, 0x41) +
                                 ID3v1("T1", "", "", "", "", 0, 0, 0)},
        FileCase{"Tiny", B("ID")}, FileCase{"Empty", Bytes{}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TrackInfo, UsualFileCostsTwoReads) {
    TempDir dir;
    const auto file =
        dir.Write("f.mp3", ID3v2(3, {{"TIT2", Latin1("T")}}, 4000) + MpegFrames(kSpec, 500) +
                               ID3v1("", "", "", "", "", 0, 0, 0));
    FileStream stream;
    ASSERT_TRUE(OpenForTagReading(stream, file));
    const MpegTrackInfo info = ReadMpegTrackInfo(stream);
    EXPECT_EQ(info.Title(), "T");
    EXPECT_EQ(stream.SystemReads(), 2);
}

TEST(TrackInfo, OnlyRegularFilesAreOpened) {
    TempDir dir;
    const auto fifo = dir.Path() / "pipe.mp3";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // Missing, a folder, and a FIFO nobody writes to (which must not block the reader).
    for (const auto& path : {dir.Path() / "missing.mp3", dir.Path(), fifo}) {
        const MpegTrackInfo info = ReadMpegTrackInfo(path);
        EXPECT_FALSE(info.Opened) << path;
        EXPECT_EQ(info.Duration, 0);
    }
}

}  // namespace
}  // namespace tv::tags::test
