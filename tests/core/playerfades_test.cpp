// The player's fades through the real engine and SDL2's disk output: what reaches the device
// while keys are tapped quickly and while the player pauses and resumes.

#include <gtest/gtest.h>

#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>
#include <vector>

#include "core/audio/engine.h"
#include "core/player.h"

namespace fs = std::filesystem;
using namespace tv::core;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kRate = 44100;
// Two sines whose periods do not divide a 5 s step, so every seek changes the phase.
constexpr double kHz1 = 437.3, kHz2 = 1013.7, kAmp = 0.3;

double Music(int64_t n) {
    const double t = double(n) / kRate;
    return kAmp * (std::sin(2 * M_PI * kHz1 * t) + std::sin(2 * M_PI * kHz2 * t));
}

void WriteMusicWav(const fs::path& path, int seconds) {
    const uint32_t frames = uint32_t(seconds) * kRate;
    std::vector<int16_t> pcm(frames);
    for (uint32_t i = 0; i < frames; ++i)
        pcm[i] = static_cast<int16_t>(std::lround(Music(i) * 32767));
    std::ofstream out(path, std::ios::binary);
    auto put = [&](uint32_t v, int bytes) { out.write(reinterpret_cast<const char*>(&v), bytes); };
    out.write("RIFF", 4);
    put(36 + frames * 2, 4);
    out.write("WAVEfmt ", 8);
    put(16, 4), put(1, 2), put(1, 2), put(kRate, 4), put(kRate * 2, 4), put(2, 2), put(16, 2);
    out.write("data", 4);
    put(frames * 2, 4);
    out.write(reinterpret_cast<const char*>(pcm.data()), std::streamsize(pcm.size() * 2));
}

// A view whose waits pass in real time and deliver the scripted key events that fall due.
class ScriptedView : public PlayerView {
public:
    struct Event {
        Clock::time_point at;
        std::function<void()> run;
    };
    std::vector<Event> events;  // in time order

