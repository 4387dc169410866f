// Natural track ends without a gap: a continuous sine cut into three files is played as a
// playlist by the player and its track advance through the real engine and SDL2's disk
// output, and what the device was given must be the sine again.

#include <gtest/gtest.h>

#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/audio/engine.h"
#include "core/player.h"
#include "core/trackadvance.h"

namespace fs = std::filesystem;
using namespace tv::core;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kRate = 44100;
constexpr int kTotal = 6 * kRate;
// Cut points away from the sine's zero crossings (its period is 100 samples).
constexpr int kCuts[] = {0, 2 * kRate + 37, 4 * kRate + 71, kTotal};

std::vector<int16_t> Sine() {
    std::vector<int16_t> s(kTotal);
    for (int i = 0; i < kTotal; ++i)
        s[size_t(i)] =
            static_cast<int16_t>(std::lround(16384 * std::sin(2 * M_PI * 441 * i / kRate + 0.3)));
    return s;
}

void WriteWav(const fs::path& path, const int16_t* pcm, uint32_t frames) {
    std::ofstream out(path, std::ios::binary);
    auto put = [&](uint32_t v, int bytes) { out.write(reinterpret_cast<const char*>(&v), bytes); };
    out.write("RIFF", 4);
    put(36 + frames * 2, 4);
    out.write("WAVEfmt ", 8);
    put(16, 4), put(1, 2), put(1, 2), put(kRate, 4), put(kRate * 2, 4), put(2, 2), put(16, 2);
    out.write("data", 4);
    put(frames * 2, 4);
    out.write(reinterpret_cast<const char*>(pcm), std::streamsize(frames) * 2);
}

class NoAdvanceView : public AdvanceView {
public:
    void ResetPositionDisplay() override {}
    void ShowPosition(const PositionDisplay&, bool) override {}
    bool KnobDragging() const override { return false; }
    void ScrollToCurrent() override {}
    void FocusMainControl() override {}
    void ShowNextBackNormal(bool) override {}
    std::optional<std::pair<uint32_t, uint32_t>> VideoLengthAndPosition() override { return {}; }
    void ShowRandomLook(const std::string&, const std::string&) override {}
    void ShowReplayLook(const std::string&, const std::string&) override {}
};

class SleepingView : public PlayerView {
public:
    std::string title;
    void ShowButtonNormal(TransportButton) override {}
    void ShowPlayMenu() override {}
    void RepaintPlaylist() override {}
    void ShowTitle(const std::string& t) override { title = t; }
    void SetMainTimer(bool) override {}
    void SetSpectrumTimer(bool) override {}
    void SetSpectrumVisible(bool) override {}
    void SetKnobsVisible(bool) override {}
    void ClearTrackDisplay() override {}
    void RefreshStreamInfo(const std::string&) override {}
    void PlayVideo(const std::string&) override {}
    void PauseVideo() override {}
    void CloseVideo() override {}
    void ProcessEventsOnce() override {}
    void WaitWithEvents(int ms) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(std::max(ms, 0)));
    }
    void ShowWarning(const std::string&) override {}
};

struct Format {
    const char* name;
    const char* extension;
    const char* codec;  // ffmpeg options; empty: the WAV pieces as they are
    bool lossless;
};

class Gapless : public ::testing::TestWithParam<Format> {
protected:
    Gapless() {
        dir = fs::temp_directory_path() /
              ("tv-gapless-" + std::to_string(::getpid()) + "-" + GetParam().name);
        fs::create_directories(dir);
        ::setenv("SDL_AUDIODRIVER", "disk", 1);
        ::setenv("SDL_DISKAUDIOFILE", (dir / "out.raw").c_str(), 1);
    }
    ~Gapless() override { fs::remove_all(dir); }

    // Cuts the sine into three files of the format; false when the encoder failed.
    bool MakePieces(const std::vector<int16_t>& sine) {
        for (int i = 0; i < 3; ++i) {
            const fs::path wav = dir / ("piece" + std::to_string(i) + ".wav");
            WriteWav(wav, sine.data() + kCuts[i], uint32_t(kCuts[i + 1] - kCuts[i]));
            fs::path piece = wav;
            if (*GetParam().codec) {
                piece = dir / ("piece" + std::to_string(i) + "." + GetParam().extension);
                const std::string command = "ffmpeg -v error -y -i '" + wav.string() + "' " +
                                            GetParam().codec + " '" + piece.string() + "'";
                if (std::system(command.c_str()) != 0)
                    return false;
            }
            list.AppendPath(piece.string());
        }
        return true;
    }

