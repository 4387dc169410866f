#pragma once

// The spectrum display's logic, free of widgets: the painter set up the way the main window
// uses it, the state of the refresh timer tmrFFT, the pop-up menu's ticks and handlers, the
// left-click mode cycle and the three settings keys. A view (SpectrumView) owns the real
// timer and the menu widget and forwards to this class; tests drive it directly.
//
// Threads: user-interface thread only. Audio-library calls made: ChannelGetData on the
// current channel, from tmrFFTTimer only.

#include <functional>

#include <QImage>
#include <QPainter>

#include "core/audio/audiolibrary.h"
#include "spectrum/spectrum.h"
#include "spectrum/spectrummenu.h"

namespace tv::spectrum {

struct SpectrumSettings {
    int mode = kModeBigLines;  // "SpectrumMode"
    int speed = 50;            // "SpectrumSpeed": tmrFFT interval in ms
    bool peak = false;         // "Peak"
    bool operator==(const SpectrumSettings&) const = default;
};

class SpectrumController {
public:
    static constexpr int kWidth = 100;  // the paint box boxPaint
    static constexpr int kHeight = 24;
    static constexpr int kPlayStateAudioPlaying = 11;
    static constexpr int kDefaultInterval = 50;

    using PlayStateFn = std::function<int()>;
    using ChannelFn = std::function<audio::Handle()>;

    // `library` must outlive the controller. `playState` and `channel` read the player's
    // PlayState and current channel handle at each tick. `background` is the 100 x 24
    // picture behind the display (a null image leaves it black). The painter gets the main
    // window's set-up: MaxLevel 24, grey (64, 64, 64) bars and peaks, peaks off, mode 1,
    // bars falling 2 pixels a frame. tmrFFT starts enabled at 50 ms.
    SpectrumController(audio::AudioLibrary& library, PlayStateFn playState, ChannelFn channel,
                       const QImage& background);
    SpectrumController(const SpectrumController&) = delete;
    SpectrumController& operator=(const SpectrumController&) = delete;

    // --- the timer tmrFFT -----------------------------------------------------------
    int Interval() const { return m_interval; }
    bool TimerEnabled() const { return m_timerEnabled; }
    void SetTimerEnabled(bool enabled);
    // Whether the timer ticks at all: enabled with an interval above 0. An interval of 0 or
    // less (possible from a hand-edited settings file) means no ticks, never a busy loop.
    bool TimerRunning() const { return m_timerEnabled && m_interval > 0; }
    // Called after every change of Interval or TimerEnabled; the view applies them.
    void SetTimerListener(std::function<void()> listener) { m_timerListener = std::move(listener); }

    // One tick: when PlayState is 11, request the channel's FFT and draw a frame onto the
    // canvas. A failing request leaves the previous frame's data in place and draws from it.
    // Returns true when a frame was drawn (the view then repaints); false when not playing
    // audio, in which case the canvas keeps its last frame. Never throws.
    bool tmrFFTTimer();

    // What the paint box shows: the last frame copied there (the background before any).
    const QImage& Canvas() const { return m_canvas; }
    TSpectrum& Painter() { return m_spectrum; }
    const TSpectrum& Painter() const { return m_spectrum; }

    // --- the pop-up menu SpectrumMenu ------------------------------------------------
    const SpectrumMenuModel& Menu() const { return m_menu; }
    // The user chose `item`: its tick toggles (see SpectrumMenuModel), then its handler runs.
    void ChooseMenuItem(SpectrumMenuItem item);
    void Mode21Click();   // Mode = 1
    void Mode11Click();   // Mode = 0
    void Mode31Click();   // Mode = 2
    void DPeakClick();    // ShowPeaks = the tick of "Peak"
    void Low1Click();     // interval 70 ms
    void Normal1Click();  // interval 50 ms
    void High1Click();    // interval 30 ms
    void Ultra1Click();   // interval 10 ms
    // Left click on the display: Lines -> Big Lines -> None -> Lines by the ticked mode
    // item; does nothing when no mode item is ticked.
    void boxPaintClick();

    // --- settings --------------------------------------------------------------------
    // Apply a value read from the settings file. A mode or interval without a menu item
    // (for example a speed of 20) is used as read and leaves the ticks as they are.
    void ApplySpectrumMode(int mode);
    void ApplySpectrumSpeed(int intervalMs);
    void ApplyPeak(bool peak);
    void ApplySettings(const SpectrumSettings& settings);
    // The values written back at exit.
    int SpectrumMode() const { return m_spectrum.Mode; }
    int SpectrumSpeed() const { return m_interval; }
    bool Peak() const { return m_spectrum.ShowPeaks; }
    SpectrumSettings Settings() const { return {SpectrumMode(), SpectrumSpeed(), Peak()}; }

private:
    void SetInterval(int intervalMs);
    void NotifyTimer();
    void RunHandler(SpectrumMenuItem item);

    audio::AudioLibrary& m_library;
    PlayStateFn m_playState;
    ChannelFn m_channel;
    TSpectrum m_spectrum;
    SpectrumMenuModel m_menu;
    // The last frame delivered (zeros before the first) and the buffer a request writes to,
    // so that a failing request cannot leave half-written data behind.
    FftFrame m_frame{};
    FftFrame m_request{};
    QImage m_canvas;
    QPainter m_canvasPainter;  // after m_canvas: ended before the canvas goes
    int m_interval = kDefaultInterval;
    bool m_timerEnabled = true;
    std::function<void()> m_timerListener;
};

}  // namespace tv::spectrum