    void RunDue() {
        while (m_next < events.size() && Clock::now() >= events[m_next].at)
            events[m_next++].run();  // may re-enter the player, and this function
    }
    bool Done() const { return m_next >= events.size(); }
    void Sleep(int ms) {
        const auto end = Clock::now() + std::chrono::milliseconds(ms);
        while (Clock::now() < end) {
            RunDue();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    void ShowButtonNormal(TransportButton) override {}
    void ShowPlayMenu() override {}
    void RepaintPlaylist() override {}
    void ShowTitle(const std::string&) override {}
    void SetMainTimer(bool) override {}
    void SetSpectrumTimer(bool) override {}
    void SetSpectrumVisible(bool) override {}
    void SetKnobsVisible(bool) override {}
    void ClearTrackDisplay() override {}
    void RefreshStreamInfo(const std::string&) override {}
    void PlayVideo(const std::string&) override {}
    void PauseVideo() override {}
    void CloseVideo() override {}
    void ProcessEventsOnce() override { RunDue(); }
    void WaitWithEvents(int ms) override { Sleep(std::max(ms, 0)); }
    void ShowWarning(const std::string&) override {}

private:
    size_t m_next = 0;
};

std::vector<float> ReadLeft(const fs::path& raw) {
    std::vector<float> left;
    std::ifstream in(raw, std::ios::binary);
    float frame[2];
    while (in.read(reinterpret_cast<char*>(frame), sizeof frame))
        left.push_back(frame[0]);
    return left;
}

class PlayerFades : public ::testing::Test {
protected:
    PlayerFades() {
        dir = fs::temp_directory_path() / ("tv-player-fades-" + std::to_string(::getpid()));
        fs::create_directories(dir);
        ::setenv("SDL_AUDIODRIVER", "disk", 1);
        ::setenv("SDL_DISKAUDIOFILE", (dir / "out.raw").c_str(), 1);
        WriteMusicWav(dir / "music.wav", 30);
        list.AppendPath((dir / "music.wav").string());
        list.SetFocused(0);
    }
    ~PlayerFades() override { fs::remove_all(dir); }

    // Plays the file while the scripted events run, then stops and returns the left channel
    // of what the device was given from `skipSeconds` on.
    std::vector<float> Record(double skipSeconds) {
        {
            tv::audio::Engine engine;
            if (!engine.Init(1, kRate, 0))
                return {};
            Player player(engine, list, view, effects, info);
            player.SetChannelVolume(100);
            script(player);
            player.btnPlayClick();
            player.SeekToMs(20000);  // heard within the skipped start
            while (!view.Done())
                view.Sleep(5);
            view.Sleep(400);
            player.btnStopClick();
        }
        std::vector<float> left = ReadLeft(dir / "out.raw");
        left.erase(left.begin(), left.begin() + std::min(left.size(), size_t(skipSeconds * kRate)));
        return left;
    }

    fs::path dir;
    tv::playlist::PlaylistModel list;
    ScriptedView view;
    NoEffects effects;
    NoTrackInfo info;
    std::function<void(Player&)> script;
};

double LargestStep(const std::vector<float>& x) {
    double largest = 0;
    for (size_t i = 1; i < x.size(); ++i)
        largest = std::max(largest, double(std::abs(x[i] - x[i - 1])));
    return largest;
}

}  // namespace

// Twenty Left taps 60-120 ms apart: every jump happens in silence, so no step between two
// samples is larger than the music's own (plus the 16-bit rounding of the file).
TEST_F(PlayerFades, QuickSeekTapsNeverJumpAudibly) {
    script = [this](Player& player) {
        auto at = Clock::now() + std::chrono::milliseconds(800);
        for (int i = 0; i < 20; ++i) {
            view.events.push_back({at, [&player] { player.SeekStep(false); }});
            view.events.push_back(
                {at + std::chrono::milliseconds(40), [&player] { player.SeekRelease(); }});
            at += std::chrono::milliseconds(60 + (i * 37) % 61);
        }
    };
    const std::vector<float> left = Record(0.5);
    ASSERT_GT(left.size(), size_t(kRate * 2)) << "no recording";
    double musicStep = 0;
    for (int64_t n = 1; n < kRate; ++n)
        musicStep = std::max(musicStep, std::abs(Music(n) - Music(n - 1)));
    EXPECT_LT(LargestStep(left), musicStep * 1.05 + 2e-4);
    // The taps did seek: the recording holds long stretches of full silence (the jumps).
    const auto silent = std::count(left.begin(), left.end(), 0.0f);
    EXPECT_GT(silent, kRate / 20);
}

// Pause fades to exactly 0 before the channel stops being mixed, and resume starts from 0.
// Five pauses at staggered moments, so the fade's end falls at different places of the
// device's blocks.
TEST_F(PlayerFades, PauseEndsAndResumeStartsAtZero) {
    script = [this](Player& player) {
        auto at = Clock::now() + std::chrono::milliseconds(700);
        for (int i = 0; i < 5; ++i) {
            view.events.push_back({at, [&player] { player.btnPauseClick(); }});
            view.events.push_back(
                {at + std::chrono::milliseconds(450), [&player] { player.btnPauseClick(); }});
            at += std::chrono::milliseconds(900 + 7 * i);
        }
    };
    const std::vector<float> left = Record(0.5);
    ASSERT_GT(left.size(), size_t(kRate)) << "no recording";
    // The pauses are the runs of zeros longer than 100 ms; the millisecond on either side of
    // each is within 1 % of the music's peak.
    const double peak = 2 * kAmp;
    const size_t ms = kRate / 1000;
    int pauses = 0;
    for (size_t i = 0; i < left.size();) {
        size_t j = i;
        while (j < left.size() && left[j] == 0.0f)
            ++j;
        if (j - i > size_t(kRate / 10) && i > ms && j + ms < left.size()) {
            ++pauses;
            for (size_t k = i - ms; k < i; ++k)
                ASSERT_LT(std::abs(left[k]), 0.01 * peak) << "pause " << pauses << ", before";
            for (size_t k = j; k < j + ms; ++k)
                ASSERT_LT(std::abs(left[k]), 0.01 * peak) << "pause " << pauses << ", after";
        }
        i = j + 1;
    }
    EXPECT_EQ(pauses, 5);
    EXPECT_LT(LargestStep(left), 2 * M_PI * (kHz1 + kHz2) * kAmp / kRate * 1.05 + 2e-4);
}
