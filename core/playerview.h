#pragma once

// What the player logic asks of the screen and of the event loop. The main window implements
// it; tests use a recording fake. All calls come from the user-interface thread.

#include <string>

namespace tv::core {

enum class TransportButton { Play, Pause, Stop };

class PlayerView {
public:
    virtual ~PlayerView() = default;

    // Gives an image button its normal (released) picture.
    virtual void ShowButtonNormal(TransportButton button) = 0;
    // Pops up the add-files menu at the mouse pointer (Play with an empty playlist).
    virtual void ShowPlayMenu() = 0;
    // The playlist rows changed (texts, current or focused entry).
    virtual void RepaintPlaylist() = 0;
    // lbTitle: the title of the current entry.
    virtual void ShowTitle(const std::string& title) = 0;
    // Switches the 10 ms main timer and the spectrum timer.
    virtual void SetMainTimer(bool on) = 0;
    virtual void SetSpectrumTimer(bool on) = 0;
    // Shows or hides the spectrum box and the two position knobs.
    virtual void SetSpectrumVisible(bool visible) = 0;
    virtual void SetKnobsVisible(bool visible) = 0;
    // Stop's clean-up of the display: progress bar width 0, empty position, bit-rate,
    // channel-mode and title labels.
    virtual void ClearTrackDisplay() = 0;
    // Refreshes the bit-rate and channel-mode labels for the file just started.
    virtual void RefreshStreamInfo(const std::string& path) = 0;

    // The video window: start `path`, toggle its pause, close it.
    virtual void PlayVideo(const std::string& path) = 0;
    virtual void PauseVideo() = 0;
    virtual void CloseVideo() = 0;

    // Lets pending window events run once.
    virtual void ProcessEventsOnce() = 0;
    // WaitWithEvents: lets window events run until `ms` milliseconds have passed (a negative
    // value: one pass). Events that run meanwhile may re-enter the player.
    virtual void WaitWithEvents(int ms) = 0;
    // ShowWarning: the modal warning box; returns when it is closed.
    virtual void ShowWarning(const std::string& text) = 0;
};

// The effect chain as the player sees it. The effects library plugs in here; until then the
// player runs with NoEffects.
class EffectHooks {
public:
    virtual ~EffectHooks() = default;
    // The old channel is gone: its effect handles no longer mean anything.
    virtual void ForgetEffectHandles() = 0;
    // Attaches the switched-on effects to the new, live channel.
    virtual void ApplyEffects(unsigned channel) = 0;
    // Attaches or removes the stereo rotation on the new channel.
    virtual void UpdateRotation(unsigned channel) = 0;
};

class NoEffects : public EffectHooks {
public:
    void ForgetEffectHandles() override {}
    void ApplyEffects(unsigned) override {}
    void UpdateRotation(unsigned) override {}
};

// A tag window as the entry refresh after a tag edit sees it. The row it edits is the
// model's (PlayerModel::TagRow).
class TagWindowHook {
public:
    virtual ~TagWindowHook() = default;
    virtual bool IsVisible() const = 0;
    // PatchEdit: the file the window shows.
    virtual std::string Path() const = 0;
    // Shows `path` and reads its tags again.
    virtual void Reload(const std::string& path) = 0;
};

}  // namespace tv::core
