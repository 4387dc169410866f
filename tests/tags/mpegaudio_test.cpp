#include <cstring>

#include <gtest/gtest.h>

#include "tagfixtures.h"
#include "tags/mpegaudio.h"

namespace tv::tags::test {
namespace {

TMPEGaudio Analyze(const Bytes& bytes) {
    MemoryStream stream(bytes);
    TMPEGaudio mpeg;
    EXPECT_TRUE(mpeg.Analyze(stream));
    return mpeg;
}

struct FormatCase {
    const char* name;
    FrameSpec spec;
    const char* version;
    int layer;
    uint16_t bitRate;
    uint16_t sampleRate;
    int frameLength;
    const char* mode;
};

class MpegFormats : public testing::TestWithParam<FormatCase> {};

TEST_P(MpegFormats, DecodesTheFirstFrameAndTheConstantRateDuration) {
    const FormatCase& c = GetParam();
    const Bytes audio = MpegFrames(c.spec, 40);
    const TMPEGaudio mpeg = Analyze(audio);
    ASSERT_TRUE(mpeg.Frame().Found);
    EXPECT_STREQ(mpeg.Frame().VersionText(), c.version);
    EXPECT_EQ(mpeg.Frame().Layer(), c.layer);
    EXPECT_EQ(mpeg.BitRate(), c.bitRate);
    EXPECT_EQ(mpeg.SampleRate(), c.sampleRate);
    EXPECT_EQ(mpeg.Frame().FrameLength, c.frameLength);
    EXPECT_EQ(mpeg.ChannelMode(), c.mode);
    EXPECT_FALSE(mpeg.Vbr().Found);
    EXPECT_DOUBLE_EQ(mpeg.Duration(), double(audio.size()) * 8 / (c.bitRate * 1000.0));
}

INSTANTIATE_TEST_SUITE_P(
    Formats, MpegFormats,
    testing::Values(
        FormatCase{"Mpeg1Layer3", {3, 1, 9, 0, 0, false}, "1", 3, 128, 44100, 417, "Stereo"},
        FormatCase{
            "Mpeg1Layer3Padded", {3, 1, 9, 0, 1, true}, "1", 3, 128, 44100, 418, "Joint Stereo"},
        FormatCase{"Mpeg1Layer2", {3, 2, 12, 1, 2, false}, "1", 2, 256, 48000, 768, "Dual Channel"},
        FormatCase{"Mpeg1Layer1Padded", {3, 3, 14, 2, 3, true}, "1", 1, 448, 32000, 676, "Mono"},
        FormatCase{"Mpeg2Layer3", {2, 1, 8, 0, 0, false}, "2", 3, 64, 22050, 208, "Stereo"},
        FormatCase{"Mpeg25Layer3", {0, 1, 4, 2, 3, false}, "2.5", 3, 32, 8000, 288, "Mono"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MpegAudio, XingGivesAverageRateAndDuration) {
    const FrameSpec spec;
    // 1000 frames of 1152 samples at 44100 Hz, 160 kbit/s on average.
    const int32_t bytes = int32_t(int64_t(1000) * 144 * 160000 / 44100);
    const TMPEGaudio mpeg =
        Analyze(XingFrame(spec, 1000, bytes, "LAME3.99") + MpegFrames(spec, 10));
    ASSERT_TRUE(mpeg.Vbr().Found);
    EXPECT_EQ(mpeg.Vbr().Id, "Xing");
    EXPECT_EQ(mpeg.Vbr().Frames, 1000);
    EXPECT_EQ(mpeg.Vbr().VendorText, "LAME3.99");
    EXPECT_EQ(mpeg.BitRate(), 160);
    EXPECT_NEAR(mpeg.Duration(), 1000 * 1152 / 44100.0, 1e-9);
    EXPECT_TRUE(mpeg.Valid());
}

TEST(MpegAudio, XingWithoutFramesFallsBackToTheTableRate) {
    const FrameSpec spec;
    const Bytes audio = XingFrame(spec, 0, 0) + MpegFrames(spec, 20);
    const TMPEGaudio mpeg = Analyze(audio);
    EXPECT_TRUE(mpeg.Vbr().Found);
    EXPECT_EQ(mpeg.BitRate(), 128);
    EXPECT_DOUBLE_EQ(mpeg.Duration(), double(audio.size()) * 8 / 128000.0);
}

// Encoders write the information frame of a constant-rate stream at the lowest rate that holds
// it; taking the rate from it doubled the playlist time of such a file.
TEST(MpegAudio, InfoFrameAtALowerRate_TakesTheRateOfTheStream) {
    FrameSpec low;
    low.BitRateIndex = 5;  // 64 kbit/s
    Bytes info = XingFrame(low, 20, 20 * 417);
    std::memcpy(&info[36], "Info", 4);
    const Bytes audio = info + MpegFrames(FrameSpec{}, 20);
    const TMPEGaudio mpeg = Analyze(audio);
    ASSERT_TRUE(mpeg.Frame().Found);
    EXPECT_FALSE(mpeg.Vbr().Found);
    EXPECT_EQ(mpeg.BitRate(), 128);
    EXPECT_DOUBLE_EQ(mpeg.Duration(), double(audio.size()) * 8 / 128000.0);

    // Without the mark the first frame's rate stands, as for any constant-rate stream.
    Bytes plain = MpegFrames(low, 1) + MpegFrames(FrameSpec{}, 20);
    EXPECT_EQ(Analyze(plain).BitRate(), 64);
}

TEST(MpegAudio, VbriIsFoundOnlyAtTheXingOffset) {
    const FrameSpec stereo;
    const TMPEGaudio found = Analyze(VbriFrame(stereo, 500, 500 * 417) + MpegFrames(stereo, 5));
    ASSERT_TRUE(found.Vbr().Found);
    EXPECT_EQ(found.Vbr().Id, "VBRI");
    EXPECT_EQ(found.Vbr().Frames, 500);
    EXPECT_NEAR(found.Duration(), 500 * 1152 / 44100.0, 1e-9);
    FrameSpec mono;
    mono.Mode = 3;  // looked for at 21, where the VBRI header is not
    EXPECT_FALSE(Analyze(VbriFrame(mono, 500, 500 * 417) + MpegFrames(mono, 5)).Vbr().Found);
}

TEST(MpegAudio, InvalidStreamsGiveResetValues) {
    FrameSpec freeFormat;
    freeFormat.BitRateIndex = 0;
    const Bytes lone = MpegHeader(FrameSpec{}) + Bytes(2000, 0x11);  // no second header
    for (const Bytes& bytes : {MpegFrames(freeFormat, 30), lone, Bytes(5000, 0xFF), Bytes{1, 2}}) {
        const TMPEGaudio mpeg = Analyze(bytes);
        EXPECT_FALSE(mpeg.Frame().Found);
        EXPECT_FALSE(mpeg.Valid());
        EXPECT_EQ(mpeg.Duration(), 0);
        EXPECT_EQ(mpeg.ChannelMode(), "Unknown");
        EXPECT_EQ(mpeg.FileLength(), 0);
    }
}

TEST(MpegAudio, HeaderFollowedByGarbageIsSkipped) {
    const FrameSpec spec;
    Bytes bytes = MpegHeader(spec) + Bytes(500, 0) + MpegFrames(spec, 5);
    const TMPEGaudio mpeg = Analyze(bytes);
    ASSERT_TRUE(mpeg.Frame().Found);
    EXPECT_EQ(mpeg.Frame().Offset, 504);
}

TEST(MpegAudio, LaterBlocksAreSearched) {
    // Junk longer than a block: the frames lie in the second block.
    const FrameSpec spec;
    const Bytes junk(5000, 0x20);
    const TMPEGaudio mpeg = Analyze(junk + MpegFrames(spec, 20));
    ASSERT_TRUE(mpeg.Frame().Found);
    EXPECT_EQ(mpeg.Frame().Offset, 5000);
}

// The search covers the first 19 blocks after the tag and reads no further: a large file that
// holds no frames costs those bytes, not its whole length.
TEST(MpegAudio, SearchEndsAfterTheWindow) {
    class CountingStream : public MemoryStream {
    public:
        using MemoryStream::MemoryStream;
        int64_t ReadAt(int64_t offset, void* buffer, int64_t count) override {
            const int64_t n = MemoryStream::ReadAt(offset, buffer, count);
            bytes += std::max<int64_t>(n, 0);
            return n;
        }
        int64_t bytes = 0;
    };
    const FrameSpec spec;
    const int64_t window = int64_t(TMPEGaudio::kMaxSearchBlocks) * TMPEGaudio::kMpegBlockSize;
    const Bytes tag = ID3v2(3, {{"TIT2", Latin1("T")}}, 100);
    for (const int64_t junk : {window - 1800, window}) {
        const Bytes file = tag + Bytes(size_t(junk), 0x20) + MpegFrames(spec, 20);
        const TMPEGaudio mpeg = Analyze(file);
        EXPECT_EQ(mpeg.Frame().Found, junk < window) << junk;
    }
    const Bytes large = tag + Bytes(2'000'000, 0x20) + ID3v1("T1", "", "", "", "", 0, 0, 0);
    CountingStream stream(large);
    TMPEGaudio mpeg;
    EXPECT_TRUE(mpeg.Analyze(stream));
    EXPECT_FALSE(mpeg.Frame().Found);
    EXPECT_LT(stream.bytes, 2 * window);
}

TEST(MpegAudio, FileShorterThanOneBlock) {
    const FrameSpec spec;
    const Bytes audio = MpegFrames(spec, 3);  // 1251 bytes
    const TMPEGaudio mpeg = Analyze(audio);
    ASSERT_TRUE(mpeg.Frame().Found);
    EXPECT_EQ(mpeg.FileLength(), int64_t(audio.size()));
    // One frame and three bytes of the next header: the pair cannot be confirmed.
    const TMPEGaudio cut = Analyze(Bytes(audio.begin(), audio.begin() + 417 + 3));
    EXPECT_FALSE(cut.Frame().Found);
}

TEST(MpegAudio, LargeID3v2TagAndTrailersBoundTheAudio) {
    const FrameSpec spec;
    const Bytes tag = ID3v2(3, {{"TIT2", Latin1("Big")}}, 20000);
    const Bytes audio = MpegFrames(spec, 100);
    const Bytes lyrics = Lyrics3({{"ETT", "x"}});
    const Bytes v1 = ID3v1("t", "", "", "", "", 0, 0, 0);
    const TMPEGaudio mpeg = Analyze(tag + audio + lyrics + v1);
    ASSERT_TRUE(mpeg.Frame().Found);
    EXPECT_EQ(mpeg.Frame().Offset, int64_t(tag.size()));
    EXPECT_EQ(mpeg.AudioStart(), int64_t(tag.size()));
    EXPECT_EQ(mpeg.AudioEnd(), int64_t(tag.size() + audio.size()));
    EXPECT_DOUBLE_EQ(mpeg.Duration(), double(audio.size()) * 8 / 128000.0);
    EXPECT_EQ(mpeg.ID3v2().Title(), "Big");
    EXPECT_TRUE(mpeg.ID3v1().HasLyrics3());
}

TEST(MpegAudio, VendorSignatureAtTheEnd) {
    const FrameSpec spec;
    Bytes audio = MpegFrames(spec, 60);
    const Bytes lame = B("LAME3.100");
    std::copy(lame.begin(), lame.end(), audio.end() - 200);
    EXPECT_EQ(Analyze(audio + ID3v1("", "", "", "", "", 0, 0, 0)).VendorID(), "LAME3.10");
    Bytes gogo = MpegFrames(spec, 60);
    std::copy_n("GOGO", 4, gogo.end() - 300);
    EXPECT_EQ(Analyze(gogo).VendorID(), "GOGO");
}

TEST(MpegAudio, NonsenseVbrCountsDoNotWrap) {
    const FrameSpec spec;
    const TMPEGaudio mpeg = Analyze(XingFrame(spec, 1, 0x7FFFFFFF) + MpegFrames(spec, 3));
    EXPECT_EQ(mpeg.BitRate(), 65535);
    EXPECT_FALSE(mpeg.Valid());
    const TMPEGaudio negative = Analyze(XingFrame(spec, 10, -5) + MpegFrames(spec, 3));
    EXPECT_EQ(negative.BitRate(), 0);
    EXPECT_FALSE(negative.Valid());
}

TEST(MpegAudio, MissingFileFails) {
    TMPEGaudio mpeg;
    EXPECT_FALSE(mpeg.Analyze("/nonexistent/a.mp3"));
}

}  // namespace
}  // namespace tv::tags::test
