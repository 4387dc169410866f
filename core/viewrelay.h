#pragma once

// The player model's stand-in for its views: the player and the track advance are built with
// the model, before any window exists, and talk to this relay, which passes each call on to
// the views attached later (and does nothing, or answers "nothing shown", while none is).
//
// Threads: user-interface thread only.

#include <optional>
#include <string>
#include <utility>

#include "core/playerview.h"
#include "core/trackadvance.h"

namespace tv::core {

class ViewRelay : public PlayerView, public AdvanceView {
public:
    // Either may be null (detached). The views must outlive the attachment.
    void Attach(PlayerView* player, AdvanceView* advance) {
        m_player = player;
        m_advance = advance;
    }

    // PlayerView
    void ShowButtonNormal(TransportButton b) override { Call(&PlayerView::ShowButtonNormal, b); }
    void ShowPlayMenu() override { Call(&PlayerView::ShowPlayMenu); }
    void RepaintPlaylist() override { Call(&PlayerView::RepaintPlaylist); }
    void ShowTitle(const std::string& t) override { Call(&PlayerView::ShowTitle, t); }
    void SetMainTimer(bool on) override { Call(&PlayerView::SetMainTimer, on); }
    void SetSpectrumTimer(bool on) override { Call(&PlayerView::SetSpectrumTimer, on); }
    void SetSpectrumVisible(bool v) override { Call(&PlayerView::SetSpectrumVisible, v); }
    void SetKnobsVisible(bool v) override { Call(&PlayerView::SetKnobsVisible, v); }
    void ClearTrackDisplay() override { Call(&PlayerView::ClearTrackDisplay); }
    void RefreshStreamInfo(const std::string& p) override {
        Call(&PlayerView::RefreshStreamInfo, p);
    }
    void PlayVideo(const std::string& p) override { Call(&PlayerView::PlayVideo, p); }
    void PauseVideo() override { Call(&PlayerView::PauseVideo); }
    void CloseVideo() override { Call(&PlayerView::CloseVideo); }
    void ProcessEventsOnce() override { Call(&PlayerView::ProcessEventsOnce); }
    void WaitWithEvents(int ms) override { Call(&PlayerView::WaitWithEvents, ms); }
    void ShowWarning(const std::string& t) override { Call(&PlayerView::ShowWarning, t); }

    // AdvanceView
    void ResetPositionDisplay() override { Tell(&AdvanceView::ResetPositionDisplay); }
    void ShowPosition(const PositionDisplay& d, bool moveDragKnob) override {
        Tell(&AdvanceView::ShowPosition, d, moveDragKnob);
    }
    bool KnobDragging() const override { return m_advance && m_advance->KnobDragging(); }
    void ScrollToCurrent() override { Tell(&AdvanceView::ScrollToCurrent); }
    void FocusMainControl() override { Tell(&AdvanceView::FocusMainControl); }
    void ShowNextBackNormal(bool next) override { Tell(&AdvanceView::ShowNextBackNormal, next); }
    std::optional<std::pair<uint32_t, uint32_t>> VideoLengthAndPosition() override {
        return m_advance ? m_advance->VideoLengthAndPosition() : std::nullopt;
    }
    void ShowRandomLook(const std::string& p, const std::string& h) override {
        Tell(&AdvanceView::ShowRandomLook, p, h);
    }
    void ShowReplayLook(const std::string& p, const std::string& h) override {
        Tell(&AdvanceView::ShowReplayLook, p, h);
    }

private:
    template <typename F, typename... A>
    void Call(F f, A&&... a) {
        if (m_player)
            (m_player->*f)(std::forward<A>(a)...);
    }
    template <typename F, typename... A>
    void Tell(F f, A&&... a) {
        if (m_advance)
            (m_advance->*f)(std::forward<A>(a)...);
    }

    PlayerView* m_player = nullptr;
    AdvanceView* m_advance = nullptr;
};

}  // namespace tv::core
