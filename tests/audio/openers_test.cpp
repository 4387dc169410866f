// Which opener takes which file: every opener accepts exactly its own content, whatever the
// name, and the broken or unknown files are refused by all of them.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <string>

#include "audiotestutil.h"
#include "core/audio/ffmpegdecoder.h"

extern "C" {
#include <libavcodec/codec_id.h>
}

namespace tv::testing {
namespace {

using audio::Handle;
using audio::StreamFormat;

constexpr int kModule = -1;
constexpr int kNobody = -2;

struct OpenerCase {
    const char* file;
    int owner;          // a StreamFormat, kModule or kNobody
    uint32_t rate;      // expected source rate
    uint32_t channels;  // expected source channel count
};

void PrintTo(const OpenerCase& c, std::ostream* os) {
    *os << c.file;
}

class OpenerTable : public ::testing::TestWithParam<OpenerCase> {
protected:
    PulledEngine m_engine;
};

TEST_P(OpenerTable, OnlyItsOwnOpenerAcceptsTheContent) {
    const OpenerCase& c = GetParam();
    const auto path = Fixture(c.file);
    for (int f = 0; f < audio::kStreamFormatCount; ++f) {
        const Handle h = m_engine->StreamCreateFile(static_cast<StreamFormat>(f), path, 0);
        EXPECT_EQ(h != 0, f == c.owner) << "opener " << f;
        if (h) {
            EXPECT_TRUE(m_engine->StreamFree(h));
        }
    }
    if (c.owner == kModule || c.owner == kNobody) {
        const Handle m = m_engine->MusicLoad(path, audio::kMusicPrescan);
        EXPECT_EQ(m != 0, c.owner == kModule);
        if (m) {
            EXPECT_TRUE(m_engine->MusicFree(m));
        }
    }
}

class PlayableTable : public OpenerTable {};

TEST_P(PlayableTable, OpensWithItsFormatAndPlaysTheTone) {
    const OpenerCase& c = GetParam();
    const Handle h = OpenAny(*m_engine, Fixture(c.file));
    ASSERT_NE(h, 0u);

    audio::ChannelInfo info;
    ASSERT_TRUE(m_engine->ChannelGetInfo(h, info));
    EXPECT_EQ(info.freq, c.rate);
    EXPECT_EQ(info.chans, c.channels);

    const int64_t length = m_engine->ChannelGetLength(h);
    const double seconds = m_engine->ChannelBytes2Seconds(h, length);
    if (c.owner == kModule) {
        EXPECT_GT(seconds, 1.0);
    } else {
        // Every stream fixture is half a second long (lossy coders add a few frames).
        EXPECT_NEAR(seconds, 0.5, 0.1);
    }
    // A quarter of a second of the 1 kHz tone at 1/8 of full scale: RMS about 0.088 (the
    // module's sample is quieter); a decoder handing out silence or garbage fails here.
    const auto sound = Render(*m_engine, h, audio::kOutputRate / 4);
    ASSERT_EQ(sound.size(), size_t(audio::kOutputRate / 4) * 2);
    const double rms = Rms(sound, 2048);
    EXPECT_GT(rms, 0.03);
    EXPECT_LT(rms, 0.2);
}

const OpenerCase kPlayableCases[] = {
    {"tone-1k.mp3", int(StreamFormat::Core), 44100, 2},
    {"tone-1k.mp2", int(StreamFormat::Core), 44100, 1},
    {"tone-1k.wav", int(StreamFormat::Core), 44100, 1},
    {"tone-1k-8bit.wav", int(StreamFormat::Core), 44100, 1},
    {"tone-1k.aiff", int(StreamFormat::Core), 44100, 1},
    {"tone-1k.ogg", int(StreamFormat::Core), 44100, 1},
    {"tone-1k.opus", int(StreamFormat::Core), 48000, 1},
    {"mp3-named.flac", int(StreamFormat::Core), 44100, 2},
    {"tone-1k.wma", int(StreamFormat::WMA), 44100, 1},
    {"tone-1k.flac", int(StreamFormat::FLAC), 44100, 1},
    {"tone-1k.wv", int(StreamFormat::WV), 44100, 1},
    {"tone-1k.aac", int(StreamFormat::AAC), 44100, 1},
    {"tone-1k.m4a", int(StreamFormat::MP4), 44100, 1},
    {"tone-1k.ac3", int(StreamFormat::AC3), 44100, 1},
    {"tone-1k-alac.m4a", int(StreamFormat::ALAC), 44100, 1},
    {"tone-1k.spx", int(StreamFormat::SPX), 16000, 1},
    {"tone-1k.tta", int(StreamFormat::TTA), 44100, 1},
    {"tone.mod", kModule, 44100, 2},
};
const OpenerCase kRefusedCases[] = {
    {"empty.wav", kNobody, 0, 0},        {"truncated.m4a", kNobody, 0, 0},
    {"random.mp3", kNobody, 0, 0},       {"unknown-ofr.ofr", kNobody, 0, 0},
    {"no-such-file.mp3", kNobody, 0, 0}, {"", kNobody, 0, 0},  // the fixture folder itself
};

std::string CaseName(const ::testing::TestParamInfo<OpenerCase>& info) {
    std::string name = info.param.file;
    for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch)))
            ch = '_';
    return name.empty() ? std::string("folder") : name;
}

