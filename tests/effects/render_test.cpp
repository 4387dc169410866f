// Export with effects: the render command through the real engine, offline.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

#include "effects/eqtables.h"
#include "render/render.h"
#include "signal.h"

namespace tv::testing {
namespace {

namespace fs = std::filesystem;

// A 16-bit stereo PCM WAV of `frames` (interleaved floats in -1..1).
void WriteWav16(const fs::path& path, const std::vector<float>& frames) {
    std::ofstream out(path, std::ios::binary);
    auto put = [&](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out.put(static_cast<char>(v >> (8 * i)));
    };
    const uint32_t data = static_cast<uint32_t>(frames.size() * 2);
    out.write("RIFF", 4), put(36 + data, 4), out.write("WAVEfmt ", 8);
    put(16, 4), put(1, 2), put(2, 2), put(kRate, 4), put(kRate * 4, 4), put(4, 2), put(16, 2);
    out.write("data", 4), put(data, 4);
    for (float f : frames)
        put(static_cast<uint16_t>(static_cast<int16_t>(std::lround(f * 32767))), 2);
}

struct Wav {
    int format = 0, channels = 0, rate = 0, bits = 0;
    std::vector<float> frames;
};

// Reads what the render command writes (PCM 16 or float 32), chunk by chunk.
Wav ReadWav(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> b((std::istreambuf_iterator<char>(in)), {});
    auto u = [&](size_t at, int bytes) {
        uint32_t v = 0;
        for (int i = 0; i < bytes; ++i)
            v |= uint32_t(b.at(at + i)) << (8 * i);
        return v;
    };
    Wav w;
    if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) || std::memcmp(b.data() + 8, "WAVE", 4))
        return w;
    for (size_t at = 12; at + 8 <= b.size();) {
        const uint32_t size = u(at + 4, 4);
        if (!std::memcmp(&b[at], "fmt ", 4)) {
            w.format = u(at + 8, 2), w.channels = u(at + 10, 2), w.rate = u(at + 12, 4),
            w.bits = u(at + 22, 2);
        } else if (!std::memcmp(&b[at], "data", 4)) {
            for (size_t i = at + 8; i + w.bits / 8 <= at + 8 + size && i + w.bits / 8 <= b.size();
                 i += w.bits / 8) {
                if (w.bits == 16) {
                    w.frames.push_back(static_cast<int16_t>(u(i, 2)) / 32768.0f);
                } else {
                    uint32_t bits = u(i, 4);
                    float f;
                    std::memcpy(&f, &bits, 4);
                    w.frames.push_back(f);
                }
            }
        }
        at += 8 + size + (size & 1);
    }
    return w;
}

