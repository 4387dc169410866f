#pragma once

// A recording view: each call is appended, as one line, to the same list the fake audio
// library writes to, so a test sees library calls, waits and warnings in one sequence.

#include <functional>
#include <string>
#include <vector>

#include "core/playerview.h"

namespace tv::testing {

class FakePlayerView : public core::PlayerView {
public:
    explicit FakePlayerView(std::vector<std::string>& log) : m_log(log) {}

    std::vector<std::string> warnings;
    std::string title;
    bool mainTimer = false;
    bool spectrumTimer = false;
    bool knobsVisible = false;
    bool spectrumVisible = false;
    int playMenuShown = 0;
    // Runs inside a wait or an event pass, once, to model a click arriving meanwhile.
    std::function<void()> duringWait;

    void ShowButtonNormal(core::TransportButton) override {}
    void ShowPlayMenu() override {
        ++playMenuShown;
        Log("ShowPlayMenu");
    }
    void RepaintPlaylist() override {}
    void ShowTitle(const std::string& t) override { title = t; }
    void SetMainTimer(bool on) override { mainTimer = on; }
    void SetSpectrumTimer(bool on) override { spectrumTimer = on; }
    void SetSpectrumVisible(bool v) override { spectrumVisible = v; }
    void SetKnobsVisible(bool v) override { knobsVisible = v; }
    void ClearTrackDisplay() override {
        title.clear();
        Log("ClearTrackDisplay");
    }
    void RefreshStreamInfo(const std::string&) override { Log("RefreshStreamInfo"); }
    void PlayVideo(const std::string& path) override { Log("PlayVideo(" + path + ")"); }
    void PauseVideo() override { Log("PauseVideo"); }
    void CloseVideo() override { Log("CloseVideo"); }
    void ProcessEventsOnce() override { RunPending(); }
    void WaitWithEvents(int ms) override {
        Log("Wait(" + std::to_string(ms) + ")");
        RunPending();
    }
    void ShowWarning(const std::string& text) override {
        warnings.push_back(text);
        Log("Warning(" + text + ")");
    }

private:
    void Log(const std::string& s) { m_log.push_back(s); }
    void RunPending() {
        if (!duringWait)
            return;
        auto f = std::move(duringWait);
        duringWait = nullptr;
        f();
    }
    std::vector<std::string>& m_log;
};

class RecordingEffects : public core::EffectHooks {
public:
    explicit RecordingEffects(std::vector<std::string>& log) : m_log(log) {}
    void ForgetEffectHandles() override { m_log.push_back("ForgetEffectHandles"); }
    void ApplyEffects(unsigned ch) override {
        m_log.push_back("ApplyEffects(" + std::to_string(ch) + ")");
    }
    void UpdateRotation(unsigned ch) override {
        m_log.push_back("UpdateRotation(" + std::to_string(ch) + ")");
    }

private:
    std::vector<std::string>& m_log;
};

}  // namespace tv::testing