INSTANTIATE_TEST_SUITE_P(Playable, OpenerTable, ::testing::ValuesIn(kPlayableCases), CaseName);
INSTANTIATE_TEST_SUITE_P(Refused, OpenerTable, ::testing::ValuesIn(kRefusedCases), CaseName);
INSTANTIATE_TEST_SUITE_P(Playable, PlayableTable, ::testing::ValuesIn(kPlayableCases), CaseName);

TEST(OpenerRules, ContainerAloneDoesNotDecideBetweenMp4AndAlac) {
    const char* kMov = "mov,mp4,m4a,3gp,3g2,mj2";
    using audio::Internal::FormatAccepts;
    constexpr int kAlac = AV_CODEC_ID_ALAC;
    constexpr int kAac = AV_CODEC_ID_AAC;
    EXPECT_TRUE(FormatAccepts(StreamFormat::ALAC, kMov, kAlac));
    EXPECT_FALSE(FormatAccepts(StreamFormat::MP4, kMov, kAlac));
    EXPECT_TRUE(FormatAccepts(StreamFormat::MP4, kMov, kAac));
    EXPECT_FALSE(FormatAccepts(StreamFormat::ALAC, kMov, kAac));
    // Formats without an encoder here (no fixture): the opener takes its demuxer's content.
    EXPECT_TRUE(FormatAccepts(StreamFormat::APE, "ape", 0));
    EXPECT_TRUE(FormatAccepts(StreamFormat::MPC, "mpc8", 0));
    EXPECT_FALSE(FormatAccepts(StreamFormat::Core, "ape", 0));
}

TEST(OpenerRules, EightBitSourceCarriesFlagBitZero) {
    PulledEngine engine;
    for (const auto& [file, flag] :
         {std::pair{"tone-1k-8bit.wav", 1u}, {"tone-1k.wav", 0u}, {"tone.mod", 0u}}) {
        const Handle h = OpenAny(*engine, Fixture(file));
        ASSERT_NE(h, 0u) << file;
        audio::ChannelInfo info;
        ASSERT_TRUE(engine->ChannelGetInfo(h, info));
        EXPECT_EQ(info.flags & audio::kSampleFlag8Bits, flag) << file;
    }
}

// Files cut off anywhere: opening either fails or gives a channel that renders to an end;
// nothing crashes, hangs or leaks (the sanitizer build runs this too).
class CutOffFiles : public ::testing::TestWithParam<const char*> {};

TEST_P(CutOffFiles, OpenOrRefuseButNeverHang) {
    const auto source = Fixture(GetParam());
    std::ifstream in(source, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 1000u);
    const auto cut = std::filesystem::temp_directory_path() /
                     ("tv-cut-" + std::to_string(::getpid()) + "-" + GetParam());
    PulledEngine engine;
    int opened = 0;
    for (size_t length : {size_t(1), size_t(4), size_t(12), size_t(45), size_t(100), size_t(600),
                          bytes.size() / 3, bytes.size() - 1, bytes.size()}) {
        {
            std::ofstream out(cut, std::ios::binary | std::ios::trunc);
            out.write(bytes.data(), static_cast<std::streamsize>(length));
        }
        const Handle h = OpenAny(*engine, cut);
        if (!h)
            continue;
        ++opened;
        std::vector<float> block(4096 * 2);
        int64_t total = 0;
        for (int i = 0; i < 1000; ++i) {
            const int64_t got = engine->RenderOffline(h, block.data(), 4096);
            if (got == 0)
                break;
            total += got;
        }
        EXPECT_LT(total, 4096 * 999) << "no end after " << length << " bytes";
        EXPECT_TRUE(engine->StreamFree(h) || engine->MusicFree(h));
    }
    EXPECT_GE(opened, 1);  // at least the whole copy
    std::filesystem::remove(cut);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, CutOffFiles,
                         ::testing::Values("tone-1k.mp3", "tone-1k.flac", "tone-1k.m4a",
                                           "tone-1k.ogg", "tone-1k.wma", "tone-1k.wv",
                                           "tone-1k.ac3", "tone-1k.spx", "tone.mod"),
                         [](const auto& info) {
                             std::string name = info.param;
                             for (char& ch : name)
                                 if (!std::isalnum(static_cast<unsigned char>(ch)))
                                     ch = '_';
                             return name;
                         });

}  // namespace
}  // namespace tv::testing

namespace tv::testing {
namespace {

// Found by the decoder fuzz target: frames whose channels or rate differ from the stream's first
// ones made the resampler read planes the frame did not have.
TEST(DecoderFault, StreamChangingFormatMidway_DecodesWithoutReadingMissingPlanes) {
    PulledEngine engine;
    const audio::Handle h = OpenAny(*engine, Fixture("format-change-midstream.mp3"));
    ASSERT_NE(h, 0u);
    const auto frames = Render(*engine, h, 44100);
    for (float v : frames)
        ASSERT_TRUE(std::isfinite(v) && std::abs(v) <= 4.0f);
    EXPECT_TRUE(engine->StreamFree(h) || engine->MusicFree(h));
}

}  // namespace
}  // namespace tv::testing