class Render : public ::testing::Test {
protected:
    Render() {
        dir = fs::temp_directory_path() /
              ("tv-effects-render-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
    }
    ~Render() override { fs::remove_all(dir); }

    int Run(std::vector<std::string> args) {
        errors.str("");
        return effects::RunRenderCommand(args, errors);
    }
    // Level of a sine at `hz` after rendering with `options`, against rendering without.
    double GainDb(double hz, const std::vector<std::string>& options) {
        WriteWav16(dir / "in.wav", StereoSine(hz, kRate));
        std::vector<std::string> args = {"--render", (dir / "in.wav").string(),
                                         (dir / "fx.wav").string(), "--float"};
        args.insert(args.end(), options.begin(), options.end());
        EXPECT_EQ(Run(args), 0) << errors.str();
        EXPECT_EQ(Run({(dir / "in.wav").string(), (dir / "plain.wav").string(), "--float"}), 0);
        const Wav fx = ReadWav(dir / "fx.wav"), plain = ReadWav(dir / "plain.wav");
        const int n = static_cast<int>(std::min(fx.frames.size(), plain.frames.size()) / 2);
        return ToDb(Rms(fx.frames, 0, n / 2, n) / Rms(plain.frames, 0, n / 2, n));
    }

    fs::path dir;
    std::ostringstream errors;
};

TEST_F(Render, EqualizerGainsComeThroughTheEngine) {
    EXPECT_NEAR(GainDb(1000, {"--eq", "0,0,0,0,12,0,0,0,0,0"}), 12.0, 0.5);
    double voice80 = 0;
    for (int i = 0; i < effects::kBandCount; ++i)
        voice80 += PeakDb(effects::EqBandFrequencies[i], effects::EqPresets[8][i], 80);
    EXPECT_NEAR(GainDb(80, {"--preset", "Voice"}), voice80, 0.5);
    // --eq wins over the preset.
    EXPECT_NEAR(GainDb(1000, {"--preset", "classic", "--eq", "0,0,0,0,0,0,0,0,0,0"}), 0.0, 0.3);
    const double bass = PeakDb(80, 6, 80) + PeakDb(170, 5, 80) + PeakDb(310, 4, 80);
    EXPECT_NEAR(GainDb(80, {"--effects", "bass"}), bass, 0.5);
}

TEST_F(Render, EchoOfAnImpulseArrivesHalfASecondLater) {
    std::vector<float> impulse(2 * (kRate + kRate / 4), 0.0f);
    impulse[0] = impulse[1] = 1.0f;
    WriteWav16(dir / "click.wav", impulse);
    ASSERT_EQ(Run({(dir / "click.wav").string(), (dir / "echo.wav").string(), "--effects", "echo",
                   "--float"}),
              0)
        << errors.str();
    const Wav w = ReadWav(dir / "echo.wav");
    ASSERT_EQ(w.format, 3);
    ASSERT_GE(w.frames.size(), impulse.size());
    int peak = kRate / 4;
    for (int i = kRate / 4; i < kRate; ++i)
        if (std::abs(w.frames[2 * i]) > std::abs(w.frames[2 * peak]))
            peak = i;
    EXPECT_NEAR(peak, kRate / 2, kRate / 1000);
    EXPECT_NEAR(ToDb(std::abs(w.frames[2 * peak]) / (2 * std::abs(w.frames[0]))),
                ToDb(0.5 * std::sqrt(0.75)), 0.3);
}

TEST_F(Render, DefaultOutputIsSixteenBitStereoAtTheOutputRate) {
    WriteWav16(dir / "in.wav", StereoSine(440, kRate / 2));
    ASSERT_EQ(Run({(dir / "in.wav").string(), (dir / "out.wav").string(), "--effects",
                   "flanger,chorus,reverb,rotate"}),
              0)
        << errors.str();
    const Wav w = ReadWav(dir / "out.wav");
    EXPECT_EQ(w.format, 1);
    EXPECT_EQ(w.bits, 16);
    EXPECT_EQ(w.channels, 2);
    EXPECT_EQ(w.rate, kRate);
    // The reverb's tail rings on after the input; a dry render is exactly the input's length.
    EXPECT_GT(w.frames.size(), static_cast<size_t>(2 * (kRate / 2)));
    EXPECT_FALSE(fs::exists(dir / "out.wav.part"));
    ASSERT_EQ(Run({(dir / "in.wav").string(), (dir / "dry.wav").string()}), 0) << errors.str();
    EXPECT_EQ(ReadWav(dir / "dry.wav").frames.size(), static_cast<size_t>(2 * (kRate / 2)));
}

// The echo of a click at the very end of the input is rendered after it, echo after echo,
// until it has died away: the output does not stop where the input does.
TEST_F(Render, EchoTailOutlivesTheInputUntilItDecays) {
    std::vector<float> click(2 * (kRate / 10), 0.0f);
    click[0] = click[1] = 1.0f;
    WriteWav16(dir / "click.wav", click);
    ASSERT_EQ(Run({(dir / "click.wav").string(), (dir / "echo.wav").string(), "--effects", "echo",
                   "--float"}),
              0)
        << errors.str();
    const Wav w = ReadWav(dir / "echo.wav");
    const size_t frames = w.frames.size() / 2;
    EXPECT_LE(frames, click.size() / 2 + size_t(10 * kRate));
    // Echoes after the input's end: separate peaks above -60 dBFS at least 0.4 s apart.
    int echoes = 0;
    size_t last = 0;
    for (size_t i = click.size() / 2; i < frames; ++i)
        if (std::abs(w.frames[2 * i]) > 1e-3f &&
            (echoes == 0 || i - last > size_t(kRate) * 4 / 10)) {
            ++echoes;
            last = i;
        }
    EXPECT_GE(echoes, 3);
    // It ends once the echoes have decayed: the last tenth of a second is below -60 dBFS.
    float endPeak = 0.0f;
    for (size_t i = frames - kRate / 10; i < frames; ++i)
        endPeak = std::max(endPeak, std::abs(w.frames[2 * i]));
    EXPECT_LT(endPeak, 1e-3f);
}

struct BadCase {
    const char* name;
    std::vector<std::string> extra;
    const char* message;
};

class RenderRefuses : public Render, public ::testing::WithParamInterface<BadCase> {};

TEST_P(RenderRefuses, WithAClearMessageAndNoOutputFile) {
    WriteWav16(dir / "in.wav", StereoSine(440, 1000));
    std::ofstream(dir / "text.wav") << "not audio at all";
    std::vector<std::string> args;
    for (const auto& a : GetParam().extra) {
        std::string s = a;
        if (s.rfind("@", 0) == 0)
            s = (dir / s.substr(1)).string();
        args.push_back(s);
    }
    EXPECT_EQ(Run(args), 1);
    EXPECT_NE(errors.str().find(GetParam().message), std::string::npos) << errors.str();
    EXPECT_FALSE(fs::exists(dir / "out.wav"));
    EXPECT_FALSE(fs::exists(dir / "out.wav.part"));
}

INSTANTIATE_TEST_SUITE_P(
    BadInput, RenderRefuses,
    ::testing::Values(
        BadCase{"UnknownPreset",
                {"@in.wav", "@out.wav", "--preset", "Jazz"},
                "unknown preset \"Jazz\""},
        BadCase{"UnknownEffect",
                {"@in.wav", "@out.wav", "--effects", "echo,phaser"},
                "unknown effect \"phaser\""},
        BadCase{
            "NineGains", {"@in.wav", "@out.wav", "--eq", "1,2,3,4,5,6,7,8,9"}, "--eq needs ten"},
        BadCase{"GainOutOfRange",
                {"@in.wav", "@out.wav", "--eq", "0,0,0,0,16,0,0,0,0,0"},
                "--eq needs ten"},
        BadCase{"GainNotANumber",
                {"@in.wav", "@out.wav", "--eq", "0,0,0,0,x,0,0,0,0,0"},
                "--eq needs ten"},
        BadCase{"MissingInput", {"@missing.wav", "@out.wav"}, "cannot read"},
        BadCase{"NotAudio", {"@text.wav", "@out.wav"}, "cannot read"},
        BadCase{"UnwritableOutput", {"@in.wav", "@no/such/folder/out.wav"}, "cannot write"},
        BadCase{"NoOutput", {"@in.wav"}, "usage"},
        BadCase{"UnknownOption", {"@in.wav", "@out.wav", "--loud"}, "unknown option --loud"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tv::testing