    fs::path dir;
    tv::playlist::PlaylistModel list;
    SleepingView view;
    NoAdvanceView advanceView;
    NoEffects effects;
    NoTrackInfo info;
    MainSettings modes;
    std::vector<double> changes;  // seconds after Play at which the current entry changed
};

std::vector<float> ReadLeft(const fs::path& raw) {
    std::vector<float> left;
    std::ifstream in(raw, std::ios::binary);
    float frame[2];
    while (in.read(reinterpret_cast<char*>(frame), sizeof frame))
        left.push_back(frame[0]);
    return left;
}

}  // namespace

TEST_P(Gapless, ThreePiecesOfOneSinePlayAsOne) {
    const std::vector<int16_t> sine = Sine();
    ASSERT_TRUE(MakePieces(sine)) << "ffmpeg could not encode the pieces";
    {
        tv::audio::Engine engine;
        ASSERT_TRUE(engine.Init(1, kRate, 0));
        Player player(engine, list, view, effects, info);
        TrackAdvance advance(player, list, view, advanceView, modes, TrackGeometry{0, 100, 10});
        player.SetChannelVolume(100);
        list.SetFocused(0);
        const auto start = Clock::now();
        player.btnPlayClick();
        int current = list.Current();
        // The main timer's 10 ms tick, until the last piece has ended and stopped the player.
        while (player.PlayState() != kStopped && Clock::now() - start < std::chrono::seconds(12)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            advance.tmrMainTimer();
            if (list.Current() != current) {
                current = list.Current();
                changes.push_back(std::chrono::duration<double>(Clock::now() - start).count());
            }
        }
        EXPECT_EQ(player.PlayState(), kStopped);
    }
    // The playlist followed each piece when it began to be heard (and at the end went back
    // to the first entry, as a stop at the last one does).
    ASSERT_EQ(changes.size(), 3u);
    // Not before it is heard, and the second change a piece's length after the first (the
    // first also waits for the player to start, which a loaded machine delays).
    EXPECT_GT(changes[0], double(kCuts[1]) / kRate - 0.05);
    EXPECT_LT(changes[0], double(kCuts[1]) / kRate + 0.5);
    EXPECT_NEAR(changes[1] - changes[0], double(kCuts[2] - kCuts[1]) / kRate, 0.1);

    const std::vector<float> left = ReadLeft(dir / "out.raw");
    size_t first = 0;
    while (first < left.size() && std::abs(left[first]) < 1e-3f)
        ++first;
    size_t last = left.size();
    while (last > first && std::abs(left[last - 1]) < 1e-3f)
        --last;
    ASSERT_GT(last - first, size_t(kRate)) << "no recording";
    if (GetParam().lossless) {
        ASSERT_GE(left.size(), first + kTotal);
        double largest = 0;
        size_t at = 0;
        for (size_t i = 0; i < size_t(kTotal); ++i) {
            const double error = std::abs(left[first + i] - sine[i] / 32768.0);
            if (error > largest)
                largest = error, at = i;
        }
        EXPECT_LT(largest, 1e-4) << "at sample " << at;
        return;
    }
    // Lossy: no stretch of near-silence longer than 1 ms, and the length of the whole sine.
    size_t run = 0, longest = 0;
    for (size_t i = first; i < last; ++i) {
        run = std::abs(left[i]) < 1e-3f ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    std::cout << GetParam().name << ": longest near-silence " << longest << " samples, length "
              << double(last - first) / kRate << " s\n";
    EXPECT_LE(longest, size_t(kRate / 1000));
    EXPECT_NEAR(double(last - first) / kRate, 6.0, 0.005);
}

INSTANTIATE_TEST_SUITE_P(Formats, Gapless,
                         ::testing::Values(Format{"Wav", "wav", "", true},
                                           Format{"Flac", "flac", "-c:a flac", true},
                                           Format{"Mp3", "mp3", "-c:a libmp3lame -b:a 192k", false},
                                           Format{"Vorbis", "ogg", "-c:a libvorbis -q:a 6", false},
                                           Format{"Opus", "opus", "-c:a libopus -b:a 128k", false}),
                         [](const auto& info) { return std::string(info.param.name); });
