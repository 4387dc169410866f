// Loudness levelling from the stored tags to the sound: the tags are read, the settings choose
// the gain, and the real engine renders the file with it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "../audio/audiotestutil.h"
#include "core/inifile.h"
#include "core/replaygain.h"
#include "tags/replaygain.h"

using namespace tv;
using tv::testing::Fixture;

namespace {

// Renders `file` through the engine with the gain its tags and `settings` give.
std::vector<float> RenderLevelled(const std::string& file, const core::ReplayGainSettings& settings,
                                  bool shuffled) {
    tv::testing::PulledEngine engine;
    EXPECT_TRUE(engine->Init(1, 44100, 0));
    const audio::Handle h = tv::testing::OpenAny(*engine, Fixture(file));
    EXPECT_NE(h, 0u) << file;
    const float gain =
        core::ReplayGainFactor(tags::ReadReplayGain(Fixture(file)), settings, shuffled);
    EXPECT_TRUE(engine->ChannelSetGain(h, gain));
    return tv::testing::Render(*engine, h, 44100);
}

double LevelDb(const std::string& file, const std::string& reference,
               const core::ReplayGainSettings& settings, bool shuffled) {
    const double levelled = tv::testing::Rms(RenderLevelled(file, settings, shuffled));
    const double plain = tv::testing::Rms(RenderLevelled(reference, {0, 0, false}, false));
    return 20.0 * std::log10(levelled / plain);
}

struct LevelCase {
    const char* label;
    int mode;
    bool shuffled;
    int preampTenths;
    double minus6Db;  // rg-m6.mp3: track -6 dB, album -2 dB
    double zeroDb;    // rg-0.mp3: track +0 dB, album +4 dB
};

class ReplayGainLevel : public ::testing::TestWithParam<LevelCase> {};

}  // namespace

TEST_P(ReplayGainLevel, TheChosenStoredGainIsHeardAndTheTwoFilesStaySixDecibelsApart) {
    const LevelCase& c = GetParam();
    const core::ReplayGainSettings settings{c.mode, c.preampTenths, true};
    const double m6 = LevelDb("rg-m6.mp3", "tone-1k.mp3", settings, c.shuffled);
    const double zero = LevelDb("rg-0.mp3", "tone-1k.mp3", settings, c.shuffled);
    EXPECT_NEAR(m6, c.minus6Db, 0.3);
    EXPECT_NEAR(zero, c.zeroDb, 0.3);
    // Both files carry the same 6 dB between their track gains and between their album gains.
    EXPECT_NEAR(zero - m6, c.mode == 0 ? 0.0 : 6.0, 0.3);
}

INSTANTIATE_TEST_SUITE_P(Modes, ReplayGainLevel,
                         ::testing::Values(LevelCase{"Off", 0, false, 0, 0.0, 0.0},
                                           LevelCase{"Track", 1, false, 0, -6.0, 0.0},
                                           LevelCase{"Album", 2, true, 0, -2.0, 4.0},
                                           LevelCase{"AutomaticInOrder", 3, false, 0, -2.0, 4.0},
                                           LevelCase{"AutomaticShuffled", 3, true, 0, -6.0, 0.0},
                                           LevelCase{"TrackWithPreamp", 1, false, 30, -3.0, 3.0}),
                         [](const ::testing::TestParamInfo<LevelCase>& info) {
                             return info.param.label;
                         });

TEST(ReplayGain, AnOpusLoudnessGainIsHeardOnTheReplayGainScale) {
    // R128_TRACK_GAIN -2816 is -11 dB from -23 LUFS, which is -6 dB on the 89 dB scale.
    EXPECT_NEAR(LevelDb("rg-r128.opus", "tone-1k.opus", {1, 0, true}, false), -6.0, 0.3);
}

TEST(ReplayGain, ClippingPreventionKeepsAFullScaleFileBelowFullScale) {
    // rg-fullscale.flac: a 0.999 sine stored with +12 dB and peak 0.999.
    auto peak = [](const std::vector<float>& s) {
        float p = 0;
        for (float v : s)
            p = std::max(p, std::fabs(v));
        return p;
    };
    EXPECT_LE(peak(RenderLevelled("rg-fullscale.flac", {1, 0, true}, false)), 1.0f);
    EXPECT_GT(peak(RenderLevelled("rg-fullscale.flac", {1, 0, false}, false)), 3.5f)
        << "without the prevention the stored +12 dB is applied whole";
}

TEST(ReplayGain, SettingsReadAsTheirDefaultsWhenMissingOrOutOfRange) {
    core::IniFile ini;
    core::ReplayGainSettings r = core::LoadReplayGainSettings(ini);
    EXPECT_EQ(r.mode, 3);
    EXPECT_EQ(r.preampTenths, 0);
    EXPECT_TRUE(r.clip);
    core::StoreReplayGainSettings(ini, {1, -25, false});
    r = core::LoadReplayGainSettings(ini);
    EXPECT_EQ(r.mode, 1);
    EXPECT_EQ(r.preampTenths, -25);
    EXPECT_FALSE(r.clip);
    ini.SetInt(core::kSettingsSection, "ReplayGain", 7);
    EXPECT_EQ(core::LoadReplayGainSettings(ini).mode, 3);
}
